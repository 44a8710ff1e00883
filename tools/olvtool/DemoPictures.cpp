// Paints the pictures of the demo reference work: slides, catalogue photos, car and seat views,
// backgrounds.
#include "DemoPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>

namespace olvtool {

namespace {

// Deterministic noise so that the same recipe always gives the same picture.
class Dice {
 public:
  explicit Dice(uint32_t seed) : gen_(seed ? seed : 1) {}
  double Real(double lo, double hi) { return lo + (hi - lo) * gen_.generateDouble(); }
  int Int(int lo, int hiInclusive) {
    return lo + int(gen_.bounded(uint32_t(hiInclusive - lo + 1)));
  }

 private:
  QRandomGenerator gen_;
};

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                          float(a.greenF() + (b.greenF() - a.greenF()) * t),
                          float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QImage NewImage(QSize size) {
  if (size.width() < 16 || size.height() < 16) return {};
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

QLinearGradient Chrome(QPointF top, QPointF bottom) {
  QLinearGradient g(top, bottom);
  g.setColorAt(0.0, QColor(250, 250, 252));
  g.setColorAt(0.45, QColor(150, 155, 165));
  g.setColorAt(0.55, QColor(90, 92, 100));
  g.setColorAt(1.0, QColor(225, 228, 235));
  return g;
}

// ---------------------------------------------------------------- car from the side ----
// The car is drawn in a unit box 100 long and 36 high, facing right (front at x = 100).

bool HasHardTop(BodyKind body) { return body != BodyKind::Convertible; }

QPainterPath LowerBody(BodyKind body) {
  QPainterPath p;
  const bool finned = body != BodyKind::Estate;
  p.moveTo(1.5, 25.0);
  p.lineTo(1.0, 18.5);
  p.cubicTo(1.0, 16.0, 2.0, finned ? 13.2 : 14.2, 5.0, finned ? 13.0 : 14.0);
  p.lineTo(92.0, 14.2);
  p.cubicTo(97.0, 14.4, 99.5, 15.5, 99.6, 18.0);
  p.lineTo(99.4, 25.0);
  // Wheel arches as half circles cut into the bottom edge.
  p.lineTo(86.5, 25.0);
  p.arcTo(QRectF(69.5, 18.5, 17.0, 17.0), 0, 180);
  p.lineTo(29.0, 25.0);
  p.arcTo(QRectF(12.0, 18.5, 17.0, 17.0), 0, 180);
  p.closeSubpath();
  return p;
}

// The roof and pillars (outer line) and the glass inside it.
void Greenhouse(BodyKind body, QPainterPath* outer, QPainterPath* glass) {
  struct Shape {
    double rearBase, rearTop, roofEnd, frontBase, roofY;
  };
  Shape s{24, 33, 60, 71, 4.6};
  switch (body) {
    case BodyKind::Saloon2: s = {25, 34, 59, 71, 4.8}; break;
    case BodyKind::Saloon4: break;
    case BodyKind::Coupe:
    case BodyKind::CoupeGt: s = {22, 38, 58, 70, 6.2}; break;
    case BodyKind::Estate: s = {5, 6.5, 60, 71, 4.6}; break;
    case BodyKind::Convertible: s = {30, 30, 63, 70, 9.0}; break;
  }
  QPainterPath o;
  o.moveTo(s.rearBase, 14.0);
  o.cubicTo(s.rearTop - 3, 8.0, s.rearTop - 1, s.roofY, s.rearTop + 3, s.roofY);
  o.lineTo(s.roofEnd - 2, s.roofY - 0.2);
  o.cubicTo(s.roofEnd + 2, s.roofY, s.frontBase - 4, 10.0, s.frontBase, 14.0);
  o.closeSubpath();
  *outer = o;
  // Glass: the same shape shrunk, split by pillars afterwards.
  QPainterPath g;
  g.moveTo(s.rearBase + 2.5, 13.6);
  g.cubicTo(s.rearTop - 1.2, 8.5, s.rearTop, s.roofY + 1.0, s.rearTop + 3.5, s.roofY + 1.0);
  g.lineTo(s.roofEnd - 2.2, s.roofY + 0.9);
  g.cubicTo(s.roofEnd + 1.2, s.roofY + 1.0, s.frontBase - 5, 10.0, s.frontBase - 3, 13.6);
  g.closeSubpath();
  *glass = g;
}

void DrawWheel(QPainter& p, QPointF c, int year, bool sporty) {
  const double r = 7.0;
  QRadialGradient tyre(c, r);
  tyre.setColorAt(0.0, QColor(40, 40, 42));
  tyre.setColorAt(0.85, QColor(22, 22, 24));
  tyre.setColorAt(1.0, QColor(8, 8, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(tyre);
  p.drawEllipse(c, r, r);
  if (year <= 1962 && !sporty) {  // whitewall
    p.setBrush(QColor(232, 230, 222));
    p.drawEllipse(c, 5.6, 5.6);
    p.setBrush(QColor(28, 28, 30));
    p.drawEllipse(c, 4.5, 4.5);
  }
  QRadialGradient cap(c + QPointF(-1.2, -1.4), sporty ? 4.6 : 4.2);
  cap.setColorAt(0.0, QColor(255, 255, 255));
  cap.setColorAt(0.5, QColor(175, 180, 188));
  cap.setColorAt(1.0, QColor(80, 84, 92));
  p.setBrush(cap);
  p.drawEllipse(c, sporty ? 4.4 : 4.0, sporty ? 4.4 : 4.0);
  p.setPen(QPen(QColor(60, 62, 70), 0.25));
  const int spokes = sporty ? 12 : 6;
  for (int i = 0; i < spokes; ++i) {
    const double a = i * 2 * M_PI / spokes;
    p.drawLine(c + QPointF(std::cos(a) * 1.2, std::sin(a) * 1.2),
               c + QPointF(std::cos(a) * (sporty ? 4.2 : 3.6), std::sin(a) * (sporty ? 4.2 : 3.6)));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 40, 40));
  p.drawEllipse(c, 0.9, 0.9);
}

// Paints the car into `box` (any aspect; the car keeps its proportions and stands on the box's
// bottom). `mirror` makes it face left.
void DrawCarSide(QPainter& p, const QRectF& box, const CarLook& car, bool mirror,
                 const QColor& sky = QColor(190, 210, 230)) {
  p.save();
  const double scale = std::min(box.width() / 100.0, box.height() / 36.0);
  const double left = box.center().x() - 50.0 * scale;
  const double top = box.bottom() - 36.0 * scale;
  QTransform t;
  t.translate(left, top);
  t.scale(scale, scale);
  if (mirror) {
    t.translate(100, 0);
    t.scale(-1, 1);
  }
  p.setTransform(t, true);
  p.setRenderHint(QPainter::Antialiasing);

  // Shadow on the ground.
  QRadialGradient shadow(QPointF(50, 34.5), 52);
  shadow.setColorAt(0.0, QColor(0, 0, 0, 170));
  shadow.setColorAt(0.75, QColor(0, 0, 0, 90));
  shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
  p.save();
  p.translate(50, 34.5);
  p.scale(1.0, 0.08);
  p.translate(-50, -34.5);
  p.setPen(Qt::NoPen);
  p.setBrush(shadow);
  p.drawEllipse(QPointF(50, 34.5), 52, 52);
  p.restore();

  const QColor coach = car.coach;
  const QColor roof = car.roof.isValid() ? car.roof : car.coach;
  const bool sporty = car.body == BodyKind::CoupeGt || car.rallyNumber > 0;

  // Greenhouse first, so the body's beltline overlaps it.
  QPainterPath outer, glass;
  Greenhouse(car.body, &outer, &glass);
  if (HasHardTop(car.body)) {
    QLinearGradient rg(0, 3, 0, 14);
    rg.setColorAt(0.0, roof.lighter(150));
    rg.setColorAt(0.3, roof);
    rg.setColorAt(1.0, roof.darker(140));
    p.setPen(QPen(roof.darker(200), 0.2));
    p.setBrush(rg);
    p.drawPath(outer);
    QLinearGradient gg(0, 4, 0, 14);
    gg.setColorAt(0.0, sky.lighter(115));
    gg.setColorAt(0.55, Mix(sky, QColor(40, 50, 60), 0.55));
    gg.setColorAt(1.0, QColor(25, 30, 38));
    p.setBrush(gg);
    p.setPen(QPen(QColor(235, 235, 240), 0.35));  // chrome window frame
    p.drawPath(glass);
    // Pillars splitting the glass, within the roof line.
    p.save();
    p.setClipPath(outer, Qt::IntersectClip);
    p.setPen(QPen(roof.darker(110), 1.6));
    const double bPillar = car.body == BodyKind::Coupe || car.body == BodyKind::CoupeGt ? 52.0
                           : car.body == BodyKind::Saloon2                              ? 50.0
                                                                                        : 46.0;
    p.drawLine(QPointF(bPillar, 5.5), QPointF(bPillar + 0.6, 14.0));
    if (car.body == BodyKind::Estate) p.drawLine(QPointF(25, 5.5), QPointF(25.5, 14.0));
    p.restore();
    // Sky reflection streak.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.2));
    p.drawLine(QPointF(bPillar + 4, 6.5), QPointF(bPillar + 9, 12.5));
  } else {
    // Windscreen frame, folded hood and the seat backs of an open car.
    p.setPen(QPen(QColor(230, 232, 238), 0.5));
    p.setBrush(QColor(170, 190, 210, 120));
    QPainterPath ws;
    ws.moveTo(66, 14);
    ws.lineTo(63.5, 8.5);
    ws.lineTo(65, 8.3);
    ws.lineTo(70, 14);
    ws.closeSubpath();
    p.drawPath(ws);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 28, 28));
    p.drawRoundedRect(QRectF(12, 11.2, 16, 3.4), 1.6, 1.6);
    p.setBrush(QColor(60, 40, 32));
    p.drawRoundedRect(QRectF(36, 10.5, 3.2, 4.0), 1, 1);
    p.drawRoundedRect(QRectF(52, 10.5, 3.2, 4.0), 1, 1);
  }

  // Body with its paint shading: light from above, dark towards the sill.
  const QPainterPath body = LowerBody(car.body);
  QLinearGradient bg(0, 13, 0, 26);
  bg.setColorAt(0.0, coach.lighter(car.metallic ? 175 : 160));
  bg.setColorAt(0.12, coach.lighter(120));
  bg.setColorAt(0.45, coach);
  bg.setColorAt(0.8, coach.darker(150));
  bg.setColorAt(1.0, coach.darker(260));
  p.setPen(QPen(coach.darker(250), 0.25));
  p.setBrush(bg);
  p.drawPath(body);
  if (car.metallic) {  // fine flake sparkle
    Dice d(uint32_t(coach.rgb()));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 160; ++i) {
      const QPointF pt(d.Real(3, 97), d.Real(14.5, 24));
      if (!body.contains(pt)) continue;
      p.setBrush(QColor(255, 255, 255, d.Int(20, 70)));
      p.drawEllipse(pt, 0.15, 0.15);
    }
  }
  // Gloss: the sky mirrored in the upper flank down to a sharp horizon, the dark ground below
  // it, and soft highlights where the wings turn towards the light.
  p.save();
  p.setClipPath(body, Qt::IntersectClip);
  QColor skyHigh = sky.lighter(125), skyLow = sky;
  skyHigh.setAlpha(120);
  skyLow.setAlpha(40);
  QLinearGradient gloss(0, 13.5, 0, 25.0);
  gloss.setColorAt(0.0, skyHigh);
  gloss.setColorAt(0.41, skyLow);
  gloss.setColorAt(0.43, QColor(0, 0, 0, 80));
  gloss.setColorAt(0.62, QColor(0, 0, 0, 15));
  gloss.setColorAt(1.0, QColor(0, 0, 0, 70));
  p.fillRect(QRectF(-2, 12, 104, 14), gloss);
  p.setPen(Qt::NoPen);
  for (const double x : {83.0, 16.0, 50.0}) {
    QRadialGradient spot(QPointF(x, 15.6), 7.0);
    spot.setColorAt(0, QColor(255, 255, 255, x == 50.0 ? 70 : 150));
    spot.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.translate(x, 15.6);
    p.scale(1.0, 0.22);
    p.translate(-x, -15.6);
    p.setBrush(spot);
    p.drawEllipse(QPointF(x, 15.6), 7.0, 7.0);
    p.restore();
  }
  p.restore();
  // Highlight along the shoulder.
  p.setPen(QPen(QColor(255, 255, 255, 110), 0.45));
  p.drawLine(QPointF(8, 15.2), QPointF(90, 15.4));
  // Two-tone sweep on the flank for roofs of another colour (a period touch).
  if (car.roof.isValid() && car.roof != car.coach && car.body != BodyKind::Convertible) {
    QPainterPath sweep;
    sweep.moveTo(8, 17.2);
    sweep.cubicTo(30, 16.6, 60, 16.8, 88, 18.2);
    sweep.lineTo(88, 18.9);
    sweep.cubicTo(60, 17.7, 30, 17.5, 8, 18.1);
    sweep.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(roof);
    p.drawPath(sweep);
  }
  // Door seams and handles.
  p.setPen(QPen(coach.darker(220), 0.25));
  const bool fourDoors = car.body == BodyKind::Saloon4 || car.body == BodyKind::Estate;
  const double frontDoor = car.body == BodyKind::Saloon4 || car.body == BodyKind::Estate ? 46.5
                                                                                         : 38.0;
  p.drawLine(QPointF(frontDoor, 14.4), QPointF(frontDoor + 0.4, 24.0));
  p.drawLine(QPointF(68.5, 14.4), QPointF(68.0, 24.0));
  if (fourDoors) p.drawLine(QPointF(29.5, 14.4), QPointF(30.5, 23.5));
  p.setPen(QPen(QColor(235, 236, 240), 0.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(frontDoor + 2.0, 16.3), QPointF(frontDoor + 4.0, 16.3));
  if (fourDoors) p.drawLine(QPointF(32.0, 16.3), QPointF(34.0, 16.3));
  // Chrome side strip.
  p.setPen(QPen(QBrush(Chrome(QPointF(0, 19.6), QPointF(0, 20.4))), 0.5));
  p.drawLine(QPointF(6, 20.0), QPointF(93, 19.6));
  // Lamps.
  QRadialGradient head(QPointF(98.6, 17.2), 1.8);
  head.setColorAt(0.0, QColor(255, 255, 240));
  head.setColorAt(0.7, QColor(210, 215, 220));
  head.setColorAt(1.0, QColor(120, 125, 135));
  p.setPen(QPen(QColor(240, 240, 245), 0.3));
  p.setBrush(head);
  p.drawEllipse(QRectF(97.7, 15.6, 1.9, 3.2));
  p.setBrush(QColor(190, 20, 25));
  p.drawRoundedRect(QRectF(0.9, 15.4, 1.4, 3.6), 0.5, 0.5);
  // Bumpers.
  p.setPen(Qt::NoPen);
  p.setBrush(Chrome(QPointF(0, 22.2), QPointF(0, 24.8)));
  p.drawRoundedRect(QRectF(88.0, 22.2, 12.6, 2.6), 1.2, 1.2);
  p.drawRoundedRect(QRectF(-0.6, 22.2, 11.0, 2.6), 1.2, 1.2);
  // Wheels, and the dark of the wheel arches behind them.
  p.setBrush(QColor(12, 12, 14));
  p.drawEllipse(QPointF(78, 27), 8.0, 8.0);
  p.drawEllipse(QPointF(20.5, 27), 8.0, 8.0);
  DrawWheel(p, QPointF(78, 28), car.year, sporty);
  DrawWheel(p, QPointF(20.5, 28), car.year, sporty);
  // Rally dress: roundel with the start number and a pair of spot lamps.
  if (car.rallyNumber > 0) {
    p.setPen(QPen(Qt::black, 0.3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(57, 19), 3.3, 3.3);
    p.setPen(Qt::black);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(4);
    f.setBold(true);
    p.setFont(f);
    p.save();
    if (mirror) {  // keep the number readable on a car facing left
      p.translate(57, 19);
      p.scale(-1, 1);
      p.translate(-57, -19);
    }
    p.drawText(QRectF(53.7, 15.7, 6.6, 6.6), Qt::AlignCenter, QString::number(car.rallyNumber));
    p.restore();
    p.setBrush(QColor(255, 250, 210));
    p.setPen(QPen(QColor(40, 40, 40), 0.3));
    p.drawEllipse(QPointF(99.2, 21.0), 1.3, 1.3);
    // Mud along the sill.
    Dice d(uint32_t(car.rallyNumber * 7919));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 90; ++i) {
      p.setBrush(QColor(95, 72, 48, d.Int(60, 160)));
      p.drawEllipse(QPointF(d.Real(4, 96), d.Real(21.5, 25)), d.Real(0.2, 0.8), d.Real(0.2, 0.6));
    }
  }
  p.restore();
}

// ---------------------------------------------------------------- car from the front/rear ----
// Unit box 60 wide, 40 high.
void DrawCarEnd(QPainter& p, const QRectF& box, const CarLook& car, bool front) {
  p.save();
  const double scale = std::min(box.width() / 60.0, box.height() / 40.0);
  p.translate(box.center().x() - 30 * scale, box.bottom() - 40 * scale);
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor coach = car.coach;
  const QColor roof = car.roof.isValid() ? car.roof : coach;
  QRadialGradient shadow(QPointF(30, 38.5), 34);
  shadow.setColorAt(0, QColor(0, 0, 0, 170));
  shadow.setColorAt(1, QColor(0, 0, 0, 0));
  p.save();
  p.translate(30, 38.5);
  p.scale(1, 0.12);
  p.translate(-30, -38.5);
  p.setPen(Qt::NoPen);
  p.setBrush(shadow);
  p.drawEllipse(QPointF(30, 38.5), 34, 34);
  p.restore();
  // Tyres peeking out below.
  p.setBrush(QColor(18, 18, 20));
  p.drawRoundedRect(QRectF(6.5, 29, 7, 9.5), 1.5, 1.5);
  p.drawRoundedRect(QRectF(46.5, 29, 7, 9.5), 1.5, 1.5);
  // Cabin.
  if (HasHardTop(car.body)) {
    QPainterPath cabin;
    cabin.moveTo(12, 19);
    cabin.cubicTo(13, 12, 15, 8.5, 19, 8.0);
    cabin.lineTo(41, 8.0);
    cabin.cubicTo(45, 8.5, 47, 12, 48, 19);
    cabin.closeSubpath();
    QLinearGradient rg(0, 8, 0, 19);
    rg.setColorAt(0, roof.lighter(140));
    rg.setColorAt(1, roof.darker(130));
    p.setBrush(rg);
    p.drawPath(cabin);
    QPainterPath screen;
    screen.moveTo(14.2, 18.6);
    screen.cubicTo(15, 13, 16.5, 10, 19.5, 9.6);
    screen.lineTo(40.5, 9.6);
    screen.cubicTo(43.5, 10, 45, 13, 45.8, 18.6);
    screen.closeSubpath();
    QLinearGradient sg(0, 9.6, 0, 18.6);
    sg.setColorAt(0, QColor(200, 215, 230));
    sg.setColorAt(1, QColor(35, 42, 52));
    p.setPen(QPen(QColor(230, 232, 238), 0.35));
    p.setBrush(sg);
    p.drawPath(screen);
    p.setPen(QPen(QColor(255, 255, 255, 80), 1.0));
    p.drawLine(QPointF(22, 17), QPointF(27, 11));
  } else {
    p.setPen(QPen(QColor(230, 232, 238), 0.5));
    p.setBrush(QColor(170, 190, 210, 110));
    p.drawRoundedRect(QRectF(14, 13, 32, 6), 1.5, 1.5);
  }
  // Body.
  QPainterPath body;
  body.moveTo(3, 30);
  body.cubicTo(2.5, 24, 4, 19.5, 10, 18.8);
  body.lineTo(50, 18.8);
  body.cubicTo(56, 19.5, 57.5, 24, 57, 30);
  body.lineTo(57, 33.5);
  body.lineTo(3, 33.5);
  body.closeSubpath();
  QLinearGradient bg(0, 18.8, 0, 33.5);
  bg.setColorAt(0, coach.lighter(160));
  bg.setColorAt(0.2, coach.lighter(115));
  bg.setColorAt(0.6, coach);
  bg.setColorAt(1, coach.darker(220));
  p.setPen(QPen(coach.darker(250), 0.25));
  p.setBrush(bg);
  p.drawPath(body);
  p.setPen(Qt::NoPen);
  if (front) {
    // Grille with vertical chrome bars and round headlamps.
    p.setBrush(QColor(20, 20, 22));
    p.drawRoundedRect(QRectF(18, 23, 24, 6.5), 2, 2);
    p.setPen(QPen(QBrush(Chrome(QPointF(0, 23), QPointF(0, 29.5))), 0.7));
    const int bars = car.year >= 1969 ? 0 : 7;
    for (int i = 0; i < bars; ++i)
      p.drawLine(QPointF(20 + i * 3.3, 23.6), QPointF(20 + i * 3.3, 29));
    if (bars == 0)
      for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(19, 24.3 + i * 1.5), QPointF(41, 24.3 + i * 1.5));
    p.setPen(QPen(QColor(240, 240, 245), 0.5));
    for (double x : {9.5, 50.5}) {
      QRadialGradient lamp(QPointF(x - 0.6, 24.6), 3.2);
      lamp.setColorAt(0, Qt::white);
      lamp.setColorAt(0.6, QColor(220, 225, 230));
      lamp.setColorAt(1, QColor(120, 125, 135));
      p.setBrush(lamp);
      p.drawEllipse(QPointF(x, 25.2), 3.0, 3.0);
    }
    // Badge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 160, 60));
    p.drawEllipse(QPointF(30, 21.3), 1.3, 1.3);
  } else {
    for (double x : {6.5, 48.5}) {
      QLinearGradient lamp(0, 22, 0, 28);
      lamp.setColorAt(0, QColor(255, 80, 70));
      lamp.setColorAt(1, QColor(120, 10, 15));
      p.setBrush(lamp);
      p.setPen(QPen(QColor(235, 235, 240), 0.5));
      p.drawRoundedRect(QRectF(x, 22, 5, 6), 1.2, 1.2);
    }
    p.setPen(QPen(QColor(30, 30, 30), 0.3));
    p.setBrush(QColor(245, 245, 240));
    p.drawRect(QRectF(24, 26.5, 12, 3.2));
    p.setPen(QPen(QColor(180, 30, 30), 0.4));
    p.drawLine(QPointF(25.5, 28.1), QPointF(34.5, 28.1));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(Chrome(QPointF(0, 30.5), QPointF(0, 33.5)));
  p.drawRoundedRect(QRectF(1.5, 30.5, 57, 3.0), 1.4, 1.4);
  p.restore();
}

// ---------------------------------------------------------------- scenery ----
// Fills the picture with the backdrop and returns the y of the horizon / floor line and the sky
// colour (for window reflections).
struct Scenery {
  double ground = 0;
  QColor sky;
  double gloss = 0;  // how much the floor mirrors the car, 0 to 1
};

// The line a car drawn by DrawCarSide into `box` stands on (the bottom of its tyres).
double Contact(const QRectF& box) {
  return box.bottom() - std::min(box.width() / 100.0, box.height() / 36.0);
}

// The car mirrored in a glossy floor below `contact`, fading out over `depth` pixels from
// `strength` (0 to 1); `draw` paints the car as it stands.
void FloorReflection(QPainter& p, QSize size, double contact, double depth, double strength,
                     const std::function<void(QPainter&)>& draw) {
  if (strength <= 0) return;
  QImage layer(size, QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  QPainter lp(&layer);
  lp.translate(0, 2 * contact);
  lp.scale(1, -1);
  draw(lp);
  lp.resetTransform();
  lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
  QLinearGradient fade(0, contact, 0, contact + depth);
  fade.setColorAt(0, QColor(0, 0, 0, int(255 * strength)));
  fade.setColorAt(1, QColor(0, 0, 0, 0));
  lp.fillRect(layer.rect(), fade);
  lp.end();
  p.drawImage(0, 0, layer);
}

// Sunlight in the sky: a warm glow somewhere above the horizon.
void SunGlow(QPainter& p, QSize size, double ground, Dice& d) {
  const QPointF at(size.width() * d.Real(0.1, 0.9), ground * d.Real(0.1, 0.45));
  QRadialGradient g(at, size.width() * 0.45);
  g.setColorAt(0, QColor(255, 250, 225, 150));
  g.setColorAt(0.15, QColor(255, 240, 200, 70));
  g.setColorAt(1, QColor(255, 240, 200, 0));
  p.fillRect(QRectF(0, 0, size.width(), ground), g);
}

// Distance: the air lightens whatever lies close to the horizon.
void Haze(QPainter& p, QSize size, double ground, const QColor& sky) {
  QColor clear = sky.lighter(115), thick = clear;
  clear.setAlpha(0);
  thick.setAlpha(110);
  QLinearGradient g(0, ground - size.height() * 0.16, 0, ground);
  g.setColorAt(0, clear);
  g.setColorAt(1, thick);
  p.fillRect(QRectF(0, ground - size.height() * 0.16, size.width(), size.height() * 0.16), g);
}

// The road the car stands on runs across the picture: a worn edge line and a dashed centre line
// behind it, and the grain of the asphalt.
void Road(QPainter& p, QSize size, double ground, Dice& d) {
  const double w = size.width(), h = size.height(), depth = h - ground;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(225, 222, 210, 150));
  p.drawRect(QRectF(0, ground + depth * 0.06, w, std::max(1.0, depth * 0.012)));
  p.setBrush(QColor(235, 230, 215, 170));
  for (double x = -d.Real(0, w * 0.08); x < w; x += w * 0.12)
    p.drawRect(QRectF(x, ground + depth * 0.28, w * 0.065, std::max(1.5, depth * 0.02)));
  for (int i = 0; i < 900; ++i) {
    const double y = d.Real(ground, h);
    p.setBrush(d.Int(0, 1) ? QColor(255, 255, 255, 18) : QColor(0, 0, 0, 30));
    p.drawEllipse(QPointF(d.Real(0, w), y), 1.0 + (y - ground) / depth * 2.0,
                  0.6 + (y - ground) / depth);
  }
}

Scenery PaintBackdrop(QPainter& p, QSize size, Backdrop backdrop, Dice& d) {
  const double w = size.width(), h = size.height();
  p.setRenderHint(QPainter::Antialiasing);
  Scenery s;
  s.ground = h * d.Real(0.58, 0.66);
  auto skyFill = [&](QColor top, QColor bottom) {
    QLinearGradient g(0, 0, 0, s.ground);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, w, s.ground + 1), g);
    s.sky = Mix(top, bottom, 0.6);
    if (backdrop != Backdrop::Night) SunGlow(p, size, s.ground, d);
  };
  auto groundFill = [&](QColor near, QColor far) {
    if (backdrop != Backdrop::Night) Haze(p, size, s.ground, s.sky);
    QLinearGradient g(0, s.ground, 0, h);
    g.setColorAt(0, far);
    g.setColorAt(1, near);
    p.fillRect(QRectF(0, s.ground, w, h - s.ground), g);
  };
  auto clouds = [&](int n, QColor c) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < n; ++i) {
      const QPointF at(d.Real(0, w), d.Real(h * 0.05, s.ground * 0.55));
      for (int k = 0; k < 5; ++k) {
        QColor cc = c;
        cc.setAlpha(d.Int(60, 120));
        p.setBrush(cc);
        p.drawEllipse(at + QPointF(d.Real(-w * 0.06, w * 0.06), d.Real(-h * 0.015, h * 0.015)),
                      w * d.Real(0.04, 0.08), h * d.Real(0.018, 0.035));
      }
    }
  };
  switch (backdrop) {
    case Backdrop::Studio:
    case Backdrop::Show: {
      const bool show = backdrop == Backdrop::Show;
      QRadialGradient g(QPointF(w * 0.5, h * 0.35), w * 0.8);
      g.setColorAt(0, show ? QColor(70, 60, 80) : QColor(120, 124, 130));
      g.setColorAt(1, show ? QColor(12, 10, 18) : QColor(30, 32, 36));
      p.fillRect(QRectF(0, 0, w, h), g);
      s.ground = h * 0.7;
      QLinearGradient f(0, s.ground, 0, h);
      f.setColorAt(0, show ? QColor(110, 20, 30) : QColor(75, 78, 84));
      f.setColorAt(1, show ? QColor(45, 6, 12) : QColor(25, 26, 30));
      p.fillRect(QRectF(0, s.ground, w, h - s.ground), f);
      // The cove where the floor turns into the wall, and the softbox above the car.
      QLinearGradient cove(0, s.ground - h * 0.06, 0, s.ground + h * 0.04);
      cove.setColorAt(0, QColor(255, 255, 255, 0));
      cove.setColorAt(0.6, QColor(255, 255, 255, show ? 12 : 30));
      cove.setColorAt(1, QColor(0, 0, 0, 0));
      p.fillRect(QRectF(0, s.ground - h * 0.06, w, h * 0.1), cove);
      s.sky = QColor(200, 205, 215);
      s.gloss = show ? 0.35 : 0.45;
      if (!show) {
        QRadialGradient box(QPointF(w * 0.5, -h * 0.05), w * 0.42);
        box.setColorAt(0, QColor(255, 255, 250, 120));
        box.setColorAt(1, QColor(255, 255, 250, 0));
        p.fillRect(QRectF(0, 0, w, s.ground), box);
      }
      if (show) {
        for (int i = 0; i < 4; ++i) {  // spotlight cones
          QPolygonF cone;
          const double x = w * (0.15 + 0.23 * i);
          cone << QPointF(x, 0) << QPointF(x - w * 0.12, s.ground + h * 0.1)
               << QPointF(x + w * 0.12, s.ground + h * 0.1);
          QLinearGradient cg(0, 0, 0, s.ground);
          cg.setColorAt(0, QColor(255, 250, 220, 70));
          cg.setColorAt(1, QColor(255, 250, 220, 0));
          p.setPen(Qt::NoPen);
          p.setBrush(cg);
          p.drawPolygon(cone);
        }
        // The banner hangs below the band where a slide sets its title.
        const QRectF banner(w * 0.3, h * 0.23, w * 0.4, h * 0.08);
        p.setBrush(QColor(20, 22, 60));
        p.drawRect(banner);
        p.setPen(QColor(230, 200, 120));
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(int(h * 0.05));
        font.setLetterSpacing(QFont::PercentageSpacing, 130);
        p.setFont(font);
        p.drawText(banner, Qt::AlignCenter, QStringLiteral("VAUDREL"));
        // Turntable.
        p.setPen(Qt::NoPen);
        QLinearGradient tt(0, s.ground + h * 0.08, 0, s.ground + h * 0.2);
        tt.setColorAt(0, QColor(200, 200, 205));
        tt.setColorAt(1, QColor(90, 90, 95));
        p.setBrush(tt);
        p.drawEllipse(QPointF(w * 0.5, s.ground + h * 0.14), w * 0.42, h * 0.07);
      }
      break;
    }
    case Backdrop::City: {
      skyFill(QColor(120, 160, 205), QColor(215, 225, 232));
      clouds(4, Qt::white);
      p.setPen(Qt::NoPen);
      double x = -d.Real(0, 40);
      while (x < w) {
        const double bw = d.Real(w * 0.08, w * 0.16), bh = d.Real(h * 0.18, h * 0.42);
        const QColor c = QColor::fromHsv(d.Int(15, 40), d.Int(20, 70), d.Int(120, 190));
        QLinearGradient g(x, 0, x + bw, 0);
        g.setColorAt(0, c);
        g.setColorAt(1, c.darker(125));
        p.setBrush(g);
        p.drawRect(QRectF(x, s.ground - bh, bw, bh + 1));
        p.setBrush(QColor(50, 60, 75, 200));
        for (double wy = s.ground - bh + 8; wy < s.ground - 14; wy += 14)
          for (double wx = x + 6; wx < x + bw - 8; wx += 12) p.drawRect(QRectF(wx, wy, 6, 8));
        x += bw + d.Real(0, 6);
      }
      groundFill(QColor(70, 72, 76), QColor(120, 122, 126));
      Road(p, size, s.ground, d);
      p.setBrush(QColor(170, 170, 165));
      p.drawRect(QRectF(0, s.ground, w, h * 0.03));
      s.gloss = 0.12;
      break;
    }
    case Backdrop::Country:
    case Backdrop::Forest: {
      const bool forest = backdrop == Backdrop::Forest;
      skyFill(forest ? QColor(95, 125, 150) : QColor(100, 150, 210),
              forest ? QColor(190, 200, 195) : QColor(225, 232, 230));
      clouds(forest ? 2 : 6, Qt::white);
      p.setPen(Qt::NoPen);
      for (int layer = 0; layer < 3; ++layer) {  // rolling hills
        QPainterPath hill;
        const double base = s.ground - h * (0.12 - layer * 0.04);
        hill.moveTo(0, s.ground + 1);
        hill.lineTo(0, base);
        for (double x = 0; x <= w + 40; x += w / 6)
          hill.quadTo(x + w / 12, base - d.Real(0, h * 0.08), x + w / 6, base + d.Real(-10, 10));
        hill.lineTo(w, s.ground + 1);
        hill.closeSubpath();
        p.setBrush(QColor::fromHsv(d.Int(85, 110), 90 + layer * 30, 150 - layer * 25));
        p.drawPath(hill);
      }
      const int trees = forest ? 40 : 9;
      for (int i = 0; i < trees; ++i) {
        const double tx = d.Real(0, w), th = d.Real(h * 0.1, h * (forest ? 0.45 : 0.2));
        p.setBrush(QColor(70, 50, 35));
        p.drawRect(QRectF(tx - 2, s.ground - th * 0.3, 4, th * 0.3 + 2));
        p.setBrush(QColor::fromHsv(d.Int(90, 130), d.Int(120, 200), d.Int(50, 110)));
        if (forest) {
          QPolygonF fir;
          fir << QPointF(tx, s.ground - th) << QPointF(tx - th * 0.22, s.ground - th * 0.2)
              << QPointF(tx + th * 0.22, s.ground - th * 0.2);
          p.drawPolygon(fir);
        } else {
          p.drawEllipse(QPointF(tx, s.ground - th * 0.6), th * 0.3, th * 0.38);
        }
      }
      groundFill(QColor(55, 58, 60), QColor(95, 98, 100));
      Road(p, size, s.ground, d);
      p.setBrush(QColor(90, 130, 60));
      p.drawRect(QRectF(0, s.ground, w, h * 0.025));
      break;
    }
    case Backdrop::Coast: {
      skyFill(QColor(70, 140, 215), QColor(220, 235, 245));
      clouds(3, Qt::white);
      const double sea = s.ground - h * 0.1;
      QLinearGradient sg(0, sea, 0, s.ground);
      sg.setColorAt(0, QColor(30, 90, 150));
      sg.setColorAt(1, QColor(80, 160, 190));
      p.fillRect(QRectF(0, sea, w, s.ground - sea), sg);
      p.setPen(QPen(QColor(255, 255, 255, 90), 1));
      for (int i = 0; i < 30; ++i) {
        const double y = d.Real(sea + 2, s.ground - 2), x = d.Real(0, w);
        p.drawLine(QPointF(x, y), QPointF(x + d.Real(8, 30), y));
      }
      groundFill(QColor(200, 180, 140), QColor(230, 215, 180));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(60, 62, 66));
      p.drawRect(QRectF(0, s.ground + (h - s.ground) * 0.3, w, (h - s.ground) * 0.7));
      break;
    }
    case Backdrop::Mountains: {
      skyFill(QColor(60, 110, 190), QColor(200, 220, 240));
      p.setPen(Qt::NoPen);
      for (int layer = 0; layer < 2; ++layer) {
        double x = -d.Real(0, w * 0.2);
        while (x < w) {
          const double mw = d.Real(w * 0.25, w * 0.45),
                       mh = d.Real(h * 0.2, h * 0.4) * (1.0 - layer * 0.3);
          QPolygonF m;
          m << QPointF(x, s.ground) << QPointF(x + mw / 2, s.ground - mh)
            << QPointF(x + mw, s.ground);
          const QColor rock = layer == 0 ? QColor(110, 120, 140) : QColor(80, 95, 90);
          p.setBrush(rock);
          p.drawPolygon(m);
          // The flank turned from the light.
          QPolygonF shade;
          shade << QPointF(x + mw / 2, s.ground - mh) << QPointF(x + mw, s.ground)
                << QPointF(x + mw * 0.58, s.ground);
          p.setBrush(rock.darker(125));
          p.drawPolygon(shade);
          if (layer == 0) {
            QPolygonF snow;
            snow << QPointF(x + mw / 2, s.ground - mh)
                 << QPointF(x + mw / 2 - mw * 0.1, s.ground - mh * 0.78)
                 << QPointF(x + mw / 2 + mw * 0.1, s.ground - mh * 0.78);
            p.setBrush(QColor(245, 248, 252));
            p.drawPolygon(snow);
          }
          x += mw * d.Real(0.5, 0.8);
        }
      }
      groundFill(QColor(60, 62, 64), QColor(100, 104, 106));
      Road(p, size, s.ground, d);
      break;
    }
    case Backdrop::Night: {
      skyFill(QColor(8, 12, 35), QColor(40, 45, 80));
      p.setPen(Qt::NoPen);
      for (int i = 0; i < 80; ++i) {
        p.setBrush(QColor(255, 255, 255, d.Int(60, 220)));
        p.drawEllipse(QPointF(d.Real(0, w), d.Real(0, s.ground * 0.6)), 0.9, 0.9);
      }
      double x = 0;
      while (x < w) {
        const double bw = d.Real(w * 0.08, w * 0.15), bh = d.Real(h * 0.15, h * 0.35);
        p.setBrush(QColor(18, 20, 30));
        p.drawRect(QRectF(x, s.ground - bh, bw, bh + 1));
        for (double wy = s.ground - bh + 8; wy < s.ground - 12; wy += 13)
          for (double wx = x + 5; wx < x + bw - 7; wx += 11)
            if (d.Int(0, 2) == 0) {
              p.setBrush(QColor(255, 210, 120, 200));
              p.drawRect(QRectF(wx, wy, 5, 7));
            }
        x += bw;
      }
      groundFill(QColor(15, 15, 20), QColor(40, 40, 48));
      Road(p, size, s.ground, d);
      s.gloss = 0.3;                 // a wet street
      for (int i = 0; i < 3; ++i) {  // street lamps
        const double lx = w * (0.15 + 0.35 * i);
        QRadialGradient glow(QPointF(lx, s.ground - h * 0.3), h * 0.2);
        glow.setColorAt(0, QColor(255, 220, 150, 160));
        glow.setColorAt(1, QColor(255, 220, 150, 0));
        p.setBrush(glow);
        p.drawEllipse(QPointF(lx, s.ground - h * 0.3), h * 0.2, h * 0.2);
        p.setBrush(QColor(30, 30, 35));
        p.drawRect(QRectF(lx - 1.5, s.ground - h * 0.3, 3, h * 0.3));
      }
      s.sky = QColor(60, 60, 90);
      break;
    }
    case Backdrop::Track: {
      skyFill(QColor(90, 140, 200), QColor(220, 228, 235));
      clouds(5, Qt::white);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(70, 120, 60));
      p.drawRect(QRectF(0, s.ground - h * 0.05, w, h * 0.05 + 1));
      p.setBrush(QColor(200, 200, 200));  // grandstand
      p.drawRect(QRectF(w * 0.55, s.ground - h * 0.16, w * 0.4, h * 0.11));
      p.setBrush(QColor(150, 40, 40));
      p.drawRect(QRectF(w * 0.53, s.ground - h * 0.19, w * 0.44, h * 0.035));
      groundFill(QColor(50, 52, 55), QColor(90, 92, 95));
      for (double x = 0; x < w; x += 24) {  // kerb
        p.setBrush((int(x / 24) % 2) ? QColor(200, 30, 30) : QColor(240, 240, 240));
        p.drawRect(QRectF(x, s.ground, 24, h * 0.02));
      }
      break;
    }
    case Backdrop::Factory: {
      QLinearGradient g(0, 0, 0, h);
      g.setColorAt(0, QColor(70, 74, 78));
      g.setColorAt(1, QColor(40, 42, 44));
      p.fillRect(QRectF(0, 0, w, h), g);
      s.ground = h * 0.68;
      p.setPen(QPen(QColor(30, 32, 35), 3));
      for (double x = 0; x < w; x += w / 8) p.drawLine(QPointF(x, 0), QPointF(x + w / 16, h * 0.2));
      p.drawLine(QPointF(0, h * 0.2), QPointF(w, h * 0.2));
      p.setPen(Qt::NoPen);
      for (int i = 0; i < 6; ++i) {  // skylights
        QRadialGradient lg(QPointF(w * (0.1 + 0.16 * i), h * 0.08), w * 0.08);
        lg.setColorAt(0, QColor(255, 255, 235, 150));
        lg.setColorAt(1, QColor(255, 255, 235, 0));
        p.setBrush(lg);
        p.drawEllipse(QPointF(w * (0.1 + 0.16 * i), h * 0.08), w * 0.08, w * 0.08);
      }
      QLinearGradient f(0, s.ground, 0, h);
      f.setColorAt(0, QColor(95, 95, 90));
      f.setColorAt(1, QColor(55, 55, 52));
      p.fillRect(QRectF(0, s.ground, w, h - s.ground), f);
      p.setBrush(QColor(220, 180, 40));
      p.drawRect(QRectF(0, s.ground + h * 0.1, w, h * 0.012));
      s.sky = QColor(160, 165, 170);
      break;
    }
  }
  return s;
}

