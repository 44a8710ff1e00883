// olvtool verbs of the "db" group: build a table database from JSON, dump one.
#include "Cli.h"
#include "DatabaseWriter.h"
#include "InputFile.h"
#include "database/DayNumbers.h"
#include "database/FieldText.h"
#include "database/TableDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orlaventis;

namespace olvtool {
namespace {

const QString kSourceFormat = QStringLiteral(
    "Source format (UTF-8 JSON):\n"
    "  { \"scrambled\": false,           store string fields scrambled (optional)\n"
    "    \"password\": \"\",               optional; at most 63 characters\n"
    "    \"tables\": [\n"
    "      { \"name\": \"Pictures\",        1 to 63 characters\n"
    "        \"countFromDataSize\": false, true: record-count source 0 (a single table in a\n"
    "                                     separate data file counts what fits in it)\n"
    "        \"columns\": [\n"
    "          { \"name\": \"Title\", \"type\": \"string\", \"size\": 63 },\n"
    "          { \"name\": \"Price\", \"type\": \"double\", \"style\": 1, \"decimals\": 2 },\n"
    "          { \"name\": \"Sold\", \"type\": \"boolean\", \"style\": 0, \"default\": \"No\" },\n"
    "          { \"name\": \"Built\", \"type\": \"datetime\", \"style\": 2 },\n"
    "          { \"name\": \"Colours\", \"type\": \"linklist\", \"table\": \"Colours\",\n"
    "            \"column\": \"Name\", \"count\": 10 } ],\n"
    "        \"records\": [ [\"Coupe\", \"12,50\", \"Yes\", \"1962-05-01\", [1, 3]],\n"
    "                     { \"Title\": \"Convertible\" } ] } ] }\n"
    "Types: boolean byte comp integer datetime extended integer6 integer7 double real48\n"
    "  linklist shortint single string word (or the type code 0 to 14).\n"
    "Parameters: style (boolean 0 Yes/No, 1 True/False, 2 On/Off; numbers 0 point,\n"
    "  1 comma, 2 percent; dates 0 to 5), decimals (number types, default 2), default\n"
    "  (boolean, integer and date types), size (string bytes, default 63), table, column and\n"
    "  count (link lists, count default 10).\n"
    "Records are arrays in column order or objects by column name; a missing cell is the\n"
    "  empty value. Cells are display texts as the column shows them (JSON numbers and\n"
    "  booleans are accepted), dates also ISO 8601 or a day number, link lists an array of\n"
    "  record numbers or a text \"3,0,5\".\n"
    "A character outside Windows-1252, a text longer than its field or a cell that does\n"
    "  not convert is refused, naming table, record and column.");

int Build(const QStringList& words);
int Dump(const QStringList& words);

const Verb kVerbs[] = {
    {QStringLiteral("db"), QStringLiteral("build"), QStringLiteral("SOURCE.json OUT [--data DATA]"),
     QStringLiteral("Writes a table database. With --data the definitions go to OUT and the\n"
                    "records to DATA; otherwise both go to OUT. Files are written under a\n"
                    "temporary name and renamed, so a failure leaves nothing behind.\n\n") +
         kSourceFormat + QStringLiteral("\n\nExit codes: 0 written, 1 bad source, 2 bad usage."),
     Build},
    {QStringLiteral("db"), QStringLiteral("dump"),
     QStringLiteral("FILE [--data DATA] [--password TEXT] [--json]"),
     QStringLiteral(
         "Prints every table, column (name, type code, field size) and record of a database\n"
         "as display texts (regional formats of the current locale). --data names a separate\n"
         "data file; --password answers a password-protected database.\n"
         "--json prints the build source format instead (plus \"code\", \"fieldSize\" and\n"
         "\"recordCount\"), with dates as ISO 8601 and link lists as record numbers, so that\n"
         "`db build` of the output writes the same records.\n\n"
         "Exit codes: 0 printed, 1 the database does not open, 2 bad usage."),
     Dump},
};

int Build(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("data")}, {}, &why)) return UsageError(kVerbs[0], why);
  if (args.Positional().size() != 2)
    return UsageError(kVerbs[0], QStringLiteral("needs SOURCE.json and OUT"));
  const QString sourcePath = args.Positional()[0];
  const FileContents file = ReadRegularFile(sourcePath, kMaxSourceBytes);
  if (file.status != FileReadStatus::Ok) {
    Err(QStringLiteral("olvtool db build: ") + FileProblem(sourcePath, file.status));
    return kBadInput;
  }
  const auto source = DatabaseSourceFromJson(file.bytes, &why);
  if (!source) {
    Err(QStringLiteral("olvtool db build: %1: %2").arg(sourcePath, why));
    return kBadInput;
  }
  if (!WriteDatabase(*source, args.Positional()[1], args.Value(QStringLiteral("data")), &why)) {
    Err(QStringLiteral("olvtool db build: %1: %2").arg(sourcePath, why));
    return kBadInput;
  }
  return kOk;
}

