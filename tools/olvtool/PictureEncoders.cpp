// Encodes pictures in every format the archives carry (the demo painter's and --max-size's output).
#include "PictureEncoders.h"

#include "PcxWriter.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>

namespace olvtool {

namespace {

QByteArray Encode(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (quality >= 0) writer.setQuality(quality);
  if (!writer.write(image)) return {};
  return bytes;
}

}  // namespace

QByteArray EncodeGif(const QImage& image) {
  if (image.isNull() || image.width() > 65535 || image.height() > 65535) return {};
  const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
  QList<QRgb> table = indexed.colorTable();
  table.resize(256, qRgb(0, 0, 0));
  QByteArray out("GIF87a");
  auto word = [&](int v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
  };
  word(image.width());
  word(image.height());
  out.append(char(0xF7));  // global table of 256 entries, 8 bits of colour resolution
  out.append('\0');
  out.append('\0');
  for (QRgb c : table) {
    out.append(char(qRed(c)));
    out.append(char(qGreen(c)));
    out.append(char(qBlue(c)));
  }
  out.append(',');
  word(0);
  word(0);
  word(image.width());
  word(image.height());
  out.append('\0');
  out.append(char(8));  // minimum code size
  QByteArray packed;
  uint32_t bits = 0;
  int bitCount = 0;
  auto code = [&](int c) {
    bits |= uint32_t(c) << bitCount;
    bitCount += 9;
    while (bitCount >= 8) {
      packed.append(char(bits & 0xFF));
      bits >>= 8;
      bitCount -= 8;
    }
  };
  constexpr int kClear = 256, kEnd = 257, kRun = 250;
  int sinceClear = 0;
  code(kClear);
  for (int y = 0; y < indexed.height(); ++y) {
    const uchar* line = indexed.constScanLine(y);
    for (int x = 0; x < indexed.width(); ++x) {
      if (sinceClear == kRun) {
        code(kClear);
        sinceClear = 0;
      }
      code(line[x]);
      ++sinceClear;
    }
  }
  code(kEnd);
  if (bitCount > 0) packed.append(char(bits & 0xFF));
  for (qsizetype i = 0; i < packed.size(); i += 255) {
    const qsizetype n = std::min<qsizetype>(255, packed.size() - i);
    out.append(char(n));
    out.append(packed.constData() + i, n);
  }
  out.append('\0');
  out.append(';');
  return out;
}

QByteArray EncodeDemoPicture(const QImage& image, DemoFormat format) {
  if (image.isNull()) return {};
  switch (format) {
    case DemoFormat::Jpeg: return Encode(image, "jpeg", 85);
    case DemoFormat::Png: return Encode(image, "png");
    case DemoFormat::Bmp: return Encode(image.convertToFormat(QImage::Format_RGB888), "bmp");
    case DemoFormat::Tiff: return Encode(image, "tiff");
    case DemoFormat::Gif: return EncodeGif(image);
    case DemoFormat::Pcx: return WritePcx(image, PcxDepth::Rgb24);
  }
  return {};
}

}  // namespace olvtool
