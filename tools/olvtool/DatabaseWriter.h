// Writes table databases (definitions and data, in one file or two) from a source description.
#pragma once

#include "database/ColumnDefinitions.h"

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace olvtool {

// One column. Only the parameters of the column's type are used.
struct ColumnSource {
  QString name;
  orlaventis::ColumnType type = orlaventis::ColumnType::ctString;
  int style = 0;        // boolean style (0 Yes/No, 1 True/False, 2 On/Off), number display
                        // style (0 point, 1 comma, 2 percent) or date style (0 to 5)
  int decimals = 2;     // number types
  QString defaultText;  // boolean, integer and date types: the default as a cell text
  int size = 63;        // ctString: field size S in bytes (1 to 65535)
  QString linkTable;    // ctLinkList: the linked table and column, by name
  QString linkColumn;
  int linkCount = 10;  // ctLinkList: N
};

// One table. A record is a list of cell texts in column order (missing trailing cells are the
// empty value). A cell is a display text as the column would show it; a date also as ISO 8601
// ("2024-05-01", "2024-05-01T13:45:00") or a day number; a link list as record numbers
// separated by "," or blanks ("3,0,5").
struct TableSource {
  QString name;
  std::vector<ColumnSource> columns;
  std::vector<QStringList> records;
  // false writes record-count source 0: a single table in its own data file then counts as
  // many records as fit in that file.
  bool storedCount = true;
};

struct DatabaseSource {
  std::vector<TableSource> tables;
  bool scrambled = false;  // store string fields scrambled
  QString password;        // empty: no password
};

// Every routine here accepts a null `error`.
// The bytes of a database. With `oneFile` the definitions hold the data too and `data` is empty.
struct DatabaseImage {
  QByteArray definitions;
  QByteArray data;
};

// Builds the bytes. nullopt with `error` set ("table T, record R, column C: ...") when a name or
// text has a character outside Windows-1252, a text is too long for its field, a cell does not
// convert, a link names a missing table or column, or a name is longer than 63 characters.
std::optional<DatabaseImage> BuildDatabase(const DatabaseSource& source, bool oneFile,
                                           QString* error);

// The bytes of BuildDatabase with `oneFile`, written to `out` a piece at a time (a large
// catalogue is never held whole). False with `error` set as BuildDatabase, or the device's
// reason when it refuses the bytes; what was written then is no database.
bool WriteDatabaseTo(const DatabaseSource& source, QIODevice& out, QString* error);

// Writes one file (definitions and data together) when `dataPath` is empty, else two. Every file
// is written beside its target under a temporary name and renamed on success; on failure no
// target is created or changed (a two-file write that fails at the second file removes the
// first). False with `error` set on failure.
bool WriteDatabase(const DatabaseSource& source, const QString& definitionPath,
                   const QString& dataPath, QString* error);

// The JSON source format (see `olvtool db build --help`). nullopt with `error` on bad JSON.
std::optional<DatabaseSource> DatabaseSourceFromJson(const QByteArray& json, QString* error);

// Writes `bytes` to `path` through a temporary file beside it; false with `error` set.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace olvtool
