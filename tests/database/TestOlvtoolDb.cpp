// Tests of the olvtool db and recfile verbs: round trips and refused sources.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
  int code = -1;
  QString out, err;
};

Run Olvtool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(ORLAVENTIS_OLVTOOL), args);
  p.waitForFinished(60000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

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
    QFile f(Path(name));
    f.open(QIODevice::WriteOnly);
    f.write(json);
    return f.fileName();
  }

 private Q_SLOTS:
  void databaseRoundTrip() {
    const QString src = Source(QStringLiteral("db.json"), kSource);
    Run r = Olvtool({QStringLiteral("db"), QStringLiteral("build"), src, Path(QStringLiteral("a.def")),
                     QStringLiteral("--data"), Path(QStringLiteral("a.dat"))});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = Olvtool({QStringLiteral("db"), QStringLiteral("dump"), Path(QStringLiteral("a.def")), QStringLiteral("--data"),
                 Path(QStringLiteral("a.dat")), QStringLiteral("--password"), QStringLiteral("Geheim")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("column 5 \"Colours\": type 10 (linklist), field size 16")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("record 1: Coupé € | 12,50 | On | ")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral(" | Red,Blue | 200 | 3.250 | -1.50 | 7.00% | -5 | 65535 | 0.50 | -1 | 2 | 16")));
    QVERIFY(r.out.contains(QStringLiteral("record 2: Convertible | 0,00 | Off | ")));

    r = Olvtool({QStringLiteral("db"), QStringLiteral("dump"), Path(QStringLiteral("a.def")), QStringLiteral("--data"),
                 Path(QStringLiteral("a.dat"))});
    QCOMPARE(r.code, 1);  // password-protected, none given
    // --json output is a build source that writes the same records.
    r = Olvtool({QStringLiteral("db"), QStringLiteral("dump"), Path(QStringLiteral("a.def")), QStringLiteral("--data"),
                 Path(QStringLiteral("a.dat")), QStringLiteral("--password"), QStringLiteral("Geheim"), QStringLiteral("--json")});
    QCOMPARE(r.code, 0);
    QByteArray json = r.out.toUtf8();
    json.replace("\"scrambled\": true", "\"scrambled\": true, \"password\": \"Geheim\"");
    const QString again = Source(QStringLiteral("again.json"), json);
    r = Olvtool({QStringLiteral("db"), QStringLiteral("build"), again, Path(QStringLiteral("b.def")),
                 QStringLiteral("--data"), Path(QStringLiteral("b.dat"))});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    for (const char* ext : {".def", ".dat"}) {
      QFile a(Path(QStringLiteral("a") + QLatin1String(ext))), b(Path(QStringLiteral("b") + QLatin1String(ext)));
      QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
      QCOMPARE(b.readAll(), a.readAll());
    }
  }

  void helpAndUsage() {
    Run r = Olvtool({QStringLiteral("db"), QStringLiteral("--help")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("db build SOURCE.json OUT")));
    QVERIFY(r.out.contains(QStringLiteral("db dump FILE")));
    QVERIFY(!r.out.contains(QStringLiteral("recfile build")));
    r = Olvtool({QStringLiteral("recfile"), QStringLiteral("dump"), QStringLiteral("--help")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.startsWith(QStringLiteral("usage: olvtool recfile dump FILE")));
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("shred")}).code, 2);
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("dump")}).code, 2);
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("dump"), QStringLiteral("--bogus"), Path(QStringLiteral("x"))}).code, 2);
  }

  void dumpWalksOnlyRecordsThatLieInTheData() {
    const QString src = Source(QStringLiteral("count.json"), R"({ "tables": [
      { "name": "T", "columns": [ {"name": "Name", "type": "string", "size": 8} ],
        "records": [["one"], ["two"], ["three"]] } ] })");
    const QString db = Path(QStringLiteral("count.def"));
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("build"), src, db}).code, 0);
    // The first table record follows the 272-byte header; its record count sits at offset 68.
    QFile f(db);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(272 + 68));
    QCOMPARE(f.write(QByteArray("\xff\xff\xff\x7f", 4)), qint64(4));
    f.close();
    const Run r = Olvtool({QStringLiteral("db"), QStringLiteral("dump"), db});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("1 column(s), 3 record(s)")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("stored record count 2147483647: only 3 lie within the data")));
    QVERIFY(r.out.contains(QStringLiteral("record 3: three")));
    QVERIFY(!r.out.contains(QStringLiteral("record 4:")));
  }

  void refusedSourcesLeaveNothing() {
    struct Case {
      const char* json;
      const char* message;
    };
    const Case cases[] = {
        {R"({"tables":[{"name":"T","columns":[{"name":"C","type":"string","size":3}],"records":[["ok"],["long"]]}]})",
         "table \"T\", record 2, column \"C\": the text of 4 bytes is longer than the field"},
        {R"({"tables":[{"name":"T","columns":[{"name":"C","type":"string"}],"records":[["\u0101"]]}]})",
         "table \"T\", record 1, column \"C\": the text has a character outside Windows-1252"},
        {R"({"tables":[{"name":"T","columns":[{"name":"C","type":"byte"}],"records":[["300"]]}]})",
         "table \"T\", record 1, column \"C\""},
        {R"({"tables":[{"name":"T","columns":[{"name":"C","type":"float"}]}]})", "unknown type"},
        {R"({"tables":[{"name":"T","columns":[{"name":"L","type":"linklist","table":"X","column":"Y"}]}]})",
         "does not exist"},
        {R"({"tables":[ )", "JSON error"},
    };
    for (const Case& c : cases) {
      const QString src = Source(QStringLiteral("bad.json"), c.json);
      const Run r = Olvtool({QStringLiteral("db"), QStringLiteral("build"), src, Path(QStringLiteral("bad.db"))});
      QCOMPARE(r.code, 1);
      QVERIFY2(r.err.contains(QString::fromUtf8(c.message)), qPrintable(r.err));
      QVERIFY(!QFile::exists(Path(QStringLiteral("bad.db"))));
    }
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("build"), QStringLiteral("only-one")}).code, 2);
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("dump"), QStringLiteral("x"), QStringLiteral("--bogus")}).code, 2);
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("build"), QStringLiteral("--help")}).code, 0);
    QCOMPARE(Olvtool({QStringLiteral("db"), QStringLiteral("dump"), Path(QStringLiteral("nothing.db"))}).code, 1);
    // Only the targets and the sources are in the folder: no temporary files left.
    for (const QString& f : QDir(dir_.path()).entryList(QDir::Files))
      QVERIFY2(f.endsWith(QLatin1String(".json")) || f.endsWith(QLatin1String(".def")) ||
                   f.endsWith(QLatin1String(".dat")) || f.endsWith(QLatin1String(".rec")),
               qPrintable(f));
  }

  void recordFileRoundTrip() {
    const QString src = Source(QStringLiteral("rec.json"),
                               R"({"records":[{"tag":7,"key":"44 intro","text":"Line one\nLine two\tX"},)"
                               R"({"key":"k2"},{"tag":4294967295,"text":"é€"}]})");
    Run r = Olvtool({QStringLiteral("recfile"), QStringLiteral("build"), src, Path(QStringLiteral("a.rec"))});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = Olvtool({QStringLiteral("recfile"), QStringLiteral("dump"), Path(QStringLiteral("a.rec"))});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("7\t44 intro\tLine one\\nLine two\\tX\n0\tk2\t\n4294967295\t\té€\n"));
    r = Olvtool({QStringLiteral("recfile"), QStringLiteral("dump"), Path(QStringLiteral("a.rec")), QStringLiteral("--json")});
    const QString again = Source(QStringLiteral("rec2.json"), r.out.toUtf8());
    QCOMPARE(Olvtool({QStringLiteral("recfile"), QStringLiteral("build"), again, Path(QStringLiteral("b.rec"))}).code, 0);
    QFile a(Path(QStringLiteral("a.rec"))), b(Path(QStringLiteral("b.rec")));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    QCOMPARE(b.readAll(), bytes);
    // Cut short: the complete records print and the exit code says damaged.
    QFile cut(Path(QStringLiteral("cut.rec")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() - 1));
    cut.close();
    r = Olvtool({QStringLiteral("recfile"), QStringLiteral("dump"), cut.fileName()});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out.count(QLatin1Char('\n')), 2);
    QVERIFY(r.err.contains(QStringLiteral("2 complete record(s)")));
  }
};

QTEST_GUILESS_MAIN(TestOlvtoolDb)
#include "TestOlvtoolDb.moc"
