// Reads an authoring project (items table, text sources, picture files), checks it whole and builds the work.
#include "ProjectBuild.h"

#include "ArchiveWriter.h"
#include "Cli.h"
#include "InputFile.h"
#include "ItemsTable.h"
#include "OutputPlacement.h"
#include "PicturePacking.h"
#include "Problem.h"
#include "SourceSchema.h"
#include "database/ContentContract.h"
#include "database/RegularFile.h"
#include "database/Win1252.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>

#include <unistd.h>

using orlaventis::ColumnType;
namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Every member gets this time stamp, so that two builds of the same project give the same archives.
const QDateTime kMemberTime(QDate(1998, 5, 4), QTime(12, 0));
constexpr char kCacheName[] = ".olvtool-build";
constexpr char kCacheHeader[] = "olvtool build cache 2";

// Field sizes of the databases, in Windows-1252 bytes.
constexpr int kNameBytes = 63;         // names of groups, styles, colours, models; query rows
constexpr int kCodeBytes = 8;          // colour and material codes
constexpr int kPlaceBytes = 40;        // a place
constexpr int kCountryBytes = 40;      // a language's own name
constexpr int kCaptionBytes = 255;     // a caption or hint of the program's own words
constexpr int kItemNumberBytes = 16;
constexpr int kHeaderBytes = 80;
constexpr int kDescriptionBytes = 255;
constexpr int kShowBytes = 8;
constexpr int kDefinitionBytes = 16;
constexpr int kRecordBytes = 65535;    // one text of the record file
// Lists past these sizes are no paint and trim of one car, and would only make the expansion
// of every combination slow.
constexpr qsizetype kMostListed = 1000;
constexpr size_t kMostCombinations = 200000;
constexpr int kFirstYear = 1, kLastYear = 9999, kMostModelYears = 200;

QString Lang(int language) { return QString::number(language); }

// ---- problems ----

class Problems {
 public:
  explicit Problems(QStringList* out) : out_(out) {}
  void At(const QString& file, int line, int column, const QString& what) { Add({file, line, column, what}); }
  void In(const QString& file, const QString& what) { Add({file, 0, 0, what}); }
  void Add(const Problem& p) { out_->append(p.ToString()); }
  void Line(const QString& line) { out_->append(line); }
  qsizetype Count() const { return out_->size(); }

 private:
  QStringList* out_;
};

// ---- paths ----

// Why the path `relative` that the project names cannot be taken, or empty: it must be relative,
// stay inside the project folder and, once links are resolved, still lie inside it (a work is
// meant for publishing: nothing from elsewhere on the publisher's machine goes into it). A path
// to nothing passes: the reader says it is missing.
QString OutsideProject(const QDir& dir, const QString& relative) {
  if (QDir::isAbsolutePath(relative))
    return QStringLiteral("\"%1\" is an absolute path; name files relative to the project folder").arg(Printable(relative));
  const QString clean = QDir::cleanPath(relative);
  if (clean == QLatin1String("..") || clean.startsWith(QLatin1String("../")))
    return QStringLiteral("\"%1\" lies outside the project folder").arg(Printable(relative));
  const QString target = QFileInfo(dir.filePath(clean)).canonicalFilePath();
  const QString root = QFileInfo(dir.path()).canonicalFilePath();
  if (!target.isEmpty() && target != root && !target.startsWith(root + QLatin1Char('/')))
    return QStringLiteral("\"%1\" is a link to a file outside the project folder").arg(Printable(relative));
  return {};
}

// ---- text sources ----

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
  "coach_colours": ["list", ["tuple", "string", "text"]],
  "roof_colours": ["list", "string"],
  "fabric_materials": ["list", ["tuple", "string", "text"]],
  "fabric_colours": ["list", ["tuple", "string", "text"]],
  "models": ["list", {"name": "text", "body": "string", "?code": "string", "years": ["tuple", "int", "int"]}],
  "model_years": ["tuple", "int", "int"],
  "eras": ["list", {"years": ["tuple", "int", "int"],
                    "paint": ["list", ["tuple", "string", "string|null", ["list", "int"]]],
                    "trim": ["list", ["tuple", "string", ["list", "string"], ["list", "int"]]]}]}})";

struct Item {
  QMap<QString, TableCell> cells;
  int line = 0;
  QString Value(const char* column) const { return cells.value(QLatin1String(column)).text; }
};

struct Texts {
  QJsonObject language, records, catalogue, enamel;
  QString itemsFile;  // "items.tsv" or "items.csv"
  std::vector<Item> items;
  QByteArray help;
};

// The bytes of the project file `name`, or nullopt with the problem reported.
std::optional<QByteArray> ReadSource(const QDir& dir, const QString& name, Problems& problems) {
  if (const QString outside = OutsideProject(dir, name); !outside.isEmpty()) {
    problems.In(name, outside);
    return std::nullopt;
  }
  orlaventis::FileContents file = orlaventis::ReadRegularFile(dir.filePath(name), kMaxSourceBytes);
  if (file.status != orlaventis::FileReadStatus::Ok) {
    problems.Line(FileProblem(name, file.status));
    return std::nullopt;
  }
  return std::move(file.bytes);
}

// Every object whose keys are all language ids names all three (a text in every language).
void CheckTranslations(const QJsonValue& v, const QString& where, const QString& file, Problems& problems) {
  if (v.isArray()) {
    const QJsonArray a = v.toArray();
    for (qsizetype i = 0; i < a.size(); ++i) CheckTranslations(a[i], where + QStringLiteral("[%1]").arg(i), file, problems);
    return;
  }
  if (!v.isObject()) return;
  const QJsonObject o = v.toObject();
  bool byLanguage = !o.isEmpty();
  for (auto it = o.begin(); it != o.end(); ++it) byLanguage = byLanguage && content::IsLanguage(it.key().toInt());
  for (auto it = o.begin(); it != o.end(); ++it)
    CheckTranslations(it.value(), where.isEmpty() ? it.key() : where + QLatin1Char('.') + it.key(), file, problems);
  if (!byLanguage) return;
  for (int language : content::kLanguages)
    if (!o.contains(Lang(language)))
      problems.In(file, QStringLiteral("%1: no text in language %2 (a missing translation)").arg(where).arg(language));
}

// Parses and checks the JSON source `name` against `schema`; false with the problems reported.
bool ParseJson(const std::optional<QByteArray>& bytes, const QString& name, const char* schema, QJsonObject* out,
               Problems& problems) {
  if (!bytes) return false;
  if (const qsizetype bad = FirstInvalidUtf8(*bytes); bad >= 0) {
    const auto [line, column] = LineAndColumn(*bytes, bad);
    problems.At(name, line, column, QStringLiteral("not UTF-8 text (byte 0x%1)").arg(uchar((*bytes)[bad]), 2, 16, QLatin1Char('0')));
    return false;
  }
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &pe);
  if (!doc.isObject()) {
    const auto [line, column] = LineAndColumn(*bytes, pe.offset);
    problems.At(name, line, column, QStringLiteral("not a JSON object (%1)").arg(pe.errorString()));
    return false;
  }
  QString error;
  if (!CheckSource(doc.object(), QJsonDocument::fromJson(schema).object(), name, &error)) {
    problems.In(name, error.mid(name.size() + 2));
    return false;
  }
  CheckTranslations(doc.object(), QString(), name, problems);
  *out = doc.object();
  return true;
}

