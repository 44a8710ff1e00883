// olvtool verb "demo": writes the demo reference work from the sources in content/.
#include "Cli.h"
#include "DemoContent.h"

#include <QElapsedTimer>

namespace olvtool {
namespace {

int Demo(const QStringList& words);

const Verb kVerbs[] = {
    {QStringLiteral("demo"), QString(), QStringLiteral("OUT [--items N] [--sources DIR]"),
     QStringLiteral(
         "Writes the whole demo reference work into the folder OUT: olvf.dat (slides and\n"
         "catalogue photos), olve.dat (car and seat pictures), d/olv.dat (page texts),\n"
         "d/olv.lng (translations), d/ol31.cat, d/ol33.cat, d/ol44.cat (catalogues),\n"
         "i/b/* (section backgrounds) and help/index.html (the help page; its \"lang\"\n"
         "parameter picks 31, 33 or 44). Every picture is painted by the tool itself.\n\n"
         "--items N   appends N synthetic catalogue items (for benchmarks); their photos are\n"
         "            the members of the real items.\n"
         "--sources DIR  the content sources (default: the content/ folder of the source tree\n"
         "            the tool was built from).\n\n"
         "Exit codes: 0 written, 1 bad sources or a file that could not be written, 2 bad usage."),
     Demo},
};

int Demo(const QStringList& words) {
  Args args;
  QString why;
  if (!args.Parse(words, {QStringLiteral("items"), QStringLiteral("sources")}, {}, &why))
    return UsageError(kVerbs[0], why);
  if (args.Positional().size() != 1) return UsageError(kVerbs[0], QStringLiteral("needs OUT"));
  DemoOptions options;
  options.sources = args.Has(QStringLiteral("sources")) ? args.Value(QStringLiteral("sources"))
                                                        : QStringLiteral(OLVTOOL_CONTENT_DIR);
  if (args.Has(QStringLiteral("items"))) {
    bool ok = false;
    options.extraItems = args.Value(QStringLiteral("items")).toInt(&ok);
    if (!ok || options.extraItems < 0 || options.extraItems > 1000000)
      return UsageError(kVerbs[0], QStringLiteral("--items takes a whole number from 0 to 1000000"));
  }
  QElapsedTimer timer;
  timer.start();
  if (!WriteDemoContent(args.Positional()[0], options, &why)) {
    Err(QStringLiteral("olvtool demo: %1").arg(why));
    return kBadInput;
  }
  Out(QStringLiteral("olvtool demo: wrote %1 in %2 s").arg(args.Positional()[0]).arg(timer.elapsed() / 1000.0, 0, 'f', 1));
  return kOk;
}

}  // namespace

std::span<const Verb> DemoVerbs() { return kVerbs; }

}  // namespace olvtool
