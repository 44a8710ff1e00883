// Makes the databases and the record file of a work from a checked project model.
#include "WorkWriter.h"

#include "database/ContentContract.h"

#include <algorithm>
#include <functional>

using orlaventis::ColumnType;
namespace content = orlaventis::content;

namespace olvtool {

namespace {

ColumnSource Str(const QString& name, int size = kNameBytes) {
  ColumnSource c;
  c.name = name;
  c.type = ColumnType::ctString;
  c.size = size;
  return c;
}
ColumnSource Typed(const QString& name, ColumnType type, int style = 0) {
  ColumnSource c;
  c.name = name;
  c.type = type;
  c.style = style;
  c.defaultText = type == ColumnType::ctDateTime ? QString() : QStringLiteral("0");
  return c;
}
ColumnSource Link(const QString& name, const QString& table, const QString& column, int count) {
  ColumnSource c;
  c.name = name;
  c.type = ColumnType::ctLinkList;
  c.linkTable = table;
  c.linkColumn = column;
  c.linkCount = count;
  return c;
}

}  // namespace

DatabaseSource LanguageSource(const Project& p) {
  DatabaseSource db;
  db.tables.push_back({content::kContentsTable,
                       {Typed(content::kCountryIdColumn, ColumnType::ctWord),
                        Str(content::kCountryNameColumn, kCountryBytes)},
                       {},
                       true});
  for (size_t li = 0; li < p.languages.size(); ++li) {
    db.tables[0].records.push_back({QString::number(p.languages[li].id), p.languages[li].country});
    TableSource t{content::LanguageTable(p.prefix, p.languages[li].country),
                  {Typed(content::kTagColumn, ColumnType::ctInteger),
                   Str(content::kCaptionColumn, kCaptionBytes),
                   Str(content::kHintColumn, kCaptionBytes)},
                  {},
                  true};
    for (const CaptionRow& r : p.captions)
      t.records.push_back({QString::number(r.tag), r.texts.value(qsizetype(2 * li)),
                           r.texts.value(qsizetype(2 * li + 1))});
    db.tables.push_back(t);
  }
  return db;
}

namespace {

// The outline lines of `nodes` in language index `l`, and the records of their tables.
void OutlineRecords(const std::vector<OutlineNode>& nodes, int depth, int l,
                    const std::function<QList<QStringList>(const QString&, int)>& derived,
                    QStringList* outline, std::vector<RecordSource>* records) {
  const QString language = QString::number(content::kLanguages[size_t(l)]);
  for (const OutlineNode& n : nodes) {
    const QString tabs(depth, QLatin1Char('\t'));
    if (!n.table) {
      outline->append(tabs + n.title[size_t(l)]);
      OutlineRecords(n.children, depth + 1, l, derived, outline, records);
      continue;
    }
    const ProductionTable& t = *n.table;
    const QString key = t.key + QLatin1Char('_') + language;
    outline->append(tabs +
                    content::WriteOutlineTopic(
                        {key, content::WriteTableLine(t.columns[size_t(l)]).value_or(QString()),
                         t.caption[size_t(l)]})
                        .value_or(QString()));
    QStringList lines;
    for (const QStringList& row : t.fromEnamel ? derived(t.key, l) : t.rows[size_t(l)])
      lines.append(content::WriteTableLine(row).value_or(QString()));
    records->push_back(
        {uint32_t(records->size() + 1), content::TopicKey(key), lines.join(QLatin1Char('\n'))});
  }
}

// The first and last model year `matches` holds a combination for, as "1957 – 1973"; empty for
// none.
QString YearSpan(const Project& p, const std::function<bool(const Combination&)>& matches) {
  int first = 9999, last = 0;
  for (const Combination& c : p.combinations)
    if (matches(c)) {
      first = std::min(first, p.firstYear + c.year - 1);
      last = std::max(last, p.firstYear + c.year - 1);
    }
  return last > 0 ? QStringLiteral("%1 – %2").arg(first).arg(last) : QString();
}

}  // namespace

std::vector<RecordSource> RecordSources(const Project& p) {
  // The colour and trim tables of the production section are derived from the paint and trim.
  auto derived = [&](const QString& key, int l) {
    const bool colours = key == QLatin1String("Prod_Colours");
    const std::vector<NamedCode>& list = colours ? p.coachColours : p.fabricMaterials;
    QList<QStringList> rows;
    for (size_t i = 0; i < list.size(); ++i) {
      const QString span = YearSpan(p, [&](const Combination& c) {
        if (!colours) return c.material == int(i) + 1;
        return c.coach == int(i) + 1 || (c.roof > 0 && p.roofCodes[c.roof - 1] == list[i].code);
      });
      if (!span.isEmpty()) rows.append({list[i].name[size_t(l)], list[i].code, span});
    }
    return rows;
  };
  std::vector<RecordSource> records;
  for (int l = 0; l < 3; ++l) {
    const int language = content::kLanguages[size_t(l)];
    records.push_back({uint32_t(records.size() + 1), content::IntroKey(language),
                       p.intro[size_t(l)].join(QLatin1Char('\n'))});
    QStringList outline;
    std::vector<RecordSource> tables;
    OutlineRecords(p.outline, 0, l, derived, &outline, &tables);
    records.push_back({uint32_t(records.size() + 1), content::ProductionContentsKey(language),
                       outline.join(QLatin1Char('\n'))});
    for (RecordSource& r : tables) {
      r.tag = uint32_t(records.size() + 1);
      records.push_back(std::move(r));
    }
  }
  return records;
}

namespace {

void AddEnamelTables(const Project& p, int l, DatabaseSource* db) {
  auto names = [&](const std::vector<NamedCode>& list, const QString& table, const QString& column,
                   const QString& codeColumn) {
    TableSource t{table, {Str(column), Str(codeColumn, kCodeBytes)}, {}, true};
    for (const NamedCode& n : list) t.records.push_back({n.name[size_t(l)], n.code});
    db->tables.push_back(t);
  };
  TableSource groups{content::kEnamelGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const Model& m : p.models) groups.records.push_back({m.name[size_t(l)]});
  db->tables.push_back(groups);
  TableSource years{
      content::kEnamelModelyearsTable, {Str(content::kModelyearColumn, kCodeBytes)}, {}, true};
  for (int y = p.firstYear; y <= p.lastYear; ++y) years.records.push_back({QString::number(y)});
  db->tables.push_back(years);
  TableSource coaches{content::kEnamelCoachColorsTable,
                      {Str(content::kCoachColorColumn), Str(content::kColorCodeColumn, kCodeBytes)},
                      {},
                      true};
  for (const QString& group : p.codeGroups)
    for (const NamedCode& c : p.coachColours)
      coaches.records.push_back({c.name[size_t(l)], c.code + group});
  db->tables.push_back(coaches);
  TableSource roofs{content::kEnamelRoofColorsTable,
                    {Str(content::kRoofColorColumn), Str(content::kColorCodeColumn, kCodeBytes)},
                    {},
                    true};
  for (const QString& code : p.roofCodes)
    roofs.records.push_back(
        {p.Coach(code) > 0 ? p.coachColours[size_t(p.Coach(code) - 1)].name[size_t(l)] : code,
         code});
  db->tables.push_back(roofs);
  names(p.fabricMaterials, content::kEnamelFabricMaterialsTable, content::kFabricMaterialColumn,
        content::kMaterialCodeColumn);
  names(p.fabricColours, content::kEnamelFabricColorsTable, content::kFabricColorColumn,
        content::kColorCodeColumn);
  TableSource items{
      content::kEnamelItemsTable,
      {Link(content::kGroupColumn, content::kEnamelGroupsTable, content::kGroupColumn, 1),
       Link(content::kModelyearColumn, content::kEnamelModelyearsTable, content::kModelyearColumn,
            1),
       Link(content::kCoachColorColumn, content::kEnamelCoachColorsTable,
            content::kCoachColorColumn, 1),
       Link(content::kRoofColorColumn, content::kEnamelRoofColorsTable, content::kRoofColorColumn,
            1),
       Link(content::kFabricMaterialColumn, content::kEnamelFabricMaterialsTable,
            content::kFabricMaterialColumn, 1),
       Link(content::kFabricColorColumn, content::kEnamelFabricColorsTable,
            content::kFabricColorColumn, kMostFabricColours)},
      {},
      true};
  for (const Combination& c : p.combinations)
    items.records.push_back({QString::number(c.model), QString::number(c.year),
                             QString::number(p.SectionCoach(c)), QString::number(c.roof),
                             QString::number(c.material), content::WriteLinkList(c.colours)});
  db->tables.push_back(items);
}

}  // namespace

DatabaseSource CatalogueSource(const Project& p, int language, int extraItems) {
  const int l = int(std::find(content::kLanguages.begin(), content::kLanguages.end(), language) -
                    content::kLanguages.begin());
  DatabaseSource db;
  TableSource groups{content::kPictureGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const Translated& g : p.groups) groups.records.push_back({g[size_t(l)]});
  TableSource bodies{QStringLiteral("Body Styles"), {Str(QStringLiteral("Body Style"))}, {}, true};
  for (const Translated& b : p.bodyStyles) bodies.records.push_back({b[size_t(l)]});
  TableSource colours{QStringLiteral("Colours"),
                      {Str(QStringLiteral("Colour")), Str(QStringLiteral("Code"), kCodeBytes)},
                      {},
                      true};
  for (const NamedCode& c : p.coachColours) colours.records.push_back({c.name[size_t(l)], c.code});
  TableSource items{
      content::kPictureItemsTable,
      {Str(content::kItemNumberColumn, kItemNumberBytes), Str(content::kHeaderColumn, kHeaderBytes),
       Str(content::kDescriptionColumn, kDescriptionBytes),
       Link(content::kGroupColumn, content::kPictureGroupsTable, content::kGroupColumn, 1),
       Typed(QStringLiteral("Year"), ColumnType::ctWord),
       Link(QStringLiteral("Body Style"), QStringLiteral("Body Styles"),
            QStringLiteral("Body Style"), 2),
       Link(QStringLiteral("Colour"), QStringLiteral("Colours"), QStringLiteral("Colour"), 2),
       Str(QStringLiteral("Place"), kPlaceBytes),
       Typed(QStringLiteral("Date"), ColumnType::ctDateTime, 2)},
      {},
      true};
  auto itemRecord = [&](const Item& it, const QString& header) {
    QList<int> colourLinks;
    const QString &coach = it[ItemField::Coach], &roof = it[ItemField::Roof];
    if (!coach.isEmpty()) colourLinks.append(p.Coach(coach));
    if (!roof.isEmpty() && roof != coach) colourLinks.append(p.Coach(roof));
    const QString place = it[ItemField::Place].isEmpty()
                              ? QString()
                              : p.places.value(it[ItemField::Place])[size_t(l)];
    return QStringList{it[ItemField::Number],
                       header,
                       it[DescriptionField(l)],
                       it[ItemField::Group],
                       it[ItemField::Year],
                       it[ItemField::Body],
                       content::WriteLinkList(colourLinks),
                       place,
                       it[ItemField::Date]};
  };
  items.records.reserve(p.items.size() + size_t(extraItems));
  for (const Item& it : p.items) items.records.push_back(itemRecord(it, it[HeaderField(l)]));
  for (int i = 0; i < extraItems && !p.items.empty(); ++i) {
    const Item& it = p.items[size_t(i) % p.items.size()];
    items.records.push_back(itemRecord(
        it, QStringLiteral("%1 (%2)").arg(it[HeaderField(l)]).arg(i + 1).left(kHeaderBytes)));
  }
  TableSource props{content::kPicturePropertiesTable,
                    {Str(content::kTableColumn), Str(content::kShowColumn, kShowBytes),
                     Str(content::kDefinitionColumn, kDefinitionBytes), Str(content::kColumnColumn),
                     Str(content::kHintColumn), Str(content::kSelectAllLabelColumn),
                     Str(content::kLabelColumn)},
                    {},
                    true};
  for (const QueryRow& r : p.queryRows)
    props.records.push_back({r.table, r.show, r.definition, r.column, r.hint[size_t(l)],
                             r.selectAllLabel[size_t(l)], r.label[size_t(l)]});
  db.tables = {std::move(groups), std::move(bodies), std::move(colours), std::move(items),
               std::move(props)};
  AddEnamelTables(p, l, &db);
  return db;
}

DemoDatabases WorkDatabases(const Project& project, int extraItems) {
  DemoDatabases out;
  out.language = LanguageSource(project);
  out.records = RecordSources(project);
  for (int language : content::kLanguages)
    out.catalogues[language] = CatalogueSource(project, language, extraItems);
  return out;
}

}  // namespace olvtool
