// Tests of "olvtool build" against what a careless or hostile publisher writes: nothing lost or
// misstated, nothing from outside the project published, and OUT always one whole work.
#include "ArchiveWriter.h"
#include "ProjectFixture.h"
#include "database/DatabaseFixture.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using dbfixture::Olvtool;
using dbfixture::Run;

namespace {

constexpr char kItemsHead[] = "Item Number,Photo,Header 31,Header 33,Header 44,Description 44\n";

// Every file below `dir` (but the build's own record) with its bytes, by relative path.
QMap<QString, QByteArray> Files(const QString& dir) {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (it.fileName() != ".olvtool-build") files.insert(QDir(dir).relativeFilePath(path), dbfixture::ReadFile(path));
  }
  return files;
}

bool CopyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next(), target = QDir(to).filePath(QDir(from).relativeFilePath(path));
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(path, target)) return false;
  }
  return true;
}

// The staging folders beside `out` (left by a build that was killed).
QStringList Stages(const QString& out) {
  return QFileInfo(out).absoluteDir().entryList({"." + QFileInfo(out).fileName() + ".olvtool-stage-*"},
                                                 QDir::Dirs | QDir::Hidden);
}

// True when `r` failed with exit code 1 and its stderr has a line starting with each of `lines`.
bool Refused(const Run& r, const QStringList& lines) {
  bool ok = r.finished && r.code == 1;
  for (const QString& line : lines) ok = ok && !r.err.split('\n').filter(QRegularExpression("^" + QRegularExpression::escape(line))).isEmpty();
  if (!ok) qWarning().noquote() << "exit" << r.code << (r.finished ? "" : "(unfinished)") << "stderr:\n" << r.err;
  return ok;
}

bool Replace(const QString& path, const QByteArray& from, const QByteArray& to) {
  QByteArray bytes = dbfixture::ReadFile(path);
  return bytes.contains(from) && dbfixture::WriteFile(path, bytes.replace(from, to));
}

// A picture of noise (large enough that damage past its first bytes breaks it).
bool WriteNoise(const QString& path, quint32 seed) {
  QImage image(160, 120, QImage::Format_RGB32);
  QRandomGenerator random(seed);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random.generate() | 0xFF000000u);
  return image.save(path);
}

}  // namespace