void Vignette(QPainter& p, QSize size, int strength) {
  QRadialGradient g(QPointF(size.width() / 2.0, size.height() / 2.0), size.width() * 0.75);
  g.setColorAt(0.55, QColor(0, 0, 0, 0));
  g.setColorAt(1.0, QColor(0, 0, 0, strength));
  p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), g);
}

// Puts the car at a random spot with a real camera feel: 3/4 views use a perspective squeeze.
void PlaceCar(QPainter& p, QSize size, const Scenery& s, const CarLook& car, const QString& view,
              Dice& d) {
  const double w = size.width(), h = size.height();
  const bool mirror = d.Int(0, 1) == 1;
  if (view == QLatin1String("front") || view == QLatin1String("rear")) {
    // The whole car, its tyres on the road below the horizon and its roof well under the top.
    const double floor = s.ground + (h - s.ground) * 0.72;
    const double cw = std::min(w * d.Real(0.55, 0.7), (floor - h * 0.1) * 1.5);
    const QRectF box(w / 2 - cw / 2, floor - cw / 1.5, cw, cw / 1.5);
    const bool front = view == QLatin1String("front");
    FloorReflection(p, size, box.bottom() - cw / 40.0, h * 0.2, s.gloss,
                    [&](QPainter& q) { DrawCarEnd(q, box, car, front); });
    DrawCarEnd(p, box, car, front);
    return;
  }
  const double cw = w * d.Real(0.78, 0.9);
  const QRectF box(w / 2 - cw / 2, s.ground + (h - s.ground) * 0.55 - cw * 0.36, cw, cw * 0.36);
  if (view == QLatin1String("three")) {
    // Squeeze the far end: the unit rectangle goes to a trapezoid.
    p.save();
    QPolygonF from, to;
    from << box.topLeft() << box.topRight() << box.bottomRight() << box.bottomLeft();
    const double shrink = box.height() * 0.22;
    if (!mirror)
      to << box.topLeft() + QPointF(box.width() * 0.1, shrink)
         << box.topRight() + QPointF(0, -shrink * 0.4)
         << box.bottomRight() + QPointF(0, shrink * 0.5)
         << box.bottomLeft() + QPointF(box.width() * 0.1, -shrink * 0.3);
    else
      to << box.topLeft() + QPointF(0, -shrink * 0.4)
         << box.topRight() + QPointF(-box.width() * 0.1, shrink)
         << box.bottomRight() + QPointF(-box.width() * 0.1, -shrink * 0.3)
         << box.bottomLeft() + QPointF(0, shrink * 0.5);
    QTransform t;
    if (QTransform::quadToQuad(from, to, t)) p.setTransform(t, true);
    DrawCarSide(p, box, car, mirror, s.sky);
    p.restore();
    return;
  }
  FloorReflection(p, size, Contact(box), h * 0.2, s.gloss,
                  [&](QPainter& q) { DrawCarSide(q, box, car, mirror, s.sky); });
  DrawCarSide(p, box, car, mirror, s.sky);
}

