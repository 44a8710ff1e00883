// TStringGrid: a grid of text cells with fixed rows and columns, resized by dragging borders.
#include "controls/StringGrid.h"

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/ItemAccessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace orlaventis {
namespace {

constexpr int kGridLineWidth = 1;  // the line after every column and row

// A whole number, perhaps signed, with spaces, points or commas between its digit groups.
bool IsNumber(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("^[+-]?\\d+([ .,\\x{a0}\\x{202f}]\\d+)*%?$"));
  return number.match(text).hasMatch();
}

// A dash standing for "none" in a column of numbers.
bool IsDash(const QString& text) {
  return text == QLatin1String("-") || text == QStringLiteral("\u2013") ||
         text == QStringLiteral("\u2014");
}

}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  InstallAccessibleControls();
}

void TStringGrid::SetColCount(int count) {
  count = std::max(1, count);
  colWidths_.resize(size_t(count), defaultColWidth_);
  std::erase_if(cells_, [count](const auto& cell) { return cell.first.second >= count; });
  fixedCols_ = std::min(fixedCols_, count - 1);
  KeepCurrentInRange();
  Reshaped();
}

void TStringGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) return;
  rowHeights_[size_t(row)] = std::max(0, height);
  Relayout();
}

void TStringGrid::SetRowCount(int count) {
  count = std::max(1, count);
  rowHeights_.resize(size_t(count), defaultRowHeight_);
  std::erase_if(cells_, [count](const auto& cell) { return cell.first.first >= count; });
  fixedRows_ = std::min(fixedRows_, count - 1);
  KeepCurrentInRange();
  Reshaped();
}

void TStringGrid::SetFixedRows(int count) {
  fixedRows_ = std::clamp(count, 0, RowCount() - 1);
  KeepCurrentInRange();
  Reshaped();
}

void TStringGrid::SetFixedCols(int count) {
  fixedCols_ = std::clamp(count, 0, ColCount() - 1);
  KeepCurrentInRange();
  Reshaped();
}

void TStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(0, width);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  Relayout();
}

void TStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(0, height);
  std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
  Relayout();
}

int TStringGrid::ColWidths(int col) const {
  return col >= 0 && col < ColCount() ? colWidths_[size_t(col)] : 0;
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  colWidths_[size_t(col)] = std::max(0, width);
  Relayout();
}

int TStringGrid::RowHeights(int row) const {
  return row >= 0 && row < RowCount() ? rowHeights_[size_t(row)] : 0;
}

QString TStringGrid::Cells(int col, int row) const {
  const auto at = cells_.find({row, col});
  return at == cells_.end() ? QString() : at->second;
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount() || Cells(col, row) == text)
    return;
  if (text.isEmpty()) {
    cells_.erase({row, col});
  } else {
    cells_[{row, col}] = text;
  }
  viewport()->update();
  AnnounceGridCell(*this, col, row);
}

void TStringGrid::ClearCells() {
  cells_.clear();
  viewport()->update();
  AnnounceGridReset(*this);
}

int TStringGrid::CellPadding() const { return std::max(2, fontMetrics().height() / 3); }

bool TStringGrid::NumericColumn(int col) const {
  int numbers = 0;
  int others = 0;
  for (const auto& [at, text] : cells_) {
    if (at.second != col || at.first < fixedRows_ || IsDash(text)) continue;
    ++(IsNumber(text) ? numbers : others);
  }
  return numbers > 0 && numbers >= others;
}

void TStringGrid::SetFixedColor(const QColor& colour) {
  fixedColor_ = colour;
  viewport()->update();
}

void TStringGrid::KeepCurrentInRange() {
  col_ = std::clamp(col_, fixedCols_, ColCount() - 1);
  row_ = std::clamp(row_, fixedRows_, RowCount() - 1);
}

int TStringGrid::FixedWidth() const {
  int width = 0;
  for (int c = 0; c < fixedCols_; ++c) width += ColWidths(c) + kGridLineWidth;
  return width;
}

int TStringGrid::FixedHeight() const {
  int height = 0;
  for (int r = 0; r < fixedRows_; ++r) height += RowHeights(r) + kGridLineWidth;
  return height;
}

int TStringGrid::ColumnLeft(int col) const {
  int x = col < fixedCols_ ? 0 : FixedWidth() - horizontalScrollBar()->value();
  for (int c = col < fixedCols_ ? 0 : fixedCols_; c < col; ++c) x += ColWidths(c) + kGridLineWidth;
  return x;
}

