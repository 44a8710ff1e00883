// Palettes of displays of 8 bits per pixel or fewer: the 16- and 256-colour tables from the
// resources, the display's depth and pictures mapped to a palette.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QRgb>

namespace orlaventis {

// A colour table; an empty table means "no palette".
using ColorTable = QList<QRgb>;

// Colours of a BMP file's colour table: the count is biClrUsed when the info header is at
// least 36 bytes long and biClrUsed is not 0, else 2^biBitCount; entries are read from offset
// 40 of the info header (4-byte BGR0 entries). Returns an empty table when `bmpFile` is not a
// BMP, the header is short, the count exceeds 65535 or the table runs past the data.
ColorTable ColorTableFromBmp(QByteArrayView bmpFile);

// The bits per pixel of the display: Process().displayDepthOverride when it is above 0 (the
// --depth option, tests), else the primary screen's depth (32 without a screen).
int DisplayDepth();

// The palette for the current display: the 16-colour table of ":/bitmaps/PAL16.bmp" below 8
// bits per pixel, the 256-colour table of ":/bitmaps/PAL256.bmp" at exactly 8, nullptr above
// (and nullptr when that resource is missing or damaged). Each table is read once, on first use,
// never changes after and lives until the program ends.
const ColorTable* DisplayPalette();

// `picture` with every pixel replaced by its nearest colour of `palette` (alpha kept).
QImage MapToPalette(const QImage& picture, const ColorTable& palette);

}  // namespace orlaventis
