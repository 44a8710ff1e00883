// The multi-format picture decoder TPMultiImage and the program's bitmap resources.
#pragma once

#include "media/Messages.h"

#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QtGui/qrgb.h>

#include <functional>

namespace orlaventis {

// Read resolution: the colour depth pictures are mapped to after decoding.
enum class TLoadResolution { lColorVga, lMonoChrome, lColor16, lColor256, lColorTrue, lAutoMatic };

// Bits per pixel of a resolution: lColorVga 0 (the picture as decoded), lMonoChrome 1,
// lColor16 4, lColor256 8, lColorTrue 24; lAutoMatic 4 below a 5-bit display, 24 from 16 bits,
// else 8.
int ResolutionBits(TLoadResolution resolution, int displayDepth);

// Pictures whose width x height x 4 bytes (their 32-bit copy) is above this are refused before
// they are decoded: 32 Mpixels (8192 x 4096). An 8-bit picture scaled smoothly or mapped to the
// display's colours has its 32-bit copy beside it, so a picture takes about 160 MB at most
// besides its file. Files larger than kMaxPictureFileBytes are not read.
constexpr qint64 kPictureAllocationLimit = 128LL * 1024 * 1024;
constexpr qint64 kMaxPictureFileBytes = 128LL * 1024 * 1024;

// The format a file name's upper-case extension picks: "BMP" (.BMP, .THB), "JPEG" (.JPG,
// .THJ), "PNG", "GIF", "TIF", "PCX", "RES" (a bitmap resource); empty for any other name.
QString FormatForFileName(const QString& fileName);

// Names the format from the first bytes: "BMP", "JPEG", "PNG", "GIF", "TIF" or "PCX"; empty
// when none matches.
QString SniffPictureFormat(QByteArrayView head);

// The result of decoding picture bytes.
struct DecodedPicture {
  QImage image;    // null on failure
  QString reason;  // on failure, the decoder's own short message ("The picture data is damaged")
};

// Decodes `bytes` as `format` ("BMP", "JPEG", "PNG", "GIF", "TIF", "PCX"); a picture whose
// width x height x 4 is above `allocationLimit` bytes is refused ("The picture is too large")
// before it is decoded. Indexed pictures keep their colour table.
DecodedPicture DecodePicture(QByteArrayView bytes, const QString& format,
                             qint64 allocationLimit = kPictureAllocationLimit);

// The size to decode a picture of the given full size at. A size that is not smaller than the
// full size (or not valid) decodes the picture whole.
using PictureSizeRule = std::function<QSize(QSize)>;

// DecodePicture at the size `sizeFor` gives: JPEG pictures are scaled while they are decoded
// (DCT scaling, then smooth scaling to the exact size), other formats are decoded and then
// scaled smoothly. A scaled GIF keeps 32 bits per pixel. Without a rule it is DecodePicture.
DecodedPicture DecodePictureScaled(QByteArrayView bytes, const QString& format,
                                   const PictureSizeRule& sizeFor,
                                   qint64 allocationLimit = kPictureAllocationLimit);

// Maps a decoded picture to `bits` per pixel: 0 and 24 leave it as it is; 8 gives 256 colours
// (the default palette when one is given, else an optimal one), 4 gives 16 colours (the first
// 16 of the default palette when one is given, else the 16 standard VGA colours) as an
// Indexed8 image, 1 gives black and white (Format_Mono). `dither` picks Qt::DiffuseDither over
// Qt::ThresholdDither.
QImage ReduceColours(const QImage& image, int bits, bool dither, const QList<QRgb>& palette);

// Loads the program's bitmap resource `name` with its colour table: ":/bitmaps/<name>.bmp"
// (the file named exactly as the resource, e.g. ":/bitmaps/BUTUP256.bmp"); a name that starts
// with ":/" is taken as the full resource path. A null image when it is missing or unreadable.
// On a screen of device-pixel ratio above 1 the resource's "@2x" variant
// (":/bitmaps/<name>@2x.bmp") is taken when it exists, with device-pixel ratio 2: callers lay it
// out by its deviceIndependentSize(). With `scale` above 1 the picture is drawn that much larger:
// its deviceIndependentSize is the plain one's times `scale` (rounded), its pixels resampled
// smoothly from the "@2x" variant (the plain one when there is none) to the screen's density.
QImage LoadResourceBitmap(const QString& name, double scale = 1.0);

// The hidden picture decoder of the program (a plain object; nothing of it is shown). Setting
// ImageName loads the file into Picture; failures show the decoder's message and then
// "Reading <kind> file failed" through its messages (SetMessages), each with the file named on its
// last line, and leave Picture empty.
class TPMultiImage : public QObject {
  Q_OBJECT

