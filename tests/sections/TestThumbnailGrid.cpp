// Tests of the thumbnail grid and the zoom window: cells, selection, scroll bar events, zooming.
#include "sections/MaxZoomWindow.h"
#include "sections/ThumbnailGrid.h"

#include "controls/GraphicControl.h"
#include "controls/Transitions.h"
#include "controls/ProportionalImage.h"
#include "shell/MainForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

using namespace orlaventis;

namespace {

QImage Plain(int w, int h, QRgb colour) {
  QImage picture(w, h, QImage::Format_RGB32);
  picture.fill(colour);
  return picture;
}

QRgb PixelOf(QWidget* widget, QPoint at) {
  QImage image(widget->size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  widget->render(&image);
  return image.pixel(at);
}

struct Event {
  bool select;  // OnSelectThumb, else OnTrackScrollThumb
  int32_t value;
  friend bool operator==(const Event&, const Event&) = default;
};

}  // namespace

class TestThumbnailGrid : public QObject {
  Q_OBJECT

  std::unique_ptr<TThumbnailGrid> grid_;
  std::vector<Event> events_;

  // A shown 261 x 273 grid with 3 x 3 cells and recorded events.
  void MakeGrid() {
    grid_ = std::make_unique<TThumbnailGrid>();
    grid_->setObjectName("Grid");
    grid_->setGeometry(0, 0, 261, 273);
    grid_->show();
    events_.clear();
    grid_->OnSelectThumb = [this](QObject* sender, int32_t item) {
      QCOMPARE(sender, grid_.get());
      events_.push_back({true, item});
    };
    grid_->OnTrackScrollThumb = [this](QObject*, int32_t position) { events_.push_back({false, position}); };
    QVERIFY(grid_->SetGridSize(3, 3));
  }

 private slots:
  void initTestCase() { SetInstantTransitions(true); }
  void cleanup() { grid_.reset(); }

  void cellsAreLaidOutBesideTheScrollBar() {
    MakeGrid();
    QCOMPARE(grid_->ScrollBar()->geometry(), QRect(244, 0, 17, 273));
    QCOMPARE(grid_->SelectedThumb(), 1);
    const int sizes[][3] = {{1, 0, 0}, {3, 162, 0}, {4, 0, 91}, {9, 162, 182}};
    for (const auto& s : sizes) {
      TProportionalImage* cell = grid_->Cell(s[0]);
      QVERIFY(cell != nullptr);
      QCOMPARE(cell->objectName(), QString("Grid_Thumb_%1").arg(s[0]));
      QCOMPARE(cell->geometry(), QRect(s[1], s[2], 81, 91));
      QCOMPARE(cell->Sx(), 90);
    }
    QVERIFY(grid_->Cell(10) == nullptr);
    QVERIFY(grid_->Cell(0) == nullptr);

    // The same counts again change nothing.
    TProportionalImage* first = grid_->Cell(1);
    QVERIFY(!grid_->SetGridSize(3, 3));
    QCOMPARE(grid_->Cell(1), first);

    // Zero columns remove every cell and reset the scroll bar.
    grid_->SetItemRange(5, 40);
    QVERIFY(grid_->SetGridSize(0, 3));
    QCOMPARE(grid_->findChildren<TProportionalImage*>().size(), 0);
    QCOMPARE(grid_->ColCount(), 0);
    QCOMPARE(grid_->RowCount(), 0);
    QCOMPARE(grid_->SelectedThumb(), 0);
    QCOMPARE(grid_->TopItem(), 0);
    QCOMPARE(grid_->ScrollBar()->minimum(), 0);
    QCOMPARE(grid_->ScrollBar()->maximum(), 0);
    QCOMPARE(grid_->ScrollBar()->value(), 0);
    // Without cells an item range is refused.
    grid_->SetItemRange(1, 9);
    QCOMPARE(grid_->ScrollBar()->maximum(), 0);

    // A new grid with other effect values hands them to its cells.
    grid_->SetEffect(EffectStyle::esImplode);
    grid_->SetEffectSize(4);
    grid_->SetThumbSx(95);
    grid_->SetColCount(2);  // rows are 0: still no cells
    QCOMPARE(grid_->ColCount(), 0);
    QVERIFY(grid_->SetGridSize(2, 1));
    QCOMPARE(grid_->Cell(2)->Effect(), EffectStyle::esImplode);
    QCOMPARE(grid_->Cell(2)->EffectSize(), 4);
    QCOMPARE(grid_->Cell(2)->Sx(), 95);
    QCOMPARE(grid_->Cell(2)->geometry(), QRect(122, 0, 122, 273));
  }

