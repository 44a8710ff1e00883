// The query grid's accessibility: how screen readers see TTessaranQueryGrid and its rows.
#include "sections/QueryGridAccessible.h"

#include "sections/QueryGrid.h"
#include "sections/QueryGridDropDown.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <algorithm>

#include <utility>

namespace orlaventis {

namespace {

// One criterion row for screen readers: named "label: what is chosen", valued by what is chosen
// (the whole text, not cut to the cell), described by the row's hint.
class AccessibleRow final : public QAccessibleInterface {
 public:
  AccessibleRow(TTessaranQueryGrid* grid, int row) : grid_(grid), row_(row) {}

  bool isValid() const override { return grid_ != nullptr && row_ <= grid_->RowCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent() != nullptr ? parent()->window() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(grid_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::Row; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    const TQueryCriterion* c = isValid() ? grid_->Criteria().Criterion(row_) : nullptr;
    if (c == nullptr) return {};
    const QString value = grid_->RowValueText(row_);
    switch (t) {
      case QAccessible::Name: return c->Label + QStringLiteral(": ") + value;
      case QAccessible::Value: return value;
      case QAccessible::Description: return c->Hint;
      default: return {};
    }
  }
  QRect rect() const override {
    const QRect cell = isValid() ? grid_->CellRect(row_) : QRect();
    if (cell.isEmpty()) return {};
    return QRect(grid_->mapToGlobal(QPoint(0, cell.top())), QSize(cell.right() + 1, cell.height()));
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.selectable = s.focusable = true;
    s.invisible = s.offscreen = rect().isEmpty();
    s.selected = isValid() && grid_->CurrentRow() == row_;
    // The open list holds the readers' focus, though the grid keeps Qt's.
    s.focused = s.selected && grid_->hasFocus() && !grid_->DropDownList()->isVisible();
    return s;
  }

 private:
  QPointer<TTessaranQueryGrid> grid_;
  int row_;
};

// One line of the open drop-down list: named by its text, checkable, expandable when it has
// children. `line_` indexes the list's lines, so the interface keeps its line while the outline
// folds; the list's child index of it is the line's shown position.
class AccessibleLine final : public QAccessibleInterface {
 public:
  AccessibleLine(TQueryDropDown* list, size_t line) : list_(list), line_(line) {}

