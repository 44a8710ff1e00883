// gallery: every multimedia control with its variants in one window; with --screenshot FILE
// it renders the window off screen into FILE (PNG) and exits.
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/ProportionalImage.h"
#include "controls/Ticker.h"
#include "controls/Transitions.h"
#include "process/ProcessFacts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <cstdio>

using namespace orlaventis;

namespace {

const QColor kWindow(0x1d, 0x22, 0x27);
const QColor kInk(0xd8, 0xdd, 0xe2);

// A side view of a two-door saloon on a road, in `paint`, as the sample photograph.
QImage CarPicture(int w, int h, QColor paint) {
  QImage image(w, h, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(0x7f, 0xb2, 0xe0));
  sky.setColorAt(0.62, QColor(0xe8, 0xd9, 0xb8));
  sky.setColorAt(0.63, QColor(0x5a, 0x5e, 0x63));
  sky.setColorAt(1, QColor(0x35, 0x38, 0x3c));
  p.fillRect(image.rect(), sky);
  p.scale(w / 400.0, h / 200.0);
  QPainterPath body;
  body.moveTo(40, 150);
  body.cubicTo(38, 125, 60, 112, 110, 108);
  body.cubicTo(140, 78, 175, 66, 225, 66);
  body.cubicTo(270, 66, 295, 88, 315, 106);
  body.cubicTo(350, 110, 368, 120, 365, 150);
  body.closeSubpath();
  QLinearGradient shine(0, 66, 0, 150);
  shine.setColorAt(0, paint.lighter(150));
  shine.setColorAt(0.5, paint);
  shine.setColorAt(1, paint.darker(170));
  p.setPen(QPen(paint.darker(250), 2));
  p.setBrush(shine);
  p.drawPath(body);
  QPainterPath glass;
  glass.moveTo(128, 108);
  glass.cubicTo(150, 85, 178, 76, 222, 76);
  glass.cubicTo(260, 76, 282, 92, 296, 107);
  glass.closeSubpath();
  p.setBrush(QColor(0x2b, 0x3a, 0x4a));
  p.setPen(QPen(QColor(0xc0, 0xc4, 0xc8), 2));
  p.drawPath(glass);
  p.drawLine(QPointF(215, 76), QPointF(212, 107));
  p.setPen(QPen(QColor(0xe0, 0xe0, 0xe0), 3));
  p.drawLine(QPointF(48, 132), QPointF(358, 132));
  for (int x : {110, 300}) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x18, 0x18, 0x18));
    p.drawEllipse(QPointF(x, 150), 27, 27);
    p.setBrush(QColor(0xb8, 0xbc, 0xc0));
    p.drawEllipse(QPointF(x, 150), 14, 14);
  }
  return image;
}

// A seat seen from the front, upright, as the sample upholstery photograph.
QImage SeatPicture(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), QColor(0xe9, 0xe4, 0xda));
  p.scale(w / 100.0, h / 200.0);
  const QColor leather(0x8c, 0x3b, 0x2a);
  p.setPen(QPen(leather.darker(180), 1.5));
  p.setBrush(leather);
  p.drawRoundedRect(QRectF(30, 12, 40, 28), 10, 10);   // head rest
  p.drawRoundedRect(QRectF(18, 44, 64, 100), 14, 14);  // back
  p.drawRoundedRect(QRectF(12, 140, 76, 34), 10, 10);  // cushion
  p.setPen(QPen(leather.darker(140), 1));
  for (int x : {34, 50, 66}) p.drawLine(x, 52, x, 136);
  return image;
}

// A small repeating tile for the backgrounds.
QImage Tile() {
  QImage image(24, 16, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(image.rect(), QColor(0x2f, 0x4f, 0x6f));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf0, 0xb4, 0x3c));
  p.drawEllipse(QRectF(3, 3, 10, 10));
  p.setBrush(QColor(0x6f, 0x9f, 0xcf));
  p.drawRect(QRectF(15, 9, 7, 5));
  return image;
}

