// Picture archives: the member index, DOS time stamps and extraction of one member into a file.
#include "media/Archive.h"

#include "database/ReadOnlyFile.h"
#include "database/Win1252.h"
#include "media/PictureDecoder.h"
#include "process/ProcessFacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {

namespace {

constexpr qint64 kMsPerDay = 86400000;
// 1899-12-30, day 0 of the day count.
const QDate kDayZero(1899, 12, 30);
constexpr qint64 kInflateBlock = 64 * 1024;

// Sets the modification time of the file just written to `path`, still open as `fd`; its
// access time stays as it is.
bool SetModificationTime(int fd, const QString& path, const QDateTime& time) {
  if (const FileTimeSetter& hook = Process().fileTimeSetter) return hook(path, time);
  const qint64 ms = time.toMSecsSinceEpoch();
  const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  const struct timespec times[2] = {
      {0, UTIME_OMIT},
      {static_cast<time_t>(seconds), static_cast<long>((ms - seconds * 1000) * 1000000)}};
  return ::futimens(fd, times) == 0;
}

// True when a byte of `text` is 0x80 or above (eight bytes at a time).
bool HasHighBytes(QByteArrayView text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  for (; end - p >= 8; p += 8) {
    quint64 word;
    std::memcpy(&word, p, 8);
    if (word & 0x8080808080808080ULL) return true;
  }
  for (; p != end; ++p)
    if (static_cast<unsigned char>(*p) >= 0x80) return true;
  return false;
}

// The first `c` in text[from, end), or end. memchr is never handed an empty range: the data
// pointer of empty text may be null.
qsizetype FindByte(QByteArrayView text, qsizetype from, char c) {
  if (from >= text.size()) return text.size();
  const void* at = std::memchr(text.data() + from, c, static_cast<size_t>(text.size() - from));
  return at != nullptr ? static_cast<const char*>(at) - text.data() : text.size();
}

// Splits index text into lines: CR LF, a lone CR or a lone LF ends a line, a final line without
// an end is kept when not empty, and a NUL byte ends the text. The text is decoded whole (Qt's
// vectorised Latin-1, then the codes 0x80-0x9F where Windows-1252 differs, only when the text
// holds high bytes); line ends are found with memchr, each byte looked at a bounded number of
// times whatever the mix of line ends. Each line is then one copy out of the decoded text.
QStringList SplitIndexText(QByteArrayView text) {
  text.truncate(FindByte(text, 0, '\0'));
  if (text.isEmpty()) return {};
  QString whole = QString::fromLatin1(text);
  char16_t* chars = reinterpret_cast<char16_t*>(whole.data());
  const qsizetype n = text.size();
  if (HasHighBytes(text)) {
    for (qsizetype i = 0; i < n; ++i)
      if (chars[i] >= 0x80 && chars[i] <= 0x9F)
        chars[i] = Win1252Char(static_cast<unsigned char>(chars[i])).unicode();
  }
  QStringList lines;
  lines.reserve(n / 32 + 1);
  qsizetype nextLf = FindByte(text, 0, '\n');
  qsizetype nextCr = FindByte(text, 0, '\r');
  qsizetype start = 0;
  while (start < n) {
    if (nextLf < start) nextLf = FindByte(text, start, '\n');
    if (nextCr < start) nextCr = FindByte(text, start, '\r');
    const qsizetype stop = std::min(nextLf, nextCr);
    qsizetype next = stop;
    if (next < n && text[next++] == '\r' && next < n && text[next] == '\n') ++next;
    lines.append(QStringView(whole).sliced(start, stop - start).toString());
    start = next;
  }
  return lines;
}

// The index length word and where the index text starts, or -1 when it does not fit.
qint64 IndexStart(qint64 fileSize, qint32 length) {
  if (fileSize < 4 || length < 0 || length > fileSize - 4) return -1;
  return fileSize - 4 - length;
}

qint32 LengthWord(const char* four) {
  const auto* b = reinterpret_cast<const unsigned char*>(four);
  return static_cast<qint32>(static_cast<quint32>(b[0]) | (static_cast<quint32>(b[1]) << 8) |
                             (static_cast<quint32>(b[2]) << 16) |
                             (static_cast<quint32>(b[3]) << 24));
}

// The checks made before anything is allocated for a member.
bool EntryFits(const ArchiveEntry& e, qint64 fileSize) {
  if (e.Offset < 0 || e.PackedSize < 1 || e.UnpackedSize < 1) return false;
  if (static_cast<qint64>(e.Offset) + e.PackedSize > fileSize) return false;
  if (e.UnpackedSize < e.PackedSize || e.UnpackedSize > kMaxPictureFileBytes) return false;
  return static_cast<qint64>(e.UnpackedSize) <= e.PackedSize * kMaxInflateRatio;
}

// Receives each piece of inflated output in order; false stops the inflate (a failed write).
using InflateSink = std::function<bool(const char* data, qint64 length)>;

// Inflates `packed` in blocks of kInflateBlock bytes into `sink`: true when exactly `size`
// bytes came out and the stream ended right after them (Adler-32 checked).
bool InflateTo(QByteArrayView packed, qint64 size, const InflateSink& sink,
               const InflateProgress& progress) {
  if (packed.isEmpty() || size < 1 || size > packed.size() * kMaxInflateRatio ||
      size > kMaxPictureFileBytes || packed.size() > std::numeric_limits<qint32>::max())
    return false;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  QByteArray block(static_cast<qsizetype>(std::min(kInflateBlock, size)), Qt::Uninitialized);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  int ret = Z_OK;
  qint64 done = 0;
  while (done < size) {
    stream.next_out = reinterpret_cast<Bytef*>(block.data());
    stream.avail_out = static_cast<uInt>(std::min<qint64>(block.size(), size - done));
    ret = inflate(&stream, Z_NO_FLUSH);
    const qint64 produced = static_cast<qint64>(stream.total_out) - done;
    done = static_cast<qint64>(stream.total_out);
    if (ret != Z_OK && ret != Z_STREAM_END) break;
    if (produced > 0 && !sink(block.constData(), produced)) {
      ret = Z_ERRNO;
      break;
    }
    if (progress) progress(done, size);
    if (ret == Z_STREAM_END) break;
  }
  if (ret == Z_OK && done == size) {
    // All bytes are out; the stream must end here (trailer checked), with nothing more to give.
    unsigned char extra = 0;
    stream.next_out = &extra;
    stream.avail_out = 1;
    ret = inflate(&stream, Z_FINISH);
    if (stream.total_out != static_cast<uLong>(size)) ret = Z_DATA_ERROR;
  }
  inflateEnd(&stream);
  return ret == Z_STREAM_END && done == size;
}

// The member from its block: stored as is, or inflated.
bool UnpackBlock(const QByteArray& block, const ArchiveEntry& e, const InflateProgress& progress,
                 QByteArray& member) {
  if (e.UnpackedSize == e.PackedSize) {
    member = block;
    return true;
  }
  return InflateMember(block, member, e.UnpackedSize, progress);
}

// Opens `path` for writing without following a symbolic link at it: created 0600 when missing,
// truncated when it is a regular file; anything else there (a link, a FIFO, a device, a
// folder) is refused without being opened for writing. The descriptor, or -1.
int OpenRegularForWriting(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) return -1;
  // O_NONBLOCK: a FIFO put there after the look above must not make the open wait.
  const int fd =
      ::open(name.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      (st.st_size != 0 && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Writes all of data[0, length) to `fd`.
bool WriteAll(int fd, const char* data, qint64 length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(std::min<qint64>(length, 1 << 20)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= n;
  }
  return true;
}

// A local date and time; a time the clocks skip (the spring-forward gap of daylight saving)
// becomes the first valid local time after it. Invalid only when none follows within two days.
QDateTime LocalOrNextValid(QDate date, QTime time) {
  QDateTime local(date, time, Qt::LocalTime);
  if (local.isValid()) return local;
  // Walk the wall clock in whole minutes (every transition falls on one) past the gap.
  const QDateTime wall(date, QTime(time.hour(), time.minute()), Qt::UTC);
  for (int minutes = 1; minutes <= 2 * 24 * 60; ++minutes) {
    const QDateTime next = wall.addSecs(60LL * minutes);
    local = QDateTime(next.date(), next.time(), Qt::LocalTime);
    if (local.isValid()) return local;
  }
  return {};
}

std::optional<qint32> DecimalField(const QString& field) {
  bool ok = false;
  const int value = field.toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

// ---- DOS date-time ----

double DosDateTimeToDays(quint32 dos) {
  const int year = 1980 + static_cast<int>(dos >> 25);
  const int month = static_cast<int>((dos >> 21) & 0x0F);
  const int day = static_cast<int>((dos >> 16) & 0x1F);
  const int hour = static_cast<int>((dos >> 11) & 0x1F);
  const int minute = static_cast<int>((dos >> 5) & 0x3F);
  const int second = static_cast<int>(dos & 0x1F) * 2;
  const QDate date(year, month, day);  // invalid for month 0, day 0, 31 February, ...
  if (!date.isValid() || hour > 23 || minute > 59 || second > 59) return kDosEpochDays;
  return static_cast<double>(kDayZero.daysTo(date)) +
         static_cast<double>((hour * 3600 + minute * 60 + second) * 1000) / kMsPerDay;
}

QDateTime DaysToDateTime(double days) {
  if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0) return {};
  const double whole = std::floor(days);
  qint64 ms = std::llround((days - whole) * kMsPerDay);
  qint64 dayNumber = static_cast<qint64>(whole);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++dayNumber;
  }
  const QDate date = kDayZero.addDays(dayNumber);
  if (!date.isValid() || date.year() > 9999) return {};
  return LocalOrNextValid(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double DateTimeToDays(const QDateTime& dateTime) {
  if (!dateTime.isValid()) return 0.0;
  const QDateTime local = dateTime.toLocalTime();
  return static_cast<double>(kDayZero.daysTo(local.date())) +
         static_cast<double>(local.time().msecsSinceStartOfDay()) / kMsPerDay;
}

quint32 DateTimeToDosDateTime(const QDateTime& dateTime) {
  constexpr quint32 kEpoch = (1u << 21) | (1u << 16);  // 1980-01-01 00:00:00
  if (!dateTime.isValid()) return kEpoch;
  const QDateTime local = dateTime.toLocalTime();
  const QDate d = local.date();
  const QTime t = local.time();
  if (d.year() < 1980) return kEpoch;
  if (d.year() > 2107)
    return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  return (static_cast<quint32>(d.year() - 1980) << 25) | (static_cast<quint32>(d.month()) << 21) |
         (static_cast<quint32>(d.day()) << 16) | (static_cast<quint32>(t.hour()) << 11) |
         (static_cast<quint32>(t.minute()) << 5) | static_cast<quint32>(t.second() / 2);
}

// ---- Index ----

std::optional<QByteArray> ReadArchiveIndexText(const QString& archivePath) {
  const TReadOnlyFile file(archivePath);
  if (file.Status() == FileReadStatus::Missing || file.Status() == FileReadStatus::NotRegular)
    return std::nullopt;
  const qint64 size = file.Size();
  char word[4];
  if (size < 4 || !file.ReadAt(size - 4, word, 4)) return QByteArray();
  const qint64 start = IndexStart(size, LengthWord(word));
  if (start < 0) return QByteArray();
  return file.ReadAt(start, size - 4 - start).value_or(QByteArray());
}

QByteArrayView ArchiveIndexText(QByteArrayView archiveBytes) {
  const qint64 size = archiveBytes.size();
  if (size < 4) return {};
  const qint64 start = IndexStart(size, LengthWord(archiveBytes.data() + size - 4));
  if (start < 0) return {};
  return archiveBytes.sliced(start, size - 4 - start);
}

std::optional<QStringList> BuildArchiveIndex(const QString& archivePath) {
  const std::optional<QByteArray> text = ReadArchiveIndexText(archivePath);
  if (!text) return std::nullopt;
  return SplitIndexText(*text);
}

QStringList ParseArchiveIndex(QByteArrayView archiveBytes) {
  return SplitIndexText(ArchiveIndexText(archiveBytes));
}

QString ArchiveLineName(const QString& line) {
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  return eq < 0 ? QString() : line.left(eq);
}

ArchiveEntry ParseArchiveEntry(const QString& line) {
  ArchiveEntry entry;
  const qsizetype eq = line.indexOf(QLatin1Char('='));
  if (eq < 0) return entry;
  entry.Name = line.left(eq);
  const QString rest = line.mid(eq + 1);
  if (rest.isEmpty()) return entry;
  const QStringList fields = rest.split(QLatin1Char(';'));
  bool ok = false;
  const qint64 dos = fields[0].toLongLong(&ok, 10);
  const bool fitsWord = ok && dos >= std::numeric_limits<qint32>::min() &&
                        dos <= static_cast<qint64>(std::numeric_limits<quint32>::max());
  // A signed field (a writer that printed the word as a signed integer) is the same 32 bits.
  entry.TimeStamp = DosDateTimeToDays(fitsWord ? static_cast<quint32>(dos) : 0u);
  auto field = [&fields](qsizetype i) {
    return i < fields.size() ? DecimalField(fields[i]) : std::nullopt;
  };
  entry.UnpackedSize = field(1).value_or(0);
  entry.PackedSize = field(2).value_or(0);
  entry.Offset = field(3).value_or(-1);
  return entry;
}

namespace {

// The first line named `name` (letter case ignored), or nullptr.
const QString* FindLine(const QStringList* index, const QString& name) {
  if (index == nullptr || name.isEmpty()) return nullptr;
  for (const QString& line : *index) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq == name.size() && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0)
      return &line;
  }
  return nullptr;
}

}  // namespace

ArchiveEntry FindArchiveEntry(const QStringList* index, const QString& name) {
  const QString* line = FindLine(index, name);
  return line != nullptr ? ParseArchiveEntry(*line) : ArchiveEntry{};
}

bool ArchiveContains(const std::optional<QStringList>& index, const QString& name) {
  return FindLine(index ? &*index : nullptr, name) != nullptr;
}

// ---- Members ----

InflateProgress ProcessEventsProgress() {
  return [](qint64, qint64) { QCoreApplication::processEvents(); };
}

bool InflateMember(QByteArrayView packed, QByteArray& destination, qint64 size,
                   const InflateProgress& progress) {
  destination.clear();
  if (size < 1 || size > kMaxPictureFileBytes || size > packed.size() * kMaxInflateRatio)
    return false;
  destination.reserve(size);
  const bool done = InflateTo(
      packed, size,
      [&destination](const char* data, qint64 length) {
        destination.append(data, length);
        return true;
      },
      progress);
  if (!done) destination.clear();
  return done;
}

QByteArray ReadArchiveMember(QByteArrayView archiveBytes, const ArchiveEntry& entry,
                             const InflateProgress& progress) {
  if (!EntryFits(entry, archiveBytes.size())) return {};
  const QByteArray block = archiveBytes.sliced(entry.Offset, entry.PackedSize).toByteArray();
  QByteArray member;
  if (!UnpackBlock(block, entry, progress, member)) return {};
  return member;
}

bool ExtractArchiveEntry(const QString& archivePath, const ArchiveEntry& entry,
                         const QString& destinationPath, const InflateProgress& progress) {
  if (entry.Offset < 0 || entry.PackedSize < 1 || entry.UnpackedSize < 1 ||
      destinationPath.isEmpty())
    return false;
  std::optional<QByteArray> block;
  {
    const TReadOnlyFile archive(archivePath);
    if (!EntryFits(entry, archive.Size())) return false;
    block = archive.ReadAt(entry.Offset, entry.PackedSize);
    if (!block) return false;
  }
  const QString folder = QFileInfo(destinationPath).absolutePath();
  struct stat st {};
  if ((::stat(QFile::encodeName(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) &&
      !QDir().mkpath(folder))
    return false;
  const int fd = OpenRegularForWriting(destinationPath);
  if (fd < 0) return false;
  // Inflated straight into the file, block by block: the member is never whole in memory.
  const auto write = [fd](const char* data, qint64 length) { return WriteAll(fd, data, length); };
  const bool written = entry.UnpackedSize == entry.PackedSize
                           ? write(block->constData(), block->size())
                           : InflateTo(*block, entry.UnpackedSize, write, progress);
  block.reset();
  QDateTime time = DaysToDateTime(entry.TimeStamp);
  if (!time.isValid()) time = DaysToDateTime(kDosEpochDays);
  // Everything is written before the time is set, so closing changes it no more.
  const bool stamped = written && SetModificationTime(fd, destinationPath, time);
  const bool closed = ::close(fd) == 0;
  if (stamped && closed) return true;
  // Not complete or not time-stamped: the file must not stay behind.
  QFile::setPermissions(destinationPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  QFile::remove(destinationPath);
  return false;
}

}  // namespace orlaventis
