// Tests of the thumbnail grid and the zoom window: cells, selection, scroll bar events, zooming.
#include "ProcessFactsRestorer.h"
#include "sections/MaxZoomWindow.h"
#include "sections/SectionSet.h"
#include "sections/ThumbnailGrid.h"

#include "controls/Cursors.h"
#include "controls/ProportionalImage.h"
#include "controls/Transitions.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "shell/MainForm.h"

#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace orlaventis;
using probes::PixelOf;

namespace {

struct Event {
  bool select;  // ThumbSelected, else ScrollThumbTracked
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
    SetInstantTransitions(grid_.get(), true);
    grid_->setObjectName("Grid");
    grid_->setGeometry(0, 0, 261, 273);
    grid_->show();
    events_.clear();
    connect(grid_.get(), &TThumbnailGrid::ThumbSelected, this, [this](int32_t item) {
      events_.push_back({true, item});
    });
    connect(grid_.get(), &TThumbnailGrid::ScrollThumbTracked, this, [this](int32_t position) {
      events_.push_back({false, position});
    });
    QVERIFY(grid_->SetGridSize(3, 3));
  }
  // The events recorded since the last call.
  std::vector<Event> Taken() { return std::exchange(events_, {}); }

 private slots:
  void cleanup() { grid_.reset(); }

