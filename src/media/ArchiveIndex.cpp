// TArchiveIndex: an archive's member index held as one decoded text, a line table and a hash.
#include "media/ArchiveIndex.h"

#include "database/Win1252.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace orlaventis {
namespace {

// Case folding as QString's case-insensitive comparison does it, one UTF-16 unit at a time
// (index text holds no surrogates, and a name with them matches no line).
char16_t Fold(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return QChar(c).toCaseFolded().unicode();
}

uint32_t FoldedHash(QStringView name) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (const QChar c : name) {
    const char16_t f = Fold(c.unicode());
    h = (h ^ (f & 0xFF)) * 16777619u;
    h = (h ^ (f >> 8)) * 16777619u;
  }
  return h;
}

qsizetype FindByte(QByteArrayView text, qsizetype from, char c) {
  const void* at = std::memchr(text.data() + from, c, static_cast<size_t>(text.size() - from));
  return at != nullptr ? static_cast<const char*>(at) - text.data() : text.size();
}

qint32 LengthWord(const char* four) {
  const auto* b = reinterpret_cast<const unsigned char*>(four);
  return static_cast<qint32>(static_cast<quint32>(b[0]) | (static_cast<quint32>(b[1]) << 8) |
                             (static_cast<quint32>(b[2]) << 16) | (static_cast<quint32>(b[3]) << 24));
}

// Where the index text starts before the length word, or -1 when it does not fit.
qint64 IndexStart(qint64 fileSize, qint32 length) {
  if (fileSize < 4 || length < 0 || length > fileSize - 4) return -1;
  return fileSize - 4 - length;
}

}  // namespace

std::optional<TArchiveIndex> TArchiveIndex::Read(const QString& archivePath) {
  QFile file(archivePath);
  if (!QFileInfo(file).isFile()) return std::nullopt;
  TArchiveIndex index;
  if (!file.open(QIODevice::ReadOnly)) return index;
  const qint64 size = file.size();
  char word[4];
  if (size < 4 || !file.seek(size - 4) || file.read(word, 4) != 4) return index;
  const qint64 start = IndexStart(size, LengthWord(word));
  if (start < 0 || !file.seek(start)) return index;
  const qint64 length = size - 4 - start;
  const QByteArray text = file.read(length);
  if (text.size() != length) return index;
  index.Build(text);
  return index;
}

TArchiveIndex TArchiveIndex::Parse(QByteArrayView archiveBytes) {
  TArchiveIndex index;
  const qint64 size = archiveBytes.size();
  if (size < 4) return index;
  const qint64 start = IndexStart(size, LengthWord(archiveBytes.data() + size - 4));
  if (start >= 0) index.Build(archiveBytes.sliced(start, size - 4 - start));
  return index;
}

void TArchiveIndex::Build(QByteArrayView text) {
  // Lines as SplitIndexText cuts them: a NUL ends the text; CR LF, CR or LF end a line.
  text.truncate(FindByte(text, 0, '\0'));
  if (text.isEmpty()) return;
  text_ = QString::fromLatin1(text);
  char16_t* chars = reinterpret_cast<char16_t*>(text_.data());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i)
    if (chars[i] >= 0x80 && chars[i] <= 0x9F) chars[i] = Win1252Char(static_cast<unsigned char>(chars[i])).unicode();
  lines_.reserve(static_cast<size_t>(n / 32 + 1));
  qsizetype nextLf = FindByte(text, 0, '\n');
  qsizetype nextCr = FindByte(text, 0, '\r');
  qsizetype start = 0;
  while (start < n) {
    if (nextLf < start) nextLf = FindByte(text, start, '\n');
    if (nextCr < start) nextCr = FindByte(text, start, '\r');
    const qsizetype stop = std::min(nextLf, nextCr);
    qsizetype next = stop;
    if (next < n && text[next++] == '\r' && next < n && text[next] == '\n') ++next;
    LineRef line;
    line.start = start;
    line.length = static_cast<int32_t>(stop - start);
    const void* eq = std::memchr(text.data() + start, '=', static_cast<size_t>(stop - start));
    if (eq != nullptr) {
      line.nameLength = static_cast<int32_t>(static_cast<const char*>(eq) - (text.data() + start));
      line.hash = FoldedHash(QStringView(text_).sliced(start, line.nameLength));
    }
    lines_.push_back(line);
    start = next;
  }
  // At most half full; lines without a name are not entered.
  size_t slotCount = 16;
  while (slotCount < lines_.size() * 2) slotCount *= 2;
  slots_.assign(slotCount, 0);
  const size_t mask = slotCount - 1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].nameLength < 0) continue;
    size_t s = lines_[i].hash & mask;
    while (slots_[s] != 0) s = (s + 1) & mask;
    slots_[s] = static_cast<int32_t>(i) + 1;
  }
}

QStringView TArchiveIndex::Line(int i) const {
  if (i < 0 || i >= Count()) return {};
  const LineRef& line = lines_[static_cast<size_t>(i)];
  return QStringView(text_).sliced(line.start, line.length);
}

int TArchiveIndex::FindLine(QStringView name) const {
  if (name.isEmpty() || slots_.empty()) return -1;
  const uint32_t hash = FoldedHash(name);
  const size_t mask = slots_.size() - 1;
  // Lines were entered in file order and never removed, so along one probe sequence an
  // earlier line with the same name comes first.
  for (size_t s = hash & mask; slots_[s] != 0; s = (s + 1) & mask) {
    const LineRef& line = lines_[static_cast<size_t>(slots_[s] - 1)];
    if (line.hash == hash && line.nameLength == name.size() &&
        QStringView(text_).sliced(line.start, line.nameLength).compare(name, Qt::CaseInsensitive) == 0)
      return slots_[s] - 1;
  }
  return -1;
}

std::optional<ArchiveEntry> TArchiveIndex::Find(const QString& name) const {
  const int line = FindLine(name);
  if (line < 0) return std::nullopt;
  return ParseArchiveEntry(Line(line).toString());
}

ArchiveEntry FindArchiveEntry(const std::optional<TArchiveIndex>& index, const QString& name) {
  if (!index) return {};
  return index->Find(name).value_or(ArchiveEntry{});
}

bool ArchiveContains(const std::optional<TArchiveIndex>& index, const QString& name) {
  return index && index->Find(name).has_value();
}

}  // namespace orlaventis
