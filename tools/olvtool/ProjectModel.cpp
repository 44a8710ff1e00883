// The typed model of an authoring project's text sources: read once, checked whole, then written.
#include "ProjectModel.h"

#include "Cli.h"
#include "InputFile.h"
#include "SourceSchema.h"
#include "database/ContentContract.h"
#include "database/RegularFile.h"
#include "database/Win1252.h"
#include "media/TempFolder.h"

#include <QDate>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <iterator>
#include <limits>
#include <tuple>

namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Lists past these sizes are no paint and trim of one car, and would only make the expansion
// of every combination slow.
constexpr qsizetype kMostListed = 1000;
constexpr size_t kMostCombinations = 200000;
constexpr int kFirstYear = 1, kLastYear = 9999, kMostModelYears = 200;

const QString kLanguageFile = QStringLiteral("language.json");
const QString kRecordsFile = QStringLiteral("records.json");
const QString kCatalogueFile = QStringLiteral("catalogue.json");
const QString kEnamelFile = QStringLiteral("enamel.json");

QString Lang(int language) { return QString::number(language); }

// The column of each item field, in the order of ItemField.
const QStringList& FieldNames() {
  static_assert(std::size(kItemColumns) + 6 == size_t(ItemField::Count));
  static const QStringList names = [] {
    QStringList n;
    for (const char* column : kItemColumns) n.append(QLatin1String(column));
    for (const char* kind : {"Header", "Description"})
      for (int language : content::kLanguages)
        n.append(QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(language));
    return n;
  }();
  return names;
}

constexpr char kLanguageSchema[] = R"({"top": {"?comment": "string", "prefix": "string",
  "languages": ["list", {"id": "int", "country": "string"}], "columns": ["list", "string"],
  "rows": ["list", ["row", "int", "string"]]}})";
constexpr char kRecordsSchema[] =
    R"({"top": {"?comment": "string", "intro": {"#": ["list", "string"]},
  "outline": ["list", "$node"]},
  "node": {"or": [{"title": "text", "children": ["list", "$node"]},
                  {"key": "string", "caption": "text", "columns": {"#": ["list", "string"]},
                   "?rows": {"or": ["string", ["list", ["list", "text"]]]},
                   "?rows_by_language": {"#": ["list", ["list", "string"]]}}]}})";
constexpr char kCatalogueSchema[] = R"({"top": {"?comment": "string", "groups": ["list", "text"],
  "body_styles": ["list", "text"], "places": {"*": "text"},
  "properties": ["list", ["tuple", "string", "string", "string", "string", "text", "text", "text"]]}})";
constexpr char kEnamelSchema[] = R"({"top": {"?comment": "string",
  "coach_colours": ["list", ["tuple", "string", "text"]],
  "roof_colours": ["list", "string"],
  "fabric_materials": ["list", ["tuple", "string", "text"]],
  "fabric_colours": ["list", ["tuple", "string", "text"]],
  "models": ["list", {"name": "text", "body": "string", "?code": "string", "years": ["tuple", "int", "int"]}],
  "model_years": ["tuple", "int", "int"],
  "eras": ["list", {"years": ["tuple", "int", "int"],
                    "paint": ["list", ["tuple", "string", "string|null", ["list", "int"]]],
                    "trim": ["list", ["tuple", "string", ["list", "string"], ["list", "int"]]]}]}})";

// ---- JSON ----

// Every object whose keys are all language ids names all three (a text in every language).
void CheckTranslations(const QJsonValue& v, const QString& where, const QString& file,
                       Problems& problems) {
  if (v.isArray()) {
    const QJsonArray a = v.toArray();
    for (qsizetype i = 0; i < a.size(); ++i)
      CheckTranslations(a[i], where + QStringLiteral("[%1]").arg(i), file, problems);
    return;
  }
  if (!v.isObject()) return;
  const QJsonObject o = v.toObject();
  bool byLanguage = !o.isEmpty();
  for (auto it = o.begin(); it != o.end(); ++it)
    byLanguage = byLanguage && content::IsLanguage(it.key().toInt());
  for (auto it = o.begin(); it != o.end(); ++it)
    CheckTranslations(it.value(), where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key(),
                      file, problems);
  if (!byLanguage) return;
  for (int language : content::kLanguages)
    if (!o.contains(Lang(language)))
      problems.In(file, QStringLiteral("%1: no text in language %2 (a missing translation)")
                            .arg(where)
                            .arg(language));
}

// The JSON source `name` checked against `schema`, or nullopt with the problems reported.
std::optional<QJsonObject> ParseJson(const std::optional<QByteArray>& bytes, const QString& name,
                                     const char* schema, Problems& problems) {
  if (!bytes) return std::nullopt;
  if (const qsizetype bad = FirstInvalidUtf8(*bytes); bad >= 0) {
    const auto [line, column] = LineAndColumn(*bytes, bad);
    problems.At(name, line, column,
                QStringLiteral("not UTF-8 text (byte 0x%1)")
                    .arg(uchar((*bytes)[bad]), 2, 16, QLatin1Char('0')));
    return std::nullopt;
  }
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &pe);
  if (!doc.isObject()) {
    const auto [line, column] = LineAndColumn(*bytes, pe.offset);
    problems.At(name, line, column, QStringLiteral("not a JSON object (%1)").arg(pe.errorString()));
    return std::nullopt;
  }
  QString error;
  if (!CheckSource(doc.object(), QJsonDocument::fromJson(schema).object(), name, &error)) {
    problems.In(name, error.mid(name.size() + 2));
    return std::nullopt;
  }
  CheckTranslations(doc.object(), QString(), name, problems);
  return doc.object();
}

