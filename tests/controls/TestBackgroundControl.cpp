// Tests of TBackground placement and change rules and of TBkControl painting.
#include "controls/BackgroundControl.h"
#include "controls/Background.h"
#include "controls/ProportionalImage.h"
#include "controls/WidgetProbes.h"  // tests/controls

#include <QPainter>
#include <QTest>

using namespace orlaventis;
using namespace probes;

namespace {

constexpr QRgb kBack = 0xFF00C000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

// A control of `size` with a clear brush and pen, showing `picture` in `style`.
void Prepare(TBkControl& control, QSize size, const QImage& picture, TImageDrawStyle style) {
  control.resize(size);
  control.Background().SetBrush(Qt::NoBrush);
  control.Background().SetPen(Qt::NoPen);
  control.Background().SetImage(picture);
  control.Background().SetImageDrawStyle(style);
}

QImage Shot(TBkControl& control) { return Render(&control, kBack, QWidget::DrawChildren); }

}  // namespace

class TestBackgroundControl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void placementByDrawStyle() {
    const auto tiles = BackgroundImageBoxes(TImageDrawStyle::idsAlongside, 100, 60, 250, 130);
    QList<QPoint> corners;
    for (const QRect& r : tiles) corners << r.topLeft();
    // Column by column.
    QCOMPARE(corners, (QList<QPoint>{{0, 0}, {0, 60}, {0, 120}, {100, 0}, {100, 60}, {100, 120},
                                     {200, 0}, {200, 60}, {200, 120}}));
    QCOMPARE(tiles.last().size(), QSize(100, 60));
    QCOMPARE(BackgroundImageBoxes(TImageDrawStyle::idsCenter, 300, 201, 100, 100),
             (QList<QRect>{QRect(-100, -50, 300, 201)}));  // div truncates toward zero
    QCOMPARE(BackgroundImageBoxes(TImageDrawStyle::idsCenter, 20, 10, 101, 100),
             (QList<QRect>{QRect(40, 45, 20, 10)}));
    QCOMPARE(BackgroundImageBoxes(TImageDrawStyle::idsStretch, 5, 5, 250, 130),
             (QList<QRect>{QRect(0, 0, 249, 129)}));
    QCOMPARE(BackgroundImageBoxes(TImageDrawStyle::idsTopLeft, 5, 6, 250, 130),
             (QList<QRect>{QRect(0, 0, 5, 6)}));
    QVERIFY(BackgroundImageBoxes(TImageDrawStyle::idsHide, 5, 5, 250, 130).isEmpty());
    QVERIFY(BackgroundImageBoxes(TImageDrawStyle::idsAlongside, 0, 5, 250, 130).isEmpty());
  }

  void onChangeOnlyForTheDrawStyle() {
    TBackground background;
    int changes = 0;
    int images = 0;
    background.OnChange = [&](QObject* sender) { changes += sender == &background; };
    connect(&background, &TBackground::ImageChanged, [&] { ++images; });
    background.SetImageDrawStyle(TImageDrawStyle::idsAlongside);
    background.SetBrush(QBrush(Qt::red));
    background.SetPen(QPen(Qt::blue));
    background.SetImage(QImage(2, 2, QImage::Format_RGB32));
    QCOMPARE(changes, 0);
    QCOMPARE(images, 1);
    background.SetImageDrawStyle(TImageDrawStyle::idsStretch);
    QCOMPARE(changes, 1);

    TBackground copy;
    copy.Assign(background);
    QCOMPARE(copy.Brush(), QBrush(Qt::red));
    QCOMPARE(copy.Pen(), QPen(Qt::blue));
    QCOMPARE(copy.Image().size(), QSize(2, 2));
    QCOMPARE(copy.ImageDrawStyle(), TImageDrawStyle::idsStretch);
  }

  void stretchLeavesTheLastColumnAndRowToTheFrame() {
    TBkControl control;
    Prepare(control, QSize(20, 10), Solid(3, 3, kRed), TImageDrawStyle::idsStretch);
    QCOMPARE(Mismatches(Shot(control), {{0, 0, kRed}, {18, 8, kRed}, {19, 5, kBack}, {5, 9, kBack}}), QString());
    // A blue pen frames the whole control over the picture.
    control.Background().SetPen(QColor(kBlue));
    QCOMPARE(Mismatches(Shot(control), {{19, 5, kBlue}, {0, 5, kBlue}, {5, 5, kRed}}), QString());
    // A solid brush covers the picture; idsHide leaves it out.
    control.Background().SetBrush(QColor(kBlue));
    QCOMPARE(Shot(control).pixel(5, 5), kBlue);
    control.Background().SetBrush(Qt::NoBrush);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsHide);
    QCOMPARE(Shot(control).pixel(5, 5), kBack);
  }

  void centreAndTilesOnScreen() {
    QImage halves = Solid(40, 40, kRed);
    QPainter(&halves).fillRect(20, 0, 20, 40, QColor(kBlue));
    TBkControl control;
    Prepare(control, QSize(20, 20), halves, TImageDrawStyle::idsCenter);
    // At (-10, -10): the middle shows.
    QCOMPARE(Mismatches(Shot(control), {{9, 5, kRed}, {10, 5, kBlue}}), QString());
    QImage tile = Solid(6, 4, kRed);
    tile.setPixel(0, 0, kBlue);
    control.Background().SetImage(tile);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
    const QImage image = Shot(control);
    for (int x = 0; x < 20; ++x) {
      for (int y = 0; y < 20; ++y) QCOMPARE(image.pixel(x, y), x % 6 == 0 && y % 4 == 0 ? kBlue : kRed);
    }
  }

  void pictureChangeRepaintsABackgroundControlButNotAPicture() {
    QWidget form;
    form.resize(300, 200);
    auto* bk = new TBkControl(&form);
    auto* picture = new TProportionalImage(&form);
    picture->move(150, 0);
    PaintCounter bkPaints, picturePaints;
    bk->installEventFilter(&bkPaints);
    picture->installEventFilter(&picturePaints);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    const int bkBefore = bkPaints.paints, pictureBefore = picturePaints.paints;
    bk->Background().SetImage(Solid(4, 4, kRed));
    picture->Background().SetImage(Solid(4, 4, kRed));
    QCoreApplication::processEvents();
    QCOMPARE(bkPaints.paints, bkBefore + 1);
    QCOMPARE(picturePaints.paints, pictureBefore);
    bk->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);  // current value
    QCoreApplication::processEvents();
    QCOMPARE(bkPaints.paints, bkBefore + 1);
  }
};

QTEST_MAIN(TestBackgroundControl)
#include "TestBackgroundControl.moc"
