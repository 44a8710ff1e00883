// Tests of the string grid: fixed and current cells as drawn, resizing by dragging, keys.
#include "controls/StringGrid.h"

#include "controls/WidgetProbes.h"

#include <QAccessible>
#include <QTest>

using namespace orlaventis;

class TestStringGrid : public QObject {
  Q_OBJECT

 private slots:
  void drawsAndResizesByMouse() {
    TStringGrid grid;
    QPalette palette = grid.palette();
    palette.setColor(QPalette::Base, Qt::white);
    grid.setPalette(palette);
    grid.SetColCount(2);
    grid.SetRowCount(3);
    grid.SetFixedRows(1);
    grid.SetDefaultRowHeight(14);
    grid.SetDefaultColWidth(40);
    grid.SetCells(0, 0, "Year");
    grid.SetCells(0, 1, "7");  // a number: right-aligned
    grid.SetCells(5, 5, "outside");
    QCOMPARE((QList<QString>{grid.Cells(0, 0), grid.Cells(5, 5)}), (QList<QString>{"Year", ""}));
    QVERIFY(probes::ShowForm(grid, QSize(255, 280)));
    // The fixed row maroon with black lines, running on to the right edge; no cell is drawn
    // selected before the grid has the focus.
    const QRgb white = qRgb(255, 255, 255), maroon = qRgb(128, 0, 0);
    grid.clearFocus();
    const QImage shown = probes::Render(grid.viewport());
    QCOMPARE(probes::Mismatches(shown, {{1, 1, maroon},
                                        {40, 3, qRgb(0, 0, 0)},
                                        {1, 16, white},
                                        {43, 16, white},
                                        {90, 5, maroon}}),
             QString());
    const auto ink = [&](QRect box) {
      return probes::CountPixels(shown, box, [](QRgb c) { return qGray(c) < 128; });
    };
    QCOMPARE(ink(QRect(0, 15, 20, 14)), 0);
    QCOMPARE_GT(ink(QRect(20, 15, 20, 14)), 0);
    // Columns resize by a border in the fixed row; rows by a border in the first column (there
    // are no fixed columns); elsewhere a press selects a cell.
    QWidget* area = grid.viewport();
    const auto drag = [area](QPoint from, QPoint by) {
      QTest::mousePress(area, Qt::LeftButton, {}, from);
      QTest::mouseMove(area, from + by);
      QTest::mouseRelease(area, Qt::LeftButton, {}, from + by);
    };
    drag(QPoint(40, 5), QPoint(12, 0));
    drag(QPoint(5, 29), QPoint(0, 9));    // the line under row 1 (rows 14 high, lines 1)
    drag(QPoint(60, 43), QPoint(0, 30));  // inside a cell: selects it
    QCOMPARE((QList<int>{grid.ColWidths(0), grid.RowHeights(1), grid.RowHeights(2), grid.Col(),
                         grid.Row()}),
             (QList<int>{52, 23, 14, 1, 2}));
    QCOMPARE(probes::PixelOf(area, {60, 45}), grid.palette().color(QPalette::Highlight).rgb());
    // Keys move the current cell and keep it out of the fixed row.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Home}) QTest::keyClick(&grid, key);
    QCOMPARE((QList<int>{grid.Col(), grid.Row()}), (QList<int>{0, 1}));
    // Screen readers: a table of the two scrolling rows, headed by the fixed row; the current
    // cell is selected and focused while the grid has the focus, and moves with the keys.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
    QAccessibleTableInterface* cells = table->tableInterface();
    QAccessibleTableCellInterface* seven = cells->cellAt(0, 0)->tableCellInterface();
    QCOMPARE(
        (QList<int>{table->role(), cells->rowCount(), cells->columnCount(), table->childCount(),
                    cells->cellAt(0, 0)->state().focused, cells->cellAt(1, 0)->state().focused,
                    seven->rowIndex(), seven->columnIndex()}),
        (QList<int>{QAccessible::Table, 2, 2, 6, 1, 0, 0, 0}));
    QCOMPARE(seven->columnHeaderCells().value(0)->text(QAccessible::Name), QString("Year"));
    grid.SetCells(1, 2, "late");
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right}) QTest::keyClick(&grid, key);
    QCOMPARE(table->focusChild()->text(QAccessible::Name), QString("late"));
    QCOMPARE(
        (QList<int>{table->focusChild()->state().selected, cells->cellAt(1, 1)->state().focused,
                    table->indexOfChild(table->focusChild())}),
        (QList<int>{1, 1, 3}));
  }
};

QTEST_MAIN(TestStringGrid)
#include "TestStringGrid.moc"
