// A small catalogue database for the catalogue, query criteria and query grid tests.
#pragma once

#include "database/DatabaseFixture.h"

#include <QStringList>

#include <vector>

namespace catalogfixture {

using namespace dbfixture;

// The items table and the table of query rows.
inline const QString kItems = QStringLiteral("Picture Items"), kProps = "Picture Properties";

// One picture item as the fixture writes it.
struct Item {
  int group = 1;   // link to "Picture Groups" (0 = none; may exceed the group count)
  int doors = 2;   // "Doors", ctInteger
  QString header;  // "Header", ctString
  QString year = QStringLiteral("1995-06-01");  // "Year", ctDateTime (ISO date)
  QString colours;  // "Colour", link list of up to 2 links into "Colours"
};

// "Picture Groups" (`groups` of them), "Colours" (record 2 nests below record 1; record 4 has no
// text and so no drop-down line), "Picture Items" and "Picture Properties" with the rows:
// 1 Colour (link list, default select-all text), 2 Doors ("R", own select-all text), 3 Title
// (string), 4 Year (date). Further definition records are not shown: "yes" in lower case,
// another table, no "Q", a column the items table lacks.
inline olvtool::DatabaseSource Catalogue(const std::vector<Item>& items, int groups = 3) {
  const QString& it = kItems;
  olvtool::TableSource g{"Picture Groups", {Col("Group")}, {}, true};
  for (int i = 1; i <= groups; ++i) g.records.push_back({QStringLiteral("Group %1").arg(i)});
  using enum ColumnType;
  const std::vector<QStringList> names{{"Red"}, {"\tDark red"}, {"Blue"}, {""}, {"Green"}};
  olvtool::TableSource colours{"Colours", {Col("Name")}, names, true};
  olvtool::TableSource table{it,
                             {Link("Group", "Picture Groups", "Group", 1), Col("Header"),
                              Col("Doors", ctInteger), Col("Year", ctDateTime),
                              Link("Colour", "Colours", "Name", 2), Col("Item Number")},
                             {},
                             true};
  for (size_t i = 0; i < items.size(); ++i) {
    const Item& x = items[i];
    table.records.push_back({QString::number(x.group), x.header, QString::number(x.doors), x.year,
                             x.colours, QString::number(i + 1)});
  }
  olvtool::TableSource props{"Picture Properties",
                             {Col("Table"), Col("Show", ctString, 8),
                              Col("Definition", ctString, 16), Col("Column"), Col("Hint"),
                              Col("Select All Label"), Col("Label")},
                             {},
                             true};
  // clang-format off
  props.records = {
      {it, "Yes", "Q", "Colour", "Pick colours", "", "Colour"},
      {it, "yes", "Q", "Header", "", "", "Hidden 1"},
      {it, "Yes", "QR", "Doors", "Number of doors", "Any doors", "Doors"},
      {"Picture Groups", "Yes", "Q", "Group", "", "", "Hidden 2"},
      {it, "Yes", "X", "Header", "", "", "Hidden 3"},
      {it, "Yes", "Q", "Header", "", "All titles", "Title"},
      {it, "Yes", "Q", "Missing", "", "", "Hidden 4"},
      {it, "Yes", "Q", "Year", "", "", "Year"}};
  // clang-format on
  return {{g, colours, table, props}, false, {}};
}
inline std::vector<Item> SmallItems() {
  // clang-format off
  return {{1, 2, "Coupé front", "1995-06-01", "1"}, {2, 4, "Saloon side", "1996-01-01", "3"},
          {1, 4, "coupe rear", "1995-12-31", "2,5"}, {0, 2, "No group", "1995-01-01", "1"},
          {3, 2, "Engine bay", "1997-03-03", "5,1"}, {2, 2, "Dashboard", "1995-02-02", "4"},
          {7, 2, "Beyond the groups", "1995-02-02", "1"}};
  // clang-format on
}

}  // namespace catalogfixture