class TestProjectBuild : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QDir p_, top_;
  QString out_;

  Run Build(const QStringList& env = {}, int timeoutMs = 120000) { return Olvtool({"build", p_.path(), out_}, env, timeoutMs); }

 private slots:
  void init() {
    top_ = QDir(tmp_.filePath(QTest::currentTestFunction()));
    p_ = QDir(top_.filePath("project"));
    out_ = top_.filePath("out");
    WriteProject(p_);
  }

  // A quote that never closes would swallow the rows after it: refused at the quote, in CSV and
  // TSV alike. A semicolon CSV in Windows-1252, as a French spreadsheet saves it, is read whole.
  void itemsTables() {
    const QByteArray rows = "A1,p/a.jpg,a,a,a,d1\nB2,p/b.png,b,b,b,\"d44 unclosed\nC3,p/a.jpg,c,c,c,d3\nD4,p/b.png,d,d,d,d4\n";
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.csv"), kItemsHead + rows));
    QVERIFY(Refused(Build(), {"items.csv:3:18: quote never closed"}));
    QVERIFY(QFile::remove(p_.filePath("items.csv")));
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.tsv"), QByteArray(kItemsHead + rows).replace(',', '\t')));
    QVERIFY(Refused(Build(), {"items.tsv:3:18: quote never closed"}));
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.tsv"), QByteArray(kItemsHead).replace(',', '\t') + "A1\tp/a.jpg\t\"a\"b\ta\ta\td\n"));
    QVERIFY(Refused(Build(), {"items.tsv:2:15: text after the closing quote of the cell at column 12"}));
    QVERIFY(!QFileInfo::exists(out_));
    QVERIFY(QFile::remove(p_.filePath("items.tsv")));
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.csv"), "Item Number;Photo;Header 31;Header 33;Header 44\r\n"
                                                           "A1;p/a.jpg;Ros\xE9;Ros\xE9;\"Ros\xE9; \x93one\x94\"\r\nB2;p/b.png;b;b;b\r\n"));
    const Run r = Build();
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("note: items.csv: not UTF-8, read as Windows-1252"), qPrintable(r.err));
    const QString dump = Olvtool({"db", "dump", QDir(out_).filePath("d/ol44.cat")}).out;
    QVERIFY2(dump.contains(QString::fromUtf8("Rosé; “one”")), qPrintable(dump));
    QVERIFY(dump.contains("B2"));
  }

  // Separators in a text would add outline items, shift cells or add rows: every text must
  // read back as written, or it is a problem at its place.
  void productionTextsRoundTrip() {
    QVERIFY(dbfixture::WriteFile(p_.filePath("records.json"), "{\"intro\": {\"31\": [\"a\"], \"33\": [\"b\"], \"44\": [\"c\"]},\n"
        "      \"outline\": [{\"title\": \"Identification\\n\\t\\t\\t\\tINJECTED LINE\", \"children\": [\n"
        "        {\"key\": \"Prod_A\", \"caption\": \"Series\", \"columns\": {\"31\": [\"x\", \"y\"], \"33\": [\"x\", \"y\"], \"44\": [\"x\", \"y\"]},\n"
        "         \"rows\": [[\"Série I@EXTRA CELL\", \"2\"], [\"one\\ntwo\", \"3\"], [\"fine\", \"4\"]]}]}]}"));
    const Run r = Build();
    QVERIFY(Refused(r, {"records.json: outline[0].title.44: a line break",
                        "records.json: outline[0].children[0].rows[0] in language 44: \"@\" or a line break",
                        "records.json: outline[0].children[0].rows[1] in language 44: \"@\" or a line break"}));
    QVERIFY(!r.err.contains("rows[2]"));
  }

  // Item numbers no reader accepts, and control characters that would reach a terminal.
  void itemNumbers() {
    for (const QByteArray& number : {QByteArray("."), QByteArray(".."), QByteArray("a\x01"), QByteArray("a\x1b[31mred"),
                                     QByteArray("a\x7f"), QByteArray("\"a\nb\""), QByteArray("a/b"), QByteArray(" a")}) {
      QVERIFY(dbfixture::WriteFile(p_.filePath("items.csv"), kItemsHead + number + ",p/a.jpg,h,h,h,d\n"));
      const Run r = Build();
      QVERIFY2(Refused(r, {"items.csv:2:1: Item Number:"}), number.constData());
      for (QChar control : {QChar(0x1b), QChar(0x01), QChar(0x7f)}) QVERIFY2(!r.err.contains(control), qPrintable(r.err));
    }
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.csv"), kItemsHead + QByteArray("a\0b,p/a.jpg,h,h,h,d\n", 20)));
    QVERIFY(Refused(Build(), {"items.csv:2:2: a NUL character"}));
    olvtool::ArchiveWriter writer;
    QVERIFY(writer.Add("x\x1b[2Jy", "data", QDateTime(QDate(2000, 1, 1), QTime(0, 0))));
    QString error;
    QVERIFY(writer.Write(top_.filePath("a.dat"), &error));
    const Run list = Olvtool({"archive", "list", top_.filePath("a.dat")});
    QCOMPARE(list.code, 0);
    QVERIFY2(list.out.startsWith("x\\x1b[2Jy\t"), qPrintable(list.out));
    QVERIFY2(!list.out.contains(QChar(0x1b)), qPrintable(list.out));
  }

  // Nothing outside the project folder is published, through a path or a link.
  void pathsStayInTheProject() {
    const QString secret = top_.filePath("private/secret.jpg");
    QVERIFY(QDir().mkpath(top_.filePath("private")));
    QVERIFY(QFile::copy(p_.filePath("p/a.jpg"), secret));
    for (const char* name : {"help.html", "pictures/cars/RD_RD.jpg"}) QVERIFY(QFile::remove(p_.filePath(name)));
    for (const char* name : {"help.html", "p/link.jpg", "pictures/cars/RD_RD.jpg"}) QVERIFY(QFile::link(secret, p_.filePath(name)));
    QVERIFY(dbfixture::WriteFile(p_.filePath("items.csv"), kItemsHead + ("A1," + secret.toUtf8() + ",h,h,h,d\n"
                                                                         "A2,../private/secret.jpg,h,h,h,d\nA3,p/link.jpg,h,h,h,d\n")));
    QVERIFY(Refused(Build(), {"help.html: \"help.html\" is a link to a file outside the project folder",
                              "items.csv:2:4: Photo: \"" + secret + "\" is an absolute path",
                              "items.csv:3:4: Photo: \"../private/secret.jpg\" lies outside the project folder",
                              "items.csv:4:4: Photo: \"p/link.jpg\" is a link to a file outside",
                              "pictures/cars/RD_RD.jpg: \"pictures/cars/RD_RD.jpg\" is a link to a file outside"}));
    QVERIFY(!QFileInfo::exists(out_));
    QCOMPARE(Stages(out_), QStringList());
  }

  // A span of years is checked before anything is expanded over it: refused at once.
  void spansAndNumbers() {
    const QByteArray good = dbfixture::ReadFile(p_.filePath("enamel.json"));
    const struct { QByteArray from, to; QString line; } kCases[] = {
        {"\"model_years\": [1960, 1961]", "\"model_years\": [1, 2147483647]", "enamel.json: model_years: 1 to 2147483647 is no span"},
        {"\"model_years\": [1960, 1961]", "\"model_years\": [1, 100000000]", "enamel.json: model_years: 1 to 100000000 is no span"},
        {"\"model_years\": [1960, 1961]", "\"model_years\": [1, 5000]", "enamel.json: model_years: 1 to 5000 spans more than 200"},
        {"{\"years\": [1960, 1961], \"paint\"", "{\"years\": [1, 5000000], \"paint\"", "enamel.json: eras[0].years: 1 to 5000000"},
        {"\"body\": \"s4\", \"years\": [1960, 1961]", "\"body\": \"s4\", \"years\": [1961, 1960]", "enamel.json: models[0].years: 1961 to 1960"}};
    for (const auto& c : kCases) {
      QVERIFY(dbfixture::WriteFile(p_.filePath("enamel.json"), QByteArray(good).replace(c.from, c.to)));
      QVERIFY(Refused(Build({}, 30000), {c.line}));
    }
    // Numbers a database field cannot hold are found before anything is written, too.
    QVERIFY(dbfixture::WriteFile(p_.filePath("enamel.json"), QByteArray(good).replace("[\"01\"]", "[\"01\", \"01\", \"01\", \"01\", \"01\", \"01\", \"01\"]")));
    QVERIFY(Replace(p_.filePath("language.json"), "\"id\": 31", "\"id\": 70000"));
    QVERIFY(Refused(Build(), {"enamel.json: eras[0].trim[0][1]: more than 6 fabric colours",
                              "language.json: languages[0].id: 70000 is not from 0 to 65535"}));
  }

  // Killed before any change it makes to the file system, the build leaves OUT byte for byte the
  // old work or the new one, the publisher's own files in it kept; the next build removes what
  // the killed one staged.
  void killedAtEveryStep() {
    QVERIFY(Build().code == 0);
    QVERIFY(dbfixture::WriteFile(QDir(out_).filePath("notes.txt"), "mine"));
    QVERIFY(QDir(out_).mkpath("mine/deep"));
    QVERIFY(dbfixture::WriteFile(QDir(out_).filePath("mine/deep/keep.txt"), "kept"));
    const QString saved = top_.filePath("saved");
    QVERIFY(CopyTree(out_, saved));
    const QMap<QString, QByteArray> before = Files(out_);
    QVERIFY(WriteNoise(p_.filePath("p/b.png"), 7));
    QVERIFY(Replace(p_.filePath("items.csv"), "Blauw", "Groen"));
    QVERIFY(CopyTree(saved, top_.filePath("new")));
    QCOMPARE(Olvtool({"build", p_.path(), top_.filePath("new")}).code, 0);
    const QMap<QString, QByteArray> after = Files(top_.filePath("new"));
    QVERIFY(after != before);
    QCOMPARE((QList{after.value("notes.txt"), after.value("mine/deep/keep.txt")}), (QList<QByteArray>{"mine", "kept"}));
    int step = 1, asNew = 0;
    for (;; ++step) {
      QVERIFY(QDir(out_).removeRecursively());
      QVERIFY(CopyTree(saved, out_));
      const Run r = Build({QStringLiteral("OLVTOOL_TEST_KILL_AT=%1").arg(step)});
      const QMap<QString, QByteArray> now = Files(out_);
      QVERIFY2((QList{before, after}).contains(now), qPrintable(QStringLiteral("a mixed work after a kill at step %1").arg(step)));
      if (r.code == 0) break;
      QVERIFY2(r.code == -1, qPrintable(r.err));
      asNew += now == after;
      QVERIFY(step < 500);
    }
    QCOMPARE_GT(step, 10);
    QCOMPARE_GE(asNew, 1);  // stops after the swap
    QVERIFY(QDir(out_).removeRecursively());
    QVERIFY(CopyTree(saved, out_));
    QCOMPARE(Build({"OLVTOOL_TEST_KILL_AT=3"}).code, -1);
    QCOMPARE(Stages(out_).size(), 1);
    QCOMPARE(Build().code, 0);
    QCOMPARE(Stages(out_), QStringList());
    QVERIFY(Files(out_) == after);
  }

  // A full disk, a folder where an output goes, or Ctrl+C at any step: OUT as it was, said so.
  void failuresLeaveTheOldWork() {
    QVERIFY(Build().code == 0);
    const QMap<QString, QByteArray> before = Files(out_);
    QVERIFY(WriteNoise(p_.filePath("p/b.png"), 8));
    for (int step = 1;; ++step) {
      const Run r = Build({QStringLiteral("OLVTOOL_TEST_NOSPACE_AT=%1").arg(step)});
      if (r.code == 0) break;
      QVERIFY(Refused(r, {}));
      for (const QString& said : {QStringLiteral("No space left on device"), out_ + " left as it was"}) QVERIFY2(r.err.contains(said), qPrintable(r.err));
      QVERIFY(Files(out_) == before);
      QCOMPARE(Stages(out_), QStringList());
      QVERIFY(step < 500);
    }
    const QMap<QString, QByteArray> built = Files(out_);
    QVERIFY(built != before);
    QVERIFY(WriteNoise(p_.filePath("p/b.png"), 9));
    const Run interrupted = Build({"OLVTOOL_TEST_INTERRUPT_AT=3"});
    QVERIFY(Refused(interrupted, {"olvtool build: interrupted; " + out_ + " left as it was"}));
    QVERIFY(Files(out_) == built);
    QCOMPARE(Stages(out_), QStringList());
    QVERIFY(QFile::remove(QDir(out_).filePath("help/index.html")));
    QVERIFY(QDir(out_).mkpath("help/index.html"));
    QVERIFY(dbfixture::WriteFile(QDir(out_).filePath("help/index.html/page.txt"), "x"));
    const QMap<QString, QByteArray> blocked = Files(out_);
    QVERIFY(Refused(Build(), {out_ + ": " + QDir(out_).filePath("help/index.html") + ": not a regular file"}));
    QVERIFY(Files(out_) == blocked);
    QCOMPARE(Stages(out_), QStringList());
    // A folder that holds the project is never swapped away.
    QVERIFY(Refused(Olvtool({"build", p_.path(), top_.path()}), {top_.path() + ": holds the project folder"}));
  }

  // A picture damaged with its size and time kept is decoded again, not taken from the record.
  void damageBehindAKeptTime() {
    QVERIFY(WriteNoise(p_.filePath("p/b.png"), 1));
    QCOMPARE(Build().code, 0);
    QFile photo(p_.filePath("p/b.png"));
    const QDateTime time = QFileInfo(photo).lastModified();
    const qint64 size = photo.size();
    QVERIFY(photo.open(QIODevice::ReadWrite));
    QVERIFY(photo.seek(600));
    QCOMPARE(photo.write(QByteArray(size - 600, '\0')), size - 600);
    QVERIFY(photo.setFileTime(time, QFileDevice::FileModificationTime));
    photo.close();
    QCOMPARE((std::tuple{QFileInfo(photo).lastModified(), QFileInfo(photo).size()}), (std::tuple{time, size}));
    QVERIFY(WriteNoise(p_.filePath("p/a.jpg"), 2));
    QVERIFY(Refused(Build(), {"items.csv:3:27: Photo: p/b.png: does not decode"}));
    // The record holds paths inside the project only.
    QVERIFY(!dbfixture::ReadFile(QDir(out_).filePath(".olvtool-build")).contains(p_.path().toUtf8()));
  }

  // Every text too long for its field, in every source, named in one run.
  void textsTooLongAllAtOnce() {
    QVERIFY(Replace(p_.filePath("catalogue.json"), "\"Exterior\"", '"' + QByteArray(300, 'g') + '"'));
    const QByteArray catalogue = dbfixture::ReadFile(p_.filePath("catalogue.json"));
    const qsizetype places = catalogue.indexOf("\"places\": {");
    QVERIFY(places > 0);
    QVERIFY(dbfixture::WriteFile(p_.filePath("catalogue.json"), QByteArray(catalogue).insert(places + 11, "\"far\": \"" + QByteArray(51, 'p') + "\", ")));
    QVERIFY(Replace(p_.filePath("enamel.json"), "[[\"RD\", {\"31\": \"Rood\"", "[[\"RD\", {\"31\": \"" + QByteArray(300, 'r') + '"'));
    QVERIFY(Refused(Build(), {"catalogue.json: groups[0].44: too long for its field (300 bytes, at most 63)",
                              "catalogue.json: places.far: too long for its field (51 bytes, at most 40)",
                              "enamel.json: coach_colours[0][1].31: too long for its field (300 bytes, at most 63)"}));
  }

  // Cells as spreadsheets write them, and the other small faults of the sources.
  void smallerFaults() {
    QVERIFY(Replace(p_.filePath("items.csv"), ",1960,", ", 1960 ,"));
    QVERIFY(Build().code == 0);
    QVERIFY(Olvtool({"db", "dump", QDir(out_).filePath("d/ol44.cat")}).out.contains("| 1960 |"));
    QVERIFY(Replace(p_.filePath("items.csv"), ", 1960 ,", ",+1960,"));
    QVERIFY(Refused(Build(), {"items.csv:2:6: Year: \"+1960\" is not a year"}));
    QVERIFY(Replace(p_.filePath("items.csv"), ",+1960,", ",1960,"));
    QVERIFY(Replace(p_.filePath("items.csv"), "Header 44", QByteArray("Header\0 44", 10)));
    QVERIFY(Refused(Build(), {"items.csv:1:"}));
    QVERIFY(Replace(p_.filePath("items.csv"), QByteArray("Header\0 44", 10), "Header 44"));
    QVERIFY(Replace(p_.filePath("catalogue.json"), "Exterior", "Ext\xE9rieur"));
    const Run r = Build();
    QVERIFY(Refused(r, {"catalogue.json:"}));
    QVERIFY2(r.err.contains("not UTF-8 text (byte 0xe9)"), qPrintable(r.err));
    // A decoder's own warning (libpng: an ancillary chunk with a bad CRC) fails nothing and is
    // said apart from the problems.
    QByteArray png = dbfixture::ReadFile(p_.filePath("p/b.png"));
    QCOMPARE_GT(png.size(), 33);
    QVERIFY(Replace(p_.filePath("catalogue.json"), "Ext\xE9rieur", "Exterior"));
    QVERIFY(dbfixture::WriteFile(p_.filePath("p/b.png"), png.insert(33, QByteArray("\0\0\0\5tEXta\0bcd\0\0\4\xD2", 17))));
    const Run warned = Build();
    QCOMPARE(warned.code, 0);
    QVERIFY2(warned.err.contains("decoders also said (no problem for the work):\n  libpng warning:"), qPrintable(warned.err));
    QVERIFY(QDir().mkpath(top_.filePath("pack")));
    QCOMPARE(::mkfifo(QFile::encodeName(top_.filePath("pack/pipe")).constData(), 0600), 0);
    const Run pack = Olvtool({"archive", "pack", top_.filePath("pack"), top_.filePath("pack.dat")}, {}, 20000);
    QCOMPARE((std::tuple{pack.finished, pack.code}), (std::tuple{true, 1}));
    QVERIFY2(pack.err.contains("pipe: not a regular file"), qPrintable(pack.err));
  }
};

QTEST_GUILESS_MAIN(TestProjectBuild)
#include "TestProjectBuild.moc"
