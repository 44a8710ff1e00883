// Benchmarks: pictures from an archive through the temporary folder against the same work in
// memory, reduction to the 256-colour palette against Qt's, and reading an archive index
// against reading the archive file whole.
#include "ArchiveWriter.h"
#include "RatioReporter.h"
#include "media/Archive.h"
#include "media/ArchiveIndex.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace orlaventis;

namespace {

struct Fixture {
  QTemporaryDir dir;
  QString pictures;  // archive with "photo" (JPEG, stored) and "drawing" (BMP, zlib-packed)
  QByteArray pictureBytes;
  std::optional<QStringList> pictureIndex;
  QString large;  // 10,000 members
  TTempFolder tempFolder{QString(), dir.filePath(QStringLiteral("T"))};
  ~Fixture() { tempFolder.Remove(); }
};

QImage Scene() {
  QImage image(1024, 768, QImage::Format_RGB32);
  quint32 seed = 1;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 28);
      row[x] = qRgb((x / 4 + noise) & 0xFF, (y / 3 + x / 16) & 0xFF, ((x ^ y) / 8 + noise) & 0xFF);
    }
  }
  return image;
}

QByteArray Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(85);
  writer.write(image);
  return bytes;
}

bool Prepare(Fixture* fx) {
  const QDateTime time(QDate(2004, 5, 6), QTime(7, 8, 10));
  const QImage scene = Scene();
  olvtool::ArchiveWriter writer;
  writer.Add(QStringLiteral("photo"), Encode(scene, "jpeg"), time, olvtool::MemberPacking::Stored);
  writer.Add(QStringLiteral("drawing"), Encode(scene, "bmp"), time, olvtool::MemberPacking::Packed);
  fx->pictures = fx->dir.filePath(QStringLiteral("olvf.dat"));
  QString error;
  writer.Write(fx->pictures, &error);
  fx->pictureBytes = writer.Build();
  fx->pictureIndex = BuildArchiveIndex(fx->pictures);

  olvtool::ArchiveWriter many;
  for (int i = 0; i < 10000; ++i)
    many.Add(QStringLiteral("i\\c\\%1").arg(100000 + i),
             QByteArray(64, static_cast<char>('a' + i % 26)), time);
  fx->large = fx->dir.filePath(QStringLiteral("many.dat"));
  many.Write(fx->large, &error);
  return true;
}

Fixture& Data() {
  static Fixture fixture;
  static const bool ready = Prepare(&fixture);
  (void)ready;
  return fixture;
}

// The program's road: look up, extract into the temporary folder, decode the file, delete it.
void ArchiveRoute(benchmark::State& state, const QString& member) {
  Fixture& f = Data();
  TPMultiImage decoder;
  decoder.SetImageReadRes(TLoadResolution::lColorTrue);
  for (auto _ : state) {
    const ArchiveEntry entry = FindArchiveEntry(f.pictureIndex, member);
    const QString path = f.tempFolder.FilePath(member);
    if (!ExtractArchiveEntry(f.pictures, entry, path)) state.SkipWithError("extraction failed");
    decoder.SetImageName(QString());
    decoder.SetImageName(path);
    QImage copy = decoder.Picture();
    benchmark::DoNotOptimize(copy);
    decoder.SetImageName(QString());
    QFile::remove(path);
  }
}

// The same member unpacked and decoded in memory by the same decoders.
void MemoryRoute(benchmark::State& state, const QString& member) {
  Fixture& f = Data();
  for (auto _ : state) {
    const ArchiveEntry entry = FindArchiveEntry(f.pictureIndex, member);
    const QByteArray bytes = ReadArchiveMember(f.pictureBytes, entry);
    const DecodedPicture decoded = DecodePicture(bytes, SniffPictureFormat(bytes));
    QImage copy = ReduceColours(decoded.image, 24, false, {});
    if (copy.isNull()) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(copy);
  }
}

void BM_JpegStoredThroughTempFolder(benchmark::State& s) {
  ArchiveRoute(s, QStringLiteral("photo"));
}
void BM_JpegStoredInMemory(benchmark::State& s) { MemoryRoute(s, QStringLiteral("photo")); }
void BM_BmpPackedThroughTempFolder(benchmark::State& s) {
  ArchiveRoute(s, QStringLiteral("drawing"));
}
void BM_BmpPackedInMemory(benchmark::State& s) { MemoryRoute(s, QStringLiteral("drawing")); }

