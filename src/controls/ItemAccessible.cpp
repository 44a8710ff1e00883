// What screen readers learn of the items inside the outline and the cells of the string grid.
#include "controls/ItemAccessible.h"

#include "controls/Outline.h"
#include "controls/StringGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>

#include <utility>
#include <vector>

namespace orlaventis {
namespace {

// The items whose parent is `parent` (0: the top items), in tree order.
std::vector<int> ChildItems(const TOutline& outline, int parent) {
  std::vector<int> items;
  const int level = outline.Items(parent).Level;
  for (int index = parent + 1; index <= outline.ItemCount(); ++index) {
    if (parent > 0 && outline.Items(index).Level <= level) break;
    if (outline.Items(index).Parent == parent) items.push_back(index);
  }
  return items;
}

// The item under `global` (a screen point), 0 when none.
int ItemAtPoint(const TOutline& outline, int x, int y) {
  const QWidget* area = outline.viewport();
  const QPoint at = area->mapFromGlobal(QPoint(x, y));
  return area->rect().contains(at) ? outline.GetItem(at) : 0;
}

// Item `target` or its ancestor whose parent is `parent` (0: a top item); 0 when `target` does
// not lie below `parent`.
int AncestorBelow(const TOutline& outline, int target, int parent) {
  while (target > 0 && outline.Items(target).Parent != parent)
    target = outline.Items(target).Parent;
  return target;
}

class AccessibleOutline;
AccessibleOutline* OutlineInterface(TOutline* outline);

// One item of the outline; it lives as long as the outline's interface, or until the items are
// replaced.
class AccessibleOutlineItem final : public QAccessibleInterface {
 public:
  AccessibleOutlineItem(TOutline* outline, int index) : outline_(outline), index_(index) {}

  bool isValid() const override { return outline_ != nullptr && index_ <= outline_->ItemCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return outline_ != nullptr ? QAccessible::queryAccessibleInterface(outline_)->window()
                               : nullptr;
  }
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int index) const override;
  int childCount() const override {
    return isValid() && outline_->Items(index_).Expanded
               ? static_cast<int>(ChildItems(*outline_, index_).size())
               : 0;
  }
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessible::Role role() const override { return QAccessible::TreeItem; }
  void setText(QAccessible::Text, const QString&) override {}
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    return outline_->OnItemName ? outline_->OnItemName(index_) : outline_->Items(index_).Text;
  }
  QRect rect() const override {
    const int line = isValid() ? outline_->LineOf(index_) : -1;
    if (line < 0) return {};
    const QWidget* area = outline_->viewport();
    const int height = outline_->ItemHeight();
    const QRect shown =
        QRect(0, (line - outline_->verticalScrollBar()->value()) * height, area->width(), height)
            .intersected(area->rect());
    return shown.isEmpty() ? QRect() : QRect(area->mapToGlobal(shown.topLeft()), shown.size());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) return s;
    const TOutline::Item& item = outline_->Items(index_);
    s.selectable = s.focusable = true;
    s.selected = outline_->SelectedItem() == index_;
    s.focused = s.selected && outline_->hasFocus();
    s.expandable = item.HasItems;
    s.expanded = item.HasItems && item.Expanded;
    s.collapsed = item.HasItems && !item.Expanded;
    s.invisible = !outline_->Shown(index_);
    s.offscreen = rect().isEmpty();
    return s;
  }

  int Index() const { return index_; }
  const TOutline* Outline() const { return outline_; }

 private:
  QPointer<TOutline> outline_;
  int index_;
};

