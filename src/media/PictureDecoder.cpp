// The multi-format picture decoder TPMultiImage and the program's bitmap resources.
#include "media/PictureDecoder.h"

#include "database/RegularFile.h"
#include "media/Messages.h"
#include "media/Pcx.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace orlaventis {

namespace {

constexpr int kMb = 1024 * 1024;

QByteArray QtFormat(const QString& format) {
  if (format == QLatin1String("BMP")) return "bmp";
  if (format == QLatin1String("JPEG")) return "jpeg";
  if (format == QLatin1String("PNG")) return "png";
  if (format == QLatin1String("GIF")) return "gif";
  if (format == QLatin1String("TIF")) return "tiff";
  return {};
}

// The word of the failure message: "Reading <kind> file failed".
QString Kind(const QString& format) {
  if (format == QLatin1String("JPEG")) return QStringLiteral("jpg");
  if (format == QLatin1String("RES")) return QStringLiteral("resource");
  return format.toLower();
}

QString ReaderReason(QImageReader::ImageReaderError error) {
  switch (error) {
    case QImageReader::FileNotFoundError: return QStringLiteral("The file cannot be opened");
    case QImageReader::UnsupportedFormatError:
      return QStringLiteral("The file is not a picture of this kind");
    case QImageReader::InvalidDataError:
      return QStringLiteral("The picture data is damaged or incomplete");
    case QImageReader::DeviceError: return QStringLiteral("The file cannot be read");
    default: return QStringLiteral("The picture cannot be read");
  }
}

int Distance(QRgb a, QRgb b) {
  const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
  return dr * dr + dg * dg + db * db;
}

// Nearest palette entry (the first of equally near ones), exact for every colour. Colours fall
// into 16 x 16 x 16 cells of 16 levels a side; the first colour met in a cell lists the entries
// that can be nearest to any colour of the cell: those no farther from the cell than the
// farthest point of the cell is from the entry best placed for it. A colour is then measured
// against that short list only, which does not depend on which colour came first.
class NearestColour {
 public:
  // `table`: 1 to 256 entries; it must outlive the object.
  explicit NearestColour(const QList<QRgb>& table) : table_(table) {
    start_.fill(-1);
    least_.resize(static_cast<size_t>(table.size()));
  }
  int operator()(int r, int g, int b) {
    const int cell = ((r >> kShift) << (2 * kBits)) | ((g >> kShift) << kBits) | (b >> kShift);
    if (start_[cell] < 0) List(cell, r & ~kSide, g & ~kSide, b & ~kSide);
    const uint8_t* entry = candidates_.data() + start_[cell];
    const uint8_t* end = entry + count_[cell];
    int best = *entry;
    if (end - entry == 1) return best;
    const QRgb colour = qRgb(r, g, b);
    int bestDistance = Distance(colour, table_[best]);
    while (++entry != end) {
      const int distance = Distance(colour, table_[*entry]);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = *entry;
      }
    }
    return best;
  }

 private:
  static constexpr int kBits = 4;  // cells per channel: 1 << kBits
  static constexpr int kShift = 8 - kBits;
  static constexpr int kSide = (1 << kShift) - 1;  // a cell spans lowest .. lowest + kSide

  // Lists the candidates of the cell whose lowest levels are r0, g0, b0, in table order.
  void List(int cell, int r0, int g0, int b0) {
    // Adds the squared gaps between `value` and the nearest and farthest levels of a cell side.
    const auto side = [](int value, int low, int& least, int& most) {
      const int nearGap = std::max({low - value, value - low - kSide, 0});
      const int farGap = std::max(value - low, low + kSide - value);
      least += nearGap * nearGap;
      most += farGap * farGap;
    };
    int bound = std::numeric_limits<int>::max();
    for (size_t i = 0; i < least_.size(); ++i) {
      const QRgb entry = table_[qsizetype(i)];
      int least = 0, most = 0;
      side(qRed(entry), r0, least, most);
      side(qGreen(entry), g0, least, most);
      side(qBlue(entry), b0, least, most);
      least_[i] = least;
      bound = std::min(bound, most);
    }
    start_[cell] = static_cast<int32_t>(candidates_.size());
    for (size_t i = 0; i < least_.size(); ++i)
      if (least_[i] <= bound) candidates_.push_back(static_cast<uint8_t>(i));
    count_[cell] = static_cast<uint16_t>(candidates_.size() - size_t(start_[cell]));
  }

