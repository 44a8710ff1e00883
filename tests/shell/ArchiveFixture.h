// Test fixture: whole-file helpers and picture archives by olvtool's writer, damaged members too.
#pragma once

#include "ArchiveWriter.h"

#include <QDateTime>
#include <QFile>
#include <QtEndian>

#include <vector>

namespace fixture {

// Writes `bytes` to `path`, replacing it; false when any of it could not be written.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
// The whole of `path`; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// One member of a picture archive: its name in the index and its bytes.
struct Member {
  QString name;
  QByteArray bytes;
};

// The archive `path` holding the `good` members (packed when that is smaller), then the `damaged`
// ones with a zlib block whose middle byte is flipped (they can never be unpacked).
inline bool WriteArchive(const QString& path, const std::vector<Member>& good,
                         const std::vector<Member>& damaged = {}) {
  olvtool::ArchiveWriter writer;
  const QDateTime time(QDate(2001, 5, 6), QTime(7, 8, 10));
  for (const Member& member : good)
    if (!writer.Add(member.name, member.bytes, time)) return false;
  QByteArray archive = writer.Build();
  if (!damaged.empty()) {
    // Hand-made: the blocks of the good members, then the damaged ones, then one index.
    const qint32 indexLength = qFromLittleEndian<qint32>(archive.constData() + archive.size() - 4);
    QByteArray index = archive.mid(archive.size() - 4 - indexLength, indexLength);
    QByteArray blocks = archive.left(archive.size() - 4 - indexLength);
    for (const Member& member : damaged) {
      QByteArray packed = olvtool::ZlibPack(member.bytes);
      packed[packed.size() / 2] = char(packed[packed.size() / 2] ^ 0x5A);
      if (!index.isEmpty()) index += "\r\n";
      const QString entry =
          QStringLiteral("%1=0;%2;%3;%4;").arg(member.name).arg(member.bytes.size());
      index += entry.arg(packed.size()).arg(blocks.size()).toLatin1();
      blocks += packed;
    }
    archive = olvtool::AssembleArchive(blocks, index);
  }
  return WriteFile(path, archive);
}

}  // namespace fixture
