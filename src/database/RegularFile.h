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
// bytes. Anything else (a folder, a device, a FIFO, a socket) is never opened, read or waited
// for (see TReadOnlyFile). A file that changes size while it is read gives Unreadable.
FileContents ReadRegularFile(const QString& path, qint64 limit);

// What is wrong with a content file, for the caller to put into words.
enum class ContentFault {
  None,
  NotRegular,       // a read found no regular file (FileReadStatus::NotRegular)
  TooLarge,         // FileReadStatus::TooLarge
  Unreadable,       // FileReadStatus::Unreadable
  DamagedFile,      // a file that is not a database ends early or contradicts itself
  DamagedDatabase,  // a database's definitions or data are damaged
  WrongPassword,    // a protected database got no right password
};

struct ContentProblem {
  ContentFault fault = ContentFault::None;
  QString file;  // the file it is about; empty for None
};

// The fault of a read that ended with `status`: None for Ok and Missing (no file is no damage).
ContentFault ReadFault(FileReadStatus status);

}  // namespace orlaventis
