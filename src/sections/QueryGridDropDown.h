// TQueryDropDown: the query grid's drop-down check list, shared by the grid and its accessibility.
#pragma once

#include "database/QueryCriteria.h"

#include <QWidget>

#include <vector>

class QScrollBar;

namespace orlaventis {

class TTessaranQueryGrid;

// The drop-down check list of a link-list row: an outline of lines with an expand sign for
// lines that have children and a check glyph per line. A popup owned by the grid (not its Qt
// child). Lines are indices into Lines(); "positions" count the shown lines from the top of the
// outline (Shown()), scrolled or not. Screen readers see the shown lines as the list's items
// (QueryGridAccessible.cpp); the list raises their focus, checked and expanded events.
class TQueryDropDown : public QWidget {
 public:
  explicit TQueryDropDown(TTessaranQueryGrid* grid);

  // Replaces the lines, folds them all and marks the first.
  void Fill(std::vector<TDropDownLine> lines, int lineHeight);
  const std::vector<TDropDownLine>& Lines() const { return lines_; }
  TTessaranQueryGrid* Grid() const { return grid_; }
  int LineHeight() const { return lineHeight_; }
  int Indent() const { return lineHeight_; }
  bool HasChildren(size_t line) const {
    return line + 1 < lines_.size() && lines_[line + 1].Level > lines_[line].Level;
  }
  bool Expanded(size_t line) const { return line < expanded_.size() && expanded_[line]; }
  // Whether `line` is ticked in the grid's current row (false for a line out of range).
  bool Checked(size_t line) const;
  bool Nested() const;  // whether any line has children
  // Indices of the lines shown: those whose every parent is expanded.
  std::vector<int> Shown() const;
  int Marked() const { return marked_; }  // position of the keys' line
  // The rectangle of the line at `position` in list coordinates (empty when scrolled away).
  QRect PositionRect(int position) const;
  // Tells screen readers that the marked line has the focus (when the list shows).
  void RaiseFocus();

 protected:
  void resizeEvent(QResizeEvent*) override { Relayout(); }
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Relayout();
  void Unfold(size_t line, bool expand);  // changes nothing for a line without children

  TTessaranQueryGrid* grid_;
  QScrollBar* scrollBar_;
  std::vector<TDropDownLine> lines_;
  std::vector<bool> expanded_;
  int lineHeight_ = 15;
  int top_ = 0;
  int marked_ = 0;  // the keys' line, as a position among the shown lines
};

}  // namespace orlaventis
