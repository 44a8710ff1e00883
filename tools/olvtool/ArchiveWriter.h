// Writes picture archives: member blocks (stored or zlib-packed), then the index and its length.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <vector>

namespace olvtool {

// How a member's block is written.
enum class MemberPacking {
  Smaller,  // zlib-packed when that is strictly smaller than the data, else stored
  Stored,   // always stored as is
  Packed,   // always zlib-packed (tests; a packed block not smaller than the data is unreadable)
};

// Collects members in memory and writes them as one archive. Member names are index names with
// "\" separators ("i\i\1"), Windows-1252, without "=", CR, LF or NUL.
class ArchiveWriter {
 public:
  // Adds a member; `time` (local time) becomes its DOS time stamp. False, with *error set, on a
  // name that cannot stand in the index, a duplicate name (letter case ignored) or empty data.
  bool Add(const QString& name, QByteArrayView data, const QDateTime& time,
           MemberPacking packing = MemberPacking::Smaller, QString* error = nullptr);

  // Add for a member whose block is made already: `block` (the data, or ZlibPack of it) is stored
  // as given, `unpackedSize` is the size of the data. Same checks as Add.
  bool AddBlock(const QString& name, QByteArray block, qint64 unpackedSize, const QDateTime& time,
                QString* error = nullptr);

  int Count() const { return static_cast<int>(members_.size()); }

  // The whole archive: blocks in order of addition, then the index lines joined by CR LF, then
  // the index length as a signed 32-bit little-endian word. Empty when the archive would exceed
  // 2 GiB (offsets are signed 32-bit).
  QByteArray Build() const;

  // Writes Build() to `path` through a temporary file beside it, renamed on success; nothing
  // half-written is left. False with *error naming the problem.
  bool Write(const QString& path, QString* error) const;

 private:
  struct Member {
    QString name;
    QByteArray block;
    qint64 unpackedSize = 0;
    quint32 dosTime = 0;
  };
  std::vector<Member> members_;
};

// zlib stream (RFC 1950) of `data` at the best compression.
QByteArray ZlibPack(QByteArrayView data);

// The archive bytes `blocks` followed by `indexText` and its length word (hand-made archives
// for tests and seeds).
QByteArray AssembleArchive(QByteArrayView blocks, QByteArrayView indexText);

}  // namespace olvtool