// The position of `child` among the items whose parent is `parent`, -1 when it is not one.
int IndexAmong(const TOutline& outline, int parent, const QAccessibleInterface* child) {
  const auto* item = dynamic_cast<const AccessibleOutlineItem*>(child);
  if (item == nullptr || item->Outline() != &outline) return -1;
  const std::vector<int> items = ChildItems(outline, parent);
  const auto at = std::find(items.begin(), items.end(), item->Index());
  return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

// The outline: a tree of its top items. Item interfaces are made on demand and registered with
// QAccessible; this interface deletes them.
class AccessibleOutline final : public QAccessibleWidget {
 public:
  explicit AccessibleOutline(TOutline* outline) : QAccessibleWidget(outline, QAccessible::Tree) {}
  ~AccessibleOutline() override { Forget(); }

  int childCount() const override { return static_cast<int>(ChildItems(*Outline(), 0).size()); }
  QAccessibleInterface* child(int index) const override {
    const std::vector<int> items = ChildItems(*Outline(), 0);
    return index >= 0 && index < static_cast<int>(items.size()) ? Item(items[size_t(index)])
                                                                : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return IndexAmong(*Outline(), 0, child);
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const int index = AncestorBelow(*Outline(), ItemAtPoint(*Outline(), x, y), 0);
    return index > 0 ? Item(index) : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    const int selected = Outline()->SelectedItem();
    if (Outline()->hasFocus() && Outline()->Shown(selected)) return Item(selected);
    return QAccessibleWidget::focusChild();
  }

  // The interface of item `index` (1 .. ItemCount), null for other numbers.
  QAccessibleInterface* Item(int index) const {
    if (index < 1 || index > Outline()->ItemCount()) return nullptr;
    QAccessible::Id& id = items_[index];
    if (id == 0)
      id = QAccessible::registerAccessibleInterface(new AccessibleOutlineItem(Outline(), index));
    return QAccessible::accessibleInterface(id);
  }
  // Drops the item interfaces (the items were replaced).
  void Forget() {
    for (const QAccessible::Id id : std::as_const(items_))
      QAccessible::deleteAccessibleInterface(id);
    items_.clear();
  }

 private:
  TOutline* Outline() const { return static_cast<TOutline*>(widget()); }
  mutable QHash<int, QAccessible::Id> items_;  // item number -> its registered interface
};

AccessibleOutline* OutlineInterface(TOutline* outline) {
  return dynamic_cast<AccessibleOutline*>(QAccessible::queryAccessibleInterface(outline));
}

QAccessibleInterface* AccessibleOutlineItem::parent() const {
  AccessibleOutline* tree = outline_ != nullptr ? OutlineInterface(outline_) : nullptr;
  if (tree == nullptr) return nullptr;
  const int parent = outline_->Items(index_).Parent;
  return parent > 0 ? tree->Item(parent) : tree;
}

QAccessibleInterface* AccessibleOutlineItem::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return OutlineInterface(outline_)->Item(ChildItems(*outline_, index_)[size_t(index)]);
}

int AccessibleOutlineItem::indexOfChild(const QAccessibleInterface* child) const {
  return childCount() > 0 ? IndexAmong(*outline_, index_, child) : -1;
}

QAccessibleInterface* AccessibleOutlineItem::childAt(int x, int y) const {
  if (childCount() == 0) return nullptr;
  const int index = AncestorBelow(*outline_, ItemAtPoint(*outline_, x, y), index_);
  return index > 0 ? OutlineInterface(outline_)->Item(index) : nullptr;
}

class AccessibleGrid;
AccessibleGrid* GridInterface(TStringGrid* grid);

// One cell of the grid at (col, row) of the whole grid, fixed parts included; it lives as long as
// the grid's interface, or until the grid's rows or columns change.
class AccessibleGridCell final : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  AccessibleGridCell(TStringGrid* grid, int col, int row) : grid_(grid), col_(col), row_(row) {}

  bool isValid() const override {
    return grid_ != nullptr && col_ < grid_->ColCount() && row_ < grid_->RowCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return grid_ != nullptr ? QAccessible::queryAccessibleInterface(grid_)->window() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return grid_ != nullptr ? QAccessible::queryAccessibleInterface(grid_) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override {
    if (isValid() && row_ < grid_->FixedRows()) return QAccessible::ColumnHeader;
    return isValid() && col_ < grid_->FixedCols() ? QAccessible::RowHeader : QAccessible::Cell;
  }
  void setText(QAccessible::Text, const QString&) override {}
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && isValid() ? grid_->Cells(col_, row_) : QString();
  }
  QRect rect() const override {
    const QRect shown = isValid() ? grid_->CellRect(col_, row_) : QRect();
    if (shown.isEmpty()) return {};
    return QRect(grid_->viewport()->mapToGlobal(shown.topLeft()), shown.size());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) return s;
    s.invisible = s.offscreen = rect().isEmpty();
    if (role() != QAccessible::Cell) return s;
    s.selectable = s.focusable = true;
    s.selected = s.focused = isSelected();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface && role() == QAccessible::Cell)
      return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
  }

  // The table cell: its place among the scrolling cells, headers from the fixed parts.
  bool isSelected() const override {
    return isValid() && grid_->hasFocus() && grid_->Col() == col_ && grid_->Row() == row_;
  }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int columnIndex() const override { return isValid() ? col_ - grid_->FixedCols() : -1; }
  int rowIndex() const override { return isValid() ? row_ - grid_->FixedRows() : -1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  int Col() const { return col_; }
  int Row() const { return row_; }
  const TStringGrid* Grid() const { return grid_; }

 private:
  QPointer<TStringGrid> grid_;
  int col_;
  int row_;
};

