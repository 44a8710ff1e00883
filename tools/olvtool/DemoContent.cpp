// Builds the demo reference work (databases, record file, archives, backgrounds, help) from content/.
#include "DemoContent.h"

#include "ArchiveWriter.h"
#include "DatabaseWriter.h"
#include "DemoPictures.h"
#include "InputFile.h"
#include "PcxWriter.h"
#include "RecordFileWriter.h"
#include "SourceSchema.h"
#include "database/ContentContract.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>

#include <functional>
#include <optional>

using orlaventis::ColumnType;
namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Every member gets this time stamp, so that two builds give the same archives.
const QDateTime kMemberTime(QDate(1998, 5, 4), QTime(12, 0));
constexpr QSize kPhotoSize(640, 480);
constexpr QSize kSlideSize(640, 480);
constexpr QSize kCarSize(620, 310);
constexpr QSize kSeatSize(310, 310);

QString Lang(int language) { return QString::number(language); }

// ---- sources ----

struct Sources {
  QJsonObject language, records, catalogue, enamel;
  QList<QMap<QString, QString>> items;  // items.tsv rows by column name
  QByteArray help;
};

// The whole source file at `path`, or nullopt with `error` set.
std::optional<QByteArray> ReadSource(const QString& path, QString* error) {
  orlaventis::FileContents file = orlaventis::ReadRegularFile(path, kMaxSourceBytes);
  if (file.status == orlaventis::FileReadStatus::Ok) return std::move(file.bytes);
  *error = FileProblem(path, file.status);
  return std::nullopt;
}

// The shape of each JSON source (see CheckSource): what the builders below read, nothing else.
constexpr char kLanguageSchema[] = R"({"top": {"?comment": "string", "prefix": "string",
  "languages": ["list", {"id": "int", "country": "string"}], "columns": ["list", "string"],
  "rows": ["list", ["row", "int", "string"]]}})";
constexpr char kRecordsSchema[] = R"({"top": {"?comment": "string", "intro": {"#": ["list", "string"]},
  "outline": ["list", "$node"]},
  "node": {"or": [{"title": "text", "children": ["list", "$node"]},
                  {"key": "string", "caption": "text", "columns": {"#": ["list", "string"]},
                   "?rows": {"or": ["string", ["list", ["list", "text"]]]},
                   "?rows_by_language": {"#": ["list", ["list", "string"]]}}]}})";
constexpr char kCatalogueSchema[] = R"({"top": {"?comment": "string", "groups": ["list", "text"],
  "body_styles": ["list", "text"], "places": {"*": "text"},
  "properties": ["list", ["tuple", "string", "string", "string", "string", "text", "text", "text"]]}})";
constexpr char kEnamelSchema[] = R"({"top": {"?comment": "string",
  "coach_colours": ["list", ["tuple", "string", "string", "bool", "text"]],
  "roof_colours": ["list", "string"],
  "fabric_materials": ["list", ["tuple", "string", "text", "string"]],
  "fabric_colours": ["list", ["tuple", "string", "string", "text"]],
  "models": ["list", {"name": "text", "body": "string", "years": ["tuple", "int", "int"]}],
  "model_years": ["tuple", "int", "int"],
  "eras": ["list", {"years": ["tuple", "int", "int"],
                    "paint": ["list", ["tuple", "string", "string|null", ["list", "int"]]],
                    "trim": ["list", ["tuple", "string", ["list", "string"], ["list", "int"]]]}]}})";
// The columns of items.tsv: these, and "Header " and "Description " with each language id.
constexpr const char* kItemColumns[] = {"Item Number", "Group", "Year", "Body", "Coach", "Roof", "Place",
                                        "Date", "Scene", "Backdrop", "BodyKind", "Material", "Fabric", "Number"};

bool ReadJson(const QString& path, const char* schema, QJsonObject* out, QString* error) {
  const std::optional<QByteArray> bytes = ReadSource(path, error);
  if (!bytes) return false;
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &pe);
  if (!doc.isObject()) {
    *error = QStringLiteral("%1: not a JSON object (%2 at offset %3)").arg(path, pe.errorString()).arg(pe.offset);
    return false;
  }
  if (!CheckSource(doc.object(), QJsonDocument::fromJson(schema).object(), path, error)) return false;
  *out = doc.object();
  return true;
}