// ---------------------------------------------------------------- upholstery ----
QImage UpholsteryTexture(const QString& material, const QColor& colour, QSize size, uint32_t seed) {
  QImage tex(size, QImage::Format_RGB32);
  Dice d(seed);
  const int w = size.width(), h = size.height();
  // Low-frequency grain shared by leather and vinyl.
  std::vector<float> grain(size_t(w) * size_t(h));
  for (auto& g : grain) g = float(d.Real(-1, 1));
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(tex.scanLine(y));
    for (int x = 0; x < w; ++x) {
      double k = 1.0;
      if (material == QLatin1String("cloth")) {
        // Tweed: two-colour weave of alternating over-under threads.
        const bool warp = ((x / 3) + (y / 3)) % 2 == 0;
        const double thread = warp ? 0.5 + 0.5 * std::sin((y % 3) * M_PI / 3)
                                   : 0.5 + 0.5 * std::sin((x % 3) * M_PI / 3);
        k = 0.72 + 0.4 * thread + 0.1 * grain[size_t(y) * w + x];
        if (((x * 7 + y * 13) % 29) == 0) k += 0.35;  // fleck
      } else if (material == QLatin1String("leather")) {
        const float a = grain[size_t(y) * w + x], b = grain[size_t(y) * w + (x + 1) % w],
                    c = grain[size_t((y + 1) % h) * w + x];
        k = 0.92 + 0.09 * (a + b + c) / 3.0 + 0.05 * std::sin(x * 0.21 + std::sin(y * 0.13) * 2);
      } else if (material == QLatin1String("velour")) {
        k = 0.9 + 0.06 * grain[size_t(y) * w + x] + 0.08 * std::sin((x + y) * 0.05);
      } else {  // vinyl: fine regular pores and a gloss
        k = 0.95 + ((x % 4 == 0 && y % 4 == 0) ? -0.12 : 0.0) + 0.03 * grain[size_t(y) * w + x];
      }
      line[x] = qRgb(std::clamp(int(colour.red() * k), 0, 255),
                     std::clamp(int(colour.green() * k), 0, 255),
                     std::clamp(int(colour.blue() * k), 0, 255));
    }
  }
  return tex;
}

