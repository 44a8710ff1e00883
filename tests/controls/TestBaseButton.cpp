// Tests of TBaseBtn: looks checked on pixels of a rendered image, the glyph invariant, the
// mouse, and setters that repaint only on a real change.
#include "controls/BaseButton.h"

#include <QPainter>
#include <QTest>

using namespace orlaventis;

namespace {

constexpr QRgb kBack = 0xFF00C000;  // what lies behind the button
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;

QImage Render(const TBaseBtn& button) {
  QImage image(button.size(), QImage::Format_RGB32);
  image.fill(kBack);
  QPainter painter(&image);
  button.PaintButton(painter);
  return image;
}

QImage Solid(int w, int h, QRgb colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
  }
  return n;
}

class CountingBtn : public TBaseBtn {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent* event) override {
    ++paints;
    TBaseBtn::paintEvent(event);
  }
};

}  // namespace

class TestBaseButton : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void defaults() {
    TBaseBtn button;
    QCOMPARE(button.size(), QSize(120, 40));
    QCOMPARE(button.FaceWidth(), 0.8);
    QCOMPARE(button.FaceHeight(), 0.5);
    QCOMPARE(button.GlyphWidth(), 0.2);
    QCOMPARE(button.GlyphHeight(), 0.8);
    QCOMPARE(button.ShadowColor(), QColor(0x80, 0x80, 0x80));
    QVERIFY(button.FaceVisible());
    QCOMPARE(ControlCursor(&button), kCursorHand);
  }

  void shadowSitsBehindTheFaceAndTheDownLookTakesItsPlace() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceXOffset(0.1);
    button.SetFaceYOffset(0.1);
    button.SetFaceWidth(0.5);
    button.SetFaceHeight(0.5);
    button.SetShadowXOffset(0.1);
    button.SetShadowYOffset(0.25);
    button.SetShadowColor(QColor(kBlue));
    // Up: face (10, 4)-(60, 24), shadow (20, 14)-(70, 34).
    QImage up = Render(button);
    QCOMPARE(up.pixel(10, 10), kBlack);  // face outline
    QCOMPARE(up.pixel(59, 10), kBlack);
    QCOMPARE(up.pixel(60, 10), kBack);
    QCOMPARE(up.pixel(30, 10), kWhite);  // face
    QCOMPARE(up.pixel(65, 30), kBlue);   // shadow, outline included
    QCOMPARE(up.pixel(69, 33), kBlue);
    QCOMPARE(up.pixel(70, 33), kBack);
    QCOMPARE(up.pixel(15, 30), kBack);
    // Down: no shadow, the face moves to the shadow's place.
    button.SetButtonIsDown(true);
    QImage down = Render(button);
    QCOMPARE(down.pixel(65, 30), kWhite);
    QCOMPARE(down.pixel(20, 20), kBlack);
    QCOMPARE(down.pixel(15, 10), kBack);
    QCOMPARE(CountColour(down, kBlue), 0);
    // Disabled and up: the shadow stays.
    button.SetButtonIsDown(false);
    button.setEnabled(false);
    QCOMPARE(Render(button).pixel(65, 30), kBlue);
  }

  void framesShowOnlyWithoutFace() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceVisible(false);
    QCOMPARE(Render(button).pixel(50, 0), kBack);  // plain up look: no frame
    button.SetButtonIsHot(true);
    QImage hot = Render(button);
    QCOMPARE(hot.pixel(50, 0), kWhite);
    QCOMPARE(hot.pixel(0, 20), kWhite);
    QCOMPARE(hot.pixel(50, 39), kGrey);
    QCOMPARE(hot.pixel(99, 20), kGrey);
    button.SetButtonIsDown(true);
    QImage sunken = Render(button);
    QCOMPARE(sunken.pixel(50, 0), kGrey);
    QCOMPARE(sunken.pixel(0, 20), kGrey);
    QCOMPARE(sunken.pixel(50, 39), kWhite);
    QCOMPARE(sunken.pixel(99, 20), kWhite);
    button.SetFaceVisible(true);
    QImage faced = Render(button);
    QCOMPARE(faced.pixel(99, 20), kBack);
    QCOMPARE(faced.pixel(50, 39), kBack);
  }

  void centredGlyphMovesByTheShadowOffsetWhenDown() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceVisible(false);
    button.SetGlyphCentered(true);
    button.SetGlyphUp(Solid(10, 10, kRed));
    button.SetShadowXOffset(0.03);
    button.SetShadowYOffset(0.08);
    QImage up = Render(button);  // at (45, 15)
    QCOMPARE(up.pixel(45, 15), kRed);
    QCOMPARE(up.pixel(54, 24), kRed);
    QCOMPARE(up.pixel(55, 25), kBack);
    QCOMPARE(CountColour(up, kRed), 100);
    button.SetGlyphUpIsGlyphDown(true);
    button.SetGlyphDown(Solid(10, 10, kBlue));
    button.SetButtonIsDown(true);
    QImage down = Render(button);  // GlyphUp at (48, 18)
    QCOMPARE(down.pixel(47, 17), kBack);
    QCOMPARE(down.pixel(48, 18), kRed);
    QCOMPARE(down.pixel(57, 27), kRed);
    QCOMPARE(CountColour(down, kBlue), 0);
    button.SetGlyphUpIsGlyphDown(false);
    QCOMPARE(Render(button).pixel(48, 18), kBlue);
    button.SetGlyphDown(QImage());
    QCOMPARE(CountColour(Render(button), kRed), 0);  // no down picture at all
    button.SetShadowXOffset(0);
    button.SetShadowYOffset(0);
    button.SetGlyphUpIsGlyphDown(true);
    QCOMPARE(Render(button).pixel(45, 15), kRed);  // zero offsets: no movement
  }

  void stretchedGlyphGrowsWithTheShadowOffset() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceVisible(false);
    button.SetGlyphStretched(true);
    button.SetGlyphXOffset(0.1);
    button.SetGlyphWidth(0.2);
    button.SetGlyphYOffset(0.25);
    button.SetGlyphHeight(0.25);
    button.SetGlyphUp(Solid(4, 4, kRed));
    // Up: box x 10, y 10, width rnd(0.3 x 100) = 30, height rnd(0.5 x 40) = 20.
    QImage up = Render(button);
    QCOMPARE(CountColour(up, kRed), 30 * 20);
    QCOMPARE(up.pixel(10, 10), kRed);
    QCOMPARE(up.pixel(39, 29), kRed);
    button.SetShadowXOffset(0.1);
    button.SetGlyphUpIsGlyphDown(true);
    button.SetButtonIsDown(true);
    // Down: x 20, width rnd(0.4 x 100) = 40.
    QImage down = Render(button);
    QCOMPARE(CountColour(down, kRed), 40 * 20);
    QCOMPARE(down.pixel(20, 10), kRed);
    QCOMPARE(down.pixel(19, 10), kBack);
    QCOMPARE(down.pixel(59, 29), kRed);
  }

  void disabledLookUsesItsGlyphAndGreyCaption() {
    TBaseBtn button;
    button.resize(100, 40);
    button.SetFaceVisible(false);
    TFont font;
    font.Font = QFont(QStringLiteral("DejaVu Sans"));
    font.Font.setPixelSize(24);
    font.Font.setBold(true);
    font.Color = QColor(kRed);
    button.SetFont(font);
    button.SetCaption(QStringLiteral("HH"));
    button.SetCaptionXOffset(0.1);
    button.SetGlyphUp(Solid(8, 8, kBlue));
    QImage enabled = Render(button);
    QVERIFY(CountColour(enabled, kRed) > 20);
    QCOMPARE(CountColour(enabled, TBaseBtn::kGrayText | 0xFF000000), 0);
    QCOMPARE(CountColour(enabled, kBlue), 64);
    button.setEnabled(false);
    button.SetCaptionPenVisible(true);
    button.SetCaptionPenColor(QColor(0, 0xFF, 0xFF));
    QImage disabled = Render(button);
    QCOMPARE(CountColour(disabled, kRed), 0);
    QVERIFY(CountColour(disabled, TBaseBtn::kGrayText | 0xFF000000) > 20);
    QVERIFY(CountColour(disabled, 0xFF00FFFF) > 0);  // the halo keeps its colour
    QCOMPARE(CountColour(disabled, kBlue), 0);        // GlyphDisabled is empty
    button.SetGlyphDisabled(Solid(8, 8, kBlue));
    QCOMPARE(CountColour(Render(button), kBlue), 64);
  }

  void glyphPlacementFlagsExcludeEachOther() {
    TBaseBtn button;
    button.SetGlyphCentered(true);
    button.SetGlyphStretched(true);
    QVERIFY(button.GlyphStretched());
    QVERIFY(!button.GlyphCentered());
    button.SetGlyphCentered(true);
    QVERIFY(!button.GlyphStretched());
    button.SetGlyphStretched(false);
    QVERIFY(button.GlyphCentered());
    button.SetGlyphCentered(false);
    QVERIFY(!button.GlyphCentered());
    QVERIFY(!button.GlyphStretched());
  }

  void mousePressShowsTheDownLookAndReleaseClicks() {
    TBaseBtn button;
    int clicks = 0;
    QStringList order;
    button.OnClick = [&](QObject* sender) {
      clicks += sender == &button;
      order << "click";
    };
    button.OnMouseDown = [&](QObject*, QMouseEvent*) { order << (button.MousePressed() ? "?" : "down"); };
    button.OnMouseUp = [&](QObject*, QMouseEvent*) { order << "up"; };
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(button.MousePressed());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!button.MousePressed());
    QCOMPARE(clicks, 1);
    QTest::mousePress(&button, Qt::RightButton, {}, QPoint(5, 5));
    QVERIFY(button.MousePressed());
    QTest::mouseRelease(&button, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
    QCOMPARE(order, (QStringList{"down", "click", "up", "down", "up"}));
  }

  void sameValueCausesNoRepaint() {
    QWidget form;
    form.resize(200, 100);
    auto* button = new CountingBtn;
    button->setParent(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    auto paintsAfter = [&](auto change) {
      const int before = button->paints;
      change();
      QCoreApplication::processEvents();
      return button->paints - before;
    };
    QCOMPARE(paintsAfter([&] { button->SetFaceWidth(button->FaceWidth()); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetShadowColor(button->ShadowColor()); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetCaption(button->Caption()); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetBrush(button->Brush()); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetGlyphCentered(false); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetCaptionXRound(0); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetGlyphUp(Solid(2, 2, kRed)); }), 0);
    QCOMPARE(paintsAfter([&] { button->SetFaceWidth(0.5); }), 1);
    QCOMPARE(paintsAfter([&] { button->SetCaption(QStringLiteral("Ok")); }), 1);
    QCOMPARE(paintsAfter([&] { button->SetGlyphCentered(true); }), 1);
  }
};

QTEST_MAIN(TestBaseButton)
#include "TestBaseButton.moc"
