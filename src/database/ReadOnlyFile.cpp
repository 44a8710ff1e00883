// TReadOnlyFile: a regular file opened by descriptor for reading; never a folder, FIFO or device.
#include "database/ReadOnlyFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {

TReadOnlyFile::TReadOnlyFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (name.isEmpty()) return;  // Missing
  if (::stat(name.constData(), &st) != 0) {
    // Something there that cannot be looked at (no search right, a link loop) is no missing file.
    if (errno != ENOENT && errno != ENOTDIR) status_ = FileReadStatus::Unreadable;
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    status_ = FileReadStatus::NotRegular;
    return;
  }
  status_ = FileReadStatus::Unreadable;
  // O_NONBLOCK: should a FIFO take the file's place after the look above, the open returns.
  fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  identity_ = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), st.st_size,
               int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
  status_ = FileReadStatus::Ok;
}

TReadOnlyFile::~TReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool TReadOnlyFile::Within(qint64 offset, qint64 length) const {
  return fd_ >= 0 && offset >= 0 && length >= 0 && offset <= Size() && length <= Size() - offset;
}

bool TReadOnlyFile::ReadAt(qint64 offset, char* into, qint64 length) const {
  if (!Within(offset, length)) return false;
  while (length > 0) {
    const ssize_t n =
        ::pread(fd_, into, static_cast<size_t>(std::min<qint64>(length, 1 << 30)), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into += n;
    offset += n;
    length -= n;
  }
  return true;
}

std::optional<QByteArray> TReadOnlyFile::ReadAt(qint64 offset, qint64 length) const {
  if (!Within(offset, length)) return std::nullopt;
  QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
  if (!ReadAt(offset, bytes.data(), length)) return std::nullopt;
  return bytes;
}

bool TReadOnlyFile::EndsAtSize() const {
  char extra = 0;
  ssize_t n = 0;
  do {
    n = ::pread(fd_, &extra, 1, Size());
  } while (n < 0 && errno == EINTR);
  return n == 0;
}

std::optional<QByteArray> TReadOnlyFile::ReadAll() const {
  std::optional<QByteArray> bytes = ReadAt(0, Size());
  if (!bytes || !EndsAtSize()) return std::nullopt;  // failed, or grown since it was opened
  return bytes;
}

bool TReadOnlyFile::Holds(const QByteArray& bytes) const {
  if (fd_ < 0 || bytes.size() != Size()) return false;
  constexpr qint64 kBlock = 1 << 20;
  QByteArray block(static_cast<qsizetype>(std::min(kBlock, Size())), Qt::Uninitialized);
  for (qint64 at = 0; at < Size(); at += kBlock) {
    const qint64 length = std::min(kBlock, Size() - at);
    if (!ReadAt(at, block.data(), length) ||
        std::memcmp(block.constData(), bytes.constData() + at, length) != 0)
      return false;
  }
  return EndsAtSize();
}

}  // namespace orlaventis