// A text in every language: {"31": ..., "33": ..., "44": ...}, or one text for all.
Translated Texts(const QJsonValue& v) {
  Translated t;
  for (size_t l = 0; l < t.size(); ++l)
    t[l] = v.isObject() ? v.toObject().value(Lang(content::kLanguages[l])).toString()
                        : v.toString();
  return t;
}

QStringList Strings(const QJsonValue& v) {
  QStringList list;
  for (const QJsonValue& s : v.toArray()) list.append(s.toString());
  return list;
}

// ---- the sources into the model (each already fits its schema) ----

void ReadLanguage(const QJsonObject& o, Project* p, Problems& problems) {
  p->prefix = o.value(QLatin1String("prefix")).toString();
  for (const QJsonValue& v : o.value(QLatin1String("languages")).toArray())
    p->languages.push_back({v.toObject().value(QLatin1String("id")).toInteger(),
                            v.toObject().value(QLatin1String("country")).toString()});
  const QJsonArray rows = o.value(QLatin1String("rows")).toArray();
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const QJsonArray r = rows[i].toArray();
    if (r.size() != qsizetype(1 + 2 * p->languages.size()))
      problems.In(
          kLanguageFile,
          QStringLiteral(
              "rows[%1] holds %2 values, not a tag and a caption and hint per language (%3)")
              .arg(i)
              .arg(r.size())
              .arg(1 + 2 * p->languages.size()));
    p->captions.push_back({r[0].toInteger(), Strings(r).mid(1)});
    if (p->captions.back().tag < std::numeric_limits<qint32>::min() ||
        p->captions.back().tag > std::numeric_limits<qint32>::max())
      problems.In(kLanguageFile, QStringLiteral("rows[%1][0]: the tag %2 is not a 32-bit number")
                                     .arg(i)
                                     .arg(p->captions.back().tag));
  }
}

std::vector<OutlineNode> ReadOutline(const QJsonArray& nodes) {
  std::vector<OutlineNode> outline;
  for (const QJsonValue& nv : nodes) {
    const QJsonObject n = nv.toObject();
    OutlineNode node;
    if (n.contains(QLatin1String("children"))) {
      node.title = Texts(n.value(QLatin1String("title")));
      node.children = ReadOutline(n.value(QLatin1String("children")).toArray());
      outline.push_back(std::move(node));
      continue;
    }
    ProductionTable table;
    table.key = n.value(QLatin1String("key")).toString();
    table.caption = Texts(n.value(QLatin1String("caption")));
    table.fromEnamel = n.value(QLatin1String("rows")).isString();
    for (size_t l = 0; l < 3; ++l) {
      const QString language = Lang(content::kLanguages[l]);
      table.columns[l] = Strings(n.value(QLatin1String("columns")).toObject().value(language));
      if (n.contains(QLatin1String("rows_by_language"))) {
        for (const QJsonValue& r :
             n.value(QLatin1String("rows_by_language")).toObject().value(language).toArray())
          table.rows[l].append(Strings(r));
      } else if (!table.fromEnamel) {
        for (const QJsonValue& r : n.value(QLatin1String("rows")).toArray()) {
          QStringList cells;
          for (const QJsonValue& c : r.toArray()) cells.append(Texts(c)[l]);
          table.rows[l].append(cells);
        }
      }
    }
    node.table = std::move(table);
    outline.push_back(std::move(node));
  }
  return outline;
}

void ReadRecords(const QJsonObject& o, Project* p) {
  for (size_t l = 0; l < 3; ++l)
    p->intro[l] =
        Strings(o.value(QLatin1String("intro")).toObject().value(Lang(content::kLanguages[l])));
  p->outline = ReadOutline(o.value(QLatin1String("outline")).toArray());
}

void ReadCatalogue(const QJsonObject& o, Project* p) {
  for (const QJsonValue& g : o.value(QLatin1String("groups")).toArray())
    p->groups.push_back(Texts(g));
  for (const QJsonValue& b : o.value(QLatin1String("body_styles")).toArray())
    p->bodyStyles.push_back(Texts(b));
  const QJsonObject places = o.value(QLatin1String("places")).toObject();
  for (auto it = places.begin(); it != places.end(); ++it)
    p->places.insert(it.key(), Texts(it.value()));
  for (const QJsonValue& v : o.value(QLatin1String("properties")).toArray()) {
    const QJsonArray r = v.toArray();
    p->queryRows.push_back({r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(),
                            Texts(r[4]), Texts(r[5]), Texts(r[6])});
  }
}

std::vector<NamedCode> NamedCodes(const QJsonValue& list) {
  std::vector<NamedCode> named;
  for (const QJsonValue& v : list.toArray())
    named.push_back({v.toArray()[0].toString(), Texts(v.toArray()[1])});
  return named;
}

QStringList CodesOf(const std::vector<NamedCode>& named) {
  QStringList codes;
  for (const NamedCode& n : named) codes.append(n.code);
  return codes;
}

