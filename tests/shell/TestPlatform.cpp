// Tests of the platform layer: registry files, the two command splitting rules, starting the
// uninstaller and the web browser through an injected launcher.
#include "ProcessFactsRestorer.h"
#include "shell/Platform.h"

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QUrl>

#include <memory>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlaventis;

namespace {

// Records what would have been started instead of starting it.
struct Recorder {
  std::vector<ProcessStart> started;
  std::vector<QUrl> opened;
  bool launchResult = true;

  void Install() {
    Process().launcher = [this](const ProcessStart& s) {
      started.push_back(s);
      return launchResult;
    };
    Process().urlOpener = [this](const QUrl& u) {
      opened.push_back(u);
      return true;
    };
  }
};

IniRegistry Registered(const QString& text) {
  IniRegistry registry{QStringList{}};
  registry.AddText(text);
  return registry;
}
// What `run` writes to the stderr descriptor.
QByteArray CapturedStderr(const std::function<void()>& run) {
  QTemporaryFile file;
  if (!file.open()) return "cannot capture stderr";
  std::fflush(stderr);
  const int saved = ::dup(2);
  ::dup2(file.handle(), 2);
  run();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  file.seek(0);
  return file.readAll();
}

const char* kUninstallKey =
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlaventis]\n";

}  // namespace

class TestPlatform : public QObject {
  Q_OBJECT

  std::unique_ptr<fixture::ProcessFactsRestorer> facts_;  // one per test function

 private slots:
  void init() { facts_ = std::make_unique<fixture::ProcessFactsRestorer>(); }
  void cleanup() { facts_.reset(); }

