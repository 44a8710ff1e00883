// Benchmark: a cold 3 x 3 thumbnail page of the demo catalogue through the archive route,
// against nine whole decodes of the same members in memory.
#include "RatioReporter.h"
#include "controls/ProportionalImage.h"
#include "database/Catalog.h"
#include "media/ArchiveIndex.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace orlaventis;

namespace {

constexpr int kCells = 9;
// A catalogue cell at the design size: (261 - 17) / 3 x 273 / 3 pixels, pictures at 95 %.
constexpr QSize kCellSize(81, 91);
// The current picture beside the page.
constexpr QSize kCurrentSize(175, 115);

// Where the installed program keeps its temporary folder: the per-user runtime folder, a
// memory-backed file system on desktop systems (/dev/shm stands in where it is not set).
QString RuntimeBase() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
  return QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm")
                                                       : QDir::tempPath();
}

struct Fixture {
  QTemporaryDir temp{RuntimeBase() + QStringLiteral("/orlaventis-bench-XXXXXX")};
  QString archive;
  QByteArray archiveBytes;
  std::optional<TArchiveIndex> index;
  QStringList mixedPage;  // the first page of the catalogue: mostly JPEG, other formats among them
  QStringList jpegPage;   // the first nine JPEG members of the catalogue
  bool ready = false;
  TTempFolder tempFolder{QString(), temp.filePath(QStringLiteral("T"))};

  Fixture() {
    const QDir demo(QStringLiteral(ORLAVENTIS_DEMO_DIR));
    archive = demo.filePath(QStringLiteral("olvf.dat"));
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly)) return;
    archiveBytes = file.readAll();
    index = TArchiveIndex::Read(archive);
    TCatalog catalog;
    catalog.Load(demo.filePath(QStringLiteral("d/ol44.cat")), QStringLiteral("Picture Groups"),
                 QStringLiteral("Picture Items"), QStringLiteral("Group"));
    if (!catalog.Loaded || !index) return;
    catalog.GroupMode = false;
    catalog.RecomputeSelection(nullptr);
    for (int i = 1; i <= catalog.ItemCount && jpegPage.size() < kCells; ++i) {
      const int record = catalog.ItemAt(0, i).Item;
      const QString name = catalog.Database->GetValueAsText(QStringLiteral("Picture Items"),
                                                            QStringLiteral("Item Number"), record);
      const QByteArray bytes = ReadArchiveMember(archiveBytes, FindArchiveEntry(index, name));
      if (mixedPage.size() < kCells) mixedPage << name;
      if (SniffPictureFormat(bytes) == QLatin1String("JPEG")) jpegPage << name;
    }
    ready = mixedPage.size() == kCells && jpegPage.size() == kCells;
  }
  ~Fixture() { tempFolder.Remove(); }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

PictureSizeRule ShownIn(QSize control) {
  return [control](QSize full) {
    return ProportionalBox(control, full, ProportionalRules{95, 95}).size();
  };
}

// The program's road for one member: look up, extract into the temporary folder, decode the
// file (at the size `sizeFor` gives), delete it.
QImage ThroughArchive(TPMultiImage& decoder, const QString& name, const PictureSizeRule& sizeFor) {
  Fixture& f = Data();
  const std::optional<ArchiveEntry> entry = f.index->Find(name);
  const QString path = f.tempFolder.FilePath(QStringLiteral("thumb"));
  if (!entry || !ExtractArchiveEntry(f.archive, *entry, path)) return {};
  decoder.SetImageName(QString());
  decoder.SetSizeRule(sizeFor);
  decoder.SetImageName(path);
  decoder.SetSizeRule({});
  QImage picture = decoder.Picture();
  decoder.SetImageName(QString());
  QFile::remove(path);
  return picture;
}

// A cold page of nine thumbnails at cell size, as the Catalog loads it; with `withCurrent` the
// current picture (cell 1) follows whole, as the picture beside the page and the zoom need it.
void PageRoute(benchmark::State& state, const QStringList& page, bool withCurrent) {
  TPMultiImage decoder;
  decoder.SetImageReadRes(TLoadResolution::lColorTrue);
  for (auto _ : state) {
    for (const QString& name : page)
      if (ThroughArchive(decoder, name, ShownIn(kCellSize)).isNull())
        state.SkipWithError("a thumbnail failed");
    if (withCurrent) benchmark::DoNotOptimize(ThroughArchive(decoder, page.first(), {}));
  }
}

