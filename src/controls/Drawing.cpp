// Drawing helpers of the controls: rounding, a font with its colour, palette-safe picture
// drawing and GDI-style shapes and text.
#include "controls/Drawing.h"

#include "controls/Palette.h"

#include <QPainter>

#include <cmath>
#include <limits>
#include <utility>

namespace orlaventis {
namespace {

QImage PaletteSafe(const QImage& picture) {
  const ColorTable* palette = DisplayPalette();
  return palette != nullptr ? MapToPalette(picture, *palette) : picture;
}

}  // namespace

int Rnd(double v) {
  // The default floating-point rounding mode rounds halves to even.
  const double r = std::nearbyint(v);
  if (!(r > std::numeric_limits<int>::min() && r < std::numeric_limits<int>::max())) {
    return r > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
  }
  return static_cast<int>(r);
}

void DrawPicture(QPainter* painter, int x, int y, const QImage& picture) {
  if (painter == nullptr || picture.isNull()) return;
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter->drawImage(QPoint(x, y), PaletteSafe(picture));
  painter->restore();
}

void StretchDrawPicture(QPainter* painter, const QRect& box, const QImage& picture) {
  if (painter == nullptr || picture.isNull() || box.width() <= 0 || box.height() <= 0) return;
  // Without smooth transformation the painter samples the nearest source pixel (rows and
  // columns dropped or repeated, as COLORONCOLOR does) and renders only the visible part,
  // so a huge box costs no memory. On a dense screen the box covers more device pixels than
  // logical ones; there the picture is filtered from its own pixels instead, so that it is not
  // drawn blocky.
  painter->save();
  const QPaintDevice* device = painter->device();
  painter->setRenderHint(QPainter::SmoothPixmapTransform,
                         device != nullptr && device->devicePixelRatioF() > 1.0);
  painter->drawImage(box, PaletteSafe(picture));
  painter->restore();
}

void SmoothDrawPicture(QPainter* painter, const QRect& box, const QImage& picture) {
  if (painter == nullptr || picture.isNull() || box.width() <= 0 || box.height() <= 0) return;
  if (DisplayDepth() <= 8) return StretchDrawPicture(painter, box, picture);
  const QPaintDevice* device = painter->device();
  const qreal ratio = device != nullptr ? device->devicePixelRatioF() : 1.0;
  const QSize pixels = (QSizeF(box.size()) * ratio).toSize();
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
  if (pixels.width() <= picture.width() && pixels.height() <= picture.height() &&
      pixels != picture.size()) {
    // Shrunk ahead into the box's own pixels by an area average (the painter's interpolation
    // reads only the nearest four pixels); never larger than the picture itself.
    QImage shrunk = picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shrunk.setDevicePixelRatio(ratio);
    painter->drawImage(box.topLeft(), shrunk);
  } else {
    painter->drawImage(box, picture);
  }
  painter->restore();
}

void GdiRectangle(QPainter& painter, int x1, int y1, int x2, int y2) {
  GdiRoundRect(painter, x1, y1, x2, y2, 0, 0);
}

void GdiRoundRect(QPainter& painter, int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  painter.save();
  const bool rounded = cornerW > 0 && cornerH > 0;
  painter.setRenderHint(QPainter::Antialiasing, rounded);
  // An aliased 1-pixel outline of QRect(x1, y1, w - 1, h - 1) covers x1..x2-1; without a pen
  // the same shape fills x1..x2-2, as GDI does. Antialiased outlines sit on pixel centres.
  QRectF shape(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  if (rounded && painter.pen().style() != Qt::NoPen) shape.translate(0.5, 0.5);
  if (rounded) {
    painter.drawRoundedRect(shape, cornerW / 2.0, cornerH / 2.0, Qt::AbsoluteSize);
  } else {
    painter.drawRect(shape);
  }
  painter.restore();
}

void GdiTextOut(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

}  // namespace orlaventis
