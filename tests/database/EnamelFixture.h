// Paint and trim fixtures: the six "Enamel & Fabrics ..." tables written with our database writer.
#pragma once

#include "database/DatabaseFixture.h"
#include "database/EnamelCascade.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <vector>

namespace fixture {

// Names (and codes) of the option tables, record k at index k - 1; the items' links.
struct EnamelData {
  QStringList models, years;
  QList<QPair<QString, QString>> coaches, roofs, materials, colours;  // name, code
  std::vector<orlaventis::TEnamelFabricItem> items;
};

// Three models; model 1 has two years with coach colours, one of them (Blue) without a separate
// roof; model 2 has one year; model 3 has no items. Item 2 lists colours 3, 4, then 0, then 5.
inline EnamelData SampleEnamel() {
  return {{"Berline", "Cabriolet", "Break"},
          {"1961", "1962", "1963", "1964"},
          {{"Red", "RD"}, {"Blue", "BL"}, {"Grey", "GR"}, {"Ivory", "IV"}},
          {{"White", "WH"}, {"Black", "BK"}},
          {{"Cloth", "CL"}, {"Leather", "LE"}},
          {{"Tan", "T1"}, {"Silver", "G2"}, {"Navy", "B3"}, {"Crimson", "R4"}, {"Ebony", "K5"}},
          {
              {1, 1, 1, 1, 1, {1, 2}},        // Berline 1961 Red/White, Cloth Tan or Silver
              {1, 1, 1, 2, 2, {3, 4, 0, 5}},  // Berline 1961 Red/Black, Leather Navy or Crimson
              {1, 1, 2, 0, 1, {2}},           // Berline 1961 Blue (no separate roof), Cloth Silver
              {1, 1, 2, 0, 2, {5}},           // Berline 1961 Blue, Leather Ebony
              {1, 2, 3, 1, 1, {1}},           // Berline 1962 Grey/White, Cloth Tan
              {2, 3, 4, 2, 2, {1, 2, 3}},     // Cabriolet 1963 Ivory/Black, Leather
              {2, 0, 1, 1, 1, {1}},           // no model year: never offered
              {1, 4, 0, 0, 0, {}},            // Berline 1964 without a coach colour
          }};
}
// The seven tables of `d` as one catalogue database.
inline olvtool::DatabaseSource EnamelDatabase(const EnamelData& d) {
  using namespace dbfixture;
  using olvtool::TableSource;
  const auto text = [](const QString& name) { return Col(name, ColumnType::ctString, 40); };
  const auto listed = [&](const QString& table, const QString& column, const QStringList& names) {
    TableSource t{table, {text(column)}, {}, true};
    for (const QString& n : names) t.records.push_back({n});
    return t;
  };
  const auto coded = [&](const QString& table, const QString& column, const QString& codeColumn,
                         const QList<QPair<QString, QString>>& rows) {
    TableSource t{table, {text(column), Col(codeColumn, ColumnType::ctString, 8)}, {}, true};
    for (const auto& row : rows) t.records.push_back({row.first, row.second});
    return t;
  };
  const QString prefix = QStringLiteral("Enamel & Fabrics ");
  // Each item links once into each option table, and up to six times into the fabric colours.
  TableSource items{prefix + "Items", {Link("Group", prefix + "Groups", "Group", 1)}, {}, true};
  for (QString column :
       {"Modelyear", "Coach Color", "Roof Color", "Fabric Material", "Fabric Color"})
    items.columns.push_back(
        Link(column, prefix + column + 's', column, column == "Fabric Color" ? 6 : 1));
  for (const orlaventis::TEnamelFabricItem& it : d.items) {
    QStringList row, colours;
    for (int n : {it.Group, it.Modelyear, it.CoachColor, it.RoofColor, it.FabricMaterial})
      row.append(QString::number(n));
    for (int c : it.FabricColors) colours.append(QString::number(c));
    items.records.push_back(row << colours.join(QLatin1Char(',')));
  }
  olvtool::DatabaseSource source;
  source.tables = {
      listed(prefix + "Groups", "Group", d.models),
      listed(prefix + "Modelyears", "Modelyear", d.years),
      coded(prefix + "Coach Colors", "Coach Color", "Color Code", d.coaches),
      coded(prefix + "Roof Colors", "Roof Color", "Color Code", d.roofs),
      coded(prefix + "Fabric Materials", "Fabric Material", "Material Code", d.materials),
      coded(prefix + "Fabric Colors", "Fabric Color", "Color Code", d.colours),
      items};
  return source;
}

}  // namespace fixture
