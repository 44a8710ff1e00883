// Tests of what the Introduction and Production share: record lookup and line splitting.
#include "sections/SlideCycle.h"

#include "RecordFileWriter.h"
#include "database/RecordFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orlaventis;

class TestSlideCycle : public QObject {
  Q_OBJECT

 private slots:
  void findRecordText() {
    QTemporaryDir dir;
    QString error;
    QVERIFY(olvtool::WriteRecordFile({{1, "Intro_44|||", "first"},
                                      {2, "Intro_44|||", "second"},
                                      {3, "Intro_44||", "shorter key"},
                                      {4, "Empty|||", ""},
                                      {5, "", "no key"},
                                      {6, QString::fromUtf8("Caf\u00e9|||"), "Windows-1252 key"}},
                                     dir.filePath("olv.dat"), &error));
    TiDbRecFile records;
    QVERIFY(records.Open(dir.filePath("olv.dat")));
    records.SelectAll();
    QCOMPARE(FindRecordText(&records, "Intro_44|||"), std::optional<QString>("first"));
    QCOMPARE(FindRecordText(&records, "Intro_44||"), std::optional<QString>("shorter key"));
    QCOMPARE(FindRecordText(&records, "intro_44|||"), std::nullopt);  // letter case counts
    QCOMPARE(FindRecordText(&records, "Empty|||"), std::optional<QString>(""));
    QCOMPARE(FindRecordText(&records, QString::fromUtf8("Caf\u00e9|||")),
             std::optional<QString>("Windows-1252 key"));
    QCOMPARE(FindRecordText(&records, "Missing|||"), std::nullopt);
    QCOMPARE(FindRecordText(nullptr, "Intro_44|||"), std::nullopt);
    TiDbRecFile empty;
    QCOMPARE(FindRecordText(&empty, ""), std::nullopt);
  }

  void splitTextLines() {
    QCOMPARE(SplitTextLines(""), QStringList());
    QCOMPARE(SplitTextLines("one"), QStringList({"one"}));
    QCOMPARE(SplitTextLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    QCOMPARE(SplitTextLines("a\n"), QStringList({"a"}));  // a final break adds no line
    QCOMPARE(SplitTextLines("a\n\n"), QStringList({"a", ""}));
    QCOMPARE(SplitTextLines("\r\n\r\nb"), QStringList({"", "", "b"}));
    QCOMPARE(SplitTextLines("\n\r"), QStringList({"", ""}));  // LF then a lone CR
  }
};

QTEST_MAIN(TestSlideCycle)
#include "TestSlideCycle.moc"
