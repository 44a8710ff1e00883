// olvtool verbs "demo", "new" and "build": the demo work, a new authoring project, a project built
// into a work.
#include "Cli.h"
#include "DemoContent.h"
#include "OutputPlacement.h"
#include "ProjectBuild.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtGlobal>

#include <mutex>

namespace olvtool {
namespace {

int Demo(const QStringList& words);
int New(const QStringList& words);
int Build(const QStringList& words);

const Verb kVerbs[] = {
    {QStringLiteral("demo"), QString(), QStringLiteral("OUT [--items N] [--sources DIR]"),
     QStringLiteral(
         "Writes the whole demo reference work into the folder OUT: paints the demo project (as\n"
         "\"olvtool new\") into a temporary folder and builds it (as \"olvtool build\"): olvf.dat\n"
         "(slides and catalogue photos), olve.dat (car and seat pictures), d/olv.dat (page "
         "texts),\n"
         "d/olv.lng (translations), d/ol31.cat, d/ol33.cat, d/ol44.cat (catalogues),\n"
         "i/b/* (section backgrounds) and help/index.html (the help page; its \"lang\"\n"
         "parameter picks 31, 33 or 44). Every picture is painted by the tool itself.\n\n"
         "--items N   appends N synthetic catalogue items (for benchmarks); their photos are\n"
         "            the members of the real items.\n"
         "--sources DIR  the content sources (default: the content/ folder of the source tree\n"
         "            the tool was built from).\n\n"
         "Exit codes: 0 written, 1 bad sources or a file that could not be written, 2 bad usage."),
     Demo},
    {QStringLiteral("new"), QString(), QStringLiteral("DIR [--sources DIR]"),
     QStringLiteral(
         "Writes a complete authoring project into the new or empty folder DIR: the demo work's\n"
         "items.tsv, language.json, records.json, catalogue.json, enamel.json and help.html, and\n"
         "every picture as a file under pictures/ (photos, slides, cars, seats, backgrounds).\n"
         "Edit it and build it with \"olvtool build DIR OUT\" (see docs/authoring.md).\n\n"
         "--sources DIR  the demo sources (default: the content/ folder of the source tree).\n\n"
         "Exit codes: 0 written, 1 DIR is not empty or a file could not be written, 2 bad usage."),
     New},
    {QStringLiteral("build"), QString(), QStringLiteral("DIR OUT [--max-size WxH]"),
     QStringLiteral(
         "Checks the authoring project DIR whole, then writes its reference work into the folder\n"
         "OUT (see docs/authoring.md). Every problem is one line on stderr, \"FILE:LINE:COLUMN:\n"
         "message\" or \"FILE: message\", FILE relative to DIR; with any problem nothing in OUT\n"
         "changes. The new work is made whole beside OUT and swapped in at once, so OUT is always\n"
         "the whole old work or the whole new one, whatever stops the build (Ctrl+C cleans up).\n"
         "Pictures are stored as they are; outputs whose sources did not change since the last\n"
         "build into OUT are kept (OUT/.olvtool-build records them). A progress line shows on a\n"
         "terminal.\n\n"
         "--max-size WxH  scales archive pictures larger than W x H down to fit (same format).\n\n"
         "Exit codes: 0 written, 1 problems in the project or a file that could not be written,\n"
         "2 bad usage."),
     Build},
};

QString Sources(const Args& args) {
  return args.Has(QStringLiteral("sources")) ? args.Value(QStringLiteral("sources"))
                                             : QStringLiteral(OLVTOOL_CONTENT_DIR);
}

int Demo(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("items"), QStringLiteral("sources")}, {}, &why))
    return UsageError(kVerbs[0], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[0], QStringLiteral("needs OUT"));
  DemoOptions options;
  options.sources = Sources(args);
  if (args.Has(QStringLiteral("items"))) {
    bool ok = false;
    options.extraItems = args.Value(QStringLiteral("items")).toInt(&ok);
    if (!ok || options.extraItems < 0 || options.extraItems > 1000000)
      return UsageError(kVerbs[0],
                        QStringLiteral("--items takes a whole number from 0 to 1000000"));
  }
  QElapsedTimer timer;
  timer.start();
  if (!WriteDemoContent(args.Positional()[0], options, &why)) {
    Err(QStringLiteral("olvtool demo: %1").arg(why));
    return kBadInput;
  }
  Out(QStringLiteral("olvtool demo: wrote %1 in %2 s")
          .arg(args.Positional()[0])
          .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
  return kOk;
}

