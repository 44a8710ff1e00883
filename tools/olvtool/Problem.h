// One problem with an authoring project's input: the file, the place in it and what is wrong.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <utility>

namespace olvtool {

struct Problem {
  QString file;              // relative to the project
  int line = 0, column = 0;  // 1-based; 0 where no line applies (a JSON path, a folder)
  QString text;

  // "FILE:LINE:COLUMN: text", or "FILE: text" without a line.
  QString ToString() const;
};

// The byte offset of the first byte of `bytes` that is not part of valid UTF-8 (overlong forms,
// surrogates and code points past U+10FFFF are invalid), or -1 when all of it is.
qsizetype FirstInvalidUtf8(QByteArrayView bytes);

// 1-based line and character column of the character at byte `offset` of UTF-8 `bytes`.
std::pair<int, int> LineAndColumn(QByteArrayView bytes, qsizetype offset);

}  // namespace olvtool
