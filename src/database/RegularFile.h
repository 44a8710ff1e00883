// Reading a whole content file safely: regular files only, never more than a given size.
#pragma once

#include <QByteArray>
#include <QString>

namespace orlaventis {

// How a read of a content file ended.
enum class FileReadStatus { Ok, Missing, NotRegular, TooLarge, Unreadable };

struct FileContents {
  FileReadStatus status = FileReadStatus::Missing;
  QByteArray bytes;  // the whole file when status is Ok, else empty
};

// Reads `path` whole when it is a regular file (after following links) of at most `limit`
// bytes. Anything else (a folder, a device, a FIFO, a socket) is never read and never waited
// for: it is opened without blocking and refused after fstat. A file that changes size while
// it is read gives Unreadable.
FileContents ReadRegularFile(const QString& path, qint64 limit);

// The short text a user sees for a failed read ("The file is not a regular file", ...); empty
// for Ok and Missing.
QString FileReadProblem(FileReadStatus status);

}  // namespace orlaventis
