// The headless tour over copies of the demo content, each damaged one way: every run ends in
// time, does not crash, names the damaged file on stderr, exits non-zero, and changes nothing
// in the content folder but its temporary folder.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <functional>

#include <sys/stat.h>

namespace {

constexpr int kTourTimeoutMs = 60000;

bool Cut(const QString& path, double fraction) {
  return QFile::resize(path, static_cast<qint64>(QFileInfo(path).size() * fraction));
}
// Flips (xor 0xFF) the byte at `at`; a negative offset counts from the end.
bool Flip(const QString& path, qint64 at) {
  QFile f(path);
  QByteArray bytes = f.open(QIODevice::ReadWrite) ? f.readAll() : QByteArray();
  if (at < 0) at += bytes.size();
  if (at < 0 || at >= bytes.size()) return false;
  bytes[at] = static_cast<char>(bytes[at] ^ 0xFF);
  return f.seek(0) && f.write(bytes) == bytes.size();
}
bool Replace(const QString& path, const QByteArray& bytes) {
  QFile::remove(path);
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
// A PCX header declaring a 32768 x 32768 picture of 8 bits, and a few bytes of data.
QByteArray HugePcx() {
  QByteArray pcx(128, '\0');
  pcx[0] = 10, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8;
  pcx[8] = pcx[10] = char(0xFF), pcx[9] = pcx[11] = 0x7F;
  pcx[65] = 1, pcx[66] = 0, pcx[67] = char(0x80);  // one plane of 32768 bytes a line
  return pcx + QByteArray(64, '\x11');
}
// Every file below `root` but the temporary folder, with size and modification time.
QStringList Listing(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    const QString name = QDir(root).relativeFilePath(info.filePath());
    if (name == "T" || name.startsWith("T/")) continue;
    files << name + " " + QString::number(info.isFile() ? info.size() : -1) + " " +
                 QString::number(info.lastModified().toMSecsSinceEpoch());
  }
  files.sort();
  return files;
}

}  // namespace

class TestDamagedContent : public QObject {
  Q_OBJECT

