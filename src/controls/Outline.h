// TOutline: a tree of text items shown one per line, expanded and collapsed by mouse and keys.
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPainter;

namespace orlaventis {

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

  // Pixels per nesting level: an item's text starts Level * kIndent + 3 from the line's left.
  static constexpr int kIndent = 10;

  // Replaces every item by `lines`, one item each. A line's leading tabs give its nesting: none for
  // a top item, one more than its parent for a child; a line with more tabs than that is taken as a
  // child of the line before it. The tabs are not part of the text. All items start collapsed;
  // nothing is selected.
  void SetLines(const QStringList& lines);
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
  // Whether item `index` is shown (every parent expanded); false outside 1 .. ItemCount.
  bool Shown(int index) const;
  // The visible line of item `index` (0 = first line of the list), -1 when it is not shown.
  int LineOf(int index) const;
  // Whole lines that fit in the control; at least 1.
  int VisibleLines() const;

  // Draws one line: the painter is the viewport's, `rect` the line's rectangle in it.
  std::function<void(QPainter& painter, const QRect& rect)> OnDrawItem;
  std::function<void()> OnClick;
  // The tool tip of item `index` (shown while the pointer rests on its line); empty for none.
  std::function<QString(int index)> OnItemHint;
  // What screen readers read for item `index`; unset: the item's text.
  std::function<QString(int index)> OnItemName;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  void Relayout();  // the visible lines and the scroll bar
  void SelectByUser(int index);
  // Relayout, then tells screen readers of the items in `folded`, whose expanded flags changed.
  void RelayoutFolded(const std::vector<int>& folded);
  // Selects item `index` (0: none) and tells screen readers when that changed.
  void Select(int index);

  std::vector<Item> items_;
  std::vector<int> lines_;  // item numbers of the visible lines
  int selected_ = 0;
  int itemHeight_ = 17;
};

}  // namespace orlaventis
