// Fuzz target: a project's items table from arbitrary bytes, as TSV (first byte even) or CSV.
#include "ItemsTable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const QString file = (data[0] & 1) ? QStringLiteral("items.csv") : QStringLiteral("items.tsv");
  std::vector<olvtool::Problem> problems;
  const std::optional<olvtool::ItemsTable> table = olvtool::ReadItemsTable(
      QByteArrayView(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)), file,
      &problems);
  // Every table or every refusal says where: a row of no cells or a place before the start
  // would point a publisher nowhere.
  if (!table && problems.empty()) std::abort();
  for (const olvtool::Problem& p : problems)
    if (p.line < 1 || p.column < 1 || p.file != file) std::abort();
  if (table)
    for (const olvtool::TableRow& row : table->rows) {
      if (row.empty()) std::abort();
      for (const olvtool::TableCell& cell : row)
        if (cell.line < 1 || cell.column < 1 || cell.text.contains(QChar(0))) std::abort();
    }
  return 0;
}
