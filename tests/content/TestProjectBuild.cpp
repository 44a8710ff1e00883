// Tests of "olvtool build": a project becomes a work the program shows; whatever a careless or
// hostile publisher writes, nothing is lost, misstated or taken from outside the project, and OUT
// stays one whole work.
#include "ArchiveWriter.h"
#include "database/DatabaseFixture.h"

#include <QImage>
#include <QtTest>

#include <sys/stat.h>

using namespace dbfixture;
using namespace fixture;
using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList kContentFiles = {"olvf.dat",   "olve.dat",   "d/olv.dat", "d/olv.lng",
                                   "d/ol31.cat", "d/ol33.cat", "d/ol44.cat"};
constexpr char kItemsHead[] = "Item Number,Photo,Header 31,Header 33,Header 44,Description 44\n";

// Every file below `dir` (but the build's own record) with its bytes, by relative path.
QMap<QString, QByteArray> Files(const QString& dir) {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (it.fileName() != ".olvtool-build") files[QDir(dir).relativeFilePath(path)] = ReadFile(path);
  }
  return files;
}
// Replaces whatever is at `to` with a copy of the files below `from`.
bool CopyTree(const QString& from, const QString& to) {
  if (!QDir(to).removeRecursively()) return false;
  QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next(), target = QDir(to).filePath(QDir(from).relativeFilePath(path));
    if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(path, target)) return false;
  }
  return true;
}
// The staging folders beside `out` (left by a build that was killed).
QStringList Stages(const QString& out) {
  const QFileInfo i(out);
  return i.dir().entryList({"." + i.fileName() + ".olvtool-stage-*"}, QDir::Dirs | QDir::Hidden);
}
// How many lines of `text` start with `start`.
qsizetype Starting(const QString& text, const QString& start) {
  const QRegularExpression re("^" + QRegularExpression::escape(start));
  return text.split('\n').filter(re).size();
}
// True when `r` failed with exit code 1 and its stderr has a line starting with each of `lines`.
bool Refused(const Run& r, const QStringList& lines) {
  bool ok = r.finished && r.code == 1;
  for (const QString& line : lines) ok = ok && Starting(r.err, line) > 0;
  if (!ok) qWarning().noquote() << "exit" << r.code << r.finished << "stderr:\n" << r.err;
  return ok;
}
bool Replace(const QString& path, const QByteArray& from, const QByteArray& to) {
  QByteArray bytes = ReadFile(path);
  return bytes.contains(from) && WriteFile(path, bytes.replace(from, to));
}
// A picture of noise (large enough that damage past its first bytes breaks it).
bool WriteNoise(const QString& path, quint32 seed) {
  QImage image(160, 120, QImage::Format_RGB32);
  QRandomGenerator random(seed);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, random.generate() | 0xFF000000u);
  return image.save(path);
}
// How many pixels of `image` lie within 24 of `k` in every channel.
int Near(const QImage& image, QColor k) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const auto d = [](int a, int b) { return std::abs(a - b) < 24; };
      n += d(c.red(), k.red()) && d(c.green(), k.green()) && d(c.blue(), k.blue());
    }
  return n;
}
// A small project of the test's own in `p`: the demo's language, records and catalogue texts, one
// paint and trim, two items in items.csv with a JPEG and a PNG photo of one colour each.
void WriteProject(const QDir& p) {
  for (auto f : {"pictures/slides", "pictures/cars", "pictures/seats", "p"}) QVERIFY(p.mkpath(f));
  for (const char* f : {"language.json", "records.json", "catalogue.json", "help.html"})
    QVERIFY(QFile::copy(QDir(ORLAVENTIS_CONTENT_SOURCES).filePath(f), p.filePath(f)));
  QByteArray enamel = R"({"coach_colours": [["RD", $]], "roof_colours": [],
    "fabric_materials": [["CL", $]], "fabric_colours": [["01", $]], "model_years": [1960, 1961],
    "models": [{"name": $, "body": "s4", "years": [1960, 1961]}],
    "eras": [{"years": [1960, 1961], "paint": [["RD", null, [1]]],
              "trim": [["CL", ["01"], [1]]]}]})";
  enamel.replace("$", R"({"31": "Rood", "33": "Rouge", "44": "Red"})");
  QVERIFY(WriteFile(p.filePath("enamel.json"), enamel));
  QVERIFY(WriteFile(p.filePath("items.csv"),
                    "Item Number,Group,Year,Body,Coach,Date,Photo,Header 31,Header 33,Header 44\n"
                    "A1,1,1960,1,RD,1960-05-01,p/a.jpg,Rood,Rouge,\"Red, \"\"one\"\"\"\r\n"
                    "B2,2,1961,2,RD,1961-06-02,p/b.png,Blauw,Bleu,Blue\n"));
  QImage solid(64, 48, QImage::Format_RGB32);
  solid.fill(Qt::gray);
  for (int n = 1; n <= 10; ++n) QVERIFY(solid.save(p.filePath("pictures/slides/%1.png").arg(n)));
  QVERIFY(solid.save(p.filePath("pictures/cars/RD_RD.jpg")));
  QVERIFY(solid.save(p.filePath("pictures/seats/CL01.bmp")));
  solid.fill(QColor(255, 0, 255));
  QVERIFY(solid.save(p.filePath("p/a.jpg"), "JPEG", 95));
  solid.fill(QColor(0, 255, 128));
  QVERIFY(solid.save(p.filePath("p/b.png")));
}

}  // namespace

