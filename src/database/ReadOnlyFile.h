// TReadOnlyFile: a regular file opened by descriptor for reading; never a folder, FIFO or device.
#pragma once

#include "database/RegularFile.h"

#include <QByteArray>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace orlaventis {

// What tells one version of a file from another: the same device, inode, size and
// modification time (to the nanosecond) is taken for the same, unchanged file.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedNs = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// The content readers' file access, a few system calls per file: the path is looked at (links
// followed) and anything but a regular file is refused without being opened, so a FIFO or
// device put in a file's place is never opened and nothing waits; the opened descriptor is
// checked again, in case the path changed in between. Owns the descriptor and closes it when
// destroyed; not copyable.
class TReadOnlyFile {
 public:
  // Status() is Ok when open, else Missing (nothing there), NotRegular (a folder, FIFO, device
  // or socket) or Unreadable (a regular file that cannot be opened for reading, or a path that
  // cannot be looked at: a link loop, a folder without search right); never TooLarge.
  explicit TReadOnlyFile(const QString& path);
  ~TReadOnlyFile();
  TReadOnlyFile(const TReadOnlyFile&) = delete;
  TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

  FileReadStatus Status() const { return status_; }
  bool IsOpen() const { return status_ == FileReadStatus::Ok; }
  // The size when opened; 0 unless open.
  qint64 Size() const { return identity_.size; }
  // The file as it was when opened; all zero unless open.
  const FileIdentity& Identity() const { return identity_; }

  // Exactly `length` bytes from `offset` into `into`: false when the range does not lie within
  // Size(), a read fails or the file ends sooner (it shrank), or the file is not open.
  bool ReadAt(qint64 offset, char* into, qint64 length) const;
  // The same into a new array of `length` bytes (bounded by Size(), so never larger than the
  // file); nullopt on failure.
  std::optional<QByteArray> ReadAt(qint64 offset, qint64 length) const;
  // The whole file, Size() bytes; nullopt when it cannot be read or is now shorter or longer.
  std::optional<QByteArray> ReadAll() const;
  // True when the file holds exactly `bytes` now: compared a block at a time, so that no second
  // copy of a large file is made.
  bool Holds(const QByteArray& bytes) const;

 private:
  bool Within(qint64 offset, qint64 length) const;  // open, and the range lies within Size()
  bool EndsAtSize() const;                          // nothing more to read after Size() bytes

  int fd_ = -1;
  FileIdentity identity_;
  FileReadStatus status_ = FileReadStatus::Missing;
};

}  // namespace orlaventis