  void selectionColoursAndScrollBar() {
    MakeGrid();
    const QPoint corner(1, 1);  // inside the cell's background, outside its 90 % picture
    QCOMPARE(PixelOf(grid_->Cell(1), corner), qRgb(0, 0, 128));
    QCOMPARE(PixelOf(grid_->Cell(2), corner), qRgb(0, 0, 0));

    grid_->SetItemRange(1, 40);
    QCOMPARE(grid_->ScrollBar()->pageStep(), 9);
    grid_->SetTopItem(10);
    grid_->SelectThumb(5);
    QCOMPARE(grid_->SelectedThumb(), 5);
    QCOMPARE(grid_->ScrollBar()->value(), 14);
    QCOMPARE(PixelOf(grid_->Cell(5), corner), qRgb(0, 0, 128));
    QCOMPARE(PixelOf(grid_->Cell(1), corner), qRgb(0, 0, 0));

    // A cell that does not exist keeps the selection but still points the scroll bar at it.
    grid_->SetTopItem(20);
    grid_->SelectThumb(12);
    QCOMPARE(grid_->SelectedThumb(), 5);
    QCOMPARE(grid_->ScrollBar()->value(), 24);

    // New colours: the selected cell and the others; a clear brush keeps its style.
    grid_->Cell(7)->Background().SetBrush(Qt::NoBrush);
    grid_->SetSelectedColor(QColor(200, 0, 0));
    grid_->SetUnSelectedColor(QColor(0, 90, 0));
    QCOMPARE(PixelOf(grid_->Cell(5), corner), qRgb(200, 0, 0));
    QCOMPARE(PixelOf(grid_->Cell(3), corner), qRgb(0, 90, 0));
    QCOMPARE(grid_->Cell(7)->Background().Brush().style(), Qt::NoBrush);
    QCOMPARE(grid_->Cell(7)->Background().Pen().color(), QColor(0, 90, 0));

    // Item ranges below zero, and a reversed range that is refused.
    grid_->SetItemRange(-8, -2);
    QCOMPARE(grid_->ScrollBar()->minimum(), -8);
    QCOMPARE(grid_->ScrollBar()->maximum(), -2);
    QCOMPARE(grid_->TopItem(), -8);
    grid_->SetItemRange(7, 3);
    QCOMPARE(grid_->ScrollBar()->minimum(), -8);
    QCOMPARE(grid_->TopItem(), -8);
  }

