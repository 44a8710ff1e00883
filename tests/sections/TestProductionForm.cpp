// Tests of the Production section: topics, tables, owner drawing and its slide cycle.
#include "sections/ProductionForm.h"

#include "SlideFixture.h"
#include "controls/BaseButton.h"
#include "sections/IntroductionForm.h"
#include "sections/SlideCycle.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

using namespace orlaventis;

namespace {

// Items: 1 Heading, 2 Years, 3 Mixed, 4 Trailing, 5 Plain heading, 6 Lost, 7 Bare, 8 Wide,
// 9 Tall.
const char kWideCaption[] = "Exports MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM";
const QString kTopics = QStringLiteral(
                            "Heading\n"
                            "\tYears=Jaar@Aantal>L=Production per year\n"
                            "\tMixed=K1@K2>L=Short and long rows\n"
                            "\t\tTrailing=>L=Row ending in @\n"
                            "Plain heading\n"
                            "\tLost=A@B>L=Table record missing\n"
                            "Bare>L=No equals sign\n"
                            "\tYears=Jaar@Aantal>L=") +
                        kWideCaption + "\n\tTall=A@B>L=Tall";

std::vector<olvtool::RecordSource> Records() {
  return {
      {1, "Production_Content_44|||", kTopics}, {2, "Years|||", "1957@100\n1958@20000"},
      {3, "Mixed|||", "a\n$\nb@c@d\n\ne@f"},    {4, "Trailing|||", "x@y@\r\n"},
      {5, "Production_Content_31|||", "Enkel"}, {6, "Tall|||", QStringList(19, "1@2").join('\n')},
  };
}
// The cells of `grid`, row by row.
QList<QStringList> Table(const TStringGrid& grid) {
  QList<QStringList> rows;
  for (int r = 0; r < grid.RowCount(); ++r) {
    rows.append(QStringList());
    for (int c = 0; c < grid.ColCount(); ++c) rows.last().append(grid.Cells(c, r));
  }
  return rows;
}

}  // namespace

class TestProductionForm : public fixture::SectionTest {
  Q_OBJECT

  TProductionForm* Start(int language) {
    main_ = fixture::StartMainForm(settings_, Folder(), language, QSize(640, 480), makers_);
    if (!main_) return nullptr;
    // Through the Introduction's menu button, which hides the Introduction.
    if (TSectionForm* introduction = Sections().Form(SectionId::Introduction))
      QTest::mouseClick(introduction->MenuBtn[1], Qt::LeftButton);
    return dynamic_cast<TProductionForm*>(Sections().Form(SectionId::Production));
  }
  // Picks topic `item` by a click on its text (every item expanded: line item - 1, 17 high).
  static void Select(TProductionForm* form, int item) {
    QTest::mouseClick(form->ProductionContentLst->viewport(), Qt::LeftButton, {},
                      QPoint(60, (item - 1) * 17 + 8));
  }

 private slots:
  void initTestCase() {
    makers_[0] = [](TSectionSet& set) { return new TIntroductionForm(set); };
    makers_[1] = [](TSectionSet& set) { return new TProductionForm(set); };
  }
  void init() {
    QVERIFY(Fresh());
    QVERIFY(fixture::WriteRecords(Folder(), Records()));
    QVERIFY(fixture::WriteSlides(Folder(), {1, 2}));
  }
  void cleanup() { main_.reset(); }

