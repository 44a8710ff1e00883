// Tests of the demo reference work: the built content passes "olvtool check", damaged copies fail.
#include "ArchiveWriter.h"
#include "DemoContent.h"
#include "DemoPictures.h"
#include "PictureEncoders.h"
#include "database/DatabaseFixture.h"
#include "media/Archive.h"
#include "media/PictureDecoder.h"

#include <QtTest>

#include <sys/stat.h>

using namespace olvtool;
using namespace orlaventis;
using namespace dbfixture;
using namespace fixture;

namespace {

const QStringList kContentFiles = {"olvf.dat",   "olve.dat",   "d/olv.dat", "d/olv.lng",
                                   "d/ol31.cat", "d/ol33.cat", "d/ol44.cat"};
const QDateTime kTime(QDate(2000, 1, 1), QTime(0, 0));

// True when "olvtool check" on `folder` exits with `code` and a report holding each of `faults`
// (and, when `lineCount` is given, nothing else); logs the report otherwise.
bool Checks(const QString& folder, int code, const QStringList& faults = {}, int lineCount = -1) {
  const Run r = Olvtool({QStringLiteral("check"), folder});
  const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  bool ok = r.finished && r.code == code && (lineCount < 0 || lines.size() == lineCount);
  for (const QString& fault : faults) ok = ok && !lines.filter(fault).isEmpty();
  if (!ok) qWarning().noquote() << "exit code" << r.code << "report:\n" << lines.join('\n');
  return ok;
}
// Puts a FIFO (`kind` "fifo"), a folder ("folder"), a sparse file
// of 3 GiB ("huge") or nothing ("missing") at `path`, in place of whatever was there.
bool PutRefused(const QString& path, const QString& kind) {
  QFile::remove(path);
  const QByteArray name = QFile::encodeName(path);
  if (kind == "fifo") return ::mkfifo(name.constData(), 0600) == 0;
  if (kind == "folder") return QDir().mkdir(path);
  if (kind != "huge") return kind == "missing";
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.resize(qint64(3) << 30);
}
// A copy of the built demo content in a temporary folder.
bool CopyContent(const QString& to) {
  const QDir from(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
  QStringList files = kContentFiles;
  for (const QString& bk : QDir(from.filePath("i/b")).entryList(QDir::Files)) files << "i/b/" + bk;
  for (const QString& f : files) {
    QDir().mkpath(QFileInfo(QDir(to).filePath(f)).absolutePath());
    if (!QFile::copy(from.filePath(f), QDir(to).filePath(f))) return false;
  }
  return true;
}
// Rewrites the archive at `path` with `change` applied to every member (an empty result drops it).
using Change = std::function<QByteArray(const QString&, const QByteArray&)>;
void RewriteArchive(const QString& path, const Change& change) {
  const QByteArray bytes = ReadFile(path);
  ArchiveWriter writer;
  for (const QString& line : ParseArchiveIndex(bytes)) {
    const ArchiveEntry e = ParseArchiveEntry(line);
    const QByteArray data = change(e.Name, ReadArchiveMember(bytes, e));
    if (!data.isEmpty()) QVERIFY(writer.Add(e.Name, data, kTime, MemberPacking::Stored));
  }
  QString error;
  QVERIFY2(writer.Write(path, &error), qPrintable(error));
}
TableSource& Table(DatabaseSource& db, const QString& name) {
  return *std::ranges::find(db.tables, name, &TableSource::name);
}

}  // namespace

class TestContentCheck : public QObject {
  Q_OBJECT

  DemoDatabases sources_;
  QTemporaryDir tmp_;
  QString error_;

