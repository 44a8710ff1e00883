// Fuzz target: a catalogue from arbitrary bytes: items, groups, query rows, ticks and matching.
#include "FuzzInput.h"
#include "database/Catalog.h"
#include "database/QueryCriteria.h"

#include <algorithm>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("ol44.cat"), data, size);
  TCatalog catalog;
  catalog.Load(path, QStringLiteral("Picture Groups"), QStringLiteral("Picture Items"),
               QStringLiteral("Group"));
  if (!catalog.Loaded) return 0;
  TQueryCriteria criteria;
  criteria.LoadDefinition(catalog.Database.get(), QStringLiteral("Picture Items"),
                          QStringLiteral("Picture Properties"));
  catalog.RecomputeSelection(&criteria);
  const auto width = [](const QString& text) { return static_cast<int>(text.size()); };
  for (int row = 1; row <= std::min(criteria.Count(), 8); ++row) {
    const std::vector<TDropDownLine> lines = criteria.DropDownLines(row);
    for (int line = 0; line < static_cast<int>(std::min<size_t>(lines.size(), 6)); ++line)
      criteria.ClickLine(row, lines, line);
    criteria.CommitText(row, QStringLiteral("12"));
    (void)criteria.CellText(row, width, 80);
    catalog.RecomputeSelection(&criteria);
  }
  for (int32_t v = 0; v <= std::min(catalog.GroupCount, 4) + 1; ++v)
    for (int32_t i = 0; i <= 3; ++i) catalog.SetPosition(v, i);
  return 0;
}
