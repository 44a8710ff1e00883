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

// Builds the 16- and 256-colour palettes from ":/bitmaps/PAL16.bmp" and ":/bitmaps/PAL256.bmp".
// A missing or damaged resource leaves that palette empty. Returns true when both were built.
bool LoadPalettes();

// Discards both palettes. Safe to call twice; DisplayPalette then returns nullptr.
void FreePalettes();

// The bits per pixel of the display: the override when one is set (the --depth option),
// else the primary screen's depth (32 without a screen).
int DisplayDepth();
// Pretends a display depth (0 removes the override).
void SetDisplayDepthOverride(int bitsPerPixel);

// The palette for the current display: the 16-colour table below 8 bits per pixel, the
// 256-colour table at exactly 8, nullptr above (and nullptr for a palette that is not loaded).
// The table stays owned by this module and lives until FreePalettes.
const ColorTable* DisplayPalette();

// `picture` with every pixel replaced by its nearest colour of `palette` (alpha kept).
QImage MapToPalette(const QImage& picture, const ColorTable& palette);

}  // namespace orlaventis
