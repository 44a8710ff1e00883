// olvtool: writes, dumps and checks every data format of the program.
#include "Cli.h"

#include <QGuiApplication>

#include <algorithm>
#include <vector>

using namespace olvtool;

namespace {

std::vector<Verb> AllVerbs() {
  std::vector<Verb> all;
  for (auto group :
       {DbVerbs(), RecfileVerbs(), ArchiveVerbs(), PictureVerbs(), DemoVerbs(), CheckVerbs()})
    all.insert(all.end(), group.begin(), group.end());
  return all;
}

// Lists `verbs`, or only those of `group` when it is given.
void PrintOverview(const std::vector<Verb>& verbs, const QString& group = QString()) {
  Out(QStringLiteral("usage: olvtool GROUP VERB [ARGS...]   (olvtool GROUP VERB --help)"));
  Out(QString());
  for (const Verb& v : verbs)
    if (group.isEmpty() || v.group == group)
      Out(QStringLiteral("  ") +
          QStringLiteral("%1 %2 %3").arg(v.group, v.name, v.synopsis).simplified());
  Out(QString());
  Out(QStringLiteral("Exit codes: 0 success, 1 bad input, 2 bad usage."));
}

}  // namespace

int main(int argc, char** argv) {
  // Painting text (the demo pictures) needs a QGuiApplication; offscreen keeps the tool headless.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const std::vector<Verb> verbs = AllVerbs();

  if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
    PrintOverview(verbs);
    return args.isEmpty() ? kBadUsage : kOk;
  }
  const bool knownGroup =
      std::any_of(verbs.begin(), verbs.end(), [&](const Verb& v) { return v.group == args[0]; });
  if (knownGroup && args.size() >= 2 &&
      (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h")) &&
      std::none_of(verbs.begin(), verbs.end(),
                   [&](const Verb& v) { return v.group == args[0] && v.name.isEmpty(); })) {
    PrintOverview(verbs, args[0]);
    return kOk;
  }
  // A verb is either "GROUP NAME" or a group whose only verb has an empty name ("demo", "check").
  for (const Verb& v : verbs) {
    if (v.group != args[0]) continue;
    qsizetype consumed = 1;
    if (!v.name.isEmpty()) {
      if (args.size() < 2 || args[1] != v.name) continue;
      consumed = 2;
    }
    const QStringList rest = args.mid(consumed);
    if (rest.contains(QLatin1String("--help")) || rest.contains(QLatin1String("-h"))) {
      Out(QStringLiteral("usage: olvtool %1 %2 %3").arg(v.group, v.name, v.synopsis).simplified());
      Out(QString());
      Out(v.help);
      return kOk;
    }
    return v.run(rest);
  }
  Err(QStringLiteral("olvtool: unknown verb \"%1\"").arg(args.mid(0, 2).join(QLatin1Char(' '))));
  PrintOverview(verbs);
  return kBadUsage;
}