int New(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("sources")}, {}, &why)) return UsageError(kVerbs[1], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[1], QStringLiteral("needs DIR"));
  const QDir dir(args.Positional()[0]);
  if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
    Err(QStringLiteral("olvtool new: %1: not empty; a new project needs a new or empty folder")
            .arg(dir.path()));
    return kBadInput;
  }
  if (!WriteDemoProject(Sources(args), dir.path(), &why)) {
    Err(QStringLiteral("olvtool new: %1").arg(why));
    return kBadInput;
  }
  Out(QStringLiteral("olvtool new: wrote the project %1; build it with: olvtool build %1 OUT")
          .arg(dir.path()));
  return kOk;
}

// What picture decoders say of themselves while a build runs ("libpng warning: iCCP: ..."): a
// warning never fails a build, so it is kept apart from the problems and said once, after them.
class DecoderWarnings {
 public:
  DecoderWarnings() { previous_ = qInstallMessageHandler(&DecoderWarnings::Keep); }
  ~DecoderWarnings() { qInstallMessageHandler(previous_); }
  void Print() const {
    const std::lock_guard lock(Mutex());
    if (Said().isEmpty()) return;
    Err(QStringLiteral("olvtool build: the picture decoders also said (no problem for the work):"));
    for (const QString& line : Said()) Err(QStringLiteral("  ") + line);
    Said().clear();
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static QStringList& Said() {
    static QStringList said;
    return said;
  }
  static void Keep(QtMsgType, const QMessageLogContext&, const QString& message) {
    const std::lock_guard lock(Mutex());
    if (!Said().contains(message) && Said().size() < 20) Said().append(Printable(message));
  }
  QtMessageHandler previous_ = nullptr;
};

int Build(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("max-size")}, {}, &why)) return UsageError(kVerbs[2], why);
  if (args.Positional().size() != 2)
    return UsageError(kVerbs[2], QStringLiteral("needs DIR and OUT"));
  BuildOptions options;
  options.progress = true;
  if (args.Has(QStringLiteral("max-size"))) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"))
                                          .match(args.Value(QStringLiteral("max-size")));
    options.maxSize = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
    if (options.maxSize.isEmpty())
      return UsageError(
          kVerbs[2],
          QStringLiteral("--max-size takes WxH, two whole numbers from 1 (\"1024x768\")"));
  }
  QElapsedTimer timer;
  timer.start();
  InstallInterruptHandler();
  DecoderWarnings warnings;
  QStringList problems, notes;
  const bool built =
      BuildProject(args.Positional()[0], args.Positional()[1], options, &problems, &notes);
  for (const QString& note : notes) Err(QStringLiteral("note: ") + Printable(note));
  warnings.Print();
  if (!built) {
    // Names in problems come from the project: nothing in them reaches the terminal raw.
    for (const QString& problem : problems) Err(Printable(problem));
    const QString out = args.Positional()[1];
    if (Interrupted())
      Err(QStringLiteral("olvtool build: interrupted; %1 left as it was").arg(out));
    else
      Err(QStringLiteral("olvtool build: %1 problem(s); %2 left as it was")
              .arg(problems.size())
              .arg(out));
    return kBadInput;
  }
  Out(QStringLiteral("olvtool build: wrote %1 in %2 s")
          .arg(args.Positional()[1])
          .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
  return kOk;
}

}  // namespace

std::span<const Verb> DemoVerbs() { return kVerbs; }

}  // namespace olvtool