bool ParseItems(const std::optional<QByteArray>& bytes, Texts* t, Problems& problems, QStringList* notes) {
  const QString& file = t->itemsFile;
  if (!bytes) return false;
  std::vector<Problem> found;
  const std::optional<ItemsTable> table = ReadItemsTable(*bytes, file, &found);
  for (const Problem& p : found) problems.Add(p);
  if (!table) return false;
  if (table->windows1252 && notes != nullptr)
    notes->append(file + QStringLiteral(": not UTF-8, read as Windows-1252 (as spreadsheet programs save it)"));
  const std::vector<TableRow>& rows = table->rows;
  if (rows.empty()) {
    problems.In(file, QStringLiteral("empty: the first line names the columns"));
    return false;
  }
  QStringList known;
  for (const char* column : kItemColumns) known.append(QString::fromLatin1(column));
  for (int language : content::kLanguages)
    known << QStringLiteral("Header ") + Lang(language) << QStringLiteral("Description ") + Lang(language);
  const TableRow& head = rows[0];
  const qsizetype before = problems.Count();
  QStringList names;
  for (const TableCell& c : head) {
    if (!known.contains(c.text) || names.contains(c.text))
      problems.At(file, c.line, c.column, QStringLiteral("column \"%1\" is unknown or repeated").arg(Printable(c.text)));
    names.append(c.text);
  }
  QStringList required{QStringLiteral("Item Number"), QStringLiteral("Photo")};
  for (int language : content::kLanguages) required.append(QStringLiteral("Header ") + Lang(language));
  for (const QString& column : required)
    if (!names.contains(column)) problems.At(file, 1, 1, QStringLiteral("no column \"%1\"").arg(column));
  if (problems.Count() > before) return false;
  for (size_t r = 1; r < rows.size(); ++r) {
    const TableRow& row = rows[r];
    if (row.size() != head.size()) {
      problems.At(file, row[0].line, 1, QStringLiteral("%1 cells, the first line names %2 columns").arg(row.size()).arg(head.size()));
      continue;
    }
    Item item;
    item.line = row[0].line;
    for (size_t c = 0; c < head.size(); ++c) item.cells.insert(head[c].text, row[c]);
    t->items.push_back(std::move(item));
  }
  return true;
}

// ---- paint and trim ----

struct Combination {
  int model = 0, year = 0, coach = 0, roof = 0, material = 0;  // record numbers, roof 0 = none
  QList<int> colours;
};

struct Enamel {
  QStringList coachCodes, roofCodes, materialCodes, fabricCodes;  // record n at index n - 1
  QStringList modelCodes;  // each model's "code" (empty when it has none), model m at index m - 1
  QStringList codeGroups;  // the distinct model codes, in order of first use
  int firstYear = 0, lastYear = 0;
  std::vector<Combination> items;

  int Coach(const QString& code) const { return int(coachCodes.indexOf(code)) + 1; }
  // The colour section lists every coach colour once per model code, the code appended, so
  // that a model with a code of its own gets car pictures of its own: the record of `c` there
  // and its code.
  int SectionCoach(const Combination& c) const {
    return int(codeGroups.indexOf(modelCodes[c.model - 1]) * coachCodes.size()) + c.coach;
  }
  QString SectionCoachCode(const Combination& c) const { return coachCodes[c.coach - 1] + modelCodes[c.model - 1]; }
};

QStringList Codes(const QJsonArray& list) {
  QStringList codes;
  for (const QJsonValue& v : list) codes.append(v.isArray() ? v.toArray()[0].toString() : v.toString());
  return codes;
}

// The span `years` ([first, last], already checked to be two whole numbers) when it is one:
// first not after last, both within the years a database field holds; else nullopt with the
// problem reported at `where`. Checked before anything is expanded over it.
std::optional<std::pair<int, int>> YearsOf(const QJsonValue& years, const QString& where, Problems& problems) {
  const qint64 first = years.toArray()[0].toInteger(), last = years.toArray()[1].toInteger();
  const double firstValue = years.toArray()[0].toDouble(), lastValue = years.toArray()[1].toDouble();
  if (first < kFirstYear || last > kLastYear || first > last || firstValue != double(first) || lastValue != double(last)) {
    problems.In(QStringLiteral("enamel.json"), QStringLiteral("%1: %2 to %3 is no span of years (from %4 to %5, first not after last)")
                                                   .arg(where).arg(firstValue, 0, 'f', 0).arg(lastValue, 0, 'f', 0).arg(kFirstYear).arg(kLastYear));
    return std::nullopt;
  }
  return std::pair{int(first), int(last)};
}

