// Test fixture: language databases written with the database writer of olvtool.
#pragma once

#include "DatabaseWriter.h"

#include <QDebug>
#include <QString>
#include <QStringList>

#include <vector>

namespace orlaventis::testing {

// One language: its number and name in "Contents", and the rows (Tag, Caption, Hint) of its
// table "MainForm (<country>)".
struct LanguageTable {
  QString number;
  QString country;
  std::vector<QStringList> rows;
};

inline olvtool::ColumnSource StringColumn(const QString& name) {
  olvtool::ColumnSource column;
  column.name = name;
  return column;
}
// Writes the language file to `path` (one file); false, with a warning, when the writer refuses.
inline bool WriteLanguageFile(const QString& path, const std::vector<LanguageTable>& languages) {
  olvtool::DatabaseSource source;
  source.tables.push_back({"Contents", {StringColumn("iCountry"), StringColumn("sCountry")}, {}});
  for (const LanguageTable& language : languages) {
    source.tables.front().records.push_back({language.number, language.country});
    source.tables.push_back({QStringLiteral("MainForm (%1)").arg(language.country),
                             {StringColumn("Tag"), StringColumn("Caption"), StringColumn("Hint")},
                             language.rows});
  }
  QString error;
  if (olvtool::WriteDatabase(source, path, QString(), &error)) return true;
  qWarning() << error;
  return false;
}

}  // namespace orlaventis::testing
