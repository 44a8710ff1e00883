// resgen: writes the program's generated resources (palette bitmaps and hand cursors) into a
// resources folder, reproducibly: the same program writes the same bytes.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

using Colours = std::vector<QRgb>;

// The 16 standard VGA colours in the usual system order.
Colours Vga16() {
  return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
          0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
}

// 256 colours: the 20 static system colours at both ends, a 6 x 6 x 6 colour cube and a
// 20-step grey ramp between them.
Colours Table256() {
  Colours table = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                   0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) table.push_back(qRgb(r * 51, g * 51, b * 51) & 0xFFFFFF);
    }
  }
  for (int i = 1; i <= 20; ++i) {
    const int v = i * 255 / 21;
    table.push_back(qRgb(v, v, v) & 0xFFFFFF);
  }
  for (QRgb c : {0xFFFBF0u, 0xA0A0A4u, 0x808080u, 0xFF0000u, 0x00FF00u, 0xFFFF00u, 0x0000FFu,
                 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu}) {
    table.push_back(c);
  }
  return table;
}

void Put16(QByteArray& out, quint16 v) {
  char b[2];
  qToLittleEndian(v, b);
  out.append(b, 2);
}
void Put32(QByteArray& out, quint32 v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}

// A 10 x 10 bottom-up BMP with a 40-byte header whose colours-used field is 0, so the count
// follows from the bit count; the pixels show every colour index in turn.
QByteArray PaletteBitmap(const Colours& colours, int bitCount) {
  constexpr int kSide = 10;
  const int stride = (kSide * bitCount + 31) / 32 * 4;
  const quint32 offBits = 14 + 40 + 4 * static_cast<quint32>(colours.size());
  const quint32 imageSize = static_cast<quint32>(stride * kSide);
  QByteArray out;
  out.append("BM", 2);
  Put32(out, offBits + imageSize);
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, kSide);
  Put32(out, kSide);
  Put16(out, 1);
  Put16(out, static_cast<quint16>(bitCount));
  Put32(out, 0);  // no compression
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);  // colours used: all that the bit count allows
  Put32(out, 0);
  for (QRgb c : colours) {
    out.append(static_cast<char>(qBlue(c)));
    out.append(static_cast<char>(qGreen(c)));
    out.append(static_cast<char>(qRed(c)));
    out.append('\0');
  }
  for (int row = kSide - 1; row >= 0; --row) {
    QByteArray line(stride, '\0');
    for (int x = 0; x < kSide; ++x) {
      const int index = (row * kSide + x) % static_cast<int>(colours.size());
      if (bitCount == 8) {
        line[x] = static_cast<char>(index);
      } else {
        line[x / 2] = static_cast<char>(line[x / 2] | (x % 2 == 0 ? index << 4 : index));
      }
    }
    out.append(line);
  }
  return out;
}

// The outline of a right hand seen from its back, 32 x 32, with the fingers either stretched
// (index finger pointing up) or curled out of sight.
QPainterPath HandPath(bool withFingers) {
  QPainterPath hand;
  hand.setFillRule(Qt::WindingFill);
  if (withFingers) {
    hand.addRoundedRect(QRectF(9.5, 1.5, 6, 18), 3, 3);       // index finger
    hand.addRoundedRect(QRectF(15.5, 9.5, 5, 10), 2.5, 2.5);  // middle finger, bent
    hand.addRoundedRect(QRectF(20.5, 10.5, 5, 9), 2.5, 2.5);  // ring finger, bent
    hand.addRoundedRect(QRectF(25.5, 12.5, 4, 8), 2, 2);      // little finger, bent
    hand.addRoundedRect(QRectF(9.5, 15.5, 20, 14), 5, 5);     // palm
  } else {
    hand.addRoundedRect(QRectF(9.5, 9.5, 6, 6), 3, 3);  // knuckles
    hand.addRoundedRect(QRectF(15.5, 9.5, 5, 6), 2.5, 2.5);
    hand.addRoundedRect(QRectF(20.5, 10.5, 5, 6), 2.5, 2.5);
    hand.addRoundedRect(QRectF(25.5, 12.5, 4, 5), 2, 2);
    hand.addRoundedRect(QRectF(9.5, 12.5, 20, 17), 5, 5);  // palm
  }
  QPainterPath thumb;
  thumb.moveTo(10.5, 26.5);
  thumb.lineTo(3.5, 19.5);
  thumb.cubicTo(1.5, 17.0, 4.0, 14.0, 6.5, 15.5);
  thumb.lineTo(11.5, 19.5);
  thumb.closeSubpath();
  hand.addPath(thumb);
  return hand.simplified();
}

// `scale` 2 draws the variant for screens of device-pixel ratio 2: twice the pixels, the same
// shape; the hotspot stays in the cursor's logical coordinates.
QImage HandCursor(bool withFingers, QPoint hotspot, int scale) {
  QImage image(32 * scale, 32 * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(HandPath(withFingers));
    // Finger creases on the bent fingers.
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    for (double x : {15.5, 20.5, 25.5})
      painter.drawLine(QPointF(x, withFingers ? 12.5 : 11.5), QPointF(x, 16.5));
  }
  image.setText(QStringLiteral("HotspotX"), QString::number(hotspot.x()));
  image.setText(QStringLiteral("HotspotY"), QString::number(hotspot.y()));
  return image;
}

bool Write(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    std::fprintf(stderr, "resgen: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool WritePng(const QString& path, const QImage& image) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
    std::fprintf(stderr, "resgen: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: resgen RESOURCES_FOLDER\n");
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  if (!root.mkpath(QStringLiteral("bitmaps")) || !root.mkpath(QStringLiteral("cursors"))) {
    std::fprintf(stderr, "resgen: cannot create folders below %s\n", argv[1]);
    return 1;
  }
  bool ok =
      Write(root.filePath(QStringLiteral("bitmaps/PAL16.bmp")), PaletteBitmap(Vga16(), 4)) &&
      Write(root.filePath(QStringLiteral("bitmaps/PAL256.bmp")), PaletteBitmap(Table256(), 8));
  for (int scale : {1, 2}) {
    const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
    ok = ok &&
         WritePng(root.filePath(QStringLiteral("cursors/HandCursor") + suffix),
                  HandCursor(true, {12, 2}, scale)) &&
         WritePng(root.filePath(QStringLiteral("cursors/HandNoFingersCursor") + suffix),
                  HandCursor(false, {18, 14}, scale));
  }
  return ok ? 0 : 1;
}
