// PCX pictures: our own decoder (1, 4, 8 and 24 bits per pixel, RLE, trailing 256-colour palette).
#include "media/Pcx.h"

#include <QList>

#include <vector>

namespace orlaventis {

namespace {

constexpr qsizetype kHeaderSize = 128;
constexpr qsizetype kEndPaletteSize = 769;  // 0x0C then 256 x RGB

quint16 Word(QByteArrayView b, qsizetype at) {
  return static_cast<quint16>(static_cast<unsigned char>(b[at]) |
                              (static_cast<unsigned char>(b[at + 1]) << 8));
}

QList<QRgb> PaletteAt(QByteArrayView b, qsizetype at, int count) {
  QList<QRgb> table;
  table.reserve(count);
  for (int i = 0; i < count; ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at + 3 * i);
    table << qRgb(p[0], p[1], p[2]);
  }
  return table;
}

// Pixel data bytes, RLE or raw; a run may cross the end of a line.
class PixelStream {
 public:
  PixelStream(QByteArrayView data, bool rle) : data_(data), rle_(rle) {}

  // Fills `line` whole; false when the data ends first.
  bool Fill(std::vector<unsigned char>& line) {
    for (unsigned char& out : line) {
      while (runLeft_ == 0) {
        if (pos_ >= data_.size()) return false;
        const auto b = static_cast<unsigned char>(data_[pos_++]);
        if (!rle_ || (b & 0xC0) != 0xC0) {
          runValue_ = b;
          runLeft_ = 1;
        } else {
          if (pos_ >= data_.size()) return false;
          runValue_ = static_cast<unsigned char>(data_[pos_++]);
          runLeft_ = b & 0x3F;  // a run of 0 gives nothing and is skipped
        }
      }
      out = runValue_;
      --runLeft_;
    }
    return true;
  }

 private:
  QByteArrayView data_;
  bool rle_;
  qsizetype pos_ = 0;
  int runLeft_ = 0;
  unsigned char runValue_ = 0;
};

QImage Failed(PcxResult why, PcxResult* result) {
  if (result != nullptr) *result = why;
  return {};
}

}  // namespace

QList<QRgb> StandardVgaColours() {
  static const QRgb k[16] = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
                             0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                             0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
  return QList<QRgb>(std::begin(k), std::end(k));
}

bool LooksLikePcx(QByteArrayView head) {
  if (head.size() < kHeaderSize || static_cast<unsigned char>(head[0]) != 0x0A) return false;
  const int version = static_cast<unsigned char>(head[1]);
  const int encoding = static_cast<unsigned char>(head[2]);
  const int bits = static_cast<unsigned char>(head[3]);
  const int planes = static_cast<unsigned char>(head[65]);
  return (version == 0 || (version >= 2 && version <= 5)) && encoding <= 1 &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8) && planes >= 1 && planes <= 4;
}

