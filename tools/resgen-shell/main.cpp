// resgen-shell: draws the shell's and the sections' bitmap and cursor resources into resources/.
//
// Usage: resgen-shell RESOURCES_DIR
// Writes bitmaps/<NAME>.bmp (24-bit, or 8-bit and 4-bit with colour tables for the palette
// variants, mapped to the display palettes bitmaps/PAL256.bmp and PAL16.bmp of tools/resgen),
// forms/<NAME>.png (pictures stored with a form), cursors/<NAME>.png (with the hotspot in the PNG
// text keys "HotspotX" and "HotspotY") and icons/<NAME>.png (the 16 colours of PAL16.bmp and a
// transparent mask). Everything is drawn here from shapes and text, so the output is
// reproducible from this file and the Liberation fonts.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace {

QString outDir;
int failures = 0;
QList<QRgb> pal16;  // colour tables of bitmaps/PAL16.bmp and PAL256.bmp, when present
QList<QRgb> pal256;

// The colour table of a BMP file with a 40-byte info header; empty when unreadable.
QList<QRgb> ReadColourTable(const QString& path, int count) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (bytes.size() < 54 + 4 * count || !bytes.startsWith("BM")) return {};
  QList<QRgb> table;
  for (int i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const uchar*>(bytes.constData() + 54 + 4 * i);
    table.append(qRgb(entry[2], entry[1], entry[0]));
  }
  return table;
}

void Check(bool ok, const QString& what) {
  if (!ok) {
    std::fprintf(stderr, "resgen-shell: cannot write %s\n", qPrintable(what));
    ++failures;
  }
}

void Put16(QByteArray& b, int v) {
  b.append(char(v & 0xff));
  b.append(char((v >> 8) & 0xff));
}
void Put32(QByteArray& b, qint64 v) {
  for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xff));
}

// A BMP file of `bits` 4, 8 or 24 per pixel (bottom-up rows, 40-byte info header, the colour
// table of the indexed depths written in full).
QByteArray EncodeBmp(const QImage& source, int bits) {
  QImage image = source.convertToFormat(QImage::Format_RGB32);
  QList<QRgb> table;
  QImage indexed;
  if (bits <= 8) {
    const int colours = 1 << bits;
    // The program's display palettes when they are there, so that the palette variants show
    // unchanged on palette displays; else a table of Qt's quantiser.
    table = bits == 4 ? pal16 : pal256;
    if (table.size() != colours) {
      table = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither).colorTable();
      table = table.mid(0, colours);
    }
    indexed = image.convertToFormat(QImage::Format_Indexed8, table, Qt::DiffuseDither);
    while (table.size() < colours) table.append(qRgb(0, 0, 0));
  }
  const int w = image.width();
  const int h = image.height();
  const int rowBytes = ((w * bits + 31) / 32) * 4;
  QByteArray pixels(rowBytes * h, '\0');
  for (int y = 0; y < h; ++y) {
    char* row = pixels.data() + (h - 1 - y) * rowBytes;
    for (int x = 0; x < w; ++x) {
      if (bits == 24) {
        const QRgb c = image.pixel(x, y);
        row[3 * x] = char(qBlue(c));
        row[3 * x + 1] = char(qGreen(c));
        row[3 * x + 2] = char(qRed(c));
      } else if (bits == 8) {
        row[x] = char(indexed.pixelIndex(x, y));
      } else {
        const int index = indexed.pixelIndex(x, y) & 0x0f;
        row[x / 2] = char(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
      }
    }
  }
  const int tableBytes = static_cast<int>(table.size()) * 4;
  QByteArray file;
  file.append("BM");
  Put32(file, 14 + 40 + tableBytes + pixels.size());
  Put32(file, 0);
  Put32(file, 14 + 40 + tableBytes);
  Put32(file, 40);
  Put32(file, w);
  Put32(file, h);
  Put16(file, 1);
  Put16(file, bits);
  Put32(file, 0);
  Put32(file, pixels.size());
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, 0);  // colours used: 0 = 2^bits
  Put32(file, 0);
  for (QRgb c : table) {
    file.append(char(qBlue(c)));
    file.append(char(qGreen(c)));
    file.append(char(qRed(c)));
    file.append('\0');
  }
  file.append(pixels);
  return file;
}

