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
    QVERIFY(olvtool::WriteRecordFile({{1, "Intro_44|||", "first"}, {2, "Intro_44|||", "second"}, {3, "Intro_44||", "shorter key"},
                                      {4, "Empty|||", ""}, {5, "", "no key"},
                                      {6, QString::fromUtf8("Caf\u00e9|||"), "Windows-1252 key"}},
                                     dir.filePath("olv.dat"), &error));
    TiDbRecFile records;
    QVERIFY(records.Open(dir.filePath("olv.dat")));
    records.SelectAll();
    // Letter case counts; the first record with a key wins; Windows-1252 keys match.
    const std::pair<QString, std::optional<QString>> lookups[] = {
        {"Intro_44|||", "first"}, {"Intro_44||", "shorter key"}, {"intro_44|||", std::nullopt}, {"Empty|||", ""},
        {QString::fromUtf8("Caf\u00e9|||"), "Windows-1252 key"}, {"Missing|||", std::nullopt}};
    for (const auto& [key, text] : lookups) QCOMPARE(FindRecordText(&records, key), text);
    QCOMPARE(FindRecordText(nullptr, "Intro_44|||"), std::nullopt);
    TiDbRecFile empty;
    QCOMPARE(FindRecordText(&empty, ""), std::nullopt);
  }
  void splitTextLines() {
    // CR LF, LF and CR each end a line; a final break adds no line; LF then a lone CR is two.
    const std::pair<QString, QStringList> rows[] = {{"", {}}, {"one", {"one"}}, {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                                                    {"a\n", {"a"}}, {"a\n\n", {"a", ""}}, {"\r\n\r\nb", {"", "", "b"}},
                                                    {"\n\r", {"", ""}}};
    for (const auto& [text, lines] : rows) QCOMPARE(SplitTextLines(text), lines);
  }
};

QTEST_MAIN(TestSlideCycle)
#include "TestSlideCycle.moc"
