// Test helpers shared by the widget tests: plain pictures, rendering, pixel tables, paint counts.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTest>
#include <QWidget>

#include <functional>
#include <initializer_list>

namespace probes {

constexpr QRgb kBack = 0xFF00C000;  // behind the control under test
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGrey = 0xFF808080;

// A w x h picture of one colour.
inline QImage Solid(int w, int h, QRgb colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}
// `widget` as it paints itself (children included) over `behind`.
inline QImage Render(QWidget* widget, QRgb behind = 0xFFFF00FF,
                     QWidget::RenderFlags flags = QWidget::DrawWindowBackground |
                                                  QWidget::DrawChildren) {
  QImage image(widget->size(), QImage::Format_RGB32);
  image.fill(behind);
  widget->render(&image, QPoint(), QRegion(), flags);
  return image;
}
inline QRgb PixelOf(QWidget* widget, QPoint at) { return Render(widget).pixel(at); }

// Shows `form` at `size` and lets it settle; false when it never reached the screen.
inline bool ShowForm(QWidget& form, QSize size) {
  form.resize(size);
  form.show();
  const bool exposed = QTest::qWaitForWindowExposed(&form);
  QCoreApplication::processEvents();
  return exposed;
}
// One expected pixel of a picture.
struct Pixel {
  int x, y;
  QRgb colour;
};

// Every pixel of `expected` that differs, as "(x, y) is c not e"; empty when all match, so that
// QCOMPARE(Mismatches(...), QString()) names the failing rows.
inline QString Mismatches(const QImage& image, std::initializer_list<Pixel> expected) {
  QString out;
  for (const Pixel& p : expected) {
    const QRgb got = image.pixel(p.x, p.y);
    if (got != p.colour)
      out += QString::asprintf("(%d, %d) is %x not %x; ", p.x, p.y, got, p.colour);
  }
  return out;
}
// Pixels of `image` inside `area` (clipped) for which `match` holds.
template <typename Match>
int CountPixels(const QImage& image, QRect area, Match match) {
  int n = 0;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += match(image.pixel(x, y)) ? 1 : 0;
  return n;
}
inline int CountColour(const QImage& image, QRgb colour) {
  return CountPixels(image, image.rect(), [colour](QRgb c) { return c == colour; });
}
// Counts the paint events a widget receives (install it as an event filter).
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  // The paints `change` caused: those it painted at once, or also the queued ones when `settle`.
  int After(const std::function<void()>& change, bool settle = false) {
    const int before = paints;
    change();
    if (settle) QCoreApplication::processEvents();
    return paints - before;
  }
};

}  // namespace probes