void WriteBmp(const QString& name, const QImage& image, int bits) {
  const QString path = outDir + "/bitmaps/" + name + ".bmp";
  QFile file(path);
  Check(file.open(QIODevice::WriteOnly) && file.write(EncodeBmp(image, bits)) > 0, path);
}

void WritePng(const QString& folder, const QString& name, QImage image) {
  const QString path = outDir + "/" + folder + "/" + name + ".png";
  Check(image.save(path, "PNG"), path);
}

// An icon: a PNG of the 16 colours of bitmaps/PAL16.bmp plus one transparent entry, the mask
// of a 16-colour icon (pixels at least half opaque show, the others are transparent).
void WriteIcon(const QString& name, const QImage& source) {
  QList<QRgb> table = pal16;
  if (table.size() != 16) {
    Check(false, name + " (bitmaps/PAL16.bmp is missing: run resgen first)");
    return;
  }
  const int transparent = static_cast<int>(table.size());
  table.append(qRgba(0, 0, 0, 0));
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  QImage icon(image.size(), QImage::Format_Indexed8);
  icon.setColorTable(table);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      int best = transparent;
      if (qAlpha(c) >= 128) {
        // Unpremultiplied already; nearest palette colour.
        int bestDistance = 1 << 30;
        for (int i = 0; i < transparent; ++i) {
          const int dr = qRed(table[i]) - qRed(c);
          const int dg = qGreen(table[i]) - qGreen(c);
          const int db = qBlue(table[i]) - qBlue(c);
          const int d = dr * dr + dg * dg + db * db;
          if (d < bestDistance) {
            bestDistance = d;
            best = i;
          }
        }
      }
      icon.setPixel(x, y, static_cast<uint>(best));
    }
  }
  WritePng("icons", name, icon);
}

void WriteCursor(const QString& name, QImage image, int hotX, int hotY) {
  image.setText("HotspotX", QString::number(hotX));
  image.setText("HotspotY", QString::number(hotY));
  WritePng("cursors", name, image);
}

// Every picture is drawn on a canvas of scale x its size with that device-pixel ratio, so the
// same drawing code makes the variants for dense screens ("@2x" files).
int scale = 1;

