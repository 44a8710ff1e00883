// TTicker: text items shown as a sideways tape, upward credits or one at a time, beaten by a
// timer, a GTimeClick thread or posted tick messages.
#include "controls/Ticker.h"

#include "controls/Drawing.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace orlaventis {
namespace {

TFont DefaultTickerFont(int pixelHeight) {
  TFont font;
  font.Font = QFont(QStringLiteral("Arial"));
  font.Font.setPixelSize(pixelHeight);
  font.Color = Qt::white;
  return font;
}

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

}  // namespace

TTicker::TTicker(QWidget* parent)
    : QWidget(parent), majorFont_(DefaultTickerFont(20)), minorFont_(DefaultTickerFont(15)) {
  resize(100, 30);
  // The tape covers its whole area: nothing behind it needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TTicker::~TTicker() {
  timer_.reset();
  StopThread();
  play_ = false;
}

void TTicker::SetTapeSpeed(quint16 v) {
  if (tapeSpeed_ == v) return;
  tapeSpeed_ = v;
  if (timer_ != nullptr) StartTimer();
  update();
}

void TTicker::StartTimer() {
  // A platform timer of 0 ms never fires; a QTimer of 0 ms would beat on every pass of the
  // event loop and keep the processor busy.
  if (tapeSpeed_ == 0) {
    timer_->stop();
  } else {
    timer_->start(tapeSpeed_);
  }
}

void TTicker::SetTapeRuns(bool v) {
  if (TapeRuns() == v) return;
  if (v) {
    timer_ = std::make_unique<QTimer>();
    connect(timer_.get(), &QTimer::timeout, this, &TTicker::Tick);
    StartTimer();
  } else {
    timer_.reset();
  }
  update();
}

void TTicker::SetPlay(bool v) {
  if (play_ == v) return;
  StopThread();
  play_ = v;
  if (v)
    thread_ = std::make_unique<GTimeClick>(
        tapeSpeed_, [this] { Tick(); }, this);
}

void TTicker::StopThread() { GTimeClick::Dispose(std::move(thread_)); }

bool TTicker::event(QEvent* event) {
  if (event->type() != kTickMessage) return QWidget::event(event);
  if (tapeSpeed_ >= tickMessageCount_) {
    ++tickMessageCount_;
  } else {
    tickMessageCount_ = 0;
    Tick();
  }
  return true;
}

void TTicker::Tick() {
  if (!isEnabled()) return;
  if (style_ == TTickerStyle::tsFlash) {
    ++currentItem_;
    if (currentItem_ > items_.size() - 1) currentItem_ = 0;
  } else {
    if (!items_.isEmpty() && currentItem_ == -1) currentItem_ = 0;
    tapePosition_ -= tapeJumper_;
  }
  // A solid tape covers everything, so it can be painted at once without erasing.
  if (brush_.style() == Qt::SolidPattern) {
    repaint();
  } else {
    update();
  }
}

int TTicker::DrawItem(int index, int position) {
  if (bitmap_.isNull() || index < 0 || index >= items_.size()) return position;
  const QString& entry = items_.at(index);
  const qsizetype bar = entry.indexOf(QLatin1Char('|'));
  const QString major = bar < 0 ? entry : entry.left(bar);
  const QString minor = bar < 0 ? QString() : entry.mid(bar + 1);
  const int W = bitmap_.width();
  const int H = bitmap_.height();

  QPainter painter(&bitmap_);
  painter.setClipRect(bitmap_.rect());
  painter.setBrush(Qt::NoBrush);
  painter.setFont(majorFont_.Font);
  painter.setPen(majorFont_.Color);
  const QFontMetrics majorMetrics = painter.fontMetrics();
  auto selectMinor = [&] {
    painter.setFont(minorFont_.Font);
    painter.setPen(minorFont_.Color);
    return painter.fontMetrics();
  };

  if (style_ == TTickerStyle::tsCredit) {
    const int y = position;
    GdiTextOut(painter, Trunc(W * majorOffset_), y, major);
    if (minor.isEmpty()) return y + majorMetrics.height() + spacing_;
    const int mh = majorMetrics.height();
    const QFontMetrics minorMetrics = selectMinor();
    GdiTextOut(painter, Trunc(W * minorOffset_), y + mh + itemSpacing_, minor);
    return y + mh + itemSpacing_ + minorMetrics.height() + spacing_;
  }
  const int x = position;
  GdiTextOut(painter, x, Trunc(H * majorOffset_), major);
  const int mw = majorMetrics.horizontalAdvance(major);
  if (minor.isEmpty()) return x + mw + spacing_;
  const QFontMetrics minorMetrics = selectMinor();
  const int minorWidth = minorMetrics.horizontalAdvance(minor);
  if (relativeSubPos_) {
    GdiTextOut(painter, x + mw + itemSpacing_, Trunc(H * minorOffset_), minor);
    return x + mw + itemSpacing_ + minorWidth + spacing_;
  }
  GdiTextOut(painter, x, Trunc(H * minorOffset_), minor);
  return x + std::max(mw, minorWidth) + spacing_;
}

void TTicker::DrawItemsFrom(int first, int position, int limit) {
  for (int index = first; index < items_.size() && position < limit; ++index) {
    position = DrawItem(index, position);
  }
}

void TTicker::ComposeTape() {
  if (!isVisible() || isPainting_) return;
  isPainting_ = true;
  const int W = width();
  const int H = height();
  if (bitmap_.size() != size()) bitmap_ = QImage(size(), QImage::Format_RGB32);
  if (!bitmap_.isNull()) {
    bitmap_.fill(Qt::black);
    QPainter painter(&bitmap_);
    painter.setBrush(brush_);
    painter.setPen(pen_);
    GdiRectangle(painter, 0, 0, W, H);
  }
  if (isEnabled() && !items_.isEmpty() && currentItem_ != -1) {
    if (style_ == TTickerStyle::tsFlash) {
      DrawItem(currentItem_, tapePosition_);
    } else {
      const int limit = style_ == TTickerStyle::tsTape ? W : H;
      const int next = DrawItem(currentItem_, tapePosition_);
      if (next >= 0) {
        DrawItemsFrom(currentItem_ + 1, next, limit);
      } else {
        // The current item and its gap have left the tape.
        ++currentItem_;
        if (currentItem_ > items_.size() - 1) {
          currentItem_ = 0;
          tapePosition_ = limit + 1;
        } else {
          tapePosition_ = next;
          DrawItemsFrom(currentItem_, next, limit);
        }
      }
    }
  } else if (items_.isEmpty()) {
    currentItem_ = -1;
  }
  isPainting_ = false;
}

void TTicker::paintEvent(QPaintEvent*) {
  ComposeTape();
  QPainter painter(this);
  painter.drawImage(0, 0, bitmap_);
}

}  // namespace orlaventis
