// Tests of the olvtool db and recfile verbs: round trips and refused sources.
#include "database/DatabaseFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using dbfixture::Olvtool;
using dbfixture::Run;

namespace {

const char kSource[] = R"({ "scrambled": true, "password": "Geheim", "tables": [
  { "name": "Colours", "columns": [ {"name": "Name", "type": "string", "size": 20} ],
    "records": [["Red"], ["Green"], ["Blue"]] },
  { "name": "Cars", "columns": [
     {"name": "Title", "type": "string"}, {"name": "Price", "type": "double", "style": 1},
     {"name": "Sold", "type": "boolean", "style": 2, "default": "On"},
     {"name": "Built", "type": "datetime", "style": 0},
     {"name": "Colours", "type": "linklist", "table": "Colours", "column": "Name", "count": 4},
     {"name": "N", "type": "byte", "default": 3}, {"name": "E", "type": "extended", "decimals": 3},
     {"name": "R", "type": "real48"}, {"name": "C", "type": "comp", "style": 2},
     {"name": "S", "type": "shortint"}, {"name": "W", "type": "word"}, {"name": "F", "type": "single"},
     {"name": "I6", "type": "integer6"}, {"name": "I7", "type": "integer7"}, {"name": "I", "type": "integer"}],
    "records": [["Coupé €", "12,50", "On", "1962-05-01T10:30:00", [1, 3], 200, "3.25", "-1.5", 7, -5,
                 65535, 0.5, -1, 2, "$10"],
                {"Title": "Convertible"}] } ] })";

}  // namespace