QImage Canvas(int w, int h, QColor fill) {
  QImage image(w * scale, h * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(fill);
  return image;
}

QFont Sans(int pixelSize, bool bold = false, bool italic = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setItalic(italic);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QFont Serif(int pixelSize, bool italic = false) {
  QFont font(QStringLiteral("Liberation Serif"));
  font.setPixelSize(pixelSize);
  font.setItalic(italic);
  return font;
}

// The car's side view, drawn into `box`: long bonnet, rounded cabin, two wheels.
void DrawCar(QPainter& p, const QRectF& box, QColor body, QColor glass, QColor outline) {
  const double w = box.width();
  const double h = box.height();
  auto at = [&](double fx, double fy) { return QPointF(box.left() + fx * w, box.top() + fy * h); };
  QPainterPath shape;
  shape.moveTo(at(0.02, 0.72));
  shape.cubicTo(at(0.02, 0.55), at(0.08, 0.50), at(0.20, 0.48));
  shape.lineTo(at(0.38, 0.45));
  shape.cubicTo(at(0.45, 0.20), at(0.52, 0.14), at(0.62, 0.14));
  shape.cubicTo(at(0.76, 0.14), at(0.84, 0.30), at(0.90, 0.44));
  shape.cubicTo(at(0.97, 0.47), at(0.99, 0.58), at(0.98, 0.72));
  shape.closeSubpath();
  p.setPen(QPen(outline, qMax(1.0, w / 160)));
  p.setBrush(body);
  p.drawPath(shape);
  QPainterPath window;
  window.moveTo(at(0.43, 0.45));
  window.cubicTo(at(0.48, 0.25), at(0.54, 0.20), at(0.62, 0.20));
  window.cubicTo(at(0.72, 0.20), at(0.78, 0.30), at(0.83, 0.45));
  window.closeSubpath();
  p.setBrush(glass);
  p.drawPath(window);
  p.drawLine(at(0.63, 0.20), at(0.63, 0.45));
  p.setPen(QPen(outline.lighter(160), qMax(1.0, w / 240)));
  p.drawLine(at(0.06, 0.58), at(0.94, 0.58));
  for (double fx : {0.22, 0.78}) {
    const QPointF centre = at(fx, 0.74);
    const double r = 0.11 * w;
    p.setPen(QPen(outline, qMax(1.0, w / 160)));
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(centre, r, r);
    p.setBrush(QColor(200, 200, 205));
    p.drawEllipse(centre, r * 0.55, r * 0.55);
    p.setBrush(QColor(120, 120, 128));
    p.drawEllipse(centre, r * 0.18, r * 0.18);
  }
}

// Menu button face: a rounded bar with a soft gradient; `down` marks the current section.
QImage MenuButton(bool down) {
  const int w = 152, h = 38;
  QImage image = Canvas(w, h, QColor(0, 0, 0));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, h);
  if (down) {
    g.setColorAt(0, QColor(255, 236, 170));
    g.setColorAt(0.5, QColor(236, 188, 84));
    g.setColorAt(1, QColor(180, 128, 40));
  } else {
    g.setColorAt(0, QColor(246, 248, 250));
    g.setColorAt(0.5, QColor(204, 210, 218));
    g.setColorAt(1, QColor(150, 158, 170));
  }
  p.setPen(QPen(down ? QColor(110, 70, 10) : QColor(70, 76, 88), 2));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 12, 12);
  p.setPen(QPen(QColor(255, 255, 255, 150), 2));
  p.drawLine(QPointF(14, 6), QPointF(w - 14, 6));
  // A small marker at the right end: a dot for the sections, lit when current.
  p.setPen(Qt::NoPen);
  p.setBrush(down ? QColor(150, 40, 20) : QColor(110, 118, 130));
  p.drawEllipse(QPointF(w - 11, h / 2.0), 4, 4);
  return image;
}

