// The one place olvtool puts into words why it cannot take a file it was given to read.
#include "InputFile.h"

#include "database/ReadOnlyFile.h"

using orlaventis::FileReadStatus;

namespace olvtool {

QString FileStatusWords(FileReadStatus status) {
  switch (status) {
    case FileReadStatus::Ok: return QString();
    case FileReadStatus::Missing: return QStringLiteral("no such file");
    case FileReadStatus::NotRegular: return QStringLiteral("not a regular file");
    case FileReadStatus::TooLarge: return QStringLiteral("too large");
    case FileReadStatus::Unreadable: return QStringLiteral("cannot be read");
  }
  return QString();
}

QString FileProblem(const QString& name, FileReadStatus status) {
  return status == FileReadStatus::Ok ? QString()
                                      : name + QStringLiteral(": ") + FileStatusWords(status);
}

FileReadStatus InputFileStatus(const QString& path, qint64 limit) {
  const orlaventis::TReadOnlyFile file(path);
  if (file.IsOpen() && file.Size() > limit) return FileReadStatus::TooLarge;
  return file.Status();
}

}  // namespace olvtool
