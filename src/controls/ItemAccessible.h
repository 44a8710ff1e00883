// What screen readers learn of the items inside the outline and the cells of the string grid.
#pragma once

class QAccessibleInterface;

namespace orlaventis {

class TOutline;
class TStringGrid;

// The outline as a tree (named by its accessible name) whose children are its top items; an
// expanded item's children are its own items, so every shown item is in the tree at its level.
// An item reads as its text (TOutline::OnItemName when set), is selectable and focusable,
// selected when it is the selected item and focused while the outline has the focus too,
// expandable and expanded or collapsed when it has items, and offscreen when scrolled out of
// view. Owned by the caller (an accessibility factory).
QAccessibleInterface* NewAccessibleOutline(TOutline* outline);

// The grid as a table of its scrolling cells: row 0, column 0 is the first cell below the fixed
// rows and right of the fixed columns. The cells of the fixed rows are the column headers of the
// cells below them, those of the fixed columns the row headers. A cell reads as its text and is
// selected and focused when it is the current cell while the grid has the focus. Children: the
// table's cells row by row, then the column headers, then the row headers. Owned by the caller.
QAccessibleInterface* NewAccessibleGrid(TStringGrid* grid);

// What the controls tell screen readers; nothing while accessibility is off.
// The selection moved from item `previous` (0: none) to the selected one: it gets the focus
// when the outline has it, and both items' selected states changed.
void AnnounceOutlineSelection(TOutline& outline, int previous);
// The selected item has the focus (the outline has just got it).
void AnnounceOutlineFocus(TOutline& outline);
// Item `index` was expanded or collapsed: its state and its children changed.
void AnnounceOutlineFold(TOutline& outline, int index);
// Every item was replaced.
void AnnounceOutlineReset(TOutline& outline);
// The current cell moved: it gets the focus when the grid has it.
void AnnounceGridCurrent(TStringGrid& grid);
// The text of cell (`col`, `row`) changed.
void AnnounceGridCell(TStringGrid& grid, int col, int row);
// The rows, the columns or all texts changed.
void AnnounceGridReset(TStringGrid& grid);

}  // namespace orlaventis
