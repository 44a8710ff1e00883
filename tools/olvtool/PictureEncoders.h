// Encodes pictures in every format the archives carry (the demo painter's and --max-size's output).
#pragma once

#include <QByteArray>
#include <QImage>

namespace olvtool {

// The picture formats the archives carry, and the encoder for each.
enum class DemoFormat { Jpeg, Png, Bmp, Gif, Tiff, Pcx };
// The file bytes of `image` in `format`; empty when the encoder fails.
QByteArray EncodeDemoPicture(const QImage& image, DemoFormat format);

// A GIF87a file of `image` reduced to at most 256 colours. The LZW stream starts a new table
// every 250 codes so that every code keeps 9 bits (larger, but simple and always valid).
QByteArray EncodeGif(const QImage& image);

}  // namespace olvtool
