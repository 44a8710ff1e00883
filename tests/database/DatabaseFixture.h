// Helpers shared by the database tests: column sources, files in and out, a written database
// opened, olvtool run.
#pragma once

#include "DatabaseWriter.h"
#include "database/TableDatabase.h"
#include "shell/ArchiveFixture.h"  // tests/shell

#include <QDebug>
#include <QProcess>

namespace dbfixture {

using orlaventis::ColumnType;

// A column of `type` (a string field of `size` bytes), and a link list of `count` links.
inline olvtool::ColumnSource Col(const QString& name, ColumnType type = ColumnType::ctString,
                                 int size = 63) {
  return {name, type, 0, 2, {}, size, {}, {}, 10};
}
inline olvtool::ColumnSource Link(const QString& name, const QString& table, const QString& column,
                                  int count) {
  return {name, ColumnType::ctLinkList, 0, 2, {}, 63, table, column, count};
}

using fixture::ReadFile;
using fixture::WriteFile;

struct Run {
  bool finished = false;
  int code = -1;  // -1 when olvtool crashed or was killed
  QString out, err;
};

// Runs olvtool with `args` and, when given, the variables of `env` added to the environment; a
// run that has not ended after `timeoutMs` (two minutes) is killed (unfinished).
inline Run Olvtool(const QStringList& args, const QStringList& env = {}, int timeoutMs = 120000) {
  QProcess p;
  if (!env.isEmpty()) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& v : env)
      e.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(e);
  }
  p.start(QStringLiteral(ORLAVENTIS_OLVTOOL), args);
  const bool finished = p.waitForFinished(timeoutMs);
  if (!finished) p.kill(), p.waitForFinished();
  return {finished, p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}
// Writes `source` as one file at `path` (with its data in `dataPath` when given) and opens it
// into `db` with `password`; false, with the writer's reason logged, when either step fails.
inline bool WriteAndOpen(const olvtool::DatabaseSource& source, const QString& path,
                         orlaventis::TTessaranObject& db, const QString& dataPath = QString(),
                         const QString& password = QString()) {
  QString error;
  if (!olvtool::WriteDatabase(source, path, dataPath, &error)) {
    qWarning() << error;
    return false;
  }
  return db.Open(dataPath.isEmpty() ? path : dataPath, path, QString(), password);
}

}  // namespace dbfixture
