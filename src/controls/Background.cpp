// TBackground: the brush, pen, picture and placement rule that a background control paints.
#include "controls/Background.h"

#include "controls/Drawing.h"

#include <QPainter>

namespace orlaventis {

QList<QRect> BackgroundImageBoxes(TImageDrawStyle style, int iw, int ih, int W, int H) {
  QList<QRect> boxes;
  if (iw <= 0 || ih <= 0) return boxes;
  switch (style) {
    case TImageDrawStyle::idsAlongside:
      for (int x = 0; x < W; x += iw) {
        for (int y = 0; y < H; y += ih) boxes.append(QRect(x, y, iw, ih));
      }
      break;
    case TImageDrawStyle::idsCenter:
      // Integer division truncates toward zero, as div does.
      boxes.append(QRect((W - iw) / 2, (H - ih) / 2, iw, ih));
      break;
    case TImageDrawStyle::idsHide: break;
    case TImageDrawStyle::idsStretch: boxes.append(QRect(0, 0, W - 1, H - 1)); break;
    case TImageDrawStyle::idsTopLeft: boxes.append(QRect(0, 0, iw, ih)); break;
  }
  return boxes;
}

TBackground::TBackground(QObject* parent) : QObject(parent) {}

void TBackground::SetBrush(const QBrush& brush) {
  if (brush_ == brush) return;
  brush_ = brush;
  Q_EMIT BrushChanged();
}

void TBackground::SetPen(const QPen& pen) {
  if (pen_ == pen) return;
  pen_ = pen;
  Q_EMIT PenChanged();
}

void TBackground::SetImage(const QImage& image) {
  image_ = image;
  Q_EMIT ImageChanged();
}

void TBackground::SetImageDrawStyle(TImageDrawStyle style) {
  if (imageDrawStyle_ == style) return;
  imageDrawStyle_ = style;
  if (OnChange) OnChange(this);
}

void TBackground::Assign(const TBackground& other) {
  if (&other == this) return;
  SetPen(other.pen_);
  SetBrush(other.brush_);
  SetImage(other.image_);
  SetImageDrawStyle(other.imageDrawStyle_);
}

void TBackground::DrawImage(QPainter& painter, int W, int H) const {
  // Laid out by the picture's logical size: a dense variant draws in the same boxes.
  const QSizeF logical = image_.deviceIndependentSize();
  const auto boxes =
      BackgroundImageBoxes(imageDrawStyle_, Rnd(logical.width()), Rnd(logical.height()), W, H);
  for (const QRect& box : boxes) {
    if (imageDrawStyle_ == TImageDrawStyle::idsStretch) {
      StretchDrawPicture(&painter, box, image_);
    } else {
      DrawPicture(&painter, box.x(), box.y(), image_);
    }
  }
}

void TBackground::DrawFrame(QPainter& painter, int W, int H) const {
  painter.save();
  painter.setPen(pen_);
  painter.setBrush(brush_);
  GdiRectangle(painter, 0, 0, W, H);
  painter.restore();
}

}  // namespace orlaventis
