// Tests of the query grid widget: layout, drawing, the inline editor and the drop-down check list.
#include "controls/WidgetProbes.h"  // tests/controls
#include "database/CatalogFixture.h"
#include "database/DayNumbers.h"
#include "database/TableDatabase.h"
#include "sections/QueryGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

struct Fixture {
  QTemporaryDir dir;
  TTessaranObject db;
  TTessaranQueryGrid g;  // the grid under test
  int changes = 0;
  Fixture() {
    const QString path = dir.filePath(QStringLiteral("ol44.cat"));
    olvtool::WriteDatabase(Catalogue(SmallItems()), path, QString(), nullptr);
    db.Open(path, path, QString(), QString());
    g.resize(300, 10);
    g.SetCheckmarkGlyph(probes::Solid(10, 10, qRgb(0, 255, 0)));
    g.SetUnCheckmarkGlyph(probes::Solid(10, 10, qRgb(255, 0, 0)));
    QObject::connect(&g, &TTessaranQueryGrid::SelectionChanged, &g, [this] { ++changes; });
  }
  bool Load() { return g.LoadDefinition(&db, "Picture Items", 3, "Picture Properties"); }
  // Loaded and shown on the screen, for input.
  bool Show() {
    if (!Load()) return false;
    g.show();
    return QTest::qWaitForWindowExposed(&g);
  }
};

}  // namespace

class TestQueryGrid : public QObject {
  Q_OBJECT

