// Block transitions: a picture copied onto another block by block, at random or in a spiral.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QWidget;

namespace orlaventis {

enum class EffectStyle : std::uint8_t { esRandom, esExplode, esImplode };

// The block grid over a source area. The extents are one more than the picture's width and
// height (the clipping rectangle is inclusive), so the last row and column may reach past it.
struct BlockGrid {
  int blockSize = 1;
  int extentW = 0;
  int extentH = 0;
  int cols = 0;
  int rows = 0;
  // Block (i, j), numbered from 1: from ((i-1) B, (j-1) B) to (min(i B, EW), min(j B, EH)).
  QRect BlockRect(int i, int j) const;
  bool Contains(int i, int j) const { return i >= 1 && i <= cols && j >= 1 && j <= rows; }
};

// The grid for a picture of `pictureSize` and blocks of `blockSize` pixels (values below 1
// count as 1).
BlockGrid MakeBlockGrid(QSize pictureSize, int blockSize);

// The blocks (i, j) a transition copies, in order, leaving out walk positions outside the
// grid (they copy nothing). esRandom draws `step`-spaced copies from a generator seeded with
// `seed`: ceil((cols x rows - 1) / step) blocks; a step of 0 counts as 1. The spirals ignore
// step and seed. The final whole-picture copy is not part of the sequence.
std::vector<QPoint> BlockSequence(const BlockGrid& grid, int step, EffectStyle style,
                                  std::uint32_t seed);

// Copies block `block` of `grid` from `source` to the same place through `painter`; the part
// of the block outside the source (the extra extent row and column) copies nothing.
void CopyBlock(QPainter& painter, const QImage& source, const BlockGrid& grid, QPoint block);

// One presentation of a paced transition: once `copies` copies are done (the final
// whole-picture copy counts as the last one), the destination is shown `dueMs` after the start.
struct TransitionFrame {
  qint64 copies = 0;
  qint64 dueMs = 0;
  friend bool operator==(const TransitionFrame&, const TransitionFrame&) = default;
};
inline constexpr qint64 kTransitionMs = 500;  // on-screen length of a paced transition
inline constexpr qint64 kTransitionFrames = 40;

// The presentations of a transition of `blockCopies` block copies and the final copy: at most
// kTransitionFrames, the copies shared out evenly, the first shown at once and the last (the
// whole picture) kTransitionMs after the start, whatever the block count. Without block copies
// there is nothing to see moving: one frame at 0.
std::vector<TransitionFrame> TransitionSchedule(qint64 blockCopies);

// Makes the transitions of the controls in the window of `widget`, and in the windows it parents
// that have no setting of their own, instant (no pacing: all copies at once), or paced again;
// for tests and off-screen rendering. The setting stays with that window.
void SetInstantTransitions(QWidget* widget, bool instant);
// The setting of the nearest window around `control` that has one (see WindowValue); false
// (paced) when none has.
bool InstantTransitions(const QWidget* control);

// Copies `source` onto `destination` (same size) block by block in the order of BlockSequence
// (random seeded from the clock), then the whole picture, all at once. Does nothing when the
// sizes differ.
void PlayBlockTransition(const QImage& source, QImage& destination, int blockSize, int step,
                         EffectStyle style);

// Plays block transitions paced by the event loop, so that input is handled while one runs:
// Start makes the first frame's copies at once, then a timer makes the copies of each later
// frame of TransitionSchedule when it is due (a frame whose successor is already due too is
// passed over, so the picture shown at every instant is the scheduled one and the length stays
// kTransitionMs) and calls `present` after each. An instant player's Start makes every copy
// itself.
class TTransitionPlayer final : public QObject {
  Q_OBJECT
 public:
  explicit TTransitionPlayer(QObject* parent = nullptr);

  // Starts copying `source` onto `*destination` in the order of BlockSequence (random seeded
  // from the clock), the whole picture last. A transition still running is finished first.
  // Starts nothing when `destination` is null or the sizes differ. `*destination` must stay
  // valid, and keep its size, while Running(); `present` is called after each frame the timer
  // makes, never from inside Start or Finish.
  void Start(const QImage& source, QImage* destination, int blockSize, int step, EffectStyle style,
             std::function<void()> present);
  // Makes every remaining copy now, so the destination shows the whole picture; no present.
  void Finish();
  bool Running() const { return destination_ != nullptr; }
  // Whether the following Starts make every copy at once (false, paced, unless set).
  bool Instant() const { return instant_; }
  void SetInstant(bool instant) { instant_ = instant; }

 Q_SIGNALS:
  // The destination shows the whole picture (by the timer, Start or Finish).
  void Finished();

 private:
  void Tick();
  // Makes the copies up to `copies` (the final whole-picture copy is number blocks + 1).
  void CopyThrough(qint64 copies);
  // Ends the transition once its last frame is made; else arms the timer for the next frame.
  void ScheduleNext();

  QImage source_;
  QImage* destination_ = nullptr;
  BlockGrid grid_;
  std::vector<QPoint> blocks_;
  std::vector<TransitionFrame> schedule_;
  size_t nextFrame_ = 0;
  qint64 done_ = 0;
  QElapsedTimer clock_;
  QTimer timer_;
  std::function<void()> present_;
  bool instant_ = false;
};

}  // namespace orlaventis
