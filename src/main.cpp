// The orlaventis program: checks the command line, the content folder and the display, then
// hands over to the application shell.
#include "database/ContentContract.h"
#include "media/ProgramFolder.h"
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/ProductionForm.h"
#include "sections/SectionForm.h"
#include "sections/SectionSet.h"
#include "shell/ExitCodes.h"
#include "shell/MainForm.h"
#include "shell/StartUp.h"
#include "shell/Tour.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace orlaventis;

namespace {

constexpr char kTourHint[] = "--tour DIR renders the forms into pictures without a display";

// What --help (and so the man page) says about each exit code.
constexpr std::pair<int, const char*> kExitMeanings[] = {
    {kExitOk, "ended normally"},
    {kExitScreenTooSmall, "the screen is smaller than 640 x 480"},
    {kExitUsage, "an unknown option, a bad value or a stray argument"},
    {kExitTourNotWritten, "the tour could not write its pictures"},
    {kExitDamagedContent, "the tour met damaged content (listed on stderr)"},
    {kExitNoDisplay, "no display was found, or it cannot be opened"},
    {kExitContentFolder, "the content folder (--data, $ORLAVENTIS_DATA) cannot be used"},
    {kExitInstanceBusy, "another Orlaventis is running but does not answer"},
};

QString Description() {
  QString text = QStringLiteral("Orlaventis, a multimedia reference work.\n\nExit status:");
  for (const auto& [code, meaning] : kExitMeanings)
    text += QStringLiteral("\n  %1  %2").arg(code).arg(QLatin1String(meaning));
  return text;
}

// A mistake on the command line: says what it is and where the options are described.
int UsageError(const QString& text) {
  std::fprintf(stderr, "orlaventis: %s\nTry orlaventis --help.\n", qPrintable(text));
  return kExitUsage;
}

// Reads the options into `request`; false with `error` set on a bad value or a stray argument.
// `arguments` is the whole command line, the program's name first.
bool ReadOptions(const QCommandLineParser& parser, const QStringList& arguments,
                 StartRequest& request, QString& error) {
  // "uninstall" counts only as the very first argument; no other argument stands alone.
  request.uninstall = arguments.size() > 1 &&
                      arguments[1].compare(QLatin1String("uninstall"), Qt::CaseInsensitive) == 0;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != (request.uninstall ? 1 : 0)) {
    error = QStringLiteral("unexpected argument \"%1\" (\"uninstall\" counts only as the first)")
                .arg(positional.value(request.uninstall ? 1 : 0));
    return false;
  }
  request.dataFolder = parser.value(QStringLiteral("data"));
  if (parser.isSet(QStringLiteral("data")) && request.dataFolder.isEmpty()) {
    error = QStringLiteral("--data takes a folder");
    return false;
  }
  request.tourFolder = parser.value(QStringLiteral("tour"));
  request.fillScreen = parser.isSet(QStringLiteral("fill-screen"));
  if (parser.isSet(QStringLiteral("depth"))) {
    bool ok = false;
    request.depth = parser.value(QStringLiteral("depth")).toInt(&ok);
    if (!ok || request.depth < 1 || request.depth > 32) {
      error = QStringLiteral("--depth takes bits per pixel from 1 to 32");
      return false;
    }
  }
  if (parser.isSet(QStringLiteral("screen"))) {
    static const QRegularExpression size(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = size.match(parser.value(QStringLiteral("screen")));
    if (!match.hasMatch() || match.captured(1).toInt() < 1 || match.captured(2).toInt() < 1) {
      error = QStringLiteral("--screen takes WIDTHxHEIGHT, e.g. 1024x768");
      return false;
    }
    request.screen = QSize(match.captured(1).toInt(), match.captured(2).toInt());
  }
  if (parser.isSet(QStringLiteral("kiosk"))) {
    request.kioskMinutes = KioskMinutesFromText(parser.value(QStringLiteral("kiosk")));
    if (request.kioskMinutes == 0) {
      error = QStringLiteral("--kiosk takes minutes from 1 to %1").arg(kMaxKioskMinutes);
      return false;
    }
  }
  if (parser.isSet(QStringLiteral("language"))) {
    request.language = parser.value(QStringLiteral("language")).toInt();
    if (!orlaventis::content::IsLanguage(request.language)) {
      error = QStringLiteral("--language takes 31 (Dutch), 33 (French) or 44 (English)");
      return false;
    }
  }
  return true;
}

// The arguments whose bytes are not valid UTF-8, as decoded: their stray bytes became U+FFFD,
// so that they no longer name what was given.
QSet<QString> UndecodableArguments(int argc, char** argv) {
  QSet<QString> undecodable;
  for (int i = 1; i < argc; ++i) {
    const QByteArray bytes(argv[i]);
    const QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) != bytes) undecodable.insert(text);
  }
  return undecodable;
}

// Why the content folder named by --data, else by $ORLAVENTIS_DATA, cannot be used: a sentence
// naming it; empty when it can, or when none is named (the program's own folder is then used).
QString ContentFolderError(const QCommandLineParser& parser, const QSet<QString>& undecodable) {
  QString folder, namedBy;
  bool validName = true;
  if (parser.isSet(QStringLiteral("data"))) {
    folder = parser.value(QStringLiteral("data"));
    namedBy = QStringLiteral("--data");
    validName = !undecodable.contains(folder) &&
                !undecodable.contains(QStringLiteral("--data=") + folder);
  } else {
    const QByteArray bytes = qgetenv(kDataFolderVariable);
    if (bytes.isEmpty()) return QString();
    folder = QFile::decodeName(bytes);
    namedBy = QLatin1Char('$') + QLatin1String(kDataFolderVariable);
    validName = QFile::encodeName(folder) == bytes;
  }
  const QString problem = validName ? ProgramFolderProblem(folder)
                                    : QStringLiteral("has a name that is not valid UTF-8");
  if (problem.isEmpty()) return QString();
  return QStringLiteral("the content folder \"%1\" given by %2 %3").arg(folder, namedBy, problem);
}

