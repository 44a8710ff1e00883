// Tests of the block transitions: the grid, the exact block order of each style, random copy
// counts, pacing over half a second and the final whole copy.
#include "controls/Transitions.h"
#include "controls/WidgetProbes.h"

#include <QPainter>
#include <QTest>
#include <set>

using namespace orlaventis;
using namespace probes;

namespace {

using Blocks = std::vector<QPoint>;

std::set<std::pair<int, int>> Distinct(const Blocks& blocks) {
  std::set<std::pair<int, int>> seen;
  for (const QPoint& b : blocks) seen.insert({b.x(), b.y()});
  return seen;
}
// The whole block order of `style` over a picture of `size` in blocks of 5.
Blocks Walk(QSize size, EffectStyle style) {
  return BlockSequence(MakeBlockGrid(size, 5), 1, style, 0);
}

QImage Gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
  return image;
}

}  // namespace

class TestTransitions : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void gridCountsTheInclusiveExtent() {
    const BlockGrid grid = MakeBlockGrid(QSize(210, 155), 5);
    QCOMPARE((QList<int>{grid.extentW, grid.extentH, grid.cols, grid.rows}),
             (QList<int>{211, 156, 43, 32}));
    QCOMPARE((QList<QRect>{grid.BlockRect(1, 1), grid.BlockRect(43, 32), grid.BlockRect(42, 31),
                           grid.BlockRect(0, 1), grid.BlockRect(44, 1)}),
             (QList<QRect>{QRect(0, 0, 5, 5), QRect(210, 155, 1, 1), QRect(205, 150, 5, 5), QRect(),
                           QRect()}));
    // Extents 10 and 5: no extra block. Block size 0 counts as 1.
    const BlockGrid exact = MakeBlockGrid(QSize(9, 4), 5), tiny = MakeBlockGrid(QSize(3, 3), 0);
    QCOMPARE((QList<int>{exact.cols, exact.rows, tiny.cols}), (QList<int>{2, 1, 4}));
    const BlockGrid huge = MakeBlockGrid(QSize(640, 480), std::numeric_limits<int>::max());
    QCOMPARE((QList<int>{huge.cols, huge.rows}), (QList<int>{1, 1}));
    QCOMPARE(huge.BlockRect(1, 1), QRect(0, 0, 641, 481));
  }
  // An explosion spirals out from the centre, an implosion in from the edge.
  void explodeAndImplodeSpiral() {
    const Blocks walk = Walk(QSize(210, 155), EffectStyle::esExplode);
    const Blocks first = {{22, 16}, {22, 15}, {21, 15}, {21, 16}, {21, 17}, {22, 17}, {23, 17},
                          {23, 16}, {23, 15}, {23, 14}, {22, 14}, {21, 14}, {20, 14}, {20, 15}};
    QCOMPARE(Blocks(walk.begin(), walk.begin() + first.size()), first);
    QCOMPARE(Distinct(walk).size(), size_t{43 * 32});
    // A 3 x 3 grid, whole: centre, up, left, two down, two right, up twice (the rest is outside).
    const Blocks small = Walk(QSize(14, 14), EffectStyle::esExplode);
    QCOMPARE(small,
             (Blocks{{2, 2}, {2, 1}, {1, 1}, {1, 2}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {3, 1}}));
    // A single block: the centre rounds to 0, so only the final copy shows the picture.
    QVERIFY(Walk(QSize(4, 4), EffectStyle::esExplode).empty());
    // Imploding, 4 x 4: down the left side from (1, 2), right along a bottom row outside the grid,
    // up the right side, left along row 2, and inwards.
    const Blocks square = {{1, 2}, {1, 3}, {1, 4}, {4, 2}, {3, 2}, {2, 2},
                           {2, 3}, {2, 4}, {3, 4}, {4, 4}, {4, 3}, {3, 3}};
    QCOMPARE(Walk(QSize(19, 19), EffectStyle::esImplode), square);
    // 43 x 32: the square is centred on the rows, starting 6 blocks above the grid.
    const Blocks wide = Walk(QSize(210, 155), EffectStyle::esImplode);
    Blocks left;
    for (int j = 1; j <= 32; ++j) left.push_back({1, j});
    left.push_back({2, 1});  // the bottom and right legs lie outside
    QCOMPARE(Blocks(wide.begin(), wide.begin() + 33), left);
    QCOMPARE(Distinct(wide).size(), size_t{43 * 32});
    // Taller than wide: the square is centred on the columns.
    QCOMPARE(Walk(QSize(9, 24), EffectStyle::esImplode),
             (Blocks{{2, 2}, {1, 2}, {2, 3}, {1, 3}, {1, 4}, {1, 5}, {2, 5}, {2, 4}}));
  }
  void randomCopiesStepThroughTheCounter() {
    const BlockGrid grid = MakeBlockGrid(QSize(210, 155), 5);
    const Blocks one = BlockSequence(grid, 1, EffectStyle::esRandom, 7);
    // Copies for speeds 1, 3, 255 and 0 (counts as 1): ceil((1376 - 1) / speed).
    QList<size_t> counts;
    for (int speed : {1, 3, 255, 0})
      counts << BlockSequence(grid, speed, EffectStyle::esRandom, 7).size();
    QCOMPARE(counts, (QList<size_t>{1375, 459, 6, 1375}));
    // Same seed, same blocks; they may repeat; all inside the grid.
    QVERIFY(BlockSequence(grid, 1, EffectStyle::esRandom, 7) == one);
    QVERIFY(BlockSequence(grid, 1, EffectStyle::esRandom, 8) != one);
    QCOMPARE_LT(Distinct(one).size(), one.size());
    for (QPoint b : one)
      QVERIFY2(grid.Contains(b.x(), b.y()),
               qPrintable(QStringLiteral("%1,%2").arg(b.x()).arg(b.y())));
  }
  void transitionAlwaysEndsWithTheWholePicture() {
    const QImage source = Gradient(37, 23);
    for (EffectStyle style :
         {EffectStyle::esRandom, EffectStyle::esExplode, EffectStyle::esImplode}) {
      QImage destination = Solid(source.width(), source.height(), kBlack);
      PlayBlockTransition(source, destination, 4, 0, style);
      QCOMPARE(destination, source);
      // Instant: the player makes every copy inside Start and never presents.
      destination.fill(Qt::black);
      TTransitionPlayer player;
      player.SetInstant(true);
      int presents = 0;
      player.Start(source, &destination, 4, 0, style, [&] { ++presents; });
      QVERIFY(!player.Running());
      QCOMPARE(destination, source);
      QCOMPARE(presents, 0);
    }
    QImage other = Solid(5, 5, kBlack);
    PlayBlockTransition(source, other, 4, 1, EffectStyle::esExplode);  // sizes differ
    QCOMPARE(other.pixel(0, 0), qRgb(0, 0, 0));
  }
  void blockCopiesStayInsideTheirBlock() {
    const QImage source = Gradient(120, 90);
    const BlockGrid grid = MakeBlockGrid(source.size(), 8);  // 16 x 12, extents 121 x 91
    QImage destination = Solid(source.width(), source.height(), kBlack);
    QPainter painter(&destination);
    CopyBlock(painter, source, grid, QPoint(16, 3));  // only the extra column: nothing
    CopyBlock(painter, source, grid, QPoint(3, 12));  // bottom row: two pixel rows remain
    CopyBlock(painter, source, grid, QPoint(0, 1));   // outside the grid: nothing
    painter.end();
    QVERIFY(probes::CountPixels(destination, destination.rect(),
                                [](QRgb c) { return c != qRgb(0, 0, 0); }) <= 8 * 2);
    QCOMPARE(destination.copy(16, 88, 8, 2), source.copy(16, 88, 8, 2));
  }
  void pacingSpreadsEveryTransitionOverHalfASecond() {
    // Nothing moves without block copies: the final copy at once. A single block is still seen
    // for the whole half second before the final copy.
    QCOMPARE(TransitionSchedule(0), (std::vector<TransitionFrame>{{1, 0}}));
    QCOMPARE(TransitionSchedule(1), (std::vector<TransitionFrame>{{1, 0}, {2, 500}}));
    for (qint64 blocks : {qint64{3}, qint64{39}, qint64{786431}}) {
      const std::vector<TransitionFrame> schedule = TransitionSchedule(blocks);
      // The whole picture after half a second: every block and the final copy.
      QCOMPARE_LE(schedule.size(), size_t(40));
      QCOMPARE(schedule.front().dueMs, 0);
      QCOMPARE((std::tuple{schedule.back().dueMs, schedule.back().copies}),
               (std::tuple{500, blocks + 1}));
      for (size_t f = 1; f < schedule.size(); ++f) {
        QCOMPARE_GT(schedule[f].copies, schedule[f - 1].copies);
        QCOMPARE_GT(schedule[f].dueMs, schedule[f - 1].dueMs);
      }
    }
  }
  // Paced by the event loop: every presented frame is one of the schedule's, in order, and a
  // later start or Finish ends a running transition on its whole picture.
  void pacedTransitionShowsScheduledFramesInOrder() {
    const QImage source = Gradient(210, 155);
    const BlockGrid grid = MakeBlockGrid(source.size(), 5);
    const Blocks blocks = BlockSequence(grid, 1, EffectStyle::esExplode, 0);
    // The destination after each frame of the schedule.
    QList<QImage> expected;
    QImage reference = Solid(source.width(), source.height(), kBlack);
    qint64 done = 0;
    for (const TransitionFrame& frame : TransitionSchedule(qint64(blocks.size()))) {
      QPainter painter(&reference);
      for (; done < frame.copies && done < qint64(blocks.size()); ++done)
        CopyBlock(painter, source, grid, blocks[size_t(done)]);
      if (frame.copies > qint64(blocks.size())) painter.drawImage(0, 0, source);
      painter.end();
      expected << reference.copy();
    }
    QImage destination = Solid(source.width(), source.height(), kBlack);
    TTransitionPlayer player;
    QList<int> frames;  // the schedule's frame each presentation showed (the last two look alike)
    player.Start(source, &destination, 5, 1, EffectStyle::esExplode,
                 [&] { frames << int(expected.lastIndexOf(destination)); });
    QVERIFY(player.Running());
    QCOMPARE(destination, expected.front());  // the first frame at once, before any event
    QTRY_VERIFY_WITH_TIMEOUT(!player.Running(), 20000);
    QVERIFY(!frames.isEmpty());
    QCOMPARE_LT(frames.size(), expected.size());
    QCOMPARE(frames.last(), expected.size() - 1);
    for (qsizetype i = 0; i < frames.size(); ++i)
      QVERIFY(frames[i] >= (i == 0 ? 1 : frames[i - 1]));
    // Starting again while one runs, or Finish, ends the running one on its whole picture.
    destination.fill(Qt::black);
    player.Start(source, &destination, 5, 1, EffectStyle::esExplode, {});
    QImage other = Gradient(210, 155).mirrored();
    player.Start(other, &destination, 5, 1, EffectStyle::esImplode, {});
    QVERIFY(player.Running());
    const QRect centre =
        grid.BlockRect(22, 16);  // the explosion's first block, the implosion's last
    QCOMPARE(destination.copy(centre), source.copy(centre));
    player.Finish();
    QVERIFY(!player.Running());
    QCOMPARE(destination, other);
  }
};

QTEST_MAIN(TestTransitions)
#include "TestTransitions.moc"