QImage IntroPicture() {
  const int s = 282;
  QImage image = Canvas(s, s, Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient sky(0, 0, 0, 200);
  sky.setColorAt(0, QColor(24, 58, 92));
  sky.setColorAt(1, QColor(140, 177, 156));
  p.fillRect(QRect(8, 8, s - 16, 214), sky);
  p.setPen(QColor(230, 236, 240));
  p.setFont(Serif(34, true));
  p.drawText(QRect(8, 16, s - 16, 44), Qt::AlignHCenter | Qt::AlignVCenter, "Orlaventis");
  p.setFont(Sans(11));
  p.drawText(QRect(8, 58, s - 16, 18), Qt::AlignHCenter, "1.0 release 4");
  p.fillRect(QRect(8, 182, s - 16, 40), QColor(60, 64, 66));
  p.setPen(QPen(QColor(240, 220, 120), 2, Qt::DashLine));
  p.drawLine(QPointF(16, 204), QPointF(s - 16, 204));
  DrawCar(p, QRectF(30, 88, 222, 118), QColor(150, 24, 30), QColor(190, 214, 230),
          QColor(20, 20, 24));
  p.setPen(QPen(QColor(24, 58, 92), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(8, 8, s - 16, 214));
  return image;
}

QImage AboutPicture() {
  const int s = 325;
  QImage image = Canvas(s, s, QColor(140, 177, 156));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.fillRect(QRect(6, 6, s - 12, 168), QColor(176, 206, 188));
  p.setPen(QColor(20, 46, 36));
  p.setFont(Serif(36, true));
  p.drawText(QRect(0, 12, s, 44), Qt::AlignHCenter, "Orlaventis");
  p.setFont(Sans(12));
  p.drawText(QRect(0, 56, s, 18), Qt::AlignHCenter, "1.0 release 4");
  DrawCar(p, QRectF(70, 74, 185, 100), QColor(28, 60, 110), QColor(210, 228, 238),
          QColor(16, 20, 24));
  // The credits at (10, 178) and below are written over the picture in the reader's language.
  // Publisher's mark, a hot spot at (211, 207), 78 x 95.
  p.setPen(QPen(QColor(20, 46, 36), 2));
  p.setBrush(QColor(236, 232, 214));
  p.drawRoundedRect(QRectF(213, 209, 74, 91), 8, 8);
  p.setBrush(QColor(180, 60, 40));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(250, 238), 18, 18);
  p.setBrush(QColor(236, 232, 214));
  p.drawEllipse(QPointF(250, 238), 9, 9);
  p.setPen(QColor(20, 46, 36));
  p.setFont(Sans(13, true));
  p.drawText(QRect(211, 262, 78, 18), Qt::AlignHCenter, "Ostrand");
  p.setFont(Sans(10));
  p.drawText(QRect(211, 280, 78, 14), Qt::AlignHCenter, "Media");
  // Maker's mark, a hot spot at (40, 267), 130 x 40.
  p.setPen(QPen(QColor(236, 232, 214), 2));
  p.setBrush(QColor(24, 40, 60));
  p.drawRoundedRect(QRectF(42, 269, 126, 36), 6, 6);
  p.setPen(QColor(236, 232, 214));
  p.setFont(Sans(15, true, true));
  p.drawText(QRect(40, 267, 130, 40), Qt::AlignCenter, "Tarnwick");
  return image;
}

QImage Door() {
  QImage image = Canvas(32, 32, QColor(192, 192, 192));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 30, 20), 1.5));
  p.setBrush(QColor(120, 80, 40));
  p.drawRect(QRectF(7, 3, 18, 27));
  p.setBrush(QColor(170, 120, 60));
  QPolygonF leaf({QPointF(9, 5), QPointF(21, 8), QPointF(21, 31), QPointF(9, 28)});
  p.drawPolygon(leaf);
  p.setBrush(QColor(240, 210, 80));
  p.drawEllipse(QPointF(18.5, 18), 1.6, 1.6);
  return image;
}

QImage CheckBox(bool checked) {
  QImage image = Canvas(13, 13, Qt::white);
  QPainter p(&image);
  p.setPen(QColor(64, 64, 64));
  p.drawRect(0, 0, 12, 12);
  if (checked) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.drawPolyline(QPolygonF({QPointF(3, 6.5), QPointF(5.5, 9), QPointF(10, 3.5)}));
  }
  return image;
}

QImage SmallButtonFace(bool arrow) {
  QImage image = Canvas(16, 16, QColor(192, 192, 192));
  QPainter p(&image);
  p.setPen(Qt::white);
  p.drawLine(0, 0, 14, 0);
  p.drawLine(0, 0, 0, 14);
  p.setPen(QColor(128, 128, 128));
  p.drawLine(15, 0, 15, 15);
  p.drawLine(0, 15, 15, 15);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  if (arrow) {
    p.drawPolygon(QPolygon({QPoint(4, 6), QPoint(12, 6), QPoint(8, 10)}));
  } else {
    for (int x : {4, 8, 12}) p.drawRect(x - 1, 10, 2, 2);
  }
  return image;
}