// The grid: a table of its scrolling cells. Cell interfaces are made on demand and registered
// with QAccessible; this interface deletes them.
class AccessibleGrid final : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit AccessibleGrid(TStringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~AccessibleGrid() override { Forget(); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // Children: the table's cells row by row, the column headers row by row, the row headers row
  // by row.
  int childCount() const override {
    return (rowCount() + Grid()->FixedRows()) * columnCount() + rowCount() * Grid()->FixedCols();
  }
  QAccessibleInterface* child(int index) const override {
    const int rows = rowCount(), cols = columnCount();
    const int fixedRows = Grid()->FixedRows(), fixedCols = Grid()->FixedCols();
    if (index < 0) return nullptr;
    if (index < rows * cols) return Cell(fixedCols + index % cols, fixedRows + index / cols);
    index -= rows * cols;
    if (index < fixedRows * cols) return Cell(fixedCols + index % cols, index / cols);
    index -= fixedRows * cols;
    if (index < rows * fixedCols) return Cell(index % fixedCols, fixedRows + index / fixedCols);
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = dynamic_cast<const AccessibleGridCell*>(child);
    if (cell == nullptr || cell->Grid() != Grid() || !cell->isValid()) return -1;
    return IndexOf(cell->Col(), cell->Row());
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
    for (int row = 0; row < Grid()->RowCount(); ++row) {
      for (int col = 0; col < Grid()->ColCount(); ++col) {
        if (Grid()->CellRect(col, row).contains(at)) return Cell(col, row);
      }
    }
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    if (Grid()->hasFocus()) return Cell(Grid()->Col(), Grid()->Row());
    return QAccessibleWidget::focusChild();
  }

  // The table.
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QString columnDescription(int column) const override {
    QStringList texts;
    for (int row = 0; row < Grid()->FixedRows(); ++row)
      texts << Grid()->Cells(Grid()->FixedCols() + column, row);
    return texts.join(QLatin1Char(' '));
  }
  QString rowDescription(int row) const override {
    QStringList texts;
    for (int col = 0; col < Grid()->FixedCols(); ++col)
      texts << Grid()->Cells(col, Grid()->FixedRows() + row);
    return texts.join(QLatin1Char(' '));
  }
  int columnCount() const override { return Grid()->ColCount() - Grid()->FixedCols(); }
  int rowCount() const override { return Grid()->RowCount() - Grid()->FixedRows(); }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    return Cell(Grid()->FixedCols() + column, Grid()->FixedRows() + row);
  }
  int selectedCellCount() const override { return Grid()->hasFocus() ? 1 : 0; }
  QList<QAccessibleInterface*> selectedCells() const override {
    if (!Grid()->hasFocus()) return {};
    return {Cell(Grid()->Col(), Grid()->Row())};
  }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  // Changed rows or columns renumber the cells: their interfaces are made anew.
  void modelChange(QAccessibleTableModelChangeEvent* event) override {
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) Forget();
  }

  // The interface of cell (`col`, `row`) of the whole grid, null outside it.
  QAccessibleInterface* Cell(int col, int row) const {
    if (col < 0 || col >= Grid()->ColCount() || row < 0 || row >= Grid()->RowCount())
      return nullptr;
    QAccessible::Id& id = cells_[{col, row}];
    if (id == 0)
      id = QAccessible::registerAccessibleInterface(
          new AccessibleGridCell(const_cast<TStringGrid*>(Grid()), col, row));
    return QAccessible::accessibleInterface(id);
  }
  // The child index of cell (`col`, `row`) of the whole grid; -1 for the corner cells.
  int IndexOf(int col, int row) const {
    const int rows = rowCount(), cols = columnCount();
    const int fixedRows = Grid()->FixedRows(), fixedCols = Grid()->FixedCols();
    if (row >= fixedRows && col >= fixedCols) return (row - fixedRows) * cols + col - fixedCols;
    if (col >= fixedCols) return rows * cols + row * cols + col - fixedCols;
    if (row >= fixedRows) return (rows + fixedRows) * cols + (row - fixedRows) * fixedCols + col;
    return -1;
  }
  void Forget() {
    for (const QAccessible::Id id : std::as_const(cells_))
      QAccessible::deleteAccessibleInterface(id);
    cells_.clear();
  }

 private:
  TStringGrid* Grid() const { return static_cast<TStringGrid*>(widget()); }
  mutable QHash<std::pair<int, int>, QAccessible::Id> cells_;  // (col, row) -> its interface
};

AccessibleGrid* GridInterface(TStringGrid* grid) {
  return dynamic_cast<AccessibleGrid*>(QAccessible::queryAccessibleInterface(grid));
}

