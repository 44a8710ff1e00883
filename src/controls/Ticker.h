// TTicker: text items shown as a sideways tape, upward credits or one at a time, beaten by a
// timer, a GTimeClick thread or posted tick messages.
#pragma once

#include "controls/Drawing.h"
#include "controls/TimeClick.h"

#include <QBrush>
#include <QEvent>
#include <QImage>
#include <QPen>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>

class QTimer;

namespace orlaventis {

enum class TTickerStyle : std::uint8_t { tsTape, tsFlash, tsCredit };

// The tick message: every (TapeSpeed + 2)-th one posted or sent to a ticker is a beat.
inline constexpr QEvent::Type kTickMessage = static_cast<QEvent::Type>(1025);

class TTicker : public QWidget {
  Q_OBJECT
 public:
  // 100 x 30, opaque, empty tape; fonts "Arial" 20 and 15 pixels, white.
  explicit TTicker(QWidget* parent = nullptr);
  // Stops the timer and the beat thread first.
  ~TTicker() override;

  // Copied in; a change paints at once.
  const QBrush& Brush() const { return brush_; }
  void SetBrush(const QBrush& v) { SetAndPaint(brush_, v); }
  const QPen& Pen() const { return pen_; }
  void SetPen(const QPen& v) { SetAndPaint(pen_, v); }
  // Each entry is "major|minor" (the first "|" splits; without one all is major text).
  const QStringList& Items() const { return items_; }
  void SetItems(const QStringList& v) { SetAndPaint(items_, v); }
  const TFont& MajorFont() const { return majorFont_; }
  void SetMajorFont(const TFont& v) { SetAndPaint(majorFont_, v); }
  const TFont& MinorFont() const { return minorFont_; }
  void SetMinorFont(const TFont& v) { SetAndPaint(minorFont_, v); }

  // Store a different value and invalidate.
  int ItemSpacing() const { return itemSpacing_; }
  void SetItemSpacing(int v) { SetAndInvalidate(itemSpacing_, v); }
  double MajorOffset() const { return majorOffset_; }
  void SetMajorOffset(double v) { SetAndInvalidate(majorOffset_, v); }
  double MinorOffset() const { return minorOffset_; }
  void SetMinorOffset(double v) { SetAndInvalidate(minorOffset_, v); }
  bool RelativeSubPos() const { return relativeSubPos_; }
  void SetRelativeSubPos(bool v) { SetAndInvalidate(relativeSubPos_, v); }
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { SetAndInvalidate(spacing_, v); }
  TTickerStyle Style() const { return style_; }
  void SetStyle(TTickerStyle v) { SetAndInvalidate(style_, v); }
  int TapeJumper() const { return tapeJumper_; }
  void SetTapeJumper(int v) { SetAndInvalidate(tapeJumper_, v); }
  int TapePosition() const { return tapePosition_; }
  void SetTapePosition(int v) { SetAndInvalidate(tapePosition_, v); }

  // Beat interval in milliseconds for the timer and a newly started thread; for tick
  // messages the number of messages skipped between beats.
  quint16 TapeSpeed() const { return tapeSpeed_; }
  void SetTapeSpeed(quint16 v);
  // Beat from a timer while true (a TapeSpeed of 0 keeps the timer from beating).
  bool TapeRuns() const { return timer_ != nullptr; }
  void SetTapeRuns(bool v);
  // Beat from a GTimeClick thread while true.
  bool Play() const { return play_; }
  void SetPlay(bool v);

  // Index of the first visible item; -1 while there is none.
  int CurrentItem() const { return currentItem_; }

  // One beat: advances the tape (or the flashed item) and repaints.
  void Tick();

  // Draws item `index` at `position` (x for the sideways styles, y for credits) on the
  // off-screen bitmap and returns where the next item starts; returns `position` unchanged
  // when there is no bitmap yet or `index` is outside the list.
  int DrawItem(int index, int position);

  // The last composed tape.
  const QImage& Canvas() const { return bitmap_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  template <typename T>
  void SetAndPaint(T& field, const T& value) {
    if (field == value) return;
    field = value;
    repaint();
  }
  template <typename T>
  void SetAndInvalidate(T& field, const T& value) {
    if (field == value) return;
    field = value;
    update();
  }
  void ComposeTape();
  // Items from `first` on at `position` while they remain and the position is inside `limit`.
  void DrawItemsFrom(int first, int position, int limit);
  void StopThread();
  // (Re)starts the existing timer with the interval TapeSpeed; 0 leaves it idle.
  void StartTimer();

  QImage bitmap_;
  QBrush brush_{Qt::white};
  int tickMessageCount_ = 0;
  bool isPainting_ = false;
  int currentItem_ = -1;
  QStringList items_;
  int itemSpacing_ = 0;
  TFont majorFont_;
  double majorOffset_ = 0;
  TFont minorFont_;
  double minorOffset_ = 0;
  QPen pen_{Qt::black};
  bool play_ = false;
  bool relativeSubPos_ = false;
  int spacing_ = 0;
  TTickerStyle style_ = TTickerStyle::tsTape;
  int tapeJumper_ = 0;
  int tapePosition_ = 0;
  quint16 tapeSpeed_ = 500;
  std::unique_ptr<QTimer> timer_;
  std::unique_ptr<GTimeClick> thread_;
};

}  // namespace orlaventis