class TestOlvtoolDb : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Source(const QString& name, const QByteArray& json) {
    return dbfixture::WriteFile(Path(name), json) ? Path(name) : QString();
  }
  QByteArray Bytes(const QString& name) { return dbfixture::ReadFile(Path(name)); }

 private Q_SLOTS:
  void databaseRoundTrip() {
    Run r = Olvtool(
        {"db", "build", Source("db.json", kSource), Path("a.def"), "--data", Path("a.dat")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QStringList dump = {"db", "dump", Path("a.def"), "--data", Path("a.dat")};
    QCOMPARE((r = Olvtool(dump + QStringList{"--password", "Geheim"})).code, 0);
    for (const char* line :
         {"column 5 \"Colours\": type 10 (linklist), field size 16",
          "record 1: Coupé € | 12,50 | On | ",
          " | Red,Blue | 200 | 3.250 | -1.50 | 7.00% | -5 | 65535 | 0.50 | -1 | 2 | 16",
          "record 2: Convertible | 0,00 | Off | "})
      QVERIFY2(r.out.contains(QString::fromUtf8(line)), qPrintable(r.out));
    QCOMPARE(Olvtool(dump).code, 1);  // password-protected, none given
    // --json output is a build source that writes the same records.
    QCOMPARE((r = Olvtool(dump + QStringList{"--password", "Geheim", "--json"})).code, 0);
    const QByteArray json = r.out.toUtf8().replace("\"scrambled\": true",
                                                   "\"scrambled\": true, \"password\": \"Geheim\"");
    r = Olvtool(
        {"db", "build", Source("again.json", json), Path("b.def"), "--data", Path("b.dat")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(Bytes("b.def"), Bytes("a.def"));
    QCOMPARE(Bytes("b.dat"), Bytes("a.dat"));
  }
  void helpOfOneVerbOnly() {
    const Run r = Olvtool({"db", "--help"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("db dump FILE"), qPrintable(r.out));
    QVERIFY2(!r.out.contains("recfile build"), qPrintable(r.out));
  }
  void exitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    // Usage errors exit with 2, help with 0, a file that is not there with 1.
    QTest::newRow("unknown verb") << QStringList{"db", "shred"} << 2;
    QTest::newRow("no file") << QStringList{"db", "dump"} << 2;
    QTest::newRow("unknown option") << QStringList{"db", "dump", "x", "--bogus"} << 2;
    QTest::newRow("one file of two") << QStringList{"db", "build", "only-one"} << 2;
    QTest::newRow("help") << QStringList{"recfile", "dump", "--help"} << 0;
    QTest::newRow("missing file") << QStringList{"db", "dump", Path("nothing.db")} << 1;
  }
  void exitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QCOMPARE(Olvtool(args).code, code);
  }
  void dumpWalksOnlyRecordsThatLieInTheData() {
    const QString src = Source("count.json", R"({ "tables": [
      { "name": "T", "columns": [ {"name": "Name", "type": "string", "size": 8} ],
        "records": [["one"], ["two"], ["three"]] } ] })");
    const QString db = Path("count.def");
    QCOMPARE(Olvtool({"db", "build", src, db}).code, 0);
    // The first table record follows the 272-byte header; its record count sits at offset 68.
    const QByteArray huge =
        Bytes("count.def").replace(272 + 68, 4, QByteArray("\xff\xff\xff\x7f", 4));
    QVERIFY(dbfixture::WriteFile(db, huge));
    const Run r = Olvtool({"db", "dump", db});
    QCOMPARE(r.code, 0);
    for (const char* line : {"1 column(s), 3 record(s)", "record 3: three",
                             "stored record count 2147483647: only 3 lie within the data"})
      QVERIFY2(r.out.contains(line), qPrintable(r.out));
    QVERIFY2(!r.out.contains("record 4:"), qPrintable(r.out));
  }
  void refusedSourcesLeaveNothing_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("text longer than the field")
        << QByteArray(R"({"tables":[{"name":"T","columns":[{"name":"C","type":"string","size":3}],"records":[["ok"],["long"]]}]})")
        << "table \"T\", record 2, column \"C\": the text of 4 bytes is longer than the field";
    QTest::newRow("text outside Windows-1252")
        << QByteArray(R"({"tables":[{"name":"T","columns":[{"name":"C","type":"string"}],"records":[["\u0101"]]}]})")
        << "table \"T\", record 1, column \"C\": the text has a character outside Windows-1252";
    QTest::newRow("byte out of range")
        << QByteArray(R"({"tables":[{"name":"T","columns":[{"name":"C","type":"byte"}],"records":[["300"]]}]})")
        << "table \"T\", record 1, column \"C\"";
    QTest::newRow("unknown type")
        << QByteArray(R"({"tables":[{"name":"T","columns":[{"name":"C","type":"float"}]}]})")
        << "unknown type";
    QTest::newRow("link to no table")
        << QByteArray(R"({"tables":[{"name":"T","columns":[{"name":"L","type":"linklist","table":"X","column":"Y"}]}]})")
        << "does not exist";
    QTest::newRow("not JSON") << QByteArray(R"({"tables":[ )") << "JSON error";
    // clang-format on
  }
  void refusedSourcesLeaveNothing() {
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const Run r = Olvtool({"db", "build", Source("bad.json", json), Path("bad.db")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(Path("bad.db")));
    // Only the targets and the sources are in the folder: no temporary files left.
    for (const QString& f : QDir(dir_.path()).entryList(QDir::Files))
      QVERIFY2(QStringList({"json", "def", "dat", "rec"}).contains(QFileInfo(f).suffix()),
               qPrintable(f));
  }
  void recordFileRoundTrip() {
    const QString src = Source(
        "rec.json", R"({"records":[{"tag":7,"key":"44 intro","text":"Line one\nLine two\tX"},)"
                    R"({"key":"k2"},{"tag":4294967295,"text":"é€"}]})");
    Run r = Olvtool({"recfile", "build", src, Path("a.rec")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE((r = Olvtool({"recfile", "dump", Path("a.rec")})).code, 0);
    QCOMPARE(r.out, QString("7\t44 intro\tLine one\\nLine two\\tX\n0\tk2\t\n4294967295\t\té€\n"));
    r = Olvtool({"recfile", "dump", Path("a.rec"), "--json"});
    r = Olvtool({"recfile", "build", Source("rec2.json", r.out.toUtf8()), Path("b.rec")});
    QCOMPARE(r.code, 0);
    const QByteArray bytes = Bytes("a.rec");
    QCOMPARE(Bytes("b.rec"), bytes);
    // Cut short: the complete records print and the exit code says damaged.
    r = Olvtool({"recfile", "dump", Source("cut.rec", bytes.left(bytes.size() - 1))});
    QCOMPARE((std::tuple{r.code, r.out.count('\n')}), (std::tuple{1, qsizetype(2)}));
    QVERIFY2(r.err.contains("2 complete record(s)"), qPrintable(r.err));
  }
};

QTEST_GUILESS_MAIN(TestOlvtoolDb)
#include "TestOlvtoolDb.moc"
