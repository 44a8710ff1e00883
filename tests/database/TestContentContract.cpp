// Tests of the content contract's text grammars: what a writer writes, the reader reads back.
#include "database/ContentContract.h"

#include <QTest>

using namespace orlaventis::content;

class TestContentContract : public QObject {
  Q_OBJECT
 private slots:
  // Each topic that can be written reads back as it was; the rest are refused.
  void outlineRoundTrip_data() {
    QTest::addColumn<QStringList>("topic");  // key, columns, caption
    QTest::addColumn<bool>("writable");
    QTest::newRow("columns and caption")
        << QStringList{"Prod_Years_44", "Year@Built", "Production by year"} << true;
    QTest::newRow("no columns") << QStringList{"k", "", "c"} << true;
    QTest::newRow("no caption") << QStringList{"k", "a@b", ""} << true;
    QTest::newRow("caption holding >L= and =") << QStringList{"k", "a", "x>L=y=z"} << true;
    QTest::newRow("columns holding =") << QStringList{"k", "a=b", "c"} << true;
    QTest::newRow("columns holding >L") << QStringList{"k", "a>L", "c"} << true;
    QTest::newRow("letters beyond Latin-1")
        << QStringList{"Ключ_31", "Année@Émail", "Coupé · 1962"} << true;
    QTest::newRow("key holding =") << QStringList{"k=1", "a", "c"} << false;
    QTest::newRow("key holding >L") << QStringList{"k>L", "a", "c"} << false;
    QTest::newRow("columns holding >L=") << QStringList{"k", "a>L=b", "c"} << false;
    QTest::newRow("empty key") << QStringList{"", "a", "c"} << false;
    QTest::newRow("key opening with a tab") << QStringList{"\tk", "a", "c"} << false;
    QTest::newRow("caption of two lines") << QStringList{"k", "a", "c\nd"} << false;
  }
  void outlineRoundTrip() {
    QFETCH(QStringList, topic);
    QFETCH(bool, writable);
    const OutlineTopic written{topic[0], topic[1], topic[2]};
    const std::optional<QString> line = WriteOutlineTopic(written);
    QCOMPARE(line.has_value(), writable);
    if (line) QCOMPARE(ReadOutlineTopic(*line), std::optional<OutlineTopic>(written));
  }
  // Outline and table lines as authors write them by hand: headings, the reader's odd corners.
  void readingByHand() {
    QCOMPARE(ReadOutlineTopic(QStringLiteral("Paint and trim")), std::nullopt);
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k=a@b>L=c")), (OutlineTopic{"k", "a@b", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k>L=c")), (OutlineTopic{"k>L", "", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral(">L=")), (OutlineTopic{">L", "", ""}));
    QCOMPARE(ReadTableLine(QStringLiteral("a@b@")), (QStringList{"a", "b"}));
    QCOMPARE(ReadTableLine(QStringLiteral("a@$")), (QStringList{"a"}));
    QCOMPARE(ReadTableLine(QStringLiteral("$")), QStringList());
    QCOMPARE(ReadTableLine(QStringLiteral("@@")), (QStringList{"", ""}));
  }
  void tableLineRoundTrip_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("writable");
    QTest::newRow("three cells") << QStringList{"Ivory", "IV10", "1957 – 1962"} << true;
    QTest::newRow("one empty cell") << QStringList{""} << true;
    QTest::newRow("empty cell between") << QStringList{"a", "", "b"} << true;
    QTest::newRow("$ first") << QStringList{"$", "a"} << true;
    QTest::newRow("no cells") << QStringList{} << false;
    QTest::newRow("empty cell last") << QStringList{"a", ""} << false;
    QTest::newRow("$ last") << QStringList{"a", "$"} << false;
    QTest::newRow("$ alone") << QStringList{"$"} << false;
    QTest::newRow("cell holding @") << QStringList{"a@b"} << false;
    QTest::newRow("cell holding a return") << QStringList{"a\rb"} << false;
  }
  void tableLineRoundTrip() {
    QFETCH(QStringList, cells);
    QFETCH(bool, writable);
    const std::optional<QString> line = WriteTableLine(cells);
    QCOMPARE(line.has_value(), writable);
    if (line) QCOMPARE(ReadTableLine(*line), cells);
  }
  // Link lists as spreadsheets and sources write them, and what no reader takes.
  void linkLists() {
    for (const QList<int>& links : {QList<int>{}, QList<int>{3, 0, 5}, QList<int>{2147483647}})
      QCOMPARE(ReadLinkList(WriteLinkList(links)), links);
    QCOMPARE(ReadLinkList(QStringLiteral(" 1 2,, 3 ")), (QList<int>{1, 2, 3}));
    for (const char* bad : {"1;2", "+1", "-1", "1.5", "2147483648", "١", "a"})
      QVERIFY2(!ReadLinkList(QString::fromUtf8(bad)), bad);
  }
};

QTEST_GUILESS_MAIN(TestContentContract)
#include "TestContentContract.moc"
