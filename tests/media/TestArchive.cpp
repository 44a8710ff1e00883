// Tests of the picture archives (index, TArchiveIndex, entries, DOS time stamps, inflating,
// extraction) and of the temporary folder their members are unpacked into.
#include "EnvironmentRestorer.h"
#include "ProcessFactsRestorer.h"
#include "database/DatabaseFixture.h"
#include "media/Archive.h"
#include "media/ArchiveIndex.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlaventis;
using fixture::ReadFile;
using fixture::WriteFile;
using olvtool::ArchiveWriter;
using olvtool::MemberPacking;
using namespace Qt::StringLiterals;

namespace {

QByteArray Compressible(int size) {
  QByteArray data;
  for (int i = 0; data.size() < size; ++i) data += QByteArray::number(i % 97) + ' ';
  data.truncate(size);
  return data;
}
QByteArray Noise(int size, quint32 seed) {
  QByteArray data(size, Qt::Uninitialized);
  for (char& c : data) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return data;
}
// Runs olvtool; its exit code (-1 when it crashed).
int RunOlvtool(const QStringList& args) { return dbfixture::Olvtool(args).code; }

const QDateTime kTime(QDate(2003, 7, 14), QTime(13, 45, 22), Qt::LocalTime);

// Every line and every lookup of `index` must equal what the line list gives.
void CompareWithLines(const std::optional<TArchiveIndex>& index,
                      const std::optional<QStringList>& lines, const QStringList& names) {
  QCOMPARE(index.has_value(), lines.has_value());
  if (!index) return;
  QCOMPARE(index->Count(), static_cast<int>(lines->size()));
  for (int i = 0; i < index->Count(); ++i) QCOMPARE(index->Line(i), lines->at(i));
  QCOMPARE((QStringList{index->Line(-1), index->Line(index->Count())}), (QStringList{"", ""}));
  for (const QString& name : names) {
    const auto fields = [&name](const ArchiveEntry& e) {
      return std::tuple{name, e.Name, e.Offset, e.PackedSize, e.UnpackedSize, e.TimeStamp};
    };
    QCOMPARE(fields(FindArchiveEntry(index, name)), fields(FindArchiveEntry(lines, name)));
    QCOMPARE(ArchiveContains(index, name), ArchiveContains(lines, name));
    QCOMPARE(index->Find(name).has_value(), ArchiveContains(lines, name));
  }
}

bool Touch(const QString& path) { return WriteFile(path, "x"); }

// The mode of `path` (not following a link) masked by `mask`, or -1.
int Mode(const QString& path, mode_t mask = 07777) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & mask) : -1;
}
// Makes `path` a folder of another user (only root can); false when that cannot be done.
bool MakeForeignFolder(const QString& path) {
  const auto chown = [&path] { return ::chown(QFile::encodeName(path).constData(), 65534, 65534); };
  return ::geteuid() == 0 && QDir().mkpath(path) && chown() == 0;
}

}  // namespace