// The paint and trim of enamel.json (already checked against its schema) with every combination
// expanded; an unknown code, a span that is no span of years or a list past its bounds is a
// problem, and nothing is expanded then.
Enamel ReadEnamel(const QJsonObject& e, Problems& problems) {
  const QString file = QStringLiteral("enamel.json");
  const qsizetype before = problems.Count();
  Enamel en;
  en.coachCodes = Codes(e.value(QLatin1String("coach_colours")).toArray());
  en.roofCodes = Codes(e.value(QLatin1String("roof_colours")).toArray());
  en.materialCodes = Codes(e.value(QLatin1String("fabric_materials")).toArray());
  en.fabricCodes = Codes(e.value(QLatin1String("fabric_colours")).toArray());
  for (const char* list : {"coach_colours", "roof_colours", "fabric_materials", "fabric_colours", "models", "eras"})
    if (e.value(QLatin1String(list)).toArray().size() > kMostListed)
      problems.In(file, QStringLiteral("%1: more than %2 entries").arg(QLatin1String(list)).arg(kMostListed));
  auto resolve = [&](const QStringList& codes, const QString& code, const QString& where) {
    if (!codes.contains(code)) problems.In(file, QStringLiteral("%1: unknown code \"%2\"").arg(where, Printable(code)));
  };
  // A roof is painted in a coach colour and named after it.
  for (qsizetype i = 0; i < en.roofCodes.size(); ++i)
    resolve(en.coachCodes, en.roofCodes[i], QStringLiteral("roof_colours[%1]").arg(i));
  const std::optional<std::pair<int, int>> modelYears = YearsOf(e.value(QLatin1String("model_years")), QStringLiteral("model_years"), problems);
  if (modelYears && modelYears->second - modelYears->first > kMostModelYears)
    problems.In(file, QStringLiteral("model_years: %1 to %2 spans more than %3 years").arg(modelYears->first).arg(modelYears->second).arg(kMostModelYears));
  if (modelYears) en.firstYear = modelYears->first, en.lastYear = modelYears->second;
  const QJsonArray eras = e.value(QLatin1String("eras")).toArray();
  const QJsonArray models = e.value(QLatin1String("models")).toArray();
  std::vector<std::pair<int, int>> eraYears, modelSpans;
  for (qsizetype ei = 0; ei < eras.size(); ++ei) {
    const QString where = QStringLiteral("eras[%1]").arg(ei);
    eraYears.push_back(YearsOf(eras[ei].toObject().value(QLatin1String("years")), where + QStringLiteral(".years"), problems).value_or(std::pair{0, -1}));
    const QJsonArray paints = eras[ei].toObject().value(QLatin1String("paint")).toArray();
    for (qsizetype i = 0; i < paints.size(); ++i) {
      const QJsonArray paint = paints[i].toArray();
      resolve(en.coachCodes, paint[0].toString(), where + QStringLiteral(".paint[%1][0]").arg(i));
      if (!paint[1].isNull()) resolve(en.roofCodes, paint[1].toString(), where + QStringLiteral(".paint[%1][1]").arg(i));
    }
    const QJsonArray trims = eras[ei].toObject().value(QLatin1String("trim")).toArray();
    for (qsizetype i = 0; i < trims.size(); ++i) {
      const QJsonArray trim = trims[i].toArray();
      resolve(en.materialCodes, trim[0].toString(), where + QStringLiteral(".trim[%1][0]").arg(i));
      const QJsonArray colours = trim[1].toArray();
      for (qsizetype k = 0; k < colours.size(); ++k)
        resolve(en.fabricCodes, colours[k].toString(), where + QStringLiteral(".trim[%1][1][%2]").arg(i).arg(k));
    }
  }
  static const QRegularExpression kModelCode(QStringLiteral("^[A-Z0-9]{0,3}$"));
  for (qsizetype m = 0; m < models.size(); ++m) {
    en.modelCodes.append(models[m].toObject().value(QLatin1String("code")).toString());
    // It ends coach codes in member names and a column of 8 characters.
    if (!kModelCode.match(en.modelCodes.last()).hasMatch())
      problems.In(file, QStringLiteral("models[%1].code: \"%2\" is not up to 3 capitals or digits").arg(m).arg(Printable(en.modelCodes.last())));
    if (!en.codeGroups.contains(en.modelCodes.last())) en.codeGroups.append(en.modelCodes.last());
    modelSpans.push_back(YearsOf(models[m].toObject().value(QLatin1String("years")), QStringLiteral("models[%1].years").arg(m), problems)
                             .value_or(std::pair{0, -1}));
  }
  if (problems.Count() > before) return en;
  for (int m = 1; m <= models.size(); ++m) {
    // The paints and trims of each era that the model had, each looked up once.
    std::vector<std::vector<QJsonArray>> paints(size_t(eras.size())), trims(size_t(eras.size()));
    for (qsizetype ei = 0; ei < eras.size(); ++ei) {
      const QJsonObject era = eras[ei].toObject();
      for (const QJsonValue& pv : era.value(QLatin1String("paint")).toArray())
        if (pv.toArray()[2].toArray().contains(m)) paints[size_t(ei)].push_back(pv.toArray());
      for (const QJsonValue& tv : era.value(QLatin1String("trim")).toArray())
        if (tv.toArray()[2].toArray().contains(m)) trims[size_t(ei)].push_back(tv.toArray());
    }
    const auto [modelFirst, modelLast] = modelSpans[size_t(m - 1)];
    for (int y = std::max(modelFirst, en.firstYear); y <= std::min(modelLast, en.lastYear); ++y)
      for (qsizetype ei = 0; ei < eras.size(); ++ei) {
        if (y < eraYears[size_t(ei)].first || y > eraYears[size_t(ei)].second) continue;
        for (const QJsonArray& paint : paints[size_t(ei)])
          for (const QJsonArray& trim : trims[size_t(ei)]) {
            if (en.items.size() >= kMostCombinations) {
              problems.In(file, QStringLiteral("eras: more than %1 combinations of paint and trim").arg(kMostCombinations));
              return en;
            }
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
  return en;
}

// The car and seat pictures every reachable choice of the colour section needs.
EnamelNeeds NeededEnamelPictures(const Enamel& en) {
  QSet<QString> cars, seats;
  QMap<std::tuple<int, int, QString>, QSet<int>> roofs;  // (model, year, coach code) -> roofs offered
  for (const Combination& c : en.items) {
    auto& set = roofs[{c.model, c.year, en.SectionCoachCode(c)}];
    if (c.roof > 0) set.insert(c.roof);
    for (int colour : c.colours) seats.insert(en.materialCodes[c.material - 1] + en.fabricCodes[colour - 1]);
  }
  for (auto it = roofs.begin(); it != roofs.end(); ++it) {
    const QString& coach = std::get<2>(it.key());
    if (it.value().isEmpty()) cars.insert(coach + QLatin1Char('_') + coach);
    for (int roof : it.value()) cars.insert(coach + QLatin1Char('_') + en.roofCodes[roof - 1]);
  }
  EnamelNeeds needs{QStringList(cars.begin(), cars.end()), QStringList(seats.begin(), seats.end())};
  needs.cars.sort();
  needs.seats.sort();
  return needs;
}

// ---- item checks ----

// Why `text` cannot stand in a database field of `limit` bytes, or empty: a character outside
// Windows-1252, a NUL (the field would end there), or too many bytes.
QString TooLong(const QString& text, int limit) {
  const std::optional<QByteArray> bytes = orlaventis::EncodeWin1252(text);
  if (!bytes) return QStringLiteral("holds a character outside Windows-1252");
  if (bytes->contains('\0')) return QStringLiteral("holds a NUL character");
  if (bytes->size() > limit)
    return QStringLiteral("too long for its field (%1 bytes, at most %2)").arg(bytes->size()).arg(limit);
  return {};
}

// True when `text` is whole numbers from 1 to `count` separated by commas (blanks around them
// allowed), at most `most` of them.
bool LinksFit(const QString& text, qsizetype count, int most) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() > most) return false;
  static const QRegularExpression kNumber(QStringLiteral("^\\s*\\d{1,9}\\s*$"));
  for (const QString& p : parts) {
    if (!kNumber.match(p).hasMatch()) return false;
    const int n = p.trimmed().toInt();
    if (n < 1 || n > count) return false;
  }
  return true;
}

// An item number names the picture's member and the file the program unpacks it to.
bool IsItemNumber(const QString& number) {
  static const QRegularExpression kUnsafe(QStringLiteral("[\\\\/:*?\"<>|=\\x{0}-\\x{1f}\\x{7f}-\\x{9f}]"));
  return orlaventis::IsPlainFileName(number) && !number.contains(kUnsafe) && number.trimmed() == number;
}

void CheckItems(Texts& t, const Enamel& en, Problems& problems) {
  const QString& file = t.itemsFile;
  const qsizetype groups = t.catalogue.value(QLatin1String("groups")).toArray().size();
  const qsizetype bodies = t.catalogue.value(QLatin1String("body_styles")).toArray().size();
  const QJsonObject places = t.catalogue.value(QLatin1String("places")).toObject();
  static const QRegularExpression kYear(QStringLiteral("^\\d{1,5}$"));
  QHash<QString, int> numbers;  // case-folded item number -> line
  for (Item& it : t.items) {
    auto at = [&](const char* column, const QString& what) {
      const TableCell c = it.cells.value(QLatin1String(column));
      problems.At(file, c.line ? c.line : it.line, c.column ? c.column : 1, QLatin1String(column) + QStringLiteral(": ") + what);
    };
    auto fits = [&](const char* column, int limit) {
      const QString why = TooLong(it.Value(column), limit);
      if (!why.isEmpty()) at(column, why);
    };
    // Spreadsheets put blanks around numbers and dates: they are no part of the value.
    for (const char* column : {"Group", "Year", "Body", "Date"})
      if (it.cells.contains(QLatin1String(column))) it.cells[QLatin1String(column)].text = it.Value(column).trimmed();
    const QString number = it.Value("Item Number");
    if (number.isEmpty()) at("Item Number", QStringLiteral("empty"));
    else if (!IsItemNumber(number))
      at("Item Number", QStringLiteral("\"%1\" cannot name a picture (not . or .., no \\ / : * ? \" < > | =, control "
                                       "characters or outer blanks)").arg(Printable(number)));
    else if (numbers.contains(number.toCaseFolded()))
      at("Item Number", QStringLiteral("\"%1\" repeats the item number of line %2").arg(number).arg(numbers.value(number.toCaseFolded())));
    else numbers.insert(number.toCaseFolded(), it.line);
    fits("Item Number", kItemNumberBytes);
    const QString year = it.Value("Year");
    if (!year.isEmpty() && (!kYear.match(year).hasMatch() || year.toInt() > 65535))
      at("Year", QStringLiteral("\"%1\" is not a year").arg(Printable(year)));
    const QString date = it.Value("Date");
    if (!date.isEmpty() && !QDate::fromString(date, Qt::ISODate).isValid())
      at("Date", QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(Printable(date)));
    if (!it.Value("Group").isEmpty() && !LinksFit(it.Value("Group"), groups, 1))
      at("Group", QStringLiteral("\"%1\" names no group of catalogue.json (1 to %2)").arg(Printable(it.Value("Group"))).arg(groups));
    if (!it.Value("Body").isEmpty() && !LinksFit(it.Value("Body"), bodies, 2))
      at("Body", QStringLiteral("\"%1\" names no body style of catalogue.json (one or two of 1 to %2)").arg(Printable(it.Value("Body"))).arg(bodies));
    for (const char* column : {"Coach", "Roof"})
      if (!it.Value(column).isEmpty() && en.Coach(it.Value(column)) == 0)
        at(column, QStringLiteral("unknown code \"%1\": no such colour in enamel.json").arg(Printable(it.Value(column))));
    if (!it.Value("Place").isEmpty() && !places.contains(it.Value("Place")))
      at("Place", QStringLiteral("\"%1\" is no place of catalogue.json").arg(Printable(it.Value("Place"))));
    bool anyDescription = false;
    for (int language : content::kLanguages)
      anyDescription = anyDescription || !it.cells.value(QStringLiteral("Description ") + Lang(language)).text.isEmpty();
    for (int language : content::kLanguages) {
      const QByteArray header = (QStringLiteral("Header ") + Lang(language)).toLatin1();
      const QByteArray description = (QStringLiteral("Description ") + Lang(language)).toLatin1();
      if (it.Value(header.constData()).isEmpty()) at(header.constData(), QStringLiteral("no text (a missing translation)"));
      if (anyDescription && it.Value(description.constData()).isEmpty())
        at(description.constData(), QStringLiteral("no text (a missing translation)"));
      fits(header.constData(), kHeaderBytes);
      fits(description.constData(), kDescriptionBytes);
    }
    if (it.Value("Photo").isEmpty()) at("Photo", QStringLiteral("empty: the picture's file is needed"));
  }
}

// ---- texts of the JSON sources ----

// A text in every language: {"31": ..., "33": ..., "44": ...}, or one text for all.
QString PerLanguage(const QJsonValue& v, int language) {
  if (v.isObject()) return v.toObject().value(Lang(language)).toString();
  return v.toString();
}

// Reports at `file`: `where` each text of `v` (a text in every language) that does not fit a
// field of `limit` bytes.
void CheckText(const QString& file, const QString& where, const QJsonValue& v, int limit, Problems& problems) {
  if (v.isObject()) {
    for (int language : content::kLanguages) {
      const QString why = TooLong(PerLanguage(v, language), limit);
      if (!why.isEmpty()) problems.In(file, QStringLiteral("%1.%2: %3").arg(where, Lang(language), why));
    }
    return;
  }
  const QString why = TooLong(v.toString(), limit);
  if (!why.isEmpty()) problems.In(file, where + QStringLiteral(": ") + why);
}

// Every text of language.json, catalogue.json and enamel.json against the field it is stored in,
// all reported at once before anything is written.
void CheckFieldTexts(const Texts& t, const Enamel& en, Problems& problems) {
  const QString language = QStringLiteral("language.json");
  const QJsonArray languages = t.language.value(QLatin1String("languages")).toArray();
  for (qsizetype i = 0; i < languages.size(); ++i)
    CheckText(language, QStringLiteral("languages[%1].country").arg(i), languages[i].toObject().value(QLatin1String("country")), kCountryBytes, problems);
  const QJsonArray rows = t.language.value(QLatin1String("rows")).toArray();
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const QJsonArray row = rows[i].toArray();
    for (qsizetype k = 1; k < row.size(); ++k)
      CheckText(language, QStringLiteral("rows[%1][%2]").arg(i).arg(k), row[k], kCaptionBytes, problems);
  }
  const QString catalogue = QStringLiteral("catalogue.json");
  for (const char* list : {"groups", "body_styles"}) {
    const QJsonArray texts = t.catalogue.value(QLatin1String(list)).toArray();
    for (qsizetype i = 0; i < texts.size(); ++i)
      CheckText(catalogue, QStringLiteral("%1[%2]").arg(QLatin1String(list)).arg(i), texts[i], kNameBytes, problems);
  }
  const QJsonObject places = t.catalogue.value(QLatin1String("places")).toObject();
  for (auto it = places.begin(); it != places.end(); ++it)
    CheckText(catalogue, QStringLiteral("places.%1").arg(Printable(it.key())), it.value(), kPlaceBytes, problems);
  const QJsonArray properties = t.catalogue.value(QLatin1String("properties")).toArray();
  constexpr int kPropertyBytes[] = {kNameBytes, kShowBytes, kDefinitionBytes, kNameBytes, kNameBytes, kNameBytes, kNameBytes};
  for (qsizetype i = 0; i < properties.size(); ++i)
    for (int k = 0; k < 7; ++k)
      CheckText(catalogue, QStringLiteral("properties[%1][%2]").arg(i).arg(k), properties[i].toArray()[k], kPropertyBytes[k], problems);
  const QString enamel = QStringLiteral("enamel.json");
  for (const char* list : {"coach_colours", "fabric_materials", "fabric_colours"}) {
    const QJsonArray named = t.enamel.value(QLatin1String(list)).toArray();
    for (qsizetype i = 0; i < named.size(); ++i) {
      const QString where = QStringLiteral("%1[%2]").arg(QLatin1String(list)).arg(i);
      CheckText(enamel, where + QStringLiteral("[0]"), named[i].toArray()[0], kCodeBytes, problems);
      CheckText(enamel, where + QStringLiteral("[1]"), named[i].toArray()[1], kNameBytes, problems);
      // The production tables list these names and codes in cells of their own.
      for (int k = 0; k < 2; ++k)
        for (int language : content::kLanguages)
          if (!content::WriteTableLine({PerLanguage(named[i].toArray()[k], language)})) {
            problems.In(enamel, QStringLiteral("%1[%2]: \"@\" or a line break cannot stand in a table cell").arg(where).arg(k));
            break;
          }
    }
  }
  // Each model's code is appended to the coach codes in a field of its own size.
  for (const QString& coach : en.coachCodes)
    for (const QString& model : en.codeGroups)
      if (orlaventis::EncodeWin1252(coach + model).value_or(QByteArray(kCodeBytes + 1, ' ')).size() > kCodeBytes) {
        problems.In(enamel, QStringLiteral("coach colour \"%1\" with model code \"%2\": longer than %3 bytes")
                                .arg(Printable(coach), Printable(model)).arg(kCodeBytes));
        break;
      }
  const QJsonArray models = t.enamel.value(QLatin1String("models")).toArray();
  for (qsizetype i = 0; i < models.size(); ++i)
    CheckText(enamel, QStringLiteral("models[%1].name").arg(i), models[i].toObject().value(QLatin1String("name")), kNameBytes, problems);
}

