// Tests of the Production section: topic outline, tables, owner drawing and its slide cycle.
#include "sections/ProductionForm.h"

#include "SlideFixture.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "sections/IntroductionForm.h"
#include "sections/SlideCycle.h"
#include "media/Messages.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QTest>
#include <QTimer>

using namespace orlaventis;

namespace {

// Items: 1 Heading, 2 Years, 3 Mixed, 4 Trailing, 5 Plain heading, 6 Lost, 7 Bare, 8 Wide.
const char kWideCaption[] = "Exports MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM";
const QString kTopics = QStringLiteral(
    "Heading\n"
    "\tYears=Jaar@Aantal>L=Production per year\n"
    "\tMixed=K1@K2>L=Short and long rows\n"
    "\t\tTrailing=>L=Row ending in @\n"
    "Plain heading\n"
    "\tLost=A@B>L=Table record missing\n"
    "Bare>L=No equals sign\n"
    "\tYears=Jaar@Aantal>L=") + kWideCaption;

std::vector<olvtool::RecordSource> Records() {
  return {
      {1, "Production_Content_44|||", kTopics},
      {2, "Years|||", "1957@100\n1958@20000"},
      {3, "Mixed|||", "a\n$\nb@c@d\n\ne@f"},
      {4, "Trailing|||", "x@y@\r\n"},
      {5, "Production_Content_31|||", "Enkel"},
  };
}

QStringList Row(const TStringGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.ColCount(); ++c) cells.append(grid.Cells(c, row));
  return cells;
}

}  // namespace

