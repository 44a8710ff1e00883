// Block transitions: a picture copied onto another block by block, at random or in a spiral.
#include "controls/Transitions.h"

#include "controls/Drawing.h"
#include "controls/WindowState.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <random>

namespace orlaventis {
namespace {

constexpr char kInstantTransitionsProperty[] = "orlaventisInstantTransitions";

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
  return QRect(QPoint(left, top),
               QPoint(std::min(i * blockSize, extentW) - 1, std::min(j * blockSize, extentH) - 1));
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

void SetInstantTransitions(QWidget* widget, bool instant) {
  SetWindowValue(widget, kInstantTransitionsProperty, instant);
}

bool InstantTransitions(const QWidget* control) {
  return WindowValue(control, kInstantTransitionsProperty).toBool();
}

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
                         EffectStyle style) {
  if (source.isNull() || source.size() != destination.size()) return;
  const BlockGrid grid = MakeBlockGrid(source.size(), blockSize);
  const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
  QPainter painter(&destination);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QPoint& block : BlockSequence(grid, step, style, seed))
    CopyBlock(painter, source, grid, block);
  painter.drawImage(QPoint(0, 0), source);
}

TTransitionPlayer::TTransitionPlayer(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &TTransitionPlayer::Tick);
}

void TTransitionPlayer::Start(const QImage& source, QImage* destination, int blockSize, int step,
                              EffectStyle style, std::function<void()> present) {
  Finish();
  if (destination == nullptr || source.isNull() || source.size() != destination->size()) return;
  grid_ = MakeBlockGrid(source.size(), blockSize);
  const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
  blocks_ = BlockSequence(grid_, step, style, seed);
  const auto blockCount = static_cast<qint64>(blocks_.size());
  // Instant: one frame that holds every copy.
  schedule_ = instant_ ? std::vector<TransitionFrame>{{blockCount + 1, 0}}
                       : TransitionSchedule(blockCount);
  source_ = source;
  destination_ = destination;
  present_ = std::move(present);
  done_ = 0;
  clock_.start();
  CopyThrough(schedule_.front().copies);
  nextFrame_ = 1;
  ScheduleNext();
}

void TTransitionPlayer::Finish() {
  if (!Running()) return;
  timer_.stop();
  CopyThrough(schedule_.back().copies);
  nextFrame_ = schedule_.size();
  ScheduleNext();
}

void TTransitionPlayer::Tick() {
  if (!Running()) return;
  // The latest frame that is due (the next one at least: the timer was armed for it).
  const qint64 elapsed = clock_.elapsed();
  size_t frame = nextFrame_;
  while (frame + 1 < schedule_.size() && schedule_[frame + 1].dueMs <= elapsed) ++frame;
  CopyThrough(schedule_[frame].copies);
  nextFrame_ = frame + 1;
  // The callback may start another transition: it gets a copy of its own.
  const std::function<void()> present = present_;
  ScheduleNext();
  if (present) present();
}

void TTransitionPlayer::CopyThrough(qint64 copies) {
  const auto blockCount = static_cast<qint64>(blocks_.size());
  QPainter painter(destination_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (; done_ < copies && done_ < blockCount; ++done_) {
    CopyBlock(painter, source_, grid_, blocks_[static_cast<size_t>(done_)]);
  }
  // The whole picture last, so the destination always ends complete.
  if (copies > blockCount && done_ <= blockCount) {
    painter.drawImage(QPoint(0, 0), source_);
    done_ = blockCount + 1;
  }
}

void TTransitionPlayer::ScheduleNext() {
  if (nextFrame_ < schedule_.size()) {
    timer_.start(
        static_cast<int>(std::max<qint64>(0, schedule_[nextFrame_].dueMs - clock_.elapsed())));
    return;
  }
  destination_ = nullptr;
  source_ = QImage();
  blocks_.clear();
  present_ = nullptr;
  Q_EMIT Finished();
}

}  // namespace orlaventis
