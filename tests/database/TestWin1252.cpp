// Tests of the Windows-1252 text boundary of the data files.
#include "database/Win1252.h"

#include <QTest>

using namespace orlaventis;

class TestWin1252 : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void win1252RoundTripsEveryByteAndRefusesTheRest() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = DecodeWin1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE((QList{text.at(0x80), text.at(0x9F), text.at(0xE9)}),
             (QList{QChar(0x20AC), QChar(0x0178), QChar(0xE9)}));
    QCOMPARE(EncodeWin1252(text), std::optional(all));
    QVERIFY(!EncodeWin1252(QStringLiteral("caf\u00e9 \u0101")));
    QVERIFY(!EncodeWin1252(QString::fromUtf8("\xF0\x9F\x9A\x97")));
  }
};

QTEST_GUILESS_MAIN(TestWin1252)
#include "TestWin1252.moc"