void DrawSeat(QPainter& p, const QRectF& box, const QString& material, const QColor& colour,
              uint32_t seed) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QImage tex = UpholsteryTexture(material, colour, QSize(128, 128), seed);
  const double w = box.width(), h = box.height();
  auto at = [&](double x, double y) { return QPointF(box.left() + x * w, box.top() + y * h); };
  QPainterPath back;
  back.moveTo(at(0.22, 0.62));
  back.cubicTo(at(0.16, 0.35), at(0.2, 0.1), at(0.35, 0.06));
  back.lineTo(at(0.68, 0.06));
  back.cubicTo(at(0.82, 0.1), at(0.84, 0.35), at(0.78, 0.62));
  back.closeSubpath();
  QPainterPath cushion;
  cushion.moveTo(at(0.12, 0.66));
  cushion.cubicTo(at(0.12, 0.58), at(0.2, 0.57), at(0.3, 0.57));
  cushion.lineTo(at(0.72, 0.57));
  cushion.cubicTo(at(0.84, 0.57), at(0.9, 0.6), at(0.9, 0.68));
  cushion.lineTo(at(0.88, 0.82));
  cushion.cubicTo(at(0.86, 0.88), at(0.8, 0.88), at(0.7, 0.88));
  cushion.lineTo(at(0.3, 0.88));
  cushion.cubicTo(at(0.16, 0.88), at(0.12, 0.86), at(0.12, 0.8));
  cushion.closeSubpath();
  // Floor shadow and the seat frame.
  QRadialGradient sh(at(0.5, 0.92), w * 0.45);
  sh.setColorAt(0, QColor(0, 0, 0, 180));
  sh.setColorAt(1, QColor(0, 0, 0, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sh);
  p.drawEllipse(at(0.5, 0.92), w * 0.45, h * 0.06);
  p.setBrush(QColor(25, 25, 28));
  p.drawRect(QRectF(at(0.25, 0.86), at(0.75, 0.93)));
  for (const QPainterPath* part : {&back, &cushion}) {
    p.setBrush(QBrush(tex));
    p.drawPath(*part);
    // Volume: light from the upper left.
    const QRectF r = part->boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(255, 255, 255, material == QLatin1String("vinyl") ? 90 : 55));
    g.setColorAt(0.45, QColor(255, 255, 255, 0));
    g.setColorAt(1, QColor(0, 0, 0, 150));
    p.setBrush(g);
    p.drawPath(*part);
    p.setPen(QPen(colour.darker(300), w * 0.006));
    p.setBrush(Qt::NoBrush);
    p.drawPath(*part);
    p.setPen(Qt::NoPen);
  }
  // Pleats (vinyl, leather) or a centre panel (cloth, velour), with stitching.
  QPen seam(colour.darker(200), w * 0.004);
  if (material == QLatin1String("leather") || material == QLatin1String("velour"))
    seam.setStyle(Qt::DashLine);
  p.setPen(seam);
  for (int i = 1; i < 6; ++i) {
    const double x = 0.27 + i * 0.077;
    p.drawLine(at(x, 0.12), at(x, 0.58));
    p.drawLine(at(x - 0.03, 0.6), at(x - 0.045, 0.85));
  }
  if (material == QLatin1String("vinyl") || material == QLatin1String("leather")) {
    p.setPen(QPen(QColor(255, 255, 255, material == QLatin1String("vinyl") ? 110 : 50), w * 0.01));
    p.drawLine(at(0.3, 0.12), at(0.27, 0.5));
  }
  p.restore();
}