// A 32 x 32 arrow glyph for the picture navigation buttons.
QImage ArrowGlyph(QColor colour, bool pointsLeft) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour.darker(200), 1.5));
  p.setBrush(colour);
  QPolygonF arrow({{24, 6}, {24, 26}, {8, 16}});
  if (!pointsLeft) arrow = QTransform(-1, 0, 0, 1, 32, 0).map(arrow);
  p.drawPolygon(arrow);
  return image;
}

// The button bitmap of a menu button: a rounded plate with a light edge.
QImage MenuPlate(QColor top, QColor bottom) {
  QImage image(80, 25, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, 0, 25);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(QColor(0xf0, 0xf0, 0xf0, 160), 1));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(0.5, 0.5, 79, 24), 7, 7);
  return image;
}

TFont Arial(int pixels, QColor colour, bool bold = false) {
  TFont font;
  font.Font = QFont(QStringLiteral("Arial"));
  font.Font.setPixelSize(pixels);
  font.Font.setBold(bold);
  font.Color = colour;
  return font;
}

// A control with its caption under it.
QWidget* Cell(QWidget* control, const QString& caption) {
  auto* cell = new QWidget;
  auto* column = new QVBoxLayout(cell);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  control->setFixedSize(control->size());
  column->addWidget(control, 0, Qt::AlignHCenter);
  auto* label = new QLabel(caption);
  label->setAlignment(Qt::AlignHCenter);
  label->setStyleSheet(QStringLiteral("color: #9aa3ad; font-size: 11px;"));
  column->addWidget(label);
  return cell;
}

// A titled row of cells.
QWidget* Row(const QString& title, const QList<QWidget*>& cells) {
  auto* row = new QWidget;
  auto* column = new QVBoxLayout(row);
  column->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QLabel(title);
  heading->setStyleSheet(QStringLiteral("color: #e8c36a; font-size: 14px; font-weight: bold;"));
  column->addWidget(heading);
  auto* line = new QHBoxLayout;
  line->setSpacing(18);
  for (QWidget* cell : cells) line->addWidget(cell, 0, Qt::AlignTop);
  line->addStretch();
  column->addLayout(line);
  return row;
}

TBaseBtn* FaceButton(const QString& caption) {
  auto* button = new TBaseBtn;
  button->resize(120, 40);
  button->SetBrush(QColor(0xd9, 0xdc, 0xe0));
  button->SetPen(QColor(0x50, 0x55, 0x5a));
  button->SetFaceXOffset(0.04);
  button->SetFaceYOffset(0.1);
  button->SetFaceWidth(0.88);
  button->SetFaceHeight(0.72);
  button->SetCaptionXRound(14);
  button->SetCaptionYRound(14);
  button->SetShadowColor(QColor(0x0b, 0x0d, 0x10));
  button->SetShadowXOffset(0.03);
  button->SetShadowYOffset(0.1);
  button->SetFont(Arial(13, QColor(0x1d, 0x22, 0x27), true));
  button->SetCaption(caption);
  button->SetCaptionXOffset(0.5 -
                            QFontMetrics(button->Font().Font).horizontalAdvance(caption) / 240.0);
  button->SetCaptionYOffset(0.22);
  return button;
}

TBaseBtn* MenuButton(const QString& caption) {
  auto* button = new TBaseBtn;
  button->resize(100, 32);
  button->SetFaceVisible(false);
  button->SetPen(QPen(QColor(0xc0, 0xc0, 0xc0)));
  button->SetGlyphUp(MenuPlate(QColor(0x9a, 0xa4, 0xae), QColor(0x4a, 0x52, 0x5a)));
  button->SetGlyphDown(MenuPlate(QColor(0xe8, 0xc3, 0x6a), QColor(0x9a, 0x70, 0x20)));
  button->SetGlyphStretched(true);
  button->SetGlyphXOffset(0.025);
  button->SetGlyphYOffset(0.1);
  button->SetGlyphWidth(0.95);
  button->SetGlyphHeight(0.75);
  button->SetShadowXOffset(0.03);
  button->SetShadowYOffset(0.08);
  button->SetFont(Arial(13, Qt::black));
  button->SetCaptionPenVisible(true);
  button->SetCaptionPenColor(QColor(0xc0, 0xc0, 0xc0));
  button->SetCaption(caption);
  button->SetCaptionXOffset(0.1);
  button->SetCaptionYOffset(0.2);
  return button;
}

