// Writes PCX pictures (RLE): 1-bit, 4-bit planar, 8-bit with a palette and 24-bit true colour.
#include "PcxWriter.h"

#include "media/PictureDecoder.h"

#include <vector>

namespace olvtool {

namespace {

void PutWord(QByteArray& b, int at, int value) {
  b[at] = static_cast<char>(value & 0xFF);
  b[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// RLE of one plane line; runs never cross the line end.
void EncodeLine(const std::vector<uchar>& line, QByteArray& out) {
  size_t i = 0;
  while (i < line.size()) {
    const uchar value = line[i];
    size_t run = 1;
    while (i + run < line.size() && line[i + run] == value && run < 63) ++run;
    if (run > 1 || (value & 0xC0) == 0xC0) out.append(static_cast<char>(0xC0 | run));
    out.append(static_cast<char>(value));
    i += run;
  }
}

// The picture as colour indices into a table of at most `colours` entries.
QImage Indexed(const QImage& image, int colours) {
  if (image.format() == QImage::Format_Indexed8 && image.colorCount() <= colours) return image;
  if (colours <= 16) return orlaventis::ReduceColours(image, 4, false, {});
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ColorOnly | Qt::ThresholdDither);
}

}  // namespace

QByteArray WritePcx(const QImage& source, PcxDepth depth) {
  if (source.isNull() || source.width() > 65535 || source.height() > 65535) return {};
  const int w = source.width();
  const int h = source.height();
  int bits = 8, planes = 1;
  switch (depth) {
    case PcxDepth::Mono1: bits = 1; break;
    case PcxDepth::Planar4:
      bits = 1;
      planes = 4;
      break;
    case PcxDepth::Packed4: bits = 4; break;
    case PcxDepth::Indexed8: break;
    case PcxDepth::Rgb24: planes = 3; break;
  }
  int bytesPerLine = (w * bits + 7) / 8;
  bytesPerLine += bytesPerLine & 1;  // even, as PCX readers expect

  QImage image;
  if (depth == PcxDepth::Rgb24 || depth == PcxDepth::Mono1) {
    image = source.convertToFormat(QImage::Format_RGB32);
  } else {
    image = Indexed(source, depth == PcxDepth::Indexed8 ? 256 : 16);
  }
  if (image.isNull()) return {};
  const QList<QRgb> table = image.colorTable();

  QByteArray out(128, '\0');
  out[0] = 0x0A;
  out[1] = 5;
  out[2] = 1;
  out[3] = static_cast<char>(bits);
  PutWord(out, 8, w - 1);
  PutWord(out, 10, h - 1);
  PutWord(out, 12, 72);
  PutWord(out, 14, 72);
  if (depth == PcxDepth::Planar4 || depth == PcxDepth::Packed4) {
    for (int i = 0; i < 16; ++i) {
      const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
      out[16 + 3 * i] = static_cast<char>(qRed(c));
      out[17 + 3 * i] = static_cast<char>(qGreen(c));
      out[18 + 3 * i] = static_cast<char>(qBlue(c));
    }
  }
  out[65] = static_cast<char>(planes);
  PutWord(out, 66, bytesPerLine);
  PutWord(out, 68, 1);

  std::vector<uchar> line(static_cast<size_t>(bytesPerLine));
  for (int y = 0; y < h; ++y) {
    const uchar* row = image.constScanLine(y);
    const auto* rgb = reinterpret_cast<const QRgb*>(row);
    for (int p = 0; p < planes; ++p) {
      std::fill(line.begin(), line.end(), 0);
      for (int x = 0; x < w; ++x) {
        switch (depth) {
          case PcxDepth::Mono1:
            if (qGray(rgb[x]) >= 128) line[x / 8] |= static_cast<uchar>(0x80 >> (x & 7));
            break;
          case PcxDepth::Planar4:
            if ((row[x] >> p) & 1) line[x / 8] |= static_cast<uchar>(0x80 >> (x & 7));
            break;
          case PcxDepth::Packed4:
            line[x / 2] |= static_cast<uchar>((row[x] & 0x0F) << ((x & 1) ? 0 : 4));
            break;
          case PcxDepth::Indexed8: line[x] = row[x]; break;
          case PcxDepth::Rgb24:
            line[x] = static_cast<uchar>(p == 0   ? qRed(rgb[x])
                                         : p == 1 ? qGreen(rgb[x])
                                                  : qBlue(rgb[x]));
            break;
        }
      }
      EncodeLine(line, out);
    }
  }
  if (depth == PcxDepth::Indexed8) {
    out.append(static_cast<char>(0x0C));
    for (int i = 0; i < 256; ++i) {
      const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
      out.append(static_cast<char>(qRed(c)));
      out.append(static_cast<char>(qGreen(c)));
      out.append(static_cast<char>(qBlue(c)));
    }
  }
  return out;
}

}  // namespace olvtool