// ---------------------------------------------------------------- detail scenes ----
void PaintPanel(QPainter& p, QSize size, const QColor& coach, bool metallic) {
  QLinearGradient g(0, 0, size.width() * 0.3, size.height());
  g.setColorAt(0, coach.lighter(metallic ? 170 : 150));
  g.setColorAt(0.4, coach);
  g.setColorAt(1, coach.darker(220));
  p.fillRect(QRect(QPoint(0, 0), size), g);
  QLinearGradient refl(0, size.height() * 0.3, 0, size.height() * 0.4);
  refl.setColorAt(0, QColor(255, 255, 255, 0));
  refl.setColorAt(0.5, QColor(255, 255, 255, 60));
  refl.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(QRectF(0, size.height() * 0.3, size.width(), size.height() * 0.1), refl);
}

void PaintDetail(QPainter& p, QSize size, const PhotoRecipe& r, Dice& d) {
  const double w = size.width(), h = size.height();
  p.setRenderHint(QPainter::Antialiasing);
  PaintPanel(p, size, r.car.coach, r.car.metallic);
  const QString& scene = r.scene;
  if (scene == QLatin1String("wheel")) {
    const QPointF c(w * d.Real(0.45, 0.55), h * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 10, 12));
    p.drawEllipse(c, h * 0.5, h * 0.5);
    p.save();
    p.translate(c);
    p.scale(h * 0.45 / 7.0, h * 0.45 / 7.0);
    DrawWheel(p, QPointF(0, 0), r.car.year, r.car.body == BodyKind::CoupeGt);
    p.restore();
    p.fillRect(QRectF(0, h * 0.96, w, h * 0.04), QColor(50, 50, 52));
  } else if (scene == QLatin1String("badge")) {
    const QPointF c(w / 2, h / 2);
    QRadialGradient ring(c, h * 0.26);
    ring.setColorAt(0, QColor(250, 230, 150));
    ring.setColorAt(0.85, QColor(190, 150, 50));
    ring.setColorAt(1, QColor(110, 80, 20));
    p.setPen(QPen(QColor(70, 50, 10), 2));
    p.setBrush(ring);
    p.drawEllipse(c, h * 0.26, h * 0.26);
    p.setBrush(QColor(20, 40, 110));
    p.drawEllipse(c, h * 0.2, h * 0.2);
    // The stylised bird: two swept wings.
    QPainterPath bird;
    bird.moveTo(c + QPointF(-h * 0.15, h * 0.02));
    bird.quadTo(c + QPointF(-h * 0.05, -h * 0.12), c + QPointF(0, h * 0.03));
    bird.quadTo(c + QPointF(h * 0.05, -h * 0.12), c + QPointF(h * 0.15, h * 0.02));
    bird.quadTo(c + QPointF(h * 0.05, -h * 0.03), c + QPointF(0, h * 0.08));
    bird.quadTo(c + QPointF(-h * 0.05, -h * 0.03), c + QPointF(-h * 0.15, h * 0.02));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 240, 225));
    p.drawPath(bird);
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(int(h * 0.032));
    f.setLetterSpacing(QFont::PercentageSpacing, 115);
    p.setFont(f);
    p.setPen(QColor(245, 230, 170));
    p.drawText(QRectF(c.x() - h * 0.2, c.y() + h * 0.085, h * 0.4, h * 0.06), Qt::AlignCenter,
               QStringLiteral("ORLAVENTIS"));
  } else if (scene == QLatin1String("grille") || scene == QLatin1String("lamp")) {
    CarLook car = r.car;
    p.save();
    // A very close front or rear view: crop by drawing it large.
    DrawCarEnd(p, QRectF(-w * 0.35, -h * 0.1, w * 1.7, h * 1.4), car,
               scene == QLatin1String("grille"));
    p.restore();
  }
}