  void cellClicksReportItems() {
    MakeGrid();
    grid_->SetItemRange(1, 40);
    grid_->SetTopItem(4);
    QTest::mouseClick(grid_->Cell(3), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(events_, (std::vector<Event>{{true, 6}}));
    // The grid does not select by itself; the selected cell fires nothing.
    QCOMPARE(grid_->SelectedThumb(), 1);
    events_.clear();
    QTest::mouseClick(grid_->Cell(1), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(events_.empty());
    // A right click is no click.
    QTest::mouseClick(grid_->Cell(2), Qt::RightButton, {}, QPoint(10, 10));
    QVERIFY(events_.empty());
    // No handler: nothing happens.
    grid_->OnSelectThumb = nullptr;
    QTest::mouseClick(grid_->Cell(2), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(events_.empty());
  }

  void scrollBarEvents() {
    MakeGrid();
    grid_->SetItemRange(1, 40);
    QScrollBar* bar = grid_->ScrollBar();
    QCOMPARE(bar->value(), 1);

    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(events_, (std::vector<Event>{{true, 10}}));
    events_.clear();
    // Already at the top: no change, no event.
    grid_->SelectThumb(1);
    bar->setValue(1);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QVERIFY(events_.empty());
    bar->setValue(1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(events_, (std::vector<Event>{{true, 2}}));
    events_.clear();

    // Dragging reports tracking positions; releasing reports the item, also on the old place.
    bar->setValue(5);
    bar->setSliderDown(true);
    bar->setSliderPosition(8);
    bar->setSliderPosition(12);
    bar->setSliderDown(false);
    QCOMPARE(events_, (std::vector<Event>{{false, 8}, {false, 12}, {true, 12}}));
    events_.clear();
    bar->setValue(5);
    bar->setSliderDown(true);
    bar->setSliderDown(false);
    QCOMPARE(events_, (std::vector<Event>{{true, 5}}));
  }

  void picturesAndCursorsOfCells() {
    MakeGrid();
    SetControlCursor(grid_.get(), kCursorHandNoFingers);
    grid_->SetCanSelectCursor(kCursorHand);
    const QImage red = Plain(40, 30, qRgb(255, 0, 0));
    grid_->SetThumbPicture(4, red);
    TProportionalImage* cell = grid_->Cell(4);
    QCOMPARE(PixelOf(cell, QPoint(40, 45)), qRgb(255, 0, 0));
    QCOMPARE(ControlCursor(cell), kCursorHand);
    QCOMPARE(grid_->GetThumbPicture(4).cacheKey(), red.cacheKey());
    QVERIFY(grid_->GetThumbPicture(5).isNull());
    QVERIFY(grid_->GetThumbPicture(10).isNull());

    grid_->SetThumbText(4, "x");
    QCOMPARE(cell->Text(), QString("x"));
    grid_->SetThumbPicture(4, QImage());
    QVERIFY(cell->Image().isNull());
    QCOMPARE(PixelOf(cell, QPoint(40, 30)), qRgb(0, 0, 0));
    QCOMPARE(ControlCursor(cell), kCursorHandNoFingers);
    grid_->SetThumbPicture(12, red);  // no such cell: nothing
  }

  void zoomPercentages() {
    QCOMPARE(ZoomPercentages(QSize(300, 200), QSize(1024, 768)), QSize(59, 52));
    QCOMPARE(ZoomPercentages(QSize(640, 480), QSize(1024, 768)), QSize(62, 62));
    // Exactly half the screen is not below half: shown at its own size.
    QCOMPARE(ZoomPercentages(QSize(512, 100), QSize(1024, 768)), QSize(50, 13));
    QCOMPARE(ZoomPercentages(QSize(2048, 1536), QSize(1024, 768)), QSize(200, 200));
    QCOMPARE(ZoomPercentages(QSize(10, 10), QSize(0, 0)), QSize(0, 0));
  }

  void zoomWindowShowsUntilClicked() {
    SetScreenSizeOverride(QSize(320, 240));
    SetScreenCursor(kCursorZoomOut, QCursor(Qt::CrossCursor));
    QVERIFY(MaxZoomWindow() == nullptr);
    bool checked = false;
    QSize windowSize;
    QSize percentages;
    QRgb centre = 0;
    QRgb corner = 0;
    int cursor = 0;
    bool survivedEscape = false;
    QTimer::singleShot(0, [&] {
      TMaxZoomWindow* window = MaxZoomWindow();
      if (window == nullptr) return;
      checked = true;
      windowSize = window->size();
      percentages = QSize(window->ItemImage->Sx(), window->ItemImage->Sy());
      centre = PixelOf(window->ItemImage, QPoint(160, 120));
      corner = PixelOf(window->ItemImage, QPoint(2, 2));
      cursor = ControlCursor(window->ItemImage);
      QTest::keyClick(window, Qt::Key_Escape);
      survivedEscape = window->isVisible();
      QTest::mouseClick(window->ItemImage, Qt::LeftButton, {}, QPoint(160, 120));
    });
    ShowMaxZoom(Plain(100, 50, qRgb(0, 200, 0)));
    SetScreenSizeOverride(QSize());
    QVERIFY(checked);
    QVERIFY(MaxZoomWindow() == nullptr);
    QCOMPARE(windowSize, QSize(320, 240));
    // 2 x 100 < 320 and 2 x 50 < 240: twice the size; 62.5 rounds to the even 62.
    QCOMPARE(percentages, QSize(62, 42));
    QCOMPARE(centre, qRgb(0, 200, 0));
    QCOMPARE(corner, qRgb(0, 0, 0));
    QCOMPARE(cursor, kCursorZoomOut);
    QVERIFY(survivedEscape);

    // On the real screen the window covers it.
    QSize covered;
    QTimer::singleShot(0, [&] {
      if (TMaxZoomWindow* window = MaxZoomWindow()) {
        covered = window->size();
        QTest::mouseClick(window->ItemImage, Qt::LeftButton, {}, QPoint(5, 5));
      }
    });
    ShowMaxZoom(QImage());
    QCOMPARE(covered, QGuiApplication::primaryScreen()->size());
    QVERIFY(MaxZoomWindow() == nullptr);
  }
};

QTEST_MAIN(TestThumbnailGrid)
#include "TestThumbnailGrid.moc"
