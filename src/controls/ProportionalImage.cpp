// TProportionalImage: a picture scaled in proportion over a background, with a caption box,
// composed off screen and shown at once, through a raster operation or a block transition.
#include "controls/ProportionalImage.h"

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/Palette.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace orlaventis {

QRgb ApplyRasterOperation(TRasterOperation op, QRgb s, QRgb d, QRgb p) {
  quint32 r = 0;
  switch (op) {
    case TRasterOperation::roBLACKNESS: r = 0; break;
    case TRasterOperation::roDSTINVERT: r = ~d; break;
    case TRasterOperation::roMERGECOPY: r = p & s; break;
    case TRasterOperation::roMERGEPAINT: r = ~s | d; break;
    case TRasterOperation::roNOTSRCCOPY: r = ~s; break;
    case TRasterOperation::roNOTSRCERASE: r = ~(s | d); break;
    case TRasterOperation::roPATCOPY: r = p; break;
    case TRasterOperation::roPATINVERT: r = p ^ d; break;
    case TRasterOperation::roPATPAINT: r = p | ~s | d; break;
    case TRasterOperation::roSRCCOPY: r = s; break;
    case TRasterOperation::roSRCERASE: r = s & ~d; break;
    case TRasterOperation::roSRCINVERT: r = s ^ d; break;
    case TRasterOperation::roSRCPAINT: r = s | d; break;
    case TRasterOperation::roWHITENESS: r = 0xFFFFFFu; break;
    case TRasterOperation::roSRCAND:
    default: r = s & d; break;
  }
  return 0xFF000000u | (r & 0x00FFFFFFu);
}

QRect ProportionalBox(QSize control, QSize picture, const ProportionalRules& rules) {
  const int W = control.width();
  const int H = control.height();
  const int pw = picture.width();
  const int ph = picture.height();
  if (pw <= 0 || ph <= 0) return {};
  auto fit = [&](int sx, int sy) {
    int w = Rnd(W * (sx / 100.0));
    int h = Rnd(w * (static_cast<double>(ph) / pw));
    const int tallest = Rnd(H * (sy / 100.0));
    if (h > tallest) {
      h = tallest;
      w = Rnd(h * (static_cast<double>(pw) / ph));
    }
    return QSize(w, h);
  };
  QSize size = fit(rules.Sx, rules.Sy);
  if (rules.SxIsStatic || rules.SyIsStatic) {
    const QSize fixed = fit(rules.StaticSx, rules.StaticSy);
    if (rules.SxIsStatic) {
      size.setWidth(fixed.width());
    } else {
      size.setHeight(fixed.height());
    }
  }
  if (size.width() <= 0 || size.height() <= 0) return {};
  return QRect((W - size.width()) / 2, (H - size.height()) / 2, size.width(), size.height());
}

TProportionalImage::TProportionalImage(QWidget* parent)
    : QWidget(parent),
      background_(new TBackground(this)),
      transition_(std::make_unique<TTransitionPlayer>()) {
  InstallAccessibleControls();
  resize(100, 100);
  // A change of the background picture is deliberately not wired: it shows at the next paint.
  connect(background_, &TBackground::BrushChanged, this, &TProportionalImage::Changed);
  connect(background_, &TBackground::PenChanged, this, &TProportionalImage::Changed);
  background_->OnChange = [this](QObject*) { Changed(); };
  canvas_ = QImage(size(), QImage::Format_RGB32);
  canvas_.fill(Qt::black);
}

void TProportionalImage::SetBackground(const TBackground& background) {
  background_->Assign(background);
}

void TProportionalImage::SetImage(const QImage& picture) {
  newImage_ = true;
  image_ = picture;
  Changed();
}

void TProportionalImage::SetText(const QString& text) {
  if (text_ == text) return;
  text_ = text;
  newImage_ = true;
  Changed();
}

void TProportionalImage::Changed() { Paint(true); }

QSize TProportionalImage::DeviceSize() const {
  return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

QImage TProportionalImage::Compose() const {
  // Composed in device pixels and painted in logical ones, so that on a dense screen the picture,
  // the background and the caption are drawn from their own pixels, not enlarged afterwards.
  const int W = width();
  const int H = height();
  QImage off(DeviceSize(), QImage::Format_RGB32);
  if (off.isNull()) return off;
  off.setDevicePixelRatio(devicePixelRatioF());
  off.fill(Qt::black);
  QPainter painter(&off);
  background_->DrawImage(painter, W, H);
  painter.setFont(font_.Font);
  background_->DrawFrame(painter, W, H);

  const QRect box = ProportionalBox(QSize(W, H), image_.size(), rules_);
  if (!box.isEmpty()) SmoothDrawPicture(&painter, box, image_);

  if (!text_.isEmpty()) {
    // A clear brush given a colour turns solid, so the box is white over any background.
    QBrush boxBrush = background_->Brush();
    if (boxBrush.style() == Qt::NoBrush) boxBrush.setStyle(Qt::SolidPattern);
    boxBrush.setColor(Qt::white);
    QPen boxPen = background_->Pen();
    boxPen.setColor(Qt::black);
    painter.setBrush(boxBrush);
    painter.setPen(boxPen);
    const QFontMetrics metrics = painter.fontMetrics();
    const int tw = metrics.horizontalAdvance(text_) + 4;
    const QFont& font = font_.Font;
    const int fontHeight = font.pointSizeF() > 0
                               ? Rnd(std::abs(font.pointSizeF()) / 72.0 * off.logicalDpiY())
                               : font.pixelSize();
    const int th = fontHeight + 4;
    const int x1 = (W - tw) / 2;
    GdiRectangle(painter, x1, H - th, W - x1, H);
    painter.setClipRect(QRect(x1 + 2, H - th + 2, tw - 4, th - 4));
    painter.setPen(Qt::black);
    GdiTextOut(painter, x1 + 2, H - th + (th - metrics.height()) / 2, text_);
  }
  painter.end();
  // Kept as plain device pixels: transitions and raster operations work pixel by pixel.
  off.setDevicePixelRatio(1.0);
  const ColorTable* palette = DisplayPalette();
  return palette != nullptr ? MapToPalette(off, *palette).convertToFormat(QImage::Format_RGB32)
                            : off;
}

void TProportionalImage::PutWithRasterOperation(const QImage& composed) {
  QImage pattern(composed.size(), QImage::Format_RGB32);
  pattern.fill(Qt::black);
  {
    QPainter painter(&pattern);
    painter.fillRect(pattern.rect(), background_->Brush());
  }
  for (int y = 0; y < composed.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(composed.constScanLine(y));
    const auto* p = reinterpret_cast<const QRgb*>(pattern.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(canvas_.scanLine(y));
    for (int x = 0; x < composed.width(); ++x)
      d[x] = ApplyRasterOperation(rasterOperation_, s[x], d[x], p[x]);
  }
}

TProportionalImage::ComposedInputs TProportionalImage::CurrentInputs() const {
  return ComposedInputs{DeviceSize(), background_->Image().cacheKey(), DisplayPalette()};
}

void TProportionalImage::Paint(bool present) {
  composedValid_ = false;
  if (!isVisible()) {
    // A picture that changes while hidden is simply there when the control shows: no
    // transition from the picture it showed before.
    newImage_ = false;
    return;
  }
  if (isPainting_) return;
  isPainting_ = true;
  transition_->Finish();
  if (canvas_.size() != DeviceSize()) {
    QImage resized(DeviceSize(), QImage::Format_RGB32);
    resized.fill(Qt::black);
    QPainter(&resized).drawImage(0, 0, canvas_);
    canvas_ = resized;
  }
  const QImage composed = Compose();
  if (!composed.isNull()) {
    if (newImage_ && effects_) {
      // The later frames are shown as the timer makes them.
      transition_->SetInstant(InstantTransitions(this));
      transition_->Start(composed, &canvas_, Rnd(effectSize_ * devicePixelRatioF()), effectSpeed_,
                         effect_, [this] { Present(); });
    } else if (rasterOperation_ == TRasterOperation::roSRCCOPY) {
      canvas_ = composed;
    } else {
      PutWithRasterOperation(composed);
    }
  }
  isPainting_ = false;
  newImage_ = false;
  // Raster operations other than a copy combine with the canvas, so they are redone each time.
  if (!composed.isNull() && rasterOperation_ == TRasterOperation::roSRCCOPY) {
    composedValid_ = true;
    composedInputs_ = CurrentInputs();
  }
  if (present) Present();
}

void TProportionalImage::Present() {
  presenting_ = true;
  repaint();
  presenting_ = false;
}

void TProportionalImage::paintEvent(QPaintEvent* event) {
  // A paint the platform asks for recomposes only when something the picture depends on changed,
  // and not while a transition is drawing the canvas (a new size ends it); one that only shows
  // the canvas does not.
  const bool transitionDraws = transition_->Running() && canvas_.size() == DeviceSize();
  const bool canvasCurrent = composedValid_ && !newImage_ && composedInputs_ == CurrentInputs();
  if (!presenting_ && !transitionDraws && !canvasCurrent) Paint(false);
  QPainter painter(this);
  const qreal ratio = devicePixelRatioF();
  const QRectF area(event->rect());
  painter.drawImage(area, canvas_, QRectF(area.topLeft() * ratio, area.size() * ratio));
}

bool TProportionalImage::event(QEvent* event) {
  return RaiseMouseEvents(this, event) || QWidget::event(event);
}

}  // namespace orlaventis
