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
    QVERIFY(progress.positions.front() == 0 && progress.positions.back() == 100);
    QCOMPARE(progress.shown, (std::vector<bool>{true, false}));
    QVERIFY(file.VisibleCount() == 0 && file.GetRecord(1).Key == nullptr);  // nothing visible before SelectAll
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 7);
    auto check = [&](int pos) {
      const TiDbRec r = file.GetRecord(pos);
      QVERIFY2(r.Tag == uint32_t(1000 + pos) && r.KeyText() == QStringLiteral("key %1").arg(pos) && r.Visible == 1 &&
                   r.TextText() == QStringLiteral("text %1\r\nsecond line é").arg(pos) && file.LastLogical() == pos,
               qPrintable(QString::number(pos)));
    };
    for (int p : {1, 2, 3, 4, 5, 6, 7, 7, 1, 5, 2, 6, 3, 7, 4}) check(p);
    const TiDbRec none = file.GetRecord(8);
    QVERIFY(none.Key == nullptr && none.Text == nullptr && none.Tag == 0 && none.KeyLength == 0 && file.GetRecord(0).Tag == 0);
    // A second Open replaces the content.
    QVERIFY(file.Open(Write("r2.dat", *BuildRecordFile(Records(2), nullptr))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 2);
  }

  void scramblingTable() {
    for (const auto& [stored, read] : {std::pair{0, 0}, {255, 255}, {128, 1}, {254, 127}, {1, 128}, {127, 254}})
      QCOMPARE(ScrambleRecordByte(uint8_t(stored)), uint8_t(read));
    for (int b = 0; b < 256; ++b) QCOMPARE(ScrambleRecordByte(ScrambleRecordByte(uint8_t(b))), uint8_t(b));
    // Stored bytes 128, 254, 0 read as 1, 127, 0 (the zero ends the text for text callers).
    const QByteArray bytes("\x01\0\0\0\x07\0\0\0\0\0\x03\0\x80\xFE\0", 15);
    TiDbRecFile file;
    QVERIFY(file.Open(Write("s.dat", bytes)));
    file.SelectAll();
    const TiDbRec r = file.GetRecord(1);
    QVERIFY(r.Tag == 7 && r.Key == nullptr && r.KeyText().isEmpty() && r.TextLength == 3);  // key length 0
    QCOMPARE(QByteArray(r.Text, 4), QByteArray("\x01\x7F\0\0", 4));
  }

  void emptyAndDamagedFiles() {
    TiDbRecFile file;
    QVERIFY(!file.Open(Path("missing.dat")));
    QCOMPARE(file.OpenProblem().fault, ContentFault::None);  // no file is no damage
    QVERIFY(!file.Open(dir_.path()));
    QCOMPARE(file.OpenProblem().fault, ContentFault::NotRegular);
    const QByteArray three = *BuildRecordFile(Records(3), nullptr);
    QByteArray counted = three;
    counted[0] = 9;
    // Open's result and the records that stay: a count larger than the records keeps the complete
    // ones; cut inside the last record's text, then inside its header; huge count and lengths
    // with few bytes behind them; a record with both lengths 0 keeps tag 0.
    const struct { const char* what; QByteArray bytes; bool opens; int visible; } cases[] = {
        {"empty", QByteArray(4, '\0'), true, 0}, {"short", QByteArray(3, '\0'), false, 0}, {"count 9 of 3", counted, false, 3},
        {"cut in the text", three.left(three.size() - 2), false, 2},
        {"cut in the header", three.left(4 + 8 + 5 + 29 + 3), false, 1},
        {"huge", QByteArray("\xFF\xFF\xFF\x7F\0\0\0\0\xFF\xFF\xFF\xFF", 12), false, 0},
        {"lengths 0", QByteArray("\x01\0\0\0\x05\0\0\0\0\0\0\0", 12), true, 1},
    };
    for (const auto& c : cases) {
      QVERIFY2(file.Open(Write("c.dat", c.bytes)) == c.opens, c.what);
      QVERIFY2(file.OpenProblem().fault == (c.opens ? ContentFault::None : ContentFault::DamagedFile), c.what);
      QVERIFY2(file.OpenProblem().file == (c.opens ? QString() : Path("c.dat")), c.what);
      file.SelectAll();
      QVERIFY2(file.VisibleCount() == c.visible && file.GetRecord(c.visible + 1).Text == nullptr, c.what);
    }
    QCOMPARE(file.GetRecord(1).Tag, 0u);  // the record with both lengths 0
    QVERIFY(!file.Open(Write("c.dat", counted)));
    file.SelectAll();
    QCOMPARE(file.GetRecord(3).KeyText(), QStringLiteral("key 3"));
  }

  void writerRefusesWhatCannotBeStored() {
    QString error;
    std::vector<RecordSource> records = Records(2);
    records[1].text = "\u4e2d";
    QVERIFY(!BuildRecordFile(records, &error));
    QVERIFY2(error.contains(QStringLiteral("record 2")), qPrintable(error));
    records[1].text = QString(65536, QLatin1Char('a'));
    QVERIFY(!WriteRecordFile(records, Path("w.dat"), &error) && !QFile::exists(Path("w.dat")));
    records[1].text = QString(65535, 'a');
    TiDbRecFile file;
    QVERIFY(WriteRecordFile(records, Path("w.dat"), &error) && file.Open(Path("w.dat")));
    file.SelectAll();
    QCOMPARE(file.GetRecord(2).TextLength, uint16_t{65535});
  }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "TestRecordFile.moc"
