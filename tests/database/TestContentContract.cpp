// Tests of the content contract's text grammars: what a writer writes, the reader reads back.
#include "database/ContentContract.h"

#include <QTest>

using namespace orlaventis::content;

class TestContentContract : public QObject {
  Q_OBJECT

 private slots:
  void outlineRoundTrip_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("writable");
    QTest::newRow("plain") << "Prod_Years_44" << "Year@Built" << "Production by year" << true;
    QTest::newRow("no columns") << "k" << "" << "c" << true;
    QTest::newRow("empty caption") << "k" << "a@b" << "" << true;
    QTest::newRow("mark in caption") << "k" << "a" << "x>L=y=z" << true;
    QTest::newRow("equals in columns") << "k" << "a=b" << "c" << true;
    QTest::newRow("columns end in >L") << "k" << "a>L" << "c" << true;
    QTest::newRow("non-Latin") << "Ключ_31" << "Année@Émail" << "Coupé · 1962" << true;
    QTest::newRow("equals in key") << "k=1" << "a" << "c" << false;
    QTest::newRow("key ends in >L") << "k>L" << "a" << "c" << false;
    QTest::newRow("mark in columns") << "k" << "a>L=b" << "c" << false;
    QTest::newRow("empty key") << "" << "a" << "c" << false;
    QTest::newRow("tab before key") << "\tk" << "a" << "c" << false;
    QTest::newRow("line break") << "k" << "a" << "c\nd" << false;
  }
  void outlineRoundTrip() {
    QFETCH(QString, key);
    QFETCH(QString, columns);
    QFETCH(QString, caption);
    QFETCH(bool, writable);
    const OutlineTopic topic{key, columns, caption};
    const std::optional<QString> line = WriteOutlineTopic(topic);
    QCOMPARE(line.has_value(), writable);
    if (line) QCOMPARE(ReadOutlineTopic(*line), std::optional<OutlineTopic>(topic));
  }

  // Lines as authors write them by hand: headings, and the reader's odd corners.
  void outlineReading() {
    QCOMPARE(ReadOutlineTopic(QStringLiteral("Paint and trim")), std::nullopt);
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k=a@b>L=c")), (OutlineTopic{"k", "a@b", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral("k>L=c")), (OutlineTopic{"k>L", "", "c"}));
    QCOMPARE(ReadOutlineTopic(QStringLiteral(">L=")), (OutlineTopic{">L", "", ""}));
  }

  void tableLineRoundTrip_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("writable");
    QTest::newRow("three") << QStringList{"Ivory", "IV10", "1957 – 1962"} << true;
    QTest::newRow("one empty") << QStringList{""} << true;
    QTest::newRow("empty inside") << QStringList{"a", "", "b"} << true;
    QTest::newRow("dollar first") << QStringList{"$", "a"} << true;
    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("empty last") << QStringList{"a", ""} << false;
    QTest::newRow("dollar last") << QStringList{"a", "$"} << false;
    QTest::newRow("dollar alone") << QStringList{"$"} << false;
    QTest::newRow("separator in a cell") << QStringList{"a@b"} << false;
    QTest::newRow("line break in a cell") << QStringList{"a\rb"} << false;
  }
  void tableLineRoundTrip() {
    QFETCH(QStringList, cells);
    QFETCH(bool, writable);
    const std::optional<QString> line = WriteTableLine(cells);
    QCOMPARE(line.has_value(), writable);
    if (line) QCOMPARE(ReadTableLine(*line), cells);
  }

  void tableLineReading() {
    QCOMPARE(ReadTableLine(QStringLiteral("a@b@")), (QStringList{"a", "b"}));
    QCOMPARE(ReadTableLine(QStringLiteral("a@$")), (QStringList{"a"}));
    QCOMPARE(ReadTableLine(QStringLiteral("$")), QStringList());
    QCOMPARE(ReadTableLine(QStringLiteral("@@")), (QStringList{"", ""}));
  }
};

QTEST_GUILESS_MAIN(TestContentContract)
#include "TestContentContract.moc"
