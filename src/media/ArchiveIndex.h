// TArchiveIndex: an archive's member index held as one text buffer, a line table and a hash.
#pragma once

#include "media/Archive.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace orlaventis {

// The same lines as BuildArchiveIndex gives, without one string per member: the index text is
// kept as read (Windows-1252), each line is an offset into it, and the member names, case-folded
// as their decoded characters fold, are hashed, so that a lookup costs one probe sequence and
// decodes only the lines it compares.
class TArchiveIndex {
 public:
  TArchiveIndex() = default;

  // Reads the index of the archive file exactly as BuildArchiveIndex does: nullopt when the
  // file does not exist, an empty index when its index cannot be read completely.
  static std::optional<TArchiveIndex> Read(const QString& archivePath);
  // The index of archive bytes already in memory (ParseArchiveIndex's lines).
  static TArchiveIndex Parse(QByteArrayView archiveBytes);

  int Count() const { return static_cast<int>(lines_.size()); }
  // Line `i` (0-based, decoded, in file order); empty outside 0..Count-1.
  QString Line(int i) const;

  // The entry of the first line named `name` (letter case ignored, as FindArchiveEntry), or
  // nullopt when no line is named so or `name` is empty.
  std::optional<ArchiveEntry> Find(const QString& name) const;

 private:
  struct LineRef {
    int32_t start = 0;  // the index text is shorter than 2 GB (its length is a 32-bit word)
    int32_t length = 0;
    int32_t nameLength = -1;  // characters before the first "=", -1 without one
    uint32_t hash = 0;        // of the case-folded name
  };
  void Build(QByteArray text);           // takes the index text
  int FindLine(QStringView name) const;  // index of the first line named `name`, or -1

  QByteArray text_;  // the index text up to its first NUL, Windows-1252
  std::vector<LineRef> lines_;
  std::vector<int32_t> slots_;  // open addressing: line index + 1, 0 = empty
};

// The index lookups of FindArchiveEntry and ArchiveContains on a TArchiveIndex.
ArchiveEntry FindArchiveEntry(const std::optional<TArchiveIndex>& index, const QString& name);
bool ArchiveContains(const std::optional<TArchiveIndex>& index, const QString& name);

}  // namespace orlaventis
