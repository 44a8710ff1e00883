// Reads the items table of an authoring project (items.tsv or items.csv) into cells with places.
#include "ItemsTable.h"

#include "database/Win1252.h"

namespace olvtool {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// ';' for a CSV file whose first line holds ';' and no ',' outside quotes, else ','.
char CsvSeparator(QByteArrayView text) {
  bool quoted = false, comma = false, semicolon = false;
  for (const char c : text) {
    if (c == '"')
      quoted = !quoted;
    else if (!quoted && c == '\n')
      break;
    else if (!quoted && c == ',')
      comma = true;
    else if (!quoted && c == ';')
      semicolon = true;
  }
  return semicolon && !comma ? ';' : ',';
}

// Splits the bytes into cells; every separator, quote and line break is ASCII in both encodings,
// so the bytes are split first and each cell decoded on its own (the file is never held twice).
class TableParser {
 public:
  TableParser(QByteArrayView text, char separator, bool utf8, const QString& file,
              std::vector<Problem>* problems)
      : text_(text), separator_(separator), utf8_(utf8), file_(file), problems_(problems) {}

  // The rows, or nullopt after reporting every problem.
  std::optional<std::vector<TableRow>> Rows() {
    const qsizetype n = text_.size();
    bool ok = true;
    QByteArray quoted;
    while (i_ <= n) {
      const int line = line_, column = column_;
      qsizetype start = i_;
      quoted.clear();
      bool wasQuoted = false;
      if (i_ < n && text_[i_] == '"') {
        wasQuoted = true;
        Next();
        bool closed = false;
        while (i_ < n) {
          if (text_[i_] == '"') {
            if (i_ + 1 < n && text_[i_ + 1] == '"') {
              quoted += '"';
              Next(), Next();
              continue;
            }
            Next();
            closed = true;
            break;
          }
          quoted += text_[i_];
          Next();
        }
        if (!closed) {
          // Everything after an open quote would become this one cell: the rows after it lost.
          problems_->push_back({file_, line, column, QStringLiteral("quote never closed")});
          return std::nullopt;
        }
        if (i_ < n && text_[i_] != separator_ && text_[i_] != '\n' &&
            !(text_[i_] == '\r' && (i_ + 1 == n || text_[i_ + 1] == '\n'))) {
          problems_->push_back(
              {file_, line_, column_,
               QStringLiteral("text after the closing quote of the cell at column %1")
                   .arg(column)});
          ok = false;
        }
        start = i_;
      }
      while (i_ < n && text_[i_] != separator_ && text_[i_] != '\n') Next();
      QByteArrayView rest = text_.sliced(start, i_ - start);
      if (rest.endsWith('\r') && (i_ == n || text_[i_] == '\n')) rest.chop(1);
      // After a closing quote only a CR may stand before the separator (anything else is refused
      // above).
      row_.push_back({Decode(wasQuoted ? QByteArrayView(quoted) : rest), line, column});
      if (i_ >= n) break;
      if (text_[i_] == '\n') {
        Next();
        EndRow();
      } else {
        Next();
      }
    }
    EndRow();
    if (!ok) return std::nullopt;
    return std::move(rows_);
  }

 private:
  QString Decode(QByteArrayView bytes) const {
    return utf8_ ? QString::fromUtf8(bytes)
                 : orlaventis::DecodeWin1252(std::string_view(bytes.data(), size_t(bytes.size())));
  }
  // Takes one byte, keeping the place: a column counts characters, not the bytes that follow
  // the first of a UTF-8 sequence.
  void Next() {
    const char c = text_[i_++];
    if (c == '\n')
      ++line_, column_ = 1;
    else if (!utf8_ || (uchar(c) & 0xC0) != 0x80)
      ++column_;
  }
  void EndRow() {
    if (!row_.empty() && !(row_.size() == 1 && row_[0].text.isEmpty()))
      rows_.push_back(std::move(row_));
    row_.clear();
  }

  const QByteArrayView text_;
  const char separator_;
  const bool utf8_;
  const QString& file_;
  std::vector<Problem>* problems_;
  qsizetype i_ = 0;
  int line_ = 1, column_ = 1;
  TableRow row_;
  std::vector<TableRow> rows_;
};

}  // namespace

std::optional<ItemsTable> ReadItemsTable(QByteArrayView bytes, const QString& file,
                                         std::vector<Problem>* problems) {
  ItemsTable table;
  bool utf8 = true;
  if (bytes.startsWith(QByteArrayView(kUtf8Bom))) {
    bytes = bytes.sliced(3);
    if (const qsizetype bad = FirstInvalidUtf8(bytes); bad >= 0) {
      const auto [line, column] = LineAndColumn(bytes, bad);
      problems->push_back({file, line, column,
                           QStringLiteral("not UTF-8 text, though it starts with a UTF-8 mark")});
      return std::nullopt;
    }
  } else if (FirstInvalidUtf8(bytes) >= 0) {
    utf8 = false;
    table.windows1252 = true;
  }
  const qsizetype before = qsizetype(problems->size());
  int line = 1;
  qsizetype lineStart = 0;
  for (qsizetype i = 0; i < bytes.size() && qsizetype(problems->size()) - before < 10; ++i) {
    if (bytes[i] == '\n') ++line, lineStart = i + 1;
    // One binary file is not a thousand problems: ten say enough.
    if (bytes[i] == '\0')
      problems->push_back(
          {file, line,
           int(utf8 ? QString::fromUtf8(bytes.sliced(lineStart, i - lineStart)).size()
                    : i - lineStart) +
               1,
           QStringLiteral("a NUL character (a binary file, or one saved as UTF-16?)")});
  }
  if (qsizetype(problems->size()) > before) return std::nullopt;
  table.separator = QLatin1Char(file.endsWith(QLatin1String(".csv")) ? CsvSeparator(bytes) : '\t');
  std::optional<std::vector<TableRow>> rows =
      TableParser(bytes, char(table.separator.unicode()), utf8, file, problems).Rows();
  if (!rows) return std::nullopt;
  table.rows = std::move(*rows);
  return table;
}

}  // namespace olvtool