void PaintInterior(QPainter& p, QSize size, const PhotoRecipe& r, Dice& d) {
  const double w = size.width(), h = size.height();
  p.setRenderHint(QPainter::Antialiasing);
  if (r.scene == QLatin1String("seat")) {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(60, 62, 66));
    g.setColorAt(1, QColor(20, 20, 22));
    p.fillRect(QRectF(0, 0, w, h), g);
    DrawSeat(p, QRectF(w * 0.04, h * 0.05, w * 0.5, h * 0.9), r.material, r.trim, r.seed);
    DrawSeat(p, QRectF(w * 0.46, h * 0.05, w * 0.5, h * 0.9), r.material, r.trim, r.seed + 1);
    return;
  }
  // Dashboard: windscreen view, painted dash, two round gauges, a big thin steering wheel.
  Dice sky(r.seed);
  Scenery s = PaintBackdrop(p, size, Backdrop::Country, sky);
  Q_UNUSED(s);
  QPainterPath dash;
  dash.moveTo(0, h * 0.45);
  dash.cubicTo(w * 0.3, h * 0.4, w * 0.7, h * 0.4, w, h * 0.45);
  dash.lineTo(w, h);
  dash.lineTo(0, h);
  dash.closeSubpath();
  QLinearGradient dg(0, h * 0.4, 0, h);
  dg.setColorAt(0, r.car.coach.lighter(130));
  dg.setColorAt(0.25, r.car.coach);
  dg.setColorAt(1, r.car.coach.darker(300));
  p.setPen(Qt::NoPen);
  p.setBrush(dg);
  p.drawPath(dash);
  p.setBrush(QColor(20, 20, 20));
  p.drawRect(QRectF(0, h * 0.42, w, h * 0.03));
  auto gauge = [&](QPointF c, double rad, int maxValue) {
    p.setPen(QPen(QBrush(Chrome(c - QPointF(0, rad), c + QPointF(0, rad))), rad * 0.12));
    p.setBrush(QColor(15, 15, 18));
    p.drawEllipse(c, rad, rad);
    p.setPen(QPen(QColor(235, 235, 220), rad * 0.03));
    for (int i = 0; i <= 10; ++i) {
      const double a = (225 - i * 27) * M_PI / 180;
      p.drawLine(c + QPointF(std::cos(a), -std::sin(a)) * rad * 0.78,
                 c + QPointF(std::cos(a), -std::sin(a)) * rad * 0.9);
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(6, int(rad * 0.14)));
    p.setFont(f);
    p.drawText(QRectF(c.x() - rad, c.y() + rad * 0.25, rad * 2, rad * 0.3), Qt::AlignCenter,
               QString::number(maxValue));
    const double a = (225 - d.Int(2, 6) * 27) * M_PI / 180;
    p.setPen(QPen(QColor(240, 120, 30), rad * 0.04, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(std::cos(a), -std::sin(a)) * rad * 0.75);
  };
  gauge(QPointF(w * 0.36, h * 0.62), h * 0.12, 180);
  gauge(QPointF(w * 0.6, h * 0.62), h * 0.09, 120);
  // Steering wheel with horn ring.
  const QPointF c(w * 0.46, h * 0.85);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(235, 228, 210), h * 0.025));
  p.drawEllipse(c, w * 0.24, h * 0.3);
  p.setPen(QPen(QBrush(Chrome(c - QPointF(0, 20), c + QPointF(0, 20))), h * 0.008));
  p.drawEllipse(c, w * 0.16, h * 0.2);
  p.setPen(QPen(QColor(235, 228, 210), h * 0.02));
  p.drawLine(c, c + QPointF(-w * 0.23, -h * 0.05));
  p.drawLine(c, c + QPointF(w * 0.23, -h * 0.05));
  p.setBrush(QColor(200, 160, 60));
  p.setPen(Qt::NoPen);
  p.drawEllipse(c, h * 0.04, h * 0.04);
}