 public:
  explicit TPMultiImage(QObject* parent = nullptr);

  QString ImageName() const { return imageName_; }
  // Stores the name and loads the file when the name changes. The extension picks the decoder
  // (FormatForFileName); without a known one the content names it (SniffPictureFormat). A
  // missing file, the empty name included, or content of no known format clears Picture
  // without a message. Something there that is not read (a folder, a FIFO, a device, a file
  // above kMaxPictureFileBytes) fails as a damaged picture would, or is a Problem when the
  // name gives no format. A ".RES" name loads the bitmap resource named by the base name.
  // Failure messages end with a line naming `source` (what the file came from, e.g. an
  // archive member), or the file itself when `source` is empty.
  void SetImageName(const QString& name, const QString& source = QString());

  // The decoded picture (null when nothing is loaded); indexed pictures carry their colours.
  const QImage& Picture() const { return picture_; }
  // The format of the picture last decoded ("BMP", "JPEG", ..., "RES"); empty when none.
  QString FormatName() const { return formatName_; }

  TLoadResolution ImageReadRes() const { return readRes_; }
  void SetImageReadRes(TLoadResolution resolution) { readRes_ = resolution; }
  bool ImageDither() const { return dither_; }
  void SetImageDither(bool dither) { dither_ = dither; }

  // The default palette handed to every decoder (the display palette on 8-bit displays or
  // fewer; empty above); lColor256 and lColor16 map to it.
  const QList<QRgb>& DefaultPalette() const { return palette_; }
  void SetDefaultPalette(const QList<QRgb>& palette) { palette_ = palette; }

  // While set, pictures are decoded at the size the rule gives for their full size (and then
  // mapped to the read resolution): thumbnails cost a fraction of a full decode. Applies to
  // the next load; an empty rule decodes whole pictures again.
  void SetSizeRule(PictureSizeRule sizeFor) { sizeRule_ = std::move(sizeFor); }

  // The JPEG decoding option word (1 in the program). Qt's JPEG decoder takes no such option;
  // the value is kept so that callers can set it as they always did, and has no effect.
  quint16 JpegOptions() const { return jpegOptions_; }
  void SetJpegOptions(quint16 options) { jpegOptions_ = options; }

  // The display depth lAutoMatic uses: the primary screen's depth when a GUI application runs,
  // else 24, unless set here (the --depth option, tests).
  int DisplayDepth() const;
  void SetDisplayDepth(int bitsPerPixel) { displayDepth_ = bitsPerPixel; }

  // Where failures are said: `messages` is not owned and must outlive the decoder (or be
  // replaced); null says them as stderr lines.
  void SetMessages(UserMessages* messages) { messages_ = messages; }

 private:
  UserMessages& Said() { return messages_ != nullptr ? *messages_ : stderrLines_; }
  void Load();
  void Fail(const QString& kind, const QString& reason);

  QString imageName_;
  QString source_;  // what failure messages name
  QImage picture_;
  QString formatName_;
  TLoadResolution readRes_ = TLoadResolution::lColorTrue;
  bool dither_ = true;
  QList<QRgb> palette_;
  quint16 jpegOptions_ = 1;
  int displayDepth_ = 0;  // 0: ask the screen
  PictureSizeRule sizeRule_;
  UserMessages* messages_ = nullptr;
  StderrMessages stderrLines_;
};

}  // namespace orlaventis