  const QList<QRgb>& table_;
  std::array<int32_t, 1 << (3 * kBits)> start_;   // each cell's first in candidates_, -1 unlisted
  std::array<uint16_t, 1 << (3 * kBits)> count_;  // candidates of each listed cell (one at least)
  std::vector<uint8_t> candidates_;               // table indices, cell after cell
  std::vector<int> least_;                        // scratch: each entry's least gap to a cell
};

// Maps to `table` (1 to 256 colours): the nearest colour, or Floyd-Steinberg error diffusion.
QImage MapToTable(const QImage& source, const QList<QRgb>& table, bool dither) {
  const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
  QImage out(rgb.size(), QImage::Format_Indexed8);
  if (out.isNull()) return {};
  out.setColorTable(table);
  auto nearest = std::make_unique<NearestColour>(table);
  const int w = rgb.width();
  // Errors of this row and the next, three channels, with a pixel of margin on each side.
  std::vector<int> err(static_cast<size_t>(w + 2) * 3, 0), next(err.size(), 0);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* row = out.scanLine(y);
    std::fill(next.begin(), next.end(), 0);
    for (int x = 0; x < w; ++x) {
      int c[3] = {qRed(in[x]), qGreen(in[x]), qBlue(in[x])};
      if (dither)
        for (int k = 0; k < 3; ++k) c[k] = std::clamp(c[k] + err[(x + 1) * 3 + k] / 16, 0, 255);
      const int index = (*nearest)(c[0], c[1], c[2]);
      row[x] = static_cast<uchar>(index);
      if (!dither) continue;
      const QRgb got = table[index];
      const int e[3] = {c[0] - qRed(got), c[1] - qGreen(got), c[2] - qBlue(got)};
      for (int k = 0; k < 3; ++k) {
        err[(x + 2) * 3 + k] += e[k] * 7;
        next[x * 3 + k] += e[k] * 3;
        next[(x + 1) * 3 + k] += e[k] * 5;
        next[(x + 2) * 3 + k] += e[k];
      }
    }
    std::swap(err, next);
  }
  return out;
}

}  // namespace

int ResolutionBits(TLoadResolution resolution, int displayDepth) {
  switch (resolution) {
    case TLoadResolution::lColorVga: return 0;
    case TLoadResolution::lMonoChrome: return 1;
    case TLoadResolution::lColor16: return 4;
    case TLoadResolution::lColor256: return 8;
    case TLoadResolution::lColorTrue: return 24;
    case TLoadResolution::lAutoMatic: return displayDepth < 5 ? 4 : displayDepth >= 16 ? 24 : 8;
  }
  return 24;
}

QString FormatForFileName(const QString& fileName) {
  const QString ext = QFileInfo(fileName).suffix().toUpper();
  if (ext == QLatin1String("BMP") || ext == QLatin1String("THB")) return QStringLiteral("BMP");
  if (ext == QLatin1String("JPG") || ext == QLatin1String("THJ")) return QStringLiteral("JPEG");
  for (const char* known : {"PNG", "GIF", "TIF", "PCX", "RES"})
    if (ext == QLatin1String(known)) return ext;
  return {};
}

