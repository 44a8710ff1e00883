// Tests of the demo reference work: the built content passes "olvtool check", damaged copies are caught.
#include "ArchiveWriter.h"
#include "DemoContent.h"
#include "media/Archive.h"
#include "media/PictureDecoder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace olvtool;

namespace {

const QStringList kContentFiles = {"olvf.dat", "olve.dat", "d/olv.dat", "d/olv.lng", "d/ol31.cat",
                                   "d/ol33.cat", "d/ol44.cat"};

// Runs "olvtool check" on `folder`; the exit code, and the report lines in `lines`.
int RunCheck(const QString& folder, QStringList* lines) {
  QProcess p;
  p.start(QStringLiteral(ORLAVENTIS_OLVTOOL), {QStringLiteral("check"), folder});
  if (!p.waitForFinished(120000)) return -1;
  *lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return p.exitCode();
}

// A copy of the built demo content in a temporary folder.
bool CopyContent(const QString& to) {
  const QDir from(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
  QStringList files = kContentFiles;
  for (const QString& bk : QDir(from.filePath(QStringLiteral("i/b"))).entryList(QDir::Files))
    files.append(QStringLiteral("i/b/") + bk);
  for (const QString& f : files) {
    QDir().mkpath(QFileInfo(QDir(to).filePath(f)).absolutePath());
    if (!QFile::copy(from.filePath(f), QDir(to).filePath(f))) return false;
  }
  return true;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Rewrites the archive at `path` with `change` applied to every member (return an empty array to
// drop the member).
void RewriteArchive(const QString& path, const std::function<QByteArray(const QString&, const QByteArray&)>& change) {
  const QByteArray bytes = ReadAll(path);
  ArchiveWriter writer;
  for (const QString& line : orlaventis::ParseArchiveIndex(bytes)) {
    const orlaventis::ArchiveEntry e = orlaventis::ParseArchiveEntry(line);
    const QByteArray data = change(e.Name, orlaventis::ReadArchiveMember(bytes, e));
    if (!data.isEmpty()) QVERIFY(writer.Add(e.Name, data, QDateTime(QDate(2000, 1, 1), QTime(0, 0)), MemberPacking::Stored));
  }
  QString error;
  QVERIFY2(writer.Write(path, &error), qPrintable(error));
}

bool Reports(const QStringList& lines, const QString& text) {
  for (const QString& l : lines)
    if (l.contains(text)) return true;
  return false;
}

}  // namespace

class TestContentCheck : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    DemoOptions options;
    options.sources = QStringLiteral(ORLAVENTIS_CONTENT_SOURCES);
    QString error;
    QVERIFY2(BuildDemoDatabases(options, &sources_, &error), qPrintable(error));
  }

  // The built demo content is whole: every file there, 150+ items in 6+ groups, every member
  // decodes, every format of the decoder is used, and the checker agrees.
  void demoContentPasses() {
    const QDir dir(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
    for (const QString& f : kContentFiles) QVERIFY2(QFile::exists(dir.filePath(f)), qPrintable(f));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("help/index.html"))));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("i/b"))).entryList(QDir::Files).size(), 12);
    QStringList lines;
    QCOMPARE(RunCheck(dir.absolutePath(), &lines), 0);
    QCOMPARE(lines.size(), 1);

    QSet<QString> formats;
    for (const char* archive : {"olvf.dat", "olve.dat"}) {
      const QByteArray bytes = ReadAll(dir.filePath(QLatin1String(archive)));
      for (const QString& line : orlaventis::ParseArchiveIndex(bytes)) {
        const QByteArray member = orlaventis::ReadArchiveMember(bytes, orlaventis::ParseArchiveEntry(line));
        formats.insert(orlaventis::SniffPictureFormat(QByteArrayView(member).first(std::min<qsizetype>(member.size(), 512))));
      }
    }
    for (const char* f : {"JPEG", "PNG", "BMP", "GIF", "TIF", "PCX"}) QVERIFY2(formats.contains(QLatin1String(f)), f);

    const DatabaseSource& cat = sources_.catalogues.at(44);
    const auto items = std::find_if(cat.tables.begin(), cat.tables.end(),
                                    [](const TableSource& t) { return t.name == QLatin1String("Picture Items"); });
    QVERIFY(items != cat.tables.end());
    QVERIFY(items->records.size() >= 150);
    QSet<QString> groups;
    for (const QStringList& r : items->records) groups.insert(r[3]);
    QVERIFY(groups.size() >= 6);
  }

  // Missing, undecodable and unpackable members; an item without its photo; a choice of the colour
  // section without its car picture.
  void archiveFaults() {
    QTemporaryDir tmp;
    QVERIFY(CopyContent(tmp.path()));
    RewriteArchive(tmp.filePath(QStringLiteral("olvf.dat")), [](const QString& name, const QByteArray& data) {
      if (name == QLatin1String("F1001")) return QByteArray();                    // dropped
      if (name == QLatin1String("F1002")) return QByteArray("no picture at all");  // undecodable
      if (name == QLatin1String("i\\i\\3")) return QByteArray();                  // a slide gone
      return data;
    });
    RewriteArchive(tmp.filePath(QStringLiteral("olve.dat")), [](const QString& name, const QByteArray& data) {
      return name == QLatin1String("i\\e\\IV10_IV10") || name == QLatin1String("i\\f\\DR01") ? QByteArray() : data;
    });
    QStringList lines;
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: no member F1001 (d\\ol31.cat item 1)")));
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: no member F1001 (d\\ol44.cat item 1)")));
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: member F1002 does not decode")));
    QVERIFY(Reports(lines, QStringLiteral("no member i\\i\\3 (slide)")));
    QVERIFY(Reports(lines, QStringLiteral("olve.dat: no member i\\e\\IV10_IV10")));
    QVERIFY(Reports(lines, QStringLiteral("olve.dat: no member i\\f\\DR01")));

    // A packed member whose zlib data is damaged does not unpack.
    QByteArray bytes = ReadAll(tmp.filePath(QStringLiteral("olve.dat")));
    ArchiveWriter packed;
    QVERIFY(packed.Add(QStringLiteral("i\\e\\X"), QByteArray(4000, 'a'), QDateTime(QDate(2000, 1, 1), QTime()), MemberPacking::Packed));
    QByteArray one = packed.Build();
    one[10] = char(one[10] ^ 0x55);
    QFile::remove(tmp.filePath(QStringLiteral("olve.dat")));
    QFile f(tmp.filePath(QStringLiteral("olve.dat")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(one);
    f.close();
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("olve.dat: member i\\e\\X does not unpack")));
    // Gone entirely.
    QVERIFY(QFile::remove(tmp.filePath(QStringLiteral("olvf.dat"))));
    QVERIFY(QFile::remove(tmp.filePath(QStringLiteral("i/b/pbk8x6"))));
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: missing")));
    QVERIFY(Reports(lines, QStringLiteral("i\\b\\pbk8x6: missing background")));
  }

  // A link past its table, a query row naming no column, item numbers the program refuses as
  // file names (their photos never show).
  void catalogueFaults() {
    QTemporaryDir tmp;
    QVERIFY(CopyContent(tmp.path()));
    DatabaseSource cat = sources_.catalogues.at(33);
    for (TableSource& t : cat.tables) {
      if (t.name == QLatin1String("Picture Items")) {
        t.records[4][3] = QStringLiteral("99");  // Group
        t.records[1][0] = QStringLiteral("..\\..\\evil.txt");  // Item Number
        t.records[2][0] = QStringLiteral("/tmp/x");
      }
      if (t.name == QLatin1String("Enamel & Fabrics Items")) t.records[0][5] = QStringLiteral("1,2,40");
      if (t.name == QLatin1String("Picture Properties")) t.records[0][3] = QStringLiteral("Groep");
    }
    QString error;
    QVERIFY2(WriteDatabase(cat, tmp.filePath(QStringLiteral("d/ol33.cat")), QString(), &error), qPrintable(error));
    QStringList lines;
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("d\\ol33.cat: table \"Picture Items\", record 5, column \"Group\": link 99 past the 7 records of \"Picture Groups\"")));
    QVERIFY(Reports(lines, QStringLiteral("record 1, column \"Fabric Color\": link 40 past the 8 records")));
    QVERIFY(Reports(lines, QStringLiteral("\"Picture Properties\" record 1: table \"Picture Items\" has no column \"Groep\"")));
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: unsafe member name \"..\\..\\evil.txt\" (d\\ol33.cat item 2)")));
    QVERIFY(Reports(lines, QStringLiteral("olvf.dat: unsafe member name \"/tmp/x\" (d\\ol33.cat item 3)")));
  }

  // Record keys the sections look for: the introduction, the topic list and a topic's table.
  void recordFaults() {
    QTemporaryDir tmp;
    QVERIFY(CopyContent(tmp.path()));
    std::vector<RecordSource> records;
    for (const RecordSource& r : sources_.records)
      if (r.key != QLatin1String("Intro_31|||") && r.key != QLatin1String("Prod_Engines_33|||") &&
          r.key != QLatin1String("Production_Content_44|||"))
        records.push_back(r);
    QCOMPARE(records.size(), sources_.records.size() - 3);
    QString error;
    QVERIFY2(WriteRecordFile(records, tmp.filePath(QStringLiteral("d/olv.dat")), &error), qPrintable(error));
    QStringList lines;
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QCOMPARE(lines.size(), 3);
    QVERIFY(Reports(lines, QStringLiteral("no record \"Intro_31|||\"")));
    QVERIFY(Reports(lines, QStringLiteral("no record \"Prod_Engines_33|||\"")));
    QVERIFY(Reports(lines, QStringLiteral("no record \"Production_Content_44|||\"")));
    // A cut file is damaged as well.
    QByteArray bytes = ReadAll(tmp.filePath(QStringLiteral("d/olv.dat")));
    QFile f(tmp.filePath(QStringLiteral("d/olv.dat")));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.left(bytes.size() / 2));
    f.close();
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("d\\olv.dat: missing or damaged")));
  }

  // A tag without a row in one language; a tag only some languages translate; a language
  // without its "Contents" row.
  void languageFaults() {
    QTemporaryDir tmp;
    QVERIFY(CopyContent(tmp.path()));
    DatabaseSource lng = sources_.language;
    for (TableSource& t : lng.tables) {
      if (t.name == QStringLiteral("MainForm (Français)"))
        t.records.erase(std::remove_if(t.records.begin(), t.records.end(),
                                       [](const QStringList& r) { return r[0] == QLatin1String("3013"); }),
                        t.records.end());
      if (t.name == QLatin1String("MainForm (English)")) t.records.push_back({"5000", "Extra", ""});
    }
    QString error;
    QVERIFY2(WriteDatabase(lng, tmp.filePath(QStringLiteral("d/olv.lng")), QString(), &error), qPrintable(error));
    QStringList lines;
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("table \"MainForm (Français)\": no row for tag 3013")));
    QVERIFY(Reports(lines, QStringLiteral("tag 5000 has no translation in language 31")));
    QVERIFY(Reports(lines, QStringLiteral("tag 5000 has no translation in language 33")));
    QCOMPARE(lines.size(), 3);

    lng.tables[0].records.pop_back();  // English leaves "Contents"
    QVERIFY2(WriteDatabase(lng, tmp.filePath(QStringLiteral("d/olv.lng")), QString(), &error), qPrintable(error));
    QCOMPARE(RunCheck(tmp.path(), &lines), 1);
    QVERIFY(Reports(lines, QStringLiteral("no \"Contents\" row for language 44")));
  }

  // The synthetic catalogue for benchmarks adds items without breaking a reference.
  void syntheticItems() {
    DemoOptions options;
    options.sources = QStringLiteral(ORLAVENTIS_CONTENT_SOURCES);
    options.extraItems = 500;
    DemoDatabases big;
    QString error;
    QVERIFY(BuildDemoDatabases(options, &big, &error));
    QTemporaryDir tmp;
    QVERIFY(CopyContent(tmp.path()));
    for (const auto& [language, cat] : big.catalogues)
      QVERIFY2(WriteDatabase(cat, tmp.filePath(QStringLiteral("d/ol%1.cat").arg(language)), QString(), &error), qPrintable(error));
    QStringList lines;
    QCOMPARE(RunCheck(tmp.path(), &lines), 0);
    for (const TableSource& t : big.catalogues.at(31).tables)
      if (t.name == QLatin1String("Picture Items")) QCOMPARE(t.records.size(), size_t(154 + 500));
  }

  // The GIF encoder writes a file the decoder reads back pixel for pixel (few colours, no dither).
  void gifRoundTrip() {
    QImage image(37, 11, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, (x + y) % 3 == 0 ? 0xFF2040A0 : 0xFFE0C030);
    const QByteArray gif = EncodeGif(image);
    const orlaventis::DecodedPicture back = orlaventis::DecodePicture(gif, QStringLiteral("GIF"));
    QVERIFY(!back.image.isNull());
    QCOMPARE(back.image.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) QCOMPARE(back.image.pixel(x, y) & 0xFFFFFF, image.pixel(x, y) & 0xFFFFFF);
    // Long enough to pass several table resets.
    QImage big(300, 200, QImage::Format_RGB32);
    big.fill(0xFF336699);
    QVERIFY(!orlaventis::DecodePicture(EncodeGif(big), QStringLiteral("GIF")).image.isNull());
  }

 private:
  DemoDatabases sources_;
};

QTEST_GUILESS_MAIN(TestContentCheck)
#include "TestContentCheck.moc"