int TStringGrid::RowTop(int row) const {
  int y = row < fixedRows_ ? 0 : FixedHeight() - verticalScrollBar()->value();
  for (int r = row < fixedRows_ ? 0 : fixedRows_; r < row; ++r) y += RowHeights(r) + kGridLineWidth;
  return y;
}

void TStringGrid::Relayout() {
  int width = 0;
  for (int c = fixedCols_; c < ColCount(); ++c) width += ColWidths(c) + kGridLineWidth;
  int height = 0;
  for (int r = fixedRows_; r < RowCount(); ++r) height += RowHeights(r) + kGridLineWidth;
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, width - (area.width() - FixedWidth())));
  horizontalScrollBar()->setPageStep(std::max(1, area.width() - FixedWidth()));
  verticalScrollBar()->setRange(0, std::max(0, height - (area.height() - FixedHeight())));
  verticalScrollBar()->setPageStep(std::max(1, area.height() - FixedHeight()));
  viewport()->update();
}

void TStringGrid::Reshaped() {
  Relayout();
  AnnounceGridReset(*this);
}

void TStringGrid::SetCurrent(int col, int row) {
  const bool moved = col != col_ || row != row_;
  col_ = col;
  row_ = row;
  if (moved) AnnounceGridCurrent(*this);
}

QRect TStringGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return {};
  QRect room = viewport()->rect();
  if (row >= fixedRows_) room.setTop(FixedHeight());
  if (col >= fixedCols_) room.setLeft(FixedWidth());
  return QRect(ColumnLeft(col), RowTop(row), ColWidths(col), RowHeights(row)).intersected(room);
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
}

void TStringGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  painter.setFont(font());
  const QColor text = palette().color(QPalette::Text);
  const int fixedW = FixedWidth();
  const int fixedH = FixedHeight();
  const QRect area = viewport()->rect();
  const int padding = CellPadding();
  std::vector<bool> numeric(static_cast<size_t>(ColCount()));
  for (int c = 0; c < ColCount(); ++c) numeric[size_t(c)] = NumericColumn(c);
  // The fixed rows' bar right of the last column.
  const int barLeft = ColumnLeft(ColCount() - 1) + ColWidths(ColCount() - 1) + kGridLineWidth;
  if (fixedH > 0 && barLeft < area.width()) {
    painter.fillRect(QRect(barLeft, 0, area.width() - barLeft, fixedH), fixedColor_);
    for (int r = 0; r < fixedRows_; ++r)
      painter.fillRect(
          QRect(barLeft, RowTop(r) + RowHeights(r), area.width() - barLeft, kGridLineWidth),
          Qt::black);
  }
  for (int r = 0; r < RowCount(); ++r) {
    const int top = RowTop(r);
    const int h = RowHeights(r);
    if (top >= area.height()) break;
    for (int c = 0; c < ColCount(); ++c) {
      const int left = ColumnLeft(c);
      const int w = ColWidths(c);
      if (left >= area.width()) break;
      const bool fixed = r < fixedRows_ || c < fixedCols_;
      // Scrolling cells never paint over the fixed rows and columns.
      QRect clip = area;
      if (r >= fixedRows_) clip.setTop(fixedH);
      if (c >= fixedCols_) clip.setLeft(fixedW);
      painter.setClipRect(clip);
      const QRect cell(left, top, w, h);
      if (fixed) {
        painter.fillRect(cell, fixedColor_);
        painter.fillRect(QRect(left + w, top, kGridLineWidth, h + kGridLineWidth), Qt::black);
        painter.fillRect(QRect(left, top + h, w + kGridLineWidth, kGridLineWidth), Qt::black);
      }
      const bool selected = !fixed && r == row_ && c == col_ && hasFocus();
      if (selected) painter.fillRect(cell, palette().color(QPalette::Highlight));
      const QString value = Cells(c, r);
      if (!value.isEmpty() && w > 0 && h > 0) {
        painter.setClipRect(cell.intersected(clip));
        painter.setPen(selected ? palette().color(QPalette::HighlightedText) : text);
        const QFontMetrics metrics = painter.fontMetrics();
        const int x = numeric[size_t(c)] ? left + w - padding - metrics.horizontalAdvance(value)
                                         : left + padding;
        GdiTextOut(painter, x, top + (h - metrics.height()) / 2, value);
      }
    }
  }
}