// The span `years` ([first, last], two whole numbers by the schema) when it is one: first not
// after last, both within the years a database field holds; else nullopt with the problem
// reported at `where`. Checked before anything is expanded over it.
std::optional<std::pair<int, int>> YearsOf(const QJsonValue& years, const QString& where,
                                           Problems& problems) {
  const double first = years.toArray()[0].toDouble(), last = years.toArray()[1].toDouble();
  if (first < kFirstYear || last > kLastYear || first > last) {
    problems.In(
        kEnamelFile,
        QStringLiteral("%1: %2 to %3 is no span of years (from %4 to %5, first not after last)")
            .arg(where)
            .arg(first, 0, 'f', 0)
            .arg(last, 0, 'f', 0)
            .arg(kFirstYear)
            .arg(kLastYear));
    return std::nullopt;
  }
  return std::pair{int(first), int(last)};
}

// The paint and trim with every combination expanded. An unknown code, a span that is no span
// of years or a list past its bounds is a problem, and nothing is expanded then.
void ReadEnamel(const QJsonObject& e, Project* p, Problems& problems) {
  const size_t before = problems.Count();
  p->coachColours = NamedCodes(e.value(QLatin1String("coach_colours")));
  p->fabricMaterials = NamedCodes(e.value(QLatin1String("fabric_materials")));
  p->fabricColours = NamedCodes(e.value(QLatin1String("fabric_colours")));
  p->roofCodes = Strings(e.value(QLatin1String("roof_colours")));
  const QStringList coachCodes = CodesOf(p->coachColours),
                    materialCodes = CodesOf(p->fabricMaterials),
                    fabricCodes = CodesOf(p->fabricColours);
  for (const char* list :
       {"coach_colours", "roof_colours", "fabric_materials", "fabric_colours", "models", "eras"})
    if (e.value(QLatin1String(list)).toArray().size() > kMostListed)
      problems.In(
          kEnamelFile,
          QStringLiteral("%1: more than %2 entries").arg(QLatin1String(list)).arg(kMostListed));
  auto resolve = [&](const QStringList& codes, const QString& code, const QString& where) {
    if (!codes.contains(code))
      problems.In(kEnamelFile,
                  QStringLiteral("%1: unknown code \"%2\"").arg(where, Printable(code)));
  };
  // A roof is painted in a coach colour and named after it.
  for (qsizetype i = 0; i < p->roofCodes.size(); ++i)
    resolve(coachCodes, p->roofCodes[i], QStringLiteral("roof_colours[%1]").arg(i));
  const std::optional<std::pair<int, int>> modelYears =
      YearsOf(e.value(QLatin1String("model_years")), QStringLiteral("model_years"), problems);
  if (modelYears && modelYears->second - modelYears->first > kMostModelYears)
    problems.In(kEnamelFile, QStringLiteral("model_years: %1 to %2 spans more than %3 years")
                                 .arg(modelYears->first)
                                 .arg(modelYears->second)
                                 .arg(kMostModelYears));
  if (modelYears) p->firstYear = modelYears->first, p->lastYear = modelYears->second;
  const QJsonArray eras = e.value(QLatin1String("eras")).toArray();
  std::vector<std::pair<int, int>> eraYears;
  for (qsizetype ei = 0; ei < eras.size(); ++ei) {
    const QString where = QStringLiteral("eras[%1]").arg(ei);
    eraYears.push_back(YearsOf(eras[ei].toObject().value(QLatin1String("years")),
                               where + QStringLiteral(".years"), problems)
                           .value_or(std::pair{0, -1}));
    const QJsonArray paints = eras[ei].toObject().value(QLatin1String("paint")).toArray();
    for (qsizetype i = 0; i < paints.size(); ++i) {
      const QJsonArray paint = paints[i].toArray();
      resolve(coachCodes, paint[0].toString(), where + QStringLiteral(".paint[%1][0]").arg(i));
      if (!paint[1].isNull())
        resolve(p->roofCodes, paint[1].toString(), where + QStringLiteral(".paint[%1][1]").arg(i));
    }
    const QJsonArray trims = eras[ei].toObject().value(QLatin1String("trim")).toArray();
    for (qsizetype i = 0; i < trims.size(); ++i) {
      const QJsonArray trim = trims[i].toArray();
      resolve(materialCodes, trim[0].toString(), where + QStringLiteral(".trim[%1][0]").arg(i));
      const QJsonArray colours = trim[1].toArray();
      if (colours.size() > kMostFabricColours)
        problems.In(kEnamelFile,
                    QStringLiteral("%1.trim[%2][1]: more than %3 fabric colours for one material")
                        .arg(where)
                        .arg(i)
                        .arg(kMostFabricColours));
      for (qsizetype k = 0; k < colours.size(); ++k)
        resolve(fabricCodes, colours[k].toString(),
                where + QStringLiteral(".trim[%1][1][%2]").arg(i).arg(k));
    }
  }
  static const QRegularExpression kModelCode(QStringLiteral("^[A-Z0-9]{0,3}$"));
  const QJsonArray models = e.value(QLatin1String("models")).toArray();
  for (qsizetype m = 0; m < models.size(); ++m) {
    const QJsonObject o = models[m].toObject();
    Model model{Texts(o.value(QLatin1String("name"))), o.value(QLatin1String("body")).toString(),
                o.value(QLatin1String("code")).toString(), 0, -1};
    // It ends coach codes in member names and a column of 8 characters.
    if (!kModelCode.match(model.code).hasMatch())
      problems.In(kEnamelFile,
                  QStringLiteral("models[%1].code: \"%2\" is not up to 3 capitals or digits")
                      .arg(m)
                      .arg(Printable(model.code)));
    if (!p->codeGroups.contains(model.code)) p->codeGroups.append(model.code);
    if (const auto span = YearsOf(o.value(QLatin1String("years")),
                                  QStringLiteral("models[%1].years").arg(m), problems))
      std::tie(model.first, model.last) = *span;
    p->models.push_back(std::move(model));
  }
  if (problems.Count() > before) return;
  for (int m = 1; m <= int(p->models.size()); ++m) {
    // The paints and trims of each era that the model had, each looked up once.
    std::vector<std::vector<QJsonArray>> paints(size_t(eras.size())), trims(size_t(eras.size()));
    for (qsizetype ei = 0; ei < eras.size(); ++ei) {
      const QJsonObject era = eras[ei].toObject();
      for (const QJsonValue& pv : era.value(QLatin1String("paint")).toArray())
        if (pv.toArray()[2].toArray().contains(m)) paints[size_t(ei)].push_back(pv.toArray());
      for (const QJsonValue& tv : era.value(QLatin1String("trim")).toArray())
        if (tv.toArray()[2].toArray().contains(m)) trims[size_t(ei)].push_back(tv.toArray());
    }
    const Model& model = p->models[size_t(m - 1)];
    for (int y = std::max(model.first, p->firstYear); y <= std::min(model.last, p->lastYear); ++y)
      for (qsizetype ei = 0; ei < eras.size(); ++ei) {
        if (y < eraYears[size_t(ei)].first || y > eraYears[size_t(ei)].second) continue;
        for (const QJsonArray& paint : paints[size_t(ei)])
          for (const QJsonArray& trim : trims[size_t(ei)]) {
            if (p->combinations.size() >= kMostCombinations) {
              problems.In(kEnamelFile,
                          QStringLiteral("eras: more than %1 combinations of paint and trim")
                              .arg(kMostCombinations));
              return;
            }
            Combination c;
            c.model = m;
            c.year = y - p->firstYear + 1;
            c.coach = p->Coach(paint[0].toString());
            c.roof = paint[1].isNull() ? 0 : int(p->roofCodes.indexOf(paint[1].toString())) + 1;
            c.material = int(materialCodes.indexOf(trim[0].toString())) + 1;
            for (const QJsonValue& fc : trim[1].toArray())
              c.colours.append(int(fabricCodes.indexOf(fc.toString())) + 1);
            p->combinations.push_back(c);
          }
      }
  }
}

