// Tests of TProportionalImage: size rules, composition on the canvas, the caption box, raster
// operations, and when a paint happens and plays the transition.
#include "ProcessFactsRestorer.h"
#include "controls/Drawing.h"
#include "controls/ProportionalImage.h"
#include "controls/Transitions.h"
#include "controls/WidgetProbes.h"
#include "process/ProcessFacts.h"

#include <QPainter>
#include <QTest>

using namespace orlaventis;
using namespace probes;

namespace {

// A shown 200 x 200 control on a black background with a black frame, in a window whose
// transitions are instant.
struct Shown {
  QWidget form;
  TProportionalImage* picture = new TProportionalImage(&form);
  Shown() {
    SetInstantTransitions(&form, true);
    picture->resize(200, 200);
    picture->Background().SetBrush(Qt::black);
    QVERIFY(ShowForm(form, QSize(220, 220)));
  }
};

}  // namespace

Q_DECLARE_METATYPE(orlaventis::ProportionalRules)

class TestProportionalImage : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void sizeRulesKeepTheProportions_data() {
    QTest::addColumn<QSize>("control");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<ProportionalRules>("rules");
    QTest::addColumn<QRect>("box");  // null: nothing shows
    // A static size replaces the proportional one (distorted); static width 0 shows nothing; both
    // static: only the width is replaced.
    const QSize square(200, 200), wide(400, 200);
    const auto row = [](const char* name, QSize control, QSize picture, ProportionalRules rules,
                        QRect box) { QTest::newRow(name) << control << picture << rules << box; };
    row("wide picture", square, wide, {}, {10, 55, 180, 90});
    row("tall picture", square, {200, 400}, {}, {55, 10, 90, 180});
    row("wide control", {201, 100}, {10, 10}, {}, {55, 5, 90, 90});
    row("picture without width", square, {0, 200}, {}, {});
    row("static width", square, wide, {90, 90, true, false, 50, 100}, {50, 55, 100, 90});
    row("static width 0", square, wide, {90, 90, true, false, 50, 0}, {});
    row("static height", square, wide, {90, 90, false, true, 100, 50}, {10, 50, 180, 100});
    row("both static", square, wide, {90, 90, true, true, 100, 50}, {0, 55, 200, 90});
  }
  void sizeRulesKeepTheProportions() {
    QFETCH(QSize, control);
    QFETCH(QSize, picture);
    QFETCH(ProportionalRules, rules);
    QFETCH(QRect, box);
    const QRect got = ProportionalBox(control, picture, rules);
    if (box.isNull())
      QVERIFY(got.isNull());
    else
      QCOMPARE(got, box);
  }
  void pictureIsComposedOnTheCanvas() {
    Shown shown;
    shown.picture->SetImage(Solid(400, 200, kRed));
    const QImage& canvas = shown.picture->Canvas();
    // clang-format off
    QCOMPARE(Mismatches(canvas, {{10, 55, kRed}, {189, 144, kRed}, {9, 55, kBlack},
                                 {190, 100, kBlack}, {100, 54, kBlack}, {100, 145, kBlack}}),
             QString());
    // clang-format on
    QVERIFY(!shown.picture->NewImage());
    // What the screen shows is the canvas.
    QCOMPARE(shown.picture->grab().toImage().convertToFormat(QImage::Format_RGB32), canvas);
    shown.picture->SetSx(std::numeric_limits<int>::max());  // far larger than the control
    shown.picture->SetSy(std::numeric_limits<int>::max());
    QCOMPARE(Mismatches(shown.picture->Canvas(), {{0, 0, kRed}, {199, 199, kRed}}), QString());
    shown.picture->SetImage(QImage(0, 5, QImage::Format_RGB32));  // no pixels: background only
    QCOMPARE(shown.picture->Canvas().pixel(100, 100), kBlack);
  }
  void captionBoxSitsAtTheBottomCentre() {
    Shown shown;
    TFont font;
    font.Font = QFont(QStringLiteral("DejaVu Sans"));
    font.Font.setPixelSize(12);
    shown.picture->SetFont(font);
    shown.picture->SetText(QStringLiteral("Coupe"));
    const QImage& canvas = shown.picture->Canvas();
    const int tw = QFontMetrics(font.Font).horizontalAdvance(QStringLiteral("Coupe")) + 4;
    const int th = 12 + 4;
    const int x1 = (200 - tw) / 2;
    // The frame's edges, the white box, and the black fill outside it.
    // clang-format off
    QCOMPARE(Mismatches(canvas, {{x1, 199 - th / 2, kBlack}, {x1 + 1, 200 - th + 1, kWhite},
                                 {100, 199, kBlack}, {100, 200 - th, kBlack}, {x1 - 1, 195, kBlack},
                                 {x1 + 1, 199 - th, kBlack}}),
             QString());
    // clang-format on
    // Dark glyph pixels inside the white box.
    QVERIFY(CountPixels(canvas, QRect(QPoint(x1 + 2, 200 - th + 2), QPoint(197 - x1, 197)),
                        [](QRgb c) { return qRed(c) < 128; }) > 10);
    // Over a clear background brush the box is still white, covering the picture.
    shown.picture->Background().SetBrush(Qt::NoBrush);
    shown.picture->SetSx(100);
    shown.picture->SetSy(100);
    shown.picture->SetImage(Solid(10, 10, kRed));
    QCOMPARE(
        Mismatches(shown.picture->Canvas(),
                   {{100, 100, kRed}, {x1 + 1, 200 - th + 1, kWhite}, {x1, 199 - th / 2, kBlack}}),
        QString());
  }
  void rasterOperationsFollowTheirTruthTables() {
    // Pattern F0, source CC, destination AA: each operation's code is its result.
    const QList<std::pair<TRasterOperation, int>> codes = {
        {TRasterOperation::roBLACKNESS, 0x00},  {TRasterOperation::roDSTINVERT, 0x55},
        {TRasterOperation::roMERGECOPY, 0xC0},  {TRasterOperation::roMERGEPAINT, 0xBB},
        {TRasterOperation::roNOTSRCCOPY, 0x33}, {TRasterOperation::roNOTSRCERASE, 0x11},
        {TRasterOperation::roPATCOPY, 0xF0},    {TRasterOperation::roPATINVERT, 0x5A},
        {TRasterOperation::roPATPAINT, 0xFB},   {TRasterOperation::roSRCAND, 0x88},
        {TRasterOperation::roSRCCOPY, 0xCC},    {TRasterOperation::roSRCERASE, 0x44},
        {TRasterOperation::roSRCINVERT, 0x66},  {TRasterOperation::roSRCPAINT, 0xEE},
        {TRasterOperation::roWHITENESS, 0xFF},  {static_cast<TRasterOperation>(15), 0x88}};
    for (const auto& [op, code] : codes)  // red and blue carry the code; green is not looked at
      QCOMPARE(
          ApplyRasterOperation(op, qRgb(0xCC, 0, 0xCC), qRgb(0xAA, 0, 0xAA), qRgb(0xF0, 0, 0xF0)) &
              0xFFFF00FFu,
          qRgb(code, 0, code));
  }
  void rasterOperationAppliesUnlessATransitionRuns() {
    Shown shown;
    TProportionalImage& picture = *shown.picture;
    picture.SetRasterOperation(TRasterOperation::roNOTSRCCOPY);
    picture.SetEffects(true);
    picture.SetEffect(EffectStyle::esExplode);
    picture.SetEffectSize(5);
    picture.SetImage(Solid(400, 200, kRed));  // new: the transition copies plainly
    QCOMPARE(Mismatches(picture.Canvas(), {{100, 100, kRed}, {100, 5, kBlack}}), QString());
    picture.SetSx(80);  // not new: inverted
    QCOMPARE(Mismatches(picture.Canvas(), {{100, 100, 0xFF00FFFF}, {100, 5, kWhite}}), QString());
    picture.SetText(QStringLiteral("Berline"));  // a new text replays the transition
    QCOMPARE(picture.Canvas().pixel(100, 100), kRed);
    picture.SetNewImage(true);
    picture.SetEffects(false);  // this paint treats the picture as new, but no transition
    QCOMPARE(picture.Canvas().pixel(100, 100), 0xFF00FFFF);
    // Destination-dependent operations combine with what the canvas shows.
    picture.SetRasterOperation(TRasterOperation::roDSTINVERT);
    QCOMPARE(picture.Canvas().pixel(100, 100), 0xFFFF0000);
    // The pattern is the background brush.
    picture.Background().SetBrush(QColor(kBlue));
    picture.SetRasterOperation(TRasterOperation::roPATCOPY);
    QCOMPARE(picture.Canvas().pixel(5, 5), kBlue);
  }
  void paletteDisplaysGetPaletteColours() {
    const fixture::ProcessFactsRestorer restorer;
    Shown shown;
    QImage odd = Solid(4, 4, qRgb(250, 12, 8));
    Process().displayDepthOverride = 4;
    shown.picture->SetImage(odd);
    QCOMPARE(shown.picture->Canvas().pixel(100, 100), kRed);
    Process().displayDepthOverride = 32;
    shown.picture->SetImage(odd);
    QCOMPARE(shown.picture->Canvas().pixel(100, 100), qRgb(250, 12, 8));
  }
  // A paced transition leaves the event loop running: a click in the middle of one is handled
  // while it still runs, and the picture ends complete.
  void clickDuringATransitionIsHandledAtOnce() {
    Shown shown;
    SetInstantTransitions(&shown.form, false);
    TProportionalImage& picture = *shown.picture;
    picture.SetEffects(true);
    picture.SetEffect(EffectStyle::esExplode);
    picture.SetEffectSize(5);
    bool runningAtClick = false;
    picture.OnClick = [&](QObject*) { runningAtClick = picture.TransitionRunning(); };
    picture.SetImage(Solid(200, 200, kRed));
    QVERIFY(picture.Canvas().pixel(11, 11) != kRed);  // the corner comes last
    QTest::mouseClick(&picture, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(runningAtClick);
    QTRY_VERIFY_WITH_TIMEOUT(!picture.TransitionRunning(), 20000);
    QCOMPARE(picture.Canvas().pixel(11, 11), kRed);
  }
  // Instant transitions are a setting of a window: its pictures, and those of the windows it
  // parents without a setting of their own, finish at once; other windows' pictures are paced.
  void instantTransitionsBelongToTheirWindow() {
    Shown instant;
    Shown paced;
    SetInstantTransitions(&paced.form, false);
    QWidget dialog(&instant.form, Qt::Window);
    auto* inner = new TProportionalImage(&dialog);
    inner->resize(200, 200);
    QVERIFY(ShowForm(dialog, QSize(220, 220)));
    QList<bool> running;
    for (TProportionalImage* picture : {instant.picture, paced.picture, inner}) {
      picture->SetEffects(true);
      picture->SetImage(Solid(200, 200, kRed));
      running << picture->TransitionRunning();
    }
    QCOMPARE(running, (QList<bool>{false, true, false}));
  }
  void paintsOnlyOnRealChanges() {
    Shown shown;
    TProportionalImage& picture = *shown.picture;
    PaintCounter counter;
    picture.installEventFilter(&counter);
    // Same values and hidden settings paint nothing; a real change paints at once, synchronously.
    // clang-format off
    const std::function<void()> changes[] = {
        [&] { picture.SetSx(90); }, [&] { picture.SetEffectSize(1); },
        [&] { picture.SetRasterOperation(TRasterOperation::roSRCCOPY); },
        [&] { picture.SetText(QString()); }, [&] { picture.Background().SetBrush(Qt::black); },
        [&] { picture.SetNewImage(true); }, [&] { picture.SetSy(95); },
        [&] { picture.SetImage(Solid(4, 4, kRed)); },
        [&] { picture.Background().SetImageDrawStyle(TImageDrawStyle::idsCenter); },
        [&] { picture.Background().SetImage(Solid(4, 4, kBlue)); }};
    // clang-format on
    QList<int> paints;
    for (const auto& change : changes) paints << counter.After(change);
    QCOMPARE(paints, (QList<int>{0, 0, 0, 0, 0, 0, 1, 1, 1, 0}));
    // A picture that changed while hidden shows at once, with no transition from the old one.
    picture.SetEffects(true);
    SetInstantTransitions(&shown.form, false);
    picture.hide();
    picture.SetImage(Solid(4, 4, kBlue));
    picture.show();
    const QImage shownNow = picture.grab().toImage();
    QVERIFY(!picture.TransitionRunning());
    QCOMPARE(shownNow.pixel(100, 100), kBlue);
  }
};

QTEST_MAIN(TestProportionalImage)
#include "TestProportionalImage.moc"
