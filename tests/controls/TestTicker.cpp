// Tests of TTicker: layout of its items, the tape movements and the sources of its beats.
#include "controls/Ticker.h"
#include "controls/WidgetProbes.h"

#include <QTest>

using namespace orlaventis;
using namespace probes;

namespace {

constexpr QRgb kTape = 0xFF000080;

// Counts pixels inside the frame that are not the tape's fill.
int InkPixels(const QImage& image, QRect area) {
  return probes::CountPixels(image, area.intersected(image.rect().adjusted(1, 1, -1, -1)),
                             [](QRgb c) { return c != kTape; });
}
// A shown ticker with a navy tape.
struct Shown {
  QWidget form;
  TTicker* ticker = new TTicker(&form);
  explicit Shown(QSize size = QSize(100, 30)) {
    ticker->resize(size);
    ticker->SetBrush(QColor(kTape));
    ticker->SetPen(Qt::NoPen);
    QVERIFY(probes::ShowForm(form, size + QSize(20, 20)));
  }
};

void SendTicks(TTicker& ticker, int count) {
  QEvent tick(kTickMessage);
  for (int i = 0; i < count; ++i) QCoreApplication::sendEvent(&ticker, &tick);
}
// Ticks until the current item is no longer `item` (at most `limit` ticks).
void TickPast(TTicker& ticker, int item, int limit = 100) {
  for (int i = 0; i < limit && ticker.CurrentItem() == item; ++i) ticker.Tick();
}

}  // namespace

