// TReadOnlyFile: a regular file opened by descriptor for reading; never a folder, FIFO or device.
#include "media/ReadOnlyFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {

TReadOnlyFile::TReadOnlyFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (name.isEmpty() || ::stat(name.constData(), &st) != 0) return;  // Missing
  if (!S_ISREG(st.st_mode)) {
    state_ = State::NotRegular;
    return;
  }
  state_ = State::Unreadable;
  // O_NONBLOCK: should a FIFO take the file's place after the look above, the open returns.
  fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  size_ = st.st_size;
  state_ = State::Open;
}

TReadOnlyFile::~TReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool TReadOnlyFile::Holds(qint64 offset, qint64 length) const {
  return fd_ >= 0 && offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
}

bool TReadOnlyFile::ReadAt(qint64 offset, char* into, qint64 length) const {
  if (!Holds(offset, length)) return false;
  while (length > 0) {
    const ssize_t n = ::pread(fd_, into, static_cast<size_t>(std::min<qint64>(length, 1 << 30)), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into += n;
    offset += n;
    length -= n;
  }
  return true;
}

std::optional<QByteArray> TReadOnlyFile::ReadAt(qint64 offset, qint64 length) const {
  if (!Holds(offset, length)) return std::nullopt;
  QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
  if (!ReadAt(offset, bytes.data(), length)) return std::nullopt;
  return bytes;
}

}  // namespace orlaventis
