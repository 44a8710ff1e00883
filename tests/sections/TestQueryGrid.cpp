// Tests of the query grid widget: layout, drawing, the inline editor and the drop-down check list.
#include "database/CatalogFixture.h"
#include "database/FieldValues.h"
#include "database/TableDatabase.h"
#include "sections/QueryGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace orlaventis;
using namespace catalogfixture;

namespace {

QImage Solid(QColor colour) {
  QImage img(10, 10, QImage::Format_ARGB32);
  img.fill(colour);
  return img;
}

struct Fixture {
  QTemporaryDir dir;
  TTessaranObject db;
  TTessaranQueryGrid grid;
  int changes = 0;
  Fixture() {
    const QString path = dir.filePath(QStringLiteral("ol44.cat"));
    olvtool::WriteDatabase(Catalogue(SmallItems()), path, QString(), nullptr);
    db.Open(path, path, QString(), QString());
    grid.resize(300, 10);
    grid.SetCheckmarkGlyph(Solid(Qt::green));
    grid.SetUnCheckmarkGlyph(Solid(Qt::red));
    grid.OnSelectionChanged = [this](QObject* sender) {
      if (sender == &grid) ++changes;
    };
  }
  bool Load() {
    return grid.LoadDefinition(&db, QStringLiteral("Picture Items"), 3,
                               QStringLiteral("Picture Properties"));
  }
  QImage Render() {
    QImage img(grid.size(), QImage::Format_ARGB32);
    img.fill(Qt::magenta);
    grid.render(&img);
    return img;
  }
};

}  // namespace

class TestQueryGrid : public QObject {
  Q_OBJECT

 private slots:
  void layoutAndDrawing() {
    Fixture f;
    QVERIFY(!f.grid.Loaded());
    QVERIFY(f.Load());
    QCOMPARE(f.grid.RowCount(), 4);
    QCOMPARE(f.grid.height(), (15 + 1) * 3 + 2);
    QCOMPARE(f.grid.CurrentRow(), 1);
    QVERIFY(f.grid.DropDownButton()->isVisibleTo(&f.grid));
    QVERIFY(!f.grid.TextButton()->isVisibleTo(&f.grid));
    QCOMPARE(f.grid.toolTip(), QStringLiteral("Pick colours"));
    const QImage img = f.Render();
    const QRect cell1 = f.grid.CellRect(1), cell2 = f.grid.CellRect(2);
    QCOMPARE(f.grid.CellRect(4), QRect());  // below the three visible rows
    QCOMPARE(cell1.left(), f.grid.LabelColumnWidth() + 1);
    QCOMPARE(QColor(img.pixel(cell1.left() + 1, cell1.top() + 1)), QColor(Qt::darkBlue));
    QCOMPARE(QColor(img.pixel(cell2.left() + 1, cell2.top() + 1)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(1, cell2.top() + 1)), QColor(Qt::black));
    // The current row's text is white on navy, another row's black on white.
    bool white = false, black = false;
    for (int x = cell1.left(); x < cell1.left() + 60; ++x)
      for (int y = cell1.top(); y <= cell1.bottom(); ++y) white |= img.pixel(x, y) == qRgb(255, 255, 255);
    for (int x = cell2.left(); x < cell2.left() + 60; ++x)
      for (int y = cell2.top(); y <= cell2.bottom(); ++y) black |= img.pixel(x, y) == qRgb(0, 0, 0);
    QVERIFY(white && black);
    f.grid.ClearDefinition();
    QCOMPARE(f.grid.RowCount(), 0);
    QVERIFY(!f.grid.Loaded());
    QVERIFY(!f.grid.LoadDefinition(&f.db, QStringLiteral("Picture Items"), 3, QStringLiteral("Nope")));
  }

