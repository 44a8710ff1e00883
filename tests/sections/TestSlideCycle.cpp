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
  void findRecordText_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");
    // Letter case counts; the first record with a key wins; Windows-1252 keys match.
    QTest::newRow("first of two") << "Intro_44|||" << true << "first";
    QTest::newRow("shorter key") << "Intro_44||" << true << "shorter key";
    QTest::newRow("other letter case") << "intro_44|||" << false << "";
    QTest::newRow("empty text") << "Empty|||" << true << "";
    QTest::newRow("Windows-1252 key")
        << QString::fromUtf8("Caf\u00e9|||") << true << "Windows-1252 key";
    QTest::newRow("missing") << "Missing|||" << false << "";
  }
  void findRecordText() {
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QString error;
    // clang-format off
    QVERIFY(olvtool::WriteRecordFile({{1, "Intro_44|||", "first"}, {2, "Intro_44|||", "second"},
        {3, "Intro_44||", "shorter key"}, {4, "Empty|||", ""}, {5, "", "no key"},
        {6, QString::fromUtf8("Caf\u00e9|||"), "Windows-1252 key"}},
        dir.filePath("olv.dat"), &error));
    // clang-format on
    TiDbRecFile records;
    QVERIFY(records.Open(dir.filePath("olv.dat")));
    records.SelectAll();
    const std::optional<QString> got = FindRecordText(&records, key);
    QCOMPARE((std::tuple{got.has_value(), got.value_or(QString())}), (std::tuple{found, text}));
    QCOMPARE(FindRecordText(nullptr, "Intro_44|||"), std::nullopt);
    TiDbRecFile empty;
    QCOMPARE(FindRecordText(&empty, ""), std::nullopt);
  }
  void splitTextLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    // CR LF, LF and CR each end a line; a final break adds no line; LF then a lone CR is two.
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one line") << "one" << QStringList{"one"};
    QTest::newRow("every line end") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("final break") << "a\n" << QStringList{"a"};
    QTest::newRow("empty last line") << "a\n\n" << QStringList{"a", ""};
    QTest::newRow("empty first lines") << "\r\n\r\nb" << QStringList{"", "", "b"};
    QTest::newRow("LF then a lone CR") << "\n\r" << QStringList{"", ""};
  }
  void splitTextLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitTextLines(text), lines);
  }
};

QTEST_MAIN(TestSlideCycle)
#include "TestSlideCycle.moc"