// The items of the table, each cell taken to its field. A header that names no field, or names
// one twice, or a row of another length is a problem. `bytes` is let go once split into cells,
// and each row once taken into its item: a large table is held once, not three times.
bool ReadItems(std::optional<QByteArray>& bytes, Project* p, Problems& problems,
               QStringList* notes) {
  if (!bytes) return false;
  const QString& file = p->itemsFile;
  std::vector<Problem> found;
  std::optional<ItemsTable> table = ReadItemsTable(*bytes, file, &found);
  bytes.reset();
  for (Problem& problem : found) problems.Add(std::move(problem));
  if (!table) return false;
  if (table->windows1252 && notes != nullptr)
    notes->append(
        file +
        QStringLiteral(": not UTF-8, read as Windows-1252 (as spreadsheet programs save it)"));
  if (table->rows.empty()) {
    problems.In(file, QStringLiteral("empty: the first line names the columns"));
    return false;
  }
  const QStringList& fields = FieldNames();
  const TableRow& head = table->rows[0];
  const size_t before = problems.Count();
  std::vector<int> fieldOf;
  QSet<int> named;
  for (const TableCell& c : head) {
    const int field = int(fields.indexOf(c.text));
    if (field < 0 || named.contains(field))
      problems.At(file, c.line, c.column,
                  QStringLiteral("column \"%1\" is unknown or repeated").arg(Printable(c.text)));
    named.insert(field);
    fieldOf.push_back(field);
  }
  for (ItemField required : {ItemField::Number, ItemField::Photo, ItemField::Header31,
                             ItemField::Header33, ItemField::Header44})
    if (!named.contains(int(required)))
      problems.At(file, 1, 1, QStringLiteral("no column \"%1\"").arg(fields[int(required)]));
  if (problems.Count() > before) return false;
  p->items.reserve(table->rows.size() - 1);
  for (size_t r = 1; r < table->rows.size(); ++r) {
    TableRow row = std::move(table->rows[r]);
    if (row.size() != head.size()) {
      problems.At(file, row[0].line, 1,
                  QStringLiteral("%1 cells, the first line names %2 columns")
                      .arg(row.size())
                      .arg(head.size()));
      continue;
    }
    Item item;
    item.line = row[0].line;
    for (TableCell& cell : item.cells) cell.line = item.line;
    for (size_t c = 0; c < head.size(); ++c) item.cells[size_t(fieldOf[c])] = std::move(row[c]);
    p->items.push_back(std::move(item));
  }
  return true;
}

