// Windows-1252 single-byte text: the character set of every text stored in the data files.
#include "database/Win1252.h"

#include <array>

namespace orlaventis {
namespace {

// 0x80-0x9F; the rest of the set is Latin-1. Undefined codes keep their C1 value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QChar Win1252Char(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return QChar(kHigh[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));
}

QString DecodeWin1252(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *out++ = byte < 0x80 ? QChar(byte) : Win1252Char(byte);
  }
  return text;
}

std::optional<QByteArray> EncodeWin1252(const QString& text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      bytes.append(static_cast<char>(u));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i) {
      if (kHigh[i] == u) {
        found = i;
        break;
      }
    }
    if (found < 0) return std::nullopt;
    bytes.append(static_cast<char>(0x80 + found));
  }
  return bytes;
}

}  // namespace orlaventis
