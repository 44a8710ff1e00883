// TReadOnlyFile: a regular file opened by descriptor for reading; never a folder, FIFO or device.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orlaventis {

// The archive and picture readers' file access, a few system calls per file: the path is looked
// at (links followed) and anything but a regular file is refused without being opened, so a
// FIFO or device put in a file's place is never opened and nothing waits; the opened descriptor
// is checked again, in case the path changed in between. Owns the descriptor and closes it when
// destroyed; not copyable.
class TReadOnlyFile {
 public:
  enum class State {
    Open,
    Missing,     // the path names nothing, or it cannot be looked at
    NotRegular,  // a folder, FIFO, device or socket
    Unreadable,  // a regular file that cannot be opened for reading
  };

  explicit TReadOnlyFile(const QString& path);
  ~TReadOnlyFile();
  TReadOnlyFile(const TReadOnlyFile&) = delete;
  TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

  State Status() const { return state_; }
  bool IsOpen() const { return state_ == State::Open; }
  // The size when opened; 0 unless open.
  qint64 Size() const { return size_; }

  // Exactly `length` bytes from `offset` into `into`: false when the range does not lie within
  // Size(), a read fails or the file ends sooner (it shrank), or the file is not open.
  bool ReadAt(qint64 offset, char* into, qint64 length) const;
  // The same into a new array of `length` bytes (bounded by Size(), so never larger than the
  // file); nullopt on failure.
  std::optional<QByteArray> ReadAt(qint64 offset, qint64 length) const;

 private:
  bool Holds(qint64 offset, qint64 length) const;  // open, and the range lies within Size()

  int fd_ = -1;
  qint64 size_ = 0;
  State state_ = State::Missing;
};

}  // namespace orlaventis