 private slots:
  void initTestCase() {
    const DemoOptions options{.sources = ORLAVENTIS_CONTENT_SOURCES};
    QVERIFY2(BuildDemoDatabases(options, &sources_, &error_), qPrintable(error_));
  }
  // Each test damages its own fresh copy of the content.
  void init() {
    QVERIFY(QDir(tmp_.path()).removeRecursively());
    QVERIFY(QDir().mkpath(tmp_.path()));
    QVERIFY(CopyContent(tmp_.path()));
  }
  // The built demo content is whole: every file there, 150+ items in 6+ groups, every member
  // decodes, every format of the decoder is used, and the checker agrees. Photos are sharp on
  // large screens; the saloon and the estate in one colour are two different cars.
  void demoContentPasses() {
    const QDir dir(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
    for (const QString& f : kContentFiles + QStringList{"help/index.html"})
      QVERIFY2(QFile::exists(dir.filePath(f)), qPrintable(f));
    QVERIFY(Checks(dir.absolutePath(), 0, {}, 1));
    QSet<QString> formats;
    QMap<QString, QImage> looked{{"F1001", {}}, {"i\\e\\IV10_IV10", {}}, {"i\\e\\IV10E_IV10E", {}}};
    for (const char* archive : {"olvf.dat", "olve.dat"}) {
      const QByteArray bytes = ReadFile(dir.filePath(QLatin1String(archive)));
      for (const QString& line : ParseArchiveIndex(bytes)) {
        const ArchiveEntry entry = ParseArchiveEntry(line);
        const QByteArray member = ReadArchiveMember(bytes, entry);
        formats << SniffPictureFormat(member.left(512));
        if (looked.contains(entry.Name)) looked[entry.Name] = DecodePicture(member, "JPEG").image;
      }
    }
    for (QString f : {"JPEG", "PNG", "BMP", "GIF", "TIF", "PCX"})
      QVERIFY2(formats.contains(f), qPrintable(f));
    QCOMPARE_GE(looked["F1001"].width(), 1280);
    QCOMPARE_GE(looked["F1001"].height(), 960);
    const QImage saloon = looked["i\\e\\IV10_IV10"], estate = looked["i\\e\\IV10E_IV10E"];
    QCOMPARE_GE(saloon.width(), 1240);
    QCOMPARE(estate.size(), saloon.size());
    QVERIFY(estate != saloon);
    // Every card reads as its own in every language: distinct headers, no sentence on 3+ cards.
    for (int language : kDemoLanguages) {
      QSet<QString> headers, groups;
      QHash<QString, int> cards;
      const auto& items = Table(sources_.catalogues.at(language), "Picture Items").records;
      QCOMPARE_GE(items.size(), size_t(150));
      for (const QStringList& r : items) {
        headers.insert(r[1]);
        groups.insert(r[3]);
        const QStringList sentences = r[2].split(QRegularExpression("(?<=[.!?])\\s+"));
        for (const QString& s : QSet<QString>(sentences.begin(), sentences.end()))
          QVERIFY2(++cards[s] <= 2, qPrintable(QString::number(language) + ": " + s));
      }
      QCOMPARE(headers.size(), qsizetype(items.size()));
      QCOMPARE_GE(groups.size(), 6);
    }
  }
  // A source with an unknown code, an unknown key or a value of the wrong type is refused with
  // the file and the place, before anything is painted.
  void sourceFaults_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const char* file, const char* from, const char* to,
                        const char* message) {
      QTest::newRow(name) << file << QByteArray(from) << QByteArray(to) << message;
    };
    // clang-format off
    row("unknown fabric", "enamel.json", R"(["DR", ["01")", R"(["DR", ["0X")",
        R"(.trim[0][1][0]: unknown code "0X")");
    row("unknown coach colour", "items.tsv", "\tTC81\t", "\tZZ99\t",
        "Coach: unknown code \"ZZ99\"");
    row("model code", "enamel.json", R"("code": "E")", R"("code": "E_1")",
        R"(models[2].code: "E_1" is not up to 3 capitals or digits)");
    row("unknown key", "records.json", R"("intro")", R"("extra": 1, "intro")",
        "records.json: extra is an unknown key");
    row("unknown column", "items.tsv", "\tPlace\t", "\tCity\t", R"(column "City" is unknown)");
    row("year as text", "enamel.json", R"("model_years": [1957)", R"("model_years": ["1957")",
        "enamel.json: model_years[0] is not a whole number");
    // clang-format on
  }
  void sourceFaults() {
    QFETCH(QString, file);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, message);
    const QDir sources(ORLAVENTIS_CONTENT_SOURCES), copy(tmp_.filePath("sources"));
    QVERIFY(QDir().mkpath(copy.path()));
    for (const QString& name : sources.entryList(QDir::Files))
      QVERIFY(QFile::copy(sources.filePath(name), copy.filePath(name)));
    QByteArray text = ReadFile(copy.filePath(file));
    QVERIFY2(text.contains(from), from.constData());
    text.replace(text.lastIndexOf(from), from.size(), to);
    QVERIFY(WriteFile(copy.filePath(file), text));
    const Run r = Olvtool({"demo", tmp_.filePath("out"), "--sources", copy.path()});
    QCOMPARE((std::tuple{r.finished, r.code}), (std::tuple{true, 1}));
    QVERIFY2(r.err.contains(message), qPrintable(message + ": " + r.err));
  }
  // Missing, undecodable and unpackable members; an item without its photo; a choice of the colour
  // section without its car picture; archives and backgrounds gone.
  void archiveFaults() {
    RewriteArchive(tmp_.filePath("olvf.dat"), [](const QString& name, const QByteArray& data) {
      if (QStringList{"F1001", "i\\i\\3"}.contains(name)) return QByteArray();  // dropped
      return name == QLatin1String("F1002") ? QByteArray("no picture at all") : data;
    });
    RewriteArchive(tmp_.filePath("olve.dat"), [](const QString& name, const QByteArray& data) {
      return QStringList{"i\\e\\IV10_IV10", "i\\f\\DR01"}.contains(name) ? QByteArray() : data;
    });
    const QString f1001 = "olvf.dat: no member F1001 (d\\ol%1.cat item 1)";
    QVERIFY(Checks(tmp_.path(), 1,
                   {f1001.arg(31), f1001.arg(44), "olvf.dat: member F1002 does not decode",
                    "no member i\\i\\3 (slide)", "olve.dat: no member i\\e\\IV10_IV10",
                    "olve.dat: no member i\\f\\DR01"}));
    // A packed member whose zlib data is damaged does not unpack.
    ArchiveWriter packed;
    QVERIFY(packed.Add("i\\e\\X", QByteArray(4000, 'a'), kTime, MemberPacking::Packed));
    QByteArray one = packed.Build();
    one[10] = char(one[10] ^ 0x55);
    QVERIFY(WriteFile(tmp_.filePath("olve.dat"), one));
    QVERIFY(Checks(tmp_.path(), 1, {"olve.dat: member i\\e\\X does not unpack"}));
    QVERIFY(QFile::remove(tmp_.filePath("olvf.dat")));
    QVERIFY(QFile::remove(tmp_.filePath("i/b/pbk8x6")));
    const QStringList gone = {"olvf.dat: no such file", "i\\b\\pbk8x6: no such file (background)"};
    QVERIFY(Checks(tmp_.path(), 1, gone));
  }
  // What the program refuses to open in a file's place: every verb that reads a file names it
  // with the reason and exits 1, and nothing waits on a FIFO or reads a device without end.
  void refusedFiles() {
    const std::pair<QString, const char*> kinds[] = {
        {"fifo", "not a regular file"}, {"huge", "too large"}, {"missing", "no such file"}};
    const QString out = tmp_.filePath("out");
    for (const auto& [kind, words] : kinds) {
      const QString file = tmp_.filePath(kind);
      QVERIFY(PutRefused(file, kind));
      for (const QStringList& args : {QStringList{"archive", "list", file},
                                      {"archive", "extract", file, "x", out},
                                      {"picture", "info", file},
                                      {"db", "dump", file},
                                      {"recfile", "dump", file},
                                      {"db", "build", file, out},
                                      {"recfile", "build", file, out}}) {
        const Run r = Olvtool(args);
        const QString said = args.join(' ');
        QCOMPARE((std::tuple{said, r.finished, r.code}), (std::tuple{said, true, 1}));
        QVERIFY2(r.err.contains(file + ": " + words), qPrintable(args.join(' ') + ": " + r.err));
      }
    }
    // The checker, on archives, a background and databases in such forms.
    // clang-format off
    const std::pair<const char*, const char*> placed[] = {
        {"olvf.dat", "fifo"}, {"i/b/ibk6x4", "folder"}, {"d/olv.dat", "huge"},
        {"d/olv.lng", "fifo"}, {"d/ol31.cat", "missing"}};
    // clang-format on
    for (const auto& [name, kind] : placed) QVERIFY(PutRefused(tmp_.filePath(name), kind));
    const QString odd = "%1: not a regular file";
    QVERIFY(Checks(tmp_.path(), 1,
                   {odd.arg("olvf.dat"), odd.arg("i\\b\\ibk6x4") + " (background)",
                    "d\\olv.dat: too large", odd.arg("d\\olv.lng"), "d\\ol31.cat: no such file"}));
  }
  // A link past its table, a query row naming no column, item numbers the program refuses as
  // file names (their photos never show).
  void catalogueFaults() {
    DatabaseSource cat = sources_.catalogues.at(33);
    TableSource& items = Table(cat, "Picture Items");
    items.records[4][3] = "99";                // Group
    items.records[1][0] = "..\\..\\evil.txt";  // Item Number
    Table(cat, "Enamel & Fabrics Items").records[0][5] = "1,2,40";
    Table(cat, "Picture Properties").records[0][3] = "Groep";
    QVERIFY2(WriteDatabase(cat, tmp_.filePath("d/ol33.cat"), QString(), &error_),
             qPrintable(error_));
    const QString pi = "table \"Picture Items\"";
    QVERIFY(Checks(tmp_.path(), 1,
                   {"d\\ol33.cat: " + pi +
                        ", record 5, column \"Group\": link 99 past the 7 records"
                        " of \"Picture Groups\"",
                    "record 1, column \"Fabric Color\": link 40 past the 8 records",
                    "\"Picture Properties\" record 1: " + pi + " has no column \"Groep\"",
                    "olvf.dat: unsafe member name \"..\\..\\evil.txt\" (d\\ol33.cat item 2)"}));
  }
  // Record keys the sections look for (introduction, topic list, a topic's table); a cut file.
  void recordFaults() {
    const QStringList gone = {"Intro_31|||", "Prod_Engines_33|||", "Production_Content_44|||"};
    std::vector<RecordSource> records;
    for (const RecordSource& r : sources_.records)
      if (!gone.contains(r.key)) records.push_back(r);
    QVERIFY2(WriteRecordFile(records, tmp_.filePath("d/olv.dat"), &error_), qPrintable(error_));
    QStringList faults;
    for (const QString& key : gone) faults << "no record \"" + key + '"';
    QVERIFY(Checks(tmp_.path(), 1, faults, 3));
    const QByteArray bytes = ReadFile(tmp_.filePath("d/olv.dat"));
    QVERIFY(QFile(tmp_.filePath("d/olv.dat")).resize(bytes.size() / 2));
    QVERIFY(Checks(tmp_.path(), 1, {"d\\olv.dat: damaged"}));
  }
  // A tag without a row in one language; a tag some languages lack; a language without "Contents".
  void languageFaults() {
    DatabaseSource lng = sources_.language;
    std::erase_if(Table(lng, "MainForm (Français)").records,
                  [](const QStringList& r) { return r[0] == "3013"; });
    Table(lng, "MainForm (English)").records.push_back({"5000", "Extra", ""});
    QVERIFY2(WriteDatabase(lng, tmp_.filePath("d/olv.lng"), QString(), &error_),
             qPrintable(error_));
    const QString untranslated = "tag 5000 has no translation in language %1";
    const QString noRow = "table \"MainForm (Français)\": no row for tag 3013";
    QVERIFY(Checks(tmp_.path(), 1, {noRow, untranslated.arg(31), untranslated.arg(33)}, 3));
    lng.tables[0].records.pop_back();  // English leaves "Contents"
    QVERIFY2(WriteDatabase(lng, tmp_.filePath("d/olv.lng"), QString(), &error_),
             qPrintable(error_));
    QVERIFY(Checks(tmp_.path(), 1, {"no \"Contents\" row for language 44"}));
  }
  // The backgrounds' motifs fit the controls (640 x 480 design): film frames round the four step
  // buttons, no rule under the reset button, nothing peeking from under the Introduction's text or
  // the Colours lists.
  void backgroundsFitTheControls() {
    const auto grey = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); };
    const QSize design(640, 480);
    const QImage catalog = PaintBackground("pbk", design);
    for (int x : {397, 437, 497, 537})
      QCOMPARE_GT(grey(catalog, x, 447), grey(catalog, x - 5, 447) + 3);
    QCOMPARE_LE(qAbs(grey(catalog, 423, 65) - grey(catalog, 423, 70)), 1);
    for (const QImage& image : {PaintBackground("ibk", design), PaintBackground("ebk", design)})
      for (int x = 128; x < 620; ++x)
        QCOMPARE_LE(qAbs(grey(image, x, 446) - grey(image, x + 1, 446)), 1);
  }
  // The synthetic catalogue for benchmarks adds items without breaking a reference.
  void syntheticItems() {
    const DemoOptions options{.sources = ORLAVENTIS_CONTENT_SOURCES, .extraItems = 500};
    DemoDatabases big;
    QVERIFY(BuildDemoDatabases(options, &big, &error_));
    QCOMPARE(Table(big.catalogues.at(31), "Picture Items").records.size(), size_t(154 + 500));
    for (const auto& [language, cat] : big.catalogues) {
      const QString to = tmp_.filePath(QStringLiteral("d/ol%1.cat").arg(language));
      QVERIFY2(WriteDatabase(cat, to, QString(), &error_), qPrintable(error_));
    }
    QVERIFY(Checks(tmp_.path(), 0));
  }
  // The GIF encoder's output reads back pixel for pixel when long enough to pass several code
  // table resets (small pictures are checked with the decoder).
  void gifRoundTrip() {
    QImage big(300, 200, QImage::Format_RGB32);
    const QRgb colours[] = {0xFF2040A0, 0xFFE0C030, 0xFF000000, 0xFFFFFFFF};
    for (int y = 0; y < big.height(); ++y)
      for (int x = 0; x < big.width(); ++x)
        big.setPixel(x, y, colours[((x * 31 + y * 17) ^ (x * y)) % 4]);
    QCOMPARE(DecodePicture(EncodeGif(big), "GIF").image.convertToFormat(QImage::Format_RGB32), big);
  }
};

QTEST_GUILESS_MAIN(TestContentCheck)
#include "TestContentCheck.moc"