QString SniffPictureFormat(QByteArrayView head) {
  if (head.startsWith("BM") && head.size() >= 26) return QStringLiteral("BMP");
  if (head.startsWith("\xFF\xD8\xFF")) return QStringLiteral("JPEG");
  if (head.startsWith("\x89PNG\r\n\x1A\n")) return QStringLiteral("PNG");
  if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return QStringLiteral("GIF");
  if (head.startsWith(QByteArrayView("II*\0", 4)) || head.startsWith(QByteArrayView("MM\0*", 4)))
    return QStringLiteral("TIF");
  if (LooksLikePcx(head)) return QStringLiteral("PCX");
  return {};
}

namespace {

// The size a rule asks for when it is a real reduction of `full`, else an invalid size.
QSize ReducedSize(const PictureSizeRule& sizeFor, QSize full) {
  if (!sizeFor || !full.isValid() || full.isEmpty()) return {};
  const QSize wanted = sizeFor(full);
  if (wanted.isEmpty() || wanted.width() > full.width() || wanted.height() > full.height() ||
      wanted == full)
    return {};
  return wanted;
}

}  // namespace

DecodedPicture DecodePicture(QByteArrayView bytes, const QString& format, qint64 allocationLimit) {
  return DecodePictureScaled(bytes, format, {}, allocationLimit);
}

DecodedPicture DecodePictureScaled(QByteArrayView bytes, const QString& format,
                                   const PictureSizeRule& sizeFor, qint64 allocationLimit) {
  DecodedPicture out;
  if (format == QLatin1String("PCX")) {
    PcxResult result = PcxResult::Ok;
    out.image = DecodePcx(bytes, allocationLimit, &result);
    if (out.image.isNull()) out.reason = QString::fromLatin1(PcxResultText(result));
    if (const QSize reduced = ReducedSize(sizeFor, out.image.size()); reduced.isValid())
      out.image = out.image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
  }
  const QByteArray qtFormat = QtFormat(format);
  if (qtFormat.isEmpty() || !QImageReader::supportedImageFormats().contains(qtFormat)) {
    out.reason = QStringLiteral("No decoder for this kind of picture is installed");
    return out;
  }
  QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, qtFormat);
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(static_cast<int>(std::max<qint64>(1, allocationLimit / kMb)));
  const QSize size = reader.size();
  if (size.isValid() && qint64{size.width()} * size.height() * 4 > allocationLimit) {
    out.reason = QStringLiteral("The picture is too large");
    return out;
  }
  const QSize reduced = ReducedSize(sizeFor, size);
  if (reduced.isValid()) reader.setScaledSize(reduced);
  if (!reader.read(&out.image) || out.image.isNull()) {
    out.image = QImage();
    out.reason = ReaderReason(reader.error());
  } else if (reduced.isValid()) {
    // Formats that cannot scale while decoding are scaled smoothly by the reader; make sure.
    if (out.image.size() != reduced)
      out.image = out.image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else if (const QSize late = ReducedSize(sizeFor, out.image.size()); late.isValid()) {
    // The size was not known before decoding.
    out.image = out.image.scaled(late, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else if (format == QLatin1String("GIF") && out.image.depth() > 8) {
    // Qt hands GIF frames out as 32-bit pictures; a frame has at most 256 colours, so this
    // gives back the exact colour table.
    out.image =
        out.image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  }
  return out;
}

QImage ReduceColours(const QImage& image, int bits, bool dither, const QList<QRgb>& palette) {
  if (image.isNull() || bits == 0 || bits >= 16) return image;
  const Qt::ImageConversionFlags how = dither ? Qt::DiffuseDither : Qt::ThresholdDither;
  if (bits == 1) return image.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | how);
  if (bits <= 4)
    return MapToTable(image,
                      palette.isEmpty() ? StandardVgaColours()
                                        : palette.first(std::min<qsizetype>(16, palette.size())),
                      dither);
  if (!palette.isEmpty())
    return MapToTable(image, palette.first(std::min<qsizetype>(256, palette.size())), dither);
  // Qt's own table: exact when the picture has 256 colours or fewer, else a colour cube.
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ColorOnly | how);
}

