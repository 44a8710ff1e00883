// TArchiveIndex: an archive's member index held as one decoded text, a line table and a hash.
#pragma once

#include "media/Archive.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace orlaventis {

// The same lines as BuildArchiveIndex gives, without one string per member: the index text is
// decoded once, each line is an offset into it, and the member names, case-folded, are hashed,
// so that a lookup costs one probe sequence instead of a walk over every line.
class TArchiveIndex {
 public:
  TArchiveIndex() = default;

  // Reads the index of the archive file exactly as BuildArchiveIndex does: nullopt when the
  // file does not exist, an empty index when its index cannot be read completely.
  static std::optional<TArchiveIndex> Read(const QString& archivePath);
  // The index of archive bytes already in memory (ParseArchiveIndex's lines).
  static TArchiveIndex Parse(QByteArrayView archiveBytes);

  int Count() const { return static_cast<int>(lines_.size()); }
  // Line `i` (0-based, unchanged, in file order); empty outside 0..Count-1. Valid while the
  // index lives.
  QStringView Line(int i) const;

  // The entry of the first line named `name` (letter case ignored, as FindArchiveEntry), or
  // nullopt when no line is named so or `name` is empty.
  std::optional<ArchiveEntry> Find(const QString& name) const;

 private:
  struct LineRef {
    qsizetype start = 0;
    int32_t length = 0;
    int32_t nameLength = -1;  // characters before the first "=", -1 without one
    uint32_t hash = 0;        // of the case-folded name
  };
  void Build(QByteArrayView text);
  int FindLine(QStringView name) const;  // index of the first line named `name`, or -1

  QString text_;
  std::vector<LineRef> lines_;
  std::vector<int32_t> slots_;  // open addressing: line index + 1, 0 = empty
};

// The index lookups of FindArchiveEntry and ArchiveContains on a TArchiveIndex.
ArchiveEntry FindArchiveEntry(const std::optional<TArchiveIndex>& index, const QString& name);
bool ArchiveContains(const std::optional<TArchiveIndex>& index, const QString& name);

}  // namespace orlaventis