int TStringGrid::BorderAt(Qt::Orientation orientation, QPoint point) const {
  const bool columns = orientation == Qt::Horizontal;
  // The band across the borders: the fixed rows (columns), else the first row (column).
  const int across = columns ? point.y() : point.x();
  const int fixedAcross = columns ? FixedHeight() : FixedWidth();
  const int bandStart = fixedAcross > 0 ? 0 : columns ? RowTop(0) : ColumnLeft(0);
  const int bandEnd = fixedAcross > 0
                          ? fixedAcross
                          : bandStart + (columns ? RowHeights(0) : ColWidths(0)) + kGridLineWidth;
  if (across < bandStart || across >= bandEnd) return -1;
  const int along = columns ? point.x() : point.y();
  const int fixedCount = columns ? fixedCols_ : fixedRows_;
  const int fixedAlong = columns ? FixedWidth() : FixedHeight();
  // From the last: a border shared with an empty column (row) grows that one again.
  for (int i = (columns ? ColCount() : RowCount()) - 1; i >= 0; --i) {
    const int end = columns ? ColumnLeft(i) + ColWidths(i) : RowTop(i) + RowHeights(i);
    if (i >= fixedCount && end < fixedAlong) continue;  // scrolled away under the fixed part
    if (std::abs(along - end) <= 2) return i;
  }
  return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  for (const Qt::Orientation axis : {Qt::Horizontal, Qt::Vertical}) {
    sizingIndex_ = BorderAt(axis, at);
    if (sizingIndex_ < 0) continue;
    sizingAxis_ = axis;
    sizingStart_ = axis == Qt::Horizontal ? at.x() : at.y();
    sizingStartSize_ = axis == Qt::Horizontal ? ColWidths(sizingIndex_) : RowHeights(sizingIndex_);
    return;
  }
  if (at.x() < FixedWidth() || at.y() < FixedHeight()) return;
  for (int r = fixedRows_; r < RowCount(); ++r) {
    if (at.y() < RowTop(r) || at.y() >= RowTop(r) + RowHeights(r) + kGridLineWidth) continue;
    for (int c = fixedCols_; c < ColCount(); ++c) {
      if (at.x() < ColumnLeft(c) || at.x() >= ColumnLeft(c) + ColWidths(c) + kGridLineWidth)
        continue;
      SetCurrent(c, r);
      viewport()->update();
      return;
    }
  }
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (sizingIndex_ >= 0 && sizingAxis_ == Qt::Horizontal) {
    SetColWidths(sizingIndex_, sizingStartSize_ + at.x() - sizingStart_);
    return;
  }
  if (sizingIndex_ >= 0) {
    SetRowHeights(sizingIndex_, sizingStartSize_ + at.y() - sizingStart_);
    return;
  }
  viewport()->setCursor(BorderAt(Qt::Horizontal, at) >= 0 ? Qt::SplitHCursor
                        : BorderAt(Qt::Vertical, at) >= 0 ? Qt::SplitVCursor
                                                          : Qt::ArrowCursor);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent*) { sizingIndex_ = -1; }

void TStringGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
  // Qt announces the control itself once this returns; the current cell follows it.
  QTimer::singleShot(0, this, [this] {
    if (hasFocus()) AnnounceGridCurrent(*this);
  });
}

void TStringGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  int col = col_;
  int row = row_;
  switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Home: col = fixedCols_; break;
    case Qt::Key_End: col = ColCount() - 1; break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  SetCurrent(std::clamp(col, fixedCols_, ColCount() - 1),
             std::clamp(row, fixedRows_, RowCount() - 1));
  // Keep the current cell in view.
  const int top = RowTop(row_) + verticalScrollBar()->value() - FixedHeight();
  const int left = ColumnLeft(col_) + horizontalScrollBar()->value() - FixedWidth();
  const int roomH = viewport()->height() - FixedHeight();
  const int roomW = viewport()->width() - FixedWidth();
  QScrollBar* v = verticalScrollBar();
  if (top < v->value()) v->setValue(top);
  if (top + RowHeights(row_) > v->value() + roomH) v->setValue(top + RowHeights(row_) - roomH);
  QScrollBar* h = horizontalScrollBar();
  if (left < h->value()) h->setValue(left);
  if (left + ColWidths(col_) > h->value() + roomW) h->setValue(left + ColWidths(col_) - roomW);
  viewport()->update();
}

}  // namespace orlaventis