void PaintEngine(QPainter& p, QSize size, const PhotoRecipe& r, Dice& d) {
  const double w = size.width(), h = size.height();
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient bay(QPointF(w / 2, h / 2), w * 0.6);
  bay.setColorAt(0, QColor(40, 40, 42));
  bay.setColorAt(1, QColor(8, 8, 10));
  p.fillRect(QRectF(0, 0, w, h), bay);
  // Inner wings in body colour.
  p.setPen(Qt::NoPen);
  p.setBrush(r.car.coach.darker(140));
  p.drawRect(QRectF(0, 0, w * 0.12, h));
  p.drawRect(QRectF(w * 0.88, 0, w * 0.12, h));
  // Block with the rocker cover (red on the GT), plugs and leads, air filter.
  const bool gt = r.car.body == BodyKind::CoupeGt;
  QLinearGradient block(0, h * 0.3, 0, h * 0.85);
  block.setColorAt(0, QColor(90, 100, 95));
  block.setColorAt(1, QColor(35, 40, 38));
  p.setBrush(block);
  p.drawRoundedRect(QRectF(w * 0.3, h * 0.3, w * 0.4, h * 0.55), 8, 8);
  QLinearGradient cover(0, h * 0.32, 0, h * 0.46);
  const QColor cc = gt ? QColor(170, 30, 25) : QColor(60, 70, 90);
  cover.setColorAt(0, cc.lighter(150));
  cover.setColorAt(1, cc.darker(150));
  p.setBrush(cover);
  p.drawRoundedRect(QRectF(w * 0.32, h * 0.32, w * 0.36, h * 0.14), 10, 10);
  p.setPen(QColor(230, 230, 230));
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(int(h * 0.04));
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(w * 0.32, h * 0.32, w * 0.36, h * 0.14), Qt::AlignCenter,
             gt ? QStringLiteral("VAUDREL  GT") : QStringLiteral("VAUDREL"));
  for (int i = 0; i < 4; ++i) {
    const QPointF plug(w * (0.36 + i * 0.095), h * 0.5);
    p.setPen(QPen(QColor(30, 30, 30), h * 0.012));
    p.drawLine(plug, QPointF(w * 0.8, h * (0.56 + i * 0.04)));  // the leads stay clear of the cover
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 220, 215));
    p.drawEllipse(plug, h * 0.015, h * 0.015);
  }
  QRadialGradient filter(QPointF(w * 0.5, h * 0.2), w * 0.14);
  filter.setColorAt(0, QColor(40, 40, 45));
  filter.setColorAt(0.7, QColor(20, 20, 24));
  filter.setColorAt(1, QColor(120, 120, 125));
  p.setBrush(filter);
  p.drawEllipse(QPointF(w * (gt ? 0.42 : 0.5), h * 0.2), w * 0.12, h * 0.1);
  if (gt) p.drawEllipse(QPointF(w * 0.6, h * 0.2), w * 0.12, h * 0.1);
  // Battery and radiator.
  p.setBrush(QColor(25, 25, 25));
  p.drawRect(QRectF(w * 0.14, h * 0.6, w * 0.12, h * 0.18));
  p.setPen(QPen(QColor(80, 80, 85), 2));
  for (double x = w * 0.2; x < w * 0.8; x += 6) p.drawLine(QPointF(x, h * 0.9), QPointF(x, h));
  Q_UNUSED(d);
}

void PaintFactory(QPainter& p, QSize size, const PhotoRecipe& r, Dice& d) {
  Scenery s = PaintBackdrop(p, size, Backdrop::Factory, d);
  const double w = size.width(), h = size.height();
  // Bodies in grey primer on the line, getting smaller towards the back.
  for (int i = 3; i >= 0; --i) {
    CarLook primer = r.car;
    primer.coach = i == 0 && r.car.coach.isValid() && r.car.year > 1965 ? r.car.coach
                                                                        : QColor(150, 150, 140);
    primer.roof = QColor();
    primer.metallic = false;
    const double scale = 1.0 - i * 0.2;
    const double cw = w * 0.6 * scale;
    const double x = w * 0.08 + i * w * 0.22;
    DrawCarSide(p,
                QRectF(x, s.ground + (h - s.ground) * (0.35 - i * 0.1) - cw * 0.36, cw, cw * 0.36),
                primer, false, QColor(120, 125, 130));
  }
  // Workers' silhouettes.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    const double x = d.Real(w * 0.1, w * 0.9), y = s.ground + (h - s.ground) * 0.2;
    p.setBrush(QColor(30, 40, 70));
    p.drawRoundedRect(QRectF(x - 8, y - h * 0.12, 16, h * 0.12), 5, 5);
    p.setBrush(QColor(200, 160, 130));
    p.drawEllipse(QPointF(x, y - h * 0.14), 6, 7);
  }
}

void PaintBrochure(QPainter& p, QSize size, const PhotoRecipe& r, Dice& d) {
  const double w = size.width(), h = size.height();
  p.fillRect(QRectF(0, 0, w, h), QColor(60, 50, 40));  // the desk
  p.setRenderHint(QPainter::Antialiasing);
  p.save();
  p.translate(w / 2, h / 2);
  p.rotate(d.Real(-4, 4));
  const QRectF page(-w * 0.32, -h * 0.45, w * 0.64, h * 0.9);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawRect(page.translated(6, 6));
  p.setBrush(QColor(244, 238, 222));
  p.drawRect(page);
  // Illustration panel on top, the lettering below it: a slide sets its title over the top.
  const QRectF art(page.left() + page.width() * 0.06, page.top() + page.height() * 0.05,
                   page.width() * 0.88, page.height() * 0.5);
  QLinearGradient g(art.topLeft(), art.bottomLeft());
  g.setColorAt(0, QColor::fromHsv(d.Int(0, 359), 60, 220));
  g.setColorAt(1, QColor::fromHsv(d.Int(0, 359), 90, 150));
  p.setBrush(g);
  p.drawRect(art);
  DrawCarSide(p,
              art.adjusted(art.width() * 0.05, art.height() * 0.2, -art.width() * 0.05,
                           -art.height() * 0.05),
              r.car, d.Int(0, 1) == 1);
  QFont title(QStringLiteral("DejaVu Serif"));
  title.setPixelSize(int(page.height() * 0.08));
  title.setItalic(true);
  p.setFont(title);
  p.setPen(QColor(120, 20, 30));
  p.drawText(
      QRectF(page.left(), page.top() + page.height() * 0.56, page.width(), page.height() * 0.11),
      Qt::AlignCenter, QStringLiteral("Orlaventis"));
  QFont sub(QStringLiteral("DejaVu Sans"));
  sub.setPixelSize(int(page.height() * 0.035));
  p.setFont(sub);
  p.setPen(QColor(60, 60, 60));
  p.drawText(
      QRectF(page.left(), page.top() + page.height() * 0.66, page.width(), page.height() * 0.05),
      Qt::AlignCenter, QStringLiteral("VAUDREL  ·  %1").arg(r.car.year));
  p.setPen(QPen(QColor(120, 120, 120), 1.5));
  for (int i = 0; i < 6; ++i) {  // columns of body text
    const double y = page.top() + page.height() * (0.77 + i * 0.03);
    p.drawLine(QPointF(page.left() + page.width() * 0.08, y),
               QPointF(page.left() + page.width() * (0.45 - (i == 5) * 0.1), y));
    p.drawLine(QPointF(page.left() + page.width() * 0.55, y),
               QPointF(page.left() + page.width() * (0.92 - (i == 3) * 0.15), y));
  }
  p.restore();
}

// Light film grain and a slightly warm, aged tone for the older photos.
void FilmLook(QImage& image, int year, uint32_t seed) {
  Dice d(seed * 2654435761u);
  const double age = std::clamp((1975 - year) / 18.0, 0.0, 1.0);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int n = d.Int(-2, 2);
      int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
      const int grey = (r * 30 + g * 59 + b * 11) / 100;
      r = int(r * (1 - 0.25 * age) + (grey + 18) * 0.25 * age);
      g = int(g * (1 - 0.25 * age) + (grey + 8) * 0.25 * age);
      b = int(b * (1 - 0.25 * age) + (grey - 10) * 0.25 * age);
      line[x] =
          qRgb(std::clamp(r + n, 0, 255), std::clamp(g + n, 0, 255), std::clamp(b + n, 0, 255));
    }
  }
}

}  // namespace

BodyKind BodyKindFromKey(const QString& key) {
  if (key == QLatin1String("s2")) return BodyKind::Saloon2;
  if (key == QLatin1String("c") || key == QLatin1String("coupe")) return BodyKind::Coupe;
  if (key == QLatin1String("cgt")) return BodyKind::CoupeGt;
  if (key == QLatin1String("e") || key == QLatin1String("estate")) return BodyKind::Estate;
  if (key == QLatin1String("cab") || key == QLatin1String("cabriolet"))
    return BodyKind::Convertible;
  return BodyKind::Saloon4;
}