// ---- checks ----

// Why `text` cannot stand in a database field of `limit` bytes, or empty: a character outside
// Windows-1252, a NUL (the field would end there), or too many bytes.
QString TooLong(const QString& text, int limit) {
  const std::optional<QByteArray> bytes = orlaventis::EncodeWin1252(text);
  if (!bytes) return QStringLiteral("holds a character outside Windows-1252");
  if (bytes->contains('\0')) return QStringLiteral("holds a NUL character");
  if (bytes->size() > limit)
    return QStringLiteral("too long for its field (%1 bytes, at most %2)")
        .arg(bytes->size())
        .arg(limit);
  return {};
}

// Reports at `file`: `where` a text that does not fit a field of `limit` bytes.
void CheckText(const QString& file, const QString& where, const QString& text, int limit,
               Problems& problems) {
  if (const QString why = TooLong(text, limit); !why.isEmpty())
    problems.In(file, where + QStringLiteral(": ") + why);
}
// The same for each language of `t` ("groups[2].33"); once, without a language, for one text
// that stands for all three.
void CheckText(const QString& file, const QString& where, const Translated& t, int limit,
               Problems& problems) {
  if (t[0] == t[1] && t[1] == t[2]) return CheckText(file, where, t[0], limit, problems);
  for (size_t l = 0; l < t.size(); ++l)
    CheckText(file, where + QLatin1Char('.') + Lang(content::kLanguages[l]), t[l], limit, problems);
}

