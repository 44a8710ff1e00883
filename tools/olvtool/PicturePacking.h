// Reads, checks and packs the pictures of an authoring project on every core.
#pragma once

#include "Problem.h"

#include <QByteArray>
#include <QDir>
#include <QSize>
#include <QString>

#include <functional>

namespace olvtool {

// One picture file that goes into the work.
struct PictureFile {
  QString file;    // relative to the project
  QString output;  // the member name, or the output file of a background
  Problem
      where;  // the cell that names it (text "Photo"), or no file for a picture found in its folder
  bool member = true;  // an archive member (scaled by --max-size, zlib-packed when smaller); else a
                       // background file
  QString stamp;       // FileStamp when listed; empty when there is no such file
  QSize pixels;        // its size, from an earlier build or once decoded
};

// What PackPicture made of a picture.
struct PackedPicture {
  QByteArray block;  // what the archive or background file stores (the file, scaled or zlib-packed)
  qint64 unpacked = 0;
  QSize pixels;  // as decoded (or known)
  QString
      problem;  // why the picture cannot be taken ("does not decode (...)"); empty when it is good
};

// The identity of the regular file at `path` as an earlier build saw it: size, modification and
// change times to the nanosecond, device and inode (a file rewritten with its old size and time
// set back still gets a new change time). Empty when it is no regular file.
QString FileStamp(const QString& path);

// Reads `p` from `project`, checks that the program's decoder takes it (unless its size is known
// already) and, when `block`, makes the stored form: scaled to fit `maxSize` when larger (members
// only), zlib-packed when that is smaller (members other than JPEG and PNG). Safe to run on many
// pictures at once.
PackedPicture PackPicture(const QDir& project, const PictureFile& p, bool block, QSize maxSize);

// Runs `work(i)` for every i below `count` on every core; `progress` (when set) is told how many
// are done from this thread while they run. `work` must be safe to run on many threads at once.
// Stops early once Interrupted().
void OnEveryCore(int count, const std::function<void(int)>& work,
                 const std::function<void(int)>& progress = {});

// Runs `work(i)` for every i below `count` on every core and hands each result to `consume` on
// the calling thread in order of i, with at most a few results per core made ahead of the one
// consumed (memory stays bounded however many there are). `progress` as for OnEveryCore. Stops
// early once Interrupted().
void InOrderOnEveryCore(int count, const std::function<PackedPicture(int)>& work,
                        const std::function<void(int, PackedPicture&&)>& consume,
                        const std::function<void(int)>& progress = {});

}  // namespace olvtool