class TestArchive : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

 private Q_SLOTS:
  void dosDateTimes() {
    const quint32 dos = DateTimeToDosDateTime(kTime);
    const auto roundTrip = [](const QDateTime& t) {
      return DaysToDateTime(DosDateTimeToDays(DateTimeToDosDateTime(t)));
    };
    // Odd seconds round down; the day count is the usual one (2003-07-14 is day 37816).
    const QDateTime epoch(QDate(1980, 1, 1), QTime(0, 0), Qt::LocalTime);
    QCOMPARE((QList{roundTrip(kTime), DaysToDateTime(kDosEpochDays), roundTrip(kTime.addSecs(1))}),
             (QList{kTime, epoch, kTime}));
    QCOMPARE(std::floor(DosDateTimeToDays(dos)), 37816.0);
    // A time stamp written as a signed integer is the same word.
    const ArchiveEntry e = ParseArchiveEntry(QString("x=%1;1;1;0;").arg(qint32(0x9A210000u)));
    QCOMPARE(DaysToDateTime(e.TimeStamp).date(), QDate(2057, 1, 1));
    // Not a DOS date-time: the epoch, not a failure.
    const quint32 day = (23u << 25) | (7u << 21) | (14u << 16), y23 = 23u << 25;
    for (quint32 bad : {0u, y23 | (13u << 21) | (1u << 16), y23 | (2u << 21) | (30u << 16),
                        day | (24u << 11), day | (60u << 5), day | 30u})
      QCOMPARE(DosDateTimeToDays(bad), kDosEpochDays);
    const auto valid = [](double days) { return DaysToDateTime(days).isValid(); };
    QCOMPARE((QList{valid(std::nan("")), valid(1e12)}), (QList{false, false}));
    const QDateTime early(QDate(1970, 5, 5), QTime(1, 0), Qt::LocalTime);
    QCOMPARE(DateTimeToDosDateTime(early), 0x00210000u);
    // A time the clocks skip (spring forward: 02:00 -> 03:00 on 2003-03-30 in Amsterdam) is the
    // first valid time after it, on the extracted file.
    fixture::EnvironmentRestorer zone("TZ");
    zone.Set("Europe/Amsterdam");
    const QDateTime three(QDate(2003, 3, 30), QTime(3, 0), Qt::LocalTime);
    const quint32 gap = (23u << 25) | (3u << 21) | (30u << 16) | (2u << 11) | (30u << 5);
    QCOMPARE(DaysToDateTime(DosDateTimeToDays(gap)), three);
    QVERIFY(WriteFile(Path("gap.dat"), olvtool::AssembleArchive("abc", "g=780014528;3;3;0;\r\n")));
    const ArchiveEntry g = FindArchiveEntry(BuildArchiveIndex(Path("gap.dat")), "g");
    QVERIFY(ExtractArchiveEntry(Path("gap.dat"), g, Path("gap")));
    QCOMPARE(QFileInfo(Path("gap")).lastModified(), three);
  }
  void parsesIndexLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("time");
    QTest::addColumn<QList<qint32>>("sizes");  // unpacked, packed, offset
    const qint32 dos = qint32(DateTimeToDosDateTime(kTime));
    const double epoch = kDosEpochDays;
    // Missing fields and fields that are not numbers take their defaults; a bad time is the
    // epoch; an offset beyond 32 bits is none; a line without "=" has no name.
    using Sizes = QList<qint32>;
    // clang-format off
    QTest::newRow("name only") << "i\\i\\3=" << "i\\i\\3" << 0.0 << Sizes{0, 0, -1};
    QTest::newRow("no equals sign") << "no equals sign;1;2;3;" << "" << 0.0 << Sizes{0, 0, -1};
    QTest::newRow("second equals sign") << "A=B=1;" << "A" << epoch << Sizes{0, 0, -1};
    QTest::newRow("every field") << QStringLiteral("A=%1;5000;29;17;").arg(dos) << "A"
                                 << DosDateTimeToDays(dos) << Sizes{5000, 29, 17};
    QTest::newRow("fields not numbers") << "x=0;abc;;" << "x" << epoch << Sizes{0, 0, -1};
    QTest::newRow("offset beyond 32 bits") << "x=junk;7;7;99999999999;" << "x" << epoch
                                           << Sizes{7, 7, -1};
    // clang-format on
  }
  void parsesIndexLines() {
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(double, time);
    QFETCH(QList<qint32>, sizes);
    const ArchiveEntry e = ParseArchiveEntry(line);
    const QList<qint32> got = {e.UnpackedSize, e.PackedSize, e.Offset};
    QCOMPARE((std::tuple{e.Name, got}), (std::tuple{name, sizes}));
    if (!name.isEmpty()) QVERIFY(e.TimeStamp == time);
  }
  void buildsTheIndex() {
    // Line ends of every kind, an empty line kept, a NUL ends the text, Windows-1252 names.
    const QByteArray text("a=1;\r\nb=2;\nc=3;\rd=4;\r\n\r\ncaf\xE9\x80=5;\r\n\0hidden=6;\r\n", 45);
    const QByteArray bytes = olvtool::AssembleArchive("BLOCKS", text);
    QVERIFY(WriteFile(Path("lines.dat"), bytes));
    const QStringList expected = {"a=1;", "b=2;", "c=3;", "d=4;", "", u"caf\u00e9\u20ac=5;"_s};
    QCOMPARE(BuildArchiveIndex(Path("lines.dat")), std::optional(expected));
    QCOMPARE(ParseArchiveIndex(bytes), expected);
    QVERIFY(!BuildArchiveIndex(Path("missing.dat")).has_value());
    // Damaged archives give an empty index, not none.
    const QByteArray cut = bytes.chopped(1);  // length word no longer at the end
    QByteArray longWord = bytes;
    longWord[longWord.size() - 4] = static_cast<char>(text.size() + 7);  // more than the file
    QByteArray negative = bytes;
    negative[negative.size() - 1] = '\x80';
    const QList<QByteArray> damaged = {"\0\0\0\0"_ba,        "\3\0\0"_ba, ""_ba,
                                       cut.right(2) + cut,   longWord,    negative,
                                       "\xFF\xFF\xFF\x7F"_ba};
    for (const QByteArray& d : damaged) {
      QVERIFY(WriteFile(Path("damaged.dat"), d));
      const auto built = BuildArchiveIndex(Path("damaged.dat")).value_or(QStringList{"none"});
      QCOMPARE((std::tuple{d.toHex(), built, ParseArchiveIndex(d)}),
               (std::tuple{d.toHex(), QStringList(), QStringList()}));
    }
  }
  void findsNamesIgnoringCase() {
    const QStringList index = {"", "i\\i\\1=1;2;2;0;", "I\\I\\2=1;3;3;2;", "i\\i\\2=1;9;9;9;",
                               "nameonly"};
    const auto find = [&index](const QString& name) { return FindArchiveEntry(&index, name); };
    // The first match wins.
    QCOMPARE((QList{find("I\\I\\1").PackedSize, find("i\\i\\2").PackedSize}), (QList{2, 3}));
    QCOMPARE((QList{find("i\\i\\3").Offset, find("nameonly").Offset}), (QList<qint32>{-1, -1}));
    const QStringList* const nowhere = nullptr;
    QCOMPARE((QStringList{find(QString()).Name, FindArchiveEntry(nowhere, "i\\i\\1").Name}),
             (QStringList{"", ""}));
    const std::optional<QStringList> some = index, none;
    const auto has = [](const auto& i, const char* n) { return ArchiveContains(i, n); };
    QCOMPARE((QList{has(some, "I\\i\\1"), has(some, "i\\i"), has(none, "i\\i\\1")}),
             (QList{true, false, false}));
  }
  // TArchiveIndex gives what the line list and linear lookup it replaces give.
  void indexMatchesTheLineList() {
    const QString path = Path("index.dat");
    const auto write = [&](const QByteArray& bytes) { return fixture::WriteFile(path, bytes); };
    // Every kind of line end, empty lines, a line without "=", names differing only in case
    // (the first wins), Windows-1252 letters with case pairs, an empty name, a NUL ending it.
    static const char kText[] =
        "i\\c\\1=1;2;2;0;\r\nI\\C\\1=1;3;3;2;\ncaf\xE9=1;4;4;0;\rCAF\xC9=1;5;5;0;\r\n\r\n"
        "\x8A\x9A=1;6;6;0;\nnameonly\n=1;7;7;0;\nk=1;8;8;0;\r\nst\xFC\x63k=9\0hidden=1;1;1;0;";
    const QByteArray text(kText, sizeof kText - 1);
    // clang-format off
    const QStringList names = {"i\\c\\1", "I\\c\\1", QStringLiteral("CAF\u00c9"),
        QStringLiteral("caf\u00e9"), QStringLiteral("\u0161\u0160"), "nameonly", "hidden", "", "k",
        QStringLiteral("\u212a"), QStringLiteral("ST\u00dcCK"), "i\\c", "zz"};
    // clang-format on
    QVERIFY(write(olvtool::AssembleArchive("BLOCKS", text)));
    CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), names);
    CompareWithLines(TArchiveIndex::Parse(olvtool::AssembleArchive("", text)),
                     ParseArchiveIndex(olvtool::AssembleArchive("", text)), names);
    // Missing and damaged archives.
    const QString missing = Path("missing.dat");
    CompareWithLines(TArchiveIndex::Read(missing), BuildArchiveIndex(missing), names);
    for (const QByteArray& damaged : {"\3\0\0"_ba, "\xFF\xFF\xFF\x7F"_ba, "\0\0\0\0"_ba, ""_ba}) {
      QVERIFY(write(damaged));
      CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), names);
      CompareWithLines(TArchiveIndex::Parse(damaged), ParseArchiveIndex(damaged), names);
    }
    // Many colliding and repeated names in random case.
    QRandomGenerator rng(7);
    QByteArray many;
    QStringList probes;
    for (int i = 0; i < 3000; ++i) {
      QByteArray name = "i\\b\\" + QByteArray::number(rng.bounded(1200));
      for (char& c : name)
        if (rng.bounded(2)) c = static_cast<char>(QChar::toUpper(c));
      const QByteArray size = QByteArray::number(i + 1);
      many += name + "=1;" + size + ";" + size + ";0;\r\n";
      const QString probe = QString::fromLatin1(name);
      if (i % 7 == 0) probes << probe.toLower() << probe + 'x';
    }
    QVERIFY(write(olvtool::AssembleArchive("", many)));
    CompareWithLines(TArchiveIndex::Read(path), BuildArchiveIndex(path), probes);
  }
  void extractsMembers() {
    ArchiveWriter writer;
    const QByteArray text = Compressible(20000);
    const QByteArray noise = Noise(3000, 7);
    QString error;
    QVERIFY(writer.Add("i\\i\\1", text, kTime));
    QVERIFY(writer.Add("stored", text, kTime, MemberPacking::Stored));
    QVERIFY(writer.Add("noise", noise, kTime.addDays(1)));
    QVERIFY(!writer.Add("a=b", noise, kTime));  // "=" breaks the index
    QVERIFY(!writer.Add("NOISE", noise, kTime, MemberPacking::Smaller, &error));
    QVERIFY2(error.contains("twice"), qPrintable(error));
    QVERIFY(writer.Write(Path("a.dat"), nullptr));
    const auto index = BuildArchiveIndex(Path("a.dat"));
    const auto find = [&index](const char* name) { return FindArchiveEntry(index, name); };
    const ArchiveEntry packed = find("I\\I\\1"), stored = find("stored"), raw = find("noise");
    int progressCalls = 0;
    qint64 lastDone = 0;
    const InflateProgress progress = [&](qint64 done, qint64 total) {
      ++progressCalls;
      QCOMPARE_GT(done, lastDone);
      QCOMPARE(total, text.size());
      lastDone = done;
    };
    QVERIFY(ExtractArchiveEntry(Path("a.dat"), packed, Path("sub/deeper/1"), progress));
    QCOMPARE(ReadFile(Path("sub/deeper/1")), text);
    QCOMPARE_GE(progressCalls, 1);
    QCOMPARE(lastDone, text.size());
    const QDateTime even = kTime.addSecs(-kTime.time().second() % 2);
    QCOMPARE(QFileInfo(Path("sub/deeper/1")).lastModified(), even);
    QVERIFY(WriteFile(Path("s"), QByteArray(50000, 'x')));  // replaced, not appended to
    QVERIFY(ExtractArchiveEntry(Path("a.dat"), stored, Path("s")));
    QVERIFY(ExtractArchiveEntry(Path("a.dat"), raw, Path("n")));
    QCOMPARE((QList{ReadFile(Path("s")), ReadFile(Path("n"))}), (QList{text, noise}));
    const QByteArray bytes = ReadFile(Path("a.dat"));  // the same members in memory
    QCOMPARE((QList{ReadArchiveMember(bytes, packed), ReadArchiveMember(bytes, raw)}),
             (QList{text, noise}));
    // A time stamp that is no date-time extracts with the DOS epoch.
    ArchiveEntry undated = stored;
    undated.TimeStamp = std::nan("");
    QVERIFY(ExtractArchiveEntry(Path("a.dat"), undated, Path("u")));
    QCOMPARE(QFileInfo(Path("u")).lastModified(), DaysToDateTime(kDosEpochDays));
    // A file whose time stamp cannot be set is deleted.
    QString seenPath;
    {
      const fixture::ProcessFactsRestorer facts;
      Process().fileTimeSetter = [&](const QString& path, const QDateTime&) {
        seenPath = path;
        return false;
      };
      QVERIFY(WriteFile(Path("t"), "previous"));
      QVERIFY(!ExtractArchiveEntry(Path("a.dat"), packed, Path("t")));
    }
    QCOMPARE(seenPath, Path("t"));
    QVERIFY(!QFile::exists(Path("t")));
    QVERIFY(ExtractArchiveEntry(Path("a.dat"), packed, Path("t")));
    QVERIFY(QFile::exists(Path("t")));
    // A destination that cannot be written at all.
    QVERIFY(WriteFile(Path("plainfile"), "x"));
    QVERIFY(!ExtractArchiveEntry(Path("a.dat"), packed, Path("plainfile/t")));
    QVERIFY(!ExtractArchiveEntry(Path("a.dat"), packed, QString()));
  }
  void refusesBadEntries() {
    ArchiveWriter writer;
    QVERIFY(writer.Add("tiny", "ab", kTime, MemberPacking::Packed));  // packs to more
    QVERIFY(writer.Add("big", Compressible(5000), kTime));
    QVERIFY(writer.Write(Path("b.dat"), nullptr));
    const auto index = BuildArchiveIndex(Path("b.dat"));
    const qint64 fileSize = QFileInfo(Path("b.dat")).size();
    const ArchiveEntry tiny = FindArchiveEntry(index, "tiny"), big = FindArchiveEntry(index, "big");
    auto with = [&](qint32 unpacked, qint32 packed, qint32 offset) {
      ArchiveEntry e = big;
      std::tie(e.UnpackedSize, e.PackedSize, e.Offset) = std::tuple{unpacked, packed, offset};
      return e;
    };
    const QList<ArchiveEntry> refused = {
        tiny,  // unpacked smaller than packed: never extracted
        with(big.UnpackedSize, big.PackedSize, -1),
        with(0, big.PackedSize, big.Offset),
        with(big.UnpackedSize, 0, big.Offset),
        with(big.UnpackedSize, big.PackedSize, static_cast<qint32>(fileSize - big.PackedSize + 1)),
        with(big.PackedSize * 1033, big.PackedSize, big.Offset),  // more than deflate can expand
        with(big.UnpackedSize - 1, big.PackedSize, big.Offset),   // stream holds more
        with(big.UnpackedSize + 1, big.PackedSize, big.Offset),   // stream ends early
        with(big.UnpackedSize, big.PackedSize - 3, big.Offset),   // trailer cut off
    };
    for (const ArchiveEntry& e : refused) {
      QVERIFY(!ExtractArchiveEntry(Path("b.dat"), e, Path("out")));
      QVERIFY(!QFile::exists(Path("out")));
      QCOMPARE(ReadArchiveMember(ReadFile(Path("b.dat")), e), QByteArray());
    }
    QVERIFY(!ExtractArchiveEntry(Path("missing.dat"), big, Path("out")));
    QVERIFY(!QFile::exists(Path("out")));
    // Corrupt zlib data: a flipped byte in the deflate data.
    QByteArray bytes = ReadFile(Path("b.dat"));
    bytes[big.Offset + 5] = static_cast<char>(bytes[big.Offset + 5] ^ 0x5A);
    QVERIFY(WriteFile(Path("corrupt.dat"), bytes));
    QVERIFY(!ExtractArchiveEntry(Path("corrupt.dat"), big, Path("out")));
    QVERIFY(!QFile::exists(Path("out")));
  }
  // No member unpacks beyond the decoder's own file limit, whatever the ratio allows; the rest is
  // inflated into the file block by block; a link, FIFO or folder at the destination is refused
  // and left as it is, never followed.
  void capsStreamsAndRefusesOddDestinations() {
    const qint64 over = kMaxPictureFileBytes + 1;
    const QByteArray zeros = olvtool::ZlibPack(QByteArray(over, '\0'));
    QVERIFY(over <= zeros.size() * kMaxInflateRatio);
    const QByteArray text = QByteArrayLiteral("huge=780014528;") + QByteArray::number(over) + ';' +
                            QByteArray::number(zeros.size()) + ";0;\r\n";
    QVERIFY(WriteFile(Path("huge.dat"), olvtool::AssembleArchive(zeros, text)));
    const ArchiveEntry huge = FindArchiveEntry(BuildArchiveIndex(Path("huge.dat")), "huge");
    QByteArray out = "stale";  // emptied on failure
    QCOMPARE(huge.UnpackedSize, over);
    QVERIFY(!ExtractArchiveEntry(Path("huge.dat"), huge, Path("huge")));
    QVERIFY(!InflateMember(zeros, out, over));
    QCOMPARE(out, QByteArray());
    QCOMPARE(RunOlvtool({"archive", "extract", Path("huge.dat"), "huge", Path("huge")}), 1);
    QVERIFY(!QFile::exists(Path("huge")));
    ArchiveWriter writer;
    const QByteArray big = Compressible(1 << 20);
    QVERIFY(writer.Add(QStringLiteral("m"), big, kTime));
    QVERIFY(writer.Write(Path("m.dat"), nullptr));
    const ArchiveEntry m = FindArchiveEntry(BuildArchiveIndex(Path("m.dat")), QStringLiteral("m"));
    int partial = 0;
    QVERIFY(ExtractArchiveEntry(Path("m.dat"), m, Path("m"), [&](qint64 done, qint64 total) {
      QCOMPARE(QFileInfo(Path("m")).size(), done);  // already on disk
      partial += done < total;
    }));
    QCOMPARE_GT(partial, 0);
    QCOMPARE(ReadFile(Path("m")), big);
    QVERIFY(WriteFile(Path("outside"), "keep"));
    QVERIFY(QFile::link(Path("outside"), Path("link")));
    QVERIFY(QDir().mkpath(Path("folder")));
    QCOMPARE(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0600), 0);
    // Each stays what it was: a plain file written in its place would be a fault too.
    for (const auto& [odd, kind] :
         {std::pair{"link", S_IFLNK}, {"fifo", S_IFIFO}, {"folder", S_IFDIR}}) {
      QVERIFY2(!ExtractArchiveEntry(Path("m.dat"), m, Path(odd)), odd);
      QCOMPARE(Mode(Path(odd), S_IFMT), int(kind));
    }
    QCOMPARE(ReadFile(Path("outside")), QByteArray("keep"));
    // A FIFO in the archive's place has no index and gives no member; nothing waits.
    QVERIFY(!BuildArchiveIndex(Path("fifo")));
    QVERIFY(!TArchiveIndex::Read(Path("fifo")));
    QVERIFY(!ExtractArchiveEntry(Path("fifo"), m, Path("from-odd")));
    QVERIFY(!QFile::exists(Path("from-odd")));
  }
  void olvtoolPacksListsAndExtracts() {
    const QByteArray slide = Compressible(9000);
    QVERIFY(QDir().mkpath(Path("src/i/i")));
    QVERIFY(WriteFile(Path("src/i/i/1"), slide));
    QVERIFY(WriteFile(Path("src/B1_W"), Noise(500, 3)));
    QCOMPARE(RunOlvtool({"archive", "pack", Path("src"), Path("packed.dat")}), 0);
    const auto listing = dbfixture::Olvtool({"archive", "list", Path("packed.dat"), "--json"});
    QCOMPARE(listing.code, 0);
    const QJsonArray members = QJsonDocument::fromJson(listing.out.toUtf8()).array();
    const QJsonObject b1 = members[0].toObject(), i1 = members[1].toObject();
    QCOMPARE(members.size(), 2);
    const auto name = [](const QJsonObject& o) { return o["name"].toString(); };
    QCOMPARE((QStringList{name(b1), name(i1)}), (QStringList{"B1_W", "i\\i\\1"}));  // B1_W stored
    QCOMPARE((QList{b1["packed"].toInt(), i1["unpacked"].toInt()}), (QList{500, 9000}));
    QCOMPARE_LT(i1["packed"].toInt(), 9000);
    QCOMPARE(RunOlvtool({"archive", "extract", Path("packed.dat"), "I\\I\\1", Path("x1")}), 0);
    QCOMPARE(ReadFile(Path("x1")), slide);
    QCOMPARE(QFileInfo(Path("x1")).lastModified().toSecsSinceEpoch() / 2,
             QFileInfo(Path("src/i/i/1")).lastModified().toSecsSinceEpoch() / 2);
    const QString packed = Path("packed.dat");
    const QList<int> codes = {RunOlvtool({"archive", "extract", packed, "nothing", Path("x2")}),
                              RunOlvtool({"archive", "list", Path("absent.dat")}),
                              RunOlvtool({"archive", "extract", packed})};
    QCOMPARE(codes, (QList<int>{1, 1, 2}));
  }
  // Names that would leave the folder are refused. Folders made for the pictures are private
  // (0700); a name another user took before the folder was made is refused, nothing made in it.
  void refusesNamesAndMakesPrivateFolders() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("T");
    TTempFolder temp(QString(), folder);
    const QString z = QString("a") + QChar(0) + "b";
    for (const QString& bad : QStringList{"", ".", "..", "a/b", "..\\x", "/etc/passwd", "a\\b", z})
      QCOMPARE((std::tuple{bad, IsPlainFileName(bad), temp.FilePath(bad)}),
               (std::tuple{bad, false, QString()}));
    for (const QString& good : QStringList{"1042", "..x", "B12_W"})
      QCOMPARE(temp.FilePath(good), folder + '/' + good);
    const QString mine = dir.filePath("orlaventis-me/T/");
    QCOMPARE(TTempFolder(QString(), mine).FilePath("1"), mine + "1");
    QCOMPARE((QList{Mode(dir.filePath("orlaventis-me")), Mode(mine)}), (QList{0700, 0700}));
    if (MakeForeignFolder(dir.filePath("orlaventis-them"))) {
      const QString them = dir.filePath("orlaventis-them/T");
      QCOMPARE(TTempFolder(QString(), them).FilePath("1"), QString());
      QVERIFY(!QFileInfo::exists(them));
    }
  }
  void choosesTheFolder() {
    QTemporaryDir program, runtime;
    for (const QString& folder : {program.path(), program.path() + '/'})
      QCOMPARE(TTempFolder(folder).Folder(), program.path() + "/T/");
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
      using F = QFileDevice;
      QVERIFY(QFile::setPermissions(readOnly.path(), F::ReadOwner | F::ExeOwner));
      QVERIFY(!TTempFolder(readOnly.path()).Folder().startsWith(readOnly.path()));
      QFile::setPermissions(readOnly.path(), F::ReadOwner | F::WriteOwner | F::ExeOwner);
    }
  }
  // A "T" that is a symbolic link or another user's folder is never chosen, written into or
  // emptied, not even when it was swapped in after the choice.
  void neverUsesALinkedOrForeignT() {
    QTemporaryDir program, victim;
    QVERIFY(Touch(victim.filePath("notes.txt")));
    QVERIFY(QFile::link(victim.path(), program.filePath("T")));
    QVERIFY(!TTempFolder(program.path()).Folder().startsWith(program.path()));
    TTempFolder lnk(QString(), program.filePath("T"));
    QCOMPARE((std::tuple{lnk.FilePath("1"), lnk.RemoveStaleFiles(), lnk.Remove()}),
             (std::tuple{QString(), 0, false}));
    QVERIFY(QFile::exists(victim.filePath("notes.txt")));
    QVERIFY(QFileInfo(program.filePath("T")).isSymLink());
    QVERIFY(QFile::remove(program.filePath("T")));
    if (MakeForeignFolder(program.filePath("T"))) {
      QVERIFY(Touch(program.filePath("T/theirs")));
      QVERIFY(!TTempFolder(program.path()).Folder().startsWith(program.path()));
      QCOMPARE((std::tuple{lnk.FilePath("1"), lnk.RemoveStaleFiles()}), (std::tuple{QString(), 0}));
      QVERIFY(QFile::exists(program.filePath("T/theirs")));
    }
  }
  void removesStaleFilesAndTheFolder() {
    QTemporaryDir program;
    const QString p = program.path(), folder = p + "/T/";
    const auto exists = [](const QString& path) { return QFileInfo::exists(path); };
    const auto isDir = [](const QString& path) { return QFileInfo(path).isDir(); };
    const TTempFolder temp(QString(), folder);
    QCOMPARE(temp.Folder(), folder);
    // No folder yet: nothing to do.
    QCOMPARE((std::tuple{temp.RemoveStaleFiles(), temp.Remove()}), (std::tuple{0, true}));
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"1", "2", ".hidden", "B12_W"}) QVERIFY(Touch(folder + name));
    QVERIFY(QFile::link(program.filePath("keep"), folder + "dangling"));
    QVERIFY(Touch(program.filePath("outside")));
    QVERIFY(QFile::link(program.filePath("outside"), folder + "link"));
    QCOMPARE(temp.RemoveStaleFiles(), 0);
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QVERIFY(QDir(folder).entryList(all).isEmpty());
    // A link is removed, never followed.
    QCOMPARE((QList{exists(p + "/outside"), isDir(folder)}), (QList{true, true}));
    QVERIFY(Touch(folder + "3"));
    // The program folder itself stays.
    QCOMPARE((QList{temp.Remove(), exists(folder), isDir(p)}), (QList{true, false, true}));
    // Something that resists (here a folder inside): the files still go, the folder stays.
    QVERIFY(QDir().mkpath(folder + "sub"));
    QVERIFY(Touch(folder + "4"));
    QCOMPARE((QList{temp.Remove(), exists(folder + "4"), isDir(folder + "sub")}),
             (QList{false, false, true}));
    // The empty per-user parent this run made goes with its folder ...
    TTempFolder perUser(QString(), p + "/orlaventis/T/");
    QVERIFY(Touch(perUser.FilePath("5")));
    QCOMPARE((QList{perUser.Remove(), exists(p + "/orlaventis"), isDir(p)}),
             (QList{true, false, true}));
    // ... but a folder of the user's that was there before stays, whatever its name.
    TTempFolder mine(QString(), p + "/orlaventis-mine/T/");
    QVERIFY(QDir().mkpath(mine.Folder()));
    QVERIFY(Touch(mine.FilePath("6")));
    QCOMPARE((QList{mine.Remove(), exists(mine.Folder()), isDir(p + "/orlaventis-mine")}),
             (QList{true, false, true}));
  }
};

QTEST_GUILESS_MAIN(TestArchive)
#include "TestArchive.moc"
