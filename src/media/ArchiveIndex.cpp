// TArchiveIndex: an archive's member index held as one text buffer, a line table and a hash.
#include "media/ArchiveIndex.h"

#include "database/Win1252.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlaventis {
namespace {

// Case folding as QString's case-insensitive comparison does it, one UTF-16 unit at a time
// (index text holds no surrogates, and a name with them matches no line).
char16_t Fold(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return QChar(c).toCaseFolded().unicode();
}

// Names are hashed as canonical bytes: two Windows-1252 bytes share a canonical byte exactly
// when their decoded characters fold alike (the folded character when it is ASCII, else the
// smallest byte of their class).
struct Canon {
  std::array<uint8_t, 256> ofByte{};
  std::array<char16_t, 256> folded{};  // the folded character of each byte
};

const Canon& Canonical() {
  static const Canon canon = [] {
    Canon c;
    for (int b = 0; b < 256; ++b)
      c.folded[static_cast<size_t>(b)] =
          Fold(b < 0x80 ? static_cast<char16_t>(b)
                        : Win1252Char(static_cast<unsigned char>(b)).unicode());
    for (int b = 0; b < 256; ++b) {
      const char16_t f = c.folded[static_cast<size_t>(b)];
      int first = b;
      for (int a = 0; a < b; ++a)
        if (c.folded[static_cast<size_t>(a)] == f) {
          first = a;
          break;
        }
      c.ofByte[static_cast<size_t>(b)] = static_cast<uint8_t>(f < 0x80 ? f : first);
    }
    return c;
  }();
  return canon;
}

// ASCII upper-case letters of a word of bytes below 0x80 made lower case, eight at a time.
inline uint64_t AsciiLower(uint64_t w) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  const uint64_t heptets = w & (0x7F * kOnes);
  const uint64_t atLeastA = heptets + (0x80 - 'A') * kOnes;
  const uint64_t aboveZ = heptets + (0x80 - 'Z' - 1) * kOnes;
  const uint64_t upper = atLeastA & ~aboveZ & ~w & (0x80 * kOnes);
  return w | (upper >> 2);
}

inline uint64_t MixWord(uint64_t h, uint64_t w) {
  h = (h ^ w) * 0x9E3779B97F4A7C15ULL;
  return h ^ (h >> 29);
}

// The hash of `n` bytes at `p`, as canonical bytes. At least 8 bytes from every multiple of 8
// below `n` must be readable (`readable` counts the bytes from `p` on): whole words are loaded
// and masked, which a copy of the tail into a word would make slow.
inline uint32_t BytesHash(const char* p, qsizetype n, qsizetype readable, const Canon& canon) {
  uint64_t h = static_cast<uint64_t>(n);
  for (qsizetype at = 0; at < n; at += 8) {
    const qsizetype take = std::min<qsizetype>(8, n - at);
    uint64_t w = 0;
    if (readable - at >= 8) {
      std::memcpy(&w, p + at, 8);
      if (take < 8) w &= (uint64_t{1} << (8 * take)) - 1;
    } else {
      std::memcpy(&w, p + at, static_cast<size_t>(take));
    }
    if ((w & 0x8080808080808080ULL) == 0) {
      w = AsciiLower(w);
    } else {
      auto* bytes = reinterpret_cast<uint8_t*>(&w);
      for (qsizetype i = 0; i < take; ++i) bytes[i] = canon.ofByte[bytes[i]];
    }
    h = MixWord(h, w);
  }
  return static_cast<uint32_t>(h >> 32);
}

// The canonical bytes of a name, or nullopt when a character of it folds like no Windows-1252
// character (then no line can carry the name).
std::optional<QByteArray> CanonicalName(QStringView name, const Canon& canon) {
  QByteArray bytes(name.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t f = Fold(name[i].unicode());
    if (f < 0x80) {
      bytes[i] = static_cast<char>(f);
      continue;
    }
    const auto* at = std::find(canon.folded.begin() + 0x80, canon.folded.end(), f);
    if (at == canon.folded.end()) return std::nullopt;
    bytes[i] = static_cast<char>(canon.ofByte[static_cast<size_t>(at - canon.folded.begin())]);
  }
  return bytes;
}

// Where 16 bytes (fewer at the end) hold a line end (CR, LF) or an "=": one bit per byte in the
// result, and the line ends alone in `ends`.
uint32_t LineMarks(const char* p, qsizetype count, uint32_t* ends) {
#if defined(__SSE2__)
  alignas(16) char tail[16] = {};
  if (count < 16) std::memcpy(tail, p, static_cast<size_t>(count));
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(count < 16 ? tail : p));
  const __m128i lineEnds = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')));
  *ends = static_cast<uint32_t>(_mm_movemask_epi8(lineEnds));
  return *ends |
         static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('='))));
#else
  uint32_t marks = 0;
  *ends = 0;
  for (qsizetype i = 0; i < count; ++i) {
    if (p[i] == '\r' || p[i] == '\n') *ends |= 1u << i;
    if (p[i] == '=' || p[i] == '\r' || p[i] == '\n') marks |= 1u << i;
  }
  return marks;
