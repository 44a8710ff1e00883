// Reads the items table of an authoring project (items.tsv or items.csv) into cells with places.
#include "ItemsTable.h"

#include "database/Win1252.h"

namespace olvtool {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// ';' for a CSV file whose first line holds ';' and no ',' outside quotes, else ','.
QChar CsvSeparator(const QString& text) {
  bool quoted = false, comma = false, semicolon = false;
  for (const QChar c : text) {
    if (c == QLatin1Char('"')) quoted = !quoted;
    else if (!quoted && c == QLatin1Char('\n')) break;
    else if (!quoted && c == QLatin1Char(',')) comma = true;
    else if (!quoted && c == QLatin1Char(';')) semicolon = true;
  }
  return semicolon && !comma ? QLatin1Char(';') : QLatin1Char(',');
}

class TableParser {
 public:
  TableParser(const QString& text, QChar separator, const QString& file, std::vector<Problem>* problems)
      : text_(text), separator_(separator), file_(file), problems_(problems) {}

  // The rows, or nullopt after reporting every problem.
  std::optional<std::vector<TableRow>> Rows() {
    const qsizetype n = text_.size();
    bool ok = true;
    while (i_ <= n) {
      TableCell cell{QString(), line_, column_};
      if (i_ < n && text_[i_] == QLatin1Char('"')) {
        const int quoteLine = line_, quoteColumn = column_;
        Next();
        bool closed = false;
        while (i_ < n) {
          if (text_[i_] == QLatin1Char('"')) {
            if (i_ + 1 < n && text_[i_ + 1] == QLatin1Char('"')) {
              cell.text += QLatin1Char('"');
              Next(), Next();
              continue;
            }
            Next();
            closed = true;
            break;
          }
          cell.text += Next();
        }
        if (!closed) {
          // Everything after an open quote would become this one cell: the rows after it lost.
          problems_->push_back({file_, quoteLine, quoteColumn, QStringLiteral("quote never closed")});
          return std::nullopt;
        }
        if (i_ < n && text_[i_] != separator_ && text_[i_] != QLatin1Char('\n') &&
            !(text_[i_] == QLatin1Char('\r') && (i_ + 1 == n || text_[i_ + 1] == QLatin1Char('\n')))) {
          problems_->push_back({file_, line_, column_,
                                QStringLiteral("text after the closing quote of the cell at column %1").arg(quoteColumn)});
          ok = false;
          while (i_ < n && text_[i_] != separator_ && text_[i_] != QLatin1Char('\n')) Next();
        }
      }
      while (i_ < n && text_[i_] != separator_ && text_[i_] != QLatin1Char('\n')) cell.text += Next();
      if (cell.text.endsWith(QLatin1Char('\r')) && (i_ == n || text_[i_] == QLatin1Char('\n'))) cell.text.chop(1);
      row_.push_back(std::move(cell));
      if (i_ >= n) break;
      if (Next() == QLatin1Char('\n')) EndRow();
    }
    EndRow();
    if (!ok) return std::nullopt;
    return std::move(rows_);
  }

 private:
  // Takes one character, keeping the place.
  QChar Next() {
    const QChar c = text_[i_++];
    if (c == QLatin1Char('\n')) ++line_, column_ = 1;
    else ++column_;
    return c;
  }
  void EndRow() {
    if (!(row_.size() == 1 && row_[0].text.isEmpty()) && !row_.empty()) rows_.push_back(std::move(row_));
    row_.clear();
  }

  const QString& text_;
  const QChar separator_;
  const QString& file_;
  std::vector<Problem>* problems_;
  qsizetype i_ = 0;
  int line_ = 1, column_ = 1;
  TableRow row_;
  std::vector<TableRow> rows_;
};

}  // namespace

std::optional<ItemsTable> ReadItemsTable(QByteArrayView bytes, const QString& file, std::vector<Problem>* problems) {
  ItemsTable table;
  QString text;
  if (bytes.startsWith(QByteArrayView(kUtf8Bom))) {
    bytes = bytes.sliced(3);
    if (const qsizetype bad = FirstInvalidUtf8(bytes); bad >= 0) {
      const auto [line, column] = LineAndColumn(bytes, bad);
      problems->push_back({file, line, column, QStringLiteral("not UTF-8 text, though it starts with a UTF-8 mark")});
      return std::nullopt;
    }
    text = QString::fromUtf8(bytes);
  } else if (FirstInvalidUtf8(bytes) >= 0) {
    table.windows1252 = true;
    text = orlaventis::DecodeWin1252(std::string_view(bytes.data(), size_t(bytes.size())));
  } else {
    text = QString::fromUtf8(bytes);
  }
  const qsizetype before = qsizetype(problems->size());
  for (qsizetype at = text.indexOf(QChar(0)); at >= 0; at = text.indexOf(QChar(0), at + 1)) {
    const QString head = text.left(at);
    const qsizetype lineStart = head.lastIndexOf(QLatin1Char('\n')) + 1;
    problems->push_back({file, int(head.count(QLatin1Char('\n'))) + 1, int(at - lineStart) + 1,
                         QStringLiteral("a NUL character (a binary file, or one saved as UTF-16?)")});
    if (qsizetype(problems->size()) - before >= 10) break;  // one binary file is not a thousand problems
  }
  if (qsizetype(problems->size()) > before) return std::nullopt;
  table.separator = file.endsWith(QLatin1String(".csv")) ? CsvSeparator(text) : QLatin1Char('\t');
  std::optional<std::vector<TableRow>> rows = TableParser(text, table.separator, file, problems).Rows();
  if (!rows) return std::nullopt;
  table.rows = std::move(*rows);
  return table;
}

}  // namespace olvtool
