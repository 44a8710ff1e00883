// Tests of GTimeClick: beats on the context thread, stopping without a deadlock or a late beat.
#include "controls/TimeClick.h"

#include <QTest>
#include <QThread>
#include <memory>

using namespace orlaventis;

class TestTimeClick : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void beatsRunOnTheContextThreadUntilStopped() {
    QObject context;
    int beats = 0;
    bool onUiThread = true;
    const auto beat = [&] {
      ++beats;
      onUiThread = onUiThread && QThread::currentThread() == context.thread();
    };
    GTimeClick clock(1, beat, &context);
    QTRY_VERIFY(beats >= 3);
    QVERIFY(clock.Stop());
    QVERIFY(clock.isFinished());
    const int atStop = beats;
    QTest::qWait(30);
    QCOMPARE(beats, atStop);
    QVERIFY(onUiThread);
    QVERIFY(clock.Stop());             // twice is harmless
    GTimeClick idle(1, {}, &context);  // without a callback the thread ends at once
    QVERIFY(idle.wait(5000));
  }
  void stopWhileABeatIsQueuedNeitherDeadlocksNorRunsIt() {
    QObject context;
    int beats = 0;
    auto clock = std::make_unique<GTimeClick>(
        0, [&] { ++beats; }, &context);
    QThread::msleep(20);  // the worker is now waiting for its first beat to be delivered
    QVERIFY(clock->Stop());
    QCoreApplication::processEvents();
    QCOMPARE(beats, 0);
  }
  void stopFromInsideABeatLetsItFinish() {
    QObject context;
    int beats = 0;
    bool finished = false;
    std::unique_ptr<GTimeClick> clock;
    const auto beat = [&] {
      if (++beats == 2) {
        GTimeClick::Dispose(std::move(clock));  // frees itself when its thread ends
        finished = true;
      }
    };
    clock = std::make_unique<GTimeClick>(1, beat, &context);
    QTRY_VERIFY(finished);  // the beat disposed of the clock before it set `finished`
    QVERIFY(clock == nullptr);
    QTest::qWait(30);
    QCOMPARE(beats, 2);
  }
};

QTEST_MAIN(TestTimeClick)
#include "TestTimeClick.moc"
