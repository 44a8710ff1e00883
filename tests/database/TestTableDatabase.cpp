// Tests of the table database engine on files written by our own writer and damaged by hand.
#include "RecordFileWriter.h"
#include "database/Bytes.h"
#include "database/DatabaseFixture.h"
#include "database/RecordFile.h"
#include "database/SharedFileCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orlaventis;
using namespace olvtool;
using namespace dbfixture;

namespace {

using enum ColumnType;

// Colours (Name) and Cars (Title, Price, Sold, Colours -> Colours.Name).
DatabaseSource Sample() {
  const std::vector<QStringList> names{{"Red"}, {"Green"}, {"Blue"}, {"White"}, {"Black"}};
  TableSource colours{"Colours", {Col("Name")}, names, true};
  TableSource cars{"Cars",
                   {Col("Title"), Col("Price", ctDouble), Col("Sold", ctBoolean),
                    Link("Colours", "Colours", "Name", 3)},
                   {{"Coupé", "1.5", "Yes", "3,0,5"}, {"Convertible", "2", "No", "2"}, {"Estate"}},
                   true};
  return {{colours, cars}, false, {}};
}
// A table of one integer column "N" with the records 1 and 2.
TableSource Numbers(const QString& name, bool storedCount) {
  return {name, {Col("N", ctInteger)}, {{"1"}, {"2"}}, storedCount};
}
// Answers every question with `answer`, counting them.
struct AnsweringPrompt : PasswordPrompt {
  explicit AnsweringPrompt(std::optional<QString> a) : answer(std::move(a)) {}
  std::optional<QString> AskPassword(const QString&) override { return ++asked, answer; }
  std::optional<QString> answer;
  int asked = 0;
};

}  // namespace