#endif
}

// Index text as the line list decodes it.
QString Decode(QByteArrayView bytes) {
  QString text = QString::fromLatin1(bytes);
  char16_t* chars = reinterpret_cast<char16_t*>(text.data());
  for (qsizetype i = 0; i < text.size(); ++i)
    if (chars[i] >= 0x80 && chars[i] <= 0x9F)
      chars[i] = Win1252Char(static_cast<unsigned char>(chars[i])).unicode();
  return text;
}

qsizetype FindByte(QByteArrayView text, qsizetype from, char c) {
  if (from >= text.size()) return text.size();  // an empty text may have no data pointer at all
  const void* at = std::memchr(text.data() + from, c, static_cast<size_t>(text.size() - from));
  return at != nullptr ? static_cast<const char*>(at) - text.data() : text.size();
}

}  // namespace

std::optional<TArchiveIndex> TArchiveIndex::Read(const QString& archivePath) {
  std::optional<QByteArray> text = ReadArchiveIndexText(archivePath);
  if (!text) return std::nullopt;
  TArchiveIndex index;
  index.Build(std::move(*text));
  return index;
}

TArchiveIndex TArchiveIndex::Parse(QByteArrayView archiveBytes) {
  TArchiveIndex index;
  index.Build(ArchiveIndexText(archiveBytes).toByteArray());
  return index;
}

void TArchiveIndex::Build(QByteArray text) {
  // Lines as the line list cuts them: a NUL ends the text; CR LF, CR or LF end a line.
  text.truncate(FindByte(text, 0, '\0'));
  if (text.isEmpty()) return;
  text_ = std::move(text);
  const char* const data = text_.constData();
  const qsizetype n = text_.size();
  const Canon& canon = Canonical();
  lines_.reserve(static_cast<size_t>(n / 32 + 1));
  qsizetype start = 0;    // of the current line
  qsizetype equals = -1;  // its first "=", -1 while none
  qsizetype skip = -1;    // the LF of a CR LF pair, already counted
  const auto endLine = [&](qsizetype stop, qsizetype next) {
    LineRef line;
    line.start = static_cast<int32_t>(start);
    line.length = static_cast<int32_t>(stop - start);
    if (equals >= 0) {
      line.nameLength = static_cast<int32_t>(equals - start);
      line.hash = BytesHash(data + start, line.nameLength, n - start, canon);
    }
    lines_.push_back(line);
    start = next;
    equals = -1;
  };
  for (qsizetype block = 0; block < n; block += 16) {
    uint32_t ends = 0;
    uint32_t marks = LineMarks(data + block, std::min<qsizetype>(16, n - block), &ends);
    while (marks != 0) {
      const qsizetype at = block + std::countr_zero(marks);
      const bool isEnd = (ends >> std::countr_zero(marks)) & 1u;
      marks &= marks - 1;
      if (!isEnd) {
        if (equals < 0) equals = at;
      } else if (at != skip) {
        const bool crlf = data[at] == '\r' && at + 1 < n && data[at + 1] == '\n';
        if (crlf) skip = at + 1;
        endLine(at, at + (crlf ? 2 : 1));
      }
    }
  }
  if (start < n) endLine(n, n);
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

QString TArchiveIndex::Line(int i) const {
  if (i < 0 || i >= Count()) return {};
  const LineRef& line = lines_[static_cast<size_t>(i)];
  return Decode(QByteArrayView(text_).sliced(line.start, line.length));
}

int TArchiveIndex::FindLine(QStringView name) const {
  if (name.isEmpty() || slots_.empty()) return -1;
  const std::optional<QByteArray> canonical = CanonicalName(name, Canonical());
  if (!canonical) return -1;
  const uint32_t hash =
      BytesHash(canonical->constData(), canonical->size(), canonical->size(), Canonical());
  const size_t mask = slots_.size() - 1;
  // Lines were entered in file order and never removed, so along one probe sequence an
  // earlier line with the same name comes first.
  for (size_t s = hash & mask; slots_[s] != 0; s = (s + 1) & mask) {
    const LineRef& line = lines_[static_cast<size_t>(slots_[s] - 1)];
    if (line.hash == hash && line.nameLength == name.size() &&
        Decode(QByteArrayView(text_).sliced(line.start, line.nameLength))
                .compare(name, Qt::CaseInsensitive) == 0)
      return slots_[s] - 1;
  }
  return -1;
}

std::optional<ArchiveEntry> TArchiveIndex::Find(const QString& name) const {
  const int line = FindLine(name);
  if (line < 0) return std::nullopt;
  return ParseArchiveEntry(Line(line));
}

ArchiveEntry FindArchiveEntry(const std::optional<TArchiveIndex>& index, const QString& name) {
  if (!index) return {};
  return index->Find(name).value_or(ArchiveEntry{});
}

bool ArchiveContains(const std::optional<TArchiveIndex>& index, const QString& name) {
  return index && index->Find(name).has_value();
}

}  // namespace orlaventis
