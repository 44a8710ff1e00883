// Tests of the table database engine, on databases written by our own writer.
#include "DatabaseWriter.h"
#include "database/Bytes.h"
#include "database/TableDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orlaventis;
using namespace olvtool;

namespace {

ColumnSource Col(const QString& name, ColumnType type) {
  ColumnSource c;
  c.name = name;
  c.type = type;
  return c;
}

// Colours (Name) and Cars (Title, Price, Sold, Colours -> Colours.Name).
DatabaseSource Sample() {
  DatabaseSource s;
  TableSource colours;
  colours.name = QStringLiteral("Colours");
  colours.columns = {Col(QStringLiteral("Name"), ColumnType::ctString)};
  for (const char* n : {"Red", "Green", "Blue", "White", "Black"}) colours.records.push_back({QString::fromLatin1(n)});
  TableSource cars;
  cars.name = QStringLiteral("Cars");
  ColumnSource links = Col(QStringLiteral("Colours"), ColumnType::ctLinkList);
  links.linkTable = QStringLiteral("Colours");
  links.linkColumn = QStringLiteral("Name");
  links.linkCount = 3;
  cars.columns = {Col(QStringLiteral("Title"), ColumnType::ctString),
                  Col(QStringLiteral("Price"), ColumnType::ctDouble),
                  Col(QStringLiteral("Sold"), ColumnType::ctBoolean), links};
  cars.records = {{QStringLiteral("Coupé"), QStringLiteral("1.5"), QStringLiteral("Yes"), QStringLiteral("3,0,5")},
                  {QStringLiteral("Convertible"), QStringLiteral("2"), QStringLiteral("No"), QStringLiteral("2")},
                  {QStringLiteral("Estate")}};
  s.tables = {colours, cars};
  return s;
}

bool Save(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class AnsweringPrompt : public PasswordPrompt {
 public:
  explicit AnsweringPrompt(std::optional<QString> answer) : answer_(std::move(answer)) {}
  std::optional<QString> AskPassword(const QString&) override {
    ++asked;
    return answer_;
  }
  int asked = 0;

 private:
  std::optional<QString> answer_;
};

}  // namespace

class TestTableDatabase : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