bool HasLineBreak(const QString& text) {
  return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Why the texts of `cells` cannot stand as one line of a production table, or empty.
QString TableLineProblem(const QStringList& cells) {
  const std::optional<QString> line = content::WriteTableLine(cells);
  if (line && content::ReadTableLine(*line) == cells) return {};
  for (const QString& cell : cells)
    if (cell.contains(QLatin1Char('@')) || HasLineBreak(cell))
      return QStringLiteral("\"@\" or a line break cannot stand in a table cell");
  return QStringLiteral(
      "cannot be written as a table line (no cells, a last cell \"$\", or a last cell empty after "
      "others)");
}

// True when `text` is a link list (content::ReadLinkList) of at most `most` record numbers from 1
// to `count`.
bool LinksFit(const QString& text, qsizetype count, int most) {
  const std::optional<QList<int>> links = content::ReadLinkList(text);
  return links && links->size() <= most &&
         std::all_of(links->begin(), links->end(), [count](int n) { return n >= 1 && n <= count; });
}

// An item number names the picture's member and the file the program unpacks it to.
bool IsItemNumber(const QString& number) {
  static const QRegularExpression kUnsafe(
      QStringLiteral("[\\\\/:*?\"<>|=\\x{0}-\\x{1f}\\x{7f}-\\x{9f}]"));
  return orlaventis::IsPlainFileName(number) && !number.contains(kUnsafe) &&
         number.trimmed() == number;
}

void CheckItems(Project* p, Problems& problems) {
  const QString& file = p->itemsFile;
  static const QRegularExpression kYear(QStringLiteral("^\\d{1,5}$"));
  QHash<QString, int> numbers;  // case-folded item number -> line
  for (Item& it : p->items) {
    auto at = [&](ItemField f, const QString& what) {
      const TableCell& c = it.Cell(f);
      problems.At(file, c.line, std::max(c.column, 1),
                  FieldNames()[int(f)] + QStringLiteral(": ") + what);
    };
    auto fits = [&](ItemField f, int limit) {
      if (const QString why = TooLong(it[f], limit); !why.isEmpty()) at(f, why);
    };
    // Spreadsheets put blanks around numbers and dates: they are no part of the value.
    for (ItemField f : {ItemField::Group, ItemField::Year, ItemField::Body, ItemField::Date})
      it.cells[size_t(f)].text = it[f].trimmed();
    const QString& number = it[ItemField::Number];
    if (number.isEmpty())
      at(ItemField::Number, QStringLiteral("empty"));
    else if (!IsItemNumber(number))
      at(ItemField::Number,
         QStringLiteral(
             "\"%1\" cannot name a picture (not . or .., no \\ / : * ? \" < > | =, control "
             "characters or outer blanks)")
             .arg(Printable(number)));
    else if (numbers.contains(number.toCaseFolded()))
      at(ItemField::Number, QStringLiteral("\"%1\" repeats the item number of line %2")
                                .arg(number)
                                .arg(numbers.value(number.toCaseFolded())));
    else
      numbers.insert(number.toCaseFolded(), it.line);
    fits(ItemField::Number, kItemNumberBytes);
    const QString& year = it[ItemField::Year];
    if (!year.isEmpty() && (!kYear.match(year).hasMatch() || year.toInt() > 65535))
      at(ItemField::Year, QStringLiteral("\"%1\" is not a year").arg(Printable(year)));
    const QString& date = it[ItemField::Date];
    if (!date.isEmpty() && !QDate::fromString(date, Qt::ISODate).isValid())
      at(ItemField::Date, QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(Printable(date)));
    if (!it[ItemField::Group].isEmpty() &&
        !LinksFit(it[ItemField::Group], qsizetype(p->groups.size()), 1))
      at(ItemField::Group, QStringLiteral("\"%1\" names no group of catalogue.json (1 to %2)")
                               .arg(Printable(it[ItemField::Group]))
                               .arg(p->groups.size()));
    if (!it[ItemField::Body].isEmpty() &&
        !LinksFit(it[ItemField::Body], qsizetype(p->bodyStyles.size()), 2))
      at(ItemField::Body,
         QStringLiteral("\"%1\" names no body style of catalogue.json (one or two of 1 to %2)")
             .arg(Printable(it[ItemField::Body]))
             .arg(p->bodyStyles.size()));
    for (ItemField f : {ItemField::Coach, ItemField::Roof})
      if (!it[f].isEmpty() && p->Coach(it[f]) == 0)
        at(f, QStringLiteral("unknown code \"%1\": no such colour in enamel.json")
                  .arg(Printable(it[f])));
    if (!it[ItemField::Place].isEmpty() && !p->places.contains(it[ItemField::Place]))
      at(ItemField::Place, QStringLiteral("\"%1\" is no place of catalogue.json")
                               .arg(Printable(it[ItemField::Place])));
    bool anyDescription = false;
    for (int l = 0; l < 3; ++l)
      anyDescription = anyDescription || !it[DescriptionField(l)].isEmpty();
    for (int l = 0; l < 3; ++l) {
      if (it[HeaderField(l)].isEmpty())
        at(HeaderField(l), QStringLiteral("no text (a missing translation)"));
      if (anyDescription && it[DescriptionField(l)].isEmpty())
        at(DescriptionField(l), QStringLiteral("no text (a missing translation)"));
      fits(HeaderField(l), kHeaderBytes);
      fits(DescriptionField(l), kDescriptionBytes);
    }
    if (it[ItemField::Photo].isEmpty())
      at(ItemField::Photo, QStringLiteral("empty: the picture's file is needed"));
  }
}

// Every text of language.json, catalogue.json and enamel.json against the field it is stored in.
void CheckFieldTexts(const Project& p, Problems& problems) {
  for (size_t i = 0; i < p.languages.size(); ++i) {
    const QString at = QStringLiteral("languages[%1]").arg(i);
    if (p.languages[i].id < 0 || p.languages[i].id > kMostLanguageId)
      problems.In(kLanguageFile, QStringLiteral("%1.id: %2 is not from 0 to %3")
                                     .arg(at)
                                     .arg(p.languages[i].id)
                                     .arg(kMostLanguageId));
    CheckText(kLanguageFile, at + QStringLiteral(".country"), p.languages[i].country, kCountryBytes,
              problems);
    // The words of each language are a table named after the prefix and the language.
    CheckText(kLanguageFile, QStringLiteral("prefix with %1.country (a table name)").arg(at),
              content::LanguageTable(p.prefix, p.languages[i].country), kNameBytes, problems);
  }
  for (size_t i = 0; i < p.captions.size(); ++i)
    for (qsizetype k = 0; k < p.captions[i].texts.size(); ++k)
      CheckText(kLanguageFile, QStringLiteral("rows[%1][%2]").arg(i).arg(k + 1),
                p.captions[i].texts[k], kCaptionBytes, problems);
  for (size_t i = 0; i < p.groups.size(); ++i)
    CheckText(kCatalogueFile, QStringLiteral("groups[%1]").arg(i), p.groups[i], kNameBytes,
              problems);
  for (size_t i = 0; i < p.bodyStyles.size(); ++i)
    CheckText(kCatalogueFile, QStringLiteral("body_styles[%1]").arg(i), p.bodyStyles[i], kNameBytes,
              problems);
  for (auto it = p.places.begin(); it != p.places.end(); ++it)
    CheckText(kCatalogueFile, QStringLiteral("places.%1").arg(Printable(it.key())), it.value(),
              kPlaceBytes, problems);
  for (size_t i = 0; i < p.queryRows.size(); ++i) {
    const QueryRow& r = p.queryRows[i];
    const QString at = QStringLiteral("properties[%1]").arg(i);
    CheckText(kCatalogueFile, at + QStringLiteral("[0]"), r.table, kNameBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[1]"), r.show, kShowBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[2]"), r.definition, kDefinitionBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[3]"), r.column, kNameBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[4]"), r.hint, kNameBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[5]"), r.selectAllLabel, kNameBytes, problems);
    CheckText(kCatalogueFile, at + QStringLiteral("[6]"), r.label, kNameBytes, problems);
  }
  const struct {
    const char* key;
    const std::vector<NamedCode>* list;
  } kNamed[] = {{"coach_colours", &p.coachColours},
                {"fabric_materials", &p.fabricMaterials},
                {"fabric_colours", &p.fabricColours}};
  for (const auto& named : kNamed)
    for (size_t i = 0; i < named.list->size(); ++i) {
      const NamedCode& n = (*named.list)[i];
      const QString where = QStringLiteral("%1[%2]").arg(QLatin1String(named.key)).arg(i);
      CheckText(kEnamelFile, where + QStringLiteral("[0]"), n.code, kCodeBytes, problems);
      CheckText(kEnamelFile, where + QStringLiteral("[1]"), n.name, kNameBytes, problems);
      // The production tables list these names and codes in cells of their own.
      if (!TableLineProblem({n.code}).isEmpty() ||
          !TableLineProblem({n.name[0], n.name[1], n.name[2]}).isEmpty())
        problems.In(kEnamelFile,
                    where + QStringLiteral(": \"@\" or a line break cannot stand in a table cell"));
    }
  // Each model's code is appended to the coach codes in a field of its own size.
  for (const NamedCode& coach : p.coachColours)
    for (const QString& model : p.codeGroups)
      if (orlaventis::EncodeWin1252(coach.code + model)
              .value_or(QByteArray(kCodeBytes + 1, ' '))
              .size() > kCodeBytes) {
        problems.In(
            kEnamelFile,
            QStringLiteral("coach colour \"%1\" with model code \"%2\": longer than %3 bytes")
                .arg(Printable(coach.code), Printable(model))
                .arg(kCodeBytes));
        break;
      }
  for (size_t i = 0; i < p.models.size(); ++i)
    CheckText(kEnamelFile, QStringLiteral("models[%1].name").arg(i), p.models[i].name, kNameBytes,
              problems);
}

