// Reading a whole content file safely: regular files only, never more than a given size.
#include "database/RegularFile.h"

#include "database/ReadOnlyFile.h"

#include <map>
#include <mutex>

namespace orlaventis {

FileContents ReadRegularFile(const QString& path, qint64 limit) {
  const TReadOnlyFile file(path);
  if (!file.IsOpen()) return {file.Status(), {}};
  if (file.Size() > limit) return {FileReadStatus::TooLarge, {}};
  std::optional<QByteArray> bytes = file.ReadAll();
  if (!bytes) return {FileReadStatus::Unreadable, {}};
  return {FileReadStatus::Ok, std::move(*bytes)};
}

SharedFileContents ReadSharedRegularFile(const QString& path, qint64 limit) {
  const TReadOnlyFile file(path);
  if (!file.IsOpen()) return {file.Status(), nullptr};
  if (file.Size() > limit) return {FileReadStatus::TooLarge, nullptr};
  static std::mutex mutex;
  static std::map<FileIdentity, std::weak_ptr<const QByteArray>> held;
  const std::lock_guard<std::mutex> lock(mutex);
  std::erase_if(held, [](const auto& entry) { return entry.second.expired(); });
  // The identity finds the candidate; the content decides, as a file rewritten within the
  // file system's time-stamp granularity may keep its identity.
  if (const auto known = held.find(file.Identity()); known != held.end())
    if (std::shared_ptr<const QByteArray> bytes = known->second.lock(); bytes && file.Holds(*bytes))
      return {FileReadStatus::Ok, std::move(bytes)};
  std::optional<QByteArray> bytes = file.ReadAll();
  if (!bytes) return {FileReadStatus::Unreadable, nullptr};
  auto shared = std::make_shared<const QByteArray>(std::move(*bytes));
  held[file.Identity()] = shared;
  return {FileReadStatus::Ok, std::move(shared)};
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
