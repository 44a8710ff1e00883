// Tests of picture decoding: every format written here, sniffing, PCX, colour reduction, messages.
#include "DemoContent.h"
#include "PcxWriter.h"
#include "PictureEncoders.h"
#include "media/Messages.h"
#include "media/Pcx.h"
#include "media/PictureDecoder.h"
#include "shell/ArchiveFixture.h"  // tests/shell

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace orlaventis;
using olvtool::PcxDepth;
using olvtool::WritePcx;
using namespace std::string_view_literals;

namespace {

const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255);
const QList<QRgb> kQuarter = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), kWhite};

// 16 x 12 pixels: four quarters of distinct colours (red, green / blue, white).
QImage Quarters() {
  QImage image(16, 12, QImage::Format_RGB32);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) image.setPixel(x, y, kQuarter[(y / 6) * 2 + x / 8]);
  return image;
}
// True when each quarter's centre shows its colour, each channel within `tolerance`.
bool ShowsQuarters(const QImage& image, int tolerance) {
  if (image.size() != QSize(16, 12)) return false;
  const QPoint centres[4] = {{3, 3}, {12, 3}, {3, 9}, {12, 9}};
  for (int i = 0; i < 4; ++i) {
    const QRgb a = image.pixel(centres[i]), b = kQuarter[i];
    for (const int shift : {16, 8, 0})
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  }
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
// A side x side PCX of 8 bits, run-length coded, every pixel colour 7 (red): two bytes a run.
QByteArray SolidPcx(int side) {
  QByteArray pcx(128, '\0');
  pcx[0] = 0x0A, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8, pcx[65] = 1;
  for (const auto& [at, value] : {std::pair{8, side - 1}, {10, side - 1}, {66, side}})
    pcx[at] = char(value & 0xFF), pcx[at + 1] = char(value >> 8);
  QByteArray line;
  for (int left = side; left > 0; left -= 63) line += char(0xC0 | std::min(left, 63)), line += '\7';
  QByteArray palette(769, '\0');
  palette[0] = 0x0C, palette[1 + 3 * 7] = char(0xFF);
  return pcx + line.repeated(side) + palette;
}

QImage FourColours() { return Quarters().convertToFormat(QImage::Format_Indexed8, kQuarter); }

}  // namespace

