// Reads an authoring project (items table, text sources, picture files), checks it whole and builds the work.
#include "ProjectBuild.h"

#include "ArchiveWriter.h"
#include "DemoContent.h"
#include "InputFile.h"
#include "SourceSchema.h"
#include "database/ContentContract.h"
#include "database/RegularFile.h"
#include "database/Win1252.h"
#include "media/PictureDecoder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include <unistd.h>

using orlaventis::ColumnType;
namespace content = orlaventis::content;

namespace olvtool {

namespace {

// Every member gets this time stamp, so that two builds of the same project give the same archives.
const QDateTime kMemberTime(QDate(1998, 5, 4), QTime(12, 0));
constexpr char kCacheName[] = ".olvtool-build";
constexpr char kCacheHeader[] = "olvtool build cache 1";

QString Lang(int language) { return QString::number(language); }

// ---- problems ----

class Problems {
 public:
  explicit Problems(QStringList* out) : out_(out) {}
  void At(const QString& file, int line, int column, const QString& what) {
    out_->append(QStringLiteral("%1:%2:%3: %4").arg(file).arg(line).arg(column).arg(what));
  }
  void In(const QString& file, const QString& what) { out_->append(file + QStringLiteral(": ") + what); }
  void Line(const QString& line) { out_->append(line); }
  qsizetype Count() const { return out_->size(); }

 private:
  QStringList* out_;
};

// ---- items table ----

// One cell with the place its text starts (1-based line and character column).
struct Cell {
  QString text;
  int line = 0, column = 0;
};
using Row = std::vector<Cell>;

// The rows of delimited text with `separator`: a cell that starts with a quote runs to the
// matching quote ("" is a quote inside it) and may hold separators and line breaks (RFC 4180);
// CR LF ends a row as LF does; empty lines are no rows.
std::vector<Row> ParseTable(const QString& text, QChar separator) {
  std::vector<Row> rows;
  Row row;
  int line = 1, column = 1;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto endRow = [&]() {
    if (!(row.size() == 1 && row[0].text.isEmpty())) rows.push_back(std::move(row));
    row.clear();
  };
  while (i <= n) {
    Cell cell{QString(), line, column};
    if (i < n && text[i] == QLatin1Char('"')) {
      ++i, ++column;
      while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
          if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
            cell.text += c;
            i += 2, column += 2;
            continue;
          }
          ++i, ++column;
          break;
        }
        cell.text += c;
        ++i, ++column;
        if (c == QLatin1Char('\n')) ++line, column = 1;
      }
    }
    while (i < n && text[i] != separator && text[i] != QLatin1Char('\n')) cell.text += text[i++], ++column;
    if (cell.text.endsWith(QLatin1Char('\r')) && (i == n || text[i] == QLatin1Char('\n'))) cell.text.chop(1);
    row.push_back(std::move(cell));
    if (i >= n) break;
    if (text[i] == separator) {
      ++i, ++column;
      continue;
    }
    ++i, ++line, column = 1;  // a line break ends the row
    endRow();
  }
  endRow();
  return rows;
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

// The columns of the items table besides "Header <language>" and "Description <language>".
constexpr const char* kItemColumns[] = {"Item Number", "Group", "Year", "Body", "Coach", "Roof",
                                        "Place", "Date", "Photo"};

struct Item {
  QMap<QString, Cell> cells;
  int line = 0;
  QString Value(const char* column) const { return cells.value(QLatin1String(column)).text; }
};

struct Texts {
  QJsonObject language, records, catalogue, enamel;
  QString itemsFile;  // "items.tsv" or "items.csv"
  std::vector<Item> items;
  QByteArray help;
};

// 1-based line and column of the character at byte `offset` of `bytes`.
std::pair<int, int> LineAndColumn(const QByteArray& bytes, qsizetype offset) {
  const QByteArray head = bytes.left(offset);
  const qsizetype lastBreak = head.lastIndexOf('\n');
  return {int(head.count('\n')) + 1, int(QString::fromUtf8(head.mid(lastBreak + 1)).size()) + 1};
}

