// TStringGrid: a grid of text cells with fixed rows and columns, resized by dragging borders.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace orlaventis {

// A grid of text cells: the first FixedRows rows and FixedCols columns are fixed (drawn in
// FixedColor with black lines, not scrolled; the fixed rows run on as a bar to the grid's right
// edge), the rest scroll. Texts keep CellPadding from the cell's left edge, or from its right edge
// in a column of numbers (see NumericColumn). The current cell is drawn selected (the palette's
// highlight) while the grid has the focus. The user resizes a column by dragging its right border
// in the fixed rows (in the first row when there are none) and a row by dragging its lower border
// in the fixed columns (in the first column when there are none). Cells outside the grid read as
// empty and are not stored.
class TStringGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TStringGrid(QWidget* parent = nullptr);

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  // New columns and rows get the default width and height; counts below 1 count as 1; the
  // cells of removed rows and columns are dropped. The fixed counts stay below the counts.
  void SetColCount(int count);
  int RowCount() const { return static_cast<int>(rowHeights_.size()); }
  void SetRowCount(int count);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int count);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int count);

  // Setting a default size gives it to every column (row).
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);  // negative widths count as 0
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);  // negative heights count as 0

  QString Cells(int col, int row) const;
  void SetCells(int col, int row, const QString& text);
  // Empties every cell.
  void ClearCells();

  // Pixels kept free on either side of a cell's text: a part of the font's height, so that it
  // grows with the font.
  int CellPadding() const;

  QColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(const QColor& colour);

  // The current cell; it stays in the scrolling part.
  int Col() const { return col_; }
  int Row() const { return row_; }

  // The part of cell (`col`, `row`) in view, in viewport coordinates (scrolling cells end where
  // the fixed ones begin); empty when none of it is.
  QRect CellRect(int col, int row) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int FixedWidth() const;
  int FixedHeight() const;
  int ColumnLeft(int col) const;  // viewport x of a column's left edge
  int RowTop(int row) const;      // viewport y of a row's top edge
  // The column (Qt::Horizontal) or row (Qt::Vertical) whose right (lower) border the user can
  // drag at `point`, or -1.
  int BorderAt(Qt::Orientation orientation, QPoint point) const;
  // True when at least half of the scrolling cells of `col` that hold text are numbers (digits
  // with group marks), and there is one; a lone dash counts for neither.
  bool NumericColumn(int col) const;
  void KeepCurrentInRange();
  void Relayout();
  // Relayout after the rows, columns or fixed ones changed; screen readers read the grid anew.
  void Reshaped();
  // Makes (`col`, `row`) the current cell and tells screen readers when that changed.
  void SetCurrent(int col, int row);

  std::vector<int> colWidths_{0};
  std::vector<int> rowHeights_{0};
  std::map<std::pair<int, int>, QString> cells_;  // (row, col) -> text
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  int defaultColWidth_ = 0;
  int defaultRowHeight_ = 0;
  QColor fixedColor_ = QColor(128, 0, 0);
  int col_ = 0;
  int row_ = 0;
  // The column or row being resized by the mouse (-1: none), where the drag began and its size
  // then.
  Qt::Orientation sizingAxis_ = Qt::Horizontal;
  int sizingIndex_ = -1;
  int sizingStart_ = 0;
  int sizingStartSize_ = 0;
};

}  // namespace orlaventis
