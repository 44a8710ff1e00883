// Reads, checks and packs the pictures of an authoring project on every core.
#include "PicturePacking.h"

#include "ArchiveWriter.h"
#include "InputFile.h"
#include "OutputPlacement.h"
#include "PictureEncoders.h"
#include "media/PictureDecoder.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include <sys/stat.h>

namespace olvtool {

namespace {

DemoFormat FormatOf(const QString& sniffed) {
  if (sniffed == QLatin1String("PNG")) return DemoFormat::Png;
  if (sniffed == QLatin1String("BMP")) return DemoFormat::Bmp;
  if (sniffed == QLatin1String("GIF")) return DemoFormat::Gif;
  if (sniffed == QLatin1String("TIF")) return DemoFormat::Tiff;
  if (sniffed == QLatin1String("PCX")) return DemoFormat::Pcx;
  return DemoFormat::Jpeg;
}

// Threads for `count` jobs: one per core, never more than jobs.
int Threads(int count) {
  return std::clamp(int(std::thread::hardware_concurrency()), 1, std::clamp(count, 1, 64));
}

}  // namespace

QString FileStamp(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return QStringLiteral("%1 %2.%3 %4.%5 %6:%7")
      .arg(qint64(st.st_size))
      .arg(qint64(st.st_mtim.tv_sec))
      .arg(qint64(st.st_mtim.tv_nsec))
      .arg(qint64(st.st_ctim.tv_sec))
      .arg(qint64(st.st_ctim.tv_nsec))
      .arg(quint64(st.st_dev))
      .arg(quint64(st.st_ino));
}

PackedPicture PackPicture(const QDir& project, const PictureFile& p, bool block, QSize maxSize) {
  PackedPicture out;
  out.pixels = p.pixels;
  orlaventis::FileContents file =
      orlaventis::ReadRegularFile(project.filePath(p.file), orlaventis::kMaxPictureFileBytes);
  if (file.status != orlaventis::FileReadStatus::Ok) {
    out.problem = FileStatusWords(file.status);
    return out;
  }
  const QString format = orlaventis::SniffPictureFormat(
      QByteArrayView(file.bytes).first(std::min<qsizetype>(file.bytes.size(), 512)));
  if (format.isEmpty()) {
    out.problem =
        QStringLiteral("not a picture the program reads (JPEG, PNG, BMP, GIF, TIFF or PCX)");
    return out;
  }
  if (!out.pixels.isValid()) {
    // JPEG decodes at an eighth of its size: every block is still read, the sums are skipped.
    QSize full;
    const orlaventis::PictureSizeRule small = [&full](QSize size) {
      full = size;
      return (size / 8).expandedTo(QSize(1, 1));
    };
    const orlaventis::DecodedPicture decoded = orlaventis::DecodePictureScaled(
        file.bytes, format,
        format == QLatin1String("JPEG") ? small : orlaventis::PictureSizeRule());
    if (decoded.image.isNull()) {
      out.problem = QStringLiteral("does not decode (%1)").arg(decoded.reason);
      return out;
    }
    out.pixels = full.isValid() ? full : decoded.image.size();
  }
  if (!block) return out;
  QByteArray data = std::move(file.bytes);
  if (p.member && maxSize.isValid() &&
      (out.pixels.width() > maxSize.width() || out.pixels.height() > maxSize.height())) {
    const QSize fit = out.pixels.scaled(maxSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const orlaventis::DecodedPicture scaled =
        orlaventis::DecodePictureScaled(data, format, [fit](QSize) { return fit; });
    data = EncodeDemoPicture(scaled.image.convertToFormat(QImage::Format_RGB32), FormatOf(format));
    if (data.isEmpty()) {
      out.problem = QStringLiteral("cannot be scaled down");
      return out;
    }
  }
  out.unpacked = data.size();
  if (p.member && format != QLatin1String("JPEG") && format != QLatin1String("PNG")) {
    QByteArray packed = ZlibPack(data);
    if (!packed.isEmpty() && packed.size() < data.size()) data = std::move(packed);
  }
  out.block = std::move(data);
  return out;
}

void OnEveryCore(int count, const std::function<void(int)>& work,
                 const std::function<void(int)>& progress) {
  std::atomic<int> next{0}, done{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < Threads(count) && count > 0; ++t)
    pool.emplace_back([&] {
      for (int i = next++; i < count && !Interrupted(); i = next++) {
        work(i);
        ++done;
      }
    });
  while (progress && done < count && !Interrupted()) {
    progress(done);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (std::thread& t : pool) t.join();
  if (progress) progress(done);
}

void InOrderOnEveryCore(int count, const std::function<PackedPicture(int)>& work,
                        const std::function<void(int, PackedPicture&&)>& consume,
                        const std::function<void(int)>& progress) {
  const int threads = Threads(count);
  const int window = threads * 4;  // results made ahead of the one consumed
  std::mutex mutex;
  std::condition_variable ready, room;
  std::deque<std::optional<PackedPicture>> made;  // results from `first` on
  int first = 0, next = 0;
  bool stop = false;
  std::vector<std::thread> pool;
  for (int t = 0; t < threads && count > 0; ++t)
    pool.emplace_back([&] {
      std::unique_lock lock(mutex);
      for (;;) {
        room.wait(lock, [&] { return stop || next >= count || next < first + window; });
        if (stop || next >= count || Interrupted()) return;
        const int i = next++;
        if (made.size() < size_t(i - first + 1)) made.resize(size_t(i - first + 1));
        lock.unlock();
        PackedPicture result = work(i);
        lock.lock();
        made[size_t(i - first)] = std::move(result);
        ready.notify_one();
      }
    });
  auto lastShown = std::chrono::steady_clock::now();
  for (int i = 0; i < count && !Interrupted(); ++i) {
    std::unique_lock lock(mutex);
    // Waits with a time-out so that an interrupt is seen while every worker decodes.
    while (!(!made.empty() && made.front()) && !Interrupted())
      ready.wait_for(lock, std::chrono::milliseconds(100));
    if (Interrupted()) break;
    PackedPicture result = std::move(*made.front());
    made.pop_front();
    ++first;
    room.notify_all();
    lock.unlock();
    consume(i, std::move(result));
    if (progress && std::chrono::steady_clock::now() - lastShown > std::chrono::milliseconds(100)) {
      progress(i + 1);
      lastShown = std::chrono::steady_clock::now();
    }
  }
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  room.notify_all();
  for (std::thread& t : pool) t.join();
  if (progress) progress(first);
}

}  // namespace olvtool
