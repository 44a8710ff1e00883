// TOutline: a tree of text items shown one per line, expanded and collapsed by mouse and keys.
#include "controls/Outline.h"

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/ItemAccessible.h"
#include "controls/PlainText.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <algorithm>

namespace orlaventis {

TOutline::TOutline(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  verticalScrollBar()->setSingleStep(1);
  InstallAccessibleControls();
}

const TOutline::Item& TOutline::Items(int index) const {
  static const Item kNone;
  return index >= 1 && index <= ItemCount() ? items_[size_t(index - 1)] : kNone;
}

void TOutline::Clear() {
  items_.clear();
  selected_ = 0;
  Relayout();
  AnnounceOutlineReset(*this);
}

void TOutline::SetLines(const QStringList& lines) {
  items_.clear();
  selected_ = 0;
  std::vector<int> lastAtLevel;  // item number of the latest item of each level
  for (const QString& line : lines) {
    qsizetype tabs = 0;
    while (tabs < line.size() && line.at(tabs) == QLatin1Char('\t')) ++tabs;
    const int previousLevel = items_.empty() ? 0 : items_.back().Level;
    Item item;
    item.Level = static_cast<int>(std::min<qsizetype>(tabs + 1, previousLevel + 1));
    item.Text = line.mid(tabs);
    item.Parent = item.Level > 1 ? lastAtLevel[size_t(item.Level - 2)] : 0;
    if (item.Parent > 0) items_[size_t(item.Parent - 1)].HasItems = true;
    items_.push_back(item);
    lastAtLevel.resize(size_t(item.Level));
    lastAtLevel[size_t(item.Level - 1)] = ItemCount();
  }
  Relayout();
  AnnounceOutlineReset(*this);
}

bool TOutline::Shown(int index) const {
  for (int parent = Items(index).Parent; parent > 0; parent = Items(parent).Parent) {
    if (!Items(parent).Expanded) return false;
  }
  return index >= 1 && index <= ItemCount();
}

void TOutline::SetSelectedItem(int index) {
  if (index < 1 || index > ItemCount()) return;
  Select(index);
  const int line = LineOf(index);
  if (line >= 0) {
    const int visible = VisibleLines();
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value()) bar->setValue(line);
    if (line >= bar->value() + visible) bar->setValue(line - visible + 1);
  }
  viewport()->update();
}

void TOutline::Select(int index) {
  const int previous = selected_;
  selected_ = index;
  if (previous != index) AnnounceOutlineSelection(*this, previous);
}

void TOutline::SetExpanded(int index, bool expanded) {
  if (index < 1 || index > ItemCount() || !Items(index).HasItems) return;
  std::vector<int> folded;
  if (Items(index).Expanded != expanded) folded.push_back(index);
  items_[size_t(index - 1)].Expanded = expanded;
  RelayoutFolded(folded);
  if (!expanded) {
    for (int parent = Items(selected_).Parent; parent > 0; parent = Items(parent).Parent) {
      if (parent == index) Select(index);
    }
  }
}

void TOutline::FullExpand() {
  std::vector<int> folded;
  for (int index = 1; index <= ItemCount(); ++index) {
    if (Items(index).HasItems && !Items(index).Expanded) folded.push_back(index);
  }
  for (Item& item : items_) item.Expanded = item.HasItems;
  RelayoutFolded(folded);
}

void TOutline::RelayoutFolded(const std::vector<int>& folded) {
  Relayout();
  for (const int index : folded) AnnounceOutlineFold(*this, index);
}

void TOutline::SetItemHeight(int height) {
  itemHeight_ = std::max(1, height);
  Relayout();
}

int TOutline::VisibleLines() const {
  // From the control's own size: the viewport is laid out only when the control is shown.
  return std::max(1, maximumViewportSize().height() / itemHeight_);
}

int TOutline::ItemOnLine(int line) const {
  return line >= 0 && line < static_cast<int>(lines_.size()) ? lines_[size_t(line)] : 0;
}

int TOutline::LineOf(int index) const {
  const auto at = std::find(lines_.begin(), lines_.end(), index);
  return at == lines_.end() ? -1 : static_cast<int>(at - lines_.begin());
}

int TOutline::GetItem(QPoint point) const {
  if (point.y() < 0) return 0;
  return ItemOnLine(verticalScrollBar()->value() + point.y() / itemHeight_);
}