class TestProjectBuild : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QDir p_, top_;
  QString out_;

  Run Build(const QStringList& env = {}, int ms = 120000) {
    return Olvtool({"build", p_.path(), out_}, env, ms);
  }
  // Paths of files in the project and in the built work.
  QString In(const QString& name) const { return p_.filePath(name); }
  QString Out(const QString& name) const { return QDir(out_).filePath(name); }

 private slots:
  void init() {
    top_ = QDir(tmp_.filePath(QString(QTest::currentTestFunction()) + QTest::currentDataTag()));
    p_ = QDir(top_.filePath("project"));
    out_ = top_.filePath("out");
    WriteProject(p_);
  }
  // A quote that never closes would swallow the rows after it: refused at the quote, in CSV and
  // TSV alike. A semicolon CSV in Windows-1252, as a French spreadsheet saves it, is read whole.
  void itemsTables() {
    const QByteArray rows =
        "A1,p/a.jpg,a,a,a,d1\nB2,p/b.png,b,b,b,\"d44 unclosed\n"
        "C3,p/a.jpg,c,c,c,d3\nD4,p/b.png,d,d,d,d4\n";
    QVERIFY(WriteFile(In("items.csv"), kItemsHead + rows));
    QVERIFY(Refused(Build(), {"items.csv:3:18: quote never closed"}));
    QVERIFY(QFile::remove(In("items.csv")));
    QVERIFY(WriteFile(In("items.tsv"), QByteArray(kItemsHead + rows).replace(',', '\t')));
    QVERIFY(Refused(Build(), {"items.tsv:3:18: quote never closed"}));
    const QByteArray tsv =
        QByteArray(kItemsHead).replace(',', '\t') + "A1\tp/a.jpg\t\"a\"b\ta\ta\td\n";
    QVERIFY(WriteFile(In("items.tsv"), tsv));
    QVERIFY(Refused(Build(),
                    {"items.tsv:2:15: text after the closing quote of the cell at column 12"}));
    QVERIFY(!QFileInfo::exists(out_));
    QVERIFY(QFile::remove(In("items.tsv")));
    const QByteArray cp1252 =
        "Item Number;Photo;Header 31;Header 33;Header 44\r\n"
        "A1;p/a.jpg;Ros\xE9;Ros\xE9;\"Ros\xE9; \x93one\x94\"\r\nB2;p/b.png;b;b;b\r\n";
    QVERIFY(WriteFile(In("items.csv"), cp1252));
    const Run r = Build();
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("note: items.csv: not UTF-8, read as Windows-1252"), qPrintable(r.err));
    const QString dump = Olvtool({"db", "dump", Out("d/ol44.cat")}).out;
    QVERIFY2(dump.contains(QString::fromUtf8("Rosé; “one”")), qPrintable(dump));
    QVERIFY(dump.contains("B2"));
  }
  // Separators in a text would add outline items, shift cells or add rows: every text must
  // read back as written, or it is a problem at its place.
  void productionTextsRoundTrip() {
    const QByteArray records = R"({"intro": {"31": ["a"], "33": ["b"], "44": ["c"]},
      "outline": [{"title": "Identification\n\t\t\t\tINJECTED LINE", "children": [
        {"key": "Prod_A", "caption": "Series",
         "columns": {"31": ["x", "y"], "33": ["x", "y"], "44": ["x", "y"]},
         "rows": [["Série I@EXTRA CELL", "2"], ["one\ntwo", "3"], ["fine", "4"]]}]}]})";
    QVERIFY(WriteFile(In("records.json"), records));
    const Run r = Build();
    const QString at = "records.json: outline[0].";
    const QString row = at + "children[0].rows[%1] in language 44: \"@\" or a line break";
    QVERIFY(Refused(r, {at + "title.44: a line break", row.arg(0), row.arg(1)}));
    QVERIFY(!r.err.contains("rows[2]"));
  }
  // Item numbers no reader accepts, and control characters that would reach a terminal.
  void itemNumbers() {
    for (const char* n : {".", "..", "a\x01", "a\x1b[31mred", "a\x7f", "\"a\nb\"", "a/b", " a"}) {
      const QByteArray number(n);
      QVERIFY(WriteFile(In("items.csv"), kItemsHead + number + ",p/a.jpg,h,h,h,d\n"));
      const Run r = Build();
      QVERIFY2(Refused(r, {"items.csv:2:1: Item Number:"}), number.constData());
      for (char16_t c : {0x1b, 0x01, 0x7f}) QVERIFY2(!r.err.contains(QChar(c)), qPrintable(r.err));
    }
    QVERIFY(WriteFile(In("items.csv"), kItemsHead + QByteArray("a\0b,p/a.jpg,h,h,h,d\n", 20)));
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
    QVERIFY(QFile::copy(In("p/a.jpg"), secret));
    for (const char* f : {"help.html", "pictures/cars/RD_RD.jpg"}) QVERIFY(QFile::remove(In(f)));
    for (const char* f : {"help.html", "p/link.jpg", "pictures/cars/RD_RD.jpg"})
      QVERIFY(QFile::link(secret, In(f)));
    const QByteArray rows = ",h,h,h,d\nA2,../private/secret.jpg,h,h,h,d\nA3,p/link.jpg,h,h,h,d\n";
    QVERIFY(WriteFile(In("items.csv"), kItemsHead + ("A1," + secret.toUtf8() + rows)));
    const QString link = "%1: \"%1\" is a link to a file outside";
    const QString photo = "items.csv:%1:4: Photo: \"%2\" ";
    QVERIFY(Refused(Build(),
                    {link.arg("help.html") + " the project folder",
                     photo.arg(2).arg(secret) + "is an absolute path",
                     photo.arg(3).arg("../private/secret.jpg") + "lies outside the project folder",
                     photo.arg(4).arg("p/link.jpg") + "is a link to a file outside",
                     link.arg("pictures/cars/RD_RD.jpg")}));
    QCOMPARE((std::pair{QFileInfo::exists(out_), Stages(out_)}), (std::pair{false, QStringList()}));
  }
  // A span of years is checked before anything is expanded over it: refused at once.
  void spans_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("line");
    const auto row = [](const char* name, QByteArray from, QByteArray to, QString line) {
      QTest::newRow(name) << from << to << "enamel.json: " + line;
    };
    const QByteArray my = "\"model_years\": [", era = "{\"years\": [", body = "4\", \"years\": [";
    const QByteArray y = my + "1960, 1961]";
    // clang-format off
    row("huge", y, my + "1, 2147483647]", "model_years: 1 to 2147483647 is no span");
    row("large", y, my + "1, 100000000]", "model_years: 1 to 100000000 is no span");
    row("long", y, my + "1, 5000]", "model_years: 1 to 5000 spans more than 200");
    row("era", era + "1960, 1961]", era + "1, 5000000]", "eras[0].years: 1 to 5000000");
    row("backwards", body + "1960, 1961]", body + "1961, 1960]", "models[0].years: 1961 to 1960");
    // clang-format on
  }
  void spans() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, line);
    QVERIFY(Replace(In("enamel.json"), from, to));
    QVERIFY(Refused(Build({}, 30000), {line}));
  }
  // Numbers a database field cannot hold are found before anything is written, too.
  void fieldNumbers() {
    const QByteArray seven = "[\"01\", \"01\", \"01\", \"01\", \"01\", \"01\", \"01\"]";
    QVERIFY(Replace(In("enamel.json"), "[\"01\"]", seven));
    QVERIFY(Replace(In("language.json"), "\"id\": 31", "\"id\": 70000"));
    QVERIFY(Refused(Build(), {"enamel.json: eras[0].trim[0][1]: more than 6 fabric colours",
                              "language.json: languages[0].id: 70000 is not from 0 to 65535"}));
  }
  // Killed before any change it makes to the file system, the build leaves OUT byte for byte the
  // old work or the new one, the publisher's own files in it kept; the next build clears the stage.
  void killedAtEveryStep() {
    QVERIFY(Build().code == 0);
    QVERIFY(WriteFile(Out("notes.txt"), "mine"));
    QVERIFY(QDir(out_).mkpath("mine/deep"));
    QVERIFY(WriteFile(Out("mine/deep/keep.txt"), "kept"));
    const QString saved = top_.filePath("saved");
    QVERIFY(CopyTree(out_, saved));
    const QMap<QString, QByteArray> before = Files(out_);
    QVERIFY(WriteNoise(In("p/b.png"), 7));
    QVERIFY(Replace(In("items.csv"), "Blauw", "Groen"));
    QVERIFY(CopyTree(saved, top_.filePath("new")));
    QCOMPARE(Olvtool({"build", p_.path(), top_.filePath("new")}).code, 0);
    const QMap<QString, QByteArray> after = Files(top_.filePath("new"));
    QVERIFY(after != before);
    QCOMPARE((QList{after["notes.txt"], after["mine/deep/keep.txt"]}),
             QByteArrayList({"mine", "kept"}));
    int step = 1, asNew = 0;
    for (;; ++step) {
      QVERIFY(CopyTree(saved, out_));
      const Run r = Build({QStringLiteral("OLVTOOL_TEST_KILL_AT=%1").arg(step)});
      const QMap<QString, QByteArray> now = Files(out_);
      QVERIFY2((QList{before, after}).contains(now), qPrintable(QString::number(step)));
      if (r.code == 0) break;
      QVERIFY2(r.code == -1, qPrintable(r.err));
      asNew += now == after;
      QVERIFY(step < 500);
    }
    QCOMPARE_GT(step, 10);
    QCOMPARE_GE(asNew, 1);  // stops after the swap
    QVERIFY(CopyTree(saved, out_));
    QCOMPARE(Build({"OLVTOOL_TEST_KILL_AT=3"}).code, -1);
    QCOMPARE(Stages(out_).size(), 1);
    QCOMPARE(Build().code, 0);
    QCOMPARE((std::pair{Files(out_) == after, Stages(out_)}), (std::pair{true, QStringList()}));
  }
  // A full disk, a folder where an output goes, or Ctrl+C at any step: OUT as it was, said so.
  void failuresLeaveTheOldWork() {
    QVERIFY(Build().code == 0);
    const QMap<QString, QByteArray> before = Files(out_);
    QVERIFY(WriteNoise(In("p/b.png"), 8));
    for (int step = 1;; ++step) {
      const Run r = Build({QStringLiteral("OLVTOOL_TEST_NOSPACE_AT=%1").arg(step)});
      if (r.code == 0) break;
      QVERIFY(Refused(r, {}));
      for (const QString& said : {QString("No space left on device"), out_ + " left as it was"})
        QVERIFY2(r.err.contains(said), qPrintable(r.err));
      QCOMPARE((std::pair{Files(out_) == before, Stages(out_)}), (std::pair{true, QStringList()}));
      QVERIFY(step < 500);
    }
    const QMap<QString, QByteArray> built = Files(out_);
    QVERIFY(built != before);
    QVERIFY(WriteNoise(In("p/b.png"), 9));
    const Run interrupted = Build({"OLVTOOL_TEST_INTERRUPT_AT=3"});
    QVERIFY(Refused(interrupted, {"olvtool build: interrupted; " + out_ + " left as it was"}));
    QCOMPARE((std::pair{Files(out_) == built, Stages(out_)}), (std::pair{true, QStringList()}));
    QVERIFY(QFile::remove(Out("help/index.html")));
    QVERIFY(QDir(out_).mkpath("help/index.html"));
    QVERIFY(WriteFile(Out("help/index.html/page.txt"), "x"));
    const QMap<QString, QByteArray> blocked = Files(out_);
    QVERIFY(Refused(Build(), {out_ + ": " + Out("help/index.html") + ": not a regular file"}));
    QCOMPARE((std::pair{Files(out_) == blocked, Stages(out_)}), (std::pair{true, QStringList()}));
    // A folder that holds the project is never swapped away.
    const QString top = top_.path();
    QVERIFY(Refused(Olvtool({"build", p_.path(), top}), {top + ": holds the project folder"}));
  }
  // A picture damaged with its size and time kept is decoded again, not taken from the record.
  void damageBehindAKeptTime() {
    QVERIFY(WriteNoise(In("p/b.png"), 1));
    QCOMPARE(Build().code, 0);
    QFile photo(In("p/b.png"));
    const QDateTime time = QFileInfo(photo).lastModified();
    const qint64 size = photo.size();
    QVERIFY(photo.open(QIODevice::ReadWrite));
    QVERIFY(photo.seek(600));
    QCOMPARE(photo.write(QByteArray(size - 600, '\0')), size - 600);
    QVERIFY(photo.setFileTime(time, QFileDevice::FileModificationTime));
    photo.close();
    const QFileInfo info(photo);
    QCOMPARE((std::tuple{info.lastModified(), info.size()}), (std::tuple{time, size}));
    QVERIFY(WriteNoise(In("p/a.jpg"), 2));
    QVERIFY(Refused(Build(), {"items.csv:3:27: Photo: p/b.png: does not decode"}));
    // The record holds paths inside the project only.
    QVERIFY(!ReadFile(Out(".olvtool-build")).contains(p_.path().toUtf8()));
  }
  // Every text too long for its field, in every source, named in one run.
  void textsTooLongAllAtOnce() {
    QVERIFY(Replace(In("catalogue.json"), "\"Exterior\"", '"' + QByteArray(300, 'g') + '"'));
    const QByteArray far = "\"far\": \"" + QByteArray(51, 'p') + "\", ";
    QVERIFY(Replace(In("catalogue.json"), "\"places\": {", "\"places\": {" + far));
    const QByteArray rd = "[[\"RD\", {\"31\": \"";
    QVERIFY(Replace(In("enamel.json"), rd + "Rood\"", rd + QByteArray(300, 'r') + '"'));
    const QString tooLong = "%1: too long for its field (%2 bytes, at most %3)";
    QVERIFY(Refused(Build(), {tooLong.arg("catalogue.json: groups[0].44").arg(300).arg(63),
                              tooLong.arg("catalogue.json: places.far").arg(51).arg(40),
                              tooLong.arg("enamel.json: coach_colours[0][1].31", "300", "63")}));
  }
  // Cells as spreadsheets write them, and the other small faults of the sources.
  void smallerFaults() {
    QVERIFY(Replace(In("items.csv"), ",1960,", ", 1960 ,"));
    QVERIFY(Build().code == 0);
    QVERIFY(Olvtool({"db", "dump", Out("d/ol44.cat")}).out.contains("| 1960 |"));
    QVERIFY(Replace(In("items.csv"), ", 1960 ,", ",+1960,"));
    QVERIFY(Refused(Build(), {"items.csv:2:6: Year: \"+1960\" is not a year"}));
    QVERIFY(Replace(In("items.csv"), ",+1960,", ",1960,"));
    QVERIFY(Replace(In("items.csv"), "Header 44", QByteArray("Header\0 44", 10)));
    QVERIFY(Refused(Build(), {"items.csv:1:"}));
    QVERIFY(Replace(In("items.csv"), QByteArray("Header\0 44", 10), "Header 44"));
    QVERIFY(Replace(In("catalogue.json"), "Exterior", "Ext\xE9rieur"));
    const Run r = Build();
    QVERIFY(Refused(r, {"catalogue.json:"}));
    QVERIFY2(r.err.contains("not UTF-8 text (byte 0xe9)"), qPrintable(r.err));
    // A decoder's own warning (libpng: an ancillary chunk with a bad CRC) fails nothing and is
    // said apart from the problems.
    QByteArray png = ReadFile(In("p/b.png"));
    QCOMPARE_GT(png.size(), 33);
    QVERIFY(Replace(In("catalogue.json"), "Ext\xE9rieur", "Exterior"));
    const QByteArray chunk("\0\0\0\5tEXta\0bcd\0\0\4\xD2", 17);
    QVERIFY(WriteFile(In("p/b.png"), png.insert(33, chunk)));
    const Run warned = Build();
    QCOMPARE(warned.code, 0);
    const char* said = "decoders also said (no problem for the work):\n  libpng warning:";
    QVERIFY2(warned.err.contains(said), qPrintable(warned.err));
    QVERIFY(QDir().mkpath(top_.filePath("pack")));
    QCOMPARE(::mkfifo(QFile::encodeName(top_.filePath("pack/pipe")).constData(), 0600), 0);
    const Run pack = Olvtool({"archive", "pack", top_.filePath("pack"), In("p.dat")}, {}, 20000);
    QCOMPARE((std::tuple{pack.finished, pack.code}), (std::tuple{true, 1}));
    QVERIFY2(pack.err.contains("pipe: not a regular file"), qPrintable(pack.err));
  }
  // A project of ordinary files builds into a work whose Catalog shows its photos; a rebuild with
  // nothing changed keeps every file, a changed photo is packed again; the demo project that
  // "olvtool new" writes builds into the demo work byte for byte.
  void projectBuilds() {
    QCOMPARE(Build().code, 0);
    QProcess tour;
    const QString at = top_.filePath("tour");
    tour.start(ORLAVENTIS_PROGRAM,
               {"--data", out_, "--tour", at, "--language", "44", "--screen", "800x600"});
    QVERIFY(tour.waitForFinished(120000));
    QCOMPARE(tour.exitCode(), 0);
    const QImage catalog(top_.filePath("tour/4-catalog.png"));
    QCOMPARE_GT(Near(catalog, QColor(255, 0, 255)), 2000);  // the photos show
    QCOMPARE_GT(Near(catalog, QColor(0, 255, 128)), 1000);
    const QFileInfo olvf(Out("olvf.dat"));
    const QDateTime built = olvf.lastModified();
    QCOMPARE(Build().code, 0);
    QCOMPARE(QFileInfo(olvf.filePath()).lastModified(), built);
    // A PNG named .jpg is taken as it is.
    QVERIFY(QFile::remove(In("p/a.jpg")));
    QVERIFY(QFile::copy(In("p/b.png"), In("p/a.jpg")));
    QCOMPARE(Build().code, 0);
    QVERIFY(QFileInfo(olvf.filePath()).lastModified() != built);
    QCOMPARE(Olvtool({"new", top_.filePath("demo")}).code, 0);
    QCOMPARE(Olvtool({"build", top_.filePath("demo"), top_.filePath("demo-out")}).code, 0);
    for (const QString& f : kContentFiles)
      QCOMPARE((std::pair{f, ReadFile(top_.filePath("demo-out/" + f))}),
               (std::pair{f, ReadFile(QDir(ORLAVENTIS_DEMO_CONTENT).filePath(f))}));
  }
  // Each kind of problem is named by file, line and column, and the work built before stays.
  void projectProblems_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("line");
    const auto row = [](const char* name, const char* file, QByteArray from, QByteArray to,
                        const char* line) { QTest::newRow(name) << file << from << to << line; };
    // clang-format off
    row("missing picture", "items.csv", "p/b.png", "p/c.png",
        "items.csv:3:27: Photo: p/c.png: no such file");
    row("undecodable", "p/b.png", {}, "\x89PNG\r\n\x1A\nbroken",
        "items.csv:3:27: Photo: p/b.png: does not decode");
    row("duplicate", "items.csv", "B2,", "a1,",
        "items.csv:3:1: Item Number: \"a1\" repeats the item number of line 2");
    row("year", "items.csv", ",1961,", ",19x1,", "items.csv:3:6: Year: \"19x1\" is not a year");
    row("date", "items.csv", "1961-06-02", "1961-13-02",
        "items.csv:3:16: Date: \"1961-13-02\" is not a date");
    row("group", "items.csv", "B2,2,", "B2,8,", "items.csv:3:4: Group: \"8\" names no group");
    row("body style", "items.csv", "1961,2,", "1961,9,",
        "items.csv:3:11: Body: \"9\" names no body style");
    row("colour", "items.csv", "2,RD,1961", "2,XX,1961",
        "items.csv:3:13: Coach: unknown code \"XX\"");
    row("translation", "items.csv", "Bleu,", ",",
        "items.csv:3:41: Header 33: no text (a missing translation)");
    row("text translation", "catalogue.json", R"("33": "Extérieur", )", {},
        "catalogue.json: groups[0]: no text in language 33");
    row("too long", "items.csv", "Blue\n", QByteArray(81, 'x'),
        "items.csv:3:46: Header 44: too long for its field (81 bytes, at most 80)");
    row("paint code", "enamel.json", R"([["CL", ["01"])", R"([["CX", ["01"])",
        "enamel.json: eras[0].trim[0][0]: unknown code \"CX\"");
    // clang-format on
  }
  void projectProblems() {
    QFETCH(QString, file);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, line);
    QCOMPARE(Build().code, 0);
    const QByteArray built = ReadFile(Out("olvf.dat"));
    QByteArray text = ReadFile(In(file));
    if (!from.isEmpty()) QVERIFY2(text.contains(from), from.constData());
    QVERIFY(WriteFile(In(file), from.isEmpty() ? to : text.replace(from, to)));
    const Run r = Build();
    QCOMPARE(r.code, 1);
    QVERIFY2(Starting(r.err, line) == 1, qPrintable(r.err));
    QCOMPARE(ReadFile(Out("olvf.dat")), built);
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    QCOMPARE(top_.entryList(all), QStringList({"out", "project"}));
  }
};

QTEST_GUILESS_MAIN(TestProjectBuild)
#include "TestProjectBuild.moc"
