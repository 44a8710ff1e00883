// Tests of TReadOnlyFile: what it refuses without opening, and reads that must stay in the file.
#include "database/ReadOnlyFile.h"
#include "database/SharedFileCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

using namespace orlaventis;

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
  QFile out(path);
  return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

}  // namespace

class TestReadOnlyFile : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readsOnlyWithinTheFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(Write(path, "0123456789"));
    const TReadOnlyFile file(path);
    QVERIFY(file.IsOpen());
    QCOMPARE(file.Size(), 10);
    QCOMPARE(file.ReadAt(2, 3).value_or("?"), QByteArray("234"));
    QCOMPARE(file.ReadAt(10, 0).value_or("?"), QByteArray());
    // Ranges outside the file are refused before anything is allocated for them.
    constexpr qint64 kHuge = std::numeric_limits<qint64>::max();
    for (const auto& [offset, length] : {std::pair<qint64, qint64>{-1, 1},
                                         {0, 11},
                                         {9, 2},
                                         {11, 0},
                                         {0, -1},
                                         {1, kHuge},
                                         {kHuge, 1}})
      QVERIFY2(!file.ReadAt(offset, length),
               qPrintable(QStringLiteral("%1+%2").arg(offset).arg(length)));
    // A file cut short after it was opened: reads past the new end fail rather than come up short.
    QVERIFY(QFile::resize(path, 4));
    QVERIFY(!file.ReadAt(2, 3));
    QCOMPARE(file.ReadAt(0, 4), std::optional(QByteArray("0123")));
    QVERIFY(!file.ReadAll());
    QVERIFY(TReadOnlyFile(path).ReadAll() == QByteArray("0123"));
  }
  // Two readers of one unchanged file hold one copy; a changed file is read again.
  void sharesTheBytesOfOneUnchangedFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shared"));
    QVERIFY(Write(path, "first"));
    SharedFileCache files;
    const SharedFileContents a = files.Read(path, 100);
    const SharedFileContents b = files.Read(path, 100);
    QCOMPARE(a.status, FileReadStatus::Ok);
    QVERIFY(a.bytes);
    QCOMPARE(*a.bytes, "first");
    QCOMPARE(a.bytes, b.bytes);
    QVERIFY(SharedFileCache().Read(path, 100).bytes != a.bytes);  // another cache: its own copy
    QVERIFY(Write(path, "second"));
    QVERIFY(files.Read(path, 100).bytes.get() != a.bytes.get());
    const SharedFileContents held = files.Read(path, 100);
    QCOMPARE(*held.bytes, QByteArray("second"));
    // Rewritten in place to the same size and given back its time stamp: the content tells.
    struct stat before {};
    const FileIdentity identity = TReadOnlyFile(path).Identity();
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    QVERIFY(Write(path, "SECOND"));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
    QVERIFY(TReadOnlyFile(path).Identity() == identity);
    QCOMPARE(*files.Read(path, 100).bytes, QByteArray("SECOND"));
    QVERIFY(files.Read(path, 5).status == FileReadStatus::TooLarge);
    QVERIFY(!files.Read(dir.path(), 100).bytes);
  }
  void refusesWhatIsNoRegularFile() {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    QVERIFY(Write(path("real"), "x"));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QVERIFY(QFile::link(path("real"), path("link")));
    QVERIFY(QFile::link(path("gone"), path("dangling")));
    QVERIFY(QFile::link(path("loop"), path("loop")));
    using State = FileReadStatus;
    const QList<std::pair<QString, State>> cases = {
        {path("real"), State::Ok},         {path("link"), State::Ok},
        {path("missing"), State::Missing}, {path("dangling"), State::Missing},
        {QString(), State::Missing},       {path("fifo"), State::NotRegular},
        {path("loop"), State::Unreadable}, {path("real/under"), State::Missing},
    };
    for (const auto& [name, state] : cases) {
      const TReadOnlyFile file(name);  // a FIFO opened for reading would wait here for a writer
      QVERIFY2(file.Status() == state, qPrintable(name));
      if (state != State::Ok)
        QCOMPARE((std::tuple{name, file.IsOpen(), file.Size(), bool(file.ReadAt(0, 0))}),
                 (std::tuple{name, false, qint64(0), false}));
    }
  }
};

QTEST_GUILESS_MAIN(TestReadOnlyFile)
#include "TestReadOnlyFile.moc"
