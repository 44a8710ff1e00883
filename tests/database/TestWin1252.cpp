// Tests of the Windows-1252 text boundary.
#include "database/Win1252.h"

#include <QTest>

using namespace orlaventis;

class TestWin1252 : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void roundTripsEveryByte() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = DecodeWin1252(all);
    QCOMPARE(text.size(), 256);
    QVERIFY(text.at(0x80) == QChar(0x20AC) && text.at(0x9F) == QChar(0x0178) && text.at(0xE9) == QChar(0x00E9));  // euro sign, Ÿ, é
    QCOMPARE(EncodeWin1252(text), std::optional(all));
  }
  void refusesCharactersOutsideTheSet() {
    QVERIFY(!EncodeWin1252(QStringLiteral("caf\u00e9 \u0101")) && !EncodeWin1252(QString::fromUtf8("\xF0\x9F\x9A\x97")));
    QCOMPARE(*EncodeWin1252(QStringLiteral("\u20ac 5")), QByteArray("\x80 5"));
  }
};

QTEST_GUILESS_MAIN(TestWin1252)
#include "TestWin1252.moc"