Backdrop BackdropFromKey(const QString& key) {
  static const std::pair<const char*, Backdrop> kNames[] = {
      {"city", Backdrop::City},   {"country", Backdrop::Country},
      {"coast", Backdrop::Coast}, {"mountains", Backdrop::Mountains},
      {"night", Backdrop::Night}, {"forest", Backdrop::Forest},
      {"track", Backdrop::Track}, {"factory", Backdrop::Factory},
      {"show", Backdrop::Show}};
  for (const auto& [name, backdrop] : kNames)
    if (key == QLatin1String(name)) return backdrop;
  return Backdrop::Studio;
}

QImage PaintPhoto(const PhotoRecipe& recipe, QSize size) {
  QImage image = NewImage(size);
  if (image.isNull()) return image;
  Dice d(recipe.seed);
  {
    QPainter p(&image);
    const QString& scene = recipe.scene;
    if (scene == QLatin1String("wheel") || scene == QLatin1String("badge") ||
        scene == QLatin1String("grille") || scene == QLatin1String("lamp")) {
      PaintDetail(p, size, recipe, d);
    } else if (scene == QLatin1String("dash") || scene == QLatin1String("seat")) {
      PaintInterior(p, size, recipe, d);
    } else if (scene == QLatin1String("engine")) {
      PaintEngine(p, size, recipe, d);
    } else if (scene == QLatin1String("factory")) {
      PaintFactory(p, size, recipe, d);
    } else if (scene == QLatin1String("brochure")) {
      PaintBrochure(p, size, recipe, d);
    } else {
      CarLook car = recipe.car;
      if (scene == QLatin1String("rally") && car.rallyNumber == 0) car.rallyNumber = d.Int(3, 88);
      const Backdrop backdrop = scene == QLatin1String("show") ? Backdrop::Show : recipe.backdrop;
      const Scenery s = PaintBackdrop(p, size, backdrop, d);
      const QString view = scene == QLatin1String("rally") || scene == QLatin1String("show")
                               ? (d.Int(0, 1) ? QStringLiteral("three") : QStringLiteral("side"))
                               : scene;
      PlaceCar(p, size, s, car, view, d);
    }
    Vignette(p, size, 110);
  }
  FilmLook(image, recipe.car.year, recipe.seed);
  return image;
}

QImage PaintCarSideView(const CarLook& car, QSize size) {
  QImage image = NewImage(size);
  if (image.isNull()) return image;
  QPainter p(&image);
  const double w = size.width(), h = size.height();
  QRadialGradient g(QPointF(w * 0.5, h * 0.3), w * 0.7);
  g.setColorAt(0, QColor(95, 98, 104));
  g.setColorAt(1, QColor(14, 15, 17));
  p.fillRect(QRectF(0, 0, w, h), g);
  QLinearGradient floor(0, h * 0.72, 0, h);
  floor.setColorAt(0, QColor(60, 62, 66));
  floor.setColorAt(1, QColor(10, 10, 12));
  p.fillRect(QRectF(0, h * 0.72, w, h * 0.28), floor);
  const QRectF box(w * 0.04, h * 0.12, w * 0.92, h * 0.76);
  FloorReflection(p, size, Contact(box), h * 0.2, 0.4,
                  [&](QPainter& q) { DrawCarSide(q, box, car, false, QColor(185, 195, 210)); });
  DrawCarSide(p, box, car, false, QColor(185, 195, 210));
  return image;
}

QImage PaintSeat(const QString& material, const QColor& colour, QSize size) {
  QImage image = NewImage(size);
  if (image.isNull()) return image;
  QPainter p(&image);
  const double w = size.width(), h = size.height();
  QRadialGradient g(QPointF(w * 0.5, h * 0.35), w * 0.8);
  g.setColorAt(0, QColor(80, 82, 88));
  g.setColorAt(1, QColor(12, 12, 14));
  p.fillRect(QRectF(0, 0, w, h), g);
  DrawSeat(p, QRectF(w * 0.08, h * 0.04, w * 0.84, h * 0.92), material, colour,
           uint32_t(colour.rgb()));
  return image;
}

QImage PaintSlide(int number, const QString& title, QSize size) {
  PhotoRecipe r;
  static const char* kScenes[] = {"three", "side", "factory",  "show",  "rally",
                                  "three", "side", "brochure", "front", "three"};
  static const Backdrop kBackdrops[] = {
      Backdrop::Coast,     Backdrop::City,    Backdrop::Factory, Backdrop::Show,   Backdrop::Forest,
      Backdrop::Mountains, Backdrop::Country, Backdrop::Studio,  Backdrop::Studio, Backdrop::Night};
  static const QRgb kColours[] = {0x1F3C72, 0xB4241E, 0x969690, 0xE9E2CC, 0xE9E2CC,
                                  0x2E9598, 0x8B9F7F, 0x6E1A26, 0xE0B636, 0x7A4A2C};
  static const BodyKind kBodies[] = {BodyKind::Saloon4,     BodyKind::Coupe,   BodyKind::Saloon4,
                                     BodyKind::Convertible, BodyKind::CoupeGt, BodyKind::Estate,
                                     BodyKind::Saloon2,     BodyKind::Saloon4, BodyKind::Coupe,
                                     BodyKind::Estate};
  const int i = std::clamp(number, 1, 10) - 1;
  r.scene = QString::fromLatin1(kScenes[i]);
  r.backdrop = kBackdrops[i];
  r.car.coach = QColor(kColours[i]);
  r.car.body = kBodies[i];
  r.car.year = 1957 + i * 16 / 9;
  r.car.roof = i == 0 || i == 6 ? QColor(0xE9E2CC) : QColor();
  r.car.metallic = i == 9;
  r.car.rallyNumber = i == 4 ? 27 : 0;
  r.seed = uint32_t(7000 + number);
  QImage image = PaintPhoto(r, size);
  if (image.isNull() || title.isEmpty()) return image;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // The title in a dark band across the top fifth, which the scenes keep free of lettering;
  // large enough to read on the smallest slide (210 x 155).
  QLinearGradient band(0, 0, 0, size.height() * 0.2);
  band.setColorAt(0, QColor(0, 0, 0, 190));
  band.setColorAt(0.7, QColor(0, 0, 0, 110));
  band.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillRect(QRectF(0, 0, size.width(), size.height() * 0.2), band);
  QFont f(QStringLiteral("DejaVu Serif"));
  f.setPixelSize(std::max(10, size.height() / 12));
  f.setItalic(true);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0, 0, 0, 200));
  const QRectF r1(0, size.height() * 0.02, size.width(), size.height() * 0.12);
  const double shadow = std::max(1.0, size.height() / 320.0);
  p.drawText(r1.translated(shadow, shadow), Qt::AlignCenter, title);
  p.setPen(QColor(250, 240, 215));
  p.drawText(r1, Qt::AlignCenter, title);
  return image;
}

QImage PaintBackground(const QString& prefix, QSize size) {
  QImage image = NewImage(size);
  if (image.isNull()) return image;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double w = size.width(), h = size.height();
  QColor base(14, 20, 38);  // ibk: night blue
  if (prefix == QLatin1String("nbk")) base = QColor(36, 14, 16);
  if (prefix == QLatin1String("pbk")) base = QColor(18, 24, 24);
  if (prefix == QLatin1String("ebk")) base = QColor(26, 18, 34);
  QRadialGradient g(QPointF(w * 0.62, h * 0.42), w * 0.8);
  g.setColorAt(0, base.lighter(190));
  g.setColorAt(1, QColor(4, 4, 6));
  p.fillRect(QRectF(0, 0, w, h), g);
  // The menu column on the left gets a quiet darker band.
  QLinearGradient col(0, 0, w * 0.16, 0);
  col.setColorAt(0, QColor(0, 0, 0, 150));
  col.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillRect(QRectF(0, 0, w * 0.16, h), col);
  // A faint motif where no control lies over it: ruled lines behind Production's tables, film
  // frames around the Catalog's four step buttons (at 640 x 480 design positions). Nothing that
  // could pass for a control of its own: no shapes peeking from under a text box or the lists.
  p.setOpacity(0.09);
  const double f = w / 640.0;
  if (prefix == QLatin1String("nbk")) {
    p.setPen(QPen(QColor(230, 200, 190), 1));
    for (double y = h * 0.25; y < h; y += h / 24)
      p.drawLine(QPointF(w * 0.18, y), QPointF(w * 0.98, y));
    for (double x = w * 0.18; x < w; x += w / 12)
      p.drawLine(QPointF(x, h * 0.25), QPointF(x, h * 0.98));
  } else if (prefix == QLatin1String("pbk")) {
    p.setOpacity(0.16);
    p.setPen(QPen(QColor(220, 230, 230), std::max(1.0, 2 * f)));
    p.setBrush(Qt::NoBrush);
    for (int x : {400, 440, 500, 540}) p.drawRect(QRectF((x - 3) * f, 428 * f, 38 * f, 38 * f));
    for (double x = 395; x + 4 <= 577; x += 9) p.drawRect(QRectF(x * f, 418 * f, 4 * f, 4 * f));
  }
  p.setOpacity(1.0);
  // A thin gold rule under the title area; the Catalog has no title there, and its reset
  // button sits where the rule would run.
  if (prefix == QLatin1String("pbk")) return image;
  QLinearGradient rule(w * 0.2, 0, w * 0.95, 0);
  rule.setColorAt(0, QColor(180, 150, 80, 0));
  rule.setColorAt(0.5, QColor(180, 150, 80, 120));
  rule.setColorAt(1, QColor(180, 150, 80, 0));
  p.fillRect(QRectF(w * 0.2, h * 0.135, w * 0.75, std::max(1.0, h / 480.0)), rule);
  return image;
}

}  // namespace olvtool
