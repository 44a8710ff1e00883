// Tests of the content contract's text grammars: what a writer writes, the reader reads back.
#include "database/ContentContract.h"

#include <QTest>

using namespace orlaventis::content;

class TestContentContract : public QObject {
  Q_OBJECT

 private slots:
  // Each topic that can be written reads back as it was; the rest are refused.
  void outlineRoundTrip() {
    const struct { QString key, columns, caption; bool writable; } rows[] = {
        {"Prod_Years_44", "Year@Built", "Production by year", true}, {"k", "", "c", true},
        {"k", "a@b", "", true}, {"k", "a", "x>L=y=z", true}, {"k", "a=b", "c", true}, {"k", "a>L", "c", true},
        {"Ключ_31", "Année@Émail", "Coupé · 1962", true}, {"k=1", "a", "c", false},
        {"k>L", "a", "c", false}, {"k", "a>L=b", "c", false}, {"", "a", "c", false}, {"\tk", "a", "c", false},
        {"k", "a", "c\nd", false}};
    for (const auto& r : rows) {
      const OutlineTopic topic{r.key, r.columns, r.caption};
      const std::optional<QString> line = WriteOutlineTopic(topic);
      QVERIFY2(line.has_value() == r.writable, qPrintable(r.key + '|' + r.columns + '|' + r.caption));
      if (line) QCOMPARE(ReadOutlineTopic(*line), std::optional<OutlineTopic>(topic));
    }
  }

  // Lines as authors write them by hand: headings, and the reader's odd corners.
  void outlineReading() {
    QCOMPARE(ReadOutlineTopic(QStringLiteral("Paint and trim")), std::nullopt);
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k=a@b>L=c")), (OutlineTopic{"k", "a@b", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k>L=c")), (OutlineTopic{"k>L", "", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral(">L=")), (OutlineTopic{">L", "", ""}));
  }

  void tableLineRoundTrip() {
    const std::pair<QStringList, bool> rows[] = {
        {{"Ivory", "IV10", "1957 – 1962"}, true}, {{""}, true}, {{"a", "", "b"}, true}, {{"$", "a"}, true},
        {{}, false}, {{"a", ""}, false}, {{"a", "$"}, false}, {{"$"}, false}, {{"a@b"}, false},
        {{"a\rb"}, false}};
    for (const auto& [cells, writable] : rows) {
      const std::optional<QString> line = WriteTableLine(cells);
      QVERIFY2(line.has_value() == writable, qPrintable(cells.join('|')));
      if (line) QCOMPARE(ReadTableLine(*line), cells);
    }
  }

  void tableLineReading() {
    QCOMPARE(ReadTableLine(QStringLiteral("a@b@")), (QStringList{"a", "b"}));
    QCOMPARE(ReadTableLine(QStringLiteral("a@$")), (QStringList{"a"}));
    QCOMPARE(ReadTableLine(QStringLiteral("$")), QStringList());
    QCOMPARE(ReadTableLine(QStringLiteral("@@")), (QStringList{"", ""}));
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