QImage LoadResourceBitmap(const QString& name, double scale) {
  if (name.isEmpty()) return {};
  const QString path = name.startsWith(QLatin1String(":/"))
                           ? name
                           : QStringLiteral(":/bitmaps/") + name + QStringLiteral(".bmp");
  const auto read = [](const QString& file) {
    QImageReader reader(file);
    reader.setAllocationLimit(static_cast<int>(kPictureAllocationLimit / kMb));
    return reader.read();
  };
  // On a dense screen, or drawn larger, the variant drawn at twice the pixels when there is one;
  // it keeps the logical size of the plain one through its device-pixel ratio.
  // A program without a GUI (olvtool, plain tests) has no screens and takes the plain one.
  const auto* gui = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
  const double ratio = gui != nullptr ? gui->devicePixelRatio() : 1.0;
  QImage plain = read(path);
  if (scale <= 1.0 && ratio <= 1.0) return plain;
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  QImage dense = read(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
  if (scale <= 1.0 && !dense.isNull()) {
    dense.setDevicePixelRatio(2.0);
    return dense;
  }
  if (dense.isNull()) dense = plain;
  if (scale <= 1.0 || dense.isNull()) return dense;
  const QSize logical = (QSizeF(plain.size()) * scale).toSize();
  const QSize device = (QSizeF(logical) * ratio).toSize();
  if (dense.size() != device) {
    // Smooth resampling works on true colours; the palette is not kept.
    dense = dense.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  dense.setDevicePixelRatio(ratio);
  return dense;
}

TPMultiImage::TPMultiImage(QObject* parent) : QObject(parent) {}

void TPMultiImage::SetImageName(const QString& name, const QString& source) {
  if (name == imageName_) return;
  imageName_ = name;
  source_ = source.isEmpty() ? name : source;
  Load();
}

int TPMultiImage::DisplayDepth() const {
  if (displayDepth_ > 0) return displayDepth_;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->depth();
  return 24;
}

void TPMultiImage::Fail(const QString& kind, const QString& reason) {
  picture_ = QImage();
  formatName_.clear();
  Said().Error(AboutFile(reason, source_));
  Said().Information(AboutFile(QStringLiteral("Reading %1 file failed").arg(kind), source_));
}

void TPMultiImage::Load() {
  picture_ = QImage();
  formatName_.clear();
  if (imageName_.isEmpty()) return;
  QString format = FormatForFileName(imageName_);
  if (format == QLatin1String("RES")) {
    const QImage bitmap = LoadResourceBitmap(QFileInfo(imageName_).completeBaseName());
    if (bitmap.isNull())
      return Fail(Kind(format), QStringLiteral("The bitmap resource is missing or damaged"));
    picture_ = bitmap;
    formatName_ = format;
    return;
  }
  const FileContents file = ReadRegularFile(imageName_, kMaxPictureFileBytes);
  if (file.status == FileReadStatus::Missing) return;  // no file there only clears the picture
  if (file.status != FileReadStatus::Ok) {
    // Without a format there is no "Reading ... file failed" to say: damaged content, no box.
    const QString problem = FileReadProblem(file.status);
    if (format.isEmpty()) return Said().Problem(AboutFile(problem, source_));
    return Fail(Kind(format), problem);
  }
  const QByteArray& bytes = file.bytes;
  if (format.isEmpty()) format = SniffPictureFormat(bytes);
  if (format.isEmpty()) return;  // no known picture: nothing to show, nothing to say
  DecodedPicture decoded = DecodePictureScaled(bytes, format, sizeRule_);
  if (decoded.image.isNull()) return Fail(Kind(format), decoded.reason);
  picture_ =
      ReduceColours(decoded.image, ResolutionBits(readRes_, DisplayDepth()), dither_, palette_);
  formatName_ = format;
}

}  // namespace orlaventis