std::optional<QByteArray> ReadText(const QDir& dir, const QString& name, Problems& problems) {
  orlaventis::FileContents file = orlaventis::ReadRegularFile(dir.filePath(name), kMaxSourceBytes);
  if (file.status != orlaventis::FileReadStatus::Ok) {
    problems.Line(FileProblem(name, file.status));
    return std::nullopt;
  }
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(file.bytes);
  if (utf8.hasError()) {
    problems.In(name, QStringLiteral("not UTF-8 text"));
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

bool ReadJson(const QDir& dir, const QString& name, const char* schema, QJsonObject* out, Problems& problems) {
  const std::optional<QByteArray> bytes = ReadText(dir, name, problems);
  if (!bytes) return false;
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

bool ReadItems(const QDir& dir, Texts* t, Problems& problems) {
  const bool csv = !QFileInfo::exists(dir.filePath(QStringLiteral("items.tsv"))) &&
                   QFileInfo::exists(dir.filePath(QStringLiteral("items.csv")));
  t->itemsFile = csv ? QStringLiteral("items.csv") : QStringLiteral("items.tsv");
  const std::optional<QByteArray> bytes = ReadText(dir, t->itemsFile, problems);
  if (!bytes) return false;
  QString text = QString::fromUtf8(*bytes);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  const std::vector<Row> rows = ParseTable(text, csv ? QLatin1Char(',') : QLatin1Char('\t'));
  const QString& file = t->itemsFile;
  if (rows.empty()) {
    problems.In(file, QStringLiteral("empty: the first line names the columns"));
    return false;
  }
  QStringList known;
  for (const char* column : kItemColumns) known.append(QString::fromLatin1(column));
  for (int language : content::kLanguages)
    known << QStringLiteral("Header ") + Lang(language) << QStringLiteral("Description ") + Lang(language);
  const Row& head = rows[0];
  const qsizetype before = problems.Count();
  QStringList names;
  for (const Cell& c : head) {
    if (!known.contains(c.text) || names.contains(c.text))
      problems.At(file, c.line, c.column, QStringLiteral("column \"%1\" is unknown or repeated").arg(c.text));
    names.append(c.text);
  }
  QStringList required{QStringLiteral("Item Number"), QStringLiteral("Photo")};
  for (int language : content::kLanguages) required.append(QStringLiteral("Header ") + Lang(language));
  for (const QString& column : required)
    if (!names.contains(column)) problems.At(file, 1, 1, QStringLiteral("no column \"%1\"").arg(column));
  if (problems.Count() > before) return false;
  for (size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
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

// The paint and trim of enamel.json (already checked against its schema) with every combination
// expanded; an unknown code is a problem.
Enamel ReadEnamel(const QJsonObject& e, Problems& problems) {
  const QString file = QStringLiteral("enamel.json");
  Enamel en;
  en.coachCodes = Codes(e.value(QLatin1String("coach_colours")).toArray());
  en.roofCodes = Codes(e.value(QLatin1String("roof_colours")).toArray());
  en.materialCodes = Codes(e.value(QLatin1String("fabric_materials")).toArray());
  en.fabricCodes = Codes(e.value(QLatin1String("fabric_colours")).toArray());
  auto resolve = [&](const QStringList& codes, const QString& code, const QString& where) {
    if (!codes.contains(code)) problems.In(file, QStringLiteral("%1: unknown code \"%2\"").arg(where, code));
  };
  // A roof is painted in a coach colour and named after it.
  for (qsizetype i = 0; i < en.roofCodes.size(); ++i)
    resolve(en.coachCodes, en.roofCodes[i], QStringLiteral("roof_colours[%1]").arg(i));
  const QJsonArray years = e.value(QLatin1String("model_years")).toArray();
  en.firstYear = years[0].toInt();
  en.lastYear = years[1].toInt();
  if (en.lastYear < en.firstYear || en.firstYear < 1 || en.lastYear - en.firstYear > 200)
    problems.In(file, QStringLiteral("model_years: %1 to %2 is no span of years").arg(en.firstYear).arg(en.lastYear));
  const QJsonArray eras = e.value(QLatin1String("eras")).toArray();
  for (qsizetype ei = 0; ei < eras.size(); ++ei) {
    const QString where = QStringLiteral("eras[%1]").arg(ei);
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
  const QJsonArray models = e.value(QLatin1String("models")).toArray();
  for (const QJsonValue& model : models) {
    en.modelCodes.append(model.toObject().value(QLatin1String("code")).toString());
    // It ends coach codes in member names and a column of 8 characters.
    if (!QRegularExpression(QStringLiteral("^[A-Z0-9]{0,3}$")).match(en.modelCodes.last()).hasMatch())
      problems.In(file, QStringLiteral("models[%1].code: \"%2\" is not up to 3 capitals or digits")
                            .arg(en.modelCodes.size() - 1).arg(en.modelCodes.last()));
    if (!en.codeGroups.contains(en.modelCodes.last())) en.codeGroups.append(en.modelCodes.last());
  }
  for (int m = 1; m <= models.size(); ++m) {
    const QJsonArray span = models[m - 1].toObject().value(QLatin1String("years")).toArray();
    for (int y = std::max(span[0].toInt(), en.firstYear); y <= std::min(span[1].toInt(), en.lastYear); ++y) {
      for (const QJsonValue& ev : eras) {
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
            if (c.coach > 0 && c.material > 0 && !c.colours.contains(0)) en.items.push_back(c);
          }
        }
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

// The Windows-1252 size of `text`, or a problem when it does not fit `limit` bytes.
QString TooLong(const QString& text, int limit) {
  const std::optional<QByteArray> bytes = orlaventis::EncodeWin1252(text);
  if (!bytes) return QStringLiteral("holds a character outside Windows-1252");
  if (bytes->size() > limit)
    return QStringLiteral("too long for its field (%1 bytes, at most %2)").arg(bytes->size()).arg(limit);
  return {};
}

// A comma- or blank-separated list of record numbers from 1 to `count`, at most `most` of them.
bool LinksFit(const QString& text, qsizetype count, int most) {
  static const QRegularExpression kSeparators(QStringLiteral("[,\\s]+"));
  const QStringList parts = text.split(kSeparators, Qt::SkipEmptyParts);
  if (parts.size() > most) return false;
  for (const QString& p : parts) {
    bool ok = false;
    const int n = p.toInt(&ok);
    if (!ok || n < 1 || n > count) return false;
  }
  return true;
}

void CheckItems(const Texts& t, const Enamel& en, Problems& problems) {
  const QString& file = t.itemsFile;
  const qsizetype groups = t.catalogue.value(QLatin1String("groups")).toArray().size();
  const qsizetype bodies = t.catalogue.value(QLatin1String("body_styles")).toArray().size();
  const QJsonObject places = t.catalogue.value(QLatin1String("places")).toObject();
  static const QRegularExpression kUnsafe(QStringLiteral("[\\\\/:*?\"<>|=]"));
  QMap<QString, int> numbers;  // upper-case item number -> line
  for (const Item& it : t.items) {
    auto at = [&](const char* column, const QString& what) {
      const Cell c = it.cells.value(QLatin1String(column));
      problems.At(file, c.line ? c.line : it.line, c.column ? c.column : 1, QLatin1String(column) + QStringLiteral(": ") + what);
    };
    auto fits = [&](const char* column, int limit) {
      const QString why = TooLong(it.Value(column), limit);
      if (!why.isEmpty()) at(column, why);
    };
    const QString number = it.Value("Item Number");
    if (number.isEmpty()) at("Item Number", QStringLiteral("empty"));
    else if (number.contains(kUnsafe) || number.trimmed() != number)
      at("Item Number", QStringLiteral("\"%1\" cannot name a picture (no \\ / : * ? \" < > | = or outer blanks)").arg(number));
    else if (numbers.contains(number.toUpper()))
      at("Item Number", QStringLiteral("\"%1\" repeats the item number of line %2").arg(number).arg(numbers.value(number.toUpper())));
    else numbers.insert(number.toUpper(), it.line);
    fits("Item Number", 16);
    bool ok = true;
    const QString year = it.Value("Year");
    const int yearNumber = year.toInt(&ok);
    if (!year.isEmpty() && (!ok || yearNumber > 65535 || yearNumber < 0))
      at("Year", QStringLiteral("\"%1\" is not a year").arg(year));
    const QString date = it.Value("Date");
    if (!date.isEmpty() && !QDate::fromString(date, Qt::ISODate).isValid())
      at("Date", QStringLiteral("\"%1\" is not a date (yyyy-mm-dd)").arg(date));
    if (!it.Value("Group").isEmpty() && !LinksFit(it.Value("Group"), groups, 1))
      at("Group", QStringLiteral("\"%1\" names no group of catalogue.json (1 to %2)").arg(it.Value("Group")).arg(groups));
    if (!it.Value("Body").isEmpty() && !LinksFit(it.Value("Body"), bodies, 2))
      at("Body", QStringLiteral("\"%1\" names no body style of catalogue.json (one or two of 1 to %2)").arg(it.Value("Body")).arg(bodies));
    for (const char* column : {"Coach", "Roof"})
      if (!it.Value(column).isEmpty() && en.Coach(it.Value(column)) == 0)
        at(column, QStringLiteral("unknown code \"%1\": no such colour in enamel.json").arg(it.Value(column)));
    if (!it.Value("Place").isEmpty() && !places.contains(it.Value("Place")))
      at("Place", QStringLiteral("\"%1\" is no place of catalogue.json").arg(it.Value("Place")));
    fits("Place", 40);
    bool anyDescription = false;
    for (int language : content::kLanguages)
      anyDescription = anyDescription || !it.cells.value(QStringLiteral("Description ") + Lang(language)).text.isEmpty();
    for (int language : content::kLanguages) {
      const QByteArray header = (QStringLiteral("Header ") + Lang(language)).toLatin1();
      const QByteArray description = (QStringLiteral("Description ") + Lang(language)).toLatin1();
      if (it.Value(header.constData()).isEmpty()) at(header.constData(), QStringLiteral("no text (a missing translation)"));
      if (anyDescription && it.Value(description.constData()).isEmpty())
        at(description.constData(), QStringLiteral("no text (a missing translation)"));
      fits(header.constData(), 80);
      fits(description.constData(), 255);
    }
    if (it.Value("Photo").isEmpty()) at("Photo", QStringLiteral("empty: the picture's file is needed"));
  }
}

// ---- databases ----

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

DatabaseSource LanguageDatabase(const QJsonObject& language, Problems& problems) {
  DatabaseSource db;
  TableSource contents{content::kContentsTable, {Typed(content::kCountryIdColumn, ColumnType::ctWord),
                                                 Str(content::kCountryNameColumn, 40)}, {}, true};
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

void OutlineRecords(const QJsonArray& nodes, int depth, int language, const std::function<QList<QStringList>(const QString&)>& derived,
                    QStringList* outline, std::vector<RecordSource>* records, Problems& problems) {
  for (const QJsonValue& nv : nodes) {
    const QJsonObject n = nv.toObject();
    const QString tabs(depth, QLatin1Char('\t'));
    if (n.contains(QLatin1String("children"))) {
      outline->append(tabs + PerLanguage(n.value(QLatin1String("title")), language));
      OutlineRecords(n.value(QLatin1String("children")).toArray(), depth + 1, language, derived, outline, records, problems);
      continue;
    }
    const QString key = n.value(QLatin1String("key")).toString() + QLatin1Char('_') + Lang(language);
    QStringList columns;
    for (const QJsonValue& c : n.value(QLatin1String("columns")).toObject().value(Lang(language)).toArray())
      columns.append(c.toString());
    const std::optional<QString> topic = content::WriteOutlineTopic(
        {key, columns.join(QLatin1Char('@')), PerLanguage(n.value(QLatin1String("caption")), language)});
    if (!topic)
      problems.In(QStringLiteral("records.json"), QStringLiteral("topic \"%1\": the key, columns or caption cannot be written as an outline line").arg(key));
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

QStringList LinkCell(const QList<int>& links) {
  QStringList s;
  for (int l : links) s.append(QString::number(l));
  return s;
}

void AddEnamelTables(const QJsonObject& e, const Enamel& en, int language, DatabaseSource* db) {
  auto names = [&](const char* key, const QString& table, const QString& column, const QString& codeColumn) {
    TableSource t{table, {Str(column), Str(codeColumn, 8)}, {}, true};
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
  TableSource coaches{content::kEnamelCoachColorsTable, {Str(content::kCoachColorColumn), Str(content::kColorCodeColumn, 8)}, {}, true};
  for (const QString& group : en.codeGroups)
    for (const QJsonValue& v : e.value(QLatin1String("coach_colours")).toArray())
      coaches.records.push_back({PerLanguage(v.toArray()[1], language), v.toArray()[0].toString() + group});
  db->tables.push_back(coaches);
  TableSource roofs{content::kEnamelRoofColorsTable, {Str(content::kRoofColorColumn), Str(content::kColorCodeColumn, 8)}, {}, true};
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
  TableSource colours{QStringLiteral("Colours"), {Str(QStringLiteral("Colour")), Str(QStringLiteral("Code"), 8)}, {}, true};
  for (const QJsonValue& v : t.enamel.value(QLatin1String("coach_colours")).toArray())
    colours.records.push_back({PerLanguage(v.toArray()[1], language), v.toArray()[0].toString()});
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
    items.records.push_back(itemRecord(it, QStringLiteral("%1 (%2)").arg(it.cells.value(headerColumn).text).arg(i + 1).left(80)));
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
    QStringList lines;
    for (const QJsonValue& l : intro.value(Lang(language)).toArray()) lines.append(l.toString());
    records.push_back({uint32_t(records.size() + 1), content::IntroKey(language), lines.join(QLatin1Char('\n'))});
    QStringList outline;
    std::vector<RecordSource> tables;
    OutlineRecords(t.records.value(QLatin1String("outline")).toArray(), 0, language, derived, &outline, &tables, problems);
    records.push_back({uint32_t(records.size() + 1), content::ProductionContentsKey(language), outline.join(QLatin1Char('\n'))});
    for (RecordSource& r : tables) {
      r.tag = uint32_t(records.size() + 1);
      records.push_back(r);
    }
  }
  out->records = std::move(records);
  for (int language : content::kLanguages) out->catalogues[language] = CatalogueDatabase(t, en, language, extraItems);
}

bool ReadTexts(const QDir& dir, int extraItems, Texts* t, DemoDatabases* databases, EnamelNeeds* needs, Problems& problems) {
  const qsizetype before = problems.Count();
  const bool language = ReadJson(dir, QStringLiteral("language.json"), kLanguageSchema, &t->language, problems);
  const bool records = ReadJson(dir, QStringLiteral("records.json"), kRecordsSchema, &t->records, problems);
  const bool catalogue = ReadJson(dir, QStringLiteral("catalogue.json"), kCatalogueSchema, &t->catalogue, problems);
  const bool enamel = ReadJson(dir, QStringLiteral("enamel.json"), kEnamelSchema, &t->enamel, problems);
  const bool items = ReadItems(dir, t, problems);
  if (const std::optional<QByteArray> help = ReadText(dir, QStringLiteral("help.html"), problems)) t->help = *help;
  if (!enamel) return false;
  const Enamel en = ReadEnamel(t->enamel, problems);
  if (catalogue && items) CheckItems(*t, en, problems);
  if (!language || !records || !catalogue || !items || problems.Count() > before) return false;
  BuildDatabases(*t, en, extraItems, databases, problems);
  *needs = NeededEnamelPictures(en);
  return problems.Count() == before;
}

// ---- pictures ----

// One picture file that goes into the work.
struct Picture {
  QString file;    // relative to the project
  QString output;  // the member name, or the output file of a background
  QString where;   // the place that names it ("items.tsv:5:9: Photo"), or empty for its own file
  bool member = true;  // an archive member (scaled by --max-size, zlib-packed when smaller); else a background file
  qint64 size = -1, time = 0;  // of the file when listed; -1 when it is missing
  QSize pixels;                // from the cache, when it was read before
  // Results of Pack().
  QByteArray block;            // what the archive stores (the file, scaled or zlib-packed)
  qint64 unpacked = 0;
  QString problem;
};

Picture Listed(const QString& file, const QString& output, const QString& where) {
  Picture p;
  p.file = file;
  p.output = output;
  p.where = where;
  return p;
}

QString Stamp(const Picture& p) { return QStringLiteral("%1\t%2").arg(p.size).arg(p.time); }

// What the folder `dir`/`folder` holds, by file name without extension; a name that turns up
// twice is a problem.
QMap<QString, QString> PictureFiles(const QDir& dir, const QString& folder, Problems& problems) {
  QMap<QString, QString> files;
  for (const QFileInfo& f : QDir(dir.filePath(folder)).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    const QString base = f.completeBaseName();
    if (files.contains(base))
      problems.In(folder + QLatin1Char('/') + f.fileName(), QStringLiteral("a second picture for \"%1\" beside %2").arg(base, files.value(base)));
    else files.insert(base, folder + QLatin1Char('/') + f.fileName());
  }
  return files;
}

DemoFormat FormatOf(const QString& sniffed) {
  if (sniffed == QLatin1String("PNG")) return DemoFormat::Png;
  if (sniffed == QLatin1String("BMP")) return DemoFormat::Bmp;
  if (sniffed == QLatin1String("GIF")) return DemoFormat::Gif;
  if (sniffed == QLatin1String("TIF")) return DemoFormat::Tiff;
  if (sniffed == QLatin1String("PCX")) return DemoFormat::Pcx;
  return DemoFormat::Jpeg;
}

// Reads `p`, checks that the program's decoder takes it (unless `known`) and, when `block`, makes
// the stored form: scaled to fit `maxSize` when larger, zlib-packed when that is smaller (all but
// JPEG and PNG). Safe to run on many pictures at once.
void Pack(const QDir& dir, Picture& p, bool known, bool block, QSize maxSize, bool pack) {
  orlaventis::FileContents file = orlaventis::ReadRegularFile(dir.filePath(p.file), orlaventis::kMaxPictureFileBytes);
  if (file.status != orlaventis::FileReadStatus::Ok) {
    p.problem = FileProblem(p.file, file.status);
    return;
  }
  const QString format = orlaventis::SniffPictureFormat(QByteArrayView(file.bytes).first(std::min<qsizetype>(file.bytes.size(), 512)));
  if (format.isEmpty()) {
    p.problem = p.file + QStringLiteral(": not a picture the program reads (JPEG, PNG, BMP, GIF, TIFF or PCX)");
    return;
  }
  if (!known) {
    // JPEG decodes at an eighth of its size: every block is still read, the sums are skipped.
    QSize full;
    const orlaventis::PictureSizeRule small = [&full](QSize size) {
      full = size;
      return (size / 8).expandedTo(QSize(1, 1));
    };
    const orlaventis::DecodedPicture decoded = orlaventis::DecodePictureScaled(
        file.bytes, format, format == QLatin1String("JPEG") ? small : orlaventis::PictureSizeRule());
    if (decoded.image.isNull()) {
      p.problem = p.file + QStringLiteral(": does not decode (%1)").arg(decoded.reason);
      return;
    }
    p.pixels = full.isValid() ? full : decoded.image.size();
  }
  if (!block) return;
  QByteArray data = std::move(file.bytes);
  if (maxSize.isValid() && (p.pixels.width() > maxSize.width() || p.pixels.height() > maxSize.height())) {
    const QSize fit = p.pixels.scaled(maxSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const orlaventis::DecodedPicture scaled =
        orlaventis::DecodePictureScaled(data, format, [fit](QSize) { return fit; });
    data = EncodeDemoPicture(scaled.image.convertToFormat(QImage::Format_RGB32), FormatOf(format));
    if (data.isEmpty()) {
      p.problem = p.file + QStringLiteral(": cannot be scaled down");
      return;
    }
  }
  p.unpacked = data.size();
  if (pack && format != QLatin1String("JPEG") && format != QLatin1String("PNG")) {
    QByteArray packed = ZlibPack(data);
    if (!packed.isEmpty() && packed.size() < data.size()) data = std::move(packed);
  }
  p.block = std::move(data);
}

}  // namespace

void OnEveryCore(int count, const std::function<void(int)>& work, const std::function<void(int)>& progress) {
  std::atomic<int> next{0}, done{0};
  const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 64);
  std::vector<std::thread> pool;
  for (int t = 0; t < std::min(threads, count); ++t)
    pool.emplace_back([&] {
      for (int i = next++; i < count; i = next++) {
        work(i);
        ++done;
      }
    });
  while (progress && done < count) {
    progress(done);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (std::thread& t : pool) t.join();
  if (progress) progress(count);
}

namespace {

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

// ---- cache of an earlier build ----

struct Cache {
  QMap<QString, QString> pictures;  // absolute path -> "size\ttime\tWxH" of a picture that decoded
  QMap<QString, QString> outputs;   // output name -> "key\tsize\ttime" of what was written

  static QString FileStamp(const QString& path) {
    const QFileInfo f(path);
    return f.isFile() ? QStringLiteral("%1\t%2").arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch()) : QString();
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
  QString name;           // below the output folder, with "/"
  QByteArray bytes;       // a database, the record file or the help page
  std::vector<int> pictures;  // an archive's members, or the one background
  bool archive = false;
  QByteArray key;         // what it is made of
  bool fresh = false;     // the output folder holds it as made from the same key
};

// Every picture of the project, listed (with its size and time) before anything is read.
struct PictureList {
  std::vector<Picture> all;
  std::vector<int> photos, enamel, backgrounds;  // into `all`: slides then items; cars then seats
};

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
    const Cell photo = it.cells.value(QStringLiteral("Photo"));
    if (!photo.text.isEmpty())
      add(list.photos, QDir::cleanPath(photo.text), it.Value("Item Number"),
          QStringLiteral("%1:%2:%3: Photo").arg(t.itemsFile).arg(photo.line).arg(photo.column));
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
  for (Picture& p : list.all) {
    const QFileInfo f(dir.filePath(p.file));
    if (f.exists()) p.size = f.size(), p.time = f.lastModified().toMSecsSinceEpoch();
  }
  return list;
}

// The files of the work, each with the key of what it is made from and whether `out` holds it
// as made from that key already.
std::vector<Output> PlanOutputs(const QDir& dir, const QDir& out, const Texts* t, const DemoDatabases& dbs,
                                const PictureList& pictures, QSize maxSize, const Cache& cache, Problems& report) {
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
      const Picture& p = pictures.all[size_t(i)];
      made += QStringLiteral("%1\t%2\t%3\t%4\n").arg(p.output, dir.absoluteFilePath(p.file), Stamp(p), scale).toUtf8();
    }
    o.key = Hash(made);
    const QString stamp = Cache::FileStamp(out.filePath(o.name));
    o.fresh = !stamp.isEmpty() && cache.outputs.value(o.name) == QString::fromLatin1(o.key) + QLatin1Char('\t') + stamp;
  }
  return outputs;
}

// Reads and checks every picture at once (one that decoded before with the same size and time is
// taken as it was) and packs those whose output is made again; each problem is reported.
void CheckAndPack(const QDir& dir, PictureList& pictures, const std::vector<Output>& outputs, const Cache& cache,
                  const BuildOptions& options, Problems& report) {
  std::vector<char> wanted(pictures.all.size(), 0);
  for (const Output& o : outputs)
    if (!o.fresh)
      for (int i : o.pictures) wanted[size_t(i)] = 1;
  std::vector<int> work;
  for (size_t i = 0; i < pictures.all.size(); ++i) {
    Picture& p = pictures.all[i];
    if (p.size < 0) {
      p.problem = FileProblem(p.file, orlaventis::FileReadStatus::Missing);
      continue;
    }
    const QString known = cache.pictures.value(dir.absoluteFilePath(p.file));
    if (!known.isEmpty() && known.section(QLatin1Char('\t'), 0, 1) == Stamp(p)) {
      const QStringList wh = known.section(QLatin1Char('\t'), 2).split(QLatin1Char('x'));
      p.pixels = QSize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    if (!p.pixels.isValid() || wanted[i]) work.push_back(int(i));
  }
  ProgressLine progress(options.progress);
  OnEveryCore(int(work.size()), [&](int w) {
    Picture& p = pictures.all[size_t(work[size_t(w)])];
    Pack(dir, p, p.pixels.isValid(), wanted[size_t(work[size_t(w)])], p.member ? options.maxSize : QSize(), p.member);
  }, options.progress ? std::function<void(int)>([&](int done) { progress.Show(done, int(work.size())); }) : nullptr);
  for (const Picture& p : pictures.all)
    if (!p.problem.isEmpty()) report.Line(p.where.isEmpty() ? p.problem : p.where + QStringLiteral(": ") + p.problem);
}

// Makes every output that is not fresh in a temporary folder beside `outFolder`, then moves each
// into place and records what was made in `cache`. False with the file that failed reported.
bool PlaceOutputs(const QString& outFolder, const std::vector<Output>& outputs, const PictureList& pictures, Cache& cache,
                  Problems& report) {
  const QFileInfo outInfo(outFolder);
  if (!QDir().mkpath(outInfo.absolutePath())) {
    report.In(outFolder, QStringLiteral("cannot create the folder it lies in"));
    return false;
  }
  QTemporaryDir stage(outInfo.absolutePath() + QStringLiteral("/.") + outInfo.fileName() + QStringLiteral(".build-XXXXXX"));
  if (!stage.isValid()) {
    report.In(outFolder, QStringLiteral("cannot make a temporary folder beside it: %1").arg(stage.errorString()));
    return false;
  }
  const QDir staged(stage.path()), out(outFolder);
  for (const Output& o : outputs) {
    if (o.fresh) continue;
    const QString path = staged.filePath(o.name);
    QString error;
    bool ok = QDir().mkpath(QFileInfo(path).absolutePath());
    if (o.archive) {
      ArchiveWriter archive;
      for (int i : o.pictures) {
        const Picture& p = pictures.all[size_t(i)];
        ok = ok && archive.AddBlock(p.output, p.block, p.unpacked, kMemberTime, &error);
      }
      ok = ok && archive.Write(path, &error);
    } else {
      ok = ok && WriteFileAtomically(path, o.pictures.empty() ? o.bytes : pictures.all[size_t(o.pictures[0])].block, &error);
    }
    if (!ok) {
      report.In(o.name, error.isEmpty() ? QStringLiteral("cannot be written") : error);
      return false;
    }
  }
  cache.outputs.clear();
  for (const Output& o : outputs) {
    if (!o.fresh) {
      std::error_code ec;
      QDir().mkpath(QFileInfo(out.filePath(o.name)).absolutePath());
      std::filesystem::rename(QFile::encodeName(staged.filePath(o.name)).toStdString(),
                              QFile::encodeName(out.filePath(o.name)).toStdString(), ec);
      if (ec) {
        report.In(o.name, QStringLiteral("cannot be moved into %1: %2").arg(outFolder, QString::fromStdString(ec.message())));
        return false;
      }
    }
    cache.outputs.insert(o.name, QString::fromLatin1(o.key) + QLatin1Char('\t') + Cache::FileStamp(out.filePath(o.name)));
  }
  return true;
}

}  // namespace

bool ReadProjectTexts(const QString& dir, int extraItems, DemoDatabases* databases, EnamelNeeds* needs,
                      QStringList* problems) {
  Problems p(problems);
  Texts t;
  return ReadTexts(QDir(dir), extraItems, &t, databases, needs, p);
}

bool BuildProject(const QString& projectDir, const QString& outFolder, const BuildOptions& options, QStringList* problems) {
  Problems report(problems);
  const QDir dir(projectDir), out(outFolder);
  if (!dir.exists()) {
    report.In(projectDir, QStringLiteral("no such project folder"));
    return false;
  }
  Texts t;
  DemoDatabases dbs;
  EnamelNeeds needs;
  const bool textsOk = ReadTexts(dir, options.extraItems, &t, &dbs, &needs, report);
  PictureList pictures = ListPictures(dir, t, needs, report);
  Cache cache;
  cache.Load(out.filePath(QLatin1String(kCacheName)));
  const std::vector<Output> outputs = PlanOutputs(dir, out, textsOk ? &t : nullptr, dbs, pictures, options.maxSize, cache, report);
  CheckAndPack(dir, pictures, outputs, cache, options, report);
  if (!problems->isEmpty() || !PlaceOutputs(outFolder, outputs, pictures, cache, report)) return false;
  cache.pictures.clear();
  for (const Picture& p : pictures.all)
    if (p.pixels.isValid())
      cache.pictures.insert(dir.absoluteFilePath(p.file), Stamp(p) + QStringLiteral("\t%1x%2").arg(p.pixels.width()).arg(p.pixels.height()));
  QString error;
  if (!WriteFileAtomically(out.filePath(QLatin1String(kCacheName)), cache.Text(), &error)) report.In(kCacheName, error);
  return problems->isEmpty();
}

}  // namespace olvtool
