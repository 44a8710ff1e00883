// Reading a whole content file safely: regular files only, never more than a given size.
#include "database/RegularFile.h"

#include "database/ReadOnlyFile.h"

namespace orlaventis {

FileContents ReadRegularFile(const QString& path, qint64 limit) {
  const TReadOnlyFile file(path);
  if (!file.IsOpen()) return {file.Status(), {}};
  if (file.Size() > limit) return {FileReadStatus::TooLarge, {}};
  std::optional<QByteArray> bytes = file.ReadAll();
  if (!bytes) return {FileReadStatus::Unreadable, {}};
  return {FileReadStatus::Ok, std::move(*bytes)};
}

ContentFault ReadFault(FileReadStatus status) {
  switch (status) {
    case FileReadStatus::NotRegular: return ContentFault::NotRegular;
    case FileReadStatus::TooLarge: return ContentFault::TooLarge;
    case FileReadStatus::Unreadable: return ContentFault::Unreadable;
    case FileReadStatus::Ok:
    case FileReadStatus::Missing: break;
  }
  return ContentFault::None;
}

}  // namespace orlaventis
