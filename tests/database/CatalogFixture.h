// A small catalogue database for the catalogue, query criteria and query grid tests.
#pragma once

#include "DatabaseWriter.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace catalogfixture {

using orlaventis::ColumnType;

inline olvtool::ColumnSource Col(const QString& name, ColumnType type, int size = 63) {
  olvtool::ColumnSource c;
  c.name = name;
  c.type = type;
  c.size = size;
  return c;
}

inline olvtool::ColumnSource Link(const QString& name, const QString& table, const QString& column,
                                  int count) {
  olvtool::ColumnSource c = Col(name, ColumnType::ctLinkList);
  c.linkTable = table;
  c.linkColumn = column;
  c.linkCount = count;
  return c;
}

// One picture item as the fixture writes it.
struct Item {
  int group = 1;          // link to "Picture Groups" (0 = none; may exceed the group count)
  int doors = 2;          // "Doors", ctInteger
  QString header;         // "Header", ctString
  QString year = QStringLiteral("1995-06-01");  // "Year", ctDateTime (ISO date)
  QString colours;        // "Colour", link list of up to 2 links into "Colours"
};

inline QStringList ColourNames() {
  // Record 2 nests below record 1; record 4 has no text and so no drop-down line.
  return {QStringLiteral("Red"), QStringLiteral("\tDark red"), QStringLiteral("Blue"), QString(),
          QStringLiteral("Green")};
}

// "Picture Groups" (3 groups), "Colours", "Picture Items" and "Picture Properties" with the
// rows: 1 Colour (link list, default select-all text), 2 Doors ("R", own select-all text),
// 3 Title (string), 4 Year (date). Further definition records are not shown: "yes" in lower
// case, another table, no "Q", a column the items table lacks.
inline olvtool::DatabaseSource Catalogue(const std::vector<Item>& items, int groups = 3) {
  olvtool::DatabaseSource db;
  olvtool::TableSource g{QStringLiteral("Picture Groups"), {Col(QStringLiteral("Group"), ColumnType::ctString)}, {}, true};
  for (int i = 1; i <= groups; ++i) g.records.push_back({QStringLiteral("Group %1").arg(i)});
  olvtool::TableSource colours{QStringLiteral("Colours"), {Col(QStringLiteral("Name"), ColumnType::ctString)}, {}, true};
  for (const QString& n : ColourNames()) colours.records.push_back({n});
  olvtool::TableSource it{QStringLiteral("Picture Items"),
                          {Link(QStringLiteral("Group"), QStringLiteral("Picture Groups"), QStringLiteral("Group"), 1),
                           Col(QStringLiteral("Header"), ColumnType::ctString),
                           Col(QStringLiteral("Doors"), ColumnType::ctInteger),
                           Col(QStringLiteral("Year"), ColumnType::ctDateTime),
                           Link(QStringLiteral("Colour"), QStringLiteral("Colours"), QStringLiteral("Name"), 2),
                           Col(QStringLiteral("Item Number"), ColumnType::ctString)},
                          {}, true};
  for (size_t i = 0; i < items.size(); ++i) {
    const Item& x = items[i];
    it.records.push_back({QString::number(x.group), x.header, QString::number(x.doors), x.year,
                          x.colours, QString::number(i + 1)});
  }
  const QString items_ = QStringLiteral("Picture Items");
  olvtool::TableSource props{QStringLiteral("Picture Properties"),
                             {Col(QStringLiteral("Table"), ColumnType::ctString), Col(QStringLiteral("Show"), ColumnType::ctString, 8),
                              Col(QStringLiteral("Definition"), ColumnType::ctString, 16), Col(QStringLiteral("Column"), ColumnType::ctString),
                              Col(QStringLiteral("Hint"), ColumnType::ctString), Col(QStringLiteral("Select All Label"), ColumnType::ctString),
                              Col(QStringLiteral("Label"), ColumnType::ctString)},
                             {}, true};
  props.records = {
      {items_, QStringLiteral("Yes"), QStringLiteral("Q"), QStringLiteral("Colour"), QStringLiteral("Pick colours"), QString(), QStringLiteral("Colour")},
      {items_, QStringLiteral("yes"), QStringLiteral("Q"), QStringLiteral("Header"), QString(), QString(), QStringLiteral("Hidden 1")},
      {items_, QStringLiteral("Yes"), QStringLiteral("QR"), QStringLiteral("Doors"), QStringLiteral("Number of doors"), QStringLiteral("Any doors"), QStringLiteral("Doors")},
      {QStringLiteral("Picture Groups"), QStringLiteral("Yes"), QStringLiteral("Q"), QStringLiteral("Group"), QString(), QString(), QStringLiteral("Hidden 2")},
      {items_, QStringLiteral("Yes"), QStringLiteral("X"), QStringLiteral("Header"), QString(), QString(), QStringLiteral("Hidden 3")},
      {items_, QStringLiteral("Yes"), QStringLiteral("Q"), QStringLiteral("Header"), QString(), QStringLiteral("All titles"), QStringLiteral("Title")},
      {items_, QStringLiteral("Yes"), QStringLiteral("Q"), QStringLiteral("Missing"), QString(), QString(), QStringLiteral("Hidden 4")},
      {items_, QStringLiteral("Yes"), QStringLiteral("Q"), QStringLiteral("Year"), QString(), QString(), QStringLiteral("Year")},
  };
  db.tables = {g, colours, it, props};
  return db;
}

inline std::vector<Item> SmallItems() {
  return {
      {1, 2, QStringLiteral("Coupé front"), QStringLiteral("1995-06-01"), QStringLiteral("1")},
      {2, 4, QStringLiteral("Saloon side"), QStringLiteral("1996-01-01"), QStringLiteral("3")},
      {1, 4, QStringLiteral("coupe rear"), QStringLiteral("1995-12-31"), QStringLiteral("2,5")},
      {0, 2, QStringLiteral("No group"), QStringLiteral("1995-01-01"), QStringLiteral("1")},
      {3, 2, QStringLiteral("Engine bay"), QStringLiteral("1997-03-03"), QStringLiteral("5,1")},
      {2, 2, QStringLiteral("Dashboard"), QStringLiteral("1995-02-02"), QStringLiteral("4")},
      {7, 2, QStringLiteral("Beyond the groups"), QStringLiteral("1995-02-02"), QStringLiteral("1")},
  };
}

}  // namespace catalogfixture
