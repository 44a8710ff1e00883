// Tests of picture decoding: every format written here, sniffing, PCX, colour reduction, messages.
#include "PcxWriter.h"
#include "media/Messages.h"
#include "media/Pcx.h"
#include "media/PictureDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace orlaventis;
using olvtool::PcxDepth;
using olvtool::WritePcx;

namespace {

const QRgb kQuarter[4] = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};

// 16 x 12 pixels: four quarters of distinct colours (red, green / blue, white).
QImage Quarters() {
  QImage image(16, 12, QImage::Format_RGB32);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) image.setPixel(x, y, kQuarter[(y >= 6 ? 2 : 0) + (x >= 8 ? 1 : 0)]);
  return image;
}

bool Near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// True when each quarter's centre shows its colour.
bool ShowsQuarters(const QImage& image, int tolerance) {
  if (image.size() != QSize(16, 12)) return false;
  const QPoint centres[4] = {{3, 3}, {12, 3}, {3, 9}, {12, 9}};
  for (int i = 0; i < 4; ++i)
    if (!Near(image.pixel(centres[i]), kQuarter[i], tolerance)) return false;
  return true;
}

QByteArray Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (qstrcmp(format, "jpeg") == 0) writer.setQuality(95);
  return writer.write(image) ? bytes : QByteArray();
}

// A GIF with a 4-colour table and uncompressed LZW: after each clear code two literals, so the
// code width stays at 3 bits (Qt has no GIF writer).
QByteArray Gif(const QImage& indexed) {
  QByteArray out("GIF89a");
  auto word = [&out](int v) { out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8)); };
  word(indexed.width());
  word(indexed.height());
  out.append('\x91').append('\0').append('\0');
  for (int i = 0; i < 4; ++i) {
    const QRgb c = indexed.color(i);
    out.append(static_cast<char>(qRed(c))).append(static_cast<char>(qGreen(c))).append(static_cast<char>(qBlue(c)));
  }
  out.append('\x2C');
  word(0);
  word(0);
  word(indexed.width());
  word(indexed.height());
  out.append('\0').append('\2');
  QByteArray data;
  quint32 bits = 0;
  int count = 0;
  auto put = [&](int code) {
    bits |= static_cast<quint32>(code) << count;
    count += 3;
    while (count >= 8) {
      data.append(static_cast<char>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  int n = 0;
  for (int y = 0; y < indexed.height(); ++y)
    for (int x = 0; x < indexed.width(); ++x) {
      if (n++ % 2 == 0) put(4);
      put(indexed.pixelIndex(x, y));
    }
  put(5);
  if (count > 0) data.append(static_cast<char>(bits & 0xFF));
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const QByteArray block = data.mid(at, 255);
    out.append(static_cast<char>(block.size())).append(block);
  }
  out.append('\0').append('\x3B');
  return out;
}

QImage FourColours() {
  return Quarters().convertToFormat(QImage::Format_Indexed8, QList<QRgb>(std::begin(kQuarter), std::end(kQuarter)));
}

}  // namespace

