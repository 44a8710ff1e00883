// Palettes of displays of 8 bits per pixel or fewer: the 16- and 256-colour tables from the
// resources, the display's depth and pictures mapped to a palette.
#include "controls/Palette.h"

#include "controls/Resources.h"
#include "process/ProcessFacts.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QtEndian>

#include <limits>

namespace orlaventis {
namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kColorTableOffset = 40;  // the table always follows a 40-byte header
constexpr quint32 kMaxPaletteEntries = 65535;

ColorTable LoadPalette(const QString& name) {
  InitResources();
  QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ColorTableFromBmp(file.readAll());
}

const ColorTable& Palette16() {
  static const ColorTable table = LoadPalette(QStringLiteral("PAL16"));
  return table;
}

const ColorTable& Palette256() {
  static const ColorTable table = LoadPalette(QStringLiteral("PAL256"));
  return table;
}

}  // namespace

ColorTable ColorTableFromBmp(QByteArrayView bmp) {
  if (bmp.size() < kFileHeaderSize + 16 || bmp[0] != 'B' || bmp[1] != 'M') return {};
  const auto* info = reinterpret_cast<const uchar*>(bmp.data()) + kFileHeaderSize;
  const qsizetype infoSize = bmp.size() - kFileHeaderSize;
  const quint32 headerSize = qFromLittleEndian<quint32>(info);
  if (headerSize < 12 || headerSize > infoSize) return {};
  // Bit count: offset 14 of the 40-byte header, offset 10 of the old 12-byte one.
  const quint16 bitCount = qFromLittleEndian<quint16>(info + (headerSize >= 16 ? 14 : 10));
  quint64 count = 0;
  if (headerSize >= 36 && qFromLittleEndian<quint32>(info + 32) != 0) {
    count = qFromLittleEndian<quint32>(info + 32);
  } else if (bitCount < 32) {
    count = quint64{1} << bitCount;
  }
  if (count == 0 || count > kMaxPaletteEntries) return {};
  if (kColorTableOffset + 4 * count > static_cast<quint64>(infoSize)) return {};
  ColorTable table;
  table.reserve(static_cast<qsizetype>(count));
  for (quint64 i = 0; i < count; ++i) {
    const uchar* entry = info + kColorTableOffset + 4 * i;
    table.append(qRgb(entry[2], entry[1], entry[0]));
  }
  return table;
}

int DisplayDepth() {
  if (Process().displayDepthOverride > 0) return Process().displayDepthOverride;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->depth();
  }
  return 32;
}

const ColorTable* DisplayPalette() {
  const int depth = DisplayDepth();
  const ColorTable* table = nullptr;
  if (depth < 8) {
    table = &Palette16();
  } else if (depth == 8) {
    table = &Palette256();
  }
  return table != nullptr && !table->isEmpty() ? table : nullptr;
}

QImage MapToPalette(const QImage& picture, const ColorTable& palette) {
  if (picture.isNull() || palette.isEmpty()) return picture;
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  QHash<QRgb, QRgb> nearest;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb colour = line[x] | 0xFF000000u;
      auto it = nearest.constFind(colour);
      if (it == nearest.constEnd()) {
        QRgb best = palette.front();
        int bestDistance = std::numeric_limits<int>::max();
        for (QRgb candidate : palette) {
          const int dr = qRed(candidate) - qRed(colour);
          const int dg = qGreen(candidate) - qGreen(colour);
          const int db = qBlue(candidate) - qBlue(colour);
          const int distance = dr * dr + dg * dg + db * db;
          if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
          }
        }
        it = nearest.insert(colour, best);
      }
      line[x] = (line[x] & 0xFF000000u) | (*it & 0x00FFFFFFu);
    }
  }
  return out;
}

}  // namespace orlaventis