class TestProductionForm : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TMainForm> main_;
  RecordedMessages messages_;

  TProductionForm* Start(int language) {
    main_ = fixture::StartMainForm(dir_->path(), language);
    if (!main_) return nullptr;
    // Through the Introduction's menu button, which hides the Introduction.
    if (TSectionForm* introduction = SectionForm(SectionId::Introduction)) {
      introduction->MenuButtonClick(introduction->MenuBtn[1]);
    }
    return dynamic_cast<TProductionForm*>(SectionForm(SectionId::Production));
  }

  static void Select(TProductionForm* form, int item) {
    form->ProductionContentLst->SetSelectedItem(item);
    form->ProductionContentLstClick();
  }

 private slots:
  void initTestCase() {
    InstallMessages(&messages_);
    InstallSectionRoutines(SectionFormRoutines());
    RegisterIntroductionForm();
    RegisterProductionForm();
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(fixture::WriteRecords(dir_->path(), Records()));
    QVERIFY(fixture::WriteSlides(dir_->path(), {1, 2}));
  }

  void cleanup() { main_.reset(); }

  void outlineFromTheTopicRecord() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TOutline& outline = *form->ProductionContentLst;
    QCOMPARE(outline.ItemCount(), 8);
    QCOMPARE(outline.Items(1).Level, 1);
    QCOMPARE(outline.Items(2).Level, 2);
    QCOMPARE(outline.Items(2).Parent, 1);
    QCOMPARE(outline.Items(4).Level, 3);
    QCOMPARE(outline.Items(4).Parent, 3);
    QCOMPARE(outline.Items(5).Level, 1);
    QCOMPARE(outline.Items(2).Text, QString("Years=Jaar@Aantal>L=Production per year"));
    // Everything expanded, item 2 selected at creation.
    QVERIFY(outline.Items(1).Expanded && outline.Items(3).Expanded && outline.Items(5).Expanded);
    QCOMPARE(outline.SelectedItem(), 2);
    QCOMPARE(outline.ItemOnLine(6), 7);
    QCOMPARE(outline.GetItem(QPoint(5, 5)), 1);  // not scrolled: item 2 is in view already
    QCOMPARE(outline.ItemHeight(), 17);

    // Collapsing item 1 hides its three descendants; the lines below move up.
    TOutline& list = *form->ProductionContentLst;
    list.SetExpanded(1, false);
    QCOMPARE(list.ItemOnLine(1), 5);
    QCOMPARE(list.GetItem(QPoint(50, 17 + 8)), 5);
    QCOMPARE(list.SelectedItem(), 1);  // the selection was inside: it moves to the parent
    list.SetExpanded(1, true);
    QCOMPARE(list.ItemOnLine(1), 2);
  }

  void tableOfTheFirstTopic() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;
    QCOMPARE(form->ProductionLstHeader->text(), QString("Production per year"));
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(grid.FixedCols(), 0);
    QCOMPARE(grid.RowCount(), 3);
    QCOMPARE(grid.ColCount(), 2);
    QCOMPARE(Row(grid, 0), QStringList({"Jaar", "Aantal"}));
    QCOMPARE(Row(grid, 1), QStringList({"1957", "100"}));
    QCOMPARE(Row(grid, 2), QStringList({"1958", "20000"}));
    // Columns are as wide as their widest text + 4; rows as high as the font + 5.
    const QFontMetrics metrics(grid.font());
    QCOMPARE(grid.ColWidths(0), metrics.horizontalAdvance("1957") + 4);
    QCOMPARE(grid.ColWidths(1), std::max(metrics.horizontalAdvance("Aantal"), metrics.horizontalAdvance("20000")) + 4);
    QCOMPARE(grid.RowHeights(2), 9 + 5);

    // Pixels: the fixed row maroon, the current cell (first data cell) selected, nothing right
    // of the last column.
    TStringGrid* shown = form->ProductionLst;
    QCOMPARE(fixture::PixelOf(shown, QPoint(1, 1)), qRgb(128, 0, 0));
    QCOMPARE(fixture::PixelOf(shown, QPoint(grid.ColWidths(0), 3)), qRgb(0, 0, 0));  // line
    QCOMPARE(fixture::PixelOf(shown, QPoint(1, 14 + 1 + 1)), qRgb(0, 0, 128));
    QCOMPARE(fixture::PixelOf(shown, QPoint(grid.ColWidths(0) + 3, 14 + 1 + 1)), qRgb(0, 0, 0));
    const int right = grid.ColWidths(0) + grid.ColWidths(1) + 2;
    QCOMPARE(fixture::PixelOf(shown, QPoint(right + 5, 5)), qRgb(0, 0, 0));
    // White text somewhere in the fixed row.
    QImage image(shown->size(), QImage::Format_RGB32);
    shown->render(&image);
    bool white = false;
    for (int x = 0; x < grid.ColWidths(0); ++x) {
      for (int y = 0; y < 14; ++y) white = white || qGray(image.pixel(x, y)) > 200;
    }
    QVERIFY(white);
  }

  void shortLongAndSpecialRows() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;

    Select(form, 3);  // "a", "$", "b@c@d", "", "e@f"
    QCOMPARE(form->ProductionLstHeader->text(), QString("Short and long rows"));
    QCOMPARE(grid.ColCount(), 3);
    QCOMPARE(grid.RowCount(), 5);
    QCOMPARE(Row(grid, 0), QStringList({"K1", "K2", ""}));
    QCOMPARE(Row(grid, 1), QStringList({"a", "", ""}));
    QCOMPARE(Row(grid, 2), QStringList({"", "", ""}));  // "$" gives no cells
    QCOMPARE(Row(grid, 3), QStringList({"b", "c", "d"}));
    QCOMPARE(Row(grid, 4), QStringList({"e", "f", ""}));  // the empty line is skipped
    for (int c = 0; c < grid.ColCount(); ++c) QVERIFY(grid.ColWidths(c) >= 10);

    Select(form, 4);  // no column captions; "x@y@" ends after y
    QCOMPARE(grid.ColCount(), 2);
    QCOMPARE(grid.RowCount(), 2);
    QCOMPARE(Row(grid, 0), QStringList({"x", "y"}));
    QCOMPARE(Row(grid, 1), QStringList({"", ""}));  // nothing of the previous table is left
    QCOMPARE(form->ProductionLstHeader->text(), QString("Row ending in @"));
  }

  void headingsAndMissingTablesEmptyTheTable() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;
    for (int item : {5, 6, 1}) {  // a heading, a topic without a record, a heading again
      Select(form, 2);
      QCOMPARE(grid.RowCount(), 3);
      Select(form, item);
      QVERIFY(form->ProductionLstHeader->text().isEmpty());
      QCOMPARE(grid.RowCount(), 1);
      QCOMPARE(grid.ColCount(), 1);
      QCOMPARE(grid.FixedRows(), 0);
      QVERIFY(grid.Cells(0, 0).isEmpty());
      QCOMPARE(grid.ColWidths(0), 10);
      QCOMPARE(grid.RowHeights(0), 0);
    }
    // ">L=" without "=" before it: the key is the text before the mark's "=".
    Select(form, 7);
    QCOMPARE(grid.RowCount(), 1);
  }

  void ownerDrawnLines() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    TOutline* outline = form->ProductionContentLst;
    auto inkIn = [&](QRect box) {
      QImage image(outline->size(), QImage::Format_RGB32);
      outline->render(&image);
      int ink = 0;
      for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) ink += qGray(image.pixel(x, y)) > 128;
      }
      return ink;
    };
    // Line 0 is item 1 (level 1, expanded): "-" around x = 5, text from x = 13. Line 1 is
    // item 2 (level 2, no children): nothing left of x = 23.
    QVERIFY(inkIn(QRect(2, 0, 7, 16)) > 0);
    QVERIFY(inkIn(QRect(13, 0, 40, 16)) > 0);
    QCOMPARE(inkIn(QRect(0, 17, 22, 16)), 0);
    QVERIFY(inkIn(QRect(23, 17, 40, 16)) > 0);
    // Item 2 shows only its caption; bold (selected) draws more ink than plain.
    const int boldInk = inkIn(QRect(23, 17, 150, 16));
    Select(form, 5);
    const int plainInk = inkIn(QRect(23, 17, 150, 16));
    QVERIFY2(boldInk > plainInk, "the selected item is drawn bold");
    // A collapsed item shows "+": more ink than "-".
    const int minusInk = inkIn(QRect(0, 0, 10, 16));
    outline->SetExpanded(1, false);
    QVERIFY(inkIn(QRect(0, 0, 10, 16)) > minusInk);
  }

  // Rows are resized like columns: by dragging a border in the fixed part, or in the first
  // column of a table without fixed columns; elsewhere a press selects a cell.
  void userResizesRowsAndColumns() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;
    const auto drag = [area = form->ProductionLst->viewport()](QPoint from, QPoint by) {
      QTest::mousePress(area, Qt::LeftButton, {}, from);
      QTest::mouseMove(area, from + by);
      QTest::mouseRelease(area, Qt::LeftButton, {}, from + by);
    };
    const int width0 = grid.ColWidths(0);
    drag(QPoint(width0, 5), QPoint(12, 0));
    QCOMPARE(grid.ColWidths(0), width0 + 12);
    drag(QPoint(5, 29), QPoint(0, 9));  // the line under row 1 (rows 14 high, lines 1)
    QCOMPARE(grid.RowHeights(1), 14 + 9);
    drag(QPoint(width0 + 20, 43), QPoint(0, 30));
    QCOMPARE(grid.RowHeights(2), 14);
    QCOMPARE(grid.Col(), 1);
  }

  // A topic wider than the outline ends in an ellipsis, with its whole text as the line's tool
  // tip; a topic that fits has none.
  void wideTopicIsElidedWithItsTextAsHint() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QWidget* area = form->ProductionContentLst->viewport();
    const QPoint wideLine(60, 7 * 17 + 8);
    QTest::mouseClick(area, Qt::LeftButton, {}, wideLine);
    QCOMPARE(form->ProductionLstHeader->text(), QString(kWideCaption));  // selected: bold
    QImage image(area->size(), QImage::Format_RGB32);
    area->render(&image);
    for (int y = 7 * 17; y < 8 * 17; ++y)
      for (int x = area->width() - 2; x < area->width(); ++x) QVERIFY(qGray(image.pixel(x, y)) < 128);
    const auto hint = [area](QPoint at) {
      QHelpEvent help(QEvent::ToolTip, at, area->mapToGlobal(at));
      QApplication::sendEvent(area, &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(hint(QPoint(60, 17 + 8)), QString());
    QCOMPARE(hint(wideLine), QString(kWideCaption));
  }

  void languageWithOneTopicLine() {
    TProductionForm* form = Start(31);  // one line: there is no item 2
    QVERIFY(form != nullptr);
    QCOMPARE(form->ProductionContentLst->ItemCount(), 1);
    QCOMPARE(form->ProductionContentLst->SelectedItem(), 0);
    QCOMPARE(form->ProductionLst->RowCount(), 1);
    main_.reset();
    form = Start(33);  // no topic record at all
    QVERIFY(form != nullptr);
    QCOMPARE(form->ProductionContentLst->ItemCount(), 0);
    QVERIFY(form->ProductionLstHeader->text().isEmpty());
  }

  void ownSlideCounter() {
    TProductionForm* production = Start(44);
    QVERIFY(production != nullptr);
    auto* introduction = dynamic_cast<TIntroductionForm*>(SectionForm(SectionId::Introduction));
    QVERIFY(introduction != nullptr);
    QCOMPARE(production->PictureNumber(), 1);
    QCOMPARE(introduction->PictureNumber(), 1);
    production->TimerTimer();
    production->TimerTimer();
    QCOMPARE(production->PictureNumber(), 3);
    QCOMPARE(introduction->PictureNumber(), 1);
    QVERIFY(!introduction->isVisible());
    QVERIFY(introduction->Slides().Timer()->isActive());
    QVERIFY(production->Slides().Timer()->isActive());
    // Member 3 is missing: picture 2 stays.
    TProportionalImage* picture = production->SlidePicture;
    QCOMPARE(fixture::PixelOf(picture, QPoint(picture->width() / 2, picture->height() / 2)),
             fixture::SlideColour(2));
    QVERIFY(fixture::TempFiles().isEmpty());
  }
};

QTEST_MAIN(TestProductionForm)
#include "TestProductionForm.moc"
