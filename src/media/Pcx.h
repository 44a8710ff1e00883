// PCX pictures: our own decoder (1, 4, 8 and 24 bits per pixel, RLE, trailing 256-colour palette).
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>

namespace orlaventis {

// Why a PCX file did not decode.
enum class PcxResult {
  Ok,
  TooShort,     // fewer bytes than the 128-byte header
  BadMagic,     // first byte not 0x0A
  Unsupported,  // an encoding, plane count or bit depth we do not read
  BadHeader,    // window or line length inconsistent
  TooLarge,     // dimensions above kMaxPcxSide or 4 bytes a pixel above the allocation limit
  Truncated,    // pixel data ends early
  NoPalette,    // 8-bit single plane without the 0x0C + 768-byte palette at the end
};

constexpr int kMaxPcxSide = 16384;

// True when `head` starts like a PCX file we read (magic, version, encoding, depth, planes).
bool LooksLikePcx(QByteArrayView head);

// Decodes `bytes`. Planes x bits supported: 1x1 (black and white), 1x4 and 4x1 (16 colours
// from the header palette), 8x1 (256 colours from the palette at the end), 8x3 (true colour);
// encoding 0 (raw) or 1 (RLE, runs may cross line ends). A picture whose width x height x 4
// bytes is above `allocationLimit` is refused (TooLarge) before decoding. Returns a null image
// and sets *result (when given) on failure; indexed results carry their colour table
// (Format_Mono or Format_Indexed8), true colour is Format_RGB32.
QImage DecodePcx(QByteArrayView bytes, qint64 allocationLimit, PcxResult* result = nullptr);

// The 16 standard VGA colours (black, the eight dark colours, grey, the bright ones, white).
QList<QRgb> StandardVgaColours();

// A short English text for a result (the decoder's own message).
const char* PcxResultText(PcxResult result);

}  // namespace orlaventis
