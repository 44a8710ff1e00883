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

// Colours (Name) and Cars (Title, Price, Sold, Colours -> Colours.Name).
DatabaseSource Sample() {
  TableSource colours{"Colours", {Col("Name")}, {{"Red"}, {"Green"}, {"Blue"}, {"White"}, {"Black"}}, true};
  TableSource cars{"Cars",
                   {Col("Title"), Col("Price", ColumnType::ctDouble), Col("Sold", ColumnType::ctBoolean),
                    Link("Colours", "Colours", "Name", 3)},
                   {{"Coupé", "1.5", "Yes", "3,0,5"}, {"Convertible", "2", "No", "2"}, {"Estate"}},
                   true};
  return {{colours, cars}, false, {}};
}

// A table of one integer column "N" with the records 1 and 2.
TableSource Numbers(const QString& name, bool storedCount) {
  return {name, {Col("N", ColumnType::ctInteger)}, {{"1"}, {"2"}}, storedCount};
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
  bool Open(TTessaranObject& db, const QString& data, const QString& defs, const QString& password = QString()) {
    return db.Open(Path(data), Path(defs), QString(), password);
  }

  void CheckSample(const TTessaranObject& db) {
    QVERIFY(db.TableIndex("Cars") == 2 && db.TableIndex("cars") == 0 && db.TableIndex(QString()) == 0);  // exact names
    QVERIFY(db.TableName(1) == "Colours" && db.TableName(3).isEmpty() && db.RecordCount("Cars") == 3 && db.RecordCount("T") == -1);
    QVERIFY(db.ColumnIndex(2, "Sold") == 3 && db.ColumnIndexByName("Cars", "Nope") == 0 && db.ColumnName("Cars", 4) == "Colours");
    QVERIFY(db.GetColumnDef("Cars", "Price").TypeCode() == 8 && db.GetColumnDef("Cars", "Nope").NameLength() == 0);
    QCOMPARE(db.GetValue("Cars", "Price", 1).Float64(), 1.5);
    const struct { const char *column, *text; int record; } cells[] = {
        {"Title", "Coupé", 1}, {"Price", "2.00", 2}, {"Sold", "Yes", 1}, {"Colours", "Blue,Black", 1}, {"Colours", "", 3}};
    for (const auto& c : cells) QCOMPARE(db.GetValueAsText("Cars", c.column, c.record), QString::fromUtf8(c.text));
    QVERIFY(db.FindRecord("Cars", "Title", "Estate") == 3 && db.FindRecord("Cars", "Title", "Estat") == 0);
    QVERIFY(db.FindRecord("Cars", "Sold", "No") == 2 && db.FindRecord("Cars", "Colours", "Green") == 2);
    QCOMPARE(db.FindRecord("Colours", "Name", "Black"), 5);
  }

 private Q_SLOTS:
  void oneFileAndTwoFiles() {
    TTessaranObject db, two, s;
    QVERIFY(WriteAndOpen(Sample(), Path("one.db"), db));
    CheckSample(db);
    QVERIFY(WriteAndOpen(Sample(), Path("defs.db"), two, Path("data.db")));
    CheckSample(two);
    QVERIFY(!Open(two, "data.db", "missing.db") && !Open(two, "missing.db", "defs.db"));
    // A lock file that exists keeps the database closed.
    QVERIFY(!two.Open(Path("data.db"), Path("defs.db"), Path("one.db"), QString()));
    QVERIFY(two.Open(Path("data.db"), Path("defs.db"), Path("no.lck"), QString()));
    // Scrambled strings read back the same.
    DatabaseSource scrambled = Sample();
    scrambled.scrambled = true;
    QVERIFY(WriteAndOpen(scrambled, Path("s.db"), s) && s.Header().TextScrambled());
    CheckSample(s);
    QVERIFY(!ReadFile(Path("s.db")).contains("Convertible"));
  }

  // Databases lent one cache hold one copy of a file; a database without one reads its own.
  void databasesLentOneCacheShareTheirFile() {
    SharedFileCache files;
    TTessaranObject a(nullptr, &files), b(nullptr, &files), own;
    QVERIFY(WriteAndOpen(Sample(), Path("shared.db"), a) && Open(b, "shared.db", "shared.db"));
    QVERIFY(Open(own, "shared.db", "shared.db"));
    CheckSample(b);
    const auto bytes = [](const TTessaranObject& db) { return db.FieldData(db.ResolveColumn("Cars", "Title"), 1).data(); };
    QVERIFY(bytes(a) != nullptr && bytes(a) == bytes(b) && bytes(own) != bytes(a));
  }

  void recordCountFromDataSize() {
    DatabaseSource s{{Numbers("Only", false)}, false, {}};
    QVERIFY(WriteFile(Path("c.def"), BuildDatabase(s, false, nullptr)->definitions));
    QVERIFY(WriteFile(Path("c.dat"), BuildDatabase(s, false, nullptr)->data + QByteArray("\x07\0\0\0\x09\0", 6)));
    TTessaranObject db;
    QVERIFY(Open(db, "c.dat", "c.def"));
    QVERIFY(db.RecordCount("Only") == 3 && db.GetValueAsText("Only", "N", 3) == "7");  // 2 stored, 3 whole records present
    // With the count marked as stored, the stored count holds.
    s.tables[0].storedCount = true;
    QVERIFY(WriteFile(Path("c.def"), BuildDatabase(s, false, nullptr)->definitions));
    QVERIFY(Open(db, "c.dat", "c.def") && db.RecordCount("Only") == 2);
    // The count follows the data size only for a single table in its own data file.
    s.tables[0].storedCount = false;
    QVERIFY(WriteFile(Path("one.db"), BuildDatabase(s, true, nullptr)->definitions + QByteArray(8, '\x01')));
    QVERIFY(Open(db, "one.db", "one.db") && db.RecordCount("Only") == 2);
    s.tables.push_back(Numbers("Second", false));
    const auto two = BuildDatabase(s, false, nullptr);
    QVERIFY(WriteFile(Path("t.def"), two->definitions) && WriteFile(Path("t.dat"), two->data + QByteArray(8, '\x01')));
    QVERIFY(Open(db, "t.dat", "t.def") && db.RecordCount("Only") == 2 && db.RecordCount("Second") == 2);
  }

  void namesAreCutTo63Characters() {
    DatabaseSource s{{{QString(63, 'T'), {Col(QString(63, 'c'), ColumnType::ctByte)}, {{"5"}}, true}}, false, {}};
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("n.db"), db));
    const QString longTable = QString(63, 'T') + "1234567";
    QVERIFY(db.TableIndex(longTable) == 1 && db.TableIndex(QString(62, 'T')) == 0);
    QCOMPARE(db.GetValueAsText(longTable, QString(70, 'c'), 1), QStringLiteral("5"));
    s.tables[0].name += 'x';  // the writer refuses a 64-character name
    QString error;
    QVERIFY(!WriteDatabase(s, Path("n2.db"), QString(), &error) && error.contains("63") && !QFile::exists(Path("n2.db")));
  }

  void damagedDefinitionsDoNotOpen() {
    const QByteArray good = BuildDatabase(Sample(), true, nullptr)->definitions;
    auto patched = [&good](int at, char byte) {
      QByteArray b = good;
      b[at] = byte;
      return b;
    };
    // Huge counts with few bytes behind them fail without allocating for the count; a negative
    // table count is an empty database.
    QByteArray huge = good.left(kDbHeaderSize + kTableDefSize + 10), negative = good.left(kDbHeaderSize);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(huge.data()), 0x7FFFFFFF);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(huge.data()) + kDbHeaderSize, 0x7FFFFFFF);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(negative.data()), -4);
    const struct { const char* what; QByteArray bytes; bool opens; } cases[] = {
        {"as written", good, true}, {"version 101", patched(270, 101), false}, {"TessAran", patched(10, 'A'), false},
        {"header byte 5", patched(5, 7), false}, {"cut header", good.left(271), false}, {"empty", QByteArray(), false},
        {"column type 15", patched(kDbHeaderSize + kTableDefSize + 70, 15), false}, {"huge counts", huge, false},
        {"negative table count", negative, true}};
    for (const auto& c : cases) {
      QVERIFY(WriteFile(Path("d.db"), c.bytes));
      TTessaranObject db;
      QVERIFY2(Open(db, "d.db", "d.db") == c.opens, c.what);
    }
    // Cut inside the second table's columns: Open fails, but the first table is still known.
    QVERIFY(WriteFile(Path("d.db"), good.left(kDbHeaderSize + kTableDefSize + kColumnDefSize + kTableDefSize + 20)));
    TTessaranObject db;
    QVERIFY(!Open(db, "d.db", "d.db"));
    QVERIFY(db.TableIndex("Colours") == 1 && db.TableIndex("Cars") == 2 && !db.GetValue("Colours", "Name", 1).IsRead());
  }

  void recordsOutsideTheDataReadAsNotRead() {
    TTessaranObject db;
    QVERIFY(WriteAndOpen(Sample(), Path("cut.def"), db, Path("cut.dat")));
    QFile data(Path("cut.dat"));
    QVERIFY(data.resize(data.size() - 3));  // the last record of Cars loses its link list
    QVERIFY(Open(db, "cut.dat", "cut.def"));
    // Not read, typed as the column: the field cut off, record 0 and one past the end; no column.
    const TFieldValue links = db.GetValue("Cars", "Colours", 3), none = db.GetValue("Cars", "Title", 0);
    QVERIFY(!links.IsRead() && links.Type == 10 && db.GetValueAsText("Cars", "Colours", 3).isEmpty());
    QVERIFY(!none.IsRead() && none.Type == 13 && db.GetValueAsText("Cars", "Title", 0).isEmpty());
    QVERIFY(!db.GetValue("Cars", "Title", 4).IsRead() && !db.GetValue("Cars", "Nope", 1).IsRead());
    QVERIFY(db.GetValue("Cars", "Sold", 3).IsRead());  // earlier fields still there
    // An empty text finds the first record that shows empty: here the one cut short.
    QCOMPARE(db.FindRecord("Cars", "Colours", QString()), 3);
    // A field that starts exactly at the end of the data reads short; the one before it reads.
    QVERIFY(data.resize(data.size() - 12 + 3));  // Cars 3 ends with 12 bytes of links: drop them
    QVERIFY(Open(db, "cut.dat", "cut.def") && !db.GetValue("Cars", "Colours", 3).IsRead());
    QVERIFY(db.GetValueAsText("Cars", "Sold", 3) == "No" && db.FindRecord("Cars", "Colours", "Green") == 2);
  }

  void damagedCountsStayWithinTheData() {
    // One table of two byte records in one file; count at 340, first record at 345.
    const DatabaseSource source{{{"T", {Col("B", ColumnType::ctByte)}, {{"1"}, {"2"}}, true}}, false, {}};
    const QByteArray good = BuildDatabase(source, true, nullptr)->definitions;
    const int32_t first = LoadLE<int32_t>(reinterpret_cast<const uint8_t*>(good.constData()) + 345);
    const struct { int32_t count, first, readable; } cases[] = {
        {2, first, 2}, {0x7FFFFFFF, first, 2}, {0x7FFFFFFF, int32_t(0x80000002), 0},
        {0x7FFFFFFF, -1, 0}, {0x7FFFFFFF, int32_t(good.size()) + 1, 0},
                 {0x7FFFFFFF, int32_t(good.size()) - 1, 1}, {-5, first, 0}};
    for (const auto& c : cases) {
      QByteArray b = good;
      StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 340, c.count);
      StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 345, c.first);
      TTessaranObject db;
      QVERIFY(WriteFile(Path("count.db"), b) && Open(db, "count.db", "count.db"));
      QCOMPARE(ReadableRecordCount(db, "T"), c.readable);
    }
  }

  void onlyRegularFilesAreReadAndOnlyOnce() {
    TTessaranObject db;
    QVERIFY(WriteAndOpen(Sample(), Path("s.def"), db, Path("s.dat")));
    QCOMPARE(db.OpenProblem().fault, ContentFault::None);
    // The data file shrinks while the database is open: what was read stays readable.
    QVERIFY(QFile::resize(Path("s.dat"), 0) && db.GetValueAsText("Cars", "Title", 2) == "Convertible");
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

  void findRecordEdges() {
    DatabaseSource s{{{"Empty", {Col("Name")}, {}, true},
                      {"Names", {Col("Name", ColumnType::ctString, 5)}, {{"abcde"}, {"abc"}, {""}, {"ÿ"}}, true}}, false, {}};
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("f.db"), db));
    QVERIFY(db.FindRecord("Empty", "Name", QString()) == 0 && db.FindRecord("Names", "Nope", QString()) == 0);
    const std::pair<const char*, int> finds[] = {{"abcde", 1}, {"abc", 2}, {"ab", 0}, {"abcdef", 0}, {"", 3}, {"ÿ", 4}, {"\u0101", 0}};
    for (const auto& [text, record] : finds) QCOMPARE(db.FindRecord("Names", "Name", QString::fromUtf8(text)), record);
    // The scrambled form has no room for ÿ: the writer refuses it, naming the place.
    s.scrambled = true;
    QString error;
    QVERIFY(!WriteDatabase(s, Path("f2.db"), QString(), &error));
    QVERIFY2(error.contains("table \"Names\", record 4, column \"Name\""), qPrintable(error));
  }

  void valueToText() {
    TTessaranObject db;
    QVERIFY(WriteAndOpen(Sample(), Path("v.db"), db) && db.DateLocale() == QLocale::system());
    TFieldValue v = InitValue(ColumnType::ctDouble);
    v.SetFloat64(3.25);
    QVERIFY(db.ValueToText("Cars", "Price", v) == "3.25" && db.ValueToText("Cars", "Title", v).isEmpty());  // type differs
    v.NotRead = 1;
    QVERIFY(db.ValueToText("Cars", "Price", v).isEmpty());
  }

  void linkCyclesEnd() {
    // A link list that links to itself: the display text must still end.
    const QString cell = QStringList(50, "1").join(',');
    TTessaranObject db;
    QVERIFY(WriteAndOpen({{{"Loop", {Link("Self", "Loop", "Self", 50)}, {{cell}}, true}}, false, {}}, Path("loop.db"), db));
    const QString text = db.GetValueAsText("Loop", "Self", 1);
    QVERIFY2(text.size() <= 255 && text.startsWith(",,,"), qPrintable(text));
  }

  void passwords() {
    DatabaseSource s = Sample();
    s.password = "Secret";
    TTessaranObject db;
    QVERIFY(WriteAndOpen(s, Path("p.db"), db, QString(), "Secret"));
    CheckSample(db);
    QVERIFY(Open(db, "p.db", "p.db", "Xecret"));  // the first character is not checked
    QVERIFY(!Open(db, "p.db", "p.db", "Secreu") && db.TableCount() == 0);  // a failed check closes again
    QVERIFY(!Open(db, "p.db", "p.db", "Secrets") && !Open(db, "p.db", "p.db"));  // too long; none and no prompt to ask
    // Positions 2 to 64 count; a password is cut to 63 characters, so position 64 always
    // compares its own number.
    s.password = QString(62, 'k') + 'z';
    QVERIFY(WriteAndOpen(s, Path("p.db"), db, QString(), s.password));
    QVERIFY(Open(db, "p.db", "p.db", s.password + "anything"));
    QVERIFY(!Open(db, "p.db", "p.db", QString(62, 'k') + 'y') && !Open(db, "p.db", "p.db", QString(62, 'k')));
    s.password = "Secret";
    AnsweringPrompt right(QStringLiteral("Secret")), cancel(std::nullopt), empty(QString{}), never(QStringLiteral("x"));
    TTessaranObject asked(&right), cancelled(&cancel), emptied(&empty), plain(&never);
    QVERIFY(WriteAndOpen(s, Path("p.db"), asked) && right.asked == 1);
    QVERIFY(Open(asked, "p.db", "p.db", "Secret") && right.asked == 1);  // given: not asked
    QVERIFY(!Open(cancelled, "p.db", "p.db") && !Open(emptied, "p.db", "p.db"));
    // A database without a password never asks.
    QVERIFY(WriteAndOpen(Sample(), Path("np.db"), plain, QString(), "any") && never.asked == 0);
  }
};

QTEST_GUILESS_MAIN(TestTableDatabase)
#include "TestTableDatabase.moc"
