// The orlaventis program: parses the command line and hands over to the application shell.
#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orlaventis"));
  QApplication::setApplicationVersion(QStringLiteral("1.0 release 4"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Orlaventis, a multimedia reference work."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.process(app);
  return 0;
}
