// TThumbnailGrid: a page of pictures in a fixed grid of cells with a scroll bar for the whole list.
#pragma once

#include "controls/GraphicControl.h"
#include "controls/Transitions.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>

class QScrollBar;

namespace orlaventis {

class TProportionalImage;

// A page of ColCount x RowCount cells, each a TProportionalImage child named
// objectName() + "_Thumb_" + its number (1 .. cells, row by row), and a vertical scroll bar at
// the right edge that stands for the owner's item list. The grid knows nothing of where the
// pictures come from: the owner fills the cells (SetThumbPicture), tells it which item range
// the scroll bar covers and which item cell 1 shows (SetItemRange, TopItem) and which cell is
// selected (SelectThumb); it hears through ThumbSelected which item the user picked. The grid
// never moves its cells itself.
class TThumbnailGrid : public QWidget, public TMouseEvents {
  Q_OBJECT

 public:
  static constexpr QRgb kNavy = 0x000080;  // the default SelectedColor (8388608 as BGR)

  // Black, no cells, scroll bar 0..0 (vertical, right-aligned, never focused); the grid itself
  // takes the keyboard (tab stop, click) and passes on the keys it does not use.
  explicit TThumbnailGrid(QWidget* parent = nullptr);
  ~TThumbnailGrid() override;

  // Setters of the counts rebuild the cells (SetGridSize) when the value changes.
  int32_t ColCount() const { return colCount_; }
  void SetColCount(int32_t columns);
  int32_t RowCount() const { return rowCount_; }
  void SetRowCount(int32_t rows);

  // The screen cursor identifier (Cursors.h) of cells that hold a picture; 0 = none.
  int CanSelectCursor() const { return canSelectCursor_; }
  void SetCanSelectCursor(int cursorId) { canSelectCursor_ = cursorId; }

  // Background brush and pen colour of the selected cell and of every other cell. A brush
  // whose style is clear keeps its style (only the pen changes).
  QColor SelectedColor() const { return selectedColor_; }
  void SetSelectedColor(QColor colour);
  QColor UnSelectedColor() const { return unSelectedColor_; }
  void SetUnSelectedColor(QColor colour);

  // Handed to each cell when the cells are built (a change applies at the next SetGridSize).
  EffectStyle Effect() const { return effect_; }
  void SetEffect(EffectStyle v) { effect_ = v; }
  bool Effects() const { return effects_; }
  void SetEffects(bool v) { effects_ = v; }
  int EffectSize() const { return effectSize_; }
  void SetEffectSize(int v) { effectSize_ = v; }
  std::uint8_t EffectSpeed() const { return effectSpeed_; }
  void SetEffectSpeed(std::uint8_t v) { effectSpeed_ = v; }
  std::uint8_t ThumbSx() const { return thumbSx_; }
  void SetThumbSx(std::uint8_t v) { thumbSx_ = v; }
  std::uint8_t ThumbSy() const { return thumbSy_; }
  void SetThumbSy(std::uint8_t v) { thumbSy_ = v; }

  // The width of the scroll bar (the grid lays it out along its right edge).
  int ScrollBarWidth() const { return scrollBarWidth_; }
  void SetScrollBarWidth(int width);

  // Number of the selected cell (1-based; 0 without cells).
  int32_t SelectedThumb() const { return selectedThumb_; }
  // The item shown in cell 1 (the owner keeps it; the grid only reports it in its events).
  int32_t TopItem() const { return topItem_; }
  void SetTopItem(int32_t item) { topItem_ = item; }

  // The owned scroll bar (a child of the grid); never null while the grid lives.
  QScrollBar* ScrollBar() const { return scrollBar_; }

  // Rebuilds the cells for `columns` x `rows`. False, changing nothing, when both counts equal
  // the current ones. Counts below 1 remove every cell, set both counts, SelectedThumb and
  // TopItem to 0 and reset the scroll bar to 0..0, returning true. Otherwise the cells are laid
  // out row by row, (width - scroll bar width) div columns wide and height div rows high, from
  // the left edge; cell 1 is selected. Cells take the grid's current effect values, Sx/Sy and
  // mouse callbacks (as they stand now).
  bool SetGridSize(int32_t columns, int32_t rows);
  // Sets the scroll bar to lowest..highest (page = cells, position lowest) and TopItem to
  // lowest. Does nothing when lowest > highest or there are no cells.
  void SetItemRange(int32_t lowest, int32_t highest);
  // Selects cell `cell` when it exists and differs from the selected one (recolouring both);
  // in every case then points the scroll bar at TopItem - 1 + SelectedThumb.
  void SelectThumb(int32_t cell);
  // Shows `picture` in cell `cell` with the cell's transition (a null picture empties it) and
  // gives the cell CanSelectCursor when it has a picture, else the grid's own cursor. Nothing
  // happens when the cell does not exist or already shows this very picture (same image data).
  void SetThumbPicture(int32_t cell, const QImage& picture);
  // The caption of cell `cell` (nothing when it does not exist).
  void SetThumbText(int32_t cell, const QString& text);
  // The picture of cell `cell`; a null image when it has none or does not exist.
  QImage GetThumbPicture(int32_t cell) const;
  // Cell `cell` (found by its name); null when it does not exist.
  TProportionalImage* Cell(int32_t cell) const;
  // Tells screen readers which cell is chosen (a focus event on it) when the grid has the
  // keyboard and the chosen item differs from the one last told; the owner calls it once the
  // cells are named.
  void AnnounceSelection();

 signals:
  // The user picked item `item` (a cell or a scroll position).
  void ThumbSelected(int32_t item);
  // The user drags the scroll bar's thumb; `position` is where it is now.
  void ScrollThumbTracked(int32_t position);

 protected:
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ThumbClick(QObject* sender);
  void ScrollBarAction(int action);
  void ScrollBarMoved(int position);
  void ScrollBarReleased();
  void ResetScrollBar();
  void LayoutScrollBar();
  void Recolour(TProportionalImage* cell, QColor colour) const;
  QString CellName(int32_t cell) const;

  int canSelectCursor_ = 0;
  int32_t colCount_ = 0;
  int32_t rowCount_ = 0;
  QColor selectedColor_{kNavy};
  QColor unSelectedColor_{Qt::black};
  int32_t selectedThumb_ = 0;
  EffectStyle effect_ = EffectStyle::esRandom;
  bool effects_ = false;
  int effectSize_ = 1;
  std::uint8_t effectSpeed_ = 1;
  QScrollBar* scrollBar_;  // child
  int scrollBarWidth_ = 17;
  std::uint8_t thumbSx_ = 90;
  std::uint8_t thumbSy_ = 90;
  int32_t topItem_ = 0;
  int32_t announced_ = 0;  // the item last told to screen readers while focused
};

}  // namespace orlaventis