TBaseBtn* NavButton(bool left) {
  auto* button = new TBaseBtn;
  button->resize(40, 40);
  button->SetFaceVisible(false);
  button->SetGlyphCentered(true);
  button->SetGlyphUp(ArrowGlyph(QColor(0x6f, 0x9f, 0xcf), left));
  button->SetGlyphDown(ArrowGlyph(QColor(0xe8, 0xc3, 0x6a), left));
  button->SetGlyphDisabled(ArrowGlyph(QColor(0x60, 0x66, 0x6c), left));
  button->SetShadowXOffset(0.05);
  button->SetShadowYOffset(0.05);
  return button;
}

QWidget* ButtonsRow() {
  auto* down = FaceButton(QStringLiteral("Down"));
  down->SetButtonIsDown(true);
  auto* disabled = FaceButton(QStringLiteral("Disabled"));
  disabled->setEnabled(false);
  auto* hot = MenuButton(QStringLiteral("Catalog"));
  hot->SetButtonIsHot(true);
  auto* current = MenuButton(QStringLiteral("Colours"));
  current->SetButtonIsDown(true);
  auto* navDisabled = NavButton(true);
  navDisabled->setEnabled(false);
  auto* navDown = NavButton(false);
  navDown->SetButtonIsDown(true);
  auto* frameless = new TBaseBtn;
  frameless->resize(100, 32);
  frameless->SetFaceVisible(false);
  frameless->SetFont(Arial(13, kInk));
  frameless->SetCaption(QStringLiteral("Sunken"));
  frameless->SetCaptionXOffset(0.2);
  frameless->SetCaptionYOffset(0.2);
  frameless->SetButtonIsDown(true);
  return Row(
      QStringLiteral("TBaseBtn"),
      {Cell(FaceButton(QStringLiteral("Ok")), QStringLiteral("face, up")),
       Cell(down, QStringLiteral("face, down")), Cell(disabled, QStringLiteral("disabled")),
       Cell(MenuButton(QStringLiteral("Production")), QStringLiteral("menu, up")),
       Cell(hot, QStringLiteral("menu, hot frame")), Cell(current, QStringLiteral("menu, down")),
       Cell(frameless, QStringLiteral("sunken frame")), Cell(NavButton(true), QStringLiteral("up")),
       Cell(navDown, QStringLiteral("down")), Cell(navDisabled, QStringLiteral("disabled"))});
}

QWidget* BackgroundsRow() {
  QList<QWidget*> cells;
  const QList<std::pair<TImageDrawStyle, QString>> styles = {
      {TImageDrawStyle::idsAlongside, QStringLiteral("idsAlongside")},
      {TImageDrawStyle::idsCenter, QStringLiteral("idsCenter")},
      {TImageDrawStyle::idsHide, QStringLiteral("idsHide")},
      {TImageDrawStyle::idsStretch, QStringLiteral("idsStretch")},
      {TImageDrawStyle::idsTopLeft, QStringLiteral("idsTopLeft")}};
  for (const auto& [style, name] : styles) {
    auto* bk = new TBkControl;
    bk->resize(150, 96);
    bk->Background().SetBrush(style == TImageDrawStyle::idsHide ? QBrush(QColor(0x2f, 0x4f, 0x6f))
                                                                : QBrush(Qt::NoBrush));
    bk->Background().SetPen(QColor(0xe8, 0xc3, 0x6a));
    bk->Background().SetImage(style == TImageDrawStyle::idsCenter
                                  ? CarPicture(200, 100, QColor(0x2e, 0x7d, 0x4f))
                                  : Tile());
    bk->Background().SetImageDrawStyle(style);
    cells << Cell(bk, name);
  }
  return Row(QStringLiteral("TBkControl"), cells);
}

