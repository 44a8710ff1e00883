// Writes picture archives: member blocks (stored or zlib-packed), then the index and its length.
#include "ArchiveWriter.h"

#include "database/Win1252.h"
#include "media/Archive.h"

#include <QIODevice>
#include <QSaveFile>

#include <zlib.h>

#include <limits>

namespace olvtool {

namespace {

bool Refuse(QString* error, const QString& why) {
  if (error != nullptr) *error = why;
  return false;
}

}  // namespace

QByteArray ZlibPack(QByteArrayView data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK)
    return {};
  out.truncate(static_cast<qsizetype>(size));
  return out;
}

QByteArray AssembleArchive(QByteArrayView blocks, QByteArrayView indexText) {
  QByteArray out;
  out.reserve(blocks.size() + indexText.size() + 4);
  out.append(blocks);
  out.append(indexText);
  const auto length = static_cast<quint32>(indexText.size());
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>((length >> (8 * i)) & 0xFF));
  return out;
}

bool ArchiveWriter::Add(const QString& name, QByteArrayView data, const QDateTime& time,
                        MemberPacking packing, QString* error) {
  if (packing == MemberPacking::Stored || data.isEmpty())
    return AddBlock(name, data.toByteArray(), data.size(), time, error);
  QByteArray packed = ZlibPack(data);
  if (packed.isEmpty())
    return Refuse(error, QStringLiteral("member \"%1\" could not be packed").arg(name));
  const bool usePacked = packing == MemberPacking::Packed || packed.size() < data.size();
  return AddBlock(name, usePacked ? std::move(packed) : data.toByteArray(), data.size(), time,
                  error);
}

bool ArchiveWriter::AddBlock(const QString& name, QByteArray block, qint64 unpackedSize,
                             const QDateTime& time, QString* error) {
  if (name.isEmpty()) return Refuse(error, QStringLiteral("a member name is empty"));
  for (const QChar c : {QChar(u'='), QChar(u'\r'), QChar(u'\n'), QChar(0)})
    if (name.contains(c))
      return Refuse(
          error,
          QStringLiteral("member name \"%1\" holds a character the index cannot carry").arg(name));
  if (!orlaventis::EncodeWin1252(name))
    return Refuse(error, QStringLiteral("member name \"%1\" is not Windows-1252 text").arg(name));
  const QString folded = name.toCaseFolded();
  if (folded_.contains(folded))
    return Refuse(error, QStringLiteral("member name \"%1\" appears twice").arg(name));
  if (block.isEmpty() || unpackedSize <= 0)
    return Refuse(error, QStringLiteral("member \"%1\" is empty").arg(name));
  if (unpackedSize > std::numeric_limits<qint32>::max())
    return Refuse(error, QStringLiteral("member \"%1\" is larger than 2 GiB").arg(name));
  if (size_ + block.size() > std::numeric_limits<qint32>::max())
    return Refuse(error,
                  QStringLiteral("the archive would exceed 2 GiB at member \"%1\"").arg(name));
  if (sink_ != nullptr) {
    if (sink_->write(block) != block.size())
      return Refuse(error, QStringLiteral("cannot write: %1").arg(sink_->errorString()));
  } else {
    blocks_ += block;
  }
  folded_.insert(folded);
  members_.push_back(
      {name, unpackedSize, block.size(), size_, orlaventis::DateTimeToDosDateTime(time)});
  size_ += block.size();
  return true;
}

QByteArray ArchiveWriter::IndexText() const {
  QByteArray index;
  for (const Member& m : members_)
    index += *orlaventis::EncodeWin1252(m.name) + '=' + QByteArray::number(m.dosTime) + ';' +
             QByteArray::number(m.unpackedSize) + ';' + QByteArray::number(m.packedSize) + ';' +
             QByteArray::number(m.offset) + ";\r\n";
  return index;
}

QByteArray ArchiveWriter::Build() const {
  const QByteArray index = IndexText();
  if (sink_ != nullptr || size_ + index.size() + 4 > std::numeric_limits<qint32>::max()) return {};
  return AssembleArchive(blocks_, index);
}

bool ArchiveWriter::Write(const QString& path, QString* error) const {
  const QByteArray bytes = Build();
  if (bytes.isEmpty())
    return Refuse(error, QStringLiteral("%1: the archive would exceed 2 GiB").arg(path));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return Refuse(error, QStringLiteral("%1: cannot write: %2").arg(path, file.errorString()));
  return true;
}

bool ArchiveWriter::Finish(QString* error) {
  const QByteArray index = IndexText();
  if (size_ + index.size() + 4 > std::numeric_limits<qint32>::max())
    return Refuse(error, QStringLiteral("the archive would exceed 2 GiB"));
  const QByteArray tail = AssembleArchive({}, index);
  if (sink_ == nullptr || sink_->write(tail) != tail.size())
    return Refuse(error, QStringLiteral("cannot write: %1")
                             .arg(sink_ ? sink_->errorString() : QStringLiteral("no file")));
  return true;
}

}  // namespace olvtool
