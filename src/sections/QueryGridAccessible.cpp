// The query grid's accessibility: how screen readers see TTessaranQueryGrid and its rows.
#include "sections/QueryGridAccessible.h"

#include "sections/QueryGrid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

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
    const QString value = grid_->Criteria().CellText(
        row_, [](const QString&) { return 0; }, 1 << 30);
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
    s.focused = s.selected && grid_->hasFocus();
    return s;
  }

 private:
  QPointer<TTessaranQueryGrid> grid_;
  int row_;
};

// The grid for screen readers: a table of its criterion rows, then its child controls (the
// editor and the buttons). Row interfaces are made on demand and live as long as this one.
class AccessibleGrid final : public QAccessibleWidget {
 public:
  explicit AccessibleGrid(TTessaranQueryGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~AccessibleGrid() override {
    for (QAccessible::Id id : std::as_const(rows_)) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return Grid()->RowCount() + QAccessibleWidget::childCount(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0) return nullptr;
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
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : Grid()->RowCount() + index;
  }
  QAccessibleInterface* focusChild() const override {
    if (Grid()->hasFocus() && Grid()->CurrentRow() > 0) return child(Grid()->CurrentRow() - 1);
    return QAccessibleWidget::focusChild();
  }

 private:
  TTessaranQueryGrid* Grid() const { return static_cast<TTessaranQueryGrid*>(widget()); }
  mutable QHash<int, QAccessible::Id> rows_;  // criterion row -> its registered interface
};

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object) {
  auto* grid = qobject_cast<TTessaranQueryGrid*>(object);
  return grid != nullptr ? new AccessibleGrid(grid) : nullptr;
}

}  // namespace

void InstallQueryGridAccessibility() {
  static const bool installed = (QAccessible::installFactory(&AccessibleFactory), true);
  (void)installed;
}

}  // namespace orlaventis
