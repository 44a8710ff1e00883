// Tests of TBaseBtn: its looks on rendered pixels, the mouse, and repaints only on a real change.
#include "controls/BaseButton.h"
#include "controls/Drawing.h"
#include "controls/WidgetProbes.h"

#include <QPainter>
#include <QTest>
#include <memory>

using namespace orlaventis;
using namespace probes;

namespace {

QImage Render(const TBaseBtn& button) {
  QImage image = Solid(button.width(), button.height(), kBack);
  QPainter painter(&image);
  button.PaintButton(painter);
  return image;
}
// A 100 x 40 button; without a face when `face` is false.
std::unique_ptr<TBaseBtn> Button(bool face) {
  auto button = std::make_unique<TBaseBtn>();
  button->resize(100, 40);
  button->SetFaceVisible(face);
  return button;
}

}  // namespace

class TestBaseButton : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void shadowSitsBehindTheFaceAndTheDownLookTakesItsPlace() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceXOffset(0.1);
    button.SetFaceYOffset(0.1);
    button.SetFaceWidth(0.5);
    button.SetShadowXOffset(0.1);
    button.SetShadowYOffset(0.25);
    button.SetShadowColor(QColor(kBlue));
    // Up: face (10, 4)-(60, 24) (the default height is half), shadow (20, 14)-(70, 34) with
    // its outline.
    // clang-format off
    QCOMPARE(Mismatches(Render(button), {{10, 10, kBlack}, {59, 10, kBlack}, {60, 10, kBack},
                                         {30, 10, kWhite}, {65, 30, kBlue}, {69, 33, kBlue},
                                         {70, 33, kBack}, {15, 30, kBack}}),
             QString());
    // clang-format on
    // Down: no shadow, the face moves to the shadow's place.
    button.SetButtonIsDown(true);
    const QImage down = Render(button);
    QCOMPARE(Mismatches(down, {{65, 30, kWhite}, {20, 20, kBlack}, {15, 10, kBack}}), QString());
    QCOMPARE(CountColour(down, kBlue), 0);
    // Disabled and up: the shadow stays.
    button.SetButtonIsDown(false);
    button.setEnabled(false);
    QCOMPARE(Render(button).pixel(65, 30), kBlue);
  }
  void framesShowOnlyWithoutFace() {
    auto button = Button(false);
    QCOMPARE(Render(*button).pixel(50, 0), kBack);  // plain up look: no frame
    button->SetButtonIsHot(true);
    QCOMPARE(Mismatches(Render(*button),
                        {{50, 0, kWhite}, {0, 20, kWhite}, {50, 39, kGrey}, {99, 20, kGrey}}),
             QString());
    button->SetButtonIsDown(true);
    QCOMPARE(Mismatches(Render(*button),
                        {{50, 0, kGrey}, {0, 20, kGrey}, {50, 39, kWhite}, {99, 20, kWhite}}),
             QString());
    button->SetFaceVisible(true);
    QCOMPARE(Mismatches(Render(*button), {{99, 20, kBack}, {50, 39, kBack}}), QString());
  }
  void centredGlyphMovesByTheShadowOffsetWhenDown() {
    auto button = Button(false);
    button->SetGlyphCentered(true);
    button->SetGlyphUp(Solid(10, 10, kRed));
    button->SetShadowXOffset(0.03);
    button->SetShadowYOffset(0.08);
    const QImage up = Render(*button);  // at (45, 15)
    QCOMPARE(Mismatches(up, {{45, 15, kRed}, {54, 24, kRed}, {55, 25, kBack}}), QString());
    QCOMPARE(CountColour(up, kRed), 100);
    button->SetGlyphUpIsGlyphDown(true);
    button->SetGlyphDown(Solid(10, 10, kBlue));
    button->SetButtonIsDown(true);
    const QImage down = Render(*button);  // GlyphUp at (48, 18)
    QCOMPARE(Mismatches(down, {{47, 17, kBack}, {48, 18, kRed}, {57, 27, kRed}}), QString());
    QCOMPARE(CountColour(down, kBlue), 0);
    button->SetGlyphUpIsGlyphDown(false);
    QCOMPARE(Render(*button).pixel(48, 18), kBlue);
    button->SetGlyphDown(QImage());
    QCOMPARE(CountColour(Render(*button), kRed), 0);  // no down picture at all
  }
  void stretchedGlyphGrowsWithTheShadowOffset() {
    auto button = Button(false);
    button->SetGlyphStretched(true);
    button->SetGlyphXOffset(0.1);
    button->SetGlyphWidth(0.2);
    button->SetGlyphYOffset(0.25);
    button->SetGlyphHeight(0.25);
    button->SetGlyphUp(Solid(4, 4, kRed));
    // Up: box x 10, y 10, width rnd(0.3 x 100) = 30, height rnd(0.5 x 40) = 20.
    const QImage up = Render(*button);
    QCOMPARE(CountColour(up, kRed), 30 * 20);
    QCOMPARE(Mismatches(up, {{10, 10, kRed}, {39, 29, kRed}}), QString());
    button->SetShadowXOffset(0.1);
    button->SetGlyphUpIsGlyphDown(true);
    button->SetButtonIsDown(true);
    // Down: x 20, width rnd(0.4 x 100) = 40.
    const QImage down = Render(*button);
    QCOMPARE(CountColour(down, kRed), 40 * 20);
    QCOMPARE(Mismatches(down, {{20, 10, kRed}, {19, 10, kBack}, {59, 29, kRed}}), QString());
  }
  void disabledLookUsesItsGlyphAndGreyCaption() {
    auto button = Button(false);
    TFont font;
    font.Font = QFont(QStringLiteral("DejaVu Sans"));
    font.Font.setPixelSize(24);
    font.Font.setBold(true);
    font.Color = QColor(kRed);
    button->SetFont(font);
    button->SetCaption(QStringLiteral("HH"));
    button->SetCaptionXOffset(0.1);
    button->SetGlyphUp(Solid(8, 8, kBlue));
    const QImage enabled = Render(*button);
    QCOMPARE_GT(CountColour(enabled, kRed), 20);
    QCOMPARE(CountColour(enabled, TBaseBtn::kGrayText | 0xFF000000), 0);
    QCOMPARE(CountColour(enabled, kBlue), 64);
    button->setEnabled(false);
    button->SetCaptionPenVisible(true);
    button->SetCaptionPenColor(QColor(0, 0xFF, 0xFF));
    const QImage disabled = Render(*button);
    QCOMPARE(CountColour(disabled, kRed), 0);
    QCOMPARE_GT(CountColour(disabled, TBaseBtn::kGrayText | 0xFF000000), 20);
    // The halo keeps its colour; GlyphDisabled is empty.
    QCOMPARE_GT(CountColour(disabled, 0xFF00FFFF), 0);
    QCOMPARE(CountColour(disabled, kBlue), 0);
    button->SetGlyphDisabled(Solid(8, 8, kBlue));
    QCOMPARE(CountColour(Render(*button), kBlue), 64);
  }
  void mousePressShowsTheDownLookAndReleaseClicks() {
    TBaseBtn button;
    int clicks = 0;
    QStringList order;
    button.OnClick = [&](QObject* sender) {
      clicks += sender == &button;
      order << "click";
    };
    button.OnMouseDown = [&](auto, auto) { order << (button.MousePressed() ? "?" : "down"); };
    button.OnMouseUp = [&](QObject*, QMouseEvent*) { order << "up"; };
    for (Qt::MouseButton which : {Qt::LeftButton, Qt::RightButton}) {
      QTest::mousePress(&button, which, {}, QPoint(5, 5));
      QVERIFY(button.MousePressed());
      QTest::mouseRelease(&button, which, {}, QPoint(5, 5));
      QVERIFY(!button.MousePressed());
    }
    QCOMPARE(clicks, 1);
    QCOMPARE(order, QStringList({"down", "click", "up", "down", "up"}));
  }
  // Space, Return and keypad Enter look down while held and click on release; not with Shift,
  // another key or disabled.
  void keysPressTheButton() {
    auto button = Button(true);
    button->SetShadowXOffset(0.1);
    QList<int> seen;  // per key: whether it looked down, whether it clicked
    button->OnClick = [&seen](QObject*) { seen.back() = 1; };
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Space, Qt::NoModifier},
                                         {Qt::Key_Enter, Qt::KeypadModifier},
                                         {Qt::Key_Return, Qt::ShiftModifier},
                                         {Qt::Key_A, Qt::NoModifier},
                                         {Qt::Key_Return, Qt::NoModifier}}) {
      button->setEnabled(seen.size() < 8);
      const QImage up = Render(*button);
      QTest::keyPress(button.get(), key, modifiers);
      seen << (Render(*button) != up) << 0;
      QTest::keyRelease(button.get(), key, modifiers);
    }
    QCOMPARE(seen, (QList<int>{1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
  }
  void sameValueCausesNoRepaint() {
    QWidget form;
    auto* button = new TBaseBtn(&form);
    PaintCounter counter;
    button->installEventFilter(&counter);
    QVERIFY(ShowForm(form, QSize(200, 100)));
    // clang-format off
    const std::function<void()> changes[] = {
        [&] { button->SetFaceWidth(button->FaceWidth()); },
        [&] { button->SetShadowColor(button->ShadowColor()); },
        [&] { button->SetCaption(button->Caption()); }, [&] { button->SetBrush(button->Brush()); },
        [&] { button->SetGlyphCentered(false); }, [&] { button->SetCaptionXRound(0); },
        [&] { button->SetGlyphUp(Solid(2, 2, kRed)); }, [&] { button->SetFaceWidth(0.5); },
        [&] { button->SetCaption(QStringLiteral("Ok")); }, [&] { button->SetGlyphCentered(true); }};
    // clang-format on
    QList<int> paints;
    for (const auto& change : changes) paints << counter.After(change, true);
    QCOMPARE(paints, (QList<int>{0, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
  }
};

QTEST_MAIN(TestBaseButton)
#include "TestBaseButton.moc"
