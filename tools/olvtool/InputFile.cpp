// The one place olvtool puts into words why it cannot take a file it was given to read.
#include "InputFile.h"

#include "database/ReadOnlyFile.h"

using orlaventis::FileReadStatus;

namespace olvtool {

QString FileProblem(const QString& name, FileReadStatus status) {
  const char* words = nullptr;
  switch (status) {
    case FileReadStatus::Ok: return QString();
    case FileReadStatus::Missing: words = "no such file"; break;
    case FileReadStatus::NotRegular: words = "not a regular file"; break;
    case FileReadStatus::TooLarge: words = "too large"; break;
    case FileReadStatus::Unreadable: words = "cannot be read"; break;
  }
  return name + QStringLiteral(": ") + QLatin1String(words);
}

FileReadStatus InputFileStatus(const QString& path, qint64 limit) {
  const orlaventis::TReadOnlyFile file(path);
  if (file.IsOpen() && file.Size() > limit) return FileReadStatus::TooLarge;
  return file.Status();
}

}  // namespace olvtool