 private slots:
  void layoutAndDrawing() {
    Fixture f;
    QVERIFY(!f.g.Loaded());
    QVERIFY(f.Load());
    QCOMPARE((QList{f.g.RowCount(), f.g.height(), f.g.CurrentRow()}),
             (QList{4, (15 + 1) * 3 + 2, 1}));
    QVERIFY(f.g.DropDownButton()->isVisibleTo(&f.g));
    QVERIFY(!f.g.TextButton()->isVisibleTo(&f.g));
    QCOMPARE(f.g.toolTip(), QStringLiteral("Pick colours"));
    const QImage img = probes::Render(&f.g);
    const QRect cell1 = f.g.CellRect(1), cell2 = f.g.CellRect(2);
    QVERIFY(f.g.CellRect(4).isNull());  // below the three visible rows
    QCOMPARE(probes::Mismatches(img, {{cell1.left() + 1, cell1.top() + 1, qRgb(0, 0, 128)},
                                      {cell2.left() + 1, cell2.top() + 1, qRgb(255, 255, 255)},
                                      {1, cell2.top() + 1, qRgb(0, 0, 0)}}),
             QString());
    // The current row's text is white on navy, another row's black on white.
    QVERIFY(probes::CountPixels(img, QRect(cell1.left(), cell1.top(), 60, cell1.height()),
                                [](QRgb c) { return c == qRgb(255, 255, 255); }) > 0);
    QVERIFY(probes::CountPixels(img, QRect(cell2.left(), cell2.top(), 60, cell2.height()),
                                [](QRgb c) { return c == qRgb(0, 0, 0); }) > 0);
    f.g.ClearDefinition();
    QCOMPARE((std::tuple{f.g.RowCount(), f.g.Loaded()}), (std::tuple{0, false}));
    QVERIFY(!f.g.LoadDefinition(&f.db, "Picture Items", 3, "Nope"));
  }
  void inlineEditor() {
    Fixture f;
    QVERIFY(f.Show());
    f.g.SelectRow(2);
    QVERIFY(f.g.TextButton()->isVisible());
    QCOMPARE(f.g.toolTip(), "Number of doors");
    f.g.OpenCurrentRow();
    QLineEdit* e = f.g.Editor();
    QVERIFY(e->isVisible());
    QCOMPARE(e->text(), "Any doors");
    QVERIFY(e->geometry().right() < f.g.TextButton()->geometry().left());
    // Per row: the text committed with Return, the change count after it, whether the row is
    // then active. The select-all text into an inactive row raises nothing; 0 does not convert;
    // the select-all text into the active row clears it, raising once.
    const struct {
      const char* text;
      int changes;
      bool active;
    } commits[] = {{nullptr, 0, false}, {"4", 1, true}, {"0", 1, true}, {"Any doors", 2, false}};
    for (const auto& commit : commits) {
      if (!e->isVisible()) f.g.OpenCurrentRow();
      if (commit.text != nullptr) e->setText(QString::fromLatin1(commit.text));
      QTest::keyClick(e, Qt::Key_Return);
      QVERIFY(!e->isVisible());
      const TQueryCriterion& doors = *f.g.Criteria().Criterion(2);
      QCOMPARE((std::tuple{QString(commit.text), f.changes, doors.Active}),
               (std::tuple{QString(commit.text), commit.changes, commit.active}));
      if (doors.Active) QCOMPARE(doors.Value.Int32At(0), 4);
    }
    // Up commits and moves to the row above; Down from the title row scrolls the last row in.
    f.g.OpenCurrentRow();
    e->setText(QStringLiteral("2"));
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE((QList<int>{f.changes, f.g.CurrentRow()}), (QList<int>{3, 1}));
    QVERIFY(f.g.DropDownButton()->isVisible());
    f.g.SelectRow(3);
    f.g.OpenCurrentRow();
    e->setText(QStringLiteral("coupe"));
    QTest::keyClick(e, Qt::Key_Down);
    QCOMPARE((QList<int>{f.changes, f.g.CurrentRow()}), (QList<int>{4, 4}));
    QCOMPARE((QList{f.g.CellRect(4).isEmpty(), f.g.CellRect(1).isEmpty()}), (QList{false, true}));
    // The wheel scrolls the grid, committing what the editor holds.
    QTest::mouseClick(&f.g, Qt::LeftButton, {}, f.g.CellRect(2).center());
    QTest::mouseClick(f.g.TextButton(), Qt::LeftButton);
    QTest::keyClicks(e, QStringLiteral("3"));
    QWheelEvent wheel({5, 5}, f.g.mapToGlobal(QPointF(5, 5)), {}, {0, 120}, {}, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&f.g, &wheel);
    QVERIFY(!f.g.CellRect(1).isEmpty());
    QCOMPARE((QList{f.changes, f.g.Criteria().Criterion(2)->Value.Int32At(0)}), (QList{5, 3}));
  }
  // The editor's own context menu and another window take the focus without committing: the
  // text typed so far stays, for Paste and for Return.
  void editorKeepsItsTextWhileAwayBriefly() {
    Fixture f;
    QVERIFY(f.Show());
    f.g.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.g));
    QTest::mouseClick(&f.g, Qt::LeftButton, {}, f.g.CellRect(2).center());  // Doors
    QTest::mouseClick(f.g.TextButton(), Qt::LeftButton);
    QLineEdit* e = f.g.Editor();
    QTest::keyClicks(e, QStringLiteral("4"));
    bool editorWithMenu = false;
    QTimer::singleShot(0, [&] {
      QWidget* menu = QApplication::activePopupWidget();
      editorWithMenu = menu != nullptr && e->isVisible();
      if (menu != nullptr) menu->close();
    });
    // A right click through the window opens the editor's context menu.
    QTest::mouseClick(f.g.windowHandle(), Qt::RightButton, {}, e->mapTo(&f.g, e->rect().center()));
    QVERIFY(editorWithMenu);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    f.g.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.g));
    QCOMPARE((std::tuple{f.changes, e->isVisible(), e->hasFocus()}), (std::tuple{0, true, true}));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE((QList{f.changes, f.g.Criteria().Criterion(2)->Value.Int32At(0)}), (QList{1, 4}));
  }
  // Under a locale with two-digit years ("M/d/yy") the date row reads both forms and shows four
  // digits.
  void datesInATwoDigitYearLocale() {
    Fixture f;
    f.db.SetDateLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(f.Show());
    QLineEdit* e = f.g.Editor();
    QTest::mouseClick(&f.g, Qt::LeftButton, {}, f.g.CellRect(3).center());
    QTest::mouseClick(f.g.TextButton(), Qt::LeftButton);
    QTest::keyClick(e, Qt::Key_Down);  // scrolls the year row in
    const std::pair<QString, QDate> typed[] = {{"6/1/05", QDate(2005, 6, 1)},
                                               {"2/29/00", QDate(2000, 2, 29)},
                                               {"6/1/2005", QDate(2005, 6, 1)}};
    for (const auto& [text, date] : typed) {
      QTest::mouseClick(f.g.TextButton(), Qt::LeftButton);
      QTest::keyClicks(e, text);
      QTest::keyClick(e, Qt::Key_Return);
      QCOMPARE(DayNumberToDateTime(f.g.Criteria().Criterion(4)->Value.Float64()).date(), date);
    }
    QTest::mouseClick(f.g.TextButton(), Qt::LeftButton);
    QVERIFY2(e->text().startsWith(QStringLiteral("6/1/2005 ")), qPrintable(e->text()));
  }
  void dropDownCheckList() {
    Fixture f;
    // The Catalog disables the grid while it reloads after each tick; the list stays open and
    // enabled (a disabled popup closes under the pointer on a real display).
    bool listOnWhileBusy = true;
    QObject::disconnect(&f.g, &TTessaranQueryGrid::SelectionChanged, nullptr, nullptr);
    QObject::connect(&f.g, &TTessaranQueryGrid::SelectionChanged, &f.g, [&f, &listOnWhileBusy] {
      ++f.changes;
      f.g.setEnabled(false);
      listOnWhileBusy = listOnWhileBusy && f.g.DropDownList()->isEnabled();
      QCoreApplication::processEvents();
      f.g.setEnabled(true);
    });
    QVERIFY(f.Show());
    QCOMPARE(f.g.DropDownButton()->geometry().right(), f.g.CellRect(1).right());  // no bar
    f.g.OpenCurrentRow();
    QWidget* list = f.g.DropDownList();
    QVERIFY(list->isVisible());
    QCOMPARE(list->width(), f.g.CellRect(1).width());
    QCOMPARE(list->height(),
             static_cast<int>(std::lround(f.g.screen()->geometry().height() * 90.0 / 480.0)));
    const int w = 15;  // indent step and line height follow the row height
    const auto checkAt = [&](int n, int lv = 1) { return QPoint(w * lv + w / 2, n * w + w / 2); };
    // Shown lines while Red is closed: Select All, Red, Blue, Green.
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(0));
    QCOMPARE(f.changes, 0);  // everything was selected already
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(2));
    QCOMPARE(f.changes, 1);
    const TQueryCriterion& c = *f.g.Criteria().Criterion(1);
    QCOMPARE((QList{c.Active, c.Relations->Get(3), c.Relations->Get(1)}),
             (QList{true, true, false}));
    // A press on the span's edge does not count.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w, 2 * w + 7));
    QCOMPARE(f.changes, 1);
    const QImage img = probes::Render(list);
    QCOMPARE(probes::Mismatches(img, {{checkAt(2).x(), checkAt(2).y(), qRgb(0, 255, 0)},
                                      {checkAt(1).x(), checkAt(1).y(), qRgb(255, 0, 0)}}),
             QString());
    // Opening Red shows Dark red one level deeper; its own glyph ticks it alone.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w / 2, w + w / 2));
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(2, 2));
    QCOMPARE(f.changes, 2);
    QCOMPARE((QList{c.Relations->Get(2), c.Relations->Get(1)}), (QList{true, false}));
    QCOMPARE((QList{listOnWhileBusy, list->isVisible()}), (QList{true, true}));
    // The cell lists the ticked texts in record order.
    const QImage grid = probes::Render(&f.g);
    const auto width = [](const QString& s) { return int(s.size()); };
    const auto summary = [&f, width] { return f.g.Criteria().CellText(1, width, 500); };
    QCOMPARE(summary(), QStringLiteral("Dark red & Blue"));
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(1));  // Red, with all it holds
    QCOMPARE(summary(), QStringLiteral("Red & Dark red & Blue"));
    QCOMPARE(QColor(grid.pixel(f.g.CellRect(1).topLeft() + QPoint(1, 1))), QColor(Qt::darkBlue));
    // The button hides the list again.
    f.g.DropDownButton()->click();
    QVERIFY(!list->isVisible());
    // Narrowed, the summary of row 1 (another row selected) ends before its button's place.
    f.g.resize(150, f.g.height());
    QTest::mouseClick(&f.g, Qt::LeftButton, {}, f.g.CellRect(2).center());
    const QRect cell = f.g.CellRect(1);
    const QImage narrow = probes::Render(&f.g);
    const auto dark = [](QRgb c) { return qGray(c) < 128; };
    const auto inks = [&](QRect r) { return probes::CountPixels(narrow, r, dark); };
    QCOMPARE_GT(inks(cell.adjusted(0, 0, -15, 0)), 0);
    QCOMPARE(inks(cell.adjusted(cell.width() - 15, 0, 0, 0)), 0);
  }
  // Keys alone: the list opened by Alt+Down, walked by arrows, unfolded by Right, ticked by
  // Space; rows by arrows; the editor opened by Enter or F4, left by Escape, committed by Return.
  void keyboardOnly() {
    Fixture f;
    QVERIFY(f.Show());
    QVERIFY((f.g.activateWindow(), QTest::qWaitForWindowActive(&f.g)));
    f.g.setFocus();
    QWidget* list = f.g.DropDownList();
    QTest::keyClick(&f.g, Qt::Key_Down, Qt::AltModifier);
    // Lines: Select All, Red, Blue, Green; Blue ticked, then Dark red below the unfolded Red.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Space}) QTest::keyClick(list, key);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&f.g);
    QAccessibleInterface* open = table->child(table->childCount() - 1);  // the list, while open
    // Screen readers find the open list in the grid, named by the row, holding the focus.
    QCOMPARE((std::tuple{open->role(), open->parent(), open->childCount(), table->focusChild(),
                         open->text(QAccessible::Name)}),
             (std::tuple{QAccessible::Tree, table, 4, open, QString("Colour")}));
    // A line's name, then whether it is checkable, checked, focused, expandable and expanded.
    const auto line = [open](int k) {
      const QAccessible::State s = open->child(k)->state();
      return open->child(k)->text(QAccessible::Name) + QString::asprintf(" %d%d%d%d%d", s.checkable,
                                                                         s.checked, s.focused,
                                                                         s.expandable, s.expanded);
    };
    QCOMPARE((QStringList{line(1), line(2)}), (QStringList{"Red 10010", "Blue 11100"}));
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Space, Qt::Key_Escape})
      QTest::keyClick(list, key);
    QCOMPARE((std::tuple{open->child(1)->state().expanded, table->indexOfChild(open)}),
             (std::tuple{true, -1}));
    const TQueryCriterion& c = *f.g.Criteria().Criterion(1);
    QCOMPARE(f.changes, 2);
    QCOMPARE(
        (QList{c.Relations->Get(3), c.Relations->Get(2), c.Relations->Get(1), list->isVisible()}),
        (QList{true, true, false, false}));
    QLineEdit* e = f.g.Editor();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Return, Qt::Key_5, Qt::Key_Escape, Qt::Key_F4,
                        Qt::Key_4, Qt::Key_Return})
      QTest::keyClick(e->isVisible() ? static_cast<QWidget*>(e) : &f.g, key);
    QCOMPARE((std::tuple{f.changes, f.g.Criteria().Criterion(2)->Value.Int32At(0)}),
             (std::tuple{3, 4}));
    QCOMPARE((QList{f.g.hasFocus(), e->isVisible()}), (QList{true, false}));
    QTest::keyClick(&f.g, Qt::Key_Up);
    QCOMPARE(f.g.CurrentRow(), 1);
    // Screen readers find a table of named rows with their values; the hint is the row's alone.
    QCOMPARE((QStringList{table->text(QAccessible::Description),
                          table->child(0)->text(QAccessible::Description)}),
             (QStringList{"", "Pick colours"}));
    QStringList rows;
    for (int i = 0; i < f.g.RowCount(); ++i) rows << table->child(i)->text(QAccessible::Name);
    QCOMPARE(table->role(), QAccessible::Table);
    QVERIFY(table->child(0)->state().focused);
    QCOMPARE(table->indexOfChild(table->child(3)), 3);
    QCOMPARE(rows, QStringList({"Colour: Select All", "Doors: 4", "Title: All titles",
                                "Year: Select All"}));
  }
};

QTEST_MAIN(TestQueryGrid)
#include "TestQueryGrid.moc"
