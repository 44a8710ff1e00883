// Fuzz target: picture sniffing, our PCX decoder and Qt's decoders under an allocation limit.
#include "media/Pcx.h"
#include "media/PictureDecoder.h"

#include <QCoreApplication>

#include <cstdlib>

using namespace orlaventis;

constexpr qint64 kFuzzAllocationLimit = 16LL * 1024 * 1024;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);  // image format plugins are found through it
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // First byte: which decoder (0 = name it from the content) and the reduction to try.
  const int choice = data[0];
  const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1),
                             static_cast<qsizetype>(size - 1));
  static const char* const kFormats[] = {"", "BMP", "JPEG", "PNG", "GIF", "TIF", "PCX"};
  const QString sniffed = SniffPictureFormat(bytes);
  const QString format = choice % 7 == 0 ? sniffed : QString::fromLatin1(kFormats[choice % 7]);
  if (format.isEmpty()) return 0;
  if (format == QLatin1String("PCX")) {
    PcxResult result = PcxResult::Ok;
    const QImage pcx = DecodePcx(bytes, kFuzzAllocationLimit, &result);
    if (pcx.isNull() != (result != PcxResult::Ok)) std::abort();
  }
  const DecodedPicture decoded = DecodePicture(bytes, format, kFuzzAllocationLimit);
  if (decoded.image.isNull() == decoded.reason.isEmpty()) std::abort();
  if (!decoded.image.isNull() && decoded.image.width() * decoded.image.height() <= 128 * 128) {
    const int bits[] = {0, 1, 4, 8};
    const QImage reduced =
        ReduceColours(decoded.image, bits[(choice / 7) % 4], (choice / 28) % 2 == 1,
                      (choice / 56) % 2 == 1 ? StandardVgaColours() : QList<QRgb>());
    if (reduced.size() != decoded.image.size()) std::abort();
  }
  return 0;
}
