// The one place olvtool puts into words why it cannot take a file it was given to read.
#pragma once

#include "database/RegularFile.h"

#include <QString>

namespace olvtool {

// The largest JSON or text source a verb reads: four times the largest database there is.
constexpr qint64 kMaxSourceBytes = 256LL * 1024 * 1024;
// The largest picture archive a verb opens: member offsets and sizes are 32-bit numbers.
constexpr qint64 kMaxArchiveBytes = 1LL << 31;

// "no such file", "not a regular file", "too large" or "cannot be read"; empty for Ok.
QString FileStatusWords(orlaventis::FileReadStatus status);

// "NAME: no such file", "NAME: not a regular file" (a folder, FIFO, device or socket),
// "NAME: too large" or "NAME: cannot be read"; empty for Ok. Every verb says it this way.
QString FileProblem(const QString& name, orlaventis::FileReadStatus status);

// How the file at `path` stands as an input of at most `limit` bytes, without reading it: looked
// at and opened as TReadOnlyFile does (a FIFO or device is never opened), so that a reader that
// opens it after knows it is there. Never blocks.
orlaventis::FileReadStatus InputFileStatus(const QString& path, qint64 limit);

}  // namespace olvtool
