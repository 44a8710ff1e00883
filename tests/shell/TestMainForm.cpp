// Tests of the program as a whole: exit codes, an unusable content folder, no display, a second
// start finding the first (restore and close before the uninstaller), one program per user under
// a start storm, the headless tour.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <algorithm>
#include <memory>
#include <vector>

#include <signal.h>
#include <sys/stat.h>

namespace {

constexpr int kTimeoutMs = 60000;

const QStringList kSmallScreen = {"--screen", "800x600", "--language", "44"};

// A program run with its own data, configuration and runtime folders and instance name.
struct ProgramEnvironment {
  QTemporaryDir data, config, runtime;
  QString instance = QStringLiteral("olv-test-") + QUuid::createUuid().toString(QUuid::Id128);
  QString dataFolder = data.path();     // $ORLAVENTIS_DATA
  QString workingFolder = data.path();  // where the program starts
  QHash<QString, QString> variables;    // set over the above; an empty value removes one
  QString program = QStringLiteral(ORLAVENTIS_PROGRAM);

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORLAVENTIS_DATA", dataFolder);
    env.insert("ORLAVENTIS_INSTANCE", instance);
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    for (auto it = variables.begin(); it != variables.end(); ++it)
      it.value().isEmpty() ? env.remove(it.key()) : env.insert(it.key(), it.value());
    return env;
  }
  void Start(QProcess& process, const QStringList& arguments,
             QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) const {
    process.setProcessEnvironment(Environment());
    process.setProcessChannelMode(channels);
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
  }
  // Runs to the end; the exit code, or -1 when it crashed or did not end in time. `errors`
  // receives the standard error output when given.
  int Run(const QStringList& arguments, QByteArray* errors = nullptr) const {
    QProcess process;
    Start(process, arguments,
          errors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    if (!process.waitForFinished(kTimeoutMs)) return process.kill(), process.waitForFinished(), -1;
    if (errors != nullptr) *errors = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }
  // True once a program answers on the instance name.
  bool WaitForListener() const {
    for (int i = 0; i < 500; ++i) {
      QLocalSocket probe;
      probe.connectToServer(runtime.filePath(instance));
      if (probe.waitForConnected(100)) return true;
      QTest::qWait(20);
    }
    return false;
  }
};

bool IsLight(QRgb pixel) { return qGray(pixel) > 120; }

// Checks that `errors` holds each of `parts`, naming the part missing.
void ExpectSaid(const QByteArray& errors, std::initializer_list<QByteArray> parts) {
  for (const QByteArray& p : parts)
    QVERIFY2(errors.contains(p), qPrintable(p + " not in:\n" + errors));
}

}  // namespace

class TestMainForm : public QObject {
  Q_OBJECT