// Every text of records.json must read back as written: a heading, key, caption or cell that
// would turn into another line, cell or topic is a problem at its place, and so is a character
// outside Windows-1252. `outlineBytes` adds up the outline's lines of each language.
void CheckOutline(const std::vector<OutlineNode>& nodes, const QString& where, int depth,
                  std::array<qsizetype, 3>& outlineBytes, Problems& problems) {
  for (size_t ni = 0; ni < nodes.size(); ++ni) {
    const OutlineNode& n = nodes[ni];
    const QString at = QStringLiteral("%1[%2]").arg(where).arg(ni);
    for (int l = 0; l < 3; ++l) {
      const QString language = Lang(content::kLanguages[size_t(l)]);
      if (!n.table) {
        const QString& title = n.title[size_t(l)];
        if (HasLineBreak(title) || title.startsWith(QLatin1Char('\t')) ||
            content::ReadOutlineTopic(title))
          problems.In(
              kRecordsFile,
              QStringLiteral(
                  "%1.title.%2: a line break, a leading tab or \"%3\" cannot stand in a heading")
                  .arg(at, language, content::kTopicMark));
        else
          CheckText(kRecordsFile, QStringLiteral("%1.title.%2").arg(at, language), title,
                    kRecordBytes, problems);
        outlineBytes[size_t(l)] += depth + title.size() + 1;
        continue;
      }
      const ProductionTable& t = *n.table;
      if (const QString why = TableLineProblem(t.columns[size_t(l)]); !why.isEmpty())
        problems.In(kRecordsFile, QStringLiteral("%1.columns.%2: %3").arg(at, language, why));
      const content::OutlineTopic topic{
          t.key + QLatin1Char('_') + language,
          content::WriteTableLine(t.columns[size_t(l)]).value_or(QString()), t.caption[size_t(l)]};
      const std::optional<QString> line = content::WriteOutlineTopic(topic);
      if (!line || content::ReadOutlineTopic(*line) != topic)
        problems.In(
            kRecordsFile,
            QStringLiteral("%1: the key, columns or caption in language %2 cannot be written as an "
                           "outline line (a key with \"=\" or \">\", a line break)")
                .arg(at, language));
      else
        CheckText(kRecordsFile, QStringLiteral("%1 in language %2").arg(at, language), *line,
                  kRecordBytes, problems);
      outlineBytes[size_t(l)] += depth + line.value_or(QString()).size() + 1;
      const QList<QStringList>& rows = t.rows[size_t(l)];
      QStringList lines;
      for (qsizetype r = 0; r < rows.size(); ++r) {
        if (const QString why = TableLineProblem(rows[r]); !why.isEmpty())
          problems.In(
              kRecordsFile,
              QStringLiteral("%1.rows[%2] in language %3: %4").arg(at).arg(r).arg(language, why));
        lines.append(content::WriteTableLine(rows[r]).value_or(QString()));
      }
      CheckText(kRecordsFile, QStringLiteral("%1.rows in language %2: the table").arg(at, language),
                lines.join(QLatin1Char('\n')), kRecordBytes, problems);
    }
    CheckOutline(n.children, at + QStringLiteral(".children"), depth + 1, outlineBytes, problems);
  }
}

void CheckRecords(const Project& p, Problems& problems) {
  std::array<qsizetype, 3> outlineBytes{};
  CheckOutline(p.outline, QStringLiteral("outline"), 0, outlineBytes, problems);
  for (int l = 0; l < 3; ++l) {
    const int language = content::kLanguages[size_t(l)];
    for (qsizetype i = 0; i < p.intro[size_t(l)].size(); ++i)
      if (HasLineBreak(p.intro[size_t(l)][i]))
        problems.In(kRecordsFile,
                    QStringLiteral("intro.%1[%2]: a line break inside a line (make it two lines)")
                        .arg(language)
                        .arg(i));
    CheckText(kRecordsFile, QStringLiteral("intro.%1").arg(language),
              p.intro[size_t(l)].join(QLatin1Char('\n')), kRecordBytes, problems);
    if (outlineBytes[size_t(l)] > kRecordBytes + 1)
      problems.In(
          kRecordsFile,
          QStringLiteral("outline in language %1: too long for its record (%2 bytes, at most %3)")
              .arg(language)
              .arg(outlineBytes[size_t(l)] - 1)
              .arg(kRecordBytes));
  }
}

}  // namespace

