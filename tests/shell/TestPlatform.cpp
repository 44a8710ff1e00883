// Tests of the platform layer: registry files, the two command splitting rules, starting the
// uninstaller and the web browser through an injected launcher.
#include "shell/Platform.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace orlaventis;

namespace {

// Records what would have been started instead of starting it.
struct Recorder {
  std::vector<ProcessStart> started;
  std::vector<QUrl> opened;
  bool launchResult = true;

  void Install() {
    SetProcessLauncher([this](const ProcessStart& s) {
      started.push_back(s);
      return launchResult;
    });
    SetUrlOpener([this](const QUrl& u) {
      opened.push_back(u);
      return true;
    });
  }
};

void UseRegistry(const QString& text) {
  auto registry = std::make_unique<IniRegistry>(QStringList{});
  registry->AddText(text);
  SetProgramRegistry(std::move(registry));
}

const char* kUninstallKey =
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlaventis]\n";

}  // namespace

class TestPlatform : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    SetProgramRegistry(nullptr);
    SetProcessLauncher({});
    SetUrlOpener({});
  }

  // The uninstall string's rule (rows "uninstall: ...") and the browser command's rule.
  void splitting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameters");
    QTest::newRow("uninstall: quoted program, quoted parameter")
        << "\"/opt/olv/uninstall\" \"/opt/olv/install.log\"" << "/opt/olv/uninstall"
        << "\"/opt/olv/install.log\"";
    QTest::newRow("uninstall: quoted program, plain parameters")
        << "\"/opt/my tools/unins\" -q -x" << "/opt/my tools/unins" << "-q -x";
    QTest::newRow("uninstall: quoted program alone") << "\"/opt/olv/unins\"" << "/opt/olv/unins" << "";
    QTest::newRow("uninstall: unquoted program, quoted parameter")
        << "/opt/olv/unins.exe \"-f log\" x" << "/opt/olv/unins.exe" << "\"-f log\" x";
    // The parameters start at the first quote, even when it comes before the space-quote gap.
    QTest::newRow("uninstall: quote inside the unquoted program")
        << "/a\"b/unins \"p\"" << "/a\"b/unins" << "\"b/unins \"p\"";
    // Neither form: no program can be told apart, so nothing is started.
    QTest::newRow("uninstall: no quote at all") << "/opt/olv/unins -q" << "" << "";
    QTest::newRow("uninstall: unterminated quote") << "\"/opt/olv/unins -q" << "" << "";
    QTest::newRow("uninstall: empty") << "" << "" << "";
    QTest::newRow("windows style, %1 removed")
        << "\"C:\\Program Files\\Web\\browser.EXE\" -nohome \"%1\"" << "C:\\Program Files\\Web\\browser.EXE"
        << "-nohome";
    QTest::newRow("only the first % goes")
        << "C:\\web\\b.exe %1 -x %2" << "C:\\web\\b.exe" << "-x %2";
    QTest::newRow("bat before exe wins")
        << "C:\\x.exe\\run.bat -a" << "C:\\x.exe\\run.bat" << "-a";
    QTest::newRow("lower case extension") << "c:\\w\\b.com -z %1" << "c:\\w\\b.com" << "-z";
    QTest::newRow("extension without a following space is no separator")
        << "C:\\b.exe" << "C:\\b.exe" << "";
    QTest::newRow("linux command") << "firefox --new-window %u" << "firefox" << "--new-window";
    QTest::newRow("linux command alone") << "/usr/bin/xdg-open %s" << "/usr/bin/xdg-open" << "";
  }
  void splitting() {
    QFETCH(QString, text);
    const bool uninstall = QByteArray(QTest::currentDataTag()).startsWith("uninstall");
    const SplitCommand split = uninstall ? SplitUninstallString(text) : SplitBrowserCommand(text);
    QFETCH(QString, program);
    QFETCH(QString, parameters);
    QCOMPARE(split.program, program);
    QCOMPARE(split.parameters, parameters);
  }

  void registryFromFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::pair<const char*, const char*> files[] = {
        {"system.ini", "; comment\n[HKEY_CLASSES_ROOT\\.html]\n@=htmlfile\nOther = one\n[HKEY_CLASSES_ROOT\\Empty]\n"},
        {"user.ini", "[hkey_classes_root\\.HTML\\]\nother=two\nnot a value line\n=nameless\n"}};
    for (const auto& [name, text] : files) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) > 0);
    }
    IniRegistry registry({dir.filePath("system.ini"), dir.filePath("missing.ini"), dir.filePath("user.ini")});
    QCOMPARE(registry.ReadString("HKEY_CLASSES_ROOT\\.HTML", ""), QString("htmlfile"));
    QCOMPARE(registry.ReadString("HKEY_CLASSES_ROOT\\.html", "OTHER"), QString("two"));
    QVERIFY(registry.KeyExists("HKEY_CLASSES_ROOT\\empty"));
    QCOMPARE(registry.ReadString("HKEY_CLASSES_ROOT\\Empty", ""), QString());
    QVERIFY(!registry.KeyExists("HKEY_CLASSES_ROOT\\.htm"));
    QCOMPARE(registry.ReadString("HKEY_CLASSES_ROOT\\.htm", ""), QString());
  }

  void runUninstaller() {
    Recorder recorder;
    recorder.Install();
    // No entry: nothing starts.
    UseRegistry("");
    QVERIFY(!RunUninstaller());
    QVERIFY(recorder.started.empty());

    UseRegistry(QString(kUninstallKey) + "UninstallString=\"/opt/olv app/unins\" -q \"my log\"");
    QVERIFY(RunUninstaller());
    QCOMPARE(recorder.started.size(), size_t(1));
    QCOMPARE(recorder.started[0].program, QString("/opt/olv app/unins"));
    QCOMPARE(recorder.started[0].arguments, QStringList({"-q", "my log"}));
    QCOMPARE(recorder.started[0].workingFolder, QString("/opt/olv app"));

    // A text that yields no program starts nothing.
    UseRegistry(QString(kUninstallKey) + "UninstallString=/opt/olv/unins -q\n");
    QVERIFY(!RunUninstaller());
    QCOMPARE(recorder.started.size(), size_t(1));
  }

  void openWebAddress() {
    Recorder recorder;
    recorder.Install();
    const QString address = "https://help.example/olv?lang=44";

    // The first existing key decides, even when a later one has a browser.
    UseRegistry(
        "[HKEY_CLASSES_ROOT\\.htm]\n@=htmfile\n"
        "[HKEY_CLASSES_ROOT\\.shtml]\n@=other\n"
        "[HKEY_CLASSES_ROOT\\htmfile\\Shell\\Open\\Command]\n@=\"/usr/bin/web\" --tab \"%1\"\n"
        "[HKEY_CLASSES_ROOT\\other\\Shell\\Open\\Command]\n@=/usr/bin/other %1\n");
    QVERIFY(OpenWebAddress(address));
    QCOMPARE(recorder.started.size(), size_t(1));
    QCOMPARE(recorder.started[0].program, QString("/usr/bin/web"));
    QCOMPARE(recorder.started[0].arguments, QStringList({"--tab", address}));
    QVERIFY(recorder.opened.empty());

    // A failing start is reported.
    recorder.launchResult = false;
    QVERIFY(!OpenWebAddress(address));
    recorder.launchResult = true;

    // No browser command: the desktop's default browser gets the address.
    UseRegistry("[HKEY_CLASSES_ROOT\\.html]\n@=\n");
    QVERIFY(OpenWebAddress(address));
    QCOMPARE(recorder.started.size(), size_t(2));
    QCOMPARE(recorder.opened.size(), size_t(1));
    QCOMPARE(recorder.opened[0], QUrl(address));
  }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "TestPlatform.moc"
