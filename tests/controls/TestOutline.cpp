// Tests of the outline: its tree from tab-indented lines, folding and selecting by keys and mouse.
#include "controls/Outline.h"

#include "controls/WidgetProbes.h"

#include <QAccessible>
#include <QTest>

using namespace orlaventis;

class TestOutline : public QObject {
  Q_OBJECT

  // Items: 1 Heading, 2 Years, 3 Mixed, 4 Trailing, 5 Plain, 6 Lost, 7 Bare, 8 Over.
  static void Fill(TOutline& outline) {
    outline.SetItemHeight(17);
    outline.SetLines(
        {"Heading", "\tYears", "\tMixed", "\t\tTrailing", "Plain", "\tLost", "Bare", "\t\t\tOver"});
  }

 private slots:
  void treeFromTabs() {
    TOutline outline;
    Fill(outline);
    // The item count; level and parent of every item (too many tabs: a child of the line before).
    QList<int> tree{outline.ItemCount()};
    for (int i = 1; i <= 8; ++i) tree << outline.Items(i).Level << outline.Items(i).Parent;
    QCOMPARE(tree, (QList<int>{8, 1, 0, 2, 1, 2, 1, 3, 3, 1, 0, 2, 5, 1, 0, 2, 7}));
    QCOMPARE(outline.Items(4).Text, QString("Trailing"));
    QCOMPARE((QList<bool>{outline.Items(3).HasItems, outline.Items(2).HasItems,
                          outline.Items(1).Expanded}),
             (QList{true, false, false}));
    QCOMPARE((QList<int>{outline.SelectedItem(), outline.ItemOnLine(1), outline.Items(9).Level}),
             (QList<int>{0, 5, 1}));
  }
  void keysAndMouseFoldAndSelect() {
    TOutline outline;
    Fill(outline);
    int clicks = 0;
    outline.OnClick = [&] { ++clicks; };
    QVERIFY(probes::ShowForm(outline, QSize(175, 150)));
    outline.FullExpand();
    outline.SetSelectedItem(1);
    QCOMPARE((QList<int>{outline.ItemOnLine(6), outline.GetItem(QPoint(5, 5)), clicks}),
             (QList<int>{7, 1, 0}));
    // Left folds, or goes to the parent; Right unfolds, or goes to the first child. After each
    // key: the selected item and whether item 1 is unfolded.
    QList<int> seen;
    for (Qt::Key key :
         {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left})
      seen << (QTest::keyClick(&outline, key), outline.SelectedItem()) << outline.Items(1).Expanded;
    QCOMPARE(seen, (QList<int>{1, 0, 1, 1, 2, 1, 3, 1, 4, 1, 3, 1}));
    QCOMPARE(clicks, 4);  // every selection by the user, not the folding
    // Collapsing the parent of the selection hides its three descendants, the lines below move
    // up and the selection moves to the parent.
    outline.SetExpanded(1, false);
    QCOMPARE((QList<int>{outline.ItemOnLine(1), outline.GetItem(QPoint(50, 17 + 8)),
                         outline.SelectedItem()}),
             (QList<int>{5, 5, 1}));
    // A click on the "-" folds and selects; a double click on the text unfolds again.
    QWidget* area = outline.viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(5, 17 + 8));
    QCOMPARE((QList<int>{outline.Items(5).Expanded, outline.SelectedItem(), outline.ItemOnLine(2)}),
             (QList<int>{0, 5, 7}));
    QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(60, 17 + 8));
    QCOMPARE((QList<int>{outline.Items(5).Expanded, outline.ItemOnLine(2)}), (QList<int>{1, 6}));
    // "*" unfolds the selected item and everything below it; "-" folds it.
    QTest::keyClick(&outline, Qt::Key_Up);
    QTest::keyClick(&outline, Qt::Key_Asterisk);
    QCOMPARE(
        (QList<int>{outline.SelectedItem(), outline.Items(1).Expanded, outline.Items(3).Expanded}),
        (QList<int>{1, 1, 1}));
    QTest::keyClick(&outline, Qt::Key_Minus);
    QCOMPARE(outline.ItemOnLine(1), 5);
    // Screen readers: a tree of the top items, an unfolded item holding its own; the selected
    // item is selected, and focused while the outline has the focus.
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down}) QTest::keyClick(&outline, key);
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&outline);
    QAccessibleInterface* years = tree->child(0)->child(0);
    QCOMPARE((QList<int>{tree->role(), tree->childCount(), tree->child(0)->childCount(),
                         years->role(), years->state().selected, tree->child(0)->state().expanded,
                         years->state().expandable, tree->indexOfChild(tree->child(2))}),
             (QList<int>{QAccessible::Tree, 3, 2, QAccessible::TreeItem, 1, 1, 0, 2}));
    QCOMPARE(
        (QList<QString>{years->text(QAccessible::Name), years->parent()->text(QAccessible::Name),
                        tree->focusChild()->text(QAccessible::Name)}),
        (QList<QString>{"Years", "Heading", "Years"}));
    QCOMPARE(years->state().focused, outline.hasFocus());
  }
};

QTEST_MAIN(TestOutline)
#include "TestOutline.moc"