bool ReadSources(const QString& folder, Sources* s, QString* error) {
  const QDir dir(folder);
  if (!ReadJson(dir.filePath(QStringLiteral("language.json")), kLanguageSchema, &s->language, error) ||
      !ReadJson(dir.filePath(QStringLiteral("records.json")), kRecordsSchema, &s->records, error) ||
      !ReadJson(dir.filePath(QStringLiteral("catalogue.json")), kCatalogueSchema, &s->catalogue, error) ||
      !ReadJson(dir.filePath(QStringLiteral("enamel.json")), kEnamelSchema, &s->enamel, error))
    return false;
  const QString tsv = dir.filePath(QStringLiteral("items.tsv"));
  const std::optional<QByteArray> items = ReadSource(tsv, error);
  if (!items) return false;
  const QStringList lines = QString::fromUtf8(*items).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  if (lines.isEmpty()) {
    *error = QStringLiteral("%1: empty").arg(tsv);
    return false;
  }
  const QStringList head = lines[0].split(QLatin1Char('\t'));
  QStringList known;
  for (const char* column : kItemColumns) known.append(QString::fromLatin1(column));
  for (int language : content::kLanguages)
    known << QStringLiteral("Header ") + Lang(language) << QStringLiteral("Description ") + Lang(language);
  for (const QString& column : head)
    if (!known.contains(column) || head.count(column) > 1) {
      *error = QStringLiteral("%1: line 1: column \"%2\" is unknown or repeated").arg(tsv, column);
      return false;
    }
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QStringList cells = lines[i].split(QLatin1Char('\t'));
    if (cells.size() != head.size()) {
      *error = QStringLiteral("%1: line %2 has %3 cells, the header %4").arg(tsv).arg(i + 1)
                   .arg(cells.size()).arg(head.size());
      return false;
    }
    QMap<QString, QString> row;
    for (qsizetype c = 0; c < head.size(); ++c) row.insert(head[c], cells[c]);
    s->items.append(row);
  }
  std::optional<QByteArray> help = ReadSource(dir.filePath(QStringLiteral("help.html")), error);
  if (!help) return false;
  s->help = std::move(*help);
  return true;
}

// A text per language: {"31": ..., "33": ..., "44": ...}, or one text for all.
QString PerLanguage(const QJsonValue& v, int language) {
  if (v.isObject()) return v.toObject().value(Lang(language)).toString();
  return v.toString();
}