// The Info tile's artwork: the car, an "i" badge and the name, laid out afresh for the face of
// the tile in each design size (`w` x `h`, the face's pixels) so that it fills the face exactly;
// its dark edge continues the face's outline.
QImage InfoGlyph(int w, int h) {
  QImage image = Canvas(w, h, QColor(176, 200, 200));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient ground(0, 0, 0, h);
  ground.setColorAt(0, QColor(214, 230, 230));
  ground.setColorAt(1, QColor(168, 194, 196));
  p.fillRect(QRectF(0, 0, w, h), ground);
  const QColor ink(24, 58, 92);
  // The car keeps its proportions and stays clear of the edges (its tail included).
  const double carH = h * 0.66;
  const double carW = std::min(carH * 1.7, w * 0.66);
  DrawCar(p, QRectF(w * 0.05, h * 0.04, carW, carW / 1.7), QColor(150, 24, 30),
          QColor(190, 214, 230), QColor(20, 20, 24));
  const double r = h * 0.2;
  const QPointF badge(w - r - w * 0.07, h * 0.3);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(badge, r, r);
  p.setPen(Qt::white);
  p.setFont(Serif(qRound(r * 1.6), true));
  p.drawText(QRectF(badge.x() - r, badge.y() - r, 2 * r, 2 * r), Qt::AlignCenter, "i");
  p.setPen(ink);
  p.setFont(Sans(std::max(8, qRound(h * 0.22)), true));
  p.drawText(QRectF(0, h * 0.7, w, h * 0.28), Qt::AlignCenter, "Orlaventis");
  p.setPen(QPen(QColor(40, 56, 64), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
  return image;
}

enum class Step { First, Previous, Next, Last, Reset };
enum class Look { Up, Down, Disabled };

// A step button's icon: a round plate with an arrow sign on a transparent ground, 32 x 32 for
// the picture steps and 16 x 16 for the reset button, whose button is only 15 pixels high.
QImage StepIcon(Step step, Look look) {
  const int size = step == Step::Reset ? 16 : 32;
  QImage image = Canvas(size, size, Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  const QColor plate = look == Look::Disabled ? QColor(128, 128, 128)
                       : look == Look::Down   ? QColor(0, 128, 128)
                                              : QColor(192, 192, 192);
  const QColor sign = look == Look::Disabled ? QColor(192, 192, 192)
                      : look == Look::Down   ? QColor(255, 255, 255)
                                             : QColor(0, 0, 128);
  const double shift = look == Look::Down ? 1 : 0;
  // No rim: a light edge breaks into a dashed halo on dark grounds once the icon is reduced to
  // 16 colours and a mask.
  p.setPen(Qt::NoPen);
  p.setBrush(plate);
  p.drawEllipse(QRectF(2 + shift, 2 + shift, 27, 27));
  p.setPen(Qt::NoPen);
  p.setBrush(sign);
  auto triangle = [&](double tipX, bool left) {
    const double base = left ? tipX + 8 : tipX - 8;
    p.drawPolygon(
        QPolygonF({QPointF(tipX + shift, 15.5 + shift), QPointF(base + shift, 9.5 + shift),
                   QPointF(base + shift, 21.5 + shift)}));
  };
  switch (step) {
    case Step::First:
      p.drawRect(QRectF(8 + shift, 9.5 + shift, 2.5, 12));
      triangle(11, true);
      triangle(17, true);
      break;
    case Step::Previous: triangle(11, true); break;
    case Step::Next: triangle(21, false); break;
    case Step::Last:
      triangle(15, false);
      triangle(21, false);
      p.drawRect(QRectF(21.5 + shift, 9.5 + shift, 2.5, 12));
      break;
    case Step::Reset: {
      p.setPen(QPen(sign, 2.5));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(9 + shift, 9 + shift, 14, 14), 60 * 16, 280 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(sign);
      p.drawPolygon(QPolygonF({QPointF(19 + shift, 6 + shift), QPointF(24 + shift, 10 + shift),
                               QPointF(18 + shift, 12.5 + shift)}));
      break;
    }
  }
  return image;
}

// A cursor: white-edged black drawing on a transparent 32 x 32 image.
QImage CursorCanvas() { return Canvas(32, 32, Qt::transparent); }

QImage Magnifier(bool plus) {
  QImage image = CursorCanvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  for (const auto& [colour, width] :
       {std::pair{QColor(Qt::white), 5.0}, std::pair{QColor(Qt::black), 2.5}}) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 8, 8);
    p.drawLine(QPointF(18, 18), QPointF(28, 28));
  }
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(QPointF(8, 12), QPointF(16, 12));
  if (plus) p.drawLine(QPointF(12, 8), QPointF(12, 16));
  return image;
}

QImage HelpCursor() {
  QImage image = CursorCanvas();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPolygonF arrow({QPointF(1, 1), QPointF(1, 18), QPointF(5.5, 13.5), QPointF(9, 21),
                         QPointF(12, 19.5), QPointF(8.5, 12.5), QPointF(14, 12.5)});
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(Qt::black);
  p.drawPolygon(arrow);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(QColor(0, 0, 160));
  p.drawEllipse(QPointF(23, 20), 8, 8);
  p.setPen(Qt::white);
  p.setFont(Sans(13, true));
  p.drawText(QRectF(15, 12, 16, 16), Qt::AlignCenter, "?");
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: resgen-shell RESOURCES_DIR\n");
    return 2;
  }
  outDir = QString::fromLocal8Bit(argv[1]);
  for (const char* sub : {"bitmaps", "forms", "cursors", "icons"}) QDir(outDir).mkpath(sub);
  pal16 = ReadColourTable(outDir + "/bitmaps/PAL16.bmp", 16);
  pal256 = ReadColourTable(outDir + "/bitmaps/PAL256.bmp", 256);

  for (bool down : {false, true}) {
    const QImage face = MenuButton(down);
    const QString name = down ? "BUTDOWN" : "BUTUP";
    WriteBmp(name, face, 24);
    WriteBmp(name + "256", face, 8);
  }
  const QImage intro = IntroPicture();
  WritePng("forms", "IntroFormImg", intro);
  WriteBmp("Intro", intro, 4);
  WriteBmp("Intro256", intro, 8);
  const QImage about = AboutPicture();
  WritePng("forms", "AboutBoxImage", about);
  WriteBmp("About", about, 4);
  WriteBmp("About256", about, 8);
  const QImage door = Door();
  WriteBmp("Door256", door, 8);
  // The full-colour pictures again at twice the pixels for dense screens; the palette variants
  // serve low-colour displays only and have none.
  for (const QString& suffix : {QString(), QStringLiteral("@2x")}) {
    scale = suffix.isEmpty() ? 1 : 2;
    if (scale == 2) {
      WriteBmp("BUTDOWN@2x", MenuButton(true), 24);
      WriteBmp("BUTUP@2x", MenuButton(false), 24);
      WritePng("forms", "IntroFormImg@2x", IntroPicture());
      WritePng("forms", "AboutBoxImage@2x", AboutPicture());
    }
    // The face of the Info tile (75 x 45 at 640 x 480, scaled) is 0.9 of it each way.
    for (const auto& [design, w, h] :
         {std::tuple{"6x4", 68, 40}, {"8x6", 85, 50}, {"10x7", 108, 65}})
      WriteBmp(QStringLiteral("InfoGlyph") + design + suffix, InfoGlyph(w, h), 24);
    WriteBmp("Door" + suffix, Door(), 24);
    WriteBmp("Checked" + suffix, CheckBox(true), 24);
    WriteBmp("UnChecked" + suffix, CheckBox(false), 24);
    WriteBmp("DownArrow" + suffix, SmallButtonFace(true), 24);
    WriteBmp("TextButton" + suffix, SmallButtonFace(false), 24);
    const std::pair<Step, const char*> steps[] = {{Step::First, "First"},
                                                  {Step::Previous, "Previous"},
                                                  {Step::Next, "Next"},
                                                  {Step::Last, "Last"},
                                                  {Step::Reset, "Reset"}};
    const std::pair<Look, const char*> looks[] = {
        {Look::Up, "Up"}, {Look::Down, "Down"}, {Look::Disabled, "Disabled"}};
    for (const auto& [step, stepName] : steps) {
      for (const auto& [look, lookName] : looks) {
        WriteIcon(QString(stepName) + lookName + suffix, StepIcon(step, look));
      }
    }
    // Hotspots stay in the cursor's logical coordinates.
    WriteCursor("Help" + suffix, HelpCursor(), 1, 1);
    WriteCursor("ZoomIn" + suffix, Magnifier(true), 12, 12);
    WriteCursor("ZoomOut" + suffix, Magnifier(false), 12, 12);
  }
  return failures == 0 ? 0 : 1;
}