 private slots:
  // A screen too small ends with code 1, the tour too; unknown options, bad values and stray
  // arguments are usage errors (2), "uninstall" too unless it comes first; an uninstall request
  // without an entry starts nothing.
  void exitCodes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    // clang-format off
    const std::pair<QStringList, int> runs[] = {
        {{"--screen", "600x400", "--language", "44"}, 1},
        {{"--screen", "639x1000", "--language", "44"}, 1},
        {{"--tour", "tour", "--screen", "600x400"}, 1}, {{"--screen", "big"}, 2},
        {{"--language", "49"}, 2}, {{"--depth", "0"}, 2}, {{"--kiosk", "0"}, 2}, {{"--bogus"}, 2},
        {{"stray"}, 2}, {{"--data"}, 2}, {{"--data="}, 2}, {{"--language", "44", "uninstall"}, 2},
        {{"uninstall", "uninstall"}, 2}, {{"--help"}, 0}, {{"--version"}, 0}, {{"uninstall"}, 0}};
    // clang-format on
    for (const auto& [arguments, code] : runs)
      QTest::newRow(qPrintable(arguments.join(' '))) << arguments << code;
  }
  void exitCodes() {
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    ProgramEnvironment env;  // the tour's folder is relative to where the program starts
    QCOMPARE(env.Run(arguments), code);
    QCOMPARE(QDir(env.data.path()).entryList(QDir::Files), QStringList());
  }
  // A content folder that cannot be used (missing, a file, a name that is not UTF-8) ends the
  // start with code 6 and a message naming it. Where no display is named, the command line is
  // still checked, and a start ends plainly with code 5, pointing to the tour.
  void unusableContentFolderAndNoDisplay() {
    ProgramEnvironment env;
    const QString missing = env.data.filePath("missing"), file = env.data.filePath("file");
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    QByteArray errors;
    QCOMPARE(env.Run(QStringList{"--data", missing} + kSmallScreen, &errors), 6);
    ExpectSaid(errors, {missing.toUtf8(), "does not exist"});
    QCOMPARE(env.Run({"--tour", env.data.filePath("tour"), "--data=" + missing}), 6);
    env.dataFolder = file;
    QCOMPARE(env.Run(kSmallScreen, &errors), 6);
    ExpectSaid(errors, {file.toUtf8(), "ORLAVENTIS_DATA"});
    env.dataFolder = env.data.path();
    // A folder whose name is Latin-1: the shell passes its bytes on unchanged.
    const QByteArray latin1Name = QFile::encodeName(env.data.path()) + "/caf\xE9";
    QCOMPARE(::mkdir(latin1Name.constData(), 0700), 0);
    env.program = QStringLiteral("/bin/sh");
    const QString latin1 = "exec \"$0\" --data \"$(printf 'caf\\351')\" \"$@\"";
    QCOMPARE(env.Run(QStringList{"-c", latin1, ORLAVENTIS_PROGRAM} + kSmallScreen, &errors), 6);
    QVERIFY2(errors.contains("not valid UTF-8"), errors.constData());
    QCOMPARE(::rmdir(latin1Name.constData()), 0);  // a name the temporary folder cannot remove

    env.program = QStringLiteral(ORLAVENTIS_PROGRAM);
    env.variables = {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    QCOMPARE(env.Run({"--bogus"}), 2);
    QCOMPARE(env.Run({"--help"}), 0);
    QCOMPARE(env.Run(kSmallScreen, &errors), 5);
    ExpectSaid(errors, {"no display", "--tour"});
    env.variables["DISPLAY"] = ":65000";  // named, but nothing answers there
    QCOMPARE(env.Run(kSmallScreen, &errors), 5);
    ExpectSaid(errors, {"cannot be opened", "--tour"});
  }
  void secondStartRestoresThenCloseForUninstall() {
    ProgramEnvironment env;
    const QString marker = env.data.filePath("uninstalled");
    QDir().mkpath(env.config.filePath("orlaventis"));
    QFile registry(env.config.filePath("orlaventis/registry.ini"));
    QVERIFY(registry.open(QIODevice::WriteOnly));
    const QByteArray key =
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    QVERIFY(registry.write(key + "Orlaventis]\nUninstallString=\"/bin/sh\" -c \"echo gone > " +
                           marker.toUtf8() + "\"\n") > 0);
    registry.close();
    QProcess first;
    env.Start(first, kSmallScreen);
    QVERIFY(first.waitForStarted());
    QVERIFY(env.WaitForListener());
    // A plain second start only brings the first forward and ends at once.
    QCOMPARE(env.Run(kSmallScreen), 0);
    QCOMPARE(first.state(), QProcess::Running);
    // "UNINSTALL" in any letter case: the first program closes, the uninstaller starts.
    QCOMPARE(env.Run({"UnInstall"}), 0);
    QVERIFY(first.waitForFinished(kTimeoutMs));
    QCOMPARE((std::pair{first.exitStatus(), first.exitCode()}),
             (std::pair{QProcess::NormalExit, 0}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
  }
  // A first program that lives but does not answer (here stopped) is never taken over: the
  // second start gives up with a message, and the first keeps the name.
  void busyFirstIsNotTakenOver() {
    ProgramEnvironment env;
    QProcess first;
    env.Start(first, kSmallScreen);
    QVERIFY(env.WaitForListener());
    QCOMPARE(::kill(static_cast<pid_t>(first.processId()), SIGSTOP), 0);
    QByteArray errors;
    const int code = env.Run(kSmallScreen, &errors);
    QCOMPARE(::kill(static_cast<pid_t>(first.processId()), SIGCONT), 0);
    QCOMPARE(code, 7);
    ExpectSaid(errors, {"does not answer"});
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(env.Run({"uninstall"}), 0);  // closes the first
    QVERIFY(first.waitForFinished(kTimeoutMs));
  }
  // Twenty starts at once leave exactly one program, which answers on the name; the others
  // bring it forward or give up, none crashes.
  void startStormLeavesOneProgram() {
    ProgramEnvironment env;
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < 20; ++i) {
      starts.push_back(std::make_unique<QProcess>());
      env.Start(*starts.back(), kSmallScreen);
    }
    const auto running = [&starts] {
      const auto runs = [](const auto& p) { return p->state() != QProcess::NotRunning; };
      return std::count_if(starts.begin(), starts.end(), runs);
    };
    QTRY_VERIFY_WITH_TIMEOUT(running() <= 1, kTimeoutMs);
    QCOMPARE(running(), 1);
    for (const auto& p : starts) {  // the others brought the first forward (0) or gave up (7)
      if (p->state() != QProcess::NotRunning) continue;
      QCOMPARE(p->exitStatus(), QProcess::NormalExit);
      QVERIFY2((QList{0, 7}).contains(p->exitCode()), qPrintable(QString::number(p->exitCode())));
    }
    QVERIFY(env.WaitForListener());
    QCOMPARE(env.Run({"uninstall"}), 0);
    for (const auto& p : starts)
      if (p->state() != QProcess::NotRunning) QVERIFY(p->waitForFinished(kTimeoutMs));
  }
  // A relative $ORLAVENTIS_DATA names a folder below where the program started, for the whole
  // run: the tour shows the same content as with the absolute folder.
  void relativeDataFolder() {
    // The program's folder holds the demo content.
    const QDir content = QFileInfo(QStringLiteral(ORLAVENTIS_PROGRAM)).absoluteDir();
    QDir above = content;
    QVERIFY(above.cdUp());
    ProgramEnvironment env;
    env.dataFolder = content.absolutePath();
    QCOMPARE(env.Run(QStringList{"--tour", env.data.filePath("absolute")} + kSmallScreen), 0);
    env.dataFolder = content.dirName();
    env.workingFolder = above.absolutePath();
    QCOMPARE(env.Run(QStringList{"--tour", env.data.filePath("relative")} + kSmallScreen), 0);
    const QStringList pictures = QDir(env.data.filePath("absolute")).entryList(QDir::Files);
    QVERIFY(pictures.size() == 7);
    const auto picture = [&env](const QString& name) { return QImage(env.data.filePath(name)); };
    for (const QString& name : pictures)
      QVERIFY2(picture("absolute/" + name) == picture("relative/" + name), qPrintable(name));
  }
  // The palette displays: the tour of the demo content draws its pictures with the 16 or 256
  // colours of the display palette.
  void paletteDepthsDrawWithThePalette() {
    const QDir demo = QFileInfo(QStringLiteral(ORLAVENTIS_PROGRAM)).absoluteDir();
    for (auto [depth, limit] : {std::pair{4, 16}, std::pair{8, 256}}) {
      ProgramEnvironment env;
      for (const char* name : {"olvf.dat", "olve.dat", "d", "i", "help"})
        QVERIFY(QFile::link(demo.filePath(name), env.data.filePath(name)));
      const QString tour = env.data.filePath("tour");
      const QString depthText = QString::number(depth);
      QCOMPARE(env.Run(QStringList{"--tour", tour, "--depth", depthText} + kSmallScreen), 0);
      // The Introduction's slide (267, 126, 210 x 155) in the 640 x 480 form centred at (80, 60).
      const QImage intro = QImage(tour + "/2-introduction.png").copy(80 + 267, 60 + 126, 210, 155);
      QSet<QRgb> colours;
      for (int y = 0; y < intro.height(); ++y)
        for (int x = 0; x < intro.width(); ++x) colours.insert(intro.pixel(x, y));
      QCOMPARE_GT(colours.size(), 4);
      QCOMPARE_LE(colours.size(), limit);
    }
  }
  void tourWritesSevenPictures() {
    ProgramEnvironment env;
    // A folder relative to where the program was started.
    const QString tour = env.data.filePath("tour");
    QCOMPARE(env.Run({"--tour", "tour", "--screen", "1024x768", "--language", "33"}), 0);
    const QStringList names = {"1-chooser.png", "2-introduction.png",   "3-production.png",
                               "4-catalog.png", "5-enamel-fabrics.png", "6-about.png",
                               "7-search.png"};
    for (const QString& name : names) QVERIFY2(QFile::exists(tour + "/" + name), qPrintable(name));
    QCOMPARE(QImage(tour + "/1-chooser.png").size(), QSize(282, 282));
    // 1024 x 768 is mode 4: the 800 x 600 design centred at (112, 84), the menu buttons scaled
    // by 600/480 (MenuBtn2 at 6, 325, 100 x 31 inside the form): its glyph is light, between
    // Help and Stoppen and beside the form is dark. The About box over the last section, centred.
    const QImage production(tour + "/3-production.png"), about(tour + "/6-about.png");
    QCOMPARE((QList{production.size(), about.size()}), (QList{QSize(1024, 768), QSize(1024, 768)}));
    const auto light = [&production](int x, int y) { return IsLight(production.pixel(x, y)); };
    QCOMPARE(
        (QList{light(112 + 6 + 50, 84 + 325 + 6), light(112 + 6 + 50, 84 + 490), light(100, 300)}),
        (QList{true, false, false}));
    QVERIFY(about.pixel(512, 384) != production.pixel(512, 384));
    // The focus mark's silver dots left of the Introduction's own button (6, 288); none in the
    // Production.
    const QImage intro(tour + "/2-introduction.png");
    int dots[2] = {};
    for (int y = 84 + 286; y < 84 + 320; ++y)
      for (int i : {0, 1}) dots[i] += (i == 0 ? intro : production).pixel(117, y) == 0xFFC0C0C0;
    QCOMPARE_GT(dots[0], 5);
    QCOMPARE(dots[1], 0);
  }
};

QTEST_GUILESS_MAIN(TestMainForm)
#include "TestMainForm.moc"