// Nine whole decodes of the same members from the archive bytes in memory.
void MemoryDecodes(benchmark::State& state, const QStringList& page) {
  Fixture& f = Data();
  for (auto _ : state) {
    for (const QString& name : page) {
      const QByteArray bytes = ReadArchiveMember(f.archiveBytes, FindArchiveEntry(f.index, name));
      const DecodedPicture decoded = DecodePicture(bytes, SniffPictureFormat(bytes));
      QImage picture = ReduceColours(decoded.image, 24, false, {});
      if (picture.isNull()) state.SkipWithError("a decode failed");
      benchmark::DoNotOptimize(picture);
    }
  }
}

// The same nine JPEG members decoded at cell size from memory: what the page costs without the
// temporary folder, the least the route can cost.
void BM_JpegNineCellDecodesInMemory(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    for (const QString& name : f.jpegPage) {
      const QByteArray bytes = ReadArchiveMember(f.archiveBytes, FindArchiveEntry(f.index, name));
      const DecodedPicture decoded =
          DecodePictureScaled(bytes, SniffPictureFormat(bytes), ShownIn(kCellSize));
      if (decoded.image.isNull()) state.SkipWithError("a decode failed");
      benchmark::DoNotOptimize(decoded);
    }
  }
}

void BM_MixedPageThroughArchive(benchmark::State& s) { PageRoute(s, Data().mixedPage, false); }
void BM_MixedPageAndCurrentThroughArchive(benchmark::State& s) {
  PageRoute(s, Data().mixedPage, true);
}
void BM_MixedNineDecodesInMemory(benchmark::State& s) { MemoryDecodes(s, Data().mixedPage); }
void BM_JpegPageThroughArchive(benchmark::State& s) { PageRoute(s, Data().jpegPage, false); }
void BM_JpegPageAndCurrentThroughArchive(benchmark::State& s) {
  PageRoute(s, Data().jpegPage, true);
}
void BM_JpegNineDecodesInMemory(benchmark::State& s) { MemoryDecodes(s, Data().jpegPage); }
BENCHMARK(BM_MixedPageThroughArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedPageAndCurrentThroughArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixedNineDecodesInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegPageThroughArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegPageAndCurrentThroughArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegNineDecodesInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegNineCellDecodesInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Decoding needs no display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (!Data().ready) {
    std::fprintf(stderr,
                 "bench_thumbnails: the demo content (%s) is missing or has too few pictures\n",
                 ORLAVENTIS_DEMO_DIR);
    return 1;
  }
  benchratio::RatioReporter reporter;
  benchratio::RunRepeated(argc, argv, reporter);
  std::printf("first page: %s\nJPEG page: %s\n",
              qPrintable(Data().mixedPage.join(QLatin1Char(' '))),
              qPrintable(Data().jpegPage.join(QLatin1Char(' '))));
  reporter.PrintRatio("BM_MixedPageThroughArchive", "BM_MixedNineDecodesInMemory",
                      "cold thumbnail page (demo's first, mixed) / 9 decodes", 0.8);
  reporter.PrintRatio("BM_JpegPageThroughArchive", "BM_JpegNineDecodesInMemory",
                      "cold thumbnail page of 9 JPEG photos / 9 decodes", 0.6);
  reporter.PrintRatio("BM_JpegNineCellDecodesInMemory", "BM_JpegNineDecodesInMemory",
                      "the JPEG page decoded at cell size in memory / 9 decodes", 0.0);
  // What a reader waits for: the page and the whole current picture (no target of its own).
  reporter.PrintRatio("BM_MixedPageAndCurrentThroughArchive", "BM_MixedNineDecodesInMemory",
                      "the same mixed page and the current picture whole / 9 decodes", 0.0);
  reporter.PrintRatio("BM_JpegPageAndCurrentThroughArchive", "BM_JpegNineDecodesInMemory",
                      "the same JPEG page and the current picture whole / 9 decodes", 0.0);
  benchmark::Shutdown();
  return 0;
}