// ---- databases ----

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

DatabaseSource LanguageDatabase(const QJsonObject& language, Problems& problems) {
  DatabaseSource db;
  TableSource contents{content::kContentsTable, {Typed(content::kCountryIdColumn, ColumnType::ctWord),
                                                 Str(content::kCountryNameColumn, kCountryBytes)}, {}, true};
  const QString prefix = language.value(QLatin1String("prefix")).toString();
  const QJsonArray languages = language.value(QLatin1String("languages")).toArray();
  const QJsonArray rows = language.value(QLatin1String("rows")).toArray();
  for (qsizetype i = 0; i < rows.size(); ++i)
    if (rows[i].toArray().size() != 1 + 2 * languages.size())
      problems.In(QStringLiteral("language.json"), QStringLiteral("rows[%1] holds %2 values, not a tag and a caption and hint per language (%3)")
                                                        .arg(i).arg(rows[i].toArray().size()).arg(1 + 2 * languages.size()));
  db.tables.push_back(contents);
  for (qsizetype li = 0; li < languages.size(); ++li) {
    const QJsonObject lo = languages[li].toObject();
    const QString country = lo.value(QLatin1String("country")).toString();
    db.tables[0].records.push_back({QString::number(lo.value(QLatin1String("id")).toInt()), country});
    TableSource t{content::LanguageTable(prefix, country),
                  {Typed(content::kTagColumn, ColumnType::ctInteger), Str(content::kCaptionColumn, kCaptionBytes),
                   Str(content::kHintColumn, kCaptionBytes)}, {}, true};
    for (const QJsonValue& rv : rows) {
      const QJsonArray r = rv.toArray();
      t.records.push_back({QString::number(r[0].toInt()), r[1 + 2 * li].toString(), r[2 + 2 * li].toString()});
    }
    db.tables.push_back(t);
  }
  return db;
}

