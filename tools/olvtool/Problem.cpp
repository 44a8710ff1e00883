// One problem with an authoring project's input: the file, the place in it and what is wrong.
#include "Problem.h"

namespace olvtool {

QString Problem::ToString() const {
  if (line <= 0) return file + QStringLiteral(": ") + text;
  return QStringLiteral("%1:%2:%3: %4").arg(file).arg(line).arg(column).arg(text);
}

qsizetype FirstInvalidUtf8(QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const unsigned char b = p[i];
    int more = 0;
    char32_t min = 0, cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF)
      more = 1, min = 0x80, cp = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF)
      more = 2, min = 0x800, cp = b & 0x0F;
    else if (b >= 0xF0 && b <= 0xF4)
      more = 3, min = 0x10000, cp = b & 0x07;
    else
      return i;
    if (i + more >= n) return i;  // cut short by the end
    for (int k = 1; k <= more; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += more + 1;
  }
  return -1;
}

std::pair<int, int> LineAndColumn(QByteArrayView bytes, qsizetype offset) {
  const QByteArrayView head = bytes.first(std::min(offset, bytes.size()));
  int line = 1;
  qsizetype lineStart = 0;
  for (qsizetype i = 0; i < head.size(); ++i)
    if (head[i] == '\n') ++line, lineStart = i + 1;
  return {line, int(QString::fromUtf8(head.sliced(lineStart)).size()) + 1};
}

}  // namespace olvtool