  void CheckSample(const TTessaranObject& db) {
    QCOMPARE(db.TableIndex(QStringLiteral("Cars")), 2);
    QCOMPARE(db.TableIndex(QStringLiteral("cars")), 0);  // exact comparison
    QCOMPARE(db.TableIndex(QString()), 0);
    QCOMPARE(db.TableName(1), QStringLiteral("Colours"));
    QCOMPARE(db.TableName(3), QString());
    QCOMPARE(db.RecordCount(QStringLiteral("Cars")), 3);
    QCOMPARE(db.RecordCount(QStringLiteral("Trucks")), -1);
    QCOMPARE(db.ColumnIndex(2, QStringLiteral("Sold")), 3);
    QCOMPARE(db.ColumnIndexByName(QStringLiteral("Cars"), QStringLiteral("Nope")), 0);
    QCOMPARE(db.ColumnName(QStringLiteral("Cars"), 4), QStringLiteral("Colours"));
    QCOMPARE(db.GetColumnDef(QStringLiteral("Cars"), QStringLiteral("Price")).TypeCode(), uint8_t{8});
    QCOMPARE(db.GetColumnDef(QStringLiteral("Cars"), QStringLiteral("Nope")).NameLength(), 0);
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Title"), 1), QStringLiteral("Coupé"));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Price"), 2), QStringLiteral("2.00"));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Sold"), 1), QStringLiteral("Yes"));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Colours"), 1), QStringLiteral("Blue,Black"));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Colours"), 3), QString());
    QCOMPARE(db.GetValue(QStringLiteral("Cars"), QStringLiteral("Price"), 1).Float64(), 1.5);
    QCOMPARE(db.FindRecord(QStringLiteral("Cars"), QStringLiteral("Title"), QStringLiteral("Estate")), 3);
    QCOMPARE(db.FindRecord(QStringLiteral("Cars"), QStringLiteral("Title"), QStringLiteral("Estat")), 0);
    QCOMPARE(db.FindRecord(QStringLiteral("Cars"), QStringLiteral("Sold"), QStringLiteral("No")), 2);
    QCOMPARE(db.FindRecord(QStringLiteral("Cars"), QStringLiteral("Colours"), QStringLiteral("Green")), 2);
    QCOMPARE(db.FindRecord(QStringLiteral("Colours"), QStringLiteral("Name"), QStringLiteral("Black")), 5);
  }

 private Q_SLOTS:
  void oneFileAndTwoFiles() {
    QString error;
    QVERIFY2(WriteDatabase(Sample(), Path(QStringLiteral("one.db")), QString(), &error), qPrintable(error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("one.db")), Path(QStringLiteral("one.db")), QString(), QString()));
    CheckSample(db);

    QVERIFY2(WriteDatabase(Sample(), Path(QStringLiteral("defs.db")), Path(QStringLiteral("data.db")), &error),
             qPrintable(error));
    TTessaranObject two;
    QVERIFY(two.Open(Path(QStringLiteral("data.db")), Path(QStringLiteral("defs.db")), QString(), QString()));
    CheckSample(two);
    QVERIFY(!two.Open(Path(QStringLiteral("data.db")), Path(QStringLiteral("missing.db")), QString(), QString()));
    QVERIFY(!two.Open(Path(QStringLiteral("missing.db")), Path(QStringLiteral("defs.db")), QString(), QString()));
    // A lock file that exists keeps the database closed.
    QVERIFY(!two.Open(Path(QStringLiteral("data.db")), Path(QStringLiteral("defs.db")), Path(QStringLiteral("one.db")), QString()));
    QVERIFY(two.Open(Path(QStringLiteral("data.db")), Path(QStringLiteral("defs.db")), Path(QStringLiteral("no.lck")), QString()));

    // Scrambled strings read back the same.
    DatabaseSource scrambled = Sample();
    scrambled.scrambled = true;
    QVERIFY(WriteDatabase(scrambled, Path(QStringLiteral("s.db")), QString(), &error));
    TTessaranObject s;
    QVERIFY(s.Open(Path(QStringLiteral("s.db")), Path(QStringLiteral("s.db")), QString(), QString()));
    QVERIFY(s.Header().TextScrambled());
    CheckSample(s);
    QFile f(Path(QStringLiteral("s.db")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().contains("Convertible"));
  }

  void recordCountFromDataSize() {
    DatabaseSource s;
    TableSource t;
    t.name = QStringLiteral("Only");
    t.storedCount = false;
    t.columns = {Col(QStringLiteral("N"), ColumnType::ctInteger)};
    t.records = {{QStringLiteral("1")}, {QStringLiteral("2")}};
    s.tables = {t};
    const auto image = BuildDatabase(s, false, nullptr);
    QVERIFY(image);
    QVERIFY(Save(Path(QStringLiteral("c.def")), image->definitions));
    QVERIFY(Save(Path(QStringLiteral("c.dat")), image->data + QByteArray("\x07\0\0\0\x09\0", 6)));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("c.dat")), Path(QStringLiteral("c.def")), QString(), QString()));
    QCOMPARE(db.RecordCount(QStringLiteral("Only")), 3);  // 2 stored, 3 whole records present
    QCOMPARE(db.GetValueAsText(QStringLiteral("Only"), QStringLiteral("N"), 3), QStringLiteral("7"));
    // With the count marked as stored, the stored count holds.
    s.tables[0].storedCount = true;
    QVERIFY(Save(Path(QStringLiteral("c.def")), BuildDatabase(s, false, nullptr)->definitions));
    QVERIFY(db.Open(Path(QStringLiteral("c.dat")), Path(QStringLiteral("c.def")), QString(), QString()));
    QCOMPARE(db.RecordCount(QStringLiteral("Only")), 2);

    // The count follows the data size only for a single table in its own data file.
    s.tables[0].storedCount = false;
    QVERIFY(Save(Path(QStringLiteral("one.db")),
                 BuildDatabase(s, true, nullptr)->definitions + QByteArray(8, '\x01')));
    QVERIFY(db.Open(Path(QStringLiteral("one.db")), Path(QStringLiteral("one.db")), QString(), QString()));
    QCOMPARE(db.RecordCount(QStringLiteral("Only")), 2);
    TableSource second = s.tables[0];
    second.name = QStringLiteral("Second");
    s.tables.push_back(second);
    const auto two = BuildDatabase(s, false, nullptr);
    QVERIFY(Save(Path(QStringLiteral("t.def")), two->definitions));
    QVERIFY(Save(Path(QStringLiteral("t.dat")), two->data + QByteArray(8, '\x01')));
    QVERIFY(db.Open(Path(QStringLiteral("t.dat")), Path(QStringLiteral("t.def")), QString(), QString()));
    QCOMPARE(db.RecordCount(QStringLiteral("Only")), 2);
    QCOMPARE(db.RecordCount(QStringLiteral("Second")), 2);
  }

  void namesAreCutTo63Characters() {
    DatabaseSource s;
    TableSource t;
    t.name = QString(63, QLatin1Char('T'));
    t.columns = {Col(QString(63, QLatin1Char('c')), ColumnType::ctByte)};
    t.records = {{QStringLiteral("5")}};
    s.tables = {t};
    QString error;
    QVERIFY(WriteDatabase(s, Path(QStringLiteral("n.db")), QString(), &error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("n.db")), Path(QStringLiteral("n.db")), QString(), QString()));
    const QString longTable = QString(63, QLatin1Char('T')) + QStringLiteral("1234567");
    QCOMPARE(db.TableIndex(longTable), 1);
    QCOMPARE(db.GetValueAsText(longTable, QString(70, QLatin1Char('c')), 1), QStringLiteral("5"));
    QCOMPARE(db.TableIndex(QString(62, QLatin1Char('T'))), 0);
    s.tables[0].name += QLatin1Char('x');  // the writer refuses a 64-character name
    QVERIFY(!WriteDatabase(s, Path(QStringLiteral("n2.db")), QString(), &error));
    QVERIFY(error.contains(QStringLiteral("63")));
    QVERIFY(!QFile::exists(Path(QStringLiteral("n2.db"))));
  }

  void damagedDefinitionsDoNotOpen() {
    const QByteArray good = BuildDatabase(Sample(), true, nullptr)->definitions;
    auto opens = [&](const QByteArray& bytes) {
      Save(Path(QStringLiteral("d.db")), bytes);
      TTessaranObject db;
      return db.Open(Path(QStringLiteral("d.db")), Path(QStringLiteral("d.db")), QString(), QString());
    };
    QVERIFY(opens(good));
    QByteArray b = good;
    b[270] = 101;  // version 101
    QVERIFY(!opens(b));
    b = good;
    b[10] = 'A';  // "TessAran"
    QVERIFY(!opens(b));
    b = good;
    b[5] = 7;
    QVERIFY(!opens(b));
    QVERIFY(!opens(good.left(271)));
    QVERIFY(!opens(QByteArray()));
    // A column type outside 0 to 14 has no field size.
    b = good;
    b[kDbHeaderSize + kTableDefSize + 70] = 15;
    QVERIFY(!opens(b));
    // Huge counts with few bytes behind them fail without allocating for the count.
    b = good.left(kDbHeaderSize + kTableDefSize + 10);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()), 0x7FFFFFFF);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + kDbHeaderSize, 0x7FFFFFFF);
    QVERIFY(!opens(b));
    // A negative table count is an empty database.
    b = good.left(kDbHeaderSize);
    StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()), -4);
    QVERIFY(opens(b));

    // Cut inside the second table's columns: Open fails, but the first table is still known.
    Save(Path(QStringLiteral("d.db")), good.left(kDbHeaderSize + kTableDefSize + kColumnDefSize + kTableDefSize + 20));
    TTessaranObject db;
    QVERIFY(!db.Open(Path(QStringLiteral("d.db")), Path(QStringLiteral("d.db")), QString(), QString()));
    QCOMPARE(db.TableIndex(QStringLiteral("Colours")), 1);
    QCOMPARE(db.TableIndex(QStringLiteral("Cars")), 2);
    QVERIFY(!db.GetValue(QStringLiteral("Colours"), QStringLiteral("Name"), 1).IsRead());
  }

  void recordsOutsideTheDataReadAsNotRead() {
    QString error;
    QVERIFY(WriteDatabase(Sample(), Path(QStringLiteral("cut.def")), Path(QStringLiteral("cut.dat")), &error));
    QFile data(Path(QStringLiteral("cut.dat")));
    QVERIFY(data.open(QIODevice::ReadWrite));
    QVERIFY(data.resize(data.size() - 3));  // the last record of Cars loses its link list
    data.close();
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("cut.dat")), Path(QStringLiteral("cut.def")), QString(), QString()));
    const QString cars = QStringLiteral("Cars");
    TFieldValue v = db.GetValue(cars, QStringLiteral("Colours"), 3);
    QVERIFY(!v.IsRead());
    QCOMPARE(v.Type, uint8_t{10});
    QCOMPARE(db.GetValueAsText(cars, QStringLiteral("Colours"), 3), QString());
    QVERIFY(db.GetValue(cars, QStringLiteral("Sold"), 3).IsRead());  // earlier fields still there
    v = db.GetValue(cars, QStringLiteral("Title"), 0);
    QVERIFY(!v.IsRead());
    QCOMPARE(v.Type, uint8_t{13});
    QVERIFY(!db.GetValue(cars, QStringLiteral("Title"), 4).IsRead());
    QCOMPARE(db.GetValueAsText(cars, QStringLiteral("Title"), 0), QString());
    v = db.GetValue(cars, QStringLiteral("Nope"), 1);
    QVERIFY(!v.IsRead());
    // An empty text finds the first record that shows empty: here the one cut short.
    QCOMPARE(db.FindRecord(cars, QStringLiteral("Colours"), QString()), 3);

    // A field that starts exactly at the end of the data reads short; the one before it reads.
    QVERIFY(data.open(QIODevice::ReadWrite));
    QVERIFY(data.resize(data.size() - 12 + 3));  // Cars 3 ends with 12 bytes of links: drop them
    data.close();
    QVERIFY(db.Open(Path(QStringLiteral("cut.dat")), Path(QStringLiteral("cut.def")), QString(), QString()));
    QVERIFY(!db.GetValue(cars, QStringLiteral("Colours"), 3).IsRead());
    QCOMPARE(db.GetValueAsText(cars, QStringLiteral("Sold"), 3), QStringLiteral("No"));
    QCOMPARE(db.FindRecord(cars, QStringLiteral("Colours"), QStringLiteral("Green")), 2);
  }

  void damagedCountsStayWithinTheData() {
    // One table of two byte records in one file; count at 340, first record at 345.
    DatabaseSource source;
    source.tables = {TableSource{}};
    source.tables[0].name = QStringLiteral("T");
    source.tables[0].columns = {Col(QStringLiteral("B"), ColumnType::ctByte)};
    source.tables[0].records = {{QStringLiteral("1")}, {QStringLiteral("2")}};
    const QByteArray good = BuildDatabase(source, true, nullptr)->definitions;
    const int32_t first = LoadLE<int32_t>(reinterpret_cast<const uint8_t*>(good.constData()) + 345);
    const struct {
      int32_t count, first, readable;
    } cases[] = {{2, first, 2}, {0x7FFFFFFF, first, 2}, {0x7FFFFFFF, int32_t(0x80000002), 0},
                 {0x7FFFFFFF, -1, 0}, {0x7FFFFFFF, int32_t(good.size()) + 1, 0},
                 {0x7FFFFFFF, int32_t(good.size()) - 1, 1}, {-5, first, 0}};
    for (const auto& c : cases) {
      QByteArray b = good;
      StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 340, c.count);
      StoreLE<int32_t>(reinterpret_cast<uint8_t*>(b.data()) + 345, c.first);
      QVERIFY(Save(Path(QStringLiteral("count.db")), b));
      TTessaranObject db;
      QVERIFY(db.Open(Path(QStringLiteral("count.db")), Path(QStringLiteral("count.db")), QString(), QString()));
      QCOMPARE(ReadableRecordCount(db, QStringLiteral("T")), c.readable);
    }
  }

  void onlyRegularFilesAreReadAndOnlyOnce() {
    QString error;
    QVERIFY(WriteDatabase(Sample(), Path(QStringLiteral("s.def")), Path(QStringLiteral("s.dat")), &error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("s.dat")), Path(QStringLiteral("s.def")), QString(), QString()));
    QVERIFY(db.OpenProblem().isEmpty());
    // The data file shrinks while the database is open: what was read stays readable.
    QVERIFY(QFile::resize(Path(QStringLiteral("s.dat")), 0));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Cars"), QStringLiteral("Title"), 2), QStringLiteral("Convertible"));

    // A folder, a FIFO and a device never open, are never waited for, and are named.
    QVERIFY(QDir().mkpath(Path(QStringLiteral("folder.db"))));
    QCOMPARE(::mkfifo(QFile::encodeName(Path(QStringLiteral("fifo.db"))).constData(), 0600), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), Path(QStringLiteral("zero.db"))));
    for (const char* name : {"folder.db", "fifo.db", "zero.db"}) {
      const QString path = Path(QString::fromLatin1(name));
      QVERIFY(!db.Open(path, path, QString(), QString()));
      QCOMPARE(db.OpenProblem(), QStringLiteral("The file is not a regular file\n") + path);
    }
    QVERIFY(!db.Open(Path(QStringLiteral("fifo.db")), Path(QStringLiteral("s.def")), QString(), QString()));
    QCOMPARE(db.OpenProblem(), QStringLiteral("The file is not a regular file\n") + Path(QStringLiteral("fifo.db")));
    // A missing file is no damage to report.
    QVERIFY(!db.Open(Path(QStringLiteral("none.db")), Path(QStringLiteral("none.db")), QString(), QString()));
    QVERIFY(db.OpenProblem().isEmpty());
  }

  void findRecordEdges() {
    DatabaseSource s;
    TableSource t;
    t.name = QStringLiteral("Empty");
    t.columns = {Col(QStringLiteral("Name"), ColumnType::ctString)};
    s.tables = {t};
    TableSource u;
    u.name = QStringLiteral("Names");
    ColumnSource name = Col(QStringLiteral("Name"), ColumnType::ctString);
    name.size = 5;
    u.columns = {name};
    u.records = {{QStringLiteral("abcde")}, {QStringLiteral("abc")}, {QString()}, {QStringLiteral("ÿ")}};
    s.tables.push_back(u);
    QString error;
    QVERIFY(WriteDatabase(s, Path(QStringLiteral("f.db")), QString(), &error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("f.db")), Path(QStringLiteral("f.db")), QString(), QString()));
    QCOMPARE(db.FindRecord(QStringLiteral("Empty"), QStringLiteral("Name"), QString()), 0);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("abcde")), 1);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("abc")), 2);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("ab")), 0);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("abcdef")), 0);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QString()), 3);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("ÿ")), 4);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Name"), QStringLiteral("\u0101")), 0);
    QCOMPARE(db.FindRecord(QStringLiteral("Names"), QStringLiteral("Nope"), QString()), 0);
    // The scrambled form has no room for ÿ: the writer refuses it, naming the place.
    s.scrambled = true;
    QVERIFY(!WriteDatabase(s, Path(QStringLiteral("f2.db")), QString(), &error));
    QVERIFY2(error.contains(QStringLiteral("table \"Names\", record 4, column \"Name\"")), qPrintable(error));
  }

  void valueToText() {
    QString error;
    QVERIFY(WriteDatabase(Sample(), Path(QStringLiteral("v.db")), QString(), &error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("v.db")), Path(QStringLiteral("v.db")), QString(), QString()));
    TFieldValue v = InitValue(ColumnType::ctDouble);
    v.SetFloat64(3.25);
    QCOMPARE(db.ValueToText(QStringLiteral("Cars"), QStringLiteral("Price"), v), QStringLiteral("3.25"));
    QCOMPARE(db.ValueToText(QStringLiteral("Cars"), QStringLiteral("Title"), v), QString());  // type differs
    v.NotRead = 1;
    QCOMPARE(db.ValueToText(QStringLiteral("Cars"), QStringLiteral("Price"), v), QString());
    TFieldValue links = InitValue(ColumnType::ctLinkList);
    links.SetInt32At(0, 1);
    links.SetInt32At(1, 4);
    QCOMPARE(db.ValueToText(QStringLiteral("Cars"), QStringLiteral("Colours"), links), QStringLiteral("Red,White"));
  }

  void linkCyclesEnd() {
    // A link list that links to itself: the display text must still end.
    DatabaseSource s;
    TableSource t;
    t.name = QStringLiteral("Loop");
    ColumnSource self = Col(QStringLiteral("Self"), ColumnType::ctLinkList);
    self.linkTable = QStringLiteral("Loop");
    self.linkColumn = QStringLiteral("Self");
    self.linkCount = 50;
    t.columns = {self};
    QStringList cell;
    for (int i = 0; i < 50; ++i) cell << QStringLiteral("1");
    t.records = {{cell.join(QLatin1Char(','))}};
    s.tables = {t};
    QString error;
    QVERIFY2(WriteDatabase(s, Path(QStringLiteral("loop.db")), QString(), &error), qPrintable(error));
    TTessaranObject db;
    QVERIFY(db.Open(Path(QStringLiteral("loop.db")), Path(QStringLiteral("loop.db")), QString(), QString()));
    const QString text = db.GetValueAsText(QStringLiteral("Loop"), QStringLiteral("Self"), 1);
    QVERIFY(text.size() <= 255);
    QVERIFY(text.startsWith(QStringLiteral(",,,")));
  }

  void passwords() {
    DatabaseSource s = Sample();
    s.password = QStringLiteral("Secret");
    QString error;
    QVERIFY(WriteDatabase(s, Path(QStringLiteral("p.db")), QString(), &error));
    const QString p = Path(QStringLiteral("p.db"));
    TTessaranObject db;
    QVERIFY(db.Open(p, p, QString(), QStringLiteral("Secret")));
    CheckSample(db);
    QVERIFY(db.Open(p, p, QString(), QStringLiteral("Xecret")));  // the first character is not checked
    QVERIFY(!db.Open(p, p, QString(), QStringLiteral("Secreu")));
    QCOMPARE(db.TableCount(), 0);  // a failed check closes again
    QVERIFY(!db.Open(p, p, QString(), QStringLiteral("Secrets")));
    QVERIFY(!db.Open(p, p, QString(), QString()));  // no prompt to ask

    // Positions 2 to 64 count; a password is cut to 63 characters, so position 64 always
    // compares its own number.
    const QString longWord = QString(62, QLatin1Char('k')) + QLatin1Char('z');
    s.password = longWord;
    QVERIFY(WriteDatabase(s, p, QString(), &error));
    QVERIFY(db.Open(p, p, QString(), longWord));
    QVERIFY(db.Open(p, p, QString(), longWord + QStringLiteral("anything")));
    QVERIFY(!db.Open(p, p, QString(), QString(62, QLatin1Char('k')) + QLatin1Char('y')));
    QVERIFY(!db.Open(p, p, QString(), QString(62, QLatin1Char('k'))));
    s.password = QStringLiteral("Secret");
    QVERIFY(WriteDatabase(s, p, QString(), &error));

    AnsweringPrompt right(QStringLiteral("Secret"));
    TTessaranObject asked(&right);
    QVERIFY(asked.Open(p, p, QString(), QString()));
    QCOMPARE(right.asked, 1);
    QVERIFY(asked.Open(p, p, QString(), QStringLiteral("Secret")));  // given: not asked
    QCOMPARE(right.asked, 1);
    AnsweringPrompt cancel(std::nullopt);
    TTessaranObject cancelled(&cancel);
    QVERIFY(!cancelled.Open(p, p, QString(), QString()));
    AnsweringPrompt empty(QString{});
    TTessaranObject emptied(&empty);
    QVERIFY(!emptied.Open(p, p, QString(), QString()));

    // A database without a password never asks.
    AnsweringPrompt never(QStringLiteral("x"));
    TTessaranObject plain(&never);
    QVERIFY(WriteDatabase(Sample(), Path(QStringLiteral("np.db")), QString(), &error));
    QVERIFY(plain.Open(Path(QStringLiteral("np.db")), Path(QStringLiteral("np.db")), QString(), QStringLiteral("any")));
    QCOMPARE(never.asked, 0);
  }
};

QTEST_GUILESS_MAIN(TestTableDatabase)
#include "TestTableDatabase.moc"
