// Tests of the record file reader on files written by our own writer and damaged by hand.
#include "RecordFileWriter.h"
#include "database/DatabaseFixture.h"
#include "database/RecordFile.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orlaventis;
using namespace olvtool;

namespace {

struct Progress : ProgressIndicator {
  void SetPosition(int percent) override { positions.push_back(percent); }
  void SetIndicatorVisible(bool visible) override { shown.push_back(visible); }
  std::vector<int> positions;
  std::vector<bool> shown;
};

}  // namespace

class TestRecordFile : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Write(const QString& name, const QByteArray& bytes) {
    return dbfixture::WriteFile(Path(name), bytes) ? Path(name) : QString();
  }
  std::vector<RecordSource> Records(int n) {
    std::vector<RecordSource> records;
    for (int i = 1; i <= n; ++i)
      records.push_back({static_cast<uint32_t>(1000 + i), QStringLiteral("key %1").arg(i),
                         QStringLiteral("text %1\r\nsecond line é").arg(i)});
    return records;
  }

 private Q_SLOTS:
  void readsRecordsInEveryOrder() {
    TiDbRecFile file;
    Progress progress;
    bool eventRan = false;  // the reader runs no events: a drawn indicator does
    QTimer::singleShot(0, [&] { eventRan = true; });
    QVERIFY(file.Open(Write("r.dat", *BuildRecordFile(Records(7), nullptr)), &progress));
    QVERIFY(!eventRan);
    QCOMPARE((QList{progress.positions.front(), progress.positions.back()}), (QList{0, 100}));
    QCOMPARE(progress.shown, (std::vector<bool>{true, false}));
    QCOMPARE(file.VisibleCount(), 0);  // nothing visible before SelectAll
    QVERIFY(file.GetRecord(1).Key == nullptr);
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 7);
    auto check = [&](int pos) {
      const TiDbRec r = file.GetRecord(pos);
      const QString text = QString("text %1\r\nsecond line é").arg(pos);
      QCOMPARE((std::tuple{r.Tag, r.KeyText(), int(r.Visible), r.TextText(), file.LastLogical()}),
               (std::tuple{uint32_t(1000 + pos), QString("key %1").arg(pos), 1, text, pos}));
    };
    for (int p : {1, 2, 3, 4, 5, 6, 7, 7, 1, 5, 2, 6, 3, 7, 4}) check(p);
    const TiDbRec none = file.GetRecord(8);
    QCOMPARE((std::tuple{none.Key == nullptr, none.Text == nullptr, none.Tag, int(none.KeyLength),
                         file.GetRecord(0).Tag}),
             (std::tuple{true, true, 0u, 0, 0u}));
    // A second Open replaces the content.
    QVERIFY(file.Open(Write("r2.dat", *BuildRecordFile(Records(2), nullptr))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 2);
  }
  void scramblingTable() {
    for (const auto& [stored, read] :
         {std::pair{0, 0}, {255, 255}, {128, 1}, {254, 127}, {1, 128}, {127, 254}})
      QCOMPARE(ScrambleRecordByte(uint8_t(stored)), uint8_t(read));
    for (int b = 0; b < 256; ++b)
      QCOMPARE(ScrambleRecordByte(ScrambleRecordByte(uint8_t(b))), uint8_t(b));
    // Stored bytes 128, 254, 0 read as 1, 127, 0 (the zero ends the text for text callers).
    const QByteArray bytes("\x01\0\0\0\x07\0\0\0\0\0\x03\0\x80\xFE\0", 15);
    TiDbRecFile file;
    QVERIFY(file.Open(Write("s.dat", bytes)));
    file.SelectAll();
    const TiDbRec r = file.GetRecord(1);
    QCOMPARE((std::tuple{r.Tag, r.Key == nullptr, r.KeyText(), int(r.TextLength)}),
             (std::tuple{7u, true, QString(), 3}));  // key length 0
    QCOMPARE(QByteArray(r.Text, 4), QByteArray("\x01\x7F\0\0", 4));
  }
  void missingFilesAndFolders() {
    TiDbRecFile file;
    QVERIFY(!file.Open(Path("missing.dat")));
    QCOMPARE(file.OpenProblem().fault, ContentFault::None);  // no file is no damage
    QVERIFY(!file.Open(dir_.path()));
    QCOMPARE(file.OpenProblem().fault, ContentFault::NotRegular);
  }
  // Open's result and the records that stay: a count larger than the records keeps the complete
  // ones; cut inside the last record's text, then inside its header; huge count and lengths
  // with few bytes behind them; a record with both lengths 0 keeps tag 0.
  void emptyAndDamagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("visible");
    QTest::addColumn<QString>("last");  // tag and key of the last record that stays
    const QByteArray three = *BuildRecordFile(Records(3), nullptr);
    const QByteArray nine = QByteArray(three).replace(0, 1, "\x09");
    const QByteArray huge("\xFF\xFF\xFF\x7F\0\0\0\0\xFF\xFF\xFF\xFF", 12);
    const QByteArray noLengths("\x01\0\0\0\x05\0\0\0\0\0\0\0", 12);
    QTest::newRow("empty") << QByteArray(4, '\0') << true << 0 << QString();
    QTest::newRow("short") << QByteArray(3, '\0') << false << 0 << QString();
    QTest::newRow("count 9 of 3") << nine << false << 3 << "1003 key 3";
    QTest::newRow("cut in the text") << three.left(three.size() - 2) << false << 2 << "1002 key 2";
    QTest::newRow("cut in the header")
        << three.left(4 + 8 + 5 + 29 + 3) << false << 1 << "1001 key 1";
    QTest::newRow("huge") << huge << false << 0 << QString();
    QTest::newRow("lengths 0") << noLengths << true << 1 << "0 ";
  }
  void emptyAndDamagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QFETCH(int, visible);
    QFETCH(QString, last);
    TiDbRecFile file;
    QCOMPARE(file.Open(Write("c.dat", bytes)), opens);
    QCOMPARE(file.OpenProblem().fault, opens ? ContentFault::None : ContentFault::DamagedFile);
    QCOMPARE(file.OpenProblem().file, opens ? QString() : Path("c.dat"));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), visible);
    QVERIFY(file.GetRecord(visible + 1).Text == nullptr);
    const TiDbRec r = file.GetRecord(visible);
    QCOMPARE(visible ? QStringLiteral("%1 %2").arg(r.Tag).arg(r.KeyText()) : QString(), last);
  }
  void writerRefusesWhatCannotBeStored() {
    QString error;
    std::vector<RecordSource> records = Records(2);
    records[1].text = "\u4e2d";
    QVERIFY(!BuildRecordFile(records, &error));
    QVERIFY2(error.contains(QStringLiteral("record 2")), qPrintable(error));
    records[1].text = QString(65536, QLatin1Char('a'));
    QVERIFY(!WriteRecordFile(records, Path("w.dat"), &error));
    QVERIFY(!QFile::exists(Path("w.dat")));
    records[1].text = QString(65535, 'a');
    TiDbRecFile file;
    QVERIFY(WriteRecordFile(records, Path("w.dat"), &error));
    QVERIFY(file.Open(Path("w.dat")));
    file.SelectAll();
    QCOMPARE(file.GetRecord(2).TextLength, uint16_t{65535});
  }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "TestRecordFile.moc"
