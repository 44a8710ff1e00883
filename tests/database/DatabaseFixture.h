// Helpers shared by the database tests: column sources, files in and out, a written database opened.
#pragma once

#include "DatabaseWriter.h"
#include "database/TableDatabase.h"

#include <QDebug>
#include <QFile>

namespace dbfixture {

using orlaventis::ColumnType;

// A column of `type` (a string field of `size` bytes), and a link list of `count` links.
inline olvtool::ColumnSource Col(const QString& name, ColumnType type = ColumnType::ctString, int size = 63) {
  return {name, type, 0, 2, {}, size, {}, {}, 10};
}
inline olvtool::ColumnSource Link(const QString& name, const QString& table, const QString& column, int count) {
  return {name, ColumnType::ctLinkList, 0, 2, {}, 63, table, column, count};
}

inline QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Writes `source` as one file at `path` (with its data in `dataPath` when given) and opens it
// into `db` with `password`; false, with the writer's reason logged, when either step fails.
inline bool WriteAndOpen(const olvtool::DatabaseSource& source, const QString& path, orlaventis::TTessaranObject& db,
                         const QString& dataPath = QString(), const QString& password = QString()) {
  QString error;
  if (!olvtool::WriteDatabase(source, path, dataPath, &error)) {
    qWarning() << error;
    return false;
  }
  return db.Open(dataPath.isEmpty() ? path : dataPath, path, QString(), password);
}

}  // namespace dbfixture
