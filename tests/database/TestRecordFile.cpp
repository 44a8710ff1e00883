// Tests of the record file reader, on files written by our own writer and damaged by hand.
#include "RecordFileWriter.h"
#include "database/RecordFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;
using namespace olvtool;

namespace {

class Progress : public ProgressIndicator {
 public:
  void SetPosition(int percent) override { positions.push_back(percent); }
  void SetIndicatorVisible(bool visible) override { shown.push_back(visible); }
  std::vector<int> positions;
  std::vector<bool> shown;
};

}  // namespace

class TestRecordFile : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }
  std::vector<RecordSource> Sample(int n) {
    std::vector<RecordSource> records;
    for (int i = 1; i <= n; ++i)
      records.push_back({static_cast<uint32_t>(1000 + i), QStringLiteral("key %1").arg(i),
                         QStringLiteral("text %1\r\nsecond line é").arg(i)});
    return records;
  }

 private Q_SLOTS:
  void readsRecordsInEveryOrder() {
    const QString path = Write(QStringLiteral("r.dat"), *BuildRecordFile(Sample(7), nullptr));
    TiDbRecFile file;
    Progress progress;
    QVERIFY(file.Open(path, &progress));
    QCOMPARE(progress.positions.front(), 0);
    QCOMPARE(progress.positions.back(), 100);
    QCOMPARE(progress.shown, (std::vector<bool>{true, false}));
    QCOMPARE(file.VisibleCount(), 0);  // nothing visible before SelectAll
    QCOMPARE(file.GetRecord(1).Key, nullptr);
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 7);
    auto check = [&](int pos) {
      const TiDbRec r = file.GetRecord(pos);
      QCOMPARE(r.Tag, uint32_t(1000 + pos));
      QCOMPARE(r.KeyText(), QStringLiteral("key %1").arg(pos));
      QCOMPARE(r.TextText(), QStringLiteral("text %1\r\nsecond line é").arg(pos));
      QCOMPARE(r.Visible, uint8_t{1});
      QCOMPARE(file.LastLogical(), pos);
    };
    for (int p = 1; p <= 7; ++p) check(p);
    check(7);
    check(1);
    for (int p : {5, 2, 6, 3, 7, 4}) check(p);
    const TiDbRec none = file.GetRecord(8);
    QVERIFY(none.Key == nullptr && none.Text == nullptr && none.Tag == 0 && none.KeyLength == 0);
    QCOMPARE(file.GetRecord(0).Tag, 0u);
    // A second Open replaces the content.
    QVERIFY(file.Open(Write(QStringLiteral("r2.dat"), *BuildRecordFile(Sample(2), nullptr))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 2);
  }

  void scramblingTable() {
    QCOMPARE(ScrambleRecordByte(0), uint8_t{0});
    QCOMPARE(ScrambleRecordByte(255), uint8_t{255});
    QCOMPARE(ScrambleRecordByte(128), uint8_t{1});
    QCOMPARE(ScrambleRecordByte(254), uint8_t{127});
    QCOMPARE(ScrambleRecordByte(1), uint8_t{128});
    QCOMPARE(ScrambleRecordByte(127), uint8_t{254});
    for (int b = 0; b < 256; ++b) QCOMPARE(ScrambleRecordByte(ScrambleRecordByte(uint8_t(b))), uint8_t(b));
    // Stored bytes 128, 254, 0 read as 1, 127, 0 (the zero ends the text for text callers).
    const QByteArray bytes("\x01\0\0\0\x07\0\0\0\0\0\x03\0\x80\xFE\0", 15);
    TiDbRecFile file;
    QVERIFY(file.Open(Write(QStringLiteral("s.dat"), bytes)));
    file.SelectAll();
    const TiDbRec r = file.GetRecord(1);
    QCOMPARE(r.Tag, 7u);
    QCOMPARE(r.Key, nullptr);  // key length 0
    QCOMPARE(r.KeyText(), QString());
    QCOMPARE(r.TextLength, uint16_t{3});
    QCOMPARE(QByteArray(r.Text, 4), QByteArray("\x01\x7F\0\0", 4));
  }

  void emptyAndDamagedFiles() {
    TiDbRecFile file;
    QVERIFY(file.Open(Write(QStringLiteral("e.dat"), QByteArray(4, '\0'))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 0);
    QCOMPARE(file.LastPhysical(), 0);
    QCOMPARE(file.GetRecord(1).Text, nullptr);

    QVERIFY(!file.Open(dir_.filePath(QStringLiteral("missing.dat"))));
    QVERIFY(!file.Open(Write(QStringLiteral("short.dat"), QByteArray(3, '\0'))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 0);

    // A count larger than the records: complete records stay, Open reports false.
    QByteArray bytes = *BuildRecordFile(Sample(3), nullptr);
    bytes[0] = 9;
    QVERIFY(!file.Open(Write(QStringLiteral("c.dat"), bytes)));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 3);
    QCOMPARE(file.GetRecord(3).KeyText(), QStringLiteral("key 3"));
    // Cut inside the last record's text, then inside its header.
    bytes[0] = 3;
    QVERIFY(!file.Open(Write(QStringLiteral("c.dat"), bytes.left(bytes.size() - 2))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 2);
    QVERIFY(!file.Open(Write(QStringLiteral("c.dat"), bytes.left(4 + 8 + 5 + 29 + 3))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 1);
    // A huge count and huge lengths with few bytes behind them.
    QVERIFY(!file.Open(Write(QStringLiteral("h.dat"), QByteArray("\xFF\xFF\xFF\x7F\0\0\0\0\xFF\xFF\xFF\xFF", 12))));
    // A record with both lengths 0 keeps tag 0.
    QVERIFY(file.Open(Write(QStringLiteral("z.dat"), QByteArray("\x01\0\0\0\x05\0\0\0\0\0\0\0", 12))));
    file.SelectAll();
    QCOMPARE(file.VisibleCount(), 1);
    QCOMPARE(file.GetRecord(1).Tag, 0u);
  }

  void writerRefusesWhatCannotBeStored() {
    QString error;
    std::vector<RecordSource> records = Sample(2);
    records[1].text = QStringLiteral("\u4e2d");
    QVERIFY(!BuildRecordFile(records, &error));
    QVERIFY2(error.contains(QStringLiteral("record 2")), qPrintable(error));
    records[1].text = QString(65536, QLatin1Char('a'));
    QVERIFY(!WriteRecordFile(records, dir_.filePath(QStringLiteral("w.dat")), &error));
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("w.dat"))));
    records[1].text = QString(65535, QLatin1Char('a'));
    QVERIFY(WriteRecordFile(records, dir_.filePath(QStringLiteral("w.dat")), &error));
    TiDbRecFile file;
    QVERIFY(file.Open(dir_.filePath(QStringLiteral("w.dat"))));
    file.SelectAll();
    QCOMPARE(file.GetRecord(2).TextLength, uint16_t{65535});
  }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "TestRecordFile.moc"