class TestTicker : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void itemWidthsWithAndWithoutRelativeSubPos() {
    Shown shown;
    TTicker& ticker = *shown.ticker;
    ticker.SetItems({"Alpha|Beta", "Alpha|", "Alpha", "Wide major text|x"});
    ticker.SetItemSpacing(5);
    ticker.SetSpacing(10);
    ticker.repaint();  // creates the off-screen bitmap
    const int alpha = QFontMetrics(ticker.MajorFont().Font).horizontalAdvance("Alpha");
    const int beta = QFontMetrics(ticker.MinorFont().Font).horizontalAdvance("Beta");
    const int wide = QFontMetrics(ticker.MajorFont().Font).horizontalAdvance("Wide major text");
    ticker.SetRelativeSubPos(true);
    QCOMPARE(ticker.DrawItem(0, 7), 7 + alpha + 5 + beta + 10);
    ticker.SetRelativeSubPos(false);
    // Minor text under the major one; "|" last: major text only; outside the list: nothing.
    QCOMPARE(
        (QList<int>{ticker.DrawItem(0, 7), ticker.DrawItem(3, 0), ticker.DrawItem(1, 0),
                    ticker.DrawItem(2, 0), ticker.DrawItem(4, 33), ticker.DrawItem(-1, 33)}),
        (QList<int>{7 + std::max(alpha, beta) + 10, wide + 10, alpha + 10, alpha + 10, 33, 33}));
    ticker.SetStyle(TTickerStyle::tsCredit);
    const int majorHeight = QFontMetrics(ticker.MajorFont().Font).height();
    const int minorHeight = QFontMetrics(ticker.MinorFont().Font).height();
    QCOMPARE(ticker.DrawItem(0, 3), 3 + majorHeight + 5 + minorHeight + 10);
    QCOMPARE(ticker.DrawItem(2, 3), 3 + majorHeight + 10);
  }
  void tapeRestartsAfterTheLastItem() {
    Shown shown;
    TTicker& ticker = *shown.ticker;
    const auto ink = [&ticker](QRect area) { return InkPixels(ticker.Canvas(), area); };
    QCOMPARE(ticker.CurrentItem(), -1);
    ticker.SetItems({"ab", "cd"});
    ticker.SetTapeJumper(9);
    QVERIFY(ink(ticker.rect()) == 0);  // nothing before the first beat
    ticker.Tick();
    QCOMPARE((std::tuple{ticker.CurrentItem(), ticker.TapePosition()}), (std::tuple{0, -9}));
    QCOMPARE_GT(ink(ticker.rect()), 0);
    TickPast(ticker, 0);
    QCOMPARE(ticker.CurrentItem(), 1);  // the first item has left at the left edge
    TickPast(ticker, 1);
    // Just beyond the right edge, then in again from there.
    QCOMPARE((std::tuple{ticker.CurrentItem(), ticker.TapePosition(), ink(ticker.rect())}),
             (std::tuple{0, 101, 0}));
    ticker.Tick();
    QCOMPARE((std::pair{ticker.TapePosition(), ink(QRect(0, 0, 92, 30))}), (std::pair{92, 0}));
    QVERIFY(ink(QRect(92, 0, 8, 30)) > 0);
    ticker.SetItems({});
    QCOMPARE(ticker.CurrentItem(), -1);  // an empty list resets the tape
  }
  void flashShowsOneItemAfterTheOther() {
    Shown shown;
    TTicker& ticker = *shown.ticker;
    ticker.SetStyle(TTickerStyle::tsFlash);
    ticker.SetItems({"I", "WW", "MMM"});
    ticker.SetTapePosition(4);
    QList<int> order;
    QList<int> ink;
    for (int i = 0; i < 5; ++i) {
      ticker.Tick();
      order << ticker.CurrentItem();
      ink << InkPixels(ticker.Canvas(), ticker.rect());
    }
    QCOMPARE(order, (QList<int>{0, 1, 2, 0, 1}));
    QCOMPARE(ticker.TapePosition(), 4);
    QCOMPARE_LT(ink[0], ink[1]);
    QCOMPARE_LT(ink[1], ink[2]);
    QCOMPARE(ink[3], ink[0]);
    QCOMPARE(InkPixels(ticker.Canvas(), QRect(0, 0, 4, 30)), 0);  // drawn from x = 4
  }
  void creditsRunUpwards() {
    Shown shown(QSize(100, 80));
    TTicker& ticker = *shown.ticker;
    ticker.SetStyle(TTickerStyle::tsCredit);
    ticker.SetItems({"Top|line", "Next"});
    ticker.SetTapePosition(81);
    ticker.SetTapeJumper(20);
    ticker.Tick();
    QCOMPARE(ticker.TapePosition(), 61);
    QCOMPARE(InkPixels(ticker.Canvas(), QRect(0, 0, 100, 61)), 0);
    QVERIFY(InkPixels(ticker.Canvas(), QRect(0, 61, 100, 19)) > 0);
  }
  void everyTapeSpeedPlusSecondMessageIsABeat() {
    TTicker ticker;  // beats move the tape even without items or a screen
    ticker.SetTapeJumper(1);
    // Per row: the tape speed, the messages sent, the tape position after them.
    const struct {
      int speed, messages, position;
    } rows[] = {{0, 1, 0}, {0, 1, -1}, {0, 4, -3}, {3, 4, -3}, {3, 1, -4}, {3, 10, -6}};
    for (const auto& row : rows) {
      ticker.SetTapeSpeed(row.speed);
      SendTicks(ticker, row.messages);
      QVERIFY2(ticker.TapePosition() == row.position, qPrintable(QString::number(row.position)));
    }
    ticker.setEnabled(false);  // disabled: beats change nothing
    SendTicks(ticker, 5);
    QCOMPARE(ticker.TapePosition(), -6);
  }
  // The timer beats unless its interval is 0 ms; the beat thread beats until play stops.
  void timerAndThreadBeatTheTape() {
    TTicker ticker;
    ticker.SetTapeJumper(1);
    ticker.SetTapeSpeed(0);
    ticker.SetTapeRuns(true);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QVERIFY(ticker.TapeRuns());
    QCOMPARE(ticker.TapePosition(), 0);
    ticker.SetTapeSpeed(1);  // a real interval starts the beat
    QTRY_VERIFY(ticker.TapePosition() <= -3);
    ticker.SetTapeSpeed(0);
    int stopped = ticker.TapePosition();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QCOMPARE(ticker.TapePosition(), stopped);
    ticker.SetTapeRuns(false);
    ticker.SetTapeSpeed(1);
    ticker.SetPlay(true);
    QTRY_VERIFY(ticker.TapePosition() <= stopped - 3);
    ticker.SetPlay(false);
    stopped = ticker.TapePosition();
    QTest::qWait(30);
    QCOMPARE(ticker.TapePosition(), stopped);
    ticker.SetPlay(true);  // destroyed while playing: stops cleanly
  }
};

QTEST_MAIN(TestTicker)
#include "TestTicker.moc"
