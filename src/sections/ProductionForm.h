// TProductionForm: the Production section, with its topic outline, table and slides; the
// outline and string grid controls it is built from.
#pragma once

#include "sections/SectionForm.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class QLabel;
class QPainter;

namespace orlaventis {

class TProportionalImage;
class TSlideCycle;

// A tree of text items shown one per line, the children of an expanded item below it. Items
// are numbered 1 .. ItemCount in tree order (collapsed ones included); 0 means none. Every
// line is drawn by OnDrawItem. Mouse: a click selects the item of its line (a click left of
// the item's text, on its "+" or "-", also expands or collapses it); a double click expands or
// collapses. Keys: Up, Down, Home, End, Page Up, Page Down select; "+" expands, "-" collapses,
// "*" expands the item and everything below it; Right expands a collapsed item, or selects the
// first child of an expanded one; Left collapses an expanded item, or selects the parent.
// OnClick follows every selection by the user.
class TOutline : public QAbstractScrollArea {
  Q_OBJECT

 public:
  struct Item {
    QString Text;
    int Level = 1;   // 1 for the top items
    int Parent = 0;  // item number of the parent, 0 for top items
    bool HasItems = false;
    bool Expanded = false;
  };

  explicit TOutline(QWidget* parent = nullptr);

  // Replaces every item by the lines of `text` (line breaks as in SplitTextLines). A line's
  // leading tabs give its nesting: none for a top item, one more than its parent for a child;
  // a line with more tabs than that is taken as a child of the line before it. The tabs are
  // not part of the text. All items start collapsed; nothing is selected.
  void SetText(const QString& text);
  void Clear();
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // Item `index` (1 .. ItemCount); an empty top item for any other number.
  const Item& Items(int index) const;

  // Selecting an item scrolls it into view (it must be shown: its parents expanded). Numbers
  // outside 1 .. ItemCount select nothing. OnClick is not raised.
  int SelectedItem() const { return selected_; }
  void SetSelectedItem(int index);

  // Expanding or collapsing an item without children does nothing. Collapsing the parent of
  // the selected item selects that parent.
  void SetExpanded(int index, bool expanded);
  void FullExpand();

  // Pixels per line; at least 1.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);

  // The item shown on the line at `point` (viewport coordinates), 0 when none.
  int GetItem(QPoint point) const;
  // The item shown on visible line `line` (0 = first line of the list), 0 when none.
  int ItemOnLine(int line) const;

  // Draws one line: the painter is the viewport's, `rect` the line's rectangle in it.
  std::function<void(QPainter& painter, const QRect& rect)> OnDrawItem;
  std::function<void()> OnClick;
  // The tool tip of item `index` (shown while the pointer rests on its line); empty for none.
  std::function<QString(int index)> OnItemHint;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool Shown(int index) const;
  int VisibleLines() const;  // whole lines that fit
  void Relayout();  // the visible lines and the scroll bar
  void SelectByUser(int index);
  int LineOf(int index) const;  // visible line of an item, -1 when hidden

  std::vector<Item> items_;
  std::vector<int> lines_;  // item numbers of the visible lines
  int selected_ = 0;
  int itemHeight_ = 17;
};

// A grid of text cells: the first FixedRows rows and FixedCols columns are fixed (drawn in
// FixedColor with black lines, not scrolled), the rest scroll. The current cell is drawn
// selected. The user resizes a column by dragging its right border in the fixed rows (in the
// first row when there are none) and a row by dragging its lower border in the fixed columns (in
// the first column when there are none). Cells outside the grid read as empty and are not
// stored.
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

  QColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(const QColor& colour);

  // The current cell; it stays in the scrolling part.
  int Col() const { return col_; }
  int Row() const { return row_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int FixedWidth() const;
  int FixedHeight() const;
  int ColumnLeft(int col) const;  // viewport x of a column's left edge
  int RowTop(int row) const;      // viewport y of a row's top edge
  // The column (Qt::Horizontal) or row (Qt::Vertical) whose right (lower) border the user can
  // drag at `point`, or -1.
  int BorderAt(Qt::Orientation orientation, QPoint point) const;
  void KeepCurrentInRange();
  void Relayout();

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

// The Production section: the topic outline of the current language (record
// "Production_Content_" + LanguageId + "|||") on the right, the table of the chosen topic on
// the left, and the slide cycle beneath the outline. Created by the section frame on the first
// visit; its timer runs until it is destroyed.
class TProductionForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TProductionForm(QWidget* parent);

  QLabel* HeaderLblBk = nullptr;
  QLabel* HeaderLbl = nullptr;
  QLabel* ProductionLstHeader = nullptr;
  TProportionalImage* SlidePicture = nullptr;
  TStringGrid* ProductionLst = nullptr;          // made in CreateContent
  TOutline* ProductionContentLst = nullptr;      // made in CreateContent

  // Fills the outline from the record file and shows the table of item 2.
  void LoadContents();
  // Shows the table of the selected topic, or empties the table when the selected item is no
  // topic or its table record is missing.
  void ProductionContentLstClick();
  // Fills the table: caption above it, `columnCaptions` (cells joined by "@") as the fixed
  // row when not empty, then every non-empty line of `rows`. Null `rows` empties the table.
  void ShowTable(const QString& caption, const QString& columnCaptions, const QStringList* rows);
  // Draws the outline line in `rect`; a topic too wide for the line ends in an ellipsis.
  void ProductionContentLstDrawItem(QPainter& painter, const QRect& rect);
  // The whole text of a topic that does not fit its line (the outline's tool tip), else empty.
  QString ProductionContentLstHint(int index) const;

  // The slide timer's handler: the next picture (see TSlideCycle).
  void TimerTimer();
  int PictureNumber() const;
  TSlideCycle& Slides() { return *slides_; }

  // The outline fully expanded again, item 2 selected and its table shown.
  void ResetState() override;

 protected:
  void CreateComponents() override;
  void CreateContent() override;

 private:
  void SplitIntoRow(QString text, int row);

  TSlideCycle* slides_ = nullptr;  // child
};

// Makes the section frame create a TProductionForm for the Production section (the program
// calls this once at start).
void RegisterProductionForm();

}  // namespace orlaventis