class TestPictureDecoder : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  RecordedMessages messages_;
  std::unique_ptr<TPMultiImage> decoder_;

  // The path of a new file `name` holding `bytes`; empty when it could not be written.
  QString Write(const QString& name, const QByteArray& bytes) {
    return fixture::WriteFile(dir_.filePath(name), bytes) ? dir_.filePath(name) : QString();
  }
  // Loads `path` into a fresh decoder at true colour.
  QImage Load(const QString& path, QString* format = nullptr) {
    TPMultiImage decoder;
    decoder.SetMessages(&messages_);
    decoder.SetImageReadRes(TLoadResolution::lColorTrue);
    decoder.SetImageName(path);
    if (format != nullptr) *format = decoder.FormatName();
    return decoder.Picture();
  }

 private Q_SLOTS:
  // A fresh decoder for each test, reporting to messages_.
  void init() {
    messages_.Clear();
    decoder_ = std::make_unique<TPMultiImage>();
    decoder_->SetMessages(&messages_);
  }
  void decodesEveryFormatByExtensionAndContent() {
    const QImage source = Quarters();
    struct Case {
      QString format, extension;
      QByteArray bytes;
      int tolerance;
    };
    const QList<Case> cases = {
        {"BMP", "thb", Encode(source, "bmp"), 0},
        {"JPEG", "THJ", Encode(source, "jpeg"), 40},
        {"PNG", "png", Encode(source, "png"), 0},
        {"GIF", "GIF", olvtool::EncodeGif(FourColours()), 0},
        {"TIF", "TIF", Encode(source, "tiff"), 0},
        {"PCX", "PCX", WritePcx(source, PcxDepth::Rgb24), 0},
        {"PCX", "pcx", WritePcx(source, PcxDepth::Indexed8), 0},
        {"PCX", "PCX", WritePcx(FourColours(), PcxDepth::Planar4), 0},
        {"PCX", "PCX", WritePcx(FourColours(), PcxDepth::Packed4), 0},
    };
    for (int i = 0; i < cases.size(); ++i) {
      const Case& c = cases[i];
      QVERIFY2(!c.bytes.isEmpty(), qPrintable(c.format));
      QCOMPARE(SniffPictureFormat(c.bytes), c.format);
      // By extension, and bare as archive members are: then the content names the format.
      const QString bare = QString("bare%1").arg(i);
      for (const QString& name : {QString("p%1.%2").arg(i).arg(c.extension), bare}) {
        QString format;
        QVERIFY2(ShowsQuarters(Load(Write(name, c.bytes), &format), c.tolerance), qPrintable(name));
        QCOMPARE(format, c.format);
      }
    }
    QVERIFY(messages_.All().isEmpty());
    // Black and white PCX: white and red are bright, green and blue dark.
    const QImage mono = Load(Write("mono.pcx", WritePcx(source, PcxDepth::Mono1)));
    QCOMPARE(mono.format(), QImage::Format_Mono);
    QCOMPARE((QList{mono.pixel(12, 9), mono.pixel(3, 9)}), (QList{kWhite, kBlack}));
  }
  // Pictures decoded at the size a rule asks for: every format, the colours kept; a rule that
  // asks for no reduction decodes the whole picture; reduction applies after scaling.
  void decodesAtTheAskedSize() {
    const QImage big = Quarters().scaled(128, 96);  // eight times larger, still four solid quarters
    const QImage bigIndexed = big.convertToFormat(QImage::Format_Indexed8, kQuarter);
    // clang-format off
    const struct {
      QByteArray bytes;
      int tolerance;
    } cases[] = {{Encode(big, "jpeg"), 40}, {Encode(big, "bmp"), 8}, {Encode(big, "png"), 8},
                 {olvtool::EncodeGif(bigIndexed), 8}, {WritePcx(big, PcxDepth::Rgb24), 8}};
    // clang-format on
    const PictureSizeRule eighth = [](QSize full) { return full / 8; };
    for (const auto& c : cases) {
      const QString format = SniffPictureFormat(c.bytes);
      using Rule = PictureSizeRule;
      const auto decode = [&](const Rule& r) { return DecodePictureScaled(c.bytes, format, r); };
      QVERIFY2(ShowsQuarters(decode(eighth).image, c.tolerance), qPrintable(format));
      for (const Rule& whole :
           {Rule(), Rule([](QSize s) { return s; }), Rule([](QSize s) { return s * 2; }),
            Rule([](QSize) { return QSize(); })})
        QCOMPARE(decode(whole).image.size(), QSize(128, 96));
    }
    decoder_->SetImageReadRes(TLoadResolution::lColor16);
    decoder_->SetDefaultPalette(kQuarter);
    decoder_->SetSizeRule(eighth);
    decoder_->SetImageName(Write("big.png", Encode(big, "png")));
    QCOMPARE(decoder_->Picture().format(), QImage::Format_Indexed8);
    QVERIFY(ShowsQuarters(decoder_->Picture().convertToFormat(QImage::Format_RGB32), 0));
    QVERIFY(messages_.All().isEmpty());
  }
  // A picture is refused from its header, before any memory is taken, when a 32-bit copy of it
  // (as scaling or colour mapping makes) would be above the limit, whatever its own depth.
  void refusesPicturesAboveThePixelCap() {
    const QByteArray huge = SolidPcx(16384);  // 8.5 MB; 256 MB decoded, 1 GB at 32 bits
    QCOMPARE(DecodePicture(huge, "PCX").reason, QStringLiteral("The picture is too large"));
    const QString path = Write("huge", huge);
    decoder_->SetImageName(path);
    QVERIFY(decoder_->Picture().isNull());
    QCOMPARE(messages_.All(), (QStringList{"error: The picture is too large\n" + path,
                                           "information: Reading pcx file failed\n" + path}));
    // 4 bytes a pixel count for an 8-bit PCX as for a PNG: at the limit decoded, above refused.
    const QByteArray pcx = SolidPcx(100), png = Encode(Quarters(), "png");
    for (const auto& [bytes, limit] : {std::pair{pcx, 100 * 100 * 4}, {png, 16 * 12 * 4}}) {
      const QString format = SniffPictureFormat(bytes);
      QVERIFY2(!DecodePicture(bytes, format, limit).image.isNull(), qPrintable(format));
      QCOMPARE(DecodePicture(bytes, format, limit - 1).reason, QString("The picture is too large"));
    }
    QCOMPARE(DecodePicture(pcx, "PCX").image.pixel(99, 99), qRgb(255, 0, 0));
  }
  void keepsColourTables() {
    const QImage indexed = FourColours();
    const QByteArray pcx = WritePcx(indexed, PcxDepth::Indexed8);
    for (const QByteArray& bytes : {Encode(indexed, "bmp"), pcx, olvtool::EncodeGif(indexed)}) {
      const QImage got = Load(Write("indexed", bytes));
      QCOMPARE(got.format(), QImage::Format_Indexed8);
      QVERIFY2(ShowsQuarters(got, 0), bytes.left(4).toHex().constData());
      for (QRgb c : kQuarter)
        QVERIFY2(got.colorTable().contains(c), qPrintable(QString::number(c, 16)));
    }
    // Bitmap resources keep theirs: 4 x 2, black red green blue over blue green red black.
    const QImage resource = LoadResourceBitmap("TestPal4");
    QCOMPARE(resource.colorTable(), (QList{kBlack, kQuarter[0], qRgb(0, 255, 0), kQuarter[2]}));
    QCOMPARE(resource.format(), QImage::Format_Indexed8);
    QCOMPARE((QList{resource.pixelIndex(0, 0), resource.pixelIndex(1, 1)}), (QList{3, 1}));
    QCOMPARE(LoadResourceBitmap(":/bitmaps/TestPal4.bmp"), resource);
    QVERIFY(LoadResourceBitmap("Missing").isNull());
    decoder_->SetImageName("TestPal4.RES");
    QCOMPARE(decoder_->Picture(), resource);
    QCOMPARE(decoder_->FormatName(), "RES");
    QVERIFY(LoadResourceBitmap(QString()).isNull());
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
      decoder.SetMessages(&messages_);
      const QString path = Write("bad." + c.extension, c.bytes);
      decoder.SetImageName(path);
      QVERIFY2(decoder.Picture().isNull(), qPrintable(c.message + c.extension));
      // The decoder's own texts, each with the file on its last line; the reason comes first.
      const QStringList errors = messages_.Errors();
      QCOMPARE(errors.size(), 1);
      QVERIFY2(errors[0].endsWith('\n' + path), qPrintable(errors[0]));
      QVERIFY2(!errors[0].startsWith('\n'), qPrintable(errors[0]));
      QCOMPARE(messages_.Informations(), QStringList{c.message + QLatin1Char('\n') + path});
      QVERIFY(messages_.All()[0].startsWith(QStringLiteral("error: ")));
      // Without the extension the same bytes fail the same way (when they name that format).
      if (SniffPictureFormat(c.bytes) != FormatForFileName("x." + c.extension)) continue;
      messages_.Clear();
      decoder.SetImageName(Write("bad", c.bytes), QStringLiteral("member in archive"));
      QVERIFY(decoder.Picture().isNull());
      QCOMPARE(messages_.Informations(), QStringList{c.message + "\nmember in archive"});
    }
    messages_.Clear();
    decoder_->SetImageName(QStringLiteral("Missing.RES"));
    QCOMPARE(messages_.Informations(), QStringList{"Reading resource file failed\nMissing.RES"});
    // Silent cases: no file, the empty name, content of no known kind.
    messages_.Clear();
    const QString ok = Write("ok.png", png);
    const QString text = Write("text", "just some text, no picture");
    for (const QString& name : {dir_.filePath("nothing-here.png"), QString(), text}) {
      decoder_->SetImageName(ok);
      QVERIFY(!decoder_->Picture().isNull());
      decoder_->SetImageName(name);
      QVERIFY2(decoder_->Picture().isNull(), qPrintable(name));
      if (name.isEmpty()) QCOMPARE(decoder_->FormatName(), QString());
    }
    QVERIFY(messages_.All().isEmpty());
    // Something there that is not read (never opened: a FIFO would wait for a writer) is
    // reported: as a damaged picture when the name gives the format, else as a problem.
    const QString folder = dir_.filePath("folder.png"), fifo = dir_.filePath("fifo");
    const QString huge = Write("huge", {});  // sparse, above the largest picture file read
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QFile::resize(huge, kMaxPictureFileBytes + 1));
    for (const QString& name : {folder, fifo, huge}) {
      decoder_->SetImageName(ok);
      decoder_->SetImageName(name);
      QVERIFY2(decoder_->Picture().isNull(), qPrintable(name));
    }
    QCOMPARE(messages_.All(), (QStringList{"error: The file is not a regular file\n" + folder,
                                           "information: Reading png file failed\n" + folder,
                                           "problem: The file is not a regular file\n" + fifo,
                                           "problem: The file is too large\n" + huge}));
  }
  void sniffsMagicNumbers() {
    QByteArray pcx = WritePcx(Quarters(), PcxDepth::Rgb24);
    pcx[1] = 9;  // no such version
    // A bitmap too short to be one, big-endian TIFF, unknown GIF and PCX versions, a cut PNG mark.
    // clang-format off
    const std::pair<QByteArray, QString> sniffed[] = {
        {"BM", ""}, {QByteArray("MM\0*", 4), "TIF"}, {"GIF88a", ""}, {"\x89PNG\r\n\x1A", ""},
        {pcx, ""}};
    // clang-format on
    for (const auto& [bytes, format] : sniffed) QCOMPARE(SniffPictureFormat(bytes), format);
    const auto f = [](const char* name) { return FormatForFileName(name); };
    QCOMPARE((QStringList{f("/a.b/c"), f("x.thj"), f("x.jpeg")}), (QStringList{"", "JPEG", ""}));
  }
  void decodesPcxCarefully() {
    const QByteArray good = WritePcx(Quarters(), PcxDepth::Indexed8);
    PcxResult result = PcxResult::Ok;
    QVERIFY(!DecodePcx(good, kPictureAllocationLimit, &result).isNull());
    // Every shorter file fails with a result, never reading past the end.
    using enum PcxResult;
    const QList<PcxResult> shortResults = {TooShort, NoPalette, Truncated};
    for (qsizetype n = 0; n < good.size(); ++n) {
      QVERIFY(DecodePcx(good.left(n), kPictureAllocationLimit, &result).isNull());
      QVERIFY2(shortResults.contains(result), qPrintable(QString::number(n)));
    }
    // Hand-made: a run that crosses the line end, a zero-length run, raw (unencoded) data.
    QByteArray header(128, '\0');
    // Version 5, run-length coded, 8 bits, 2 x 2, one plane, 2 bytes a line.
    for (const auto& [at, v] : {std::pair{0, 10}, {1, 5}, {2, 1}, {3, 8}, {8, 1}, {10, 1}, {65, 1}})
      header[at] = char(v);
    header[66] = 2;
    QByteArray palette(769, '\0');
    palette[0] = 0x0C, palette[1 + 3 * 7] = '\x11', palette[1 + 3 * 9] = '\x22';
    const auto decode = [&](const char* data) {
      return DecodePcx(header + data + palette, 1 << 20, &result);
    };
    const QImage crossing = decode("\xC0\x01\xC3\x07\x09");
    QCOMPARE(result, PcxResult::Ok);
    QCOMPARE(crossing.color(9), qRgb(0x22, 0, 0));
    const auto at = [](const QImage& i, int x, int y) { return i.pixelIndex(x, y); };
    QCOMPARE((QList{at(crossing, 0, 0), at(crossing, 0, 1), at(crossing, 1, 1)}), (QList{7, 7, 9}));
    header[2] = 0;
    const QImage raw = decode("\xC1\x02\x03\x04");
    QCOMPARE((QList{at(raw, 0, 0), at(raw, 1, 1)}), (QList{0xC1, 4}));
  }
  void refusesDamagedPcx_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("limit");  // of the picture's allocation
    QTest::addColumn<int>("result");    // a PcxResult
    const QByteArray good = WritePcx(Quarters(), PcxDepth::Indexed8);
    const QByteArray rgb = WritePcx(Quarters(), PcxDepth::Rgb24);
    // `rgb` with each (offset, bytes) of `patches` written over it.
    const auto patched = [&rgb](std::initializer_list<std::pair<int, std::string_view>> patches) {
      QByteArray bytes = rgb;
      for (const auto& [at, b] : patches) bytes.replace(at, b.size(), QByteArrayView(b));
      return bytes;
    };
    const QByteArray noPalette = QByteArray(good).replace(good.size() - 769, 1, "\0"sv);
    const qint64 limit = kPictureAllocationLimit;
    using enum PcxResult;
    // clang-format off
    QTest::newRow("no palette") << noPalette << limit << int(NoPalette);
    QTest::newRow("above the limit") << good << qint64(100) << int(TooLarge);
    QTest::newRow("first byte not 0x0A") << patched({{0, "\x0B"sv}}) << limit << int(BadMagic);
    QTest::newRow("encoding 2") << patched({{2, "\x02"sv}}) << limit << int(Unsupported);
    const QByteArray backwards = patched({{8, "\0\0"sv}, {4, "\1\0"sv}});
    const QByteArray narrow = patched({{66, "\2\0"sv}});
    QTest::newRow("window ends before it starts") << backwards << limit << int(BadHeader);
    QTest::newRow("line shorter than the width") << narrow << limit << int(BadHeader);
    QTest::newRow("window 65536 wide") << patched({{8, "\xFF\xFF"sv}}) << limit << int(TooLarge);
    // 4000 x 4000 from a few hundred bytes: refused before allocating.
    const auto big = patched({{8, "\x9F\x0F"sv}, {10, "\x9F\x0F"sv}, {66, "\xA0\x0F"sv}});
    QTest::newRow("4000 x 4000") << big << limit << int(Truncated);
    // clang-format on
  }
  void refusesDamagedPcx() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, limit);
    QFETCH(int, result);
    PcxResult got = PcxResult::Ok;
    QVERIFY(DecodePcx(bytes, limit, &got).isNull());
    QCOMPARE(int(got), result);
  }
  void reducesColours() {
    const QImage source = Quarters();
    const QList<QRgb> palette = {kBlack, qRgb(250, 10, 10), qRgb(10, 150, 10), qRgb(10, 10, 250),
                                 qRgb(250, 250, 250)};
    const QString path = Write("q.png", Encode(source, "png"));
    decoder_->SetDefaultPalette(palette);
    decoder_->SetImageDither(false);
    decoder_->SetImageReadRes(TLoadResolution::lColor256);
    decoder_->SetImageName(path);
    QCOMPARE(decoder_->Picture().colorTable(), palette);
    QVERIFY(ShowsQuarters(decoder_->Picture(), 12));
    // Monochrome: one bit.
    decoder_->SetImageReadRes(TLoadResolution::lMonoChrome);
    decoder_->SetImageName(QString());
    decoder_->SetImageName(path);
    QCOMPARE(decoder_->Picture().format(), QImage::Format_Mono);
    // Dithering spreads a flat grey over black and white; the threshold does not.
    QImage grey(32, 32, QImage::Format_RGB32);
    grey.fill(qRgb(100, 100, 100));
    const QList<QRgb> bw = {kBlack, kWhite};
    // Pixels of index 1: none or all without dithering, about 100/255 of them white with it.
    auto whites = [](const QImage& image) {
      int n = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixelIndex(x, y) == 1;
      return n;
    };
    for (const auto& [bits, palette] : {std::pair{8, bw}, {1, QList<QRgb>()}}) {
      const int plain = whites(ReduceColours(grey, bits, false, palette));
      const int dithered = whites(ReduceColours(grey, bits, true, palette));
      // One bit: either index may be white.
      const int spread = bits == 8 ? dithered : std::min(dithered, 1024 - dithered);
      QVERIFY2((QList{0, 1024}).contains(plain), qPrintable(QString::number(plain)));
      QCOMPARE_GT(spread, 300);
      QCOMPARE_LT(spread, 500);
    }
    // 0 and 24 bits leave the picture as it is; 256 colours without a palette keep exact colours.
    QCOMPARE(ReduceColours(source, 24, true, bw), source);
    QCOMPARE(ReduceColours(source, 0, true, bw), source);
    QVERIFY(ShowsQuarters(ReduceColours(source, 8, true, {}), 0));
    // Without dithering each pixel of a gradient takes the nearest entry (the first of equals) of
    // the program's 256 colours, whichever colour near it came first.
    const QList<QRgb> pal = QImage(QStringLiteral(ORLAVENTIS_PALETTE)).colorTable();
    QImage gradient(256, 256, QImage::Format_RGB32);
    for (int i = 0; i < 256 * 256; ++i)
      gradient.setPixel(i % 256, i / 256, qRgb(i % 256, i / 256, (i % 256 + i / 256) / 2));
    const QImage reduced = ReduceColours(gradient, 8, false, pal);
    const auto d2 = [](QRgb p, QRgb q) {
      const int r = qRed(p) - qRed(q), g = qGreen(p) - qGreen(q), b = qBlue(p) - qBlue(q);
      return r * r + g * g + b * b;
    };
    int wrong = 0;
    for (int i = 0; i < 256 * 256; ++i) {
      const QRgb c = gradient.pixel(i % 256, i / 256);
      int best = 0;
      for (int k = 1; k < pal.size(); ++k) best = d2(c, pal[k]) < d2(c, pal[best]) ? k : best;
      wrong += reduced.pixelIndex(i % 256, i / 256) != best;
    }
    QCOMPARE(pal.size(), 256);
    QCOMPARE(wrong, 0);
  }
  void resolutionBits_data() {
    QTest::addColumn<int>("resolution");  // a TLoadResolution
    QTest::addColumn<int>("display");     // bits per pixel
    QTest::addColumn<int>("bits");
    using R = TLoadResolution;
    // clang-format off
    const std::tuple<R, int, int> bits[] = {
        {R::lColorVga, 24, 0}, {R::lMonoChrome, 24, 1}, {R::lColor16, 24, 4}, {R::lColor256, 24, 8},
        {R::lColorTrue, 1, 24}, {R::lAutoMatic, 1, 4}, {R::lAutoMatic, 4, 4}, {R::lAutoMatic, 5, 8},
        {R::lAutoMatic, 8, 8}, {R::lAutoMatic, 15, 8}, {R::lAutoMatic, 16, 24},
        {R::lAutoMatic, 32, 24}};
    // clang-format on
    for (const auto& [r, d, expected] : bits)
      QTest::addRow("resolution %d, display of %d bits", int(r), d) << int(r) << d << expected;
  }
  void resolutionBits() {
    QFETCH(int, resolution);
    QFETCH(int, display);
    QFETCH(int, bits);
    QCOMPARE(ResolutionBits(TLoadResolution(resolution), display), bits);
  }
  void mapsReadResolutions() {
    decoder_->SetImageReadRes(TLoadResolution::lAutoMatic);
    decoder_->SetDisplayDepth(4);
    decoder_->SetImageName(Write("auto.bmp", Encode(Quarters(), "bmp")));
    QCOMPARE(decoder_->Picture().colorTable(), StandardVgaColours());
    decoder_->SetImageName(QString());
    decoder_->SetDisplayDepth(32);
    decoder_->SetImageName(dir_.filePath("auto.bmp"));
    QCOMPARE(decoder_->Picture().colorCount(), 0);
    QCOMPARE(decoder_->JpegOptions(), 1);
  }
};

QTEST_GUILESS_MAIN(TestPictureDecoder)
#include "TestPictureDecoder.moc"
