// Picture archives: the member index, DOS time stamps and extraction of one member into a file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace orlaventis {

// One parsed index line. The empty entry (empty name, time stamp 0, sizes 0, offset -1) is
// what a default-constructed ArchiveEntry holds.
struct ArchiveEntry {
  QString Name;
  double TimeStamp = 0.0;  // day count since 1899-12-30 00:00 local time; fraction = time of day
  qint32 UnpackedSize = 0;
  qint32 PackedSize = 0;
  qint32 Offset = -1;
};

// Deflate never expands more than this; an unpacked size above packed size times this factor
// cannot come from a genuine member and is refused before anything is allocated. Whatever the
// ratio, an unpacked size above kMaxPictureFileBytes (PictureDecoder.h: the decoder reads no
// larger file) is refused too.
constexpr qint64 kMaxInflateRatio = 1032;

// ---- DOS date-time (date in the high 16 bits, time in the low 16 bits, local time) ----

// The day count of 1980-01-01 00:00, the DOS epoch.
constexpr double kDosEpochDays = 29221.0;

// Converts a DOS date-time to a day count. A value that is no valid DOS date-time (0 included)
// gives kDosEpochDays instead of failing.
double DosDateTimeToDays(quint32 dosDateTime);

// A day count as a local QDateTime (millisecond precision). A local time the clocks skip (the
// spring-forward gap) gives the first valid local time after it. Invalid for a non-finite
// count or one outside the years 100..9999.
QDateTime DaysToDateTime(double days);
// A local date-time as a day count; 0 for an invalid date-time.
double DateTimeToDays(const QDateTime& dateTime);

// A local date-time as a DOS date-time, seconds rounded down to even. Dates before 1980 give
// the epoch (0x00210000), dates after 2107 the last representable moment.
quint32 DateTimeToDosDateTime(const QDateTime& dateTime);

// ---- Index ----

// Reads the index text at the end of the archive: the last 4 bytes hold its length L (signed,
// little-endian), the L bytes before them the Windows-1252 lines (CR LF, lone CR or lone LF end
// a line; text after a NUL byte is ignored). Returns std::nullopt when the file does not exist,
// an empty list when it exists but its index cannot be read completely (shorter than 4 bytes,
// L negative or larger than the file before the length word, a short read). Lines are kept
// unchanged and in file order.
std::optional<QStringList> BuildArchiveIndex(const QString& archivePath);

// The same on archive bytes already in memory (what BuildArchiveIndex does after reading).
QStringList ParseArchiveIndex(QByteArrayView archiveBytes);

// The index text as read, before it is cut into lines: std::nullopt when the file does not exist
// or is not a regular file, empty when its index cannot be read completely.
std::optional<QByteArray> ReadArchiveIndexText(const QString& archivePath);
// The index text inside archive bytes already in memory (a view into them), empty when it does
// not fit.
QByteArrayView ArchiveIndexText(QByteArrayView archiveBytes);

// Parses "name=time;unpacked;packed;offset;". An empty line, or nothing after the "=", gives
// time stamp 0, sizes 0 and offset -1. A present time stamp field goes through
// DosDateTimeToDays (so a missing or invalid one becomes the DOS epoch); a size or offset field
// that is not a decimal 32-bit integer takes its default (0, 0, -1).
ArchiveEntry ParseArchiveEntry(const QString& line);

// The name part of an index line: the text before the first "="; empty for a line without one
// (such a line names no member).
QString ArchiveLineName(const QString& line);

// Looks `name` up ignoring letter case; the first matching line wins. Returns the parsed entry,
// or the empty entry when the index is missing (nullptr / nullopt), `name` is empty or the
// index holds no such name.
ArchiveEntry FindArchiveEntry(const QStringList* index, const QString& name);
inline ArchiveEntry FindArchiveEntry(const std::optional<QStringList>& index, const QString& name) {
  return FindArchiveEntry(index ? &*index : nullptr, name);
}
// True when the index exists and holds a line named `name` (letter case ignored).
bool ArchiveContains(const std::optional<QStringList>& index, const QString& name);

// ---- Members ----

// Called after each inflated block with the bytes produced so far and the total; the program
// points it at QCoreApplication::processEvents (ProcessEventsProgress), so other handlers may
// run in the middle of an extraction.
using InflateProgress = std::function<void(qint64 done, qint64 total)>;

// A progress handler that lets pending events run (QCoreApplication::processEvents).
InflateProgress ProcessEventsProgress();

// Inflates the zlib stream (RFC 1950) `packed` into `destination`, which is replaced by exactly
// `size` bytes. False (destination emptied) when packed is empty, size is below 1, above
// packed size x kMaxInflateRatio or above kMaxPictureFileBytes, the data is corrupt (Adler-32
// included), the stream ends before `size` bytes, or it does not end right after them.
bool InflateMember(QByteArrayView packed, QByteArray& destination, qint64 size,
                   const InflateProgress& progress = {});

// Reads and unpacks the member of `entry` from the archive bytes in memory (no file written).
// Empty on any refusal (see ExtractArchiveEntry for the checks).
QByteArray ReadArchiveMember(QByteArrayView archiveBytes, const ArchiveEntry& entry,
                             const InflateProgress& progress = {});

// Unpacks the member of `entry` into the file `destinationPath` (parent folders are created,
// an existing regular file is replaced) and gives it the entry's time stamp as its modification
// time (the DOS epoch when the time stamp is not a valid date-time). Returns true only when the
// file was written completely and carries the time stamp. Refused before anything is
// allocated: offset below 0, sizes below 1, offset + packed size beyond the file, unpacked size
// smaller than packed size, above packed size x kMaxInflateRatio or above kMaxPictureFileBytes.
// The member is inflated straight into the file (memory: the packed block and one 64 KiB
// block). A symbolic link, FIFO, device or folder at the destination is refused and left as it
// is, never followed. A file that was written but could not be completed or time-stamped is
// deleted. The caller picks a safe destination (see TTempFolder::FilePath in TempFolder.h).
bool ExtractArchiveEntry(const QString& archivePath, const ArchiveEntry& entry,
                         const QString& destinationPath, const InflateProgress& progress = {});

}  // namespace orlaventis
