// Writes picture archives: member blocks (stored or zlib-packed), then the index and its length.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QSet>
#include <QString>

#include <vector>

class QIODevice;

namespace olvtool {

// How a member's block is written.
enum class MemberPacking {
  Smaller,  // zlib-packed when that is strictly smaller than the data, else stored
  Stored,   // always stored as is
  Packed,   // always zlib-packed (tests; a packed block not smaller than the data is unreadable)
};

// Collects members and writes them as one archive. Member names are index names with "\"
// separators ("i\i\1"), Windows-1252, without "=", CR, LF or NUL.
//
// Without a sink the blocks are kept in memory (Build, Write). With a sink each block is written
// to it as it is added and only the index is kept, so memory does not grow with the pictures;
// Finish then writes the index. Adding costs the same for the first member as for the last.
class ArchiveWriter {
 public:
  ArchiveWriter() = default;
  // `sink` (not owned, open for writing, positioned at 0) must outlive the writer.
  explicit ArchiveWriter(QIODevice* sink) : sink_(sink) {}

  // Adds a member; `time` (local time) becomes its DOS time stamp. False, with *error set, on a
  // name that cannot stand in the index, a duplicate name (letter case ignored), empty data, an
  // archive past 2 GiB or a sink that refuses the bytes.
  bool Add(const QString& name, QByteArrayView data, const QDateTime& time,
           MemberPacking packing = MemberPacking::Smaller, QString* error = nullptr);

  // Add for a member whose block is made already: `block` (the data, or ZlibPack of it) is stored
  // as given, `unpackedSize` is the size of the data. Same checks as Add.
  bool AddBlock(const QString& name, QByteArray block, qint64 unpackedSize, const QDateTime& time,
                QString* error = nullptr);

  int Count() const { return static_cast<int>(members_.size()); }

  // Without a sink: the whole archive, blocks in order of addition, then the index lines joined
  // by CR LF, then the index length as a signed 32-bit little-endian word. Empty when the
  // archive would exceed 2 GiB (offsets are signed 32-bit).
  QByteArray Build() const;

  // Without a sink: writes Build() to `path` through a temporary file beside it, renamed on
  // success; nothing half-written is left. False with *error naming the problem.
  bool Write(const QString& path, QString* error) const;

  // With a sink: writes the index and its length after the blocks. False with *error set when
  // the archive would exceed 2 GiB or the sink refuses the bytes.
  bool Finish(QString* error);

 private:
  struct Member {
    QString name;
    qint64 unpackedSize = 0, packedSize = 0, offset = 0;
    quint32 dosTime = 0;
  };
  QByteArray IndexText() const;

  QIODevice* sink_ = nullptr;
  std::vector<Member> members_;
  QSet<QString> folded_;  // case-folded member names, for the duplicate check
  QByteArray blocks_;     // without a sink: every block, in order
  qint64 size_ = 0;       // bytes of blocks so far
};

// zlib stream (RFC 1950) of `data` at zlib's default level: nearly the size of the best at a third
// of the time (a build packs every picture that is neither JPEG nor PNG).
QByteArray ZlibPack(QByteArrayView data);

// The archive bytes `blocks` followed by `indexText` and its length word (hand-made archives
// for tests and seeds).
QByteArray AssembleArchive(QByteArrayView blocks, QByteArrayView indexText);

}  // namespace olvtool