// Why the texts of `cells` cannot stand as one line of a production table, or empty.
QString TableLineProblem(const QStringList& cells) {
  const std::optional<QString> line = content::WriteTableLine(cells);
  if (line && content::ReadTableLine(*line) == cells) return {};
  for (const QString& cell : cells)
    if (cell.contains(QLatin1Char('@')) || cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r')))
      return QStringLiteral("\"@\" or a line break cannot stand in a table cell");
  return QStringLiteral("cannot be written as a table line (no cells, a last cell \"$\", or a last cell empty after others)");
}

// The outline lines and table records of `nodes` in `language`. Every text must read back as it
// was written: a heading or cell that would turn into another line, cell or topic is a problem
// at its place in records.json.
void OutlineRecords(const QJsonArray& nodes, const QString& where, int depth, int language,
                    const std::function<QList<QStringList>(const QString&)>& derived, QStringList* outline,
                    std::vector<RecordSource>* records, Problems& problems) {
  const QString file = QStringLiteral("records.json");
  for (qsizetype ni = 0; ni < nodes.size(); ++ni) {
    const QJsonObject n = nodes[ni].toObject();
    const QString at = QStringLiteral("%1[%2]").arg(where).arg(ni);
    const QString tabs(depth, QLatin1Char('\t'));
    if (n.contains(QLatin1String("children"))) {
      const QString title = PerLanguage(n.value(QLatin1String("title")), language);
      if (title.contains(QLatin1Char('\n')) || title.contains(QLatin1Char('\r')) || title.startsWith(QLatin1Char('\t')) ||
          content::ReadOutlineTopic(title))
        problems.In(file, QStringLiteral("%1.title.%2: a line break, a leading tab or \"%3\" cannot stand in a heading")
                              .arg(at, Lang(language), content::kTopicMark));
      outline->append(tabs + title);
      OutlineRecords(n.value(QLatin1String("children")).toArray(), at + QStringLiteral(".children"), depth + 1, language,
                     derived, outline, records, problems);
      continue;
    }
    const QString key = n.value(QLatin1String("key")).toString() + QLatin1Char('_') + Lang(language);
    QStringList columns;
    for (const QJsonValue& c : n.value(QLatin1String("columns")).toObject().value(Lang(language)).toArray())
      columns.append(c.toString());
    if (const QString why = TableLineProblem(columns); !why.isEmpty())
      problems.In(file, QStringLiteral("%1.columns.%2: %3").arg(at, Lang(language), why));
    const content::OutlineTopic topic{key, content::WriteTableLine(columns).value_or(QString()),
                                      PerLanguage(n.value(QLatin1String("caption")), language)};
    const std::optional<QString> topicLine = content::WriteOutlineTopic(topic);
    if (!topicLine || content::ReadOutlineTopic(*topicLine) != topic)
      problems.In(file, QStringLiteral("%1: the key, columns or caption in language %2 cannot be written as an outline line "
                                       "(a key with \"=\" or \">\", a line break)").arg(at, Lang(language)));
    outline->append(tabs + topicLine.value_or(QString()));
    QList<QStringList> rows;
    QString rowsAt = at + QStringLiteral(".rows");
    if (n.contains(QLatin1String("rows_by_language"))) {
      rowsAt = at + QStringLiteral(".rows_by_language.") + Lang(language);
      for (const QJsonValue& r : n.value(QLatin1String("rows_by_language")).toObject().value(Lang(language)).toArray()) {
        QStringList cells;
        for (const QJsonValue& c : r.toArray()) cells.append(c.toString());
        rows.append(cells);
      }
    } else if (n.value(QLatin1String("rows")).isString()) {
      rows = derived(n.value(QLatin1String("key")).toString() + QLatin1Char('|') + Lang(language));
    } else {
      for (const QJsonValue& r : n.value(QLatin1String("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue& c : r.toArray()) cells.append(PerLanguage(c, language));
        rows.append(cells);
      }
    }
    QStringList lines;
    for (qsizetype r = 0; r < rows.size(); ++r) {
      if (const QString why = TableLineProblem(rows[r]); !why.isEmpty())
        problems.In(file, QStringLiteral("%1[%2] in language %3: %4").arg(rowsAt).arg(r).arg(language).arg(why));
      lines.append(content::WriteTableLine(rows[r]).value_or(QString()));
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (const QString why = TooLong(text, kRecordBytes); !why.isEmpty())
      problems.In(file, QStringLiteral("%1 in language %2: the table %3").arg(at).arg(language).arg(why));
    records->push_back({uint32_t(records->size() + 1), content::TopicKey(key), text});
  }
}

QStringList LinkCell(const QList<int>& links) {
  QStringList s;
  for (int l : links) s.append(QString::number(l));
  return s;
}

void AddEnamelTables(const QJsonObject& e, const Enamel& en, int language, DatabaseSource* db) {
  auto names = [&](const char* key, const QString& table, const QString& column, const QString& codeColumn) {
    TableSource t{table, {Str(column), Str(codeColumn, kCodeBytes)}, {}, true};
    for (const QJsonValue& v : e.value(QLatin1String(key)).toArray())
      t.records.push_back({PerLanguage(v.toArray()[1], language), v.toArray()[0].toString()});
    db->tables.push_back(t);
  };
  TableSource groups{content::kEnamelGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const QJsonValue& m : e.value(QLatin1String("models")).toArray())
    groups.records.push_back({PerLanguage(m.toObject().value(QLatin1String("name")), language)});
  db->tables.push_back(groups);
  TableSource years{content::kEnamelModelyearsTable, {Str(content::kModelyearColumn, 8)}, {}, true};
  for (int y = en.firstYear; y <= en.lastYear; ++y) years.records.push_back({QString::number(y)});
  db->tables.push_back(years);
  TableSource coaches{content::kEnamelCoachColorsTable, {Str(content::kCoachColorColumn), Str(content::kColorCodeColumn, kCodeBytes)}, {}, true};
  for (const QString& group : en.codeGroups)
    for (const QJsonValue& v : e.value(QLatin1String("coach_colours")).toArray())
      coaches.records.push_back({PerLanguage(v.toArray()[1], language), v.toArray()[0].toString() + group});
  db->tables.push_back(coaches);
  TableSource roofs{content::kEnamelRoofColorsTable, {Str(content::kRoofColorColumn), Str(content::kColorCodeColumn, kCodeBytes)}, {}, true};
  const QJsonArray coach = e.value(QLatin1String("coach_colours")).toArray();
  for (const QString& code : en.roofCodes)
    roofs.records.push_back({en.Coach(code) > 0 ? PerLanguage(coach[en.Coach(code) - 1].toArray()[1], language) : code, code});
  db->tables.push_back(roofs);
  names("fabric_materials", content::kEnamelFabricMaterialsTable, content::kFabricMaterialColumn, content::kMaterialCodeColumn);
  names("fabric_colours", content::kEnamelFabricColorsTable, content::kFabricColorColumn, content::kColorCodeColumn);
  TableSource items{content::kEnamelItemsTable,
                    {Link(content::kGroupColumn, content::kEnamelGroupsTable, content::kGroupColumn, 1),
                     Link(content::kModelyearColumn, content::kEnamelModelyearsTable, content::kModelyearColumn, 1),
                     Link(content::kCoachColorColumn, content::kEnamelCoachColorsTable, content::kCoachColorColumn, 1),
                     Link(content::kRoofColorColumn, content::kEnamelRoofColorsTable, content::kRoofColorColumn, 1),
                     Link(content::kFabricMaterialColumn, content::kEnamelFabricMaterialsTable, content::kFabricMaterialColumn, 1),
                     Link(content::kFabricColorColumn, content::kEnamelFabricColorsTable, content::kFabricColorColumn, 6)},
                    {}, true};
  for (const Combination& c : en.items)
    items.records.push_back({QString::number(c.model), QString::number(c.year), QString::number(en.SectionCoach(c)),
                             QString::number(c.roof), QString::number(c.material), LinkCell(c.colours).join(QLatin1Char(','))});
  db->tables.push_back(items);
}

DatabaseSource CatalogueDatabase(const Texts& t, const Enamel& en, int language, int extraItems) {
  DatabaseSource db;
  const QJsonObject& c = t.catalogue;
  TableSource groups{content::kPictureGroupsTable, {Str(content::kGroupColumn)}, {}, true};
  for (const QJsonValue& g : c.value(QLatin1String("groups")).toArray()) groups.records.push_back({PerLanguage(g, language)});
  TableSource bodies{QStringLiteral("Body Styles"), {Str(QStringLiteral("Body Style"))}, {}, true};
  for (const QJsonValue& b : c.value(QLatin1String("body_styles")).toArray()) bodies.records.push_back({PerLanguage(b, language)});
  TableSource colours{QStringLiteral("Colours"), {Str(QStringLiteral("Colour")), Str(QStringLiteral("Code"), kCodeBytes)}, {}, true};
  for (const QJsonValue& v : t.enamel.value(QLatin1String("coach_colours")).toArray())
    colours.records.push_back({PerLanguage(v.toArray()[1], language), v.toArray()[0].toString()});
  TableSource items{content::kPictureItemsTable,
                    {Str(content::kItemNumberColumn, kItemNumberBytes), Str(content::kHeaderColumn, kHeaderBytes),
                     Str(content::kDescriptionColumn, kDescriptionBytes),
                     Link(content::kGroupColumn, content::kPictureGroupsTable, content::kGroupColumn, 1),
                     Typed(QStringLiteral("Year"), ColumnType::ctWord),
                     Link(QStringLiteral("Body Style"), QStringLiteral("Body Styles"), QStringLiteral("Body Style"), 2),
                     Link(QStringLiteral("Colour"), QStringLiteral("Colours"), QStringLiteral("Colour"), 2),
                     Str(QStringLiteral("Place"), kPlaceBytes), Typed(QStringLiteral("Date"), ColumnType::ctDateTime, 2)},
                    {}, true};
  const QJsonObject places = c.value(QLatin1String("places")).toObject();
  const QString headerColumn = QStringLiteral("Header ") + Lang(language);
  auto itemRecord = [&](const Item& it, const QString& header) {
    QList<int> colourLinks;
    const QString coach = it.Value("Coach"), roof = it.Value("Roof");
    if (!coach.isEmpty()) colourLinks.append(en.Coach(coach));
    if (!roof.isEmpty() && roof != coach) colourLinks.append(en.Coach(roof));
    return QStringList{it.Value("Item Number"), header, it.cells.value(QStringLiteral("Description ") + Lang(language)).text,
                       it.Value("Group"), it.Value("Year"), it.Value("Body"), LinkCell(colourLinks).join(QLatin1Char(',')),
                       PerLanguage(places.value(it.Value("Place")), language), it.Value("Date")};
  };
  for (const Item& it : t.items) items.records.push_back(itemRecord(it, it.cells.value(headerColumn).text));
  for (int i = 0; i < extraItems && !t.items.empty(); ++i) {
    const Item& it = t.items[size_t(i) % t.items.size()];
    items.records.push_back(itemRecord(it, QStringLiteral("%1 (%2)").arg(it.cells.value(headerColumn).text).arg(i + 1).left(kHeaderBytes)));
  }
  TableSource props{content::kPicturePropertiesTable,
                    {Str(content::kTableColumn), Str(content::kShowColumn, kShowBytes), Str(content::kDefinitionColumn, kDefinitionBytes),
                     Str(content::kColumnColumn), Str(content::kHintColumn), Str(content::kSelectAllLabelColumn),
                     Str(content::kLabelColumn)},
                    {}, true};
  for (const QJsonValue& pv : c.value(QLatin1String("properties")).toArray()) {
    const QJsonArray p = pv.toArray();
    props.records.push_back({p[0].toString(), p[1].toString(), p[2].toString(), p[3].toString(),
                             PerLanguage(p[4], language), PerLanguage(p[5], language), PerLanguage(p[6], language)});
  }
  db.tables = {groups, bodies, colours, items, props};
  AddEnamelTables(t.enamel, en, language, &db);
  return db;
}

// The first and last model year `matches` holds a combination for, as "1957 – 1973"; empty for none.
QString YearSpan(const Enamel& en, const std::function<bool(const Combination&)>& matches) {
  int first = 9999, last = 0;
  for (const Combination& c : en.items)
    if (matches(c)) {
      first = std::min(first, en.firstYear + c.year - 1);
      last = std::max(last, en.firstYear + c.year - 1);
    }
  return last > 0 ? QStringLiteral("%1 – %2").arg(first).arg(last) : QString();
}

void BuildDatabases(const Texts& t, const Enamel& en, int extraItems, DemoDatabases* out, Problems& problems) {
  out->language = LanguageDatabase(t.language, problems);
  // The colour and trim tables of the production section are derived from the paint and trim.
  auto derived = [&](const QString& keyAndLanguage) {
    const QStringList parts = keyAndLanguage.split(QLatin1Char('|'));
    const int language = parts[1].toInt();
    const bool colours = parts[0] == QLatin1String("Prod_Colours");
    const QJsonArray list = t.enamel.value(QLatin1String(colours ? "coach_colours" : "fabric_materials")).toArray();
    QList<QStringList> rows;
    for (qsizetype i = 0; i < list.size(); ++i) {
      const QString code = list[i].toArray()[0].toString();
      const QString span = YearSpan(en, [&](const Combination& c) {
        if (!colours) return c.material == i + 1;
        return c.coach == i + 1 || (c.roof > 0 && en.roofCodes[c.roof - 1] == code);
      });
      if (!span.isEmpty()) rows.append({PerLanguage(list[i].toArray()[1], language), code, span});
    }
    return rows;
  };
  std::vector<RecordSource> records;
  const QJsonObject intro = t.records.value(QLatin1String("intro")).toObject();
  for (int language : content::kLanguages) {
    const QString file = QStringLiteral("records.json");
    QStringList lines;
    const QJsonArray introLines = intro.value(Lang(language)).toArray();
    for (qsizetype i = 0; i < introLines.size(); ++i) {
      lines.append(introLines[i].toString());
      if (lines.last().contains(QLatin1Char('\n')) || lines.last().contains(QLatin1Char('\r')))
        problems.In(file, QStringLiteral("intro.%1[%2]: a line break inside a line (make it two lines)").arg(language).arg(i));
    }
    const QString introText = lines.join(QLatin1Char('\n'));
    if (const QString why = TooLong(introText, kRecordBytes); !why.isEmpty())
      problems.In(file, QStringLiteral("intro.%1: %2").arg(language).arg(why));
    records.push_back({uint32_t(records.size() + 1), content::IntroKey(language), introText});
    QStringList outline;
    std::vector<RecordSource> tables;
    OutlineRecords(t.records.value(QLatin1String("outline")).toArray(), QStringLiteral("outline"), 0, language, derived,
                   &outline, &tables, problems);
    const QString outlineText = outline.join(QLatin1Char('\n'));
    if (const QString why = TooLong(outlineText, kRecordBytes); !why.isEmpty())
      problems.In(file, QStringLiteral("outline in language %1: %2").arg(language).arg(why));
    records.push_back({uint32_t(records.size() + 1), content::ProductionContentsKey(language), outlineText});
    for (RecordSource& r : tables) {
      r.tag = uint32_t(records.size() + 1);
      records.push_back(r);
    }
  }
  out->records = std::move(records);
  for (int language : content::kLanguages) out->catalogues[language] = CatalogueDatabase(t, en, language, extraItems);
}

// Checks the sources, read already (nullopt for one that could not be read, its problem
// reported), and makes the databases of the work from them.
bool CheckTexts(const ProjectSources& sources, int extraItems, Texts* t, DemoDatabases* databases, EnamelNeeds* needs,
                Problems& problems, QStringList* notes) {
  const qsizetype before = problems.Count();
  const bool language = ParseJson(sources.language, QStringLiteral("language.json"), kLanguageSchema, &t->language, problems);
  const bool records = ParseJson(sources.records, QStringLiteral("records.json"), kRecordsSchema, &t->records, problems);
  const bool catalogue = ParseJson(sources.catalogue, QStringLiteral("catalogue.json"), kCatalogueSchema, &t->catalogue, problems);
  const bool enamel = ParseJson(sources.enamel, QStringLiteral("enamel.json"), kEnamelSchema, &t->enamel, problems);
  t->itemsFile = sources.itemsFile;
  const bool items = ParseItems(sources.items, t, problems, notes);
  t->help = sources.help.value_or(QByteArray());
  if (!enamel) return false;
  const Enamel en = ReadEnamel(t->enamel, problems);
  if (catalogue && items) CheckItems(*t, en, problems);
  if (language && catalogue) CheckFieldTexts(*t, en, problems);
  if (!language || !records || !catalogue || !items) return false;
  // The databases are made even after a problem, so that records.json is checked too.
  BuildDatabases(*t, en, extraItems, databases, problems);
  *needs = NeededEnamelPictures(en);
  return problems.Count() == before;
}

bool ReadTexts(const QDir& dir, int extraItems, Texts* t, DemoDatabases* databases, EnamelNeeds* needs, Problems& problems,
               QStringList* notes) {
  ProjectSources sources;
  sources.itemsFile = !QFileInfo::exists(dir.filePath(QStringLiteral("items.tsv"))) &&
                              QFileInfo::exists(dir.filePath(QStringLiteral("items.csv")))
                          ? QStringLiteral("items.csv")
                          : QStringLiteral("items.tsv");
  sources.language = ReadSource(dir, QStringLiteral("language.json"), problems);
  sources.records = ReadSource(dir, QStringLiteral("records.json"), problems);
  sources.catalogue = ReadSource(dir, QStringLiteral("catalogue.json"), problems);
  sources.enamel = ReadSource(dir, QStringLiteral("enamel.json"), problems);
  sources.items = ReadSource(dir, sources.itemsFile, problems);
  sources.help = ReadSource(dir, QStringLiteral("help.html"), problems);
  return CheckTexts(sources, extraItems, t, databases, needs, problems, notes);
}

// ---- pictures ----

// What the folder `dir`/`folder` holds, by file name without extension; a name that turns up
// twice is a problem, and so is a file that lies outside the project once links are resolved.
QMap<QString, QString> PictureFiles(const QDir& dir, const QString& folder, Problems& problems) {
  QMap<QString, QString> files;
  if (const QString outside = OutsideProject(dir, folder); !outside.isEmpty()) {
    problems.In(folder, outside);
    return files;
  }
  for (const QFileInfo& f : QDir(dir.filePath(folder)).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString base = f.completeBaseName(), file = folder + QLatin1Char('/') + f.fileName();
    if (const QString outside = OutsideProject(dir, file); !outside.isEmpty()) problems.In(file, outside);
    else if (files.contains(base))
      problems.In(file, QStringLiteral("a second picture for \"%1\" beside %2").arg(Printable(base), files.value(base)));
    else files.insert(base, file);
  }
  return files;
}

// Every picture of the project, listed (with its stamp) before anything is read.
struct PictureList {
  std::vector<PictureFile> all;
  std::vector<int> photos, enamel, backgrounds;  // into `all`: slides then items; cars then seats
};

PictureFile Listed(const QString& file, const QString& output, const QString& where) {
  PictureFile p;
  p.file = file;
  p.output = output;
  p.where = where;
  return p;
}

PictureList ListPictures(const QDir& dir, const Texts& t, const EnamelNeeds& needs, Problems& report) {
  PictureList list;
  auto add = [&](std::vector<int>& into, const QString& file, const QString& output, const QString& where) {
    into.push_back(int(list.all.size()));
    list.all.push_back(Listed(file, output, where));
  };
  const QMap<QString, QString> slides = PictureFiles(dir, QLatin1String(kProjectSlides), report);
  for (int n = 1; n <= content::kSlideCount; ++n) {
    if (slides.contains(QString::number(n))) add(list.photos, slides.value(QString::number(n)), content::kSlideMember + QString::number(n), {});
    else report.In(QLatin1String(kProjectSlides), QStringLiteral("no picture for slide %1 (%1.jpg, %1.png, ...)").arg(n));
  }
  for (const Item& it : t.items) {
    const TableCell photo = it.cells.value(QStringLiteral("Photo"));
    if (photo.text.isEmpty()) continue;
    const QString where = QStringLiteral("%1:%2:%3: Photo").arg(t.itemsFile).arg(photo.line).arg(photo.column);
    if (const QString outside = OutsideProject(dir, photo.text); !outside.isEmpty()) report.Line(where + QStringLiteral(": ") + outside);
    else add(list.photos, QDir::cleanPath(photo.text), it.Value("Item Number"), where);
  }
  const struct { const char* folder; const QStringList* names; QLatin1String member; } kEnamel[] = {
      {kProjectCars, &needs.cars, content::kCarMember}, {kProjectSeats, &needs.seats, content::kSeatMember}};
  for (const auto& kind : kEnamel) {
    const QMap<QString, QString> files = PictureFiles(dir, QLatin1String(kind.folder), report);
    for (const QString& name : *kind.names) {
      if (files.contains(name)) add(list.enamel, files.value(name), kind.member + name, {});
      else report.In(QLatin1String(kind.folder), QStringLiteral("no picture \"%1\" (%1.jpg, ...), which the paint and trim of enamel.json offers").arg(name));
    }
  }
  const QMap<QString, QString> backgrounds = PictureFiles(dir, QLatin1String(kProjectBackgrounds), report);
  for (QLatin1String prefix : content::kBackgroundPrefixes)
    for (QLatin1String suffix : content::kLayoutSuffixes)
      if (backgrounds.contains(prefix + suffix)) {
        add(list.backgrounds, backgrounds.value(prefix + suffix), content::LocalPath(content::BackgroundFile(prefix, suffix)), {});
        list.all.back().member = false;
      }
  for (PictureFile& p : list.all) p.stamp = FileStamp(dir.filePath(p.file));
  return list;
}

// A progress line on a terminal: items done, percent, time left.
class ProgressLine {
 public:
  explicit ProgressLine(bool wanted) : on_(wanted && ::isatty(fileno(stderr)) == 1) { timer_.start(); }
  void Show(int done, int total) {
    if (!on_ || total == 0) return;
    const int percent = int(qint64(done) * 100 / total);
    const int width = 30, filled = width * percent / 100;
    QString left = QStringLiteral("--");
    if (done > 0) left = QString::number((timer_.elapsed() * (total - done) / done + 999) / 1000) + QStringLiteral(" s");
    std::fprintf(stderr, "\r[%s%s] %d/%d pictures %3d%%  %s left  ", QByteArray(filled, '#').constData(),
                 QByteArray(width - filled, ' ').constData(), done, total, percent, left.toUtf8().constData());
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  bool on_;
  QElapsedTimer timer_;
};

// ---- record of an earlier build ----

// What OUT/.olvtool-build records: the pictures that decoded (by project-relative path, with
// their stamp and size) and the key of what each output was made from.
struct Cache {
  QMap<QString, QString> pictures;  // project-relative path -> "stamp\tWxH"
  QMap<QString, QString> outputs;   // output name -> "key\tstamp"

  // The identity of an output file: size, modification time and inode. (Not its change time:
  // the hard links that carry it from one build to the next change that.)
  static QString OutputStamp(const QString& path) {
    const QStringList parts = FileStamp(path).split(QLatin1Char(' '));
    return parts.size() == 4 ? parts[0] + QLatin1Char(' ') + parts[1] + QLatin1Char(' ') + parts[3] : QString();
  }
  void Load(const QString& path) {
    orlaventis::FileContents file = orlaventis::ReadRegularFile(path, kMaxSourceBytes);
    const QStringList lines = QString::fromUtf8(file.bytes).split(QLatin1Char('\n'));
    if (lines.value(0) != QLatin1String(kCacheHeader)) return;
    for (const QString& line : lines) {
      const QString kind = line.section(QLatin1Char('\t'), 0, 0), name = line.section(QLatin1Char('\t'), 1, 1);
      const QString rest = line.section(QLatin1Char('\t'), 2);
      if (kind == QLatin1String("P")) pictures.insert(name, rest);
      if (kind == QLatin1String("O")) outputs.insert(name, rest);
    }
  }
  QByteArray Text() const {
    QString text = QLatin1String(kCacheHeader) + QLatin1Char('\n');
    for (auto it = pictures.begin(); it != pictures.end(); ++it) text += QStringLiteral("P\t%1\t%2\n").arg(it.key(), it.value());
    for (auto it = outputs.begin(); it != outputs.end(); ++it) text += QStringLiteral("O\t%1\t%2\n").arg(it.key(), it.value());
    return text.toUtf8();
  }
};

QByteArray Hash(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex(); }

// One file of the work: its bytes, or the pictures of an archive or background.
struct Output {
  QString name;               // below the output folder, with "/"
  QByteArray bytes;           // a database, the record file or the help page
  std::vector<int> pictures;  // an archive's members, or the one background
  bool archive = false;
  QByteArray key;             // what it is made of
  bool fresh = false;         // the output folder holds it as made from the same key
};

// The files of the work, each with the key of what it is made from and whether `out` holds it
// as made from that key already.
std::vector<Output> PlanOutputs(const QDir& out, const Texts* t, const DemoDatabases& dbs, const PictureList& pictures,
                                QSize maxSize, const Cache& cache, Problems& report) {
  std::vector<Output> outputs;
  if (t != nullptr) {
    auto database = [&](const QString& stored, const DatabaseSource& source, const QString& from) {
      QString error;
      const std::optional<DatabaseImage> image = BuildDatabase(source, true, &error);
      if (!image) report.In(from, content::LocalPath(stored) + QStringLiteral(": ") + error);
      else outputs.push_back({content::LocalPath(stored), image->definitions, {}, false, {}, false});
    };
    database(content::kLanguageFile, dbs.language, QStringLiteral("language.json"));
    for (const auto& [language, catalogue] : dbs.catalogues)
      database(content::CatalogueFile(language), catalogue, QStringLiteral("catalogue.json, enamel.json, ") + t->itemsFile);
    QString error;
    if (const std::optional<QByteArray> recordFile = BuildRecordFile(dbs.records, &error))
      outputs.push_back({content::LocalPath(content::kRecordFile), *recordFile, {}, false, {}, false});
    else report.In(QStringLiteral("records.json"), error);
    outputs.push_back({content::LocalPath(content::kHelpPage), t->help, {}, false, {}, false});
  }
  outputs.push_back({content::kPhotoArchive, {}, pictures.photos, true, {}, false});
  outputs.push_back({content::kEnamelArchive, {}, pictures.enamel, true, {}, false});
  for (int b : pictures.backgrounds) outputs.push_back({pictures.all[size_t(b)].output, {}, {b}, false, {}, false});
  const QString scale = maxSize.isValid() ? QStringLiteral("%1x%2").arg(maxSize.width()).arg(maxSize.height()) : QString();
  for (Output& o : outputs) {
    QByteArray made = o.bytes;
    for (int i : o.pictures) {
      const PictureFile& p = pictures.all[size_t(i)];
      made += QStringLiteral("%1\t%2\t%3\t%4\n").arg(p.output, p.file, p.stamp, scale).toUtf8();
    }
    o.key = Hash(made);
    const QString stamp = Cache::OutputStamp(out.filePath(o.name));
    o.fresh = !stamp.isEmpty() && cache.outputs.value(o.name) == QString::fromLatin1(o.key) + QLatin1Char('\t') + stamp;
  }
  return outputs;
}

// Writes the work: the outputs that are not fresh into `stage` (archives as their pictures are
// packed, in order), every picture checked whether or not its output is made again. False after
// reporting every problem; `stage` null only checks.
bool MakeOutputs(const QDir& dir, PictureList& pictures, const std::vector<Output>& outputs, const Cache& cache,
                 const BuildOptions& options, StagedOutput* stage, Problems& report) {
  // Where each picture goes when its output is made again: an archive, or a background file.
  struct Sink {
    std::unique_ptr<QFile> file;
    std::unique_ptr<ArchiveWriter> archive;
    const Output* output = nullptr;
  };
  std::vector<Sink> sinks;
  std::vector<int> sinkOf(pictures.all.size(), -1);
  QString error;
  std::atomic<bool> written{true};  // read by the workers: a failed write ends all packing
  auto failed = [&](const QString& name) {
    if (written) report.In(name, error);
    written = false;
  };
  for (const Output& o : outputs) {
    if (o.fresh || stage == nullptr || !written) continue;
    if (o.pictures.empty()) {
      if (!stage->Write(o.name, o.bytes, &error)) failed(o.name);
      continue;
    }
    for (int i : o.pictures) sinkOf[size_t(i)] = int(sinks.size());
    Sink sink;
    sink.output = &o;
    if (o.archive) {
      sink.file = stage->Create(o.name, &error);
      if (!sink.file) failed(o.name);
      else sink.archive = std::make_unique<ArchiveWriter>(sink.file.get());
    }
    sinks.push_back(std::move(sink));
  }
  // Pictures to read: those whose output is made again, and those no earlier build checked.
  std::vector<int> work;
  for (size_t i = 0; i < pictures.all.size(); ++i) {
    PictureFile& p = pictures.all[i];
    if (p.stamp.isEmpty()) {
      report.Line((p.where.isEmpty() ? QString() : p.where + QStringLiteral(": ")) +
                  FileProblem(p.file, InputFileStatus(dir.filePath(p.file), orlaventis::kMaxPictureFileBytes)));
      continue;
    }
    const QString known = cache.pictures.value(p.file);
    if (!known.isEmpty() && known.section(QLatin1Char('\t'), 0, 0) == p.stamp) {
      const QStringList wh = known.section(QLatin1Char('\t'), 1).split(QLatin1Char('x'));
      p.pixels = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    if (!p.pixels.isValid() || sinkOf[i] >= 0) work.push_back(int(i));
  }
  ProgressLine progress(options.progress);
  bool picturesOk = true;
  InOrderOnEveryCore(
      int(work.size()),
      [&](int w) {
        const PictureFile& p = pictures.all[size_t(work[size_t(w)])];
        return PackPicture(dir, p, written && sinkOf[size_t(work[size_t(w)])] >= 0, options.maxSize);
      },
      [&](int w, PackedPicture&& made) {
        const size_t i = size_t(work[size_t(w)]);
        PictureFile& p = pictures.all[i];
        if (!made.problem.isEmpty()) {
          report.Line(p.where.isEmpty() ? made.problem : p.where + QStringLiteral(": ") + made.problem);
          picturesOk = false;
          return;
        }
        p.pixels = made.pixels;
        if (sinkOf[i] < 0 || !written || !picturesOk) return;
        Sink& sink = sinks[size_t(sinkOf[i])];
        if (sink.archive ? !sink.archive->AddBlock(p.output, std::move(made.block), made.unpacked, kMemberTime, &error)
                         : !stage->Write(sink.output->name, made.block, &error))
          failed(sink.output->name);
      },
      options.progress ? std::function<void(int)>([&](int done) { progress.Show(done, int(work.size())); }) : nullptr);
  if (Interrupted()) return false;
  for (Sink& sink : sinks)
    if (sink.archive && written && picturesOk && (!sink.archive->Finish(&error) || !stage->Close(*sink.file, &error)))
      failed(sink.output->name);
  return written && picturesOk;
}

}  // namespace

bool ReadProjectTexts(const QString& dir, int extraItems, DemoDatabases* databases, EnamelNeeds* needs,
                      QStringList* problems) {
  Problems p(problems);
  Texts t;
  return ReadTexts(QDir(dir), extraItems, &t, databases, needs, p, nullptr);
}

bool CheckProjectSources(const ProjectSources& sources, DemoDatabases* databases, EnamelNeeds* needs,
                         QStringList* problems) {
  Problems p(problems);
  Texts t;
  return CheckTexts(sources, 0, &t, databases, needs, p, nullptr);
}

bool BuildProject(const QString& projectDir, const QString& outFolder, const BuildOptions& options, QStringList* problems,
                  QStringList* notes) {
  Problems report(problems);
  const QDir dir(projectDir), out(outFolder);
  if (!QFileInfo(projectDir).isDir()) {
    report.In(projectDir, QStringLiteral("no such project folder"));
    return false;
  }
  Texts t;
  DemoDatabases dbs;
  EnamelNeeds needs;
  const bool textsOk = ReadTexts(dir, options.extraItems, &t, &dbs, &needs, report, notes);
  PictureList pictures = ListPictures(dir, t, needs, report);
  Cache cache;
  cache.Load(out.filePath(QLatin1String(kCacheName)));
  const std::vector<Output> outputs = PlanOutputs(out, textsOk ? &t : nullptr, dbs, pictures, options.maxSize, cache, report);
  // With a problem so far the pictures are only checked, so that every problem is named at once.
  const bool writing = problems->isEmpty() &&
                       std::any_of(outputs.begin(), outputs.end(), [](const Output& o) { return !o.fresh; });
  StagedOutput stage;
  if (writing) {
    QSet<QString> names, made;
    for (const Output& o : outputs) {
      names.insert(o.name);
      if (!o.fresh) made.insert(o.name);
    }
    QString error;
    if (!stage.Begin(outFolder, names, made, QLatin1String(kCacheName), options.fileByFile, &error)) {
      report.In(outFolder, error);
      return false;
    }
  }
  if (!MakeOutputs(dir, pictures, outputs, cache, options, writing ? &stage : nullptr, report) || !problems->isEmpty())
    return false;
  Cache made;
  for (const PictureFile& p : pictures.all)
    if (p.pixels.isValid()) made.pictures.insert(p.file, p.stamp + QStringLiteral("\t%1x%2").arg(p.pixels.width()).arg(p.pixels.height()));
  QString error;
  if (!writing) {
    // Nothing to make again: the record alone is brought up to date, in one rename.
    for (const Output& o : outputs) made.outputs.insert(o.name, cache.outputs.value(o.name));
    const QByteArray text = made.Text();
    if (text == cache.Text()) return true;
    if (!WriteFileAtomically(out.filePath(QLatin1String(kCacheName)), text, &error)) report.In(kCacheName, error);
    return problems->isEmpty();
  }
  // The stamps of the outputs as they will stand in OUT: the staged files (made or linked) are
  // the same inodes after the swap.
  const QDir staged(stage.Path());
  for (const Output& o : outputs)
    made.outputs.insert(o.name, QString::fromLatin1(o.key) + QLatin1Char('\t') + Cache::OutputStamp(staged.filePath(o.name)));
  if (!stage.Write(QLatin1String(kCacheName), made.Text(), &error) || !stage.Commit(&error)) {
    report.In(outFolder, error);
    return false;
  }
  return true;
}

}  // namespace olvtool
