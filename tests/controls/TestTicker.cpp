// Tests of TTicker: item layout, the three movements, the beat sources and stopping them.
#include "controls/Ticker.h"

#include <QTest>

using namespace orlaventis;

namespace {

constexpr QRgb kTape = 0xFF000080;

// Counts pixels that are not the tape's fill.
int InkPixels(const QImage& image, QRect area) {
  int n = 0;
  area = area.intersected(image.rect().adjusted(1, 1, -1, -1));  // inside the frame
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) != kTape;
  }
  return n;
}

// A shown ticker with a navy tape; the beats it has run are counted by its paints.
struct Shown {
  QWidget form;
  TTicker* ticker = new TTicker(&form);
  explicit Shown(QSize size = QSize(100, 30)) {
    form.resize(size + QSize(20, 20));
    ticker->resize(size);
    ticker->SetBrush(QColor(kTape));
    ticker->SetPen(Qt::NoPen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
  }
};

void SendTicks(TTicker& ticker, int count) {
  for (int i = 0; i < count; ++i) {
    QEvent tick(kTickMessage);
    QCoreApplication::sendEvent(&ticker, &tick);
  }
}

// Stops its own beat thread from inside the third beat, and records that the beat went on.
class StoppingTicker : public TTicker {
 public:
  int beats = 0;
  bool beatFinished = false;

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (Play() && ++beats == 3) {
      SetPlay(false);
      beatFinished = true;
    }
    TTicker::paintEvent(event);
  }
};

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
    QCOMPARE(ticker.DrawItem(0, 7), 7 + std::max(alpha, beta) + 10);
    QCOMPARE(ticker.DrawItem(3, 0), wide + 10);
    QCOMPARE(ticker.DrawItem(1, 0), alpha + 10);  // "|" last: major text only
    QCOMPARE(ticker.DrawItem(2, 0), alpha + 10);
    QCOMPARE(ticker.DrawItem(4, 33), 33);  // outside the list
    QCOMPARE(ticker.DrawItem(-1, 33), 33);
    ticker.SetStyle(TTickerStyle::tsCredit);
    const int majorHeight = QFontMetrics(ticker.MajorFont().Font).height();
    const int minorHeight = QFontMetrics(ticker.MinorFont().Font).height();
    QCOMPARE(ticker.DrawItem(0, 3), 3 + majorHeight + 5 + minorHeight + 10);
    QCOMPARE(ticker.DrawItem(2, 3), 3 + majorHeight + 10);
  }

  void tapeRestartsAfterTheLastItem() {
    Shown shown;
    TTicker& ticker = *shown.ticker;
    QCOMPARE(ticker.CurrentItem(), -1);
    ticker.SetItems({"ab", "cd"});
    ticker.SetTapeJumper(9);
    QVERIFY(InkPixels(ticker.Canvas(), ticker.rect()) == 0);  // nothing before the first beat
    ticker.Tick();
    QCOMPARE(ticker.CurrentItem(), 0);
    QCOMPARE(ticker.TapePosition(), -9);
    QVERIFY(InkPixels(ticker.Canvas(), ticker.rect()) > 0);
    int beats = 1;
    while (ticker.CurrentItem() == 0 && beats < 100) {
      ticker.Tick();
      ++beats;
    }
    QCOMPARE(ticker.CurrentItem(), 1);  // the first item has left at the left edge
    while (ticker.CurrentItem() == 1 && beats < 200) {
      ticker.Tick();
      ++beats;
    }
    QCOMPARE(ticker.CurrentItem(), 0);
    QCOMPARE(ticker.TapePosition(), 101);  // just beyond the right edge
    QCOMPARE(InkPixels(ticker.Canvas(), ticker.rect()), 0);
    ticker.Tick();
    QCOMPARE(ticker.TapePosition(), 92);
    QCOMPARE(InkPixels(ticker.Canvas(), QRect(0, 0, 92, 30)), 0);
    QVERIFY(InkPixels(ticker.Canvas(), QRect(92, 0, 8, 30)) > 0);
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
    QVERIFY(ink[0] < ink[1] && ink[1] < ink[2]);
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
    ticker.SetTapeSpeed(0);
    SendTicks(ticker, 1);
    QCOMPARE(ticker.TapePosition(), 0);
    SendTicks(ticker, 1);
    QCOMPARE(ticker.TapePosition(), -1);
    SendTicks(ticker, 4);
    QCOMPARE(ticker.TapePosition(), -3);
    ticker.SetTapeSpeed(3);
    ticker.SetTapePosition(0);
    SendTicks(ticker, 4);
    QCOMPARE(ticker.TapePosition(), 0);
    SendTicks(ticker, 1);
    QCOMPARE(ticker.TapePosition(), -1);
    SendTicks(ticker, 10);
    QCOMPARE(ticker.TapePosition(), -3);
    ticker.setEnabled(false);  // disabled: beats change nothing
    SendTicks(ticker, 5);
    QCOMPARE(ticker.TapePosition(), -3);
  }

  void timerAndThreadBeatTheTape() {
    TTicker ticker;
    ticker.SetTapeJumper(1);
    ticker.SetTapeSpeed(1);
    ticker.SetTapeRuns(true);
    QVERIFY(ticker.TapeRuns());
    QTRY_VERIFY(ticker.TapePosition() <= -3);
    ticker.SetTapeRuns(false);
    QVERIFY(!ticker.TapeRuns());
    ticker.SetTapePosition(0);
    ticker.SetPlay(true);
    QTRY_VERIFY(ticker.TapePosition() <= -3);
    ticker.SetPlay(false);
    const int stopped = ticker.TapePosition();
    QTest::qWait(30);
    QCOMPARE(ticker.TapePosition(), stopped);
    ticker.SetPlay(true);  // destroyed while playing: stops cleanly
  }

  void timerOfZeroMillisecondsNeverBeats() {
    TTicker ticker;
    ticker.SetTapeJumper(1);
    ticker.SetTapeSpeed(0);
    ticker.SetTapeRuns(true);
    QVERIFY(ticker.TapeRuns());
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QCOMPARE(ticker.TapePosition(), 0);
    ticker.SetTapeSpeed(1);  // a real interval starts the beat
    QTRY_VERIFY(ticker.TapePosition() < 0);
    ticker.SetTapeSpeed(0);
    const int stopped = ticker.TapePosition();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QCOMPARE(ticker.TapePosition(), stopped);
  }

  void playOffInsideABeatLetsItFinishAndNoBeatFollows() {
    QWidget form;
    auto* ticker = new StoppingTicker;
    ticker->setParent(&form);
    ticker->SetTapeJumper(1);
    ticker->SetTapeSpeed(1);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    ticker->SetPlay(true);
    QTRY_VERIFY(ticker->beatFinished);
    QVERIFY(!ticker->Play());
    const int position = ticker->TapePosition();
    QTest::qWait(30);
    QCOMPARE(ticker->TapePosition(), position);
    QCOMPARE(ticker->beats, 3);
  }
};

QTEST_MAIN(TestTicker)
#include "TestTicker.moc"