  void cellsAreLaidOutBesideTheScrollBar() {
    MakeGrid();
    QCOMPARE(grid_->ScrollBar()->geometry(), QRect(244, 0, 17, 273));
    QList<QRect> cells;
    for (int n : {1, 3, 4, 9}) cells << grid_->Cell(n)->geometry();
    QCOMPARE(cells,
             (QList<QRect>{{0, 0, 81, 91}, {162, 0, 81, 91}, {0, 91, 81, 91}, {162, 182, 81, 91}}));
    QCOMPARE((QList{grid_->Cell(10), grid_->Cell(0)}), QList<TProportionalImage*>(2, nullptr));
    // Zero columns remove every cell and reset the scroll bar.
    grid_->SetItemRange(5, 40);
    QVERIFY(grid_->SetGridSize(0, 3));
    QScrollBar* bar = grid_->ScrollBar();
    QCOMPARE((QList<qsizetype>{grid_->findChildren<TProportionalImage*>().size(), grid_->ColCount(),
                               grid_->RowCount(), grid_->SelectedThumb(), grid_->TopItem(),
                               bar->minimum(), bar->maximum(), bar->value()}),
             QList<qsizetype>(8, 0));
    // Without cells an item range is refused.
    grid_->SetItemRange(1, 9);
    QCOMPARE(grid_->ScrollBar()->maximum(), 0);
    // A new grid with other effect values hands them to its cells.
    grid_->SetEffect(EffectStyle::esImplode);
    grid_->SetEffectSize(4);
    grid_->SetThumbSx(95);
    QVERIFY(grid_->SetGridSize(2, 1));
    QCOMPARE(grid_->Cell(2)->Effect(), EffectStyle::esImplode);
    QCOMPARE((QList<int>{grid_->Cell(2)->EffectSize(), grid_->Cell(2)->Sx()}), (QList<int>{4, 95}));
  }
  void selectionColoursAndScrollBar() {
    MakeGrid();
    const QPoint corner(1, 1);  // inside the cell's background, outside its 90 % picture
    const auto colour = [&](int cell) { return PixelOf(grid_->Cell(cell), corner); };
    QCOMPARE((QList<QRgb>{colour(1), colour(2)}), (QList<QRgb>{qRgb(0, 0, 128), 0xFF000000}));
    grid_->SetItemRange(1, 40);
    grid_->SetTopItem(10);
    grid_->SelectThumb(5);
    QCOMPARE((QList{grid_->SelectedThumb(), grid_->ScrollBar()->value()}), (QList{5, 14}));
    QCOMPARE((QList<QRgb>{colour(5), colour(1)}), (QList<QRgb>{qRgb(0, 0, 128), 0xFF000000}));
    // A cell that does not exist keeps the selection but still points the scroll bar at it.
    grid_->SetTopItem(20);
    grid_->SelectThumb(12);
    QCOMPARE((QList{grid_->SelectedThumb(), grid_->ScrollBar()->value()}), (QList{5, 24}));
    // A picture in a cell shows, with the cursor saying it can be picked.
    SetControlCursor(grid_.get(), kCursorHandNoFingers);
    grid_->SetCanSelectCursor(kCursorHand);
    const QImage red = probes::Solid(40, 30, qRgb(255, 0, 0));
    grid_->SetThumbPicture(4, red);
    TProportionalImage* cell = grid_->Cell(4);
    QCOMPARE(PixelOf(cell, QPoint(40, 45)), qRgb(255, 0, 0));
    QCOMPARE(ControlCursor(cell), kCursorHand);
    QCOMPARE(grid_->GetThumbPicture(4).cacheKey(), red.cacheKey());
    QCOMPARE((QList{grid_->GetThumbPicture(5).isNull(), grid_->GetThumbPicture(10).isNull()}),
             (QList{true, true}));
    grid_->SetThumbPicture(4, QImage());
    QVERIFY(cell->Image().isNull());
    QCOMPARE(PixelOf(cell, QPoint(40, 30)), qRgb(0, 0, 0));
    QCOMPARE(ControlCursor(cell), kCursorHandNoFingers);
    grid_->SetThumbPicture(12, red);  // no such cell: nothing
    // New colours: the selected cell and the others.
    grid_->SetSelectedColor(QColor(200, 0, 0));
    grid_->SetUnSelectedColor(QColor(0, 90, 0));
    QCOMPARE((QList<QRgb>{colour(5), colour(3)}), (QList<QRgb>{qRgb(200, 0, 0), qRgb(0, 90, 0)}));
    // Item ranges below zero, and a reversed range that is refused.
    for (const QPoint range : {QPoint(-8, -2), QPoint(7, 3)}) {
      grid_->SetItemRange(range.x(), range.y());
      QCOMPARE(
          (QList{grid_->ScrollBar()->minimum(), grid_->ScrollBar()->maximum(), grid_->TopItem()}),
          (QList<int>{-8, -2, -8}));
    }
  }
  // Clicks on cells and scroll bar actions report items; dragging reports tracking positions.
  void cellClicksAndScrollBarReportItems() {
    MakeGrid();
    grid_->SetItemRange(1, 40);
    QScrollBar* bar = grid_->ScrollBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    // Already at the top: no change, no event.
    grid_->SelectThumb(1);
    bar->setValue(1);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(Taken(), (std::vector<Event>{{true, 10}, {true, 2}}));
    // Releasing reports the item, also on the old place.
    bar->setValue(5);
    bar->setSliderDown(true);
    bar->setSliderPosition(8);
    bar->setSliderPosition(12);
    bar->setSliderDown(false);
    bar->setValue(5);
    bar->setSliderDown(true);
    bar->setSliderDown(false);
    QCOMPARE(Taken(), (std::vector<Event>{{false, 8}, {false, 12}, {true, 12}, {true, 5}}));
    grid_->SetTopItem(4);
    QTest::mouseClick(grid_->Cell(3), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(Taken(), (std::vector<Event>{{true, 6}}));
    // The grid does not select by itself; the selected cell fires nothing, nor does a right
    // click.
    QCOMPARE(grid_->SelectedThumb(), 1);
    QTest::mouseClick(grid_->Cell(1), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(grid_->Cell(2), Qt::RightButton, {}, QPoint(10, 10));
    QVERIFY(events_.empty());
  }
  void zoomWindowShowsUntilClicked() {
    // Picture, screen, percentages: exactly half the screen is not below half (own size).
    const QSize zooms[][3] = {{{300, 200}, {1024, 768}, {59, 52}},
                              {{640, 480}, {1024, 768}, {62, 62}},
                              {{512, 100}, {1024, 768}, {50, 13}},
                              {{2048, 1536}, {1024, 768}, {200, 200}},
                              {{10, 10}, {0, 0}, {0, 0}}};
    for (const auto& z : zooms) QCOMPARE(ZoomPercentages(z[0], z[1]), z[2]);
    const fixture::ProcessFactsRestorer facts;
    Process().screenSizeOverride = QSize(320, 240);
    TSettings settings;
    TMainForm main(settings);
    TSectionSet sections(main, {});
    QVERIFY(sections.MaxZoomWindow == nullptr);
    // Window width and height, percentages, cursor, centre and corner colours, open after other
    // keys; Escape closes it.
    QList<int> seen;
    QTimer::singleShot(0, [&] {
      TMaxZoomWindow* window = sections.MaxZoomWindow;
      if (window == nullptr) return;
      TProportionalImage* image = window->ItemImage;
      seen = {window->width(), window->height(), image->Sx(), image->Sy(), ControlCursor(image)};
      seen << int(PixelOf(image, QPoint(160, 120))) << int(PixelOf(image, QPoint(2, 2)));
      QTest::keyClick(window, Qt::Key_Space);
      QTest::keyClick(window, Qt::Key_Escape, Qt::ShiftModifier);
      seen << window->isVisible();
      QTest::keyClick(window, Qt::Key_Escape);
    });
    sections.ShowMaxZoom(probes::Solid(100, 50, qRgb(0, 200, 0)));
    Process().screenSizeOverride = QSize();
    QVERIFY(sections.MaxZoomWindow == nullptr);
    // 2 x 100 < 320 and 2 x 50 < 240: twice the size; 62.5 rounds to the even 62.
    QCOMPARE(seen, (QList{320, 240, 62, 42, kCursorZoomOut, int(qRgb(0, 200, 0)),
                          int(qRgb(0, 0, 0)), 1}));
    // On the real screen the window covers it.
    QSize covered;
    QTimer::singleShot(0, [&] {
      if (TMaxZoomWindow* window = sections.MaxZoomWindow) {
        covered = window->size();
        QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
      }
    });
    sections.ShowMaxZoom(QImage());
    QCOMPARE(covered, QGuiApplication::primaryScreen()->size());
    QVERIFY(sections.MaxZoomWindow == nullptr);
  }
};

QTEST_MAIN(TestThumbnailGrid)
#include "TestThumbnailGrid.moc"
