// icongen: writes the program's icon as a scalable SVG and as PNGs of the usual sizes.
// One list of shapes feeds both writers, so the bitmaps and the drawing never drift apart.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cstdio>
#include <vector>

namespace {

constexpr int kDesignSize = 256;

struct Shape {
  enum class Kind { RoundedSquare, Circle, Polygon } kind;
  std::vector<QPointF> points;  // polygon corners, or the circle's centre
  qreal radius = 0;
  QColor fill;    // invalid: not filled
  QColor stroke;  // invalid: no outline
  qreal strokeWidth = 0;
};

std::vector<Shape> IconShapes() {
  const QColor night(0x10, 0x14, 0x18), gold(0xd9, 0xb8, 0x70), cream(0xf4, 0xe6, 0xc0);
  using K = Shape::Kind;
  return {
      {K::RoundedSquare, {}, 40, night, {}, 0},
      {K::Circle, {{128, 128}}, 104, {}, gold, 10},
      {K::Polygon,
       {{44, 162},
        {44, 138},
        {70, 130},
        {100, 102},
        {160, 102},
        {190, 130},
        {212, 136},
        {212, 162}},
       0,
       cream,
       {},
       0},
      {K::Polygon, {{106, 111}, {154, 111}, {177, 130}, {84, 130}}, 0, night, {}, 0},
      {K::Circle, {{84, 164}}, 18, night, gold, 8},
      {K::Circle, {{176, 164}}, 18, night, gold, 8},
  };
}

QString SvgColor(const QColor& c) { return c.isValid() ? c.name() : QStringLiteral("none"); }

QByteArray Svg() {
  QString out = QStringLiteral(
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                    "viewBox=\"0 0 %1 %1\">\n")
                    .arg(kDesignSize);
  for (const Shape& s : IconShapes()) {
    const QString paint = QStringLiteral("fill=\"%1\" stroke=\"%2\" stroke-width=\"%3\"")
                              .arg(SvgColor(s.fill), SvgColor(s.stroke))
                              .arg(s.strokeWidth);
    switch (s.kind) {
      case Shape::Kind::RoundedSquare:
        out += QStringLiteral("  <rect width=\"%1\" height=\"%1\" rx=\"%2\" %3/>\n")
                   .arg(kDesignSize)
                   .arg(s.radius)
                   .arg(paint);
        break;
      case Shape::Kind::Circle:
        out += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" %4/>\n")
                   .arg(s.points[0].x())
                   .arg(s.points[0].y())
                   .arg(s.radius)
                   .arg(paint);
        break;
      case Shape::Kind::Polygon: {
        QStringList corners;
        for (const QPointF& p : s.points) corners << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
        out += QStringLiteral("  <polygon points=\"%1\" %2/>\n")
                   .arg(corners.join(QLatin1Char(' ')), paint);
        break;
      }
    }
  }
  out += QStringLiteral("</svg>\n");
  return out.toUtf8();
}

QImage Png(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(qreal(size) / kDesignSize, qreal(size) / kDesignSize);
  for (const Shape& s : IconShapes()) {
    p.setBrush(s.fill.isValid() ? QBrush(s.fill) : QBrush(Qt::NoBrush));
    p.setPen(s.stroke.isValid() ? QPen(s.stroke, s.strokeWidth) : QPen(Qt::NoPen));
    switch (s.kind) {
      case Shape::Kind::RoundedSquare:
        p.drawRoundedRect(QRectF(0, 0, kDesignSize, kDesignSize), s.radius, s.radius);
        break;
      case Shape::Kind::Circle: p.drawEllipse(s.points[0], s.radius, s.radius); break;
      case Shape::Kind::Polygon:
        p.drawPolygon(QPolygonF(QList<QPointF>(s.points.begin(), s.points.end())));
        break;
    }
  }
  return image;
}

}  // namespace

// icongen OUT NAME: writes OUT/scalable/apps/NAME.svg and OUT/<n>x<n>/apps/NAME.png.
int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: icongen OUT NAME\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]), name = QString::fromLocal8Bit(argv[2]);
  const QString svgFolder = out + QStringLiteral("/scalable/apps");
  QFile svg(svgFolder + QLatin1Char('/') + name + QStringLiteral(".svg"));
  if (!QDir().mkpath(svgFolder) || !svg.open(QIODevice::WriteOnly) || svg.write(Svg()) < 0) {
    std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = out + QStringLiteral("/%1x%1/apps").arg(size);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(folder) || !Png(size).save(file)) {
      std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
