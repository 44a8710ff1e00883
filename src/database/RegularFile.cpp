// Reading a whole content file safely: regular files only, never more than a given size.
#include "database/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {
namespace {

// Closes the descriptor when the read ends, whichever way.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

FileContents ReadRegularFile(const QString& path, qint64 limit) {
  FileContents out;
  if (path.isEmpty()) return out;
  const QByteArray native = QFile::encodeName(path);
  const Descriptor file{::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (file.fd < 0) {
    out.status = errno == ENOENT || errno == ENOTDIR ? FileReadStatus::Missing
                                                     : FileReadStatus::Unreadable;
    return out;
  }
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) {
    out.status = FileReadStatus::Unreadable;
    return out;
  }
  if (!S_ISREG(info.st_mode)) {
    out.status = FileReadStatus::NotRegular;
    return out;
  }
  if (info.st_size > limit) {
    out.status = FileReadStatus::TooLarge;
    return out;
  }
  QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // shrank while read, or failed
    done += got;
  }
  char extra = 0;
  if (done != bytes.size() || ::read(file.fd, &extra, 1) != 0) {
    out.status = FileReadStatus::Unreadable;  // shorter or longer than it said
    return out;
  }
  out.status = FileReadStatus::Ok;
  out.bytes = std::move(bytes);
  return out;
}

QString FileReadProblem(FileReadStatus status) {
  switch (status) {
    case FileReadStatus::NotRegular: return QStringLiteral("The file is not a regular file");
    case FileReadStatus::TooLarge: return QStringLiteral("The file is too large");
    case FileReadStatus::Unreadable: return QStringLiteral("The file cannot be read");
    case FileReadStatus::Ok:
    case FileReadStatus::Missing: break;
  }
  return QString();
}

}  // namespace orlaventis