QList<QAccessibleInterface*> AccessibleGridCell::columnHeaderCells() const {
  QList<QAccessibleInterface*> headers;
  AccessibleGrid* table = isValid() ? GridInterface(grid_) : nullptr;
  for (int row = 0; table != nullptr && row < grid_->FixedRows(); ++row)
    headers << table->Cell(col_, row);
  return headers;
}

QList<QAccessibleInterface*> AccessibleGridCell::rowHeaderCells() const {
  QList<QAccessibleInterface*> headers;
  AccessibleGrid* table = isValid() ? GridInterface(grid_) : nullptr;
  for (int col = 0; table != nullptr && col < grid_->FixedCols(); ++col)
    headers << table->Cell(col, row_);
  return headers;
}

void Send(QAccessibleInterface* iface, QAccessible::Event type) {
  if (iface == nullptr) return;
  QAccessibleEvent event(iface, type);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

QAccessibleInterface* NewAccessibleOutline(TOutline* outline) {
  return new AccessibleOutline(outline);
}

QAccessibleInterface* NewAccessibleGrid(TStringGrid* grid) { return new AccessibleGrid(grid); }

void AnnounceOutlineSelection(TOutline& outline, int previous) {
  AccessibleOutline* tree = QAccessible::isActive() ? OutlineInterface(&outline) : nullptr;
  if (tree == nullptr) return;
  if (outline.Shown(previous)) Send(tree->Item(previous), QAccessible::SelectionRemove);
  if (outline.Shown(outline.SelectedItem()))
    Send(tree->Item(outline.SelectedItem()), QAccessible::Selection);
  AnnounceOutlineFocus(outline);
}

void AnnounceOutlineFocus(TOutline& outline) {
  AccessibleOutline* tree = QAccessible::isActive() ? OutlineInterface(&outline) : nullptr;
  if (tree != nullptr && outline.hasFocus() && outline.Shown(outline.SelectedItem()))
    Send(tree->Item(outline.SelectedItem()), QAccessible::Focus);
}

void AnnounceOutlineFold(TOutline& outline, int index) {
  AccessibleOutline* tree = QAccessible::isActive() ? OutlineInterface(&outline) : nullptr;
  QAccessibleInterface* item = tree != nullptr && outline.Shown(index) ? tree->Item(index)
                                                                       : nullptr;
  if (item == nullptr) return;
  QAccessible::State changed;
  changed.expanded = changed.collapsed = true;
  QAccessibleStateChangeEvent event(item, changed);
  QAccessible::updateAccessibility(&event);
  Send(item, QAccessible::ObjectReorder);
}

void AnnounceOutlineReset(TOutline& outline) {
  AccessibleOutline* tree = QAccessible::isActive() ? OutlineInterface(&outline) : nullptr;
  if (tree == nullptr) return;
  tree->Forget();
  Send(tree, QAccessible::ObjectReorder);
}

void AnnounceGridCurrent(TStringGrid& grid) {
  AccessibleGrid* table = QAccessible::isActive() ? GridInterface(&grid) : nullptr;
  if (table == nullptr || !grid.hasFocus()) return;
  QAccessibleEvent event(&grid, QAccessible::Focus);
  event.setChild(table->IndexOf(grid.Col(), grid.Row()));
  QAccessible::updateAccessibility(&event);
}

void AnnounceGridCell(TStringGrid& grid, int col, int row) {
  AccessibleGrid* table = QAccessible::isActive() ? GridInterface(&grid) : nullptr;
  if (table == nullptr) return;
  const int tableCol = col - grid.FixedCols(), tableRow = row - grid.FixedRows();
  if (tableCol >= 0 && tableRow >= 0) {
    QAccessibleTableModelChangeEvent event(&grid, QAccessibleTableModelChangeEvent::DataChanged);
    event.setFirstRow(tableRow);
    event.setLastRow(tableRow);
    event.setFirstColumn(tableCol);
    event.setLastColumn(tableCol);
    QAccessible::updateAccessibility(&event);
  } else if (table->IndexOf(col, row) >= 0) {
    QAccessibleEvent event(&grid, tableRow < 0 ? QAccessible::TableColumnHeaderChanged
                                               : QAccessible::TableRowHeaderChanged);
    event.setChild(table->IndexOf(col, row));
    QAccessible::updateAccessibility(&event);
  }
}

void AnnounceGridReset(TStringGrid& grid) {
  if (!QAccessible::isActive()) return;
  QAccessibleTableModelChangeEvent event(&grid, QAccessibleTableModelChangeEvent::ModelReset);
  QAccessible::updateAccessibility(&event);
}

}  // namespace orlaventis
