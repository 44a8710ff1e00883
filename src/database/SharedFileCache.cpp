// SharedFileCache: one copy of a content file's bytes for every database that holds it.
#include "database/SharedFileCache.h"

namespace orlaventis {

SharedFileContents SharedFileCache::Read(const QString& path, qint64 limit) {
  const TReadOnlyFile file(path);
  if (!file.IsOpen()) return {file.Status(), nullptr};
  if (file.Size() > limit) return {FileReadStatus::TooLarge, nullptr};
  const std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(held_, [](const auto& entry) { return entry.second.expired(); });
  // The identity finds the candidate; the content decides, as a file rewritten within the
  // file system's time-stamp granularity may keep its identity.
  if (const auto known = held_.find(file.Identity()); known != held_.end())
    if (std::shared_ptr<const QByteArray> bytes = known->second.lock(); bytes && file.Holds(*bytes))
      return {FileReadStatus::Ok, std::move(bytes)};
  std::optional<QByteArray> bytes = file.ReadAll();
  if (!bytes) return {FileReadStatus::Unreadable, nullptr};
  auto shared = std::make_shared<const QByteArray>(std::move(*bytes));
  held_[file.Identity()] = shared;
  return {FileReadStatus::Ok, std::move(shared)};
}

}  // namespace orlaventis
