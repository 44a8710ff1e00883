// Paint and trim fixtures: the six "Enamel & Fabrics ..." tables written with our database writer.
#pragma once

#include "DatabaseWriter.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <vector>

namespace fixture {

struct EnamelItem {
  int model = 0, year = 0, coach = 0, roof = 0, material = 0;  // record numbers, 0 = none
  QList<int> colours;                                         // up to 6, as written
};

// Names (and codes) of the option tables, record k at index k - 1.
struct EnamelData {
  QStringList models;
  QStringList years;
  QList<QPair<QString, QString>> coaches, roofs, materials, colours;  // name, code
  std::vector<EnamelItem> items;
};

// Three models; model 1 has two years with coach colours, one of them (Blue) without a separate
// roof; model 2 has one year; model 3 has no items. Item 2 lists colours 3, 4, then 0, then 5.
inline EnamelData SampleEnamel() {
  EnamelData d;
  d.models = {QStringLiteral("Berline"), QStringLiteral("Cabriolet"), QStringLiteral("Break")};
  d.years = {QStringLiteral("1961"), QStringLiteral("1962"), QStringLiteral("1963"), QStringLiteral("1964")};
  d.coaches = {{QStringLiteral("Red"), QStringLiteral("RD")}, {QStringLiteral("Blue"), QStringLiteral("BL")},
               {QStringLiteral("Grey"), QStringLiteral("GR")}, {QStringLiteral("Ivory"), QStringLiteral("IV")}};
  d.roofs = {{QStringLiteral("White"), QStringLiteral("WH")}, {QStringLiteral("Black"), QStringLiteral("BK")}};
  d.materials = {{QStringLiteral("Cloth"), QStringLiteral("CL")}, {QStringLiteral("Leather"), QStringLiteral("LE")}};
  d.colours = {{QStringLiteral("Tan"), QStringLiteral("T1")}, {QStringLiteral("Silver"), QStringLiteral("G2")},
               {QStringLiteral("Navy"), QStringLiteral("B3")}, {QStringLiteral("Crimson"), QStringLiteral("R4")},
               {QStringLiteral("Ebony"), QStringLiteral("K5")}};
  d.items = {
      {1, 1, 1, 1, 1, {1, 2}},        // Berline 1961 Red/White, Cloth Tan or Silver
      {1, 1, 1, 2, 2, {3, 4, 0, 5}},  // Berline 1961 Red/Black, Leather Navy or Crimson
      {1, 1, 2, 0, 1, {2}},           // Berline 1961 Blue (no separate roof), Cloth Silver
      {1, 1, 2, 0, 2, {5}},           // Berline 1961 Blue, Leather Ebony
      {1, 2, 3, 1, 1, {1}},           // Berline 1962 Grey/White, Cloth Tan
      {2, 3, 4, 2, 2, {1, 2, 3}},     // Cabriolet 1963 Ivory/Black, Leather
      {2, 0, 1, 1, 1, {1}},           // no model year: never offered
      {1, 4, 0, 0, 0, {}},            // Berline 1964 without a coach colour
  };
  return d;
}

inline olvtool::ColumnSource EnamelText(const QString& name, int size = 40) {
  olvtool::ColumnSource c;
  c.name = name;
  c.size = size;
  return c;
}

inline olvtool::ColumnSource EnamelLink(const QString& name, const QString& table, const QString& column, int count) {
  olvtool::ColumnSource c;
  c.name = name;
  c.type = orlaventis::ColumnType::ctLinkList;
  c.linkTable = table;
  c.linkColumn = column;
  c.linkCount = count;
  return c;
}

// The seven tables of `d` as one catalogue database.
inline olvtool::DatabaseSource EnamelDatabase(const EnamelData& d) {
  using olvtool::TableSource;
  olvtool::DatabaseSource db;
  TableSource groups{QStringLiteral("Enamel & Fabrics Groups"), {EnamelText(QStringLiteral("Group"))}, {}, true};
  for (const QString& m : d.models) groups.records.push_back({m});
  TableSource years{QStringLiteral("Enamel & Fabrics Modelyears"), {EnamelText(QStringLiteral("Modelyear"))}, {}, true};
  for (const QString& y : d.years) years.records.push_back({y});
  auto coded = [](const QString& table, const QString& column, const QString& codeColumn,
                  const QList<QPair<QString, QString>>& rows) {
    TableSource t{table, {EnamelText(column), EnamelText(codeColumn, 8)}, {}, true};
    for (const auto& row : rows) t.records.push_back({row.first, row.second});
    return t;
  };
  const QString groupsName = QStringLiteral("Enamel & Fabrics Groups");
  TableSource items{QStringLiteral("Enamel & Fabrics Items"),
                    {EnamelLink(QStringLiteral("Group"), groupsName, QStringLiteral("Group"), 1),
                     EnamelLink(QStringLiteral("Modelyear"), QStringLiteral("Enamel & Fabrics Modelyears"), QStringLiteral("Modelyear"), 1),
                     EnamelLink(QStringLiteral("Coach Color"), QStringLiteral("Enamel & Fabrics Coach Colors"), QStringLiteral("Coach Color"), 1),
                     EnamelLink(QStringLiteral("Roof Color"), QStringLiteral("Enamel & Fabrics Roof Colors"), QStringLiteral("Roof Color"), 1),
                     EnamelLink(QStringLiteral("Fabric Material"), QStringLiteral("Enamel & Fabrics Fabric Materials"), QStringLiteral("Fabric Material"), 1),
                     EnamelLink(QStringLiteral("Fabric Color"), QStringLiteral("Enamel & Fabrics Fabric Colors"), QStringLiteral("Fabric Color"), 6)},
                    {},
                    true};
  for (const EnamelItem& it : d.items) {
    QStringList colours;
    for (int c : it.colours) colours.append(QString::number(c));
    items.records.push_back({QString::number(it.model), QString::number(it.year), QString::number(it.coach),
                             QString::number(it.roof), QString::number(it.material), colours.join(QLatin1Char(','))});
  }
  db.tables = {groups, years,
               coded(QStringLiteral("Enamel & Fabrics Coach Colors"), QStringLiteral("Coach Color"), QStringLiteral("Color Code"), d.coaches),
               coded(QStringLiteral("Enamel & Fabrics Roof Colors"), QStringLiteral("Roof Color"), QStringLiteral("Color Code"), d.roofs),
               coded(QStringLiteral("Enamel & Fabrics Fabric Materials"), QStringLiteral("Fabric Material"), QStringLiteral("Material Code"), d.materials),
               coded(QStringLiteral("Enamel & Fabrics Fabric Colors"), QStringLiteral("Fabric Color"), QStringLiteral("Color Code"), d.colours),
               items};
  return db;
}

}  // namespace fixture