TProportionalImage* Picture(const QImage& image, int w, int h) {
  auto* picture = new TProportionalImage;
  picture->resize(w, h);
  picture->Background().SetBrush(Qt::black);
  picture->Background().SetPen(QColor(0x50, 0x55, 0x5a));
  picture->SetFont(Arial(12, Qt::black));
  picture->SetImage(image);
  return picture;
}

// The destination of a transition part-way through: the first `fraction` of the block copies.
QLabel* TransitionSnapshot(const QImage& image, EffectStyle style, double fraction) {
  const BlockGrid grid = MakeBlockGrid(image.size(), 8);
  const auto blocks = BlockSequence(grid, 1, style, 1);
  QImage shown(image.size(), QImage::Format_RGB32);
  shown.fill(Qt::black);
  QPainter p(&shown);
  const auto count = static_cast<size_t>(blocks.size() * fraction);
  for (size_t n = 0; n < count; ++n) CopyBlock(p, image, grid, blocks[n]);
  p.end();
  auto* label = new QLabel;
  label->setPixmap(QPixmap::fromImage(shown));
  label->resize(image.size());
  return label;
}

QWidget* PicturesRow() {
  const QImage car = CarPicture(400, 200, QColor(0xa3, 0x1f, 0x24));
  auto* captioned = Picture(car, 170, 120);
  captioned->SetText(QStringLiteral("Coupe 1961"));
  auto* distorted = Picture(car, 120, 120);
  distorted->SetSxIsStatic(true);
  distorted->SetStaticSx(95);
  distorted->SetStaticSy(100);
  auto* inverted = Picture(car, 170, 120);
  inverted->SetRasterOperation(TRasterOperation::roNOTSRCCOPY);
  auto* tiled = Picture(SeatPicture(100, 200), 120, 120);
  tiled->Background().SetBrush(Qt::NoBrush);
  tiled->Background().SetImage(Tile());
  tiled->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
  tiled->Changed();
  const QImage small = CarPicture(120, 90, QColor(0x2e, 0x5d, 0x9d));
  return Row(
      QStringLiteral("TProportionalImage and transitions"),
      {Cell(Picture(car, 170, 120), QStringLiteral("landscape, Sx = Sy = 90")),
       Cell(Picture(SeatPicture(100, 200), 120, 120), QStringLiteral("portrait")),
       Cell(tiled, QStringLiteral("tiled background")),
       Cell(captioned, QStringLiteral("caption box")),
       Cell(distorted, QStringLiteral("SxIsStatic")),
       Cell(inverted, QStringLiteral("roNOTSRCCOPY")),
       Cell(TransitionSnapshot(small, EffectStyle::esRandom, 0.5),
            QStringLiteral("esRandom, half")),
       Cell(TransitionSnapshot(small, EffectStyle::esExplode, 0.4), QStringLiteral("esExplode")),
       Cell(TransitionSnapshot(small, EffectStyle::esImplode, 0.6), QStringLiteral("esImplode"))});
}

TTicker* Ticker(TTickerStyle style, QSize size, const QStringList& items) {
  auto* ticker = new TTicker;
  ticker->resize(size);
  ticker->SetBrush(QColor(0x0e, 0x1a, 0x2b));
  ticker->SetPen(QColor(0x6f, 0x9f, 0xcf));
  ticker->SetMajorFont(Arial(18, QColor(0xf4, 0xf1, 0xe8), true));
  ticker->SetMinorFont(Arial(13, QColor(0xe8, 0xc3, 0x6a)));
  ticker->SetStyle(style);
  ticker->SetItems(items);
  return ticker;
}