class TestTableDatabase : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
  bool Open(TTessaranObject& db, const QString& data, const QString& defs, const QString& pw = {}) {
    return db.Open(Path(data), Path(defs), QString(), pw);
  }
  // One table of two byte records in one file; count at 340, first record at 345.
  static QByteArray TwoByteRecords() {
    const DatabaseSource source{{{"T", {Col("B", ctByte)}, {{"1"}, {"2"}}, true}}, false, {}};
    return BuildDatabase(source, true, nullptr)->definitions;
  }
  void CheckSample(const TTessaranObject& db) {
    QCOMPARE((QList{db.TableIndex("Cars"), db.TableIndex("cars"), db.TableIndex(QString())}),
             (QList{2, 0, 0}));  // exact names
    QCOMPARE((QStringList{db.TableName(1), db.TableName(3), db.ColumnName("Cars", 4)}),
             (QStringList{"Colours", "", "Colours"}));
    QCOMPARE((QList{db.RecordCount("Cars"), db.RecordCount("T"), db.ColumnIndex(2, "Sold"),
                    db.ColumnIndexByName("Cars", "Nope")}),
             (QList{3, -1, 3, 0}));
    const auto def = [&](const char* column) { return db.GetColumnDef("Cars", column); };
    QCOMPARE((QList<int>{def("Price").TypeCode(), def("Nope").NameLength()}), (QList{8, 0}));
    QCOMPARE(db.GetValue("Cars", "Price", 1).Float64(), 1.5);
    const auto text = [&](const char* column, int record) {
      return db.GetValueAsText("Cars", column, record);
    };
    QCOMPARE((QStringList{text("Title", 1), text("Price", 2), text("Sold", 1), text("Colours", 1),
                          text("Colours", 3)}),
             (QStringList{"Coupé", "2.00", "Yes", "Blue,Black", ""}));
    const auto find = [&](const char* table, const char* column, const char* text) {
      return db.FindRecord(table, column, text);
    };
    QCOMPARE((QList{find("Cars", "Title", "Estate"), find("Cars", "Title", "Estat"),
                    find("Cars", "Sold", "No"), find("Cars", "Colours", "Green"),
                    find("Colours", "Name", "Black")}),
             (QList{3, 0, 2, 2, 5}));
  }

 private Q_SLOTS:
  void oneFileAndTwoFiles() {
    TTessaranObject db, two, s;
    QVERIFY(WriteAndOpen(Sample(), Path("one.db"), db));
    CheckSample(db);
    // Values as a column shows them: none for another type or a value not read.
    QCOMPARE(db.DateLocale(), QLocale::system());
    TFieldValue v = InitValue(ctDouble);
    v.SetFloat64(3.25);
    QCOMPARE(db.ValueToText("Cars", "Price", v), "3.25");
    QCOMPARE(db.ValueToText("Cars", "Title", v), QString());  // type differs
    v.NotRead = 1;
    QVERIFY(db.ValueToText("Cars", "Price", v).isEmpty());
    QVERIFY(WriteAndOpen(Sample(), Path("defs.db"), two, Path("data.db")));
    CheckSample(two);
    QVERIFY(!Open(two, "data.db", "missing.db"));
    QVERIFY(!Open(two, "missing.db", "defs.db"));
    // A lock file that exists keeps the database closed.
    QVERIFY(!two.Open(Path("data.db"), Path("defs.db"), Path("one.db"), QString()));
    QVERIFY(two.Open(Path("data.db"), Path("defs.db"), Path("no.lck"), QString()));
    // Scrambled strings read back the same.
    DatabaseSource scrambled = Sample();
    scrambled.scrambled = true;
    QVERIFY(WriteAndOpen(scrambled, Path("s.db"), s));
    QVERIFY(s.Header().TextScrambled());
    CheckSample(s);
    QVERIFY(!ReadFile(Path("s.db")).contains("Convertible"));
  }
  // Databases lent one cache hold one copy of a file; a database without one reads its own.
  void databasesLentOneCacheShareTheirFile() {
    SharedFileCache files;
    TTessaranObject a(nullptr, &files), b(nullptr, &files), own;
    QVERIFY(WriteAndOpen(Sample(), Path("shared.db"), a));
    QVERIFY(Open(b, "shared.db", "shared.db"));
    QVERIFY(Open(own, "shared.db", "shared.db"));
    CheckSample(b);
    const auto bytes = [](const TTessaranObject& db) {
      return db.FieldData(db.ResolveColumn("Cars", "Title"), 1).data();
    };
    QVERIFY(bytes(a) != nullptr);
    QCOMPARE(bytes(b), bytes(a));
    QVERIFY(bytes(own) != bytes(a));
  }
  void recordCountFromDataSize() {
    DatabaseSource s{{Numbers("Only", false)}, false, {}};
    const auto built = BuildDatabase(s, false, nullptr);
    QVERIFY(WriteFile(Path("c.def"), built->definitions));
    QVERIFY(WriteFile(Path("c.dat"), built->data + QByteArray("\x07\0\0\0\x09\0", 6)));
    TTessaranObject db;
    QVERIFY(Open(db, "c.dat", "c.def"));
    QCOMPARE(db.RecordCount("Only"), 3);  // 2 stored, 3 whole records present
    QCOMPARE(db.GetValueAsText("Only", "N", 3), "7");
    // With the count marked as stored, the stored count holds.
    s.tables[0].storedCount = true;
    QVERIFY(WriteFile(Path("c.def"), BuildDatabase(s, false, nullptr)->definitions));
    QVERIFY(Open(db, "c.dat", "c.def"));
    QCOMPARE(db.RecordCount("Only"), 2);
    // The count follows the data size only for a single table in its own data file.
    s.tables[0].storedCount = false;
    const QByteArray one = BuildDatabase(s, true, nullptr)->definitions;
    QVERIFY(WriteFile(Path("one.db"), one + QByteArray(8, '\x01')));
    QVERIFY(Open(db, "one.db", "one.db"));
    QCOMPARE(db.RecordCount("Only"), 2);
    s.tables.push_back(Numbers("Second", false));
    const auto two = BuildDatabase(s, false, nullptr);
    QVERIFY(WriteFile(Path("t.def"), two->definitions));
    QVERIFY(WriteFile(Path("t.dat"), two->data + QByteArray(8, '\x01')));
    QVERIFY(Open(db, "t.dat", "t.def"));
    QCOMPARE((QList{db.RecordCount("Only"), db.RecordCount("Second")}), (QList{2, 2}));
  }
  // Names are cut to 63 characters; a display text that never ends is cut too.
  void namesAndTextsAreCut() {
    DatabaseSource s{
        {{QString(63, 'T'), {Col(QString(63, 'c'), ctByte)}, {{"5"}}, true}}, false, {}};
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("n.db"), db));
    const QString longTable = QString(63, 'T') + "1234567";
    QCOMPARE((QList{db.TableIndex(longTable), db.TableIndex(QString(62, 'T'))}), (QList{1, 0}));
    QCOMPARE(db.GetValueAsText(longTable, QString(70, 'c'), 1), QStringLiteral("5"));
    s.tables[0].name += 'x';  // the writer refuses a 64-character name
    QString error;
    QVERIFY(!WriteDatabase(s, Path("n2.db"), QString(), &error));
    QVERIFY2(error.contains("63"), qPrintable(error));
    QVERIFY(!QFile::exists(Path("n2.db")));
    // A link list that links to itself: the display text still ends, within 255 characters.
    const QString cell = QStringList(50, "1").join(',');
    const DatabaseSource loop{
        {{"Loop", {Link("Self", "Loop", "Self", 50)}, {{cell}}, true}}, false, {}};
    QVERIFY(WriteAndOpen(loop, Path("loop.db"), db));
    const QString text = db.GetValueAsText("Loop", "Self", 1);
    QCOMPARE_LE(text.size(), 255);
    QVERIFY2(text.startsWith(",,,"), qPrintable(text));
  }
  void damagedDefinitionsDoNotOpen_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    const QByteArray good = BuildDatabase(Sample(), true, nullptr)->definitions;
    auto patched = [&good](int at, char byte) {
      QByteArray b = good;
      b[at] = byte;
      return b;
    };
    // Huge counts with few bytes behind them fail without allocating for the count; a negative
    // table count is an empty database.
    QByteArray huge = good.left(kDbHeaderSize + kTableDefSize + 10);
    QByteArray negative = good.left(kDbHeaderSize);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(huge.data()), 0x7FFFFFFF);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(huge.data()) + kDbHeaderSize, 0x7FFFFFFF);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(negative.data()), -4);
    QTest::newRow("as written") << good << true;
    QTest::newRow("version 101") << patched(270, 101) << false;
    QTest::newRow("TessAran") << patched(10, 'A') << false;
    QTest::newRow("header byte 5") << patched(5, 7) << false;
    QTest::newRow("cut header") << good.left(271) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("column type 15") << patched(kDbHeaderSize + kTableDefSize + 70, 15) << false;
    QTest::newRow("huge counts") << huge << false;
    QTest::newRow("negative table count") << negative << true;
  }
  void damagedDefinitionsDoNotOpen() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QVERIFY(WriteFile(Path("d.db"), bytes));
    TTessaranObject db;
    QCOMPARE(Open(db, "d.db", "d.db"), opens);
  }
  // Cut inside the second table's columns: Open fails, but the first table is still known.
  void definitionsCutShortKeepTheTablesBefore() {
    const QByteArray good = BuildDatabase(Sample(), true, nullptr)->definitions;
    const int cut = kDbHeaderSize + kTableDefSize + kColumnDefSize + kTableDefSize + 20;
    QVERIFY(WriteFile(Path("d.db"), good.left(cut)));
    TTessaranObject db;
    QVERIFY(!Open(db, "d.db", "d.db"));
    QCOMPARE((QList{db.TableIndex("Colours"), db.TableIndex("Cars")}), (QList{1, 2}));
    QVERIFY(!db.GetValue("Colours", "Name", 1).IsRead());
  }
  void recordsOutsideTheDataReadAsNotRead() {
    TTessaranObject db;
    QVERIFY(WriteAndOpen(Sample(), Path("cut.def"), db, Path("cut.dat")));
    QFile data(Path("cut.dat"));
    QVERIFY(data.resize(data.size() - 3));  // the last record of Cars loses its link list
    QVERIFY(Open(db, "cut.dat", "cut.def"));
    // Not read, typed as the column: the field cut off, record 0 and one past the end; no column.
    const auto cell = [&](const char* column, int record) {
      const TFieldValue v = db.GetValue("Cars", column, record);
      return std::tuple{v.IsRead(), int(v.Type), db.GetValueAsText("Cars", column, record)};
    };
    QCOMPARE(cell("Colours", 3), (std::tuple{false, 10, QString()}));
    QCOMPARE(cell("Title", 0), (std::tuple{false, 13, QString()}));
    QCOMPARE((QList{get<0>(cell("Title", 4)), get<0>(cell("Nope", 1))}), (QList{false, false}));
    QVERIFY(get<0>(cell("Sold", 3)));  // earlier fields still there
    // An empty text finds the first record that shows empty: here the one cut short.
    QCOMPARE(db.FindRecord("Cars", "Colours", QString()), 3);
    // A field that starts exactly at the end of the data reads short; the one before it reads.
    QVERIFY(data.resize(data.size() - 12 + 3));  // Cars 3 ends with 12 bytes of links: drop them
    QVERIFY(Open(db, "cut.dat", "cut.def"));
    QVERIFY(!db.GetValue("Cars", "Colours", 3).IsRead());
    QCOMPARE(db.GetValueAsText("Cars", "Sold", 3), "No");
    QCOMPARE(db.FindRecord("Cars", "Colours", "Green"), 2);
  }
  void damagedCountsStayWithinTheData_data() {
    // The stored count, where the first record starts, and how many records read.
    QTest::addColumn<QList<int32_t>>("c");
    const auto bytes = TwoByteRecords();
    const int32_t first =
        LoadLE<int32_t>(reinterpret_cast<const uint8_t*>(bytes.constData()) + 345);
    const int32_t size = int32_t(bytes.size());
    const int32_t huge = 0x7FFFFFFF;
    QTest::newRow("as written") << QList{2, first, 2};
    QTest::newRow("huge count") << QList{huge, first, 2};
    QTest::newRow("huge count, first far past the end") << QList{huge, int32_t(0x80000002), 0};
    QTest::newRow("huge count, first before the start") << QList{huge, -1, 0};
    QTest::newRow("huge count, first past the end") << QList{huge, size + 1, 0};
    QTest::newRow("huge count, first at the last byte") << QList{huge, size - 1, 1};
    QTest::newRow("negative count") << QList{-5, first, 0};
  }
  void damagedCountsStayWithinTheData() {
    QFETCH(QList<int32_t>, c);
    QByteArray b = TwoByteRecords();
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 340, c[0]);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 345, c[1]);
    TTessaranObject db;
    QVERIFY(WriteFile(Path("count.db"), b));
    QVERIFY(Open(db, "count.db", "count.db"));
    QCOMPARE(ReadableRecordCount(db, "T"), c[2]);
  }
  void onlyRegularFilesAreReadAndOnlyOnce() {
    TTessaranObject db;
    QVERIFY(WriteAndOpen(Sample(), Path("s.def"), db, Path("s.dat")));
    QCOMPARE(db.OpenProblem().fault, ContentFault::None);
    // The data file shrinks while the database is open: what was read stays readable.
    QVERIFY(QFile::resize(Path("s.dat"), 0));
    QCOMPARE(db.GetValueAsText("Cars", "Title", 2), "Convertible");
    // A folder, a FIFO and a device never open, are never waited for, and are named.
    QCOMPARE(::mkfifo(QFile::encodeName(Path("fifo.db")).constData(), 0600), 0);
    // Data and definitions the same file, or a FIFO as data only.
    for (const auto& [data, defs] : {std::pair{"fifo.db", "fifo.db"}, {"fifo.db", "s.def"}}) {
      QVERIFY(!Open(db, data, defs));
      QCOMPARE(db.OpenProblem().fault, ContentFault::NotRegular);
      QCOMPARE(db.OpenProblem().file, Path(data));
    }
    // A missing file is no damage to report.
    QVERIFY(!Open(db, "none.db", "none.db"));
    QCOMPARE(db.OpenProblem().fault, ContentFault::None);
  }
  // Names: a five-character field holding "abcde", "abc", "" and "ÿ".
  static DatabaseSource FindSource() {
    const std::vector<QStringList> names{{"abcde"}, {"abc"}, {""}, {"ÿ"}};
    return {
        {{"Empty", {Col("Name")}, {}, true}, {"Names", {Col("Name", ctString, 5)}, names, true}},
        false,
        {}};
  }
  void findRecord_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("record");
    const std::pair<const char*, int> finds[] = {
        {"abcde", 1}, {"abc", 2}, {"ab", 0}, {"abcdef", 0}, {"", 3}, {"ÿ", 4}, {"\u0101", 0}};
    for (const auto& [text, record] : finds)
      QTest::addRow("\"%s\"", text) << QString::fromUtf8(text) << record;
  }
  void findRecord() {
    QFETCH(QString, text);
    QFETCH(int, record);
    TTessaranObject db;
    QVERIFY(WriteAndOpen(FindSource(), Path("f.db"), db));
    QCOMPARE(db.FindRecord("Names", "Name", text), record);
  }
  void findRecordEdges() {
    DatabaseSource s = FindSource();
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("f.db"), db));
    QCOMPARE(db.FindRecord("Empty", "Name", QString()), 0);
    QCOMPARE(db.FindRecord("Names", "Nope", QString()), 0);
    // The scrambled form has no room for ÿ: the writer refuses it, naming the place.
    s.scrambled = true;
    QString error;
    QVERIFY(!WriteDatabase(s, Path("f2.db"), QString(), &error));
    QVERIFY2(error.contains("table \"Names\", record 4, column \"Name\""), qPrintable(error));
  }
  void passwords() {
    DatabaseSource s = Sample();
    s.password = "Secret";
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("p.db"), db, QString(), "Secret"));
    CheckSample(db);
    QVERIFY(Open(db, "p.db", "p.db", "Xecret"));  // the first character is not checked
    QVERIFY(!Open(db, "p.db", "p.db", "Secreu"));
    QCOMPARE(db.TableCount(), 0);                   // a failed check closes again
    QVERIFY(!Open(db, "p.db", "p.db", "Secrets"));  // too long
    QVERIFY(!Open(db, "p.db", "p.db"));             // none and no prompt to ask
    // Positions 2 to 64 count; a password is cut to 63 characters, so position 64 always
    // compares its own number.
    s.password = QString(62, 'k') + 'z';
    QVERIFY(WriteAndOpen(s, Path("p.db"), db, QString(), s.password));
    QVERIFY(Open(db, "p.db", "p.db", s.password + "anything"));
    QVERIFY(!Open(db, "p.db", "p.db", QString(62, 'k') + 'y'));
    QVERIFY(!Open(db, "p.db", "p.db", QString(62, 'k')));
    s.password = "Secret";
    AnsweringPrompt right(QString("Secret")), cancel(std::nullopt), empty(QString{}),
        never(QString("x"));
    TTessaranObject asked(&right), cancelled(&cancel), emptied(&empty), plain(&never);
    QVERIFY(WriteAndOpen(s, Path("p.db"), asked));
    QCOMPARE(right.asked, 1);
    QVERIFY(Open(asked, "p.db", "p.db", "Secret"));
    QCOMPARE(right.asked, 1);  // given: not asked
    QVERIFY(!Open(cancelled, "p.db", "p.db"));
    QVERIFY(!Open(emptied, "p.db", "p.db"));
    // A database without a password never asks.
    QVERIFY(WriteAndOpen(Sample(), Path("np.db"), plain, QString(), "any"));
    QCOMPARE(never.asked, 0);
  }
};

QTEST_GUILESS_MAIN(TestTableDatabase)
#include "TestTableDatabase.moc"