  void splitting_data() {
    QTest::addColumn<bool>("uninstall");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("split");  // program, parameters
    // clang-format off
    const struct { bool uninstall; QString text, program, parameters; } rows[] = {
        {true, "\"/opt/olv/uninstall\" \"/opt/olv/install.log\"", "/opt/olv/uninstall",
         "\"/opt/olv/install.log\""},
        {true, "\"/opt/my tools/unins\" -q -x", "/opt/my tools/unins", "-q -x"},
        {true, "\"/opt/olv/unins\"", "/opt/olv/unins", ""},
        {true, "/opt/olv/unins.exe \"-f log\" x", "/opt/olv/unins.exe", "\"-f log\" x"},
        // The parameters start at the first quote, even when it comes before the space-quote gap.
        {true, "/a\"b/unins \"p\"", "/a\"b/unins", "\"b/unins \"p\""},
        // Neither form (no quote, an unterminated one, nothing): no program, nothing is started.
        {true, "/opt/olv/unins -q", "", ""}, {true, "\"/opt/olv/unins -q", "", ""},
        {true, "", "", ""},
        // Windows style: the first % parameter removed; .bat before .exe; any letter case; an
        // extension without a following space is no separator; Linux commands.
        {false, "\"C:\\Program Files\\Web\\browser.EXE\" -nohome \"%1\"",
         "C:\\Program Files\\Web\\browser.EXE", "-nohome"},
        {false, "C:\\web\\b.exe %1 -x %2", "C:\\web\\b.exe", "-x %2"},
        {false, "C:\\x.exe\\run.bat -a", "C:\\x.exe\\run.bat", "-a"},
        {false, "c:\\w\\b.com -z %1", "c:\\w\\b.com", "-z"},
        {false, "C:\\b.exe", "C:\\b.exe", ""},
        {false, "firefox --new-window %u", "firefox", "--new-window"},
        {false, "/usr/bin/xdg-open %s", "/usr/bin/xdg-open", ""}};
    // clang-format on
    for (const auto& row : rows)
      QTest::addRow("%s \"%s\"", row.uninstall ? "uninstall" : "browser", qPrintable(row.text))
          << row.uninstall << row.text << QStringList{row.program, row.parameters};
  }
  // The uninstall string's rule and the browser command's rule.
  void splitting() {
    QFETCH(bool, uninstall);
    QFETCH(QString, text);
    QFETCH(QStringList, split);
    const SplitCommand got = uninstall ? SplitUninstallString(text) : SplitBrowserCommand(text);
    QCOMPARE((QStringList{got.program, got.parameters}), split);
  }
  // Registry files: later files override earlier ones, key and value names in any letter case. A
  // FIFO, a device and a huge file are refused without being opened or read (nothing waits,
  // nothing large is allocated), each named on stderr; the other files still count.
  void registryFromFilesAndRefusedFiles() {
    QTemporaryDir dir;
    const std::pair<const char*, const char*> files[] = {
        {"system.ini",
         "; comment\n[HKEY_CLASSES_ROOT\\.html]\n@=htmlfile\nOther = one\n"
         "[HKEY_CLASSES_ROOT\\Empty]\n"},
        {"user.ini", "[hkey_classes_root\\.HTML\\]\nother=two\nnot a value line\n=nameless\n"},
        {"good.ini", "[HKEY_CLASSES_ROOT\\.html]\n@=htmlfile\n"}};
    for (const auto& [name, text] : files) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      QCOMPARE_GT(file.write(text), 0);
    }
    const auto in = [&dir](const QStringList& names) {
      QStringList paths;
      for (const QString& name : names) paths << dir.filePath(name);
      return paths;
    };
    IniRegistry registry(in({"system.ini", "missing.ini", "user.ini"}));
    const QString root = "HKEY_CLASSES_ROOT\\";
    const auto value = [&](const char* key, const char* name) {
      return registry.ReadString(root + key, name);
    };
    QCOMPARE((QStringList{value(".HTML", ""), value(".html", "OTHER"), value("Empty", ""),
                          value(".htm", "")}),
             (QStringList{"htmlfile", "two", "", ""}));
    QCOMPARE((QList{registry.KeyExists(root + "empty"), registry.KeyExists(root + ".htm")}),
             (QList{true, false}));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo.ini")).constData(), 0600) == 0);
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.ini")));
    QFile huge(dir.filePath("huge.ini"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(1) << 32));  // sparse
    huge.close();
    const QStringList refused = in({"fifo.ini", "zero.ini", "huge.ini"});
    std::unique_ptr<IniRegistry> read;
    const QString said = QString::fromUtf8(CapturedStderr([&] {
      read = std::make_unique<IniRegistry>(refused + in({"missing.ini", "good.ini"}));
    }));
    QCOMPARE(read->ReadString(root + ".html", ""), QString("htmlfile"));
    const QStringList lines = said.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);  // the missing file is normal: nothing said
    const char* why[] = {"not a regular file", "not a regular file", "too large"};
    for (int i = 0; i < 3; ++i)
      for (const QString& part : {refused[i], QString(why[i])})
        QVERIFY2(lines[i].contains(part), qPrintable(said));
  }
  // The uninstaller and the web browser start through the launcher.
  void runUninstallerAndOpenWebAddress() {
    Recorder recorder;
    recorder.Install();
    // No entry: nothing starts.
    QVERIFY(!RunUninstaller(Registered("")));
    QCOMPARE(recorder.started.size(), size_t(0));
    const QString key = kUninstallKey;
    QVERIFY(
        RunUninstaller(Registered(key + "UninstallString=\"/opt/olv app/unins\" -q \"my log\"")));
    QCOMPARE(recorder.started.size(), size_t(1));
    const ProcessStart s = recorder.started[0];
    QCOMPARE(
        (QList{s.arguments, QStringList{s.program, s.workingFolder}}),
        (QList{QStringList{"-q", "my log"}, QStringList{"/opt/olv app/unins", "/opt/olv app"}}));
    // A text that yields no program starts nothing.
    QVERIFY(!RunUninstaller(Registered(key + "UninstallString=/opt/olv/unins -q\n")));
    QCOMPARE(recorder.started.size(), size_t(1));

    const QString address = "https://help.example/olv?lang=44";
    // The first existing key decides, even when a later one has a browser.
    const IniRegistry first = Registered(
        "[HKEY_CLASSES_ROOT\\.htm]\n@=htmfile\n"
        "[HKEY_CLASSES_ROOT\\.shtml]\n@=other\n"
        "[HKEY_CLASSES_ROOT\\htmfile\\Shell\\Open\\Command]\n@=\"/usr/bin/web\" --tab \"%1\"\n"
        "[HKEY_CLASSES_ROOT\\other\\Shell\\Open\\Command]\n@=/usr/bin/other %1\n");
    QVERIFY(OpenWebAddress(first, address));
    QCOMPARE((std::pair{recorder.started.size(), recorder.opened.size()}),
             (std::pair{size_t(2), size_t(0)}));
    QCOMPARE(recorder.started[1].program, "/usr/bin/web");
    QCOMPARE(recorder.started[1].arguments, QStringList({"--tab", address}));
    recorder.launchResult = false;  // a failing start is reported
    QVERIFY(!OpenWebAddress(first, address));
    recorder.launchResult = true;
    // No browser command: the desktop's default browser gets the address.
    QVERIFY(OpenWebAddress(Registered("[HKEY_CLASSES_ROOT\\.html]\n@=\n"), address));
    QCOMPARE(recorder.started.size(), size_t(3));
    QCOMPARE(recorder.opened, std::vector<QUrl>{QUrl(address)});
  }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "TestPlatform.moc"
