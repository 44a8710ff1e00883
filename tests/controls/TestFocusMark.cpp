// Tests of TFocusMark: the frame follows the focus while the keyboard is in use, and whether it
// is in use is kept on the window of the marked area.
#include "controls/FocusMark.h"
#include "controls/WidgetProbes.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace orlaventis;

class TestFocusMark : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // A key press shows the mark around the focused control, a mouse press hides it. A window the
  // marked one parents shares its keyboard state; a window of its own has none.
  void keyboardUseBelongsToTheMarkedWindow() {
    QWidget window;
    auto* area = new QWidget(&window);
    area->setGeometry(0, 0, 200, 100);
    auto* button = new QPushButton(QStringLiteral("OK"), area);
    button->setGeometry(10, 10, 50, 30);
    auto* mark = new TFocusMark(area);
    QWidget dialog(&window, Qt::Window);
    QWidget alone;
    QVERIFY(probes::ShowForm(window, QSize(200, 100)));
    QVERIFY(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QCOMPARE(QApplication::focusWidget(), button);
    QVERIFY(!mark->isVisible());
    QVERIFY(!TFocusMark::KeyboardInUse(button));
    QTest::keyClick(button, Qt::Key_A);
    QVERIFY(mark->isVisible());
    QCOMPARE(mark->Marked(), button);
    QCOMPARE(mark->geometry(), button->geometry().adjusted(-2, -2, 2, 2));
    QCOMPARE((QList<bool>{TFocusMark::KeyboardInUse(button), TFocusMark::KeyboardInUse(&dialog),
                          TFocusMark::KeyboardInUse(&alone)}),
             (QList<bool>{true, true, false}));
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(150, 80));
    QCOMPARE((std::tuple{mark->isVisible(), mark->Marked(), TFocusMark::KeyboardInUse(&dialog)}),
             (std::tuple{false, static_cast<QWidget*>(nullptr), false}));
  }
};

QTEST_MAIN(TestFocusMark)
#include "TestFocusMark.moc"
