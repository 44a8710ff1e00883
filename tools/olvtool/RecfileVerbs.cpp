// olvtool verbs of the "recfile" group: build a record file from JSON, dump one.
#include "Cli.h"
#include "InputFile.h"
#include "RecordFileWriter.h"
#include "database/RecordFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orlaventis;

namespace olvtool {
namespace {

int Build(const QStringList& words);
int Dump(const QStringList& words);

const Verb kVerbs[] = {
    {QStringLiteral("recfile"), QStringLiteral("build"), QStringLiteral("SOURCE.json OUT"),
     QStringLiteral(
         "Writes a record file of keyed texts (keys and texts stored scrambled).\n\n"
         "Source format (UTF-8 JSON): an array of records, or { \"records\": [...] }:\n"
         "  [ { \"tag\": 1, \"key\": \"44 intro\", \"text\": \"First line\\nSecond line\" } ]\n"
         "tag: a whole number from 0 to 4294967295 (default 0), stored and not interpreted.\n"
         "key, text: at most 65,535 Windows-1252 bytes each; line breaks are stored as given.\n"
         "The file is written under a temporary name and renamed, so a failure leaves\n"
         "nothing behind.\n\n"
         "Exit codes: 0 written, 1 bad source, 2 bad usage."),
     Build},
    {QStringLiteral("recfile"), QStringLiteral("dump"), QStringLiteral("FILE [--json]"),
     QStringLiteral(
         "Prints tag, key and text of every record, one record per line (tab-separated, with\n"
         "\\n, \\r, \\t and \\\\ escaped). --json prints the build source format.\n"
         "A file cut short prints the complete records before the damage and exits 1.\n\n"
         "Exit codes: 0 printed, 1 unreadable or damaged file, 2 bad usage."),
     Dump},
};

int Build(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {}, {}, &why)) return UsageError(kVerbs[0], why);
  if (args.Positional().size() != 2)
    return UsageError(kVerbs[0], QStringLiteral("needs SOURCE.json and OUT"));
  const QString sourcePath = args.Positional()[0];
  const FileContents file = ReadRegularFile(sourcePath, kMaxSourceBytes);
  if (file.status != FileReadStatus::Ok) {
    Err(QStringLiteral("olvtool recfile build: ") + FileProblem(sourcePath, file.status));
    return kBadInput;
  }
  const auto records = RecordSourceFromJson(file.bytes, &why);
  if (!records || !WriteRecordFile(*records, args.Positional()[1], &why)) {
    Err(QStringLiteral("olvtool recfile build: %1: %2").arg(sourcePath, why));
    return kBadInput;
  }
  return kOk;
}

QString Escaped(QString s) {
  s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
  s.replace(QLatin1Char('\r'), QLatin1String("\\r"));
  s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
  return s;
}

int Dump(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {}, {QStringLiteral("json")}, &why)) return UsageError(kVerbs[1], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[1], QStringLiteral("needs FILE"));
  const QString path = args.Positional()[0];
  if (const FileReadStatus status = InputFileStatus(path, kMaxRecordFileBytes);
      status != FileReadStatus::Ok) {
    Err(QStringLiteral("olvtool recfile dump: ") + FileProblem(path, status));
    return kBadInput;
  }
  TiDbRecFile file;
  const bool complete = file.Open(path);
  file.SelectAll();
  const bool json = args.Has(QStringLiteral("json"));
  QJsonArray records;
  for (int i = 1; i <= file.VisibleCount(); ++i) {
    const TiDbRec r = file.GetRecord(i);
    if (json)
      records.append(QJsonObject{{QStringLiteral("tag"), static_cast<double>(r.Tag)},
                                 {QStringLiteral("key"), r.KeyText()},
                                 {QStringLiteral("text"), r.TextText()}});
    else
      Out(QStringLiteral("%1\t%2\t%3").arg(r.Tag).arg(Escaped(r.KeyText()), Escaped(r.TextText())));
  }
  if (json)
    Out(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("records"), records}})
                              .toJson(QJsonDocument::Indented))
            .trimmed());
  if (!complete) {
    Err(QStringLiteral(
            "olvtool recfile dump: %1: unreadable, or cut short after %2 complete record(s)")
            .arg(path)
            .arg(file.RecordCount()));
    return kBadInput;
  }
  return kOk;
}

}  // namespace

std::span<const Verb> RecfileVerbs() { return kVerbs; }

}  // namespace olvtool