  void inlineEditor() {
    Fixture f;
    QVERIFY(f.Load());
    f.grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
    f.grid.SelectRow(2);
    QVERIFY(f.grid.TextButton()->isVisible());
    QCOMPARE(f.grid.toolTip(), QStringLiteral("Number of doors"));
    f.grid.OpenCurrentRow();
    QLineEdit* e = f.grid.Editor();
    QVERIFY(e->isVisible());
    QCOMPARE(e->text(), QStringLiteral("Any doors"));
    QVERIFY(e->geometry().right() < f.grid.TextButton()->geometry().left());
    // The select-all text into an inactive row raises nothing.
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(f.changes, 0);
    QVERIFY(!e->isVisible());
    f.grid.OpenCurrentRow();
    e->setText(QStringLiteral("4"));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(f.changes, 1);
    QVERIFY(f.grid.Criteria().Criterion(2)->Active);
    // 0 does not convert: nothing changes.
    f.grid.OpenCurrentRow();
    e->setText(QStringLiteral("0"));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(f.changes, 1);
    QCOMPARE(f.grid.Criteria().Criterion(2)->Value.Int32At(0), 4);
    // The select-all text into the active row clears it, raising once.
    f.grid.OpenCurrentRow();
    e->setText(QStringLiteral("Any doors"));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(f.changes, 2);
    QVERIFY(!f.grid.Criteria().Criterion(2)->Active);
    // Up commits and moves to the row above; Down from the title row scrolls the last row in.
    f.grid.OpenCurrentRow();
    e->setText(QStringLiteral("2"));
    QTest::keyClick(e, Qt::Key_Up);
    QCOMPARE(f.changes, 3);
    QCOMPARE(f.grid.CurrentRow(), 1);
    QVERIFY(f.grid.DropDownButton()->isVisible());
    f.grid.SelectRow(3);
    f.grid.OpenCurrentRow();
    e->setText(QStringLiteral("coupe"));
    QTest::keyClick(e, Qt::Key_Down);
    QCOMPARE(f.changes, 4);
    QCOMPARE(f.grid.CurrentRow(), 4);
    QVERIFY(!f.grid.CellRect(4).isEmpty());
    QVERIFY(f.grid.CellRect(1).isEmpty());
  }