QImage DecodePcx(QByteArrayView bytes, qint64 allocationLimit, PcxResult* result) {
  if (bytes.size() < kHeaderSize) return Failed(PcxResult::TooShort, result);
  if (static_cast<unsigned char>(bytes[0]) != 0x0A) return Failed(PcxResult::BadMagic, result);
  const int version = static_cast<unsigned char>(bytes[1]);
  const int encoding = static_cast<unsigned char>(bytes[2]);
  const int bits = static_cast<unsigned char>(bytes[3]);
  const int planes = static_cast<unsigned char>(bytes[65]);
  const int bytesPerLine = Word(bytes, 66);
  if (encoding > 1) return Failed(PcxResult::Unsupported, result);
  const bool mono = bits == 1 && planes == 1;
  const bool planar16 = bits == 1 && planes == 4;
  const bool packed16 = bits == 4 && planes == 1;
  const bool indexed256 = bits == 8 && planes == 1;
  const bool trueColour = bits == 8 && planes == 3;
  if (!mono && !planar16 && !packed16 && !indexed256 && !trueColour)
    return Failed(PcxResult::Unsupported, result);

  const int xMin = Word(bytes, 4), yMin = Word(bytes, 6), xMax = Word(bytes, 8),
            yMax = Word(bytes, 10);
  if (xMax < xMin || yMax < yMin) return Failed(PcxResult::BadHeader, result);
  const int width = xMax - xMin + 1;
  const int height = yMax - yMin + 1;
  if (width > kMaxPcxSide || height > kMaxPcxSide) return Failed(PcxResult::TooLarge, result);
  if (static_cast<qint64>(bytesPerLine) * 8 < static_cast<qint64>(width) * bits)
    return Failed(PcxResult::BadHeader, result);
  // Taken at 4 bytes a pixel whatever the depth: scaling or mapping the colours makes a 32-bit
  // copy. Refused here, from the header, before any memory is taken.
  if (qint64{width} * height * 4 > allocationLimit) return Failed(PcxResult::TooLarge, result);

  QByteArrayView data = bytes.sliced(kHeaderSize);
  QList<QRgb> table;
  if (indexed256) {
    if (bytes.size() < kHeaderSize + kEndPaletteSize ||
        static_cast<unsigned char>(bytes[bytes.size() - kEndPaletteSize]) != 0x0C)
      return Failed(PcxResult::NoPalette, result);
    table = PaletteAt(bytes, bytes.size() - kEndPaletteSize + 1, 256);
    data = data.first(data.size() - kEndPaletteSize);
  } else if (planar16 || packed16) {
    // Version 3 files carry no header palette and mean the standard colours.
    table = version == 3 ? StandardVgaColours() : PaletteAt(bytes, 16, 16);
  } else if (mono) {
    table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  }

  // RLE gives at most 63 bytes per 2 input bytes; a picture the data cannot fill is refused
  // before its memory is taken.
  const qint64 lineBytes = qint64{planes} * bytesPerLine;
  const qint64 canFill = encoding == 1 ? data.size() / 2 * 63 + 1 : data.size();
  if (lineBytes * height > canFill) return Failed(PcxResult::Truncated, result);

  QImage image(width, height,
               mono         ? QImage::Format_Mono
               : trueColour ? QImage::Format_RGB32
                            : QImage::Format_Indexed8);
  if (image.isNull()) return Failed(PcxResult::TooLarge, result);
  if (!table.isEmpty()) image.setColorTable(table);

  PixelStream stream(data, encoding == 1);
  std::vector<unsigned char> line(static_cast<size_t>(planes) * bytesPerLine);
  const unsigned char* plane = line.data();
  for (int y = 0; y < height; ++y) {
    if (!stream.Fill(line)) return Failed(PcxResult::Truncated, result);
    uchar* row = image.scanLine(y);
    if (mono) {
      std::copy_n(plane, (width + 7) / 8, row);
    } else if (indexed256) {
      std::copy_n(plane, width, row);
    } else if (packed16) {
      for (int x = 0; x < width; ++x)
        row[x] = (x & 1) ? (plane[x / 2] & 0x0F) : (plane[x / 2] >> 4);
    } else if (planar16) {
      for (int x = 0; x < width; ++x) {
        const int bit = 7 - (x & 7);
        int index = 0;
        for (int p = 0; p < 4; ++p) index |= ((plane[p * bytesPerLine + x / 8] >> bit) & 1) << p;
        row[x] = static_cast<uchar>(index);
      }
    } else {
      auto* out = reinterpret_cast<QRgb*>(row);
      for (int x = 0; x < width; ++x)
        out[x] = qRgb(plane[x], plane[bytesPerLine + x], plane[2 * bytesPerLine + x]);
    }
  }
  if (result != nullptr) *result = PcxResult::Ok;
  return image;
}

const char* PcxResultText(PcxResult result) {
  switch (result) {
    case PcxResult::Ok: return "The picture was read";
    case PcxResult::TooShort: return "The file is too short for a PCX picture";
    case PcxResult::BadMagic: return "The file is not a PCX picture";
    case PcxResult::Unsupported: return "This kind of PCX picture cannot be read";
    case PcxResult::BadHeader: return "The PCX header is inconsistent";
    case PcxResult::TooLarge: return "The picture is too large";
    case PcxResult::Truncated: return "The picture data is damaged or incomplete";
    case PcxResult::NoPalette: return "The colour palette is missing";
  }
  return "The picture cannot be read";
}

}  // namespace orlaventis