ColumnSource Str(const QString& name, int size = 63) {
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

// ---- language database ----

DatabaseSource LanguageDatabase(const Sources& s) {
  DatabaseSource db;
  TableSource contents{content::kContentsTable, {Typed(content::kCountryIdColumn, ColumnType::ctWord),
                                                 Str(content::kCountryNameColumn, 40)}, {}, true};
  const QString prefix = s.language.value(QLatin1String("prefix")).toString();
  const QJsonArray languages = s.language.value(QLatin1String("languages")).toArray();
  const QJsonArray rows = s.language.value(QLatin1String("rows")).toArray();
  db.tables.push_back(contents);
  for (qsizetype li = 0; li < languages.size(); ++li) {
    const QJsonObject lo = languages[li].toObject();
    const QString country = lo.value(QLatin1String("country")).toString();
    db.tables[0].records.push_back({QString::number(lo.value(QLatin1String("id")).toInt()), country});
    TableSource t{content::LanguageTable(prefix, country),
                  {Typed(content::kTagColumn, ColumnType::ctInteger), Str(content::kCaptionColumn, 255),
                   Str(content::kHintColumn, 255)}, {}, true};
    for (const QJsonValue& rv : rows) {
      const QJsonArray r = rv.toArray();
      t.records.push_back({QString::number(r[0].toInt()), r[1 + 2 * li].toString(), r[2 + 2 * li].toString()});
    }
    db.tables.push_back(t);
  }
  return db;
}

// ---- record file ----

void OutlineRecords(const QJsonArray& nodes, int depth, int language, const std::function<QList<QStringList>(const QString&)>& derived,
                    QStringList* outline, std::vector<RecordSource>* records, QString* error) {
  for (const QJsonValue& nv : nodes) {
    const QJsonObject n = nv.toObject();
    const QString tabs(depth, QLatin1Char('\t'));
    if (n.contains(QLatin1String("children"))) {
      outline->append(tabs + PerLanguage(n.value(QLatin1String("title")), language));
      OutlineRecords(n.value(QLatin1String("children")).toArray(), depth + 1, language, derived, outline, records, error);
      continue;
    }
    const QString key = n.value(QLatin1String("key")).toString() + QLatin1Char('_') + Lang(language);
    QStringList columns;
    for (const QJsonValue& c : n.value(QLatin1String("columns")).toObject().value(Lang(language)).toArray())
      columns.append(c.toString());
    const std::optional<QString> topic = content::WriteOutlineTopic(
        {key, columns.join(QLatin1Char('@')), PerLanguage(n.value(QLatin1String("caption")), language)});
    if (!topic && error->isEmpty())
      *error = QStringLiteral("records.json: topic \"%1\": the key, columns or caption cannot be written as an outline line").arg(key);
    outline->append(tabs + topic.value_or(QString()));
    QStringList lines;
    if (n.contains(QLatin1String("rows_by_language"))) {
      for (const QJsonValue& r : n.value(QLatin1String("rows_by_language")).toObject().value(Lang(language)).toArray()) {
        QStringList cells;
        for (const QJsonValue& c : r.toArray()) cells.append(c.toString());
        lines.append(cells.join(QLatin1Char('@')));
      }
    } else if (n.value(QLatin1String("rows")).isString()) {
      for (const QStringList& cells : derived(n.value(QLatin1String("key")).toString() + QLatin1Char('|') + Lang(language)))
        lines.append(cells.join(QLatin1Char('@')));
    } else {
      for (const QJsonValue& r : n.value(QLatin1String("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue& c : r.toArray()) cells.append(PerLanguage(c, language));
        lines.append(cells.join(QLatin1Char('@')));
      }
    }
    records->push_back({uint32_t(records->size() + 1), content::TopicKey(key), lines.join(QLatin1Char('\n'))});
  }
}

// ---- paint and trim ----

struct Combination {
  int model = 0, year = 0, coach = 0, roof = 0, material = 0;  // record numbers, roof 0 = none
  QList<int> colours;
};

struct Enamel {
  QStringList coachCodes, roofCodes, materialCodes, fabricCodes;  // record n at index n - 1
  QList<QColor> coachColours, fabricColours;
  QList<bool> coachMetallic;
  QStringList materialKinds;
  int firstYear = 0, lastYear = 0;
  std::vector<Combination> items;

  int Coach(const QString& code) const { return int(coachCodes.indexOf(code)) + 1; }
};

// The record number of `code` in `codes` (from 1); 0 with `error` set when none has it.
int Resolve(const QStringList& codes, const QString& code, const QString& where, QString* error) {
  const int n = int(codes.indexOf(code)) + 1;
  if (n == 0 && error->isEmpty()) *error = QStringLiteral("%1: unknown code \"%2\"").arg(where, code);
  return n;
}

// The paint and trim of enamel.json (already checked against its schema), every code resolved;
// nullopt with `error` naming the file and the place of the first unknown code.
std::optional<Enamel> ReadEnamel(const QJsonObject& e, const QString& file, QString* problem) {
  QString first;
  QString* error = &first;
  Enamel en;
  for (const QJsonValue& v : e.value(QLatin1String("coach_colours")).toArray()) {
    const QJsonArray a = v.toArray();
    en.coachCodes.append(a[0].toString());
    en.coachColours.append(QColor(a[1].toString()));
    en.coachMetallic.append(a[2].toBool());
  }
  const QJsonArray roofs = e.value(QLatin1String("roof_colours")).toArray();
  for (qsizetype i = 0; i < roofs.size(); ++i) {
    en.roofCodes.append(roofs[i].toString());
    // A roof is painted in a coach colour and named after it.
    Resolve(en.coachCodes, roofs[i].toString(), QStringLiteral("%1: roof_colours[%2]").arg(file).arg(i), error);
  }
  for (const QJsonValue& v : e.value(QLatin1String("fabric_materials")).toArray()) {
    en.materialCodes.append(v.toArray()[0].toString());
    en.materialKinds.append(v.toArray()[2].toString());
  }
  for (const QJsonValue& v : e.value(QLatin1String("fabric_colours")).toArray()) {
    en.fabricCodes.append(v.toArray()[0].toString());
    en.fabricColours.append(QColor(v.toArray()[1].toString()));
  }
  const QJsonArray years = e.value(QLatin1String("model_years")).toArray();
  en.firstYear = years[0].toInt();
  en.lastYear = years[1].toInt();
  const QJsonArray models = e.value(QLatin1String("models")).toArray();
  const QJsonArray eras = e.value(QLatin1String("eras")).toArray();
  for (qsizetype ei = 0; ei < eras.size(); ++ei) {
    const QString where = QStringLiteral("%1: eras[%2]").arg(file).arg(ei);
    const QJsonArray paints = eras[ei].toObject().value(QLatin1String("paint")).toArray();
    for (qsizetype i = 0; i < paints.size(); ++i) {
      const QJsonArray paint = paints[i].toArray();
      Resolve(en.coachCodes, paint[0].toString(), where + QStringLiteral(".paint[%1][0]").arg(i), error);
      if (!paint[1].isNull())
        Resolve(en.roofCodes, paint[1].toString(), where + QStringLiteral(".paint[%1][1]").arg(i), error);
    }
    const QJsonArray trims = eras[ei].toObject().value(QLatin1String("trim")).toArray();
    for (qsizetype i = 0; i < trims.size(); ++i) {
      const QJsonArray trim = trims[i].toArray();
      Resolve(en.materialCodes, trim[0].toString(), where + QStringLiteral(".trim[%1][0]").arg(i), error);
      const QJsonArray colours = trim[1].toArray();
      for (qsizetype k = 0; k < colours.size(); ++k)
        Resolve(en.fabricCodes, colours[k].toString(), where + QStringLiteral(".trim[%1][1][%2]").arg(i).arg(k), error);
    }
  }
  if (!first.isEmpty()) {
    *problem = first;
    return std::nullopt;
  }
  for (int m = 1; m <= models.size(); ++m) {
    const QJsonArray span = models[m - 1].toObject().value(QLatin1String("years")).toArray();
    for (int y = span[0].toInt(); y <= span[1].toInt(); ++y) {
      for (const QJsonValue& ev : e.value(QLatin1String("eras")).toArray()) {
        const QJsonObject era = ev.toObject();
        const QJsonArray ey = era.value(QLatin1String("years")).toArray();
        if (y < ey[0].toInt() || y > ey[1].toInt()) continue;
        for (const QJsonValue& pv : era.value(QLatin1String("paint")).toArray()) {
          const QJsonArray paint = pv.toArray();
          if (!paint[2].toArray().contains(m)) continue;
          for (const QJsonValue& tv : era.value(QLatin1String("trim")).toArray()) {
            const QJsonArray trim = tv.toArray();
            if (!trim[2].toArray().contains(m)) continue;
            Combination c;
            c.model = m;
            c.year = y - en.firstYear + 1;
            c.coach = en.Coach(paint[0].toString());
            c.roof = paint[1].isNull() ? 0 : int(en.roofCodes.indexOf(paint[1].toString())) + 1;
            c.material = int(en.materialCodes.indexOf(trim[0].toString())) + 1;
            for (const QJsonValue& fc : trim[1].toArray()) c.colours.append(int(en.fabricCodes.indexOf(fc.toString())) + 1);
            en.items.push_back(c);
          }
        }
      }
    }
  }
  return en;
}

// Every paint and trim code of items.tsv (empty: none) names a record of enamel.json.
bool CheckItemCodes(const Sources& s, const Enamel& en, const QString& tsv, QString* error) {
  const struct { const char* column; const QStringList* codes; } kCoded[] = {
      {"Coach", &en.coachCodes}, {"Roof", &en.coachCodes}, {"Material", &en.materialCodes},
      {"Fabric", &en.fabricCodes}};
  for (qsizetype i = 0; i < s.items.size(); ++i)
    for (const auto& coded : kCoded) {
      const QString code = s.items[i].value(QString::fromLatin1(coded.column));
      if (!code.isEmpty() &&
          Resolve(*coded.codes, code, QStringLiteral("%1: line %2, column %3").arg(tsv).arg(i + 2).arg(QLatin1String(coded.column)), error) == 0)
        return false;
    }
  return true;
}

QStringList LinkCell(const QList<int>& links) {
  QStringList s;
  for (int l : links) s.append(QString::number(l));
  return s;
}

void AddEnamelTables(const QJsonObject& e, const Enamel& en, int language, DatabaseSource* db) {
  auto names = [&](const char* key, int nameIndex, const QString& table, const QString& column,
                   const QString& codeColumn) {
    TableSource t{table, {Str(column)}, {}, true};
    if (!codeColumn.isEmpty()) t.columns.push_back(Str(codeColumn, 8));
    for (const QJsonValue& v : e.value(QLatin1String(key)).toArray()) {
      const QJsonArray a = v.toArray();
      QStringList rec{PerLanguage(a[nameIndex], language)};
      if (!codeColumn.isEmpty()) rec.append(a[0].toString());
      t.records.push_back(rec);
    }
    db->tables.push_back(t);
  };
  TableSource groups{content::kEnamelGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const QJsonValue& m : e.value(QLatin1String("models")).toArray())
    groups.records.push_back({PerLanguage(m.toObject().value(QLatin1String("name")), language)});
  db->tables.push_back(groups);
  TableSource years{content::kEnamelModelyearsTable, {Str(content::kModelyearColumn, 8)}, {}, true};
  for (int y = en.firstYear; y <= en.lastYear; ++y) years.records.push_back({QString::number(y)});
  db->tables.push_back(years);
  names("coach_colours", 3, content::kEnamelCoachColorsTable, content::kCoachColorColumn, content::kColorCodeColumn);
  TableSource roofs{content::kEnamelRoofColorsTable, {Str(content::kRoofColorColumn), Str(content::kColorCodeColumn, 8)}, {}, true};
  const QJsonArray coach = e.value(QLatin1String("coach_colours")).toArray();
  for (const QString& code : en.roofCodes)
    roofs.records.push_back({PerLanguage(coach[en.Coach(code) - 1].toArray()[3], language), code});
  db->tables.push_back(roofs);
  names("fabric_materials", 1, content::kEnamelFabricMaterialsTable, content::kFabricMaterialColumn, content::kMaterialCodeColumn);
  names("fabric_colours", 2, content::kEnamelFabricColorsTable, content::kFabricColorColumn, content::kColorCodeColumn);
  TableSource items{content::kEnamelItemsTable,
                    {Link(content::kGroupColumn, content::kEnamelGroupsTable, content::kGroupColumn, 1),
                     Link(content::kModelyearColumn, content::kEnamelModelyearsTable, content::kModelyearColumn, 1),
                     Link(content::kCoachColorColumn, content::kEnamelCoachColorsTable, content::kCoachColorColumn, 1),
                     Link(content::kRoofColorColumn, content::kEnamelRoofColorsTable, content::kRoofColorColumn, 1),
                     Link(content::kFabricMaterialColumn, content::kEnamelFabricMaterialsTable, content::kFabricMaterialColumn, 1),
                     Link(content::kFabricColorColumn, content::kEnamelFabricColorsTable, content::kFabricColorColumn, 6)},
                    {}, true};
  for (const Combination& c : en.items)
    items.records.push_back({QString::number(c.model), QString::number(c.year), QString::number(c.coach),
                             QString::number(c.roof), QString::number(c.material), LinkCell(c.colours).join(QLatin1Char(','))});
  db->tables.push_back(items);
}

// ---- catalogue ----

DatabaseSource CatalogueDatabase(const Sources& s, const Enamel& en, int language, int extraItems) {
  DatabaseSource db;
  const QJsonObject& c = s.catalogue;
  TableSource groups{content::kPictureGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const QJsonValue& g : c.value(QLatin1String("groups")).toArray()) groups.records.push_back({PerLanguage(g, language)});
  TableSource bodies{QStringLiteral("Body Styles"), {Str(QStringLiteral("Body Style"))}, {}, true};
  for (const QJsonValue& b : c.value(QLatin1String("body_styles")).toArray()) bodies.records.push_back({PerLanguage(b, language)});
  TableSource colours{QStringLiteral("Colours"), {Str(QStringLiteral("Colour")), Str(QStringLiteral("Code"), 8)}, {}, true};
  const QJsonArray coach = s.enamel.value(QLatin1String("coach_colours")).toArray();
  for (const QJsonValue& v : coach) colours.records.push_back({PerLanguage(v.toArray()[3], language), v.toArray()[0].toString()});
  TableSource items{content::kPictureItemsTable,
                    {Str(content::kItemNumberColumn, 16), Str(content::kHeaderColumn, 80),
                     Str(content::kDescriptionColumn, 255),
                     Link(content::kGroupColumn, content::kPictureGroupsTable, content::kGroupColumn, 1),
                     Typed(QStringLiteral("Year"), ColumnType::ctWord),
                     Link(QStringLiteral("Body Style"), QStringLiteral("Body Styles"), QStringLiteral("Body Style"), 2),
                     Link(QStringLiteral("Colour"), QStringLiteral("Colours"), QStringLiteral("Colour"), 2),
                     Str(QStringLiteral("Place"), 40), Typed(QStringLiteral("Date"), ColumnType::ctDateTime, 2)},
                    {}, true};
  const QJsonObject places = c.value(QLatin1String("places")).toObject();
  auto itemRecord = [&](const QMap<QString, QString>& it, const QString& number, const QString& header) {
    QList<int> colourLinks;
    if (!it.value(QStringLiteral("Coach")).isEmpty()) colourLinks.append(en.Coach(it.value(QStringLiteral("Coach"))));
    if (!it.value(QStringLiteral("Roof")).isEmpty() && it.value(QStringLiteral("Roof")) != it.value(QStringLiteral("Coach")))
      colourLinks.append(en.Coach(it.value(QStringLiteral("Roof"))));
    return QStringList{number, header, it.value(QStringLiteral("Description ") + Lang(language)),
                       it.value(QStringLiteral("Group")), it.value(QStringLiteral("Year")), it.value(QStringLiteral("Body")),
                       LinkCell(colourLinks).join(QLatin1Char(',')),
                       PerLanguage(places.value(it.value(QStringLiteral("Place"))), language), it.value(QStringLiteral("Date"))};
  };
  for (const auto& it : s.items)
    items.records.push_back(itemRecord(it, it.value(QStringLiteral("Item Number")), it.value(QStringLiteral("Header ") + Lang(language))));
  for (int i = 0; i < extraItems && !s.items.isEmpty(); ++i) {
    const auto& it = s.items[i % s.items.size()];
    items.records.push_back(itemRecord(it, it.value(QStringLiteral("Item Number")),
                                       QStringLiteral("%1 (%2)").arg(it.value(QStringLiteral("Header ") + Lang(language))).arg(i + 1).left(80)));
  }
  TableSource props{content::kPicturePropertiesTable,
                    {Str(content::kTableColumn), Str(content::kShowColumn, 8), Str(content::kDefinitionColumn, 16),
                     Str(content::kColumnColumn), Str(content::kHintColumn), Str(content::kSelectAllLabelColumn),
                     Str(content::kLabelColumn)},
                    {}, true};
  for (const QJsonValue& pv : c.value(QLatin1String("properties")).toArray()) {
    const QJsonArray p = pv.toArray();
    props.records.push_back({p[0].toString(), p[1].toString(), p[2].toString(), p[3].toString(),
                             PerLanguage(p[4], language), PerLanguage(p[5], language), PerLanguage(p[6], language)});
  }
  db.tables = {groups, bodies, colours, items, props};
  AddEnamelTables(s.enamel, en, language, &db);
  return db;
}

// ---- pictures ----

QByteArray Encode(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (quality >= 0) writer.setQuality(quality);
  if (!writer.write(image)) return {};
  return bytes;
}

// Mostly JPEG; every format the decoder reads turns up among the members.
DemoFormat FormatFor(int index) {
  if (index % 31 == 7) return DemoFormat::Pcx;
  if (index % 23 == 5) return DemoFormat::Tiff;
  if (index % 19 == 3) return DemoFormat::Gif;
  if (index % 13 == 2) return DemoFormat::Bmp;
  if (index % 7 == 4) return DemoFormat::Png;
  return DemoFormat::Jpeg;
}

bool AddPicture(ArchiveWriter& archive, const QString& name, const QImage& image, DemoFormat format, QString* error) {
  if (image.isNull()) {
    *error = QStringLiteral("member %1: nothing painted").arg(name);
    return false;
  }
  const QByteArray bytes = EncodeDemoPicture(image, format);
  if (bytes.isEmpty()) {
    *error = QStringLiteral("member %1: the encoder failed").arg(name);
    return false;
  }
  // Compressed formats are stored; zlib only pays for BMP, TIFF and PCX.
  const MemberPacking packing = format == DemoFormat::Jpeg || format == DemoFormat::Png ? MemberPacking::Stored
                                                                                          : MemberPacking::Smaller;
  return archive.Add(name, bytes, kMemberTime, packing, error);
}

// Slide titles are shared by the three languages, so they are names and years only.
QString SlideTitle(int n) {
  static const char* const kTitles[10] = {"Orlaventis", "Orlaventis Coupé", "Herstal 1958", "Bruxelles · Brussel 1962",
                                          "Rallye des Ardennes 1966", "Orlaventis Break", "Knokke 1959", "Orlaventis 1500",
                                          "Orlaventis GT", "1957 – 1973"};
  return QString::fromUtf8(kTitles[n - 1]);
}

bool WritePhotoArchive(const Sources& s, const Enamel& en, const QString& path, QString* error) {
  ArchiveWriter archive;
  for (int n = 1; n <= content::kSlideCount; ++n)
    if (!AddPicture(archive, content::kSlideMember + QString::number(n), PaintSlide(n, SlideTitle(n), kSlideSize),
                    FormatFor(n + 3), error))
      return false;
  int index = 0;
  for (const auto& it : s.items) {
    PhotoRecipe r;
    r.scene = it.value(QStringLiteral("Scene"));
    r.backdrop = BackdropFromKey(it.value(QStringLiteral("Backdrop")));
    r.car.body = BodyKindFromKey(it.value(QStringLiteral("BodyKind")));
    const int coach = en.Coach(it.value(QStringLiteral("Coach")));
    r.car.coach = coach > 0 ? en.coachColours[coach - 1] : QColor(150, 150, 140);
    r.car.metallic = coach > 0 && en.coachMetallic[coach - 1];
    const int roof = en.Coach(it.value(QStringLiteral("Roof")));
    if (roof > 0) r.car.roof = en.coachColours[roof - 1];
    r.car.year = it.value(QStringLiteral("Year")).toInt();
    r.car.rallyNumber = it.value(QStringLiteral("Number")).toInt();
    const int material = int(en.materialCodes.indexOf(it.value(QStringLiteral("Material"))));
    if (material >= 0) r.material = en.materialKinds[material];
    const int fabric = int(en.fabricCodes.indexOf(it.value(QStringLiteral("Fabric"))));
    if (fabric >= 0) r.trim = en.fabricColours[fabric];
    r.caption = QStringLiteral("%1  ·  Orlaventis %2").arg(it.value(QStringLiteral("Item Number")), it.value(QStringLiteral("Year")));
    r.seed = uint32_t(1000 + index * 7919);
    if (!AddPicture(archive, it.value(QStringLiteral("Item Number")), PaintPhoto(r, kPhotoSize), FormatFor(index), error))
      return false;
    ++index;
  }
  return archive.Write(path, error);
}

// The car and seat pictures every reachable choice of the colour section needs.
void NeededEnamelMembers(const Enamel& en, QSet<QString>* cars, QSet<QString>* seats) {
  QMap<std::tuple<int, int, int>, QSet<int>> roofs;  // (model, year, coach) -> roofs offered
  for (const Combination& c : en.items) {
    auto& set = roofs[{c.model, c.year, c.coach}];
    if (c.roof > 0) set.insert(c.roof);
    for (int colour : c.colours)
      seats->insert(content::kSeatMember + en.materialCodes[c.material - 1] + en.fabricCodes[colour - 1]);
  }
  for (auto it = roofs.begin(); it != roofs.end(); ++it) {
    const QString coach = en.coachCodes[std::get<2>(it.key()) - 1];
    if (it.value().isEmpty()) cars->insert(content::kCarMember + coach + QLatin1Char('_') + coach);
    for (int roof : it.value()) cars->insert(content::kCarMember + coach + QLatin1Char('_') + en.roofCodes[roof - 1]);
  }
}

bool WriteEnamelArchive(const Enamel& en, const QString& path, QString* error) {
  QSet<QString> cars, seats;
  NeededEnamelMembers(en, &cars, &seats);
  QStringList carNames(cars.begin(), cars.end()), seatNames(seats.begin(), seats.end());
  carNames.sort();
  seatNames.sort();
  ArchiveWriter archive;
  int index = 0;
  for (const QString& name : carNames) {
    const QStringList codes = name.mid(4).split(QLatin1Char('_'));
    CarLook car;
    const int coach = en.Coach(codes[0]);
    car.coach = en.coachColours[coach - 1];
    car.metallic = en.coachMetallic[coach - 1];
    if (codes[1] != codes[0]) car.roof = en.coachColours[en.Coach(codes[1]) - 1];
    car.year = 1962;
    if (!AddPicture(archive, name, PaintCarSideView(car, kCarSize), FormatFor(index++ * 3), error)) return false;
  }
  for (const QString& name : seatNames) {
    const int material = int(en.materialCodes.indexOf(name.mid(4, 2)));
    const int colour = int(en.fabricCodes.indexOf(name.mid(6)));
    if (!AddPicture(archive, name, PaintSeat(en.materialKinds[material], en.fabricColours[colour], kSeatSize),
                    FormatFor(index++ * 5), error))
      return false;
  }
  return archive.Write(path, error);
}

bool WriteBackgrounds(const QString& folder, QString* error) {
  if (!QDir().mkpath(folder)) {
    *error = QStringLiteral("%1: cannot create the folder").arg(folder);
    return false;
  }
  const struct { QLatin1String suffix; QSize size; } kSizes[] = {
      {content::kSmallLayout, {640, 480}}, {content::kMiddleLayout, {800, 600}}, {content::kLargeLayout, {1024, 768}}};
  const DemoFormat kFormats[] = {DemoFormat::Jpeg, DemoFormat::Png, DemoFormat::Jpeg, DemoFormat::Jpeg};
  int i = 0;
  for (QLatin1String prefix : content::kBackgroundPrefixes) {
    for (const auto& sz : kSizes) {
      const QString name = prefix + sz.suffix;
      const QByteArray bytes = EncodeDemoPicture(PaintBackground(prefix, sz.size), kFormats[i % 4]);
      if (bytes.isEmpty()) {
        *error = QStringLiteral("background %1: the encoder failed").arg(name);
        return false;
      }
      if (!WriteFileAtomically(QDir(folder).filePath(name), bytes, error)) return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

QByteArray EncodeGif(const QImage& image) {
  if (image.isNull() || image.width() > 65535 || image.height() > 65535) return {};
  const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
  QList<QRgb> table = indexed.colorTable();
  table.resize(256, qRgb(0, 0, 0));
  QByteArray out("GIF87a");
  auto word = [&](int v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
  };
  word(image.width());
  word(image.height());
  out.append(char(0xF7));  // global table of 256 entries, 8 bits of colour resolution
  out.append('\0');
  out.append('\0');
  for (QRgb c : table) {
    out.append(char(qRed(c)));
    out.append(char(qGreen(c)));
    out.append(char(qBlue(c)));
  }
  out.append(',');
  word(0);
  word(0);
  word(image.width());
  word(image.height());
  out.append('\0');
  out.append(char(8));  // minimum code size
  QByteArray packed;
  uint32_t bits = 0;
  int bitCount = 0;
  auto code = [&](int c) {
    bits |= uint32_t(c) << bitCount;
    bitCount += 9;
    while (bitCount >= 8) {
      packed.append(char(bits & 0xFF));
      bits >>= 8;
      bitCount -= 8;
    }
  };
  constexpr int kClear = 256, kEnd = 257, kRun = 250;
  int sinceClear = 0;
  code(kClear);
  for (int y = 0; y < indexed.height(); ++y) {
    const uchar* line = indexed.constScanLine(y);
    for (int x = 0; x < indexed.width(); ++x) {
      if (sinceClear == kRun) {
        code(kClear);
        sinceClear = 0;
      }
      code(line[x]);
      ++sinceClear;
    }
  }
  code(kEnd);
  if (bitCount > 0) packed.append(char(bits & 0xFF));
  for (qsizetype i = 0; i < packed.size(); i += 255) {
    const qsizetype n = std::min<qsizetype>(255, packed.size() - i);
    out.append(char(n));
    out.append(packed.constData() + i, n);
  }
  out.append('\0');
  out.append(';');
  return out;
}

QByteArray EncodeDemoPicture(const QImage& image, DemoFormat format) {
  if (image.isNull()) return {};
  switch (format) {
    case DemoFormat::Jpeg: return Encode(image, "jpeg", 85);
    case DemoFormat::Png: return Encode(image, "png");
    case DemoFormat::Bmp: return Encode(image.convertToFormat(QImage::Format_RGB888), "bmp");
    case DemoFormat::Tiff: return Encode(image, "tiff");
    case DemoFormat::Gif: return EncodeGif(image);
    case DemoFormat::Pcx: return WritePcx(image, PcxDepth::Rgb24);
  }
  return {};
}

namespace {

// Reads and checks every source of `folder`; the paint and trim with every code resolved.
std::optional<Enamel> ReadAllSources(const QString& folder, Sources* s, QString* error) {
  if (!ReadSources(folder, s, error)) return std::nullopt;
  const QDir dir(folder);
  std::optional<Enamel> en = ReadEnamel(s->enamel, dir.filePath(QStringLiteral("enamel.json")), error);
  if (!en || !CheckItemCodes(*s, *en, dir.filePath(QStringLiteral("items.tsv")), error)) return std::nullopt;
  return en;
}

bool BuildDatabases(const Sources& s, const Enamel& en, int extraItems, DemoDatabases* out, QString* error) {
  // Language database.
  out->language = LanguageDatabase(s);
  // Record file: introduction and production texts of every language.
  auto derived = [&](const QString& keyAndLanguage) {
    const QStringList parts = keyAndLanguage.split(QLatin1Char('|'));
    const int language = parts[1].toInt();
    QList<QStringList> rows;
    if (parts[0] == QLatin1String("Prod_Colours")) {
      const QJsonArray coach = s.enamel.value(QLatin1String("coach_colours")).toArray();
      for (qsizetype i = 0; i < coach.size(); ++i) {
        int first = 9999, last = 0;
        for (const Combination& c : en.items)
          if (c.coach == i + 1 || (c.roof > 0 && en.roofCodes[c.roof - 1] == en.coachCodes[i])) {
            first = std::min(first, en.firstYear + c.year - 1);
            last = std::max(last, en.firstYear + c.year - 1);
          }
        if (last > 0)
          rows.append({PerLanguage(coach[i].toArray()[3], language), en.coachCodes[i],
                       QStringLiteral("%1 – %2").arg(first).arg(last)});
      }
    } else {
      const QJsonArray materials = s.enamel.value(QLatin1String("fabric_materials")).toArray();
      for (qsizetype i = 0; i < materials.size(); ++i) {
        int first = 9999, last = 0;
        for (const Combination& c : en.items)
          if (c.material == i + 1) {
            first = std::min(first, en.firstYear + c.year - 1);
            last = std::max(last, en.firstYear + c.year - 1);
          }
        if (last > 0)
          rows.append({PerLanguage(materials[i].toArray()[1], language), en.materialCodes[i],
                       QStringLiteral("%1 – %2").arg(first).arg(last)});
      }
    }
    return rows;
  };
  std::vector<RecordSource> records;
  const QJsonObject intro = s.records.value(QLatin1String("intro")).toObject();
  for (int language : kDemoLanguages) {
    QStringList lines;
    for (const QJsonValue& l : intro.value(Lang(language)).toArray()) lines.append(l.toString());
    records.push_back({uint32_t(records.size() + 1), content::IntroKey(language), lines.join(QLatin1Char('\n'))});
    QStringList outline;
    std::vector<RecordSource> tables;
    OutlineRecords(s.records.value(QLatin1String("outline")).toArray(), 0, language, derived, &outline, &tables, error);
    records.push_back({uint32_t(records.size() + 1), content::ProductionContentsKey(language),
                       outline.join(QLatin1Char('\n'))});
    for (RecordSource& t : tables) {
      t.tag = uint32_t(records.size() + 1);
      records.push_back(t);
    }
  }
  out->records = std::move(records);
  for (int language : kDemoLanguages) out->catalogues[language] = CatalogueDatabase(s, en, language, extraItems);
  return error->isEmpty();
}

}  // namespace

bool BuildDemoDatabases(const DemoOptions& options, DemoDatabases* out, QString* error) {
  Sources s;
  const std::optional<Enamel> en = ReadAllSources(options.sources, &s, error);
  if (!en) return false;
  return BuildDatabases(s, *en, options.extraItems, out, error);
}

bool WriteDemoContent(const QString& outFolder, const DemoOptions& options, QString* error) {
  Sources s;
  const std::optional<Enamel> read = ReadAllSources(options.sources, &s, error);
  if (!read) return false;
  const Enamel& en = *read;
  const QDir out(outFolder);
  if (!QDir().mkpath(out.filePath(QStringLiteral("d"))) || !QDir().mkpath(out.filePath(QStringLiteral("help")))) {
    *error = QStringLiteral("%1: cannot create the content folders").arg(outFolder);
    return false;
  }
  DemoDatabases dbs;
  if (!BuildDatabases(s, en, options.extraItems, &dbs, error)) return false;
  const QString language = content::LocalPath(content::kLanguageFile);
  if (!WriteDatabase(dbs.language, out.filePath(language), QString(), error)) {
    *error = language + QStringLiteral(": ") + *error;
    return false;
  }
  const QString records = content::LocalPath(content::kRecordFile);
  if (!WriteRecordFile(dbs.records, out.filePath(records), error)) {
    *error = records + QStringLiteral(": ") + *error;
    return false;
  }
  for (const auto& [language, catalogue] : dbs.catalogues) {
    const QString name = content::LocalPath(content::CatalogueFile(language));
    if (!WriteDatabase(catalogue, out.filePath(name), QString(), error)) {
      *error = name + QStringLiteral(": ") + *error;
      return false;
    }
  }
  // Help page: one file, the language chosen by its "lang" parameter.
  if (!WriteFileAtomically(out.filePath(content::LocalPath(content::kHelpPage)), s.help, error)) return false;
  // Pictures.
  if (!WriteBackgrounds(out.filePath(content::LocalPath(content::kBackgroundFolder)), error)) return false;
  if (!WriteEnamelArchive(en, out.filePath(content::kEnamelArchive), error)) {
    *error = content::kEnamelArchive + QStringLiteral(": ") + *error;
    return false;
  }
  if (!WritePhotoArchive(s, en, out.filePath(content::kPhotoArchive), error)) {
    *error = content::kPhotoArchive + QStringLiteral(": ") + *error;
    return false;
  }
  return true;
}

}  // namespace olvtool