QJsonValue JsonCell(const TTessaranObject& db, const QString& table, const TColumnDef& def,
                    int record) {
  const TFieldValue v = db.GetValue(table, def.Name(), record);
  if (!v.IsRead()) return QString();
  if (def.Type() == ColumnType::ctLinkList) {
    QJsonArray links;
    const int n = std::min(def.LinkCount(), kMaxLinks);
    int used = 0;
    for (int i = 0; i < n; ++i)
      if (v.Int32At(i) != 0) used = i + 1;
    for (int i = 0; i < used; ++i) links.append(v.Int32At(i));
    return links;
  }
  if (def.Type() == ColumnType::ctDateTime) {
    const QDateTime dt = DayNumberToDateTime(v.Float64());
    if (!dt.isValid()) return QString::number(v.Float64(), 'g', 17);
    return dt.time().msecsSinceStartOfDay() == 0
               ? dt.date().toString(Qt::ISODate)
               : dt.toString(Qt::ISODateWithMs).remove(QLatin1Char('Z'));
  }
  return db.GetValueAsText(table, def.Name(), record);
}

QJsonObject JsonColumn(const TColumnDef& def) {
  QJsonObject c{{QStringLiteral("name"), def.Name()},
                {QStringLiteral("code"), def.TypeCode()},
                {QStringLiteral("fieldSize"), static_cast<double>(FieldSize(def))}};
  if (!ColumnTypeName(def.TypeCode()).isEmpty())
    c[QStringLiteral("type")] = ColumnTypeName(def.TypeCode());
  switch (def.Type()) {
    case ColumnType::ctBoolean:
      c[QStringLiteral("style")] = def.Style();
      c[QStringLiteral("default")] = BoolToText(def.Byte(72), def.Style());
      break;
    case ColumnType::ctDateTime:
      c[QStringLiteral("style")] = def.Style();
      c[QStringLiteral("default")] = def.DefaultDayNumber();
      break;
    case ColumnType::ctComp:
    case ColumnType::ctExtended:
    case ColumnType::ctDouble:
    case ColumnType::ctReal48:
    case ColumnType::ctSingle:
      c[QStringLiteral("style")] = def.Style();
      c[QStringLiteral("decimals")] = def.Decimals();
      break;
    case ColumnType::ctString: c[QStringLiteral("size")] = def.StringSize(); break;
    case ColumnType::ctLinkList:
      c[QStringLiteral("linkedTable")] = def.LinkedTable();
      c[QStringLiteral("linkedColumn")] = def.LinkedColumn();
      c[QStringLiteral("count")] = def.LinkCount();
      break;
    default: c[QStringLiteral("default")] = QString::number(def.DefaultInteger()); break;
  }
  return c;
}