// A 640 x 480 picture of many colours reduced to the program's 256-colour palette (the
// 256-colour display path), without and with error diffusion, against Qt's own mapping to a
// given colour table.
enum class Reduction { Plain, Dithered, QtPeer };
void ReduceTo256(benchmark::State& state, Reduction how) {
  static const QList<QRgb> palette = QImage(QStringLiteral(ORLAVENTIS_PALETTE)).colorTable();
  QImage picture(640, 480, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixel(x, y, qRgb(x * 255 / 639, y * 255 / 479, (x + 2 * y) * 3 & 0xFF));
  if (palette.size() != 256) state.SkipWithError("no palette");
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        how == Reduction::QtPeer
            ? picture.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither)
            : ReduceColours(picture, 8, how == Reduction::Dithered, palette));
  }
}
void BM_ReduceTo256Plain(benchmark::State& s) { ReduceTo256(s, Reduction::Plain); }
void BM_ReduceTo256Dithered(benchmark::State& s) { ReduceTo256(s, Reduction::Dithered); }
void BM_ReduceTo256QtPeer(benchmark::State& s) { ReduceTo256(s, Reduction::QtPeer); }

// The program's index: one decoded text, a line table and a hash of the folded names.
void BM_ReadArchiveIndex10000(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    const std::optional<TArchiveIndex> index = TArchiveIndex::Read(f.large);
    if (!index || index->Count() != 10000) state.SkipWithError("index not read");
    benchmark::DoNotOptimize(index);
  }
}

// Reading the index text alone: the part of the index that is file reading.
void BM_ReadArchiveIndexText10000(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    const std::optional<QByteArray> text = ReadArchiveIndexText(f.large);
    if (!text || text->isEmpty()) state.SkipWithError("index text not read");
    benchmark::DoNotOptimize(text);
  }
}

// The line list (olvtool and the checks use it): one string per member.
void BM_BuildArchiveIndexLines10000(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    const std::optional<QStringList> index = BuildArchiveIndex(f.large);
    if (!index || index->size() != 10000) state.SkipWithError("index not read");
    benchmark::DoNotOptimize(index);
  }
}

// Looking up every member once, by a name in other letter case.
void BM_FindEveryMember10000(benchmark::State& state) {
  Fixture& f = Data();
  const std::optional<TArchiveIndex> index = TArchiveIndex::Read(f.large);
  QStringList names;
  for (int i = 0; i < 10000; ++i) names << QStringLiteral("I\\C\\%1").arg(100000 + i);
  for (auto _ : state) {
    qint64 sum = 0;
    for (const QString& name : names) sum += index->Find(name).value_or(ArchiveEntry{}).Offset;
    benchmark::DoNotOptimize(sum);
  }
}

void BM_ReadArchiveWhole(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    QFile file(f.large);
    file.open(QIODevice::ReadOnly);
    QByteArray bytes = file.readAll();
    benchmark::DoNotOptimize(bytes);
  }
}

BENCHMARK(BM_JpegStoredThroughTempFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegStoredInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpPackedThroughTempFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpPackedInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceTo256Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceTo256Dithered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceTo256QtPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadArchiveIndex10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadArchiveIndexText10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildArchiveIndexLines10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindEveryMember10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadArchiveWhole)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchratio::RatioReporter reporter;
  benchratio::RunRepeated(argc, argv, reporter);
  reporter.PrintRatio("BM_JpegStoredThroughTempFolder", "BM_JpegStoredInMemory",
                      "JPEG member, archive route / memory", 1.25);
  reporter.PrintRatio("BM_BmpPackedThroughTempFolder", "BM_BmpPackedInMemory",
                      "BMP member, archive route / memory", 1.25);
  reporter.PrintRatio("BM_ReadArchiveIndex10000", "BM_ReadArchiveWhole",
                      "archive index of 10,000 members / reading the file", 3.0);
  reporter.PrintRatio("BM_ReadArchiveIndexText10000", "BM_ReadArchiveWhole",
                      "its index text alone / reading the file", 0.0);
  return 0;
}
