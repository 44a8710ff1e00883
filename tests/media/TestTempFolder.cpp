// Tests of the temporary folder: where it lives, names refused in it, clean-up at start and exit.
#include "ArchiveWriter.h"
#include "media/Archive.h"
#include "media/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlaventis;

namespace {

bool Touch(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
}

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
    SetTempFolder(folder);
    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("..\\x"), QStringLiteral("/etc/passwd"), QStringLiteral("a\\b"),
                               QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b")}) {
      QVERIFY(!IsPlainFileName(bad));
      QVERIFY2(TempFilePath(bad).isEmpty(), qPrintable(bad));
    }
    QCOMPARE(TempFilePath(QStringLiteral("1042")), folder + QStringLiteral("/1042"));
    QCOMPARE(TempFilePath(QStringLiteral("..x")), folder + QStringLiteral("/..x"));
    QCOMPARE(TempFilePath(QStringLiteral("B12_W")), folder + QStringLiteral("/B12_W"));

    // A member name from an archive cannot make extraction write beside the folder.
    olvtool::ArchiveWriter writer;
    QVERIFY(writer.Add(QStringLiteral("i\\i\\1"), "data", QDateTime::currentDateTime()));
    QString error;
    QVERIFY(writer.Write(dir.filePath("a.dat"), &error));
    const ArchiveEntry e = FindArchiveEntry(BuildArchiveIndex(dir.filePath("a.dat")), QStringLiteral("i\\i\\1"));
    QVERIFY(!ExtractArchiveEntry(dir.filePath("a.dat"), e, TempFilePath(QStringLiteral("../escaped"))));
    QVERIFY(!QFile::exists(dir.filePath("escaped")));
    QVERIFY(ExtractArchiveEntry(dir.filePath("a.dat"), e, TempFilePath(QStringLiteral("1"))));
    QVERIFY(QFile::exists(folder + QStringLiteral("/1")));
    SetTempFolder(QString());
  }

  void choosesTheFolder() {
    QTemporaryDir program, runtime;
    QCOMPARE(ChooseTempFolder(program.path()), program.path() + QStringLiteral("/T/"));
    QCOMPARE(ChooseTempFolder(program.path() + QLatin1Char('/')), program.path() + QStringLiteral("/T/"));

    // "T" taken by a plain file: the per-user folder, under $XDG_RUNTIME_DIR when set ...
    QVERIFY(Touch(program.filePath("T")));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QCOMPARE(ChooseTempFolder(program.path()), runtime.path() + QStringLiteral("/orlaventis/T/"));
    // ... else under the system temporary location, named after the user.
    qunsetenv("XDG_RUNTIME_DIR");
    const QString chosen = ChooseTempFolder(program.path());
    const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QVERIFY2(chosen.startsWith(base + QStringLiteral("/orlaventis-")), qPrintable(chosen));
    QVERIFY(chosen.endsWith(QStringLiteral("/T/")));
    if (!saved.isNull()) qputenv("XDG_RUNTIME_DIR", saved);

    // A program folder the user cannot write (meaningless for root, who can write anything).
    if (::geteuid() != 0) {
      QTemporaryDir readOnly;
      QVERIFY(QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
      QVERIFY(!ChooseTempFolder(readOnly.path()).startsWith(readOnly.path()));
      QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
  }

  // A "T" that is a symbolic link or another user's folder is never chosen, written into or
  // emptied, not even when it was swapped in after the choice.
  void neverUsesALinkedOrForeignT() {
    QTemporaryDir program, victim;
    QVERIFY(Touch(victim.filePath("notes.txt")));
    QVERIFY(QFile::link(victim.path(), program.filePath("T")));
    QVERIFY(!ChooseTempFolder(program.path()).startsWith(program.path()));
    SetTempFolder(program.filePath("T"));
    QVERIFY(TempFilePath(QStringLiteral("1")).isEmpty());
    QCOMPARE(RemoveStaleTempFiles(), 0);
    QVERIFY(!RemoveTempFolder());
    QVERIFY(QFile::exists(victim.filePath("notes.txt")));
    QVERIFY(QFileInfo(program.filePath("T")).isSymLink());

    QVERIFY(QFile::remove(program.filePath("T")));
    if (MakeForeignFolder(program.filePath("T"))) {
      QVERIFY(Touch(program.filePath("T/theirs")));
      QVERIFY(!ChooseTempFolder(program.path()).startsWith(program.path()));
      QVERIFY(TempFilePath(QStringLiteral("1")).isEmpty());
      QCOMPARE(RemoveStaleTempFiles(), 0);
      QVERIFY(QFile::exists(program.filePath("T/theirs")));
    }
    SetTempFolder(QString());
  }

  // Folders made for the pictures are private (0700); a name another user took before the
  // folder was made is refused, nothing is made in it.
  void makesPrivateFolders() {
    QTemporaryDir base;
    const QString folder = base.filePath("orlaventis-me/T/");
    SetTempFolder(folder);
    QCOMPARE(TempFilePath(QStringLiteral("1")), folder + QStringLiteral("1"));
    QCOMPARE(Mode(base.filePath("orlaventis-me")), 0700);
    QCOMPARE(Mode(folder), 0700);
    if (MakeForeignFolder(base.filePath("orlaventis-them"))) {
      SetTempFolder(base.filePath("orlaventis-them/T/"));
      QVERIFY(TempFilePath(QStringLiteral("1")).isEmpty());
      QVERIFY(!QFileInfo::exists(base.filePath("orlaventis-them/T")));
    }
    SetTempFolder(QString());
  }

  void removesStaleFilesAndTheFolder() {
    QTemporaryDir program;
    const QString folder = program.path() + QStringLiteral("/T/");
    SetTempFolder(folder);
    QCOMPARE(TempFolder(), folder);
    QCOMPARE(RemoveStaleTempFiles(), 0);  // no folder yet: nothing to do
    QVERIFY(RemoveTempFolder());

    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"1", "2", ".hidden", "B12_W"}) QVERIFY(Touch(folder + QLatin1String(name)));
    QVERIFY(QFile::link(program.filePath("keep"), folder + QStringLiteral("dangling")));
    QVERIFY(Touch(program.filePath("outside")));
    QVERIFY(QFile::link(program.filePath("outside"), folder + QStringLiteral("link")));
    QCOMPARE(RemoveStaleTempFiles(), 0);
    QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(QFile::exists(program.filePath("outside")));  // a link is removed, never followed
    QVERIFY(QFileInfo(folder).isDir());

    QVERIFY(Touch(folder + QStringLiteral("3")));
    QVERIFY(RemoveTempFolder());
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QFileInfo(program.path()).isDir());  // the program folder itself stays

    // Something that resists (here a folder inside): the files still go, the folder stays.
    QVERIFY(QDir().mkpath(folder + QStringLiteral("sub")));
    QVERIFY(Touch(folder + QStringLiteral("4")));
    QVERIFY(!RemoveTempFolder());
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("4")));
    QVERIFY(QFileInfo(folder + QStringLiteral("sub")).isDir());
    SetTempFolder(QString());
  }

  void removesTheEmptyPerUserParent() {
    QTemporaryDir runtime;
    const QString folder = runtime.path() + QStringLiteral("/orlaventis/T/");
    SetTempFolder(folder);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(Touch(folder + QStringLiteral("5")));
    QVERIFY(RemoveTempFolder());
    QVERIFY(!QFileInfo::exists(runtime.path() + QStringLiteral("/orlaventis")));
    QVERIFY(QFileInfo(runtime.path()).isDir());
    SetTempFolder(QString());
  }
};

QTEST_GUILESS_MAIN(TestTempFolder)
#include "TestTempFolder.moc"