 private slots:
  void damagedContentIsReportedNeverHangs_data() {
    QTest::addColumn<std::function<bool(const QDir&)>>("damage");
    QTest::addColumn<QString>("named");  // what stderr must name
    using D = std::function<bool(const QDir&)>;
    const auto cut = [](const char* file, double at) {
      return D([=](const QDir& d) { return Cut(d.filePath(file), at); });
    };
    for (double at : {0.3, 0.999})
      QTest::addRow("photos cut at %g", at) << cut("olvf.dat", at) << "olvf.dat";
    QTest::newRow("photo members flipped") << D([](const QDir& d) {
      const qint64 n = QFileInfo(d.filePath("olvf.dat")).size();
      QFile f(d.filePath("olvf.dat"));
      if (!f.open(QIODevice::ReadWrite)) return false;
      for (qint64 at = 200; at < n * 9 / 10; at += 997) f.seek(at), f.write("\x5A\xA5", 2);
      return true;
    }) << "olvf.dat";
    // One byte flipped (negative: from the end): the enamel index length, the page text count,
    // the language header and its password marker.
    for (const auto& [file, at] :
         {std::pair{"olve.dat", -1}, {"d/olv.dat", 2}, {"d/olv.lng", 8}, {"d/olv.lng", 17}})
      QTest::addRow("%s byte %d flipped", file, at)
          << D([file, at](const QDir& d) { return Flip(d.filePath(file), at); })
          << QFileInfo(file).fileName();
    for (const char* file : {"d/olv.dat", "d/ol44.cat"})
      QTest::addRow("%s cut in half", file) << cut(file, 0.5) << QFileInfo(file).fileName();
    QTest::newRow("language empty")
        << D([](const QDir& d) { return Replace(d.filePath("d/olv.lng"), {}); }) << "olv.lng";
    QTest::newRow("catalogue a folder") << D([](const QDir& d) {
      return QFile::remove(d.filePath("d/ol44.cat")) && d.mkdir("d/ol44.cat");
    }) << "ol44.cat";
    QTest::newRow("catalogue a FIFO") << D([](const QDir& d) {
      return QFile::remove(d.filePath("d/ol44.cat")) &&
             ::mkfifo(QFile::encodeName(d.filePath("d/ol44.cat")), 0600) == 0;
    }) << "ol44.cat";
    QTest::newRow("page texts a device") << D([](const QDir& d) {
      return QFile::remove(d.filePath("d/olv.dat")) &&
             QFile::link("/dev/zero", d.filePath("d/olv.dat"));
    }) << "olv.dat";
    QTest::newRow("backgrounds huge") << D([](const QDir& d) {
      bool ok = true;
      for (const QString& name : QDir(d.filePath("i/b")).entryList(QDir::Files))
        ok = Replace(d.filePath("i/b/" + name), HugePcx()) && ok;
      return ok;
    }) << "i/b/";
    // Every background replaced by a FIFO, a link to a device, a sparse file too large to read.
    const std::pair<const char*, std::function<bool(const QString&)>> unreadable[] = {
        {"FIFO", [](const QString& path) { return ::mkfifo(QFile::encodeName(path), 0600) == 0; }},
        {"link to /dev/zero", [](const QString& path) { return QFile::link("/dev/zero", path); }},
        {"sparse 2 GB",
         [](const QString& path) { return Replace(path, {}) && QFile::resize(path, 2LL << 30); }},
    };
    for (const auto& [kind, make] : unreadable) {
      QTest::addRow("backgrounds a %s", kind) << D([make](const QDir& d) {
        bool ok = true;
        for (const QString& name : QDir(d.filePath("i/b")).entryList(QDir::Files))
          ok = QFile::remove(d.filePath("i/b/" + name)) && make(d.filePath("i/b/" + name)) && ok;
        return ok;
      }) << "i/b/";
    }
    QTest::newRow("member name with ..\\") << D([](const QDir& d) {
      // The first catalogue item and its photo member renamed (the same field; a longer index).
      const QByteArray from = "F1001", to = "..\\..\\F1001";
      QFile catalogue(d.filePath("d/ol44.cat")), photos(d.filePath("olvf.dat"));
      if (!catalogue.open(QIODevice::ReadWrite) || !photos.open(QIODevice::ReadWrite)) return false;
      QByteArray c = catalogue.readAll(), a = photos.readAll();
      const qsizetype at = c.indexOf(from + QByteArray(11, '\0'));
      const qint32 n = qFromLittleEndian<qint32>(a.constData() + a.size() - 4);
      QByteArray index = a.mid(a.size() - 4 - n, n).replace(from + "=", to + "=");
      a = a.left(a.size() - 4 - n) + index + QByteArray(4, '\0');
      qToLittleEndian<qint32>(static_cast<qint32>(index.size()), a.data() + a.size() - 4);
      return at > 0 && catalogue.seek(0) &&
             catalogue.write(c.replace(at, to.size(), to)) == c.size() && photos.seek(0) &&
             photos.write(a) == a.size();
    }) << "..\\..\\F1001 in ";
  }
  void damagedContentIsReportedNeverHangs() {
    QFETCH(std::function<bool(const QDir&)>, damage);
    QFETCH(QString, named);
    QTemporaryDir data, tour, home;
    QDir content(data.path());
    const QDir demo(ORLAVENTIS_DEMO_CONTENT);
    for (const QString name : {"olvf.dat", "olve.dat"})
      QVERIFY(QFile::copy(demo.filePath(name), content.filePath(name)));
    for (const QString folder : {"d", "i/b", "help"}) {
      QVERIFY(content.mkpath(folder));
      for (const QString& name : QDir(demo.filePath(folder)).entryList(QDir::Files))
        QVERIFY(
            QFile::copy(demo.filePath(folder + "/" + name), content.filePath(folder + "/" + name)));
    }
    QVERIFY(damage(content));
    const QStringList before = Listing(data.path());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
      env.insert(name, home.path());
    // Under the sanitizers these runs check memory errors, not leaks (the tour's own tests do):
    // started from here, LeakSanitizer's exit scan of one of them crashes in its tracer.
    if (env.contains("ASAN_OPTIONS"))
      env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    program.setProcessEnvironment(env);
    program.start(ORLAVENTIS_PROGRAM, {"--data", data.path(), "--tour", tour.path(), "--screen",
                                       "800x600", "--language", "44"});
    const bool ended = program.waitForFinished(kTourTimeoutMs);
    if (!ended) program.kill(), program.waitForFinished();
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(ended, "the tour did not end in time");
    QCOMPARE((std::pair{program.exitStatus(), program.exitCode()}),
             (std::pair{QProcess::NormalExit, 4}));
    for (const QString& said : {named, QStringLiteral("the tour met")})
      QVERIFY2(errors.contains(said), qPrintable(errors));
    QCOMPARE(Listing(data.path()), before);
    QCOMPARE(QDir(data.filePath("T")).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList());
  }
};

QTEST_GUILESS_MAIN(TestDamagedContent)
#include "TestDamagedContent.moc"
