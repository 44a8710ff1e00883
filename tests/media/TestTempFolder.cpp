// Tests of the temporary folder pictures are unpacked into: where it lives, names refused in it,
// private folders, clean-up.
#include "media/Archive.h"
#include "media/TempFolder.h"
#include "EnvironmentRestorer.h"
#include "shell/ArchiveFixture.h"  // tests/shell

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlaventis;
using fixture::WriteFile;

namespace {

bool Touch(const QString& path) { return WriteFile(path, "x"); }

// The permission bits of `path` (not following a link), or -1.
int Mode(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Makes `path` a folder of another user (only root can); false when that cannot be done.
bool MakeForeignFolder(const QString& path) {
  return ::geteuid() == 0 && QDir().mkpath(path) && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

}  // namespace

class TestTempFolder : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void refusesNamesThatLeaveTheFolder() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("T");
    TTempFolder temp(QString(), folder);
    for (const QString& bad : QStringList{"", ".", "..", "a/b", "..\\x", "/etc/passwd", "a\\b", QString("a") + QChar(0) + "b"})
      QCOMPARE((std::tuple{bad, IsPlainFileName(bad), temp.FilePath(bad)}), (std::tuple{bad, false, QString()}));
    for (const QString& good : QStringList{"1042", "..x", "B12_W"}) QCOMPARE(temp.FilePath(good), folder + '/' + good);
  }

  void choosesTheFolder() {
    QTemporaryDir program, runtime;
    for (const QString& folder : {program.path(), program.path() + '/'}) QCOMPARE(TTempFolder(folder).Folder(), program.path() + "/T/");
    // "T" taken by a plain file: the per-user folder, under $XDG_RUNTIME_DIR when set ...
    QVERIFY(Touch(program.filePath("T")));
    {
      fixture::EnvironmentRestorer runtimeDir("XDG_RUNTIME_DIR");
      runtimeDir.Set(runtime.path().toUtf8());
      QCOMPARE(TTempFolder(program.path()).Folder(), runtime.path() + "/orlaventis/T/");
      // ... else under the system temporary location, named after the user.
      runtimeDir.Unset();
      const QString chosen = TTempFolder(program.path()).Folder();
      const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
      QVERIFY2(chosen.startsWith(base + "/orlaventis-"), qPrintable(chosen));
      QVERIFY2(chosen.endsWith("/T/"), qPrintable(chosen));
    }
    // A program folder the user cannot write (meaningless for root, who can write anything).
    if (::geteuid() != 0) {
      QTemporaryDir readOnly;
      QVERIFY(QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
      QVERIFY(!TTempFolder(readOnly.path()).Folder().startsWith(readOnly.path()));
      QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
  }

  // A "T" that is a symbolic link or another user's folder is never chosen, written into or
  // emptied, not even when it was swapped in after the choice.
  void neverUsesALinkedOrForeignT() {
    QTemporaryDir program, victim;
    QVERIFY(Touch(victim.filePath("notes.txt")));
    QVERIFY(QFile::link(victim.path(), program.filePath("T")));
    QVERIFY(!TTempFolder(program.path()).Folder().startsWith(program.path()));
    TTempFolder linked(QString(), program.filePath("T"));
    QCOMPARE((std::tuple{linked.FilePath(QStringLiteral("1")), linked.RemoveStaleFiles(), linked.Remove()}), (std::tuple{QString(), 0, false}));
    QVERIFY(QFile::exists(victim.filePath("notes.txt")));
    QVERIFY(QFileInfo(program.filePath("T")).isSymLink());
    QVERIFY(QFile::remove(program.filePath("T")));
    if (MakeForeignFolder(program.filePath("T"))) {
      QVERIFY(Touch(program.filePath("T/theirs")));
      QVERIFY(!TTempFolder(program.path()).Folder().startsWith(program.path()));
      QCOMPARE((std::tuple{linked.FilePath(QStringLiteral("1")), linked.RemoveStaleFiles()}), (std::tuple{QString(), 0}));
      QVERIFY(QFile::exists(program.filePath("T/theirs")));
    }
  }

  // Folders made for the pictures are private (0700); a name another user took before the
  // folder was made is refused, nothing is made in it.
  void makesPrivateFolders() {
    QTemporaryDir base;
    const QString folder = base.filePath("orlaventis-me/T/");
    QCOMPARE(TTempFolder(QString(), folder).FilePath(QStringLiteral("1")), folder + QStringLiteral("1"));
    QCOMPARE((QList<int>{Mode(base.filePath("orlaventis-me")), Mode(folder)}), (QList<int>{0700, 0700}));
    if (MakeForeignFolder(base.filePath("orlaventis-them"))) {
      const QString them = base.filePath("orlaventis-them/T");
      QCOMPARE(TTempFolder(QString(), them).FilePath(QStringLiteral("1")), QString());
      QVERIFY(!QFileInfo::exists(them));
    }
  }

  void removesStaleFilesAndTheFolder() {
    QTemporaryDir program;
    const QString folder = program.path() + "/T/";
    const TTempFolder temp(QString(), folder);
    QCOMPARE(temp.Folder(), folder);
    QCOMPARE((std::tuple{temp.RemoveStaleFiles(), temp.Remove()}), (std::tuple{0, true}));  // no folder yet: nothing to do
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"1", "2", ".hidden", "B12_W"}) QVERIFY(Touch(folder + QLatin1String(name)));
    QVERIFY(QFile::link(program.filePath("keep"), folder + "dangling"));
    QVERIFY(Touch(program.filePath("outside")));
    QVERIFY(QFile::link(program.filePath("outside"), folder + "link"));
    QCOMPARE(temp.RemoveStaleFiles(), 0);
    QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(QFile::exists(program.filePath("outside")));  // a link is removed, never followed
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(Touch(folder + "3"));
    QVERIFY(temp.Remove());
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QFileInfo(program.path()).isDir());  // the program folder itself stays
    // Something that resists (here a folder inside): the files still go, the folder stays.
    QVERIFY(QDir().mkpath(folder + "sub"));
    QVERIFY(Touch(folder + "4"));
    QVERIFY(!temp.Remove());
    QVERIFY(!QFileInfo::exists(folder + "4"));
    QVERIFY(QFileInfo(folder + "sub").isDir());
    // The empty per-user parent this run made goes with its folder ...
    TTempFolder perUser(QString(), program.path() + "/orlaventis/T/");
    QVERIFY(Touch(perUser.FilePath("5")));
    QVERIFY(perUser.Remove());
    QVERIFY(!QFileInfo::exists(program.path() + "/orlaventis"));
    QVERIFY(QFileInfo(program.path()).isDir());
    // ... but a folder of the user's that was there before stays, whatever its name.
    TTempFolder mine(QString(), program.path() + "/orlaventis-mine/T/");
    QVERIFY(QDir().mkpath(mine.Folder()));
    QVERIFY(Touch(mine.FilePath("6")));
    QVERIFY(mine.Remove());
    QVERIFY(!QFileInfo::exists(mine.Folder()));
    QVERIFY(QFileInfo(program.path() + "/orlaventis-mine").isDir());
  }
};

QTEST_GUILESS_MAIN(TestTempFolder)
#include "TestTempFolder.moc"
