// Tests of TBackground placement and change rules and of TBkControl painting.
#include "controls/BackgroundControl.h"
#include "controls/Background.h"
#include "controls/ProportionalImage.h"
#include "controls/PaintCounter.h"  // tests/controls

#include <QPainter>
#include <QTest>

using namespace orlaventis;

namespace {

constexpr QRgb kBack = 0xFF00C000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

QImage Render(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_RGB32);
  image.fill(kBack);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

}  // namespace

class TestBackgroundControl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void placementByDrawStyle() {
    const auto tiles = BackgroundImageBoxes(TImageDrawStyle::idsAlongside, 100, 60, 250, 130);
    QCOMPARE(tiles.size(), 9);
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
    QCOMPARE(changes, 0);
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
    control.resize(20, 10);
    control.Background().SetBrush(Qt::NoBrush);
    control.Background().SetPen(Qt::NoPen);
    QImage red(3, 3, QImage::Format_RGB32);
    red.fill(kRed);
    control.Background().SetImage(red);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsStretch);
    QImage image = Render(control);
    QCOMPARE(image.pixel(0, 0), kRed);
    QCOMPARE(image.pixel(18, 8), kRed);
    QCOMPARE(image.pixel(19, 5), kBack);
    QCOMPARE(image.pixel(5, 9), kBack);
    // A blue pen frames the whole control over the picture.
    control.Background().SetPen(QColor(kBlue));
    image = Render(control);
    QCOMPARE(image.pixel(19, 5), kBlue);
    QCOMPARE(image.pixel(0, 5), kBlue);
    QCOMPARE(image.pixel(5, 5), kRed);
    // A solid brush covers the picture; idsHide leaves it out.
    control.Background().SetBrush(QColor(kBlue));
    QCOMPARE(Render(control).pixel(5, 5), kBlue);
    control.Background().SetBrush(Qt::NoBrush);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsHide);
    QCOMPARE(Render(control).pixel(5, 5), kBack);
  }

  void centreAndTilesOnScreen() {
    TBkControl control;
    control.resize(20, 20);
    control.Background().SetBrush(Qt::NoBrush);
    control.Background().SetPen(Qt::NoPen);
    QImage halves(40, 40, QImage::Format_RGB32);
    halves.fill(kRed);
    QPainter(&halves).fillRect(20, 0, 20, 40, QColor(kBlue));
    control.Background().SetImage(halves);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsCenter);
    QImage image = Render(control);  // at (-10, -10): the middle shows
    QCOMPARE(image.pixel(9, 5), kRed);
    QCOMPARE(image.pixel(10, 5), kBlue);
    QImage tile(6, 4, QImage::Format_RGB32);
    tile.fill(kRed);
    tile.setPixel(0, 0, kBlue);
    control.Background().SetImage(tile);
    control.Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
    image = Render(control);
    for (int x = 0; x < 20; ++x) {
      for (int y = 0; y < 20; ++y) {
        QCOMPARE(image.pixel(x, y), x % 6 == 0 && y % 4 == 0 ? kBlue : kRed);
      }
    }
  }

  void pictureChangeRepaintsABackgroundControlButNotAPicture() {
    QWidget form;
    form.resize(300, 200);
    auto* bk = new TBkControl(&form);
    auto* picture = new TProportionalImage(&form);
    picture->move(150, 0);
    PaintCounter bkPaints;
    PaintCounter picturePaints;
    bk->installEventFilter(&bkPaints);
    picture->installEventFilter(&picturePaints);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    const int bkBefore = bkPaints.paints;
    const int pictureBefore = picturePaints.paints;
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(kRed);
    bk->Background().SetImage(red);
    picture->Background().SetImage(red);
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
