// CheckSource: refuses a JSON content source whose keys or value types differ from its schema.
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace olvtool {

// A schema is JSON: "string", "int", "bool", "null", "text" (a string, or an object of strings
// keyed by language id), "a|b" (either); ["list", S] (any number of S); ["tuple", S1, S2, ...]
// (exactly those); ["row", S1, S] (S1, then any number of S); an object lists its keys, "?key"
// for an optional one, "*" for any key and "#" for any language id; {"or": [S1, S2, ...]} takes the
// first form whose type and required keys fit; "$name" is the schema `schema` holds under "name".
// True when `value` fits the schema under "top"; else false with `error` naming `file`, the place
// ("eras[0].paint[3][1]") and what is wrong.
bool CheckSource(const QJsonValue& value, const QJsonObject& schema, const QString& file,
                 QString* error);

}  // namespace olvtool