class TestPictureDecoder : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  RecordedMessages messages_;
  std::unique_ptr<ScopedMessages> installed_;

  QString Write(const QString& name, const QByteArray& bytes) {
    QFile f(dir_.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
    return f.fileName();
  }

  // Loads `path` into a fresh decoder at true colour.
  QImage Load(const QString& path, QString* format = nullptr) {
    TPMultiImage decoder;
    decoder.SetImageReadRes(TLoadResolution::lColorTrue);
    decoder.SetImageName(path);
    if (format != nullptr) *format = decoder.FormatName();
    return decoder.Picture();
  }

 private Q_SLOTS:
  void initTestCase() { installed_ = std::make_unique<ScopedMessages>(&messages_); }
  void init() { messages_.Clear(); }
  void cleanupTestCase() { installed_.reset(); }

  void decodesEveryFormatByExtensionAndContent() {
    const QImage source = Quarters();
    struct Case {
      QString format, extension;
      QByteArray bytes;
      int tolerance;
    };
    const QList<Case> cases = {
        {"BMP", "BMP", Encode(source, "bmp"), 0},
        {"BMP", "thb", Encode(source, "bmp"), 0},
        {"JPEG", "JPG", Encode(source, "jpeg"), 40},
        {"JPEG", "THJ", Encode(source, "jpeg"), 40},
        {"PNG", "png", Encode(source, "png"), 0},
        {"GIF", "GIF", Gif(FourColours()), 0},
        {"TIF", "TIF", Encode(source, "tiff"), 0},
        {"PCX", "PCX", WritePcx(source, PcxDepth::Rgb24), 0},
        {"PCX", "pcx", WritePcx(source, PcxDepth::Indexed8), 0},
        {"PCX", "PCX", WritePcx(FourColours(), PcxDepth::Planar4), 0},
        {"PCX", "PCX", WritePcx(FourColours(), PcxDepth::Packed4), 0},
    };
    int i = 0;
    for (const Case& c : cases) {
      QVERIFY2(!c.bytes.isEmpty(), qPrintable(c.format));
      QCOMPARE(SniffPictureFormat(c.bytes), c.format);
      QString format;
      const QString named = Write(QStringLiteral("p%1.%2").arg(i).arg(c.extension), c.bytes);
      QVERIFY2(ShowsQuarters(Load(named, &format), c.tolerance), qPrintable(named));
      QCOMPARE(format, c.format);
      // Archive members have no extension: the content names the format.
      const QString bare = Write(QStringLiteral("bare%1").arg(i++), c.bytes);
      QVERIFY2(ShowsQuarters(Load(bare, &format), c.tolerance), qPrintable(bare));
      QCOMPARE(format, c.format);
    }
    QVERIFY(messages_.All().isEmpty());

    // Black and white PCX: white and red are bright, green and blue dark.
    const QImage mono = Load(Write("mono.pcx", WritePcx(source, PcxDepth::Mono1)));
    QCOMPARE(mono.format(), QImage::Format_Mono);
    QCOMPARE(mono.pixel(12, 9), qRgb(255, 255, 255));
    QCOMPARE(mono.pixel(3, 9), qRgb(0, 0, 0));
  }

  void keepsColourTables() {
    const QImage indexed = FourColours();
    for (const QByteArray& bytes : {Encode(indexed, "bmp"), WritePcx(indexed, PcxDepth::Indexed8), Gif(indexed)}) {
      const QImage got = Load(Write("indexed", bytes));
      QVERIFY2(got.format() == QImage::Format_Indexed8, bytes.left(4).toHex().constData());
      QVERIFY(got.colorCount() >= 4);
      for (QRgb c : kQuarter) QVERIFY(got.colorTable().contains(c));
      QVERIFY(ShowsQuarters(got, 0));
    }
    // Bitmap resources keep theirs: 4 x 2, black red green blue over blue green red black.
    const QImage resource = LoadResourceBitmap(QStringLiteral("TestPal4"));
    QCOMPARE(resource.format(), QImage::Format_Indexed8);
    QCOMPARE(resource.colorTable(), (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}));
    QCOMPARE(resource.pixelIndex(0, 0), 3);
    QCOMPARE(resource.pixelIndex(1, 1), 1);
    QCOMPARE(LoadResourceBitmap(QStringLiteral(":/bitmaps/TestPal4.bmp")), resource);
    QVERIFY(LoadResourceBitmap(QStringLiteral("Missing")).isNull());
    QVERIFY(LoadResourceBitmap(QString()).isNull());
    TPMultiImage decoder;
    decoder.SetImageName(QStringLiteral("TestPal4.RES"));
    QCOMPARE(decoder.Picture(), resource);
    QCOMPARE(decoder.FormatName(), QStringLiteral("RES"));
  }

  void reportsFailuresThroughTheMessages() {
    struct Case {
      QString extension;
      QByteArray bytes;
      QString message;
    };
    const QByteArray png = Encode(Quarters(), "png");
    const QByteArray pcx = WritePcx(Quarters(), PcxDepth::Rgb24);
    const QList<Case> cases = {
        {"BMP", QByteArray("BM") + QByteArray(60, '\xFF'), "Reading bmp file failed"},
        {"JPG", QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(40, '\0'), "Reading jpg file failed"},
        {"PNG", png.left(60), "Reading png file failed"},
        {"GIF", QByteArray("GIF89a\1"), "Reading gif file failed"},
        {"TIF", QByteArray("II*\0\xFF\xFF\xFF\x7F", 8), "Reading tif file failed"},
        {"PCX", pcx.left(200), "Reading pcx file failed"},
        {"BMP", png, "Reading bmp file failed"},  // the extension picks the decoder
    };
    for (const Case& c : cases) {
      messages_.Clear();
      TPMultiImage decoder;
      const QString path = Write("bad." + c.extension, c.bytes);
      decoder.SetImageName(path);
      QVERIFY2(decoder.Picture().isNull(), qPrintable(c.message + c.extension));
      // The decoder's own texts, each with the file on its last line.
      QCOMPARE(messages_.Errors().size(), 1);
      QVERIFY(messages_.Errors()[0].endsWith(QLatin1Char('\n') + path));
      QVERIFY(!messages_.Errors()[0].startsWith(QLatin1Char('\n')));
      QCOMPARE(messages_.Informations(), QStringList{c.message + QLatin1Char('\n') + path});
      QVERIFY(messages_.All()[0].startsWith(QStringLiteral("error: ")));  // the reason comes first
      // Without the extension the same bytes fail the same way (when they name that format).
      if (SniffPictureFormat(c.bytes) != FormatForFileName("x." + c.extension)) continue;
      messages_.Clear();
      decoder.SetImageName(Write("bad", c.bytes), QStringLiteral("member in archive"));
      QVERIFY(decoder.Picture().isNull());
      QCOMPARE(messages_.Informations(), QStringList{c.message + QStringLiteral("\nmember in archive")});
    }
    messages_.Clear();
    TPMultiImage decoder;
    decoder.SetImageName(QStringLiteral("Missing.RES"));
    QCOMPARE(messages_.Informations(), QStringList{"Reading resource file failed\nMissing.RES"});

    // Silent cases: no file, the empty name, content of no known kind.
    messages_.Clear();
    decoder.SetImageName(Write("ok.png", png));
    QVERIFY(!decoder.Picture().isNull());
    decoder.SetImageName(dir_.filePath("nothing-here.png"));
    QVERIFY(decoder.Picture().isNull());
    decoder.SetImageName(Write("ok.png", png));
    decoder.SetImageName(QString());
    QVERIFY(decoder.Picture().isNull());
    QVERIFY(decoder.FormatName().isEmpty());
    decoder.SetImageName(Write("text", "just some text, no picture"));
    QVERIFY(decoder.Picture().isNull());
    QVERIFY(messages_.All().isEmpty());
  }

  void sniffsMagicNumbers() {
    QCOMPARE(SniffPictureFormat("BM"), QString());  // too short to be a bitmap
    QCOMPARE(SniffPictureFormat(QByteArray("MM\0*", 4)), QStringLiteral("TIF"));
    QCOMPARE(SniffPictureFormat("GIF88a"), QString());
    QCOMPARE(SniffPictureFormat("\x89PNG\r\n\x1A"), QString());
    QByteArray pcx = WritePcx(Quarters(), PcxDepth::Rgb24);
    pcx[1] = 9;  // no such version
    QCOMPARE(SniffPictureFormat(pcx), QString());
    QCOMPARE(FormatForFileName(QStringLiteral("/a.b/c")), QString());
    QCOMPARE(FormatForFileName(QStringLiteral("x.thj")), QStringLiteral("JPEG"));
    QCOMPARE(FormatForFileName(QStringLiteral("x.jpeg")), QString());
  }

  void decodesPcxCarefully() {
    const QByteArray good = WritePcx(Quarters(), PcxDepth::Indexed8);
    PcxResult result = PcxResult::Ok;
    QVERIFY(!DecodePcx(good, kPictureAllocationLimit, &result).isNull());
    // Every shorter file fails with a result, never reading past the end.
    for (qsizetype n = 0; n < good.size(); ++n) {
      QVERIFY(DecodePcx(good.left(n), kPictureAllocationLimit, &result).isNull());
      QVERIFY(result == PcxResult::TooShort || result == PcxResult::NoPalette || result == PcxResult::Truncated);
    }
    const QByteArray rgb = WritePcx(Quarters(), PcxDepth::Rgb24);
    for (qsizetype n = 128; n < rgb.size(); ++n) {
      QVERIFY(DecodePcx(rgb.left(n), kPictureAllocationLimit, &result).isNull());
      QCOMPARE(result, PcxResult::Truncated);
    }
    auto patched = [&rgb](int at, QByteArray bytes) {
      QByteArray b = rgb;
      b.replace(at, bytes.size(), bytes);
      return b;
    };
    const struct {
      QByteArray bytes;
      PcxResult expected;
    } damaged[] = {
        {patched(0, "\x0B"), PcxResult::BadMagic},
        {patched(2, "\x02"), PcxResult::Unsupported},
        {patched(65, "\x02"), PcxResult::Unsupported},
        {patched(8, QByteArray("\0\0", 2)).replace(4, 2, QByteArray("\1\0", 2)), PcxResult::BadHeader},
        {patched(66, QByteArray("\2\0", 2)), PcxResult::BadHeader},  // line shorter than the width
        {patched(8, QByteArray("\xFF\xFF", 2)), PcxResult::TooLarge},
        {patched(8, QByteArray("\xFF\x3F", 2)).replace(10, 2, QByteArray("\xFF\x3F", 2)).replace(66, 2, QByteArray("\0\x40", 2)),
         PcxResult::TooLarge},  // 16384 x 16384 x 4 bytes is above the limit
        {patched(8, QByteArray("\x9F\x0F", 2)).replace(10, 2, QByteArray("\x9F\x0F", 2)).replace(66, 2, QByteArray("\xA0\x0F", 2)),
         PcxResult::Truncated},  // 4000 x 4000 from a few hundred bytes: refused before allocating
    };
    for (const auto& d : damaged) {
      QVERIFY(DecodePcx(d.bytes, kPictureAllocationLimit, &result).isNull());
      QCOMPARE(result, d.expected);
    }
    QByteArray noPalette = good;
    noPalette[noPalette.size() - 769] = 0;
    QVERIFY(DecodePcx(noPalette, kPictureAllocationLimit, &result).isNull());
    QCOMPARE(result, PcxResult::NoPalette);
    QVERIFY(DecodePcx(good, 100, &result).isNull());
    QCOMPARE(result, PcxResult::TooLarge);

    // Hand-made: a run that crosses the line end, a zero-length run, raw (unencoded) data.
    QByteArray header(128, '\0');
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    header[8] = 1;  // 2 x 2
    header[10] = 1;
    header[65] = 1;
    header[66] = 2;
    QByteArray palette(769, '\0');
    palette[0] = 0x0C;
    palette[1 + 3 * 7] = '\x11';
    palette[1 + 3 * 9] = '\x22';
    const QImage crossing = DecodePcx(header + QByteArray("\xC0\x01\xC3\x07\x09", 5) + palette, 1 << 20, &result);
    QCOMPARE(result, PcxResult::Ok);
    QCOMPARE(crossing.pixelIndex(0, 0), 7);
    QCOMPARE(crossing.pixelIndex(0, 1), 7);
    QCOMPARE(crossing.pixelIndex(1, 1), 9);
    QCOMPARE(crossing.color(9), qRgb(0x22, 0, 0));
    header[2] = 0;
    const QImage raw = DecodePcx(header + QByteArray("\xC1\x02\x03\x04", 4) + palette, 1 << 20, &result);
    QCOMPARE(raw.pixelIndex(0, 0), 0xC1);
    QCOMPARE(raw.pixelIndex(1, 1), 4);
  }

  void reducesColours() {
    const QImage source = Quarters();
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(250, 10, 10), qRgb(10, 150, 10), qRgb(10, 10, 250), qRgb(250, 250, 250)};
    const QString path = Write("q.png", Encode(source, "png"));
    TPMultiImage decoder;
    decoder.SetDefaultPalette(palette);
    decoder.SetImageDither(false);
    decoder.SetImageReadRes(TLoadResolution::lColor256);
    decoder.SetImageName(path);
    QCOMPARE(decoder.Picture().format(), QImage::Format_Indexed8);
    QCOMPARE(decoder.Picture().colorTable(), palette);
    QVERIFY(ShowsQuarters(decoder.Picture(), 12));

    // 16 colours without a palette: the standard colours; monochrome: one bit.
    decoder.SetDefaultPalette({});
    decoder.SetImageReadRes(TLoadResolution::lColor16);
    decoder.SetImageName(QString());
    decoder.SetImageName(path);
    QCOMPARE(decoder.Picture().colorTable(), StandardVgaColours());
    QCOMPARE(decoder.Picture().pixel(12, 9), qRgb(255, 255, 255));
    decoder.SetImageReadRes(TLoadResolution::lMonoChrome);
    decoder.SetImageName(QString());
    decoder.SetImageName(path);
    QCOMPARE(decoder.Picture().format(), QImage::Format_Mono);

    // Dithering spreads a flat grey over black and white; the threshold does not.
    QImage grey(32, 32, QImage::Format_RGB32);
    grey.fill(qRgb(100, 100, 100));
    const QList<QRgb> bw = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    auto coloursIn = [](const QImage& image) {
      std::set<int> seen;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) seen.insert(image.pixelIndex(x, y));
      return seen.size();
    };
    QCOMPARE(coloursIn(ReduceColours(grey, 8, false, bw)), size_t{1});
    const QImage dithered = ReduceColours(grey, 8, true, bw);
    QCOMPARE(coloursIn(dithered), size_t{2});
    int white = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) white += dithered.pixelIndex(x, y);
    QVERIFY(white > 300 && white < 500);  // about 100/255 of 1024 pixels
    QCOMPARE(coloursIn(ReduceColours(grey, 1, false, {})), size_t{1});
    QCOMPARE(coloursIn(ReduceColours(grey, 1, true, {})), size_t{2});
    // 0 and 24 bits leave the picture as it is; 256 colours without a palette keep exact colours.
    QCOMPARE(ReduceColours(source, 24, true, bw), source);
    QCOMPARE(ReduceColours(source, 0, true, bw), source);
    QVERIFY(ShowsQuarters(ReduceColours(source, 8, true, {}), 0));
  }

  void mapsReadResolutions() {
    QCOMPARE(ResolutionBits(TLoadResolution::lColorVga, 24), 0);
    QCOMPARE(ResolutionBits(TLoadResolution::lMonoChrome, 24), 1);
    QCOMPARE(ResolutionBits(TLoadResolution::lColor16, 24), 4);
    QCOMPARE(ResolutionBits(TLoadResolution::lColor256, 24), 8);
    QCOMPARE(ResolutionBits(TLoadResolution::lColorTrue, 1), 24);
    const int expected[][2] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {15, 8}, {16, 24}, {32, 24}};
    for (const auto& e : expected) QCOMPARE(ResolutionBits(TLoadResolution::lAutoMatic, e[0]), e[1]);

    TPMultiImage decoder;
    decoder.SetImageReadRes(TLoadResolution::lAutoMatic);
    decoder.SetDisplayDepth(4);
    decoder.SetImageName(Write("auto.bmp", Encode(Quarters(), "bmp")));
    QCOMPARE(decoder.Picture().colorTable(), StandardVgaColours());
    decoder.SetImageName(QString());
    decoder.SetDisplayDepth(32);
    decoder.SetImageName(dir_.filePath("auto.bmp"));
    QVERIFY(decoder.Picture().colorCount() == 0);
    QCOMPARE(decoder.JpegOptions(), quint16{1});
  }
};

QTEST_GUILESS_MAIN(TestPictureDecoder)
#include "TestPictureDecoder.moc"
