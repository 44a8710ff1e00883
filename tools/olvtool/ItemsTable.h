// Reads the items table of an authoring project (items.tsv or items.csv) into cells with places.
#pragma once

#include "Problem.h"

#include <QByteArrayView>
#include <QChar>
#include <QString>

#include <optional>
#include <vector>

namespace olvtool {

// The columns of a project's items table besides "Header <language>" and "Description <language>".
inline constexpr const char* kItemColumns[] = {"Item Number", "Group", "Year", "Body", "Coach",
                                               "Roof",        "Place", "Date", "Photo"};

// One cell with the place its text starts (1-based line and character column).
struct TableCell {
  QString text;
  int line = 0, column = 0;
};
using TableRow = std::vector<TableCell>;

struct ItemsTable {
  std::vector<TableRow> rows;  // rows[0] names the columns; empty lines are no rows
  QChar separator;
  bool windows1252 = false;  // the file had no BOM and was not UTF-8: read as Windows-1252
};

// Reads the bytes of the table `file` ("items.tsv" separates cells with tabs; "items.csv" with
// commas, or with semicolons when its first line holds ';' and no ',' outside quotes, as
// spreadsheet programs of Dutch and French write it). A file with a UTF-8 BOM must be UTF-8;
// one without is read as Windows-1252 when it is not UTF-8. A cell that starts with a quote runs
// to the matching quote ("" is a quote inside it) and may hold separators and line breaks
// (RFC 4180); CR LF ends a row as LF does.
// nullopt with every problem appended to `problems`, each at its place: a quote never closed
// (at the quote), text after a closing quote, a NUL character, invalid UTF-8 after a BOM.
std::optional<ItemsTable> ReadItemsTable(QByteArrayView bytes, const QString& file,
                                         std::vector<Problem>* problems);

}  // namespace olvtool
