// Drawing helpers of the controls: rounding, a font with its colour, palette-safe picture
// drawing and GDI-style shapes and text.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace orlaventis {

// A font together with its colour (the framework's font object carries both).
struct TFont {
  QFont Font;
  QColor Color = Qt::black;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// rnd(v): nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
int Rnd(double v);

// Draws `picture` at (x, y) in its own size. Does nothing for a null painter or an empty
// picture. On palette displays the picture is mapped to DisplayPalette first.
void DrawPicture(QPainter* painter, int x, int y, const QImage& picture);

// Draws `picture` stretched into `box` (x, y, width, height) by nearest-neighbour sampling
// (rows and columns are dropped or repeated, never blended). Same guards as DrawPicture;
// an empty box draws nothing.
void StretchDrawPicture(QPainter* painter, const QRect& box, const QImage& picture);

// Draws a photograph `picture` scaled into `box`. On true-colour displays (DisplayDepth above 8)
// it is filtered: area-averaged where it shrinks, so that fine patterns and outlines do not
// alias, interpolated where it grows. Palette displays keep StretchDrawPicture's fast sampling.
// Same guards as StretchDrawPicture.
void SmoothDrawPicture(QPainter* painter, const QRect& box, const QImage& picture);

// GDI Rectangle(x1, y1, x2, y2): the outline in the painter's pen covers x1..x2-1 and
// y1..y2-1, the inside is filled with the painter's brush.
void GdiRectangle(QPainter& painter, int x1, int y1, int x2, int y2);
// GDI RoundRect: like GdiRectangle with corner ellipses `cornerW` x `cornerH` (0: square).
void GdiRoundRect(QPainter& painter, int x1, int y1, int x2, int y2, int cornerW, int cornerH);
// GDI TextOut: `text` with its top-left corner at (x, y), in the painter's font and pen.
void GdiTextOut(QPainter& painter, int x, int y, const QString& text);

}  // namespace orlaventis
