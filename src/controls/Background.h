// TBackground: the brush, pen, picture and placement rule that a background control paints.
#pragma once

#include <QBrush>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPen>
#include <QRect>

#include <cstdint>
#include <functional>

class QPainter;

namespace orlaventis {

enum class TImageDrawStyle : std::uint8_t {
  idsAlongside,
  idsCenter,
  idsHide,
  idsStretch,
  idsTopLeft
};

// The boxes (x, y, width, height) in which a iw x ih picture is drawn on a W x H area:
// idsAlongside tiles column by column from (0, 0); idsCenter once at ((W-iw) div 2,
// (H-ih) div 2), negative when larger; idsStretch one (0, 0, W-1, H-1) box; idsTopLeft once
// at (0, 0); idsHide none. A picture with no pixels gives no boxes.
QList<QRect> BackgroundImageBoxes(TImageDrawStyle style, int iw, int ih, int W, int H);

class TBackground : public QObject {
  Q_OBJECT
 public:
  explicit TBackground(QObject* parent = nullptr);

  // The owned brush, pen and picture; setters copy the value in and raise the matching
  // change signal when it differs. The picture signal fires on every assignment (a picture
  // container reports every load).
  const QBrush& Brush() const { return brush_; }
  void SetBrush(const QBrush& brush);
  const QPen& Pen() const { return pen_; }
  void SetPen(const QPen& pen);
  const QImage& Image() const { return image_; }
  void SetImage(const QImage& image);

  TImageDrawStyle ImageDrawStyle() const { return imageDrawStyle_; }
  // Stores a different style and raises OnChange.
  void SetImageDrawStyle(TImageDrawStyle style);

  // Copies pen, brush, picture and then the draw style of `other` (this object stays).
  void Assign(const TBackground& other);

  // Draws the picture by the draw style on a W x H area (nothing for an empty picture).
  void DrawImage(QPainter& painter, int W, int H) const;
  // Draws the fill and frame rectangle (0, 0)-(W, H) with the brush and pen.
  void DrawFrame(QPainter& painter, int W, int H) const;

  // Raised only for a change of ImageDrawStyle.
  std::function<void(QObject* Sender)> OnChange;

 Q_SIGNALS:
  void BrushChanged();
  void PenChanged();
  void ImageChanged();

 private:
  QBrush brush_{Qt::white};
  QPen pen_{Qt::black};
  QImage image_;
  TImageDrawStyle imageDrawStyle_ = TImageDrawStyle::idsAlongside;
};

}  // namespace orlaventis