  // The editor's own context menu and another window take the focus without committing: the
  // text typed so far stays, for Paste and for Return.
  void editorKeepsItsTextWhileAwayBriefly() {
    Fixture f;
    QVERIFY(f.Load());
    f.grid.show();
    f.grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.grid));
    QTest::mouseClick(&f.grid, Qt::LeftButton, {}, f.grid.CellRect(2).center());  // Doors
    QTest::mouseClick(f.grid.TextButton(), Qt::LeftButton);
    QLineEdit* e = f.grid.Editor();
    QTest::keyClicks(e, QStringLiteral("4"));
    bool editorWithMenu = false;
    QTimer::singleShot(0, [&] {
      QWidget* menu = QApplication::activePopupWidget();
      editorWithMenu = menu != nullptr && e->isVisible();
      if (menu != nullptr) menu->close();
    });
    // A right click through the window opens the editor's context menu.
    QTest::mouseClick(f.grid.windowHandle(), Qt::RightButton, {}, e->mapTo(&f.grid, e->rect().center()));
    QVERIFY(editorWithMenu);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    f.grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.grid));
    QCOMPARE(f.changes, 0);
    QVERIFY(e->isVisible() && e->hasFocus());
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(f.changes, 1);
    QCOMPARE(f.grid.Criteria().Criterion(2)->Value.Int32At(0), 4);
  }

  // Under a locale with two-digit years ("M/d/yy") the date row reads both forms and shows four
  // digits.
  void datesInATwoDigitYearLocale() {
    SetDateLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    Fixture f;
    QVERIFY(f.Load());
    f.grid.show();
    QLineEdit* e = f.grid.Editor();
    QTest::mouseClick(&f.grid, Qt::LeftButton, {}, f.grid.CellRect(3).center());
    QTest::mouseClick(f.grid.TextButton(), Qt::LeftButton);
    QTest::keyClick(e, Qt::Key_Down);  // scrolls the year row in
    const std::pair<QString, QDate> typed[] = {
        {"6/1/05", QDate(2005, 6, 1)}, {"2/29/00", QDate(2000, 2, 29)}, {"6/1/2005", QDate(2005, 6, 1)}};
    for (const auto& [text, date] : typed) {
      QTest::mouseClick(f.grid.TextButton(), Qt::LeftButton);
      QTest::keyClicks(e, text);
      QTest::keyClick(e, Qt::Key_Return);
      QCOMPARE(DayNumberToDateTime(f.grid.Criteria().Criterion(4)->Value.Float64()).date(), date);
    }
    QTest::mouseClick(f.grid.TextButton(), Qt::LeftButton);
    QVERIFY2(e->text().startsWith(QStringLiteral("6/1/2005 ")), qPrintable(e->text()));
    ResetDateLocale();
  }

  void dropDownCheckList() {
    Fixture f;
    QVERIFY(f.Load());
    f.grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
    f.grid.OpenCurrentRow();
    QWidget* list = f.grid.DropDownList();
    QVERIFY(list->isVisible());
    QCOMPARE(list->width(), f.grid.CellRect(1).width());
    const int screenHeight = f.grid.screen()->geometry().height();
    QCOMPARE(list->height(), static_cast<int>(std::lround(screenHeight * 90.0 / 480.0)));
    const int w = 15;  // indent step and line height follow the row height
    const auto checkAt = [&](int shownLine, int level = 1) {
      return QPoint(w * level + w / 2, shownLine * w + w / 2);
    };
    // Shown lines while Red is closed: Select All, Red, Blue, Green.
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(0));
    QCOMPARE(f.changes, 0);  // everything was selected already
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(2));
    QCOMPARE(f.changes, 1);
    const TQueryCriterion& c = *f.grid.Criteria().Criterion(1);
    QVERIFY(c.Active && c.Relations->Get(3) && !c.Relations->Get(1));
    // A press on the span's edge does not count.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w, 2 * w + 7));
    QCOMPARE(f.changes, 1);
    QImage img(list->size(), QImage::Format_ARGB32);
    list->render(&img);
    QCOMPARE(QColor(img.pixel(checkAt(2))), QColor(Qt::green));
    QCOMPARE(QColor(img.pixel(checkAt(1))), QColor(Qt::red));
    // Opening Red shows Dark red one level deeper; its own glyph ticks it alone.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w / 2, w + w / 2));
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(2, 2));
    QCOMPARE(f.changes, 2);
    QVERIFY(c.Relations->Get(2) && !c.Relations->Get(1));
    // The cell lists the ticked texts in record order.
    const QImage grid = f.Render();
    QCOMPARE(f.grid.Criteria().CellText(1, [](const QString& s) { return int(s.size()); }, 500),
             QStringLiteral("Dark red & Blue"));
    QCOMPARE(QColor(grid.pixel(f.grid.CellRect(1).topLeft() + QPoint(1, 1))), QColor(Qt::darkBlue));
    // The button hides the list again.
    f.grid.DropDownButton()->click();
    QVERIFY(!list->isVisible());
  }

  // The Catalog disables the grid while it reloads its thumbnails after each tick; the list
  // stays open so that several values can be ticked in a row.
  void dropDownStaysOpenWhileTheGridIsBusy() {
    Fixture f;
    QVERIFY(f.Load());
    bool listEnabledWhileBusy = false;
    f.grid.OnSelectionChanged = [&f, &listEnabledWhileBusy](QObject*) {
      ++f.changes;
      f.grid.setEnabled(false);
      // A disabled popup closes under the pointer on a real display.
      listEnabledWhileBusy = f.grid.DropDownList()->isEnabled();
      QCoreApplication::processEvents();
      f.grid.setEnabled(true);
    };
    f.grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.grid));
    f.grid.OpenCurrentRow();
    QWidget* list = f.grid.DropDownList();
    QVERIFY(list->isVisible());
    const int w = 15;
    const auto checkAt = [&](int shownLine) { return QPoint(w + w / 2, shownLine * w + w / 2); };
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(2));
    QCOMPARE(f.changes, 1);
    QVERIFY(listEnabledWhileBusy);
    QVERIFY(list->isVisible());
    QTest::mouseClick(list, Qt::LeftButton, {}, checkAt(3));
    QCOMPARE(f.changes, 2);
    QVERIFY(list->isVisible());
  }
};

QTEST_MAIN(TestQueryGrid)
#include "TestQueryGrid.moc"
