// Writes PCX pictures (RLE): 1-bit, 4-bit planar, 8-bit with a palette and 24-bit true colour.
#pragma once

#include <QByteArray>
#include <QImage>

namespace olvtool {

enum class PcxDepth {
  Mono1,     // 1 plane x 1 bit, black and white
  Planar4,   // 4 planes x 1 bit, 16 colours in the header palette
  Packed4,   // 1 plane x 4 bits, 16 colours in the header palette
  Indexed8,  // 1 plane x 8 bits, 256-colour palette at the end of the file
  Rgb24,     // 3 planes x 8 bits
};

// The PCX file of `image` at `depth` (colours are reduced as needed: Mono1 by threshold,
// Planar4/Packed4 to the image's own colour table when it has at most 16 colours, else to 16
// standard colours; Indexed8 to the image's table or an optimal 256). Empty for a null image or
// one wider or taller than 65535 pixels.
QByteArray WritePcx(const QImage& image, PcxDepth depth);

}  // namespace olvtool
