// CheckSource: walks a JSON content source beside its schema and names the first misfit.
#include "SourceSchema.h"

#include "database/ContentContract.h"

#include <QJsonArray>
#include <QJsonObject>

namespace olvtool {
namespace {

bool IsLanguageKey(const QString& key) {
  bool ok = false;
  const int id = key.toInt(&ok);
  return ok && orlaventis::content::IsLanguage(id) && QString::number(id) == key;
}

bool FitsPrimitive(const QJsonValue& v, const QString& type) {
  if (type == QLatin1String("string")) return v.isString();
  if (type == QLatin1String("int")) return v.isDouble() && v.toDouble() == double(v.toInteger());
  if (type == QLatin1String("bool")) return v.isBool();
  if (type == QLatin1String("null")) return v.isNull();
  if (type == QLatin1String("text")) {
    if (v.isString()) return true;
    if (!v.isObject()) return false;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
      if (!IsLanguageKey(it.key()) || !it.value().isString()) return false;
    return true;
  }
  for (const QString& either : type.split(QLatin1Char('|'), Qt::SkipEmptyParts))
    if (either != type && FitsPrimitive(v, either)) return true;
  return false;
}

// `schema`, or the definition it names ("$node").
QJsonValue Resolved(const QJsonValue& schema, const QJsonObject& definitions) {
  const QString name = schema.toString();
  return name.startsWith(QLatin1Char('$')) ? definitions.value(name.mid(1)) : schema;
}

// True when the outer shape of `v` fits: its type and, for an object, its required keys.
bool FitsShape(const QJsonValue& v, const QJsonValue& named, const QJsonObject& definitions) {
  const QJsonValue schema = Resolved(named, definitions);
  if (schema.isString()) return FitsPrimitive(v, schema.toString());
  if (schema.isArray()) return v.isArray();
  const QJsonObject s = schema.toObject();
  if (s.contains(QLatin1String("or"))) {
    for (const QJsonValue& form : s.value(QLatin1String("or")).toArray())
      if (FitsShape(v, form, definitions)) return true;
    return false;
  }
  if (!v.isObject()) return false;
  for (auto it = s.begin(); it != s.end(); ++it)
    if (!it.key().startsWith(QLatin1Char('?')) && it.key() != QLatin1String("*") &&
        it.key() != QLatin1String("#") && !v.toObject().contains(it.key()))
      return false;
  return true;
}

class Checker {
 public:
  Checker(const QString& file, const QJsonObject& definitions)
      : file_(file), definitions_(definitions) {}

  bool Check(const QJsonValue& v, const QJsonValue& named, const QString& where) {
    const QJsonValue schema = Resolved(named, definitions_);
    if (schema.isString()) {
      const QString type = schema.toString();
      return FitsPrimitive(v, type) ||
             Fail(where, QStringLiteral("is not %1").arg(Described(type)));
    }
    if (schema.isArray()) return CheckArray(v, schema.toArray(), where);
    const QJsonObject s = schema.toObject();
    if (s.contains(QLatin1String("or"))) {
      for (const QJsonValue& form : s.value(QLatin1String("or")).toArray())
        if (FitsShape(v, form, definitions_)) return Check(v, form, where);
      return Fail(where, QStringLiteral("fits none of its forms"));
    }
    if (!v.isObject()) return Fail(where, QStringLiteral("is not an object"));
    const QJsonObject o = v.toObject();
    for (auto it = s.begin(); it != s.end(); ++it) {
      const QString key = it.key();
      if (key == QLatin1String("*") || key == QLatin1String("#") ||
          key.startsWith(QLatin1Char('?')))
        continue;
      if (!o.contains(key)) return Fail(where, QStringLiteral("has no key \"%1\"").arg(key));
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
      const QString place = Join(where, it.key());
      QJsonValue field = s.value(it.key());
      if (field.isUndefined()) field = s.value(QLatin1Char('?') + it.key());
      if (field.isUndefined()) field = s.value(QLatin1String("*"));
      if (field.isUndefined() && IsLanguageKey(it.key())) field = s.value(QLatin1String("#"));
      if (field.isUndefined()) return Fail(place, QStringLiteral("is an unknown key"));
      if (!Check(it.value(), field, place)) return false;
    }
    return true;
  }

  QString error;

 private:
  bool CheckArray(const QJsonValue& v, const QJsonArray& schema, const QString& where) {
    if (!v.isArray()) return Fail(where, QStringLiteral("is not a list"));
    const QJsonArray a = v.toArray();
    const QString kind = schema.at(0).toString();
    const auto at = [&](qsizetype i) { return where + QStringLiteral("[%1]").arg(i); };
    if (kind == QLatin1String("tuple") && a.size() != schema.size() - 1)
      return Fail(where,
                  QStringLiteral("holds %1 values, not %2").arg(a.size()).arg(schema.size() - 1));
    if (kind == QLatin1String("row") && a.isEmpty()) return Fail(where, QStringLiteral("is empty"));
    for (qsizetype i = 0; i < a.size(); ++i) {
      const QJsonValue item = kind == QLatin1String("tuple") ? schema.at(i + 1)
                              : kind == QLatin1String("row") ? schema.at(i == 0 ? 1 : 2)
                                                             : schema.at(1);
      if (!Check(a.at(i), item, at(i))) return false;
    }
    return true;
  }

  static QString Described(const QString& type) {
    if (type == QLatin1String("int")) return QStringLiteral("a whole number");
    if (type == QLatin1String("text")) return QStringLiteral("a text or texts by language");
    if (type == QLatin1String("null")) return QStringLiteral("null");
    return type.contains(QLatin1Char('|')) ? QStringLiteral("one of ") + type
                                           : QStringLiteral("a ") + type;
  }

  static QString Join(const QString& where, const QString& key) {
    return where.isEmpty() ? key : where + QLatin1Char('.') + key;
  }

  bool Fail(const QString& where, const QString& what) {
    error = QStringLiteral("%1: %2 %3")
                .arg(file_, where.isEmpty() ? QStringLiteral("the top") : where, what);
    return false;
  }

  QString file_;
  QJsonObject definitions_;
};

}  // namespace

bool CheckSource(const QJsonValue& value, const QJsonObject& schema, const QString& file,
                 QString* error) {
  Checker checker(file, schema);
  if (checker.Check(value, schema.value(QLatin1String("top")), QString())) return true;
  *error = checker.error;
  return false;
}

}  // namespace olvtool
