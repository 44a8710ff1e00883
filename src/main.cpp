// The orlaventis program: parses the command line and hands over to the application shell.
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/ProductionForm.h"
#include "sections/SectionForm.h"
#include "shell/MainForm.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>

namespace {

// Reads the options into `request`; false with `error` set on a bad value.
bool ReadOptions(const QCommandLineParser& parser, orlaventis::StartRequest& request,
                 QString& error) {
  const QStringList positional = parser.positionalArguments();
  request.uninstall = !positional.isEmpty() &&
                      positional.first().compare(QLatin1String("uninstall"), Qt::CaseInsensitive) == 0;
  request.dataFolder = parser.value(QStringLiteral("data"));
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
    request.kioskMinutes = orlaventis::KioskMinutesFromText(parser.value(QStringLiteral("kiosk")));
    if (request.kioskMinutes == 0) {
      error = QStringLiteral("--kiosk takes minutes from 1 to %1").arg(orlaventis::kMaxKioskMinutes);
      return false;
    }
  }
  if (parser.isSet(QStringLiteral("language"))) {
    request.language = parser.value(QStringLiteral("language")).toInt();
    if (request.language != 31 && request.language != 33 && request.language != 44) {
      error = QStringLiteral("--language takes 31 (Dutch), 33 (French) or 44 (English)");
      return false;
    }
  }
  return true;
}

// The tour and the informational options need no display: without a platform chosen, they run
// on the offscreen one, so that they also work where no display is available.
void PreferOffscreenWhenHeadlessWork(int argc, char** argv) {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  for (int i = 1; i < argc; ++i) {
    const QByteArray word(argv[i]);
    if (word == "--tour" || word.startsWith("--tour=") || word == "--help" || word == "-h" ||
        word == "--help-all" || word == "--version" || word == "-v") {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      return;
    }
  }
}

// With ORLAVENTIS_QUIT_AFTER_FIRST_PAINT set, the program ends once the Introduction has
// painted for the first time: the start-up benchmark times the whole process to that point.
class QuitAfterIntroductionPaint : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("IntroductionForm"))
      QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  PreferOffscreenWhenHeadlessWork(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orlaventis"));
  QApplication::setApplicationVersion(QStringLiteral("1.0 release 4"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Orlaventis, a multimedia reference work."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("uninstall"),
                               QStringLiteral("Close a running Orlaventis and start the registered uninstaller."),
                               QStringLiteral("[uninstall]"));
  parser.addOptions({
      {QStringLiteral("data"), QStringLiteral("Read the content from DIR instead of the program's folder."),
       QStringLiteral("DIR")},
      {QStringLiteral("depth"), QStringLiteral("Pretend a display of N bits per pixel (4, 8, 16, 24, 32)."),
       QStringLiteral("N")},
      {QStringLiteral("screen"), QStringLiteral("Pretend a screen of WxH pixels (e.g. 1024x768)."),
       QStringLiteral("WxH")},
      {QStringLiteral("fill-screen"),
       QStringLiteral("On screens larger than 1024x768, scale the forms up to fill the screen.")},
      {QStringLiteral("kiosk"),
       QStringLiteral("Kiosk mode: after MINUTES without input, return to the Introduction; no Exit button, "
                      "Alt+F4 ignored, the registry's KioskExitKeys end the program."),
       QStringLiteral("MINUTES")},
      {QStringLiteral("language"), QStringLiteral("Skip the chooser: 31 Dutch, 33 French, 44 English."),
       QStringLiteral("ID")},
      {QStringLiteral("tour"),
       QStringLiteral("Render the chooser, the four sections and the About box into DIR as PNG pictures, then exit."),
       QStringLiteral("DIR")},
  });
  parser.process(app);

  orlaventis::StartRequest request;
  QString error;
  if (!ReadOptions(parser, request, error)) {
    std::fprintf(stderr, "orlaventis: %s\n", qPrintable(error));
    return 2;
  }
  orlaventis::InstallSectionRoutines(orlaventis::SectionFormRoutines());
  orlaventis::RegisterIntroductionForm();
  orlaventis::RegisterProductionForm();
  orlaventis::RegisterCatalogForm();
  orlaventis::RegisterEnamelAndFabricsForm();
  if (!request.tourFolder.isEmpty()) return orlaventis::RunTour(request);
  QuitAfterIntroductionPaint quitAfterPaint;
  if (qEnvironmentVariableIsSet("ORLAVENTIS_QUIT_AFTER_FIRST_PAINT")) app.installEventFilter(&quitAfterPaint);
  return orlaventis::RunProgram(request);
}
