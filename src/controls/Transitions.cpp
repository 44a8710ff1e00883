// Block transitions: a picture copied onto another block by block, at random or in a spiral.
#include "controls/Transitions.h"

#include "controls/GraphicControl.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <random>

namespace orlaventis {
namespace {

std::atomic<bool> gInstant{false};

// The spiral walks: each leg moves one block at a time and records every position it reaches.
class Walk {
 public:
  explicit Walk(const BlockGrid& grid) : grid_(grid) {}
  void Visit(int x, int y) {
    if (grid_.Contains(x, y)) blocks_.push_back(QPoint(x, y));
  }
  // k steps along y (+1 even, -1 odd) then k steps along x the same way.
  void Legs(int k, int& x, int& y) {
    const int d = k % 2 == 0 ? 1 : -1;
    for (int n = 0; n < k; ++n) Visit(x, y += d);
    for (int n = 0; n < k; ++n) Visit(x += d, y);
  }
  std::vector<QPoint> Take() { return std::move(blocks_); }

 private:
  const BlockGrid& grid_;
  std::vector<QPoint> blocks_;
};

}  // namespace

QRect BlockGrid::BlockRect(int i, int j) const {
  if (!Contains(i, j)) return {};
  const int left = (i - 1) * blockSize;
  const int top = (j - 1) * blockSize;
  return QRect(QPoint(left, top), QPoint(std::min(i * blockSize, extentW) - 1,
                                         std::min(j * blockSize, extentH) - 1));
}

BlockGrid MakeBlockGrid(QSize pictureSize, int blockSize) {
  BlockGrid grid;
  grid.blockSize = std::max(1, blockSize);
  grid.extentW = std::max(0, pictureSize.width()) + 1;
  grid.extentH = std::max(0, pictureSize.height()) + 1;
  // Rounded up without overflow for any block size (the extents are at least 1).
  grid.cols = (grid.extentW - 1) / grid.blockSize + 1;
  grid.rows = (grid.extentH - 1) / grid.blockSize + 1;
  return grid;
}

std::vector<QPoint> BlockSequence(const BlockGrid& grid, int step, EffectStyle style,
                                  std::uint32_t seed) {
  Walk walk(grid);
  const int cols = grid.cols;
  const int rows = grid.rows;
  switch (style) {
    case EffectStyle::esRandom: {
      // A step of 0 would never end; it counts as 1.
      const qint64 advance = std::max(1, step);
      std::mt19937 random(seed);
      std::uniform_int_distribution<int> col(1, std::max(1, cols));
      std::uniform_int_distribution<int> row(1, std::max(1, rows));
      for (qint64 counter = 1; qint64{cols} * rows > counter; counter += advance) {
        const int i = col(random);
        walk.Visit(i, row(random));
      }
      break;
    }
    case EffectStyle::esExplode: {
      int x = Rnd(cols / 2.0);
      int y = Rnd(rows / 2.0);
      walk.Visit(x, y);
      for (int k = 1; x > 0 || y > 0; ++k) walk.Legs(k, x, y);
      break;
    }
    case EffectStyle::esImplode: {
      int k = 0;
      int x = 1;
      int y = 1;
      if (cols > rows) {
        k = cols;
        y = 1 - Rnd((cols - rows) / 2.0);
      } else {
        k = rows;
        x = 1 - Rnd((rows - cols) / 2.0);
      }
      if (k % 2 != 0) ++k;
      for (; k > 0; --k) walk.Legs(k, x, y);
      break;
    }
  }
  return walk.Take();
}

void CopyBlock(QPainter& painter, const QImage& source, const BlockGrid& grid, QPoint block) {
  // An empty source rectangle would make drawImage copy the whole picture.
  const QRect box = grid.BlockRect(block.x(), block.y()).intersected(source.rect());
  if (!box.isEmpty()) painter.drawImage(box.topLeft(), source, box);
}

void SetInstantTransitions(bool instant) { gInstant = instant; }
bool InstantTransitions() { return gInstant; }

std::vector<TransitionFrame> TransitionSchedule(qint64 blockCopies) {
  const qint64 copies = std::max<qint64>(0, blockCopies) + 1;
  const qint64 frames = std::min(kTransitionFrames, copies);
  std::vector<TransitionFrame> schedule;
  schedule.reserve(static_cast<size_t>(frames));
  for (qint64 f = 1; f <= frames; ++f) {
    const qint64 due = frames == 1 ? 0 : (f - 1) * kTransitionMs / (frames - 1);
    schedule.push_back({(f * copies + frames - 1) / frames, due});
  }
  return schedule;
}

void PlayBlockTransition(const QImage& source, QImage& destination, int blockSize, int step,
                         EffectStyle style, const std::function<void()>& present) {
  if (source.isNull() || source.size() != destination.size()) return;
  const BlockGrid grid = MakeBlockGrid(source.size(), blockSize);
  const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
  const std::vector<QPoint> blocks = BlockSequence(grid, step, style, seed);
  const auto blockCount = static_cast<qint64>(blocks.size());
  const bool paced = !gInstant && present && blockCount > 0;
  // Instant: one frame that holds every copy.
  const std::vector<TransitionFrame> schedule =
      paced ? TransitionSchedule(blockCount) : std::vector<TransitionFrame>{{blockCount + 1, 0}};
  QElapsedTimer clock;
  clock.start();
  qint64 done = 0;
  for (const TransitionFrame& frame : schedule) {
    {
      QPainter painter(&destination);
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      for (; done < frame.copies && done < blockCount; ++done) {
        CopyBlock(painter, source, grid, blocks[static_cast<size_t>(done)]);
      }
      // The whole picture last, so the destination always ends complete.
      if (frame.copies > blockCount) painter.drawImage(QPoint(0, 0), source);
    }
    if (paced && clock.elapsed() < frame.dueMs) {
      QThread::msleep(static_cast<unsigned long>(frame.dueMs - clock.elapsed()));
    }
    if (present) present();
  }
}

}  // namespace orlaventis
