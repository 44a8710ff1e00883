// Tests of the drawing basis: palettes from the resources, picture drawing, GDI shapes, the
// screen cursor table and the mouse events every control raises.
#include "ProcessFactsRestorer.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/GraphicControl.h"
#include "controls/Palette.h"
#include "controls/ProportionalImage.h"
#include "controls/Resources.h"
#include "controls/WidgetProbes.h"
#include "process/ProcessFacts.h"

#include <QEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

using namespace orlaventis;
using namespace probes;

namespace {

QByteArray PaletteResource(const char* name) {
  InitResources();
  QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(QLatin1String(name)));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestGraphicControl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void roundsHalvesToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    const std::pair<double, int> rows[] = {
        {0.5, 0},  {1.5, 2},   {2.5, 2},    {21.5, 22},
        {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {1e300, std::numeric_limits<int>::max()}};
    for (const auto& [value, rounded] : rows) QTest::addRow("%g", value) << value << rounded;
  }
  void roundsHalvesToEven() {
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(Rnd(value), rounded);
  }
  // The display palettes come from the resources by depth, read by a reader that checks them.
  void palettesByDepthAndTheirReader() {
    const fixture::ProcessFactsRestorer restorer;
    Process().displayDepthOverride = 4;
    const ColorTable* p16 = DisplayPalette();
    QVERIFY(p16 != nullptr);
    QCOMPARE(p16->size(), 16);
    Process().displayDepthOverride = 8;
    const ColorTable* p256 = DisplayPalette();
    QVERIFY(p256 != nullptr);
    QCOMPARE((std::tuple{p256->size(), p256->contains(qRgb(51, 102, 153)), p256->at(255)}),
             (std::tuple{qsizetype(256), true, 0xFFFFFFFFu}));
    Process().displayDepthOverride = 16;  // above 8 bits: no palette
    QVERIFY(DisplayPalette() == nullptr);
    // Each table is read once and stays the same.
    Process().displayDepthOverride = 4;
    QVERIFY(DisplayPalette() == p16);
    // No override (0 or below): the screen's own depth.
    Process().displayDepthOverride = -8;
    QCOMPARE(DisplayDepth(), QGuiApplication::primaryScreen()->depth());
    // The table reader: colours used overrides the bit count when set; 0x00100000 entries, a table
    // cut short, no "BM", no header: refused.
    const QByteArray pal16 = PaletteResource("PAL16");
    QByteArray three = pal16, huge = pal16, notBmp = pal16;
    three[14 + 32] = 3;
    huge[14 + 34] = 0x10;
    notBmp[0] = 'X';
    QList<qsizetype> sizes;
    for (const QByteArray& bmp : {pal16, PaletteResource("PAL256"), three, huge,
                                  pal16.left(14 + 40 + 4 * 15), notBmp, QByteArray("BM")})
      sizes << ColorTableFromBmp(bmp).size();
    QCOMPARE(sizes, (QList<qsizetype>{16, 256, 3, 0, 0, 0, 0}));
  }
  void stretchingRepeatsPixelsWithoutBlending() {
    QImage picture(2, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, kRed);
    picture.setPixel(1, 0, kBlue);
    QImage canvas = Solid(8, 4, kBlack);
    QPainter painter(&canvas);
    StretchDrawPicture(&painter, QRect(1, 1, 4, 2), picture);
    StretchDrawPicture(&painter, QRect(6, 0, 0, 3), picture);   // empty box: nothing
    StretchDrawPicture(&painter, QRect(6, 0, 2, 2), QImage());  // empty picture: nothing
    painter.end();
    // clang-format off
    QCOMPARE(Mismatches(canvas, {{1, 1, kRed}, {2, 1, kRed}, {3, 1, kBlue}, {4, 1, kBlue},
                                 {1, 2, kRed}, {2, 2, kRed}, {3, 2, kBlue}, {4, 2, kBlue},
                                 {0, 1, kBlack}, {5, 1, kBlack}, {1, 3, kBlack}, {6, 0, kBlack},
                                 {7, 1, kBlack}}),
             QString());
    // clang-format on
  }
  void photosShrinkAveragedOnTrueColourOnly() {
    // A one-pixel checkerboard shrunk to a third: area-averaged, every pixel is the grey of its
    // 3 x 3 block (4 or 5 of 9 white); sampled on a palette display it stays black and white.
    QImage pattern(90, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 90; ++x) pattern.setPixel(x, y, (x + y) % 2 ? kWhite : kBlack);
    const fixture::ProcessFactsRestorer restorer;
    QList<int> greys;  // per depth: pixels off the box-filtered grey by more than 3 levels
    for (int depth : {32, 8}) {
      Process().displayDepthOverride = depth;
      QImage canvas = Solid(30, 20, kRed);
      QPainter painter(&canvas);
      SmoothDrawPicture(&painter, QRect(0, 0, 30, 20), pattern);
      painter.end();
      int off = 0;
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
          off += std::abs(qGray(canvas.pixel(x, y)) - ((x + y) % 2 ? 142 : 113)) > 3;
      greys << off;
    }
    QCOMPARE(greys, (QList<int>{0, 600}));
  }
  void rectanglesCoverTheirPixelsLikeGdi() {
    QImage canvas = Solid(10, 6, kBlack);
    {
      QPainter painter(&canvas);
      painter.setPen(QColor(255, 0, 0));
      painter.setBrush(QColor(0, 0, 255));
      GdiRectangle(painter, 0, 0, 8, 4);
    }
    // clang-format off
    QCOMPARE(Mismatches(canvas, {{0, 0, kRed}, {7, 3, kRed}, {1, 1, kBlue}, {6, 2, kBlue},
                                 {8, 3, kBlack}, {7, 4, kBlack}}),
             QString());
    // clang-format on
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setBrush(QColor(0, 0, 255));
    painter.setPen(Qt::NoPen);
    GdiRectangle(painter, 0, 0, 8, 4);  // without a pen one pixel less each way
    painter.end();
    QCOMPARE(Mismatches(canvas, {{6, 2, kBlue}, {7, 2, kBlack}, {6, 3, kBlack}}), QString());
  }
  void theProgramsCursorsComeFromItsResources() {
    QWidget form;
    SetControlCursor(&form, kCursorHandNoFingers);
    QCOMPARE(ControlCursor(&form), kCursorHandNoFingers);
    QCOMPARE(ScreenCursor(-21).shape(), Qt::PointingHandCursor);  // a stock one
    QCOMPARE(ScreenCursor(kCursorZoomIn).shape(), Qt::BitmapCursor);
    TBaseBtn button;
    const QCursor hand = ScreenCursor(kCursorHand);
    QCOMPARE(ControlCursor(&button), kCursorHand);
    QCOMPARE((QList{hand.shape(), form.cursor().shape()}),
             (QList{Qt::BitmapCursor, Qt::BitmapCursor}));
    QCOMPARE((QList{hand.hotSpot(), form.cursor().hotSpot()}),
             (QList{QPoint(12, 2), ScreenCursor(kCursorHandNoFingers).hotSpot()}));
    QVERIFY(LoadResourceCursor(QStringLiteral("NoSuchCursor")).shape() == Qt::ArrowCursor);
  }
  // Every control with the mouse callbacks: a disabled one ignores the mouse, a double click
  // counts once, and a press ended by hiding or disabling leaves nothing held.
  void mouseCallbacksOfEveryControl() {
    QWidget form;
    auto& button = *new TBaseBtn(&form);
    auto& background = *new TBkControl(&form);
    auto& picture = *new TProportionalImage(&form);
    form.show();
    const std::vector<std::pair<QWidget*, TMouseEvents*>> controls = {
        {&button, &button}, {&background, &background}, {&picture, &picture}};
    for (auto [widget, events] : controls) {
      QStringList seen;
      events->OnClick = [&, widget](QObject* s) { seen << (s == widget ? "click" : "?"); };
      events->OnDblClick = [&](QObject*) { seen << "dbl"; };
      events->OnMouseDown = [&](QObject*, QMouseEvent*) { seen << "down"; };
      events->OnMouseUp = [&](QObject*, QMouseEvent*) { seen << "up"; };
      const QPoint at(5, 5);
      widget->setEnabled(false);
      QTest::mouseClick(widget, Qt::LeftButton, {}, at);
      QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
      QCOMPARE(seen, QStringList());
      QVERIFY(!button.MousePressed());
      widget->setEnabled(true);
      // A real double click: press, release, double click, release.
      QTest::mouseClick(widget, Qt::LeftButton, {}, at);
      QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
      QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
      QCOMPARE(seen, (QStringList{"down", "click", "up", "dbl", "down", "up"}));
      // Released outside, or the right button: no click.
      seen.clear();
      QTest::mousePress(widget, Qt::LeftButton, {}, at);
      QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(widget->width() + 5, 5));
      QTest::mouseClick(widget, Qt::RightButton, {}, at);
      QCOMPARE(seen, (QStringList{"down", "up", "down", "up"}));
      // A press ended by hiding or disabling: its release is no click, and nothing stays held.
      for (bool hide : {true, false}) {
        seen.clear();
        QTest::mousePress(widget, Qt::LeftButton, {}, at);
        hide ? widget->hide() : widget->setEnabled(false);
        QVERIFY(!button.MousePressed());
        hide ? widget->show() : widget->setEnabled(true);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
        QCOMPARE(seen, (QStringList{"down", "up"}));
      }
    }
    // A disabled button takes no down look.
    button.setEnabled(false);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!button.MousePressed());
  }
  void mouseEnterAndLeaveReachTheEvents() {
    GGraphicControl control;
    QStringList seen;
    control.OnMouseIn = [&](QObject* sender) { seen << (sender == &control ? "in" : "?"); };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    for (QEvent* event : {static_cast<QEvent*>(&enter), &leave})
      QCoreApplication::sendEvent(&control, event);
    control.OnMouseOut = [&](QObject* s) { seen << (s == &control ? "out" : "?"); };  // none before
    QCoreApplication::sendEvent(&control, &leave);
    QCOMPARE(seen, (QStringList{"in", "out"}));
  }
};

QTEST_MAIN(TestGraphicControl)
#include "TestGraphicControl.moc"
