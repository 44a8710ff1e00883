// The work's texts as search entries: catalogue items, production topics, paint and trim names.
#include "database/WorkSearch.h"

#include "database/ContentContract.h"
#include "database/TableDatabase.h"

#include <set>

namespace orlaventis {

void AddCatalogueItems(TSearchIndex& index, const TTessaranObject& db) {
  const QString table = content::kPictureItemsTable;
  using Handle = TTessaranObject::ColumnHandle;
  const Handle number = db.ResolveColumn(table, content::kItemNumberColumn);
  const Handle header = db.ResolveColumn(table, content::kHeaderColumn);
  const Handle description = db.ResolveColumn(table, content::kDescriptionColumn);
  const Handle year = db.ResolveColumn(table, content::kYearColumn);
  const int32_t items = ReadableRecordCount(db, table);
  TFieldValue value;
  // Strings are read straight from the value; other column types through their formatting.
  const auto text = [&](Handle handle, const QString& column, int record) {
    if (!handle.IsValid()) return QString();
    db.ReadValue(handle, record, value);
    if (!value.IsRead()) return QString();
    return db.HandleColumnDef(handle).Type() == ColumnType::ctString
               ? value.String()
               : db.ValueToText(table, column, value);
  };
  QString strong;  // its storage reused from item to item
  for (int32_t record = 1; record <= items; ++record) {
    const QString n = text(number, content::kItemNumberColumn, record);
    const QString y = text(year, content::kYearColumn, record);
    const QString h = text(header, content::kHeaderColumn, record);
    const QString detail = y.isEmpty() ? n : n + QStringLiteral(" · ") + y;
    strong.resize(0);
    strong.append(n).append(QLatin1Char(' ')).append(y).append(QLatin1Char(' ')).append(h);
    index.Add(TSearchEntry{SearchKind::Picture, record, 0, h, detail, n}, strong,
              text(description, content::kDescriptionColumn, record));
  }
}

void AddOutlineTopics(TSearchIndex& index, const QStringList& lines) {
  QString heading;
  for (int i = 0; i < lines.size(); ++i) {
    qsizetype tabs = 0;
    while (tabs < lines[i].size() && lines[i].at(tabs) == QLatin1Char('\t')) ++tabs;
    const QString line = lines[i].mid(tabs);
    const std::optional<content::OutlineTopic> topic = content::ReadOutlineTopic(line);
    if (!topic) {
      heading = line;
      continue;
    }
    const QString columns = content::ReadTableLine(topic->columns).join(QLatin1Char(' '));
    index.Add(TSearchEntry{SearchKind::Topic, i + 1, 0, topic->caption, heading, {}},
              topic->caption, heading + QLatin1Char(' ') + columns);
  }
}

void AddEnamelNames(TSearchIndex& index, const TEnamelCascade& cascade,
                    const std::array<QString, kEnamelOptionCount>& labels) {
  std::array<std::set<int32_t>, kEnamelOptionCount> used;
  for (const TEnamelFabricItem& item : cascade.Items()) {
    used[size_t(EnamelOption::CoachColors)].insert(item.CoachColor);
    used[size_t(EnamelOption::RoofColors)].insert(item.RoofColor);
    used[size_t(EnamelOption::FabricMaterials)].insert(item.FabricMaterial);
    for (const int32_t colour : item.FabricColors) {
      if (colour < 1) break;  // the item's colours end at the first 0
      used[size_t(EnamelOption::FabricColors)].insert(colour);
    }
  }
  for (const EnamelOption option : {EnamelOption::CoachColors, EnamelOption::RoofColors,
                                    EnamelOption::FabricMaterials, EnamelOption::FabricColors}) {
    const TOptionSelection& list = cascade.Option(option);
    for (const int32_t record : used[size_t(option)]) {
      if (record < 1 || record > list.Names.size()) continue;
      const QString name = list.Names[record - 1];
      const QString code = record <= list.Codes.size() ? list.Codes[record - 1] : QString();
      const QString& label = labels[size_t(option)];
      const QString detail = code.isEmpty() ? label : label + QStringLiteral(" · ") + code;
      index.Add(
          TSearchEntry{SearchKind::Paint, record, static_cast<int32_t>(option), name, detail, {}},
          name + QLatin1Char(' ') + code);
    }
  }
}

}  // namespace orlaventis