int Dump(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("data"), QStringLiteral("password")},
                  {QStringLiteral("json")}, &why))
    return UsageError(kVerbs[1], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[1], QStringLiteral("needs FILE"));
  const QString definitions = args.Positional()[0];
  const QString data = args.Has(QStringLiteral("data")) ? args.Value(QStringLiteral("data"))
                                                        : definitions;
  for (const QString& file : {definitions, data})
    if (const FileReadStatus status = InputFileStatus(file, kMaxDatabaseFileBytes);
        status != FileReadStatus::Ok) {
      Err(QStringLiteral("olvtool db dump: ") + FileProblem(file, status));
      return kBadInput;
    }
  TTessaranObject db;
  if (!db.Open(data, definitions, QString(), args.Value(QStringLiteral("password")))) {
    Err(QStringLiteral(
            "olvtool db dump: %1: does not open (missing, damaged, or a wrong or missing password)")
            .arg(definitions));
    return kBadInput;
  }
  const bool json = args.Has(QStringLiteral("json"));
  QJsonArray tables;
  if (!json)
    Out(QStringLiteral("database %1: %2 table(s), strings %3, password %4")
            .arg(definitions)
            .arg(db.TableCount())
            .arg(db.Header().TextScrambled() ? QStringLiteral("scrambled")
                                             : QStringLiteral("plain"))
            .arg(db.Header().PasswordMarker() != 0.0f ? QStringLiteral("yes")
                                                      : QStringLiteral("no")));
  for (int t = 1; t <= db.TableCount(); ++t) {
    const QString table = db.TableName(t);
    const int columns = db.ColumnCount(t);
    // A damaged count could name billions of records: walk only those that lie in the data.
    const int stored = db.RecordCount(table);
    const int records = ReadableRecordCount(db, table);
    std::vector<TColumnDef> defs;
    for (int c = 1; c <= columns; ++c)
      defs.push_back(db.GetColumnDef(table, db.ColumnName(table, c)));
    if (json) {
      QJsonObject to{{QStringLiteral("name"), table}, {QStringLiteral("recordCount"), records}};
      QJsonArray cols, recs;
      for (const TColumnDef& d : defs) {
        QJsonObject co = JsonColumn(d);
        if (d.Type() == ColumnType::ctLinkList) {  // names, as the build source gives them
          const QString linked = db.TableName(d.LinkedTable());
          co[QStringLiteral("table")] = linked;
          co[QStringLiteral("column")] = db.ColumnName(linked, d.LinkedColumn());
        }
        cols.append(co);
      }
      for (int r = 1; r <= records; ++r) {
        QJsonArray cells;
        for (const TColumnDef& d : defs) cells.append(JsonCell(db, table, d, r));
        recs.append(cells);
      }
      to[QStringLiteral("columns")] = cols;
      to[QStringLiteral("records")] = recs;
      tables.append(to);
      continue;
    }
    Out(QStringLiteral("table %1 \"%2\": %3 column(s), %4 record(s)")
            .arg(t)
            .arg(table)
            .arg(columns)
            .arg(records));
    if (stored > records)
      Out(QStringLiteral("  stored record count %1: only %2 lie within the data")
              .arg(stored)
              .arg(records));
    for (int c = 0; c < columns; ++c)
      Out(QStringLiteral("  column %1 \"%2\": type %3 (%4), field size %5")
              .arg(c + 1)
              .arg(defs[c].Name())
              .arg(defs[c].TypeCode())
              .arg(ColumnTypeName(defs[c].TypeCode()))
              .arg(FieldSize(defs[c])));
    for (int r = 1; r <= records; ++r) {
      QStringList cells;
      for (const TColumnDef& d : defs) cells << db.GetValueAsText(table, d.Name(), r);
      Out(QStringLiteral("  record %1: %2").arg(r).arg(cells.join(QStringLiteral(" | "))));
    }
  }
  if (json) {
    QJsonObject root{{QStringLiteral("scrambled"), db.Header().TextScrambled()},
                     {QStringLiteral("tables"), tables}};
    Out(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented)).trimmed());
  }
  return kOk;
}

}  // namespace

std::span<const Verb> DbVerbs() { return kVerbs; }

}  // namespace olvtool