// Without a platform chosen, the tour and the informational options, which need no display, run
// on the offscreen platform; so does every start where no display is named, so that its command
// line is checked before it ends with kExitNoDisplay. Returns true when no display is named: no
// platform chosen, neither an X nor a Wayland display.
bool StartOffscreenWhereNoDisplayIsNeeded(int argc, char** argv) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return false;
  const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  bool offscreen = noDisplay;
  for (int i = 1; i < argc && !offscreen; ++i) {
    const QByteArray word(argv[i]);
    offscreen = word == "--tour" || word.startsWith("--tour=") || word == "--help" ||
                word == "-h" || word == "--help-all" || word == "--version" || word == "-v";
  }
  if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
  return noDisplay;
}

QtMessageHandler previousMessageHandler = nullptr;

// Installed while the application starts: a display that is named but cannot be opened ends the
// program with a plain message and kExitNoDisplay instead of the toolkit's abort.
void ExitWhenNoDisplayOpens(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
  if (type != QtFatalMsg) {
    if (previousMessageHandler != nullptr) previousMessageHandler(type, context, message);
    return;
  }
  std::fprintf(stderr, "orlaventis: the display cannot be opened; %s\n", kTourHint);
  std::_Exit(kExitNoDisplay);
}

// With ORLAVENTIS_QUIT_AFTER_FIRST_PAINT set, the program ends once the Introduction has
// painted for the first time: the start-up benchmark times the whole process to that point.
class QuitAfterIntroductionPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint &&
        watched->objectName() == QLatin1String("IntroductionForm"))
      QMetaObject::invokeMethod(
          qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const bool noDisplay = StartOffscreenWhereNoDisplayIsNeeded(argc, argv);
  previousMessageHandler = qInstallMessageHandler(ExitWhenNoDisplayOpens);
  QApplication app(argc, argv);
  qInstallMessageHandler(previousMessageHandler);
  QApplication::setApplicationName(QStringLiteral("Orlaventis"));
  QApplication::setApplicationVersion(QStringLiteral("1.0 release 4"));

  QCommandLineParser parser;
  parser.setApplicationDescription(Description());
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(
      QStringLiteral("uninstall"),
      QStringLiteral("Close a running Orlaventis and start the registered uninstaller "
                     "(only as the first argument)."),
      QStringLiteral("[uninstall]"));
  parser.addOptions({
      {QStringLiteral("data"),
       QStringLiteral("Read the content from DIR (else from $ORLAVENTIS_DATA, else from the "
                      "program's folder)."),
       QStringLiteral("DIR")},
      {QStringLiteral("depth"),
       QStringLiteral("Pretend a display of N bits per pixel (4, 8, 16, 24, 32)."),
       QStringLiteral("N")},
      {QStringLiteral("screen"), QStringLiteral("Pretend a screen of WxH pixels (e.g. 1024x768)."),
       QStringLiteral("WxH")},
      {QStringLiteral("fill-screen"),
       QStringLiteral("On screens larger than 1024x768, scale the forms up to fill the screen.")},
      {QStringLiteral("kiosk"),
       QStringLiteral(
           "Kiosk mode: after MINUTES without input, return to the Introduction; no Exit button, "
           "Alt+F4 ignored, the registry's KioskExitKeys end the program."),
       QStringLiteral("MINUTES")},
      {QStringLiteral("language"),
       QStringLiteral("Skip the chooser: 31 Dutch, 33 French, 44 English."), QStringLiteral("ID")},
      {QStringLiteral("tour"),
       QStringLiteral("Render the chooser, the four sections and the About box into DIR as PNG "
                      "pictures, then exit."),
       QStringLiteral("DIR")},
  });
  // An unknown option is a usage error here; process() then only answers --help, --help-all and
  // --version, ending the program with 0.
  const QStringList arguments = QCoreApplication::arguments();
  if (!parser.parse(arguments)) return UsageError(parser.errorText());
  parser.process(app);

  StartRequest request;
  QString error;
  if (!ReadOptions(parser, arguments, request, error)) return UsageError(error);
  // Uninstalling reads no content.
  error = request.uninstall ? QString()
                            : ContentFolderError(parser, UndecodableArguments(argc, argv));
  if (!error.isEmpty()) {
    std::fprintf(stderr, "orlaventis: %s\n", qPrintable(error));
    return kExitContentFolder;
  }
  if (noDisplay && request.tourFolder.isEmpty()) {
    std::fprintf(stderr, "orlaventis: no display found (DISPLAY, WAYLAND_DISPLAY unset); %s\n",
                 kTourHint);
    return kExitNoDisplay;
  }
  const SectionInstaller sections = [](TMainForm& main) {
    TSectionSet::Install(main, {[](TSectionSet& set) { return new TIntroductionForm(set); },
                                [](TSectionSet& set) { return new TProductionForm(set); },
                                [](TSectionSet& set) { return new TCatalogForm(set); },
                                [](TSectionSet& set) { return new TEnamelAndFabricsForm(set); }});
  };
  if (!request.tourFolder.isEmpty()) return RunTour(request, sections);
  QuitAfterIntroductionPaint quitAfterPaint;
  if (qEnvironmentVariableIsSet("ORLAVENTIS_QUIT_AFTER_FIRST_PAINT"))
    app.installEventFilter(&quitAfterPaint);
  return RunProgram(request, sections);
}