QWidget* TickersRow(QList<TTicker*>& tickers) {
  const QStringList news = {QStringLiteral("Orlaventis 1961|new coupe"),
                            QStringLiteral("Twin carburettors|82 hp"),
                            QStringLiteral("Five colours, three fabrics|")};
  auto* tape = Ticker(TTickerStyle::tsTape, QSize(430, 44), news);
  tape->SetRelativeSubPos(true);
  tape->SetItemSpacing(8);
  tape->SetSpacing(30);
  tape->SetMajorOffset(0.2);
  tape->SetMinorOffset(0.3);
  tape->SetTapeJumper(40);
  tape->SetTapePosition(200);
  auto* stacked = Ticker(TTickerStyle::tsTape, QSize(300, 44), news);
  stacked->SetMinorOffset(0.5);
  stacked->SetSpacing(24);
  stacked->SetTapeJumper(10);
  stacked->SetTapePosition(20);
  auto* credits =
      Ticker(TTickerStyle::tsCredit, QSize(220, 110),
             {QStringLiteral("Design|Studio Lamberti"), QStringLiteral("Engine|Works Ferrand"),
              QStringLiteral("Coachwork|Carrosserie Vell")});
  credits->SetMajorOffset(0.06);
  credits->SetMinorOffset(0.12);
  credits->SetSpacing(8);
  credits->SetTapeJumper(10);
  credits->SetTapePosition(40);
  auto* flash =
      Ticker(TTickerStyle::tsFlash, QSize(200, 44),
             {QStringLiteral("Dutch"), QStringLiteral("Fran\u00e7ais"), QStringLiteral("English")});
  flash->SetTapePosition(12);
  flash->SetMajorOffset(0.2);
  tickers = {tape, stacked, credits, flash};
  return Row(QStringLiteral("TTicker"),
             {Cell(tape, QStringLiteral("tsTape, RelativeSubPos")),
              Cell(stacked, QStringLiteral("tsTape, minor under major")),
              Cell(credits, QStringLiteral("tsCredit")), Cell(flash, QStringLiteral("tsFlash"))});
}

}  // namespace

int main(int argc, char** argv) {
  bool screenshot = false;
  for (int i = 1; i < argc; ++i) screenshot = screenshot || qstrcmp(argv[i], "--screenshot") == 0;
  if (screenshot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Shows every multimedia control of Orlaventis."));
  parser.addHelpOption();
  const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                      QStringLiteral("Render the window into FILE (PNG) and exit."),
                                      QStringLiteral("FILE"));
  const QCommandLineOption depthOption(
      QStringLiteral("depth"), QStringLiteral("Pretend a display depth."), QStringLiteral("N"));
  parser.addOption(shotOption);
  parser.addOption(depthOption);
  parser.process(app);
  if (parser.isSet(depthOption)) Process().displayDepthOverride = parser.value(depthOption).toInt();

  QWidget window;
  if (screenshot) SetInstantTransitions(&window, true);
  window.setWindowTitle(QStringLiteral("Orlaventis controls"));
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, kWindow);
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  SetControlCursor(&window, kCursorHandNoFingers);
  auto* column = new QVBoxLayout(&window);
  column->setContentsMargins(20, 16, 20, 16);
  column->setSpacing(18);
  QList<TTicker*> tickers;
  column->addWidget(ButtonsRow());
  column->addWidget(BackgroundsRow());
  column->addWidget(PicturesRow());
  column->addWidget(TickersRow(tickers));
  column->addStretch();
  window.show();
  // The first beats bring the tapes into view.
  for (TTicker* ticker : tickers) {
    ticker->Tick();
    ticker->Tick();
  }
  if (screenshot) {
    QCoreApplication::processEvents();
    const QString file = parser.value(shotOption);
    if (!window.grab().save(file, "PNG")) {
      std::fprintf(stderr, "gallery: cannot write %s\n", qPrintable(file));
      return 1;
    }
    return 0;
  }
  for (TTicker* ticker : tickers) {
    ticker->SetTapeSpeed(ticker->Style() == TTickerStyle::tsFlash ? 900 : 60);
    ticker->SetPlay(true);
  }
  return app.exec();
}