QStringList Problems::Lines() const {
  QStringList lines;
  for (const Problem& p : all_) lines.append(p.ToString());
  return lines;
}

int Project::Coach(const QString& code) const {
  for (size_t i = 0; i < coachColours.size(); ++i)
    if (coachColours[i].code == code) return int(i) + 1;
  return 0;
}

int Project::SectionCoach(const Combination& c) const {
  return int(codeGroups.indexOf(models[size_t(c.model - 1)].code) *
             qsizetype(coachColours.size())) +
         c.coach;
}

QString Project::SectionCoachCode(const Combination& c) const {
  return coachColours[size_t(c.coach - 1)].code + models[size_t(c.model - 1)].code;
}

EnamelNeeds NeededEnamelPictures(const Project& p) {
  QSet<QString> cars, seats;
  QMap<std::tuple<int, int, QString>, QSet<int>>
      roofs;  // (model, year, coach code) -> roofs offered
  for (const Combination& c : p.combinations) {
    auto& set = roofs[{c.model, c.year, p.SectionCoachCode(c)}];
    if (c.roof > 0) set.insert(c.roof);
    for (int colour : c.colours)
      seats.insert(p.fabricMaterials[size_t(c.material - 1)].code +
                   p.fabricColours[size_t(colour - 1)].code);
  }
  for (auto it = roofs.begin(); it != roofs.end(); ++it) {
    const QString& coach = std::get<2>(it.key());
    if (it.value().isEmpty()) cars.insert(coach + QLatin1Char('_') + coach);
    for (int roof : it.value()) cars.insert(coach + QLatin1Char('_') + p.roofCodes[roof - 1]);
  }
  EnamelNeeds needs{QStringList(cars.begin(), cars.end()), QStringList(seats.begin(), seats.end())};
  needs.cars.sort();
  needs.seats.sort();
  return needs;
}

QString OutsideProject(const QDir& project, const QString& relative) {
  if (QDir::isAbsolutePath(relative))
    return QStringLiteral("\"%1\" is an absolute path; name files relative to the project folder")
        .arg(Printable(relative));
  const QString clean = QDir::cleanPath(relative);
  if (clean == QLatin1String("..") || clean.startsWith(QLatin1String("../")))
    return QStringLiteral("\"%1\" lies outside the project folder").arg(Printable(relative));
  const QString target = QFileInfo(project.filePath(clean)).canonicalFilePath();
  const QString root = QFileInfo(project.path()).canonicalFilePath();
  if (!target.isEmpty() && target != root && !target.startsWith(root + QLatin1Char('/')))
    return QStringLiteral("\"%1\" is a link to a file outside the project folder")
        .arg(Printable(relative));
  return {};
}

ProjectSources ReadProjectSources(const QDir& dir, Problems& problems) {
  auto read = [&](const QString& name) -> std::optional<QByteArray> {
    if (const QString outside = OutsideProject(dir, name); !outside.isEmpty()) {
      problems.In(name, outside);
      return std::nullopt;
    }
    orlaventis::FileContents file =
        orlaventis::ReadRegularFile(dir.filePath(name), kMaxSourceBytes);
    if (file.status != orlaventis::FileReadStatus::Ok) {
      problems.In(name, FileStatusWords(file.status));
      return std::nullopt;
    }
    return std::move(file.bytes);
  };
  ProjectSources s;
  s.itemsFile = !QFileInfo::exists(dir.filePath(QStringLiteral("items.tsv"))) &&
                        QFileInfo::exists(dir.filePath(QStringLiteral("items.csv")))
                    ? QStringLiteral("items.csv")
                    : QStringLiteral("items.tsv");
  s.language = read(kLanguageFile);
  s.records = read(kRecordsFile);
  s.catalogue = read(kCatalogueFile);
  s.enamel = read(kEnamelFile);
  s.items = read(s.itemsFile);
  s.help = read(QStringLiteral("help.html"));
  return s;
}

bool ReadProject(ProjectSources sources, Project* p, Problems& problems, QStringList* notes) {
  const size_t before = problems.Count();
  const std::optional<QJsonObject> language =
      ParseJson(sources.language, kLanguageFile, kLanguageSchema, problems);
  const std::optional<QJsonObject> records =
      ParseJson(sources.records, kRecordsFile, kRecordsSchema, problems);
  const std::optional<QJsonObject> catalogue =
      ParseJson(sources.catalogue, kCatalogueFile, kCatalogueSchema, problems);
  const std::optional<QJsonObject> enamel =
      ParseJson(sources.enamel, kEnamelFile, kEnamelSchema, problems);
  p->itemsFile = sources.itemsFile;
  const bool items = ReadItems(sources.items, p, problems, notes);
  p->help = sources.help.value_or(QByteArray());
  if (language) ReadLanguage(*language, p, problems);
  if (records) ReadRecords(*records, p), CheckRecords(*p, problems);
  if (catalogue) ReadCatalogue(*catalogue, p);
  if (enamel) ReadEnamel(*enamel, p, problems);
  if (catalogue && enamel && items) CheckItems(p, problems);
  if (language && catalogue && enamel) CheckFieldTexts(*p, problems);
  return language && records && catalogue && enamel && items && problems.Count() == before;
}

}  // namespace olvtool
