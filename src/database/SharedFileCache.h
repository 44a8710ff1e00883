// SharedFileCache: one copy of a content file's bytes for every database that holds it.
#pragma once

#include "database/ReadOnlyFile.h"
#include "database/RegularFile.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <mutex>

namespace orlaventis {

struct SharedFileContents {
  FileReadStatus status = FileReadStatus::Missing;
  std::shared_ptr<const QByteArray> bytes;  // the whole file when status is Ok, else null
};

// The content files several readers keep at once (the catalogue both the Catalog and the colour
// section hold). Owned by whoever opens the databases and lent to each of them; it holds no
// bytes itself, only where to find them while a reader keeps them, so the bytes live as long as
// their last holder. Safe from any thread.
class SharedFileCache {
 public:
  SharedFileCache() = default;
  SharedFileCache(const SharedFileCache&) = delete;
  SharedFileCache& operator=(const SharedFileCache&) = delete;

  // ReadRegularFile for a file several readers keep at once: while one holder keeps the bytes, a
  // read of the same file with the same content gets them too instead of a second copy (the
  // content is compared a block at a time).
  SharedFileContents Read(const QString& path, qint64 limit);

 private:
  std::mutex mutex_;  // guards held_
  std::map<FileIdentity, std::weak_ptr<const QByteArray>> held_;
};

}  // namespace orlaventis
