// Tests of TBackground and TBkControl: placement by draw style, change notices and repaints.
#include "controls/Background.h"
#include "controls/BackgroundControl.h"
#include "controls/ProportionalImage.h"
#include "controls/WidgetProbes.h"

#include <QPainter>
#include <QTest>

using namespace orlaventis;
using namespace probes;

namespace {

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
    const QList<QPoint> byColumn = {{0, 0},     {0, 60},  {0, 120},  {100, 0},  {100, 60},
                                    {100, 120}, {200, 0}, {200, 60}, {200, 120}};
    QCOMPARE(corners, byColumn);
    QCOMPARE(tiles.last().size(), QSize(100, 60));
    // One box each (centred: div truncates toward zero); none when hidden or without pixels.
    using enum TImageDrawStyle;
    QCOMPARE(
        BackgroundImageBoxes(idsCenter, 300, 201, 100, 100) +
            BackgroundImageBoxes(idsCenter, 20, 10, 101, 100) +
            BackgroundImageBoxes(idsStretch, 5, 5, 250, 130) +
            BackgroundImageBoxes(idsTopLeft, 5, 6, 250, 130) +
            BackgroundImageBoxes(idsHide, 5, 5, 250, 130) +
            BackgroundImageBoxes(idsAlongside, 0, 5, 250, 130),
        (QList<QRect>{{-100, -50, 300, 201}, {40, 45, 20, 10}, {0, 0, 249, 129}, {0, 0, 5, 6}}));
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
    QCOMPARE((std::tuple{changes, images}), (std::tuple{0, 1}));
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
    const QImage stretched = Shot(control);
    QCOMPARE(Mismatches(stretched, {{0, 0, kRed}, {18, 8, kRed}, {19, 5, kBack}, {5, 9, kBack}}),
             QString());
    // A blue pen frames the whole control over the picture.
    control.Background().SetPen(QColor(kBlue));
    QCOMPARE(Mismatches(Shot(control), {{19, 5, kBlue}, {0, 5, kBlue}, {5, 5, kRed}}), QString());
    // A solid brush covers the picture.
    control.Background().SetBrush(QColor(kBlue));
    QCOMPARE(Shot(control).pixel(5, 5), kBlue);
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
    QImage expected = Solid(20, 20, kRed);
    for (int x = 0; x < 20; x += 6)
      for (int y = 0; y < 20; y += 4) expected.setPixel(x, y, kBlue);
    QCOMPARE(Shot(control), expected);
  }
  void pictureChangeRepaintsABackgroundControlButNotAPicture() {
    QWidget form;
    auto* bk = new TBkControl(&form);
    auto* picture = new TProportionalImage(&form);
    picture->move(150, 0);
    PaintCounter bkPaints, picturePaints;
    bk->installEventFilter(&bkPaints);
    picture->installEventFilter(&picturePaints);
    QVERIFY(ShowForm(form, QSize(300, 200)));
    TBackground &bkBack = bk->Background(), &pictureBack = picture->Background();
    const QList<int> paints = {
        bkPaints.After([&] { bkBack.SetImage(Solid(4, 4, kRed)); }, true),
        picturePaints.After([&] { pictureBack.SetImage(Solid(4, 4, kRed)); }, true),
        bkPaints.After([&] { bkBack.SetImageDrawStyle(TImageDrawStyle::idsAlongside); }, true)};
    QCOMPARE(paints, (QList<int>{1, 0, 0}));  // the last one sets the current value
  }
};

QTEST_MAIN(TestBackgroundControl)
#include "TestBackgroundControl.moc"