void TOutline::Relayout() {
  lines_.clear();
  for (int index = 1; index <= ItemCount(); ++index) {
    if (Shown(index)) lines_.push_back(index);
  }
  const int visible = VisibleLines();
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, std::max(0, static_cast<int>(lines_.size()) - visible));
  bar->setPageStep(visible);
  viewport()->update();
}

void TOutline::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
}

void TOutline::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  // Qt announces the control itself once this returns; the selected item follows it.
  QTimer::singleShot(0, this, [this] {
    if (hasFocus()) AnnounceOutlineFocus(*this);
  });
}

void TOutline::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  const int first = verticalScrollBar()->value();
  for (int line = first; line < static_cast<int>(lines_.size()); ++line) {
    const QRect rect(0, (line - first) * itemHeight_, viewport()->width(), itemHeight_);
    if (rect.top() >= viewport()->height()) break;
    painter.save();
    if (OnDrawItem) {
      OnDrawItem(painter, rect);
    } else {
      painter.setPen(palette().color(QPalette::Text));
      GdiTextOut(painter, rect.left() + Items(lines_[size_t(line)]).Level * kIndent + 3, rect.top(),
                 Items(lines_[size_t(line)]).Text);
    }
    painter.restore();
    if (lines_[size_t(line)] == selected_ && hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = rect;
      focus.backgroundColor = palette().color(QPalette::Base);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }
}

bool TOutline::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QAbstractScrollArea::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int index = GetItem(help->pos());
  const QString hint = index > 0 && OnItemHint ? OnItemHint(index) : QString();
  ShowPlainHint(help->globalPos(), hint, viewport());
  return true;
}

void TOutline::SelectByUser(int index) {
  if (index < 1 || index > ItemCount()) return;
  SetSelectedItem(index);
  if (OnClick) OnClick();
}

void TOutline::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const int index = GetItem(event->position().toPoint());
  if (index == 0) return;
  const Item& item = Items(index);
  const int x = event->position().toPoint().x();
  // The "+" or "-" stands centred on level x 10 - 5, left of the text.
  if (item.HasItems && x >= (item.Level - 1) * kIndent && x < item.Level * kIndent + 3) {
    SetExpanded(index, !item.Expanded);
  }
  SelectByUser(index);
}

void TOutline::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int index = GetItem(event->position().toPoint());
  if (index > 0) SetExpanded(index, !Items(index).Expanded);
}

void TOutline::keyPressEvent(QKeyEvent* event) {
  const int line = LineOf(selected_);
  const int page = VisibleLines();
  const int last = static_cast<int>(lines_.size()) - 1;
  int target = -1;
  switch (event->key()) {
    case Qt::Key_Up: target = std::max(0, line - 1); break;
    case Qt::Key_Down: target = std::min(last, line + 1); break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = last; break;
    case Qt::Key_PageUp: target = std::max(0, line - page); break;
    case Qt::Key_PageDown: target = std::min(last, line < 0 ? page - 1 : line + page); break;
    case Qt::Key_Plus: SetExpanded(selected_, true); return;
    case Qt::Key_Minus: SetExpanded(selected_, false); return;
    case Qt::Key_Right:
      if (selected_ < 1) return;
      if (Items(selected_).HasItems && !Items(selected_).Expanded) {
        SetExpanded(selected_, true);
      } else if (Items(selected_).HasItems) {
        SelectByUser(selected_ + 1);  // children follow their parent in tree order
      }
      return;
    case Qt::Key_Left:
      if (selected_ < 1) return;
      if (Items(selected_).Expanded) {
        SetExpanded(selected_, false);
      } else if (Items(selected_).Parent > 0) {
        SelectByUser(Items(selected_).Parent);
      }
      return;
    case Qt::Key_Asterisk: {
      std::vector<int> folded;
      for (int index = selected_; index >= 1 && index <= ItemCount(); ++index) {
        if (index != selected_ && Items(index).Level <= Items(selected_).Level) break;
        if (Items(index).HasItems && !Items(index).Expanded) folded.push_back(index);
        if (Items(index).HasItems) items_[size_t(index - 1)].Expanded = true;
      }
      RelayoutFolded(folded);
      return;
    }
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  if (target >= 0 && ItemOnLine(target) != selected_) SelectByUser(ItemOnLine(target));
}

}  // namespace orlaventis