  void outlineFromTheTopicRecord() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    TOutline& list = *form->ProductionContentLst;
    // The item count, the levels of items 1 and 5, level and parent of items 2 .. 4.
    QList<int> levels{list.ItemCount(), list.Items(1).Level, list.Items(5).Level};
    for (int i = 2; i <= 4; ++i) levels << list.Items(i).Level << list.Items(i).Parent;
    QCOMPARE(levels, (QList<int>{9, 1, 1, 2, 1, 2, 1, 3, 3}));
    QCOMPARE(list.Items(2).Text, QString("Years=Jaar@Aantal>L=Production per year"));
    // Everything expanded, item 2 selected at creation; not scrolled: item 2 is in view already.
    for (int i : {1, 3, 5}) QVERIFY2(list.Items(i).Expanded, qPrintable(QString::number(i)));
    QCOMPARE((QList{list.SelectedItem(), list.ItemOnLine(6), list.GetItem(QPoint(5, 5))}),
             (QList{2, 7, 1}));
    // The section keeps its own slide counter; the Introduction's goes on while hidden.
    auto* introduction = dynamic_cast<TIntroductionForm*>(Sections().Form(SectionId::Introduction));
    QVERIFY(introduction != nullptr);
    QCOMPARE((std::pair{form->PictureNumber(), introduction->isVisible()}), (std::pair{1, false}));
    form->TimerTimer();
    form->TimerTimer();
    QCOMPARE((QList{form->PictureNumber(), introduction->PictureNumber()}), (QList{3, 1}));
    QVERIFY(introduction->Slides().Timer()->isActive());
    QVERIFY(form->Slides().Timer()->isActive());
    // Member 3 is missing: picture 2 stays.
    QCOMPARE((std::tuple{fixture::Centre(form->SlidePicture), TempFiles()}),
             (std::tuple{fixture::SlideColour(2), QStringList()}));
  }
  void tableOfTheFirstTopic() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;
    QCOMPARE(form->ProductionLstHeader->text(), QString("Production per year"));
    QCOMPARE((QList{grid.FixedRows(), grid.FixedCols(), grid.RowCount(), grid.ColCount()}),
             (QList{1, 0, 3, 2}));
    // The section's colours: the fixed row maroon to the right edge, the rest black (no cell
    // selected), white text in the fixed row.
    const QImage image = probes::Render(form->ProductionLst);
    const int w0 = grid.ColWidths(0), right = w0 + grid.ColWidths(1) + 2;
    const QRgb maroon = qRgb(128, 0, 0), black = qRgb(0, 0, 0);
    QCOMPARE(
        probes::Mismatches(
            image, {{1, 1, maroon}, {1, 16, black}, {w0 + 3, 16, black}, {right + 5, 5, maroon}}),
        QString());
    QVERIFY(probes::CountPixels(image, QRect(0, 0, w0, 14), [](QRgb c) { return qGray(c) > 200; }) >
            0);
    // Twenty rows, a little too tall for the grid at their usual height, fit without scrolling.
    Select(form, 9);
    QCOMPARE((std::pair{grid.RowCount(), grid.verticalScrollBar()->maximum()}), (std::pair{20, 0}));
  }
  // Each topic's table, shown after another one: nothing of that one is left.
  void tables_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QList<QStringList>>("rows");
    const QList<QStringList> empty = {{""}};
    QTest::newRow("years") << 2 << "Production per year"
                           << QList<QStringList>{
                                  {"Jaar", "Aantal"}, {"1957", "100"}, {"1958", "20000"}};
    // "$" gives no cells; the empty line is skipped.
    QTest::newRow("short and long rows")
        << 3 << "Short and long rows"
        << QList<QStringList>{
               {"K1", "K2", ""}, {"a", "", ""}, {"", "", ""}, {"b", "c", "d"}, {"e", "f", ""}};
    QTest::newRow("no captions, x@y@ ends after y")
        << 4 << "Row ending in @" << QList<QStringList>{{"x", "y"}, {"", ""}};
    QTest::newRow("heading") << 5 << "" << empty;
    QTest::newRow("topic without a record") << 6 << "" << empty;
    QTest::newRow("heading with children") << 1 << "" << empty;
    // ">L=" without "=" before it: the key is the text before the mark's "=".
    QTest::newRow("no equals sign") << 7 << "" << empty;
  }
  void tables() {
    QFETCH(int, item);
    QFETCH(QString, header);
    QFETCH(QList<QStringList>, rows);
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    const TStringGrid& grid = *form->ProductionLst;
    Select(form, item == 3 ? 2 : 3);
    Select(form, item);
    QCOMPARE(form->ProductionLstHeader->text(), header);
    QCOMPARE(Table(grid), rows);
    for (int c = 0; c < grid.ColCount(); ++c) QVERIFY(grid.ColWidths(c) >= 10);
    if (rows.size() == 1)
      QCOMPARE((QList{grid.FixedRows(), grid.ColWidths(0), grid.RowHeights(0)}), (QList{0, 10, 0}));
  }
  void ownerDrawnLines() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    TOutline* outline = form->ProductionContentLst;
    auto inkIn = [&](QRect box) {
      return probes::CountPixels(probes::Render(outline), box,
                                 [](QRgb c) { return qGray(c) > 128; });
    };
    // Line 0 is item 1 (level 1, expanded): "-" around x = 5, text from x = 13. Line 1 is
    // item 2 (level 2, no children): nothing left of x = 23.
    QCOMPARE_GT(inkIn(QRect(2, 0, 7, 16)), 0);
    QCOMPARE_GT(inkIn(QRect(13, 0, 40, 16)), 0);
    QCOMPARE(inkIn(QRect(0, 17, 22, 16)), 0);
    QCOMPARE_GT(inkIn(QRect(23, 17, 40, 16)), 0);
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
  // A topic wider than the outline ends in an ellipsis, with its whole text as the line's tool
  // tip; a topic that fits has none.
  void wideTopicIsElidedWithItsTextAsHint() {
    TProductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QWidget* area = form->ProductionContentLst->viewport();
    const QPoint wideLine(60, 7 * 17 + 8);
    QTest::mouseClick(area, Qt::LeftButton, {}, wideLine);
    QCOMPARE(form->ProductionLstHeader->text(), QString(kWideCaption));  // selected: bold
    const QImage image = probes::Render(area);
    for (int y = 7 * 17; y < 8 * 17; ++y)
      for (int x = area->width() - 2; x < area->width(); ++x)
        QVERIFY(qGray(image.pixel(x, y)) < 128);
    const auto hint = [area](QPoint at) {
      QHelpEvent help(QEvent::ToolTip, at, area->mapToGlobal(at));
      QApplication::sendEvent(area, &help);
      QTextDocument shown;  // what a reader sees of the hint
      if (QToolTip::isVisible()) shown.setHtml(QToolTip::text());
      return shown.toPlainText();
    };
    QCOMPARE((QStringList{hint(QPoint(60, 25)), hint(wideLine)}), (QStringList{"", kWideCaption}));
  }
  void languageWithOneTopicLine() {
    TProductionForm* form = Start(31);  // one line: there is no item 2
    QVERIFY(form != nullptr);
    QCOMPARE((QList{form->ProductionContentLst->ItemCount(),
                    form->ProductionContentLst->SelectedItem(), form->ProductionLst->RowCount()}),
             (QList<int>{1, 0, 1}));
    main_.reset();
    form = Start(33);  // no topic record at all
    QVERIFY(form != nullptr);
    QCOMPARE(form->ProductionContentLst->ItemCount(), 0);
    QCOMPARE(form->ProductionLstHeader->text(), QString());
  }
};

QTEST_MAIN(TestProductionForm)
#include "TestProductionForm.moc"