  bool isValid() const override { return list_ != nullptr && line_ < list_->Lines().size(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent() != nullptr ? parent()->window() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(list_.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override {
    return list_ != nullptr && list_->Nested() ? QAccessible::TreeItem : QAccessible::ListItem;
  }
  void setText(QAccessible::Text, const QString&) override {}
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && isValid() ? list_->Lines()[line_].Text : QString();
  }
  QRect rect() const override {
    const QRect r = isValid() ? list_->PositionRect(Position()) : QRect();
    return r.isEmpty() ? QRect() : QRect(list_->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) return s;
    s.selectable = s.focusable = s.checkable = true;
    s.checked = list_->Checked(line_);
    s.expandable = list_->HasChildren(line_);
    s.expanded = s.expandable && list_->Expanded(line_);
    s.collapsed = s.expandable && !s.expanded;
    s.invisible = s.offscreen = rect().isEmpty();
    s.selected = Position() >= 0 && Position() == list_->Marked();
    s.focused = s.selected && list_->isVisible();
    return s;
  }
  // Shown position of the line; -1 inside a folded parent.
  int Position() const {
    const std::vector<int> shown = list_->Shown();
    const auto at = std::find(shown.begin(), shown.end(), static_cast<int>(line_));
    return at == shown.end() ? -1 : static_cast<int>(at - shown.begin());
  }

 private:
  QPointer<TQueryDropDown> list_;
  size_t line_;
};

// The open drop-down list: a list of its shown lines (a tree when lines nest), named by the
// row it chooses for. Its parent for screen readers is the grid, though it is a window of its
// own. Line interfaces are made on demand and live as long as this one.
class AccessibleList final : public QAccessibleWidget {
 public:
  explicit AccessibleList(TQueryDropDown* list) : QAccessibleWidget(list, QAccessible::List) {}
  ~AccessibleList() override {
    for (QAccessible::Id id : std::as_const(lines_)) QAccessible::deleteAccessibleInterface(id);
  }
  QAccessible::Role role() const override {
    return List()->Nested() ? QAccessible::Tree : QAccessible::List;
  }
  QString text(QAccessible::Text t) const override {
    const TTessaranQueryGrid* grid = List()->Grid();
    const TQueryCriterion* c = grid->Criteria().Criterion(grid->CurrentRow());
    return t == QAccessible::Name && c != nullptr ? c->Label : QString();
  }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(List()->Grid());
  }
  int childCount() const override { return static_cast<int>(List()->Shown().size()); }
  QAccessibleInterface* child(int index) const override {
    const std::vector<int> shown = List()->Shown();
    if (index < 0 || index >= static_cast<int>(shown.size())) return nullptr;
    QAccessible::Id& id = lines_[shown[size_t(index)]];
    if (id == 0)
      id = QAccessible::registerAccessibleInterface(
          new AccessibleLine(List(), static_cast<size_t>(shown[size_t(index)])));
    return QAccessible::accessibleInterface(id);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (auto it = lines_.cbegin(); it != lines_.cend(); ++it)
      if (QAccessible::accessibleInterface(it.value()) == child)
        return static_cast<const AccessibleLine*>(child)->Position();
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    for (int k = 0; k < childCount(); ++k)
      if (child(k)->rect().contains(x, y)) return child(k);
    return nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    return List()->isVisible() ? child(List()->Marked()) : nullptr;
  }

 private:
  TQueryDropDown* List() const { return static_cast<TQueryDropDown*>(widget()); }
  mutable QHash<int, QAccessible::Id> lines_;  // line -> its registered interface
};

// The grid for screen readers: a table of its criterion rows, then its child controls (the
// editor and the buttons), then the drop-down list while it is open. Row interfaces are made
// on demand and live as long as this one. The grid's own description stays empty: the hint
// is the current row's, which readers say with the row.
class AccessibleGrid final : public QAccessibleWidget {
 public:
  explicit AccessibleGrid(TTessaranQueryGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~AccessibleGrid() override {
    for (QAccessible::Id id : std::as_const(rows_)) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override {
    return Grid()->RowCount() + QAccessibleWidget::childCount() + (ListOpen() ? 1 : 0);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.focused = s.focused && !ListOpen();  // the open list holds the readers' focus
    return s;
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Description) return widget()->accessibleDescription();
    return QAccessibleWidget::text(t);
  }
  QAccessibleInterface* child(int index) const override {
    if (index < 0) return nullptr;
    const int controls = QAccessibleWidget::childCount();
    if (ListOpen() && index == Grid()->RowCount() + controls)
      return QAccessible::queryAccessibleInterface(Grid()->DropDownList());
    if (index >= Grid()->RowCount()) return QAccessibleWidget::child(index - Grid()->RowCount());
    QAccessible::Id& id = rows_[index + 1];
    if (id == 0)
      id = QAccessible::registerAccessibleInterface(new AccessibleRow(Grid(), index + 1));
    return QAccessible::accessibleInterface(id);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (auto it = rows_.cbegin(); it != rows_.cend(); ++it) {
      if (QAccessible::accessibleInterface(it.value()) == child)
        return it.key() <= Grid()->RowCount() ? it.key() - 1 : -1;
    }
    if (ListOpen() && child == QAccessible::queryAccessibleInterface(Grid()->DropDownList()))
      return Grid()->RowCount() + QAccessibleWidget::childCount();
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : Grid()->RowCount() + index;
  }
  QAccessibleInterface* focusChild() const override {
    if (ListOpen()) return QAccessible::queryAccessibleInterface(Grid()->DropDownList());
    if (Grid()->hasFocus() && Grid()->CurrentRow() > 0) return child(Grid()->CurrentRow() - 1);
    return QAccessibleWidget::focusChild();
  }

 private:
  TTessaranQueryGrid* Grid() const { return static_cast<TTessaranQueryGrid*>(widget()); }
  bool ListOpen() const { return Grid()->DropDownList()->isVisible(); }
  mutable QHash<int, QAccessible::Id> rows_;  // criterion row -> its registered interface
};

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<TTessaranQueryGrid*>(object)) return new AccessibleGrid(grid);
  // The list has no meta-object of its own (its class name is QWidget's).
  if (auto* list = dynamic_cast<TQueryDropDown*>(object)) return new AccessibleList(list);
  return nullptr;
}

}  // namespace

void InstallQueryGridAccessibility() {
  static const bool installed = (QAccessible::installFactory(&AccessibleFactory), true);
  (void)installed;
}

}  // namespace orlaventis
