// TTessaranQueryGrid: the two-column grid in which the user narrows the picture catalogue.
#include "sections/QueryGrid.h"

#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/FocusMark.h"
#include "database/TableDatabase.h"
#include "sections/QueryGridAccessible.h"
#include "sections/QueryGridDropDown.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace orlaventis {

namespace {

constexpr int kDefaultLabelWidth = 64;  // the label column's width before labels widen it
constexpr int kTextInset = 2;

QIcon IconOf(const QImage& glyph) {
  return glyph.isNull() ? QIcon() : QIcon(QPixmap::fromImage(glyph));
}

}  // namespace

TQueryDropDown::TQueryDropDown(TTessaranQueryGrid* grid)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), grid_(grid) {
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->hide();
  QObject::connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int v) {
    top_ = v;
    update();
  });
}

void TQueryDropDown::Fill(std::vector<TDropDownLine> lines, int lineHeight) {
  lines_ = std::move(lines);
  expanded_.assign(lines_.size(), false);
  lineHeight_ = std::max(1, lineHeight);
  top_ = 0;
  marked_ = 0;
  Relayout();
}

bool TQueryDropDown::Checked(size_t line) const {
  const TQueryCriterion* c = grid_->criteria_.Criterion(grid_->currentRow_);
  return line < lines_.size() && c != nullptr && c->Relations &&
         c->Relations->Get(lines_[line].Flag);
}

bool TQueryDropDown::Nested() const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (HasChildren(i)) return true;
  return false;
}

std::vector<int> TQueryDropDown::Shown() const {
  std::vector<int> shown;
  int hiddenBelow = 0;  // lines deeper than this level are hidden (0: none)
  for (size_t i = 0; i < lines_.size(); ++i) {
    const int level = lines_[i].Level;
    if (hiddenBelow != 0 && level > hiddenBelow) continue;
    hiddenBelow = 0;
    shown.push_back(static_cast<int>(i));
    if (HasChildren(i) && !expanded_[i]) hiddenBelow = level;
  }
  return shown;
}

QRect TQueryDropDown::PositionRect(int position) const {
  const int y = (position - top_) * lineHeight_;
  if (position < top_ || y >= height()) return {};
  return QRect(0, y, width() - (scrollBar_->isHidden() ? 0 : scrollBar_->width()), lineHeight_);
}

void TQueryDropDown::RaiseFocus() {
  if (!isVisible() || !QAccessible::isActive() || Shown().empty()) return;
  QAccessibleEvent event(this, QAccessible::Focus);
  event.setChild(marked_);
  QAccessible::updateAccessibility(&event);
}

void TQueryDropDown::Relayout() {
  const int fit = std::max(1, height() / lineHeight_);
  const int count = static_cast<int>(Shown().size());
  const bool scroll = count > fit;
  scrollBar_->setVisible(scroll);
  if (scroll) {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scrollBar_->setGeometry(width() - w, 0, w, height());
    scrollBar_->setRange(0, count - fit);
  } else {
    scrollBar_->setRange(0, 0);
  }
  top_ = std::clamp(top_, 0, std::max(0, count - fit));
  update();
}

void TQueryDropDown::Unfold(size_t line, bool expand) {
  if (!HasChildren(line) || expanded_[line] == expand) return;
  expanded_[line] = expand;
  Relayout();
  if (!QAccessible::isActive()) return;
  const std::vector<int> shown = Shown();
  const auto at = std::find(shown.begin(), shown.end(), static_cast<int>(line));
  if (at == shown.end()) return;
  QAccessible::State changed;
  changed.expanded = true;
  QAccessibleStateChangeEvent event(this, changed);
  event.setChild(static_cast<int>(at - shown.begin()));
  QAccessible::updateAccessibility(&event);
}

void TQueryDropDown::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), grid_->Color);
  p.setPen(grid_->FontColor);
  p.setFont(grid_->font());
  const int w = Indent();
  const std::vector<int> shown = Shown();
  for (int k = top_; k < static_cast<int>(shown.size()); ++k) {
    const int y = (k - top_) * lineHeight_;
    if (y >= height()) break;
    const size_t i = static_cast<size_t>(shown[static_cast<size_t>(k)]);
    const TDropDownLine& line = lines_[i];
    const int level = line.Level;
    if (HasChildren(i)) {
      const QRect sign(w * (level - 1) + 2, y + 2, w - 5, lineHeight_ - 5);
      p.drawRect(sign);
      const int cy = sign.center().y();
      p.drawLine(sign.left() + 2, cy, sign.right() - 2, cy);
      if (!expanded_[i])
        p.drawLine(sign.center().x(), sign.top() + 2, sign.center().x(), sign.bottom() - 2);
    }
    const QRect check(w * level, y, w - 1, lineHeight_);
    const QImage& glyph = Checked(i) ? grid_->checkGlyph_ : grid_->uncheckGlyph_;
    if (!glyph.isNull()) {
      // Heights compared in logical pixels: a dense glyph keeps its device-pixel ratio.
      const qreal ratio = glyph.devicePixelRatio();
      QImage scaled = glyph.deviceIndependentSize().height() > lineHeight_
                          ? glyph.scaledToHeight(Rnd(lineHeight_ * ratio), Qt::SmoothTransformation)
                          : glyph;
      scaled.setDevicePixelRatio(ratio);
      p.drawImage(check.left(),
                  y + (lineHeight_ - Rnd(scaled.deviceIndependentSize().height())) / 2, scaled);
    }
    const QRect text(w * level + w + kTextInset, y, width() - (w * level + w + kTextInset),
                     lineHeight_);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, line.Text);
    if (k == marked_ && TFocusMark::KeyboardInUse(grid_))
      TFocusMark::Draw(p, QRect(0, y, width(), lineHeight_));
  }
}

void TQueryDropDown::keyPressEvent(QKeyEvent* event) {
  const std::vector<int> shown = Shown();
  const int key = event->key();
  const bool alt = (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
  if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F4 ||
      (alt && key == Qt::Key_Up)) {
    hide();
    return;
  }
  if (shown.empty()) return;
  marked_ = std::clamp(marked_, 0, static_cast<int>(shown.size()) - 1);
  const int was = marked_;
  const size_t line = static_cast<size_t>(shown[size_t(marked_)]);
  switch (key) {
    case Qt::Key_Up: marked_ = std::max(0, marked_ - 1); break;
    case Qt::Key_Down: marked_ = std::min(static_cast<int>(shown.size()) - 1, marked_ + 1); break;
    case Qt::Key_Space: grid_->DropDownLineClicked(static_cast<int>(line)); break;
    case Qt::Key_Right:
    case Qt::Key_Left: Unfold(line, key == Qt::Key_Right); break;
    default: QWidget::keyPressEvent(event); return;
  }
  // Keep the marked line in view.
  const int fit = std::max(1, height() / lineHeight_);
  if (marked_ < top_) scrollBar_->setValue(marked_);
  if (marked_ >= top_ + fit) scrollBar_->setValue(marked_ - fit + 1);
  update();
  if (marked_ != was) RaiseFocus();
}

void TQueryDropDown::mousePressEvent(QMouseEvent* event) {
  if (!rect().contains(event->position().toPoint())) {
    hide();  // a press outside the popup leaves the list
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const std::vector<int> shown = Shown();
  const int k = top_ + static_cast<int>(event->position().y()) / lineHeight_;
  if (k < 0 || k >= static_cast<int>(shown.size())) return;
  const size_t i = static_cast<size_t>(shown[static_cast<size_t>(k)]);
  const int x = static_cast<int>(event->position().x());
  const int w = Indent();
  const int level = lines_[i].Level;
  if (x > w * level && x < w * level + w - 2) {
    grid_->DropDownLineClicked(static_cast<int>(i));
    update();
  } else if (HasChildren(i) && x > w * (level - 1) && x < w * level - 2) {
    Unfold(i, !expanded_[i]);
  }
}

void TQueryDropDown::wheelEvent(QWheelEvent* event) {
  scrollBar_->setValue(scrollBar_->value() - event->angleDelta().y() / 120);
}

TTessaranQueryGrid::TTessaranQueryGrid(QWidget* parent)
    : QWidget(parent), defaultText_(kDefaultSelectAllText) {
  InstallQueryGridAccessibility();
  dropButton_ = new QToolButton(this);
  textButton_ = new QToolButton(this);
  for (QToolButton* b : {dropButton_, textButton_}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    b->hide();
  }
  connect(dropButton_, &QToolButton::clicked, this, [this] { ToggleDropDown(); });
  connect(textButton_, &QToolButton::clicked, this, [this] { OpenEditor(); });
  editor_ = new QLineEdit(this);
  editor_->setFrame(false);
  editor_->hide();
  editor_->installEventFilter(this);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo(v); });
  dropDown_ = std::make_unique<TQueryDropDown>(this);
  dropDown_->hide();
  setFocusPolicy(Qt::StrongFocus);
}

TTessaranQueryGrid::~TTessaranQueryGrid() = default;

QWidget* TTessaranQueryGrid::DropDownList() const { return dropDown_.get(); }

void TTessaranQueryGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::max(1, height);
  LayoutColumns();
}

void TTessaranQueryGrid::SetCheckmarkGlyph(const QImage& glyph) {
  if (!glyph.isNull()) checkGlyph_ = glyph;
}
void TTessaranQueryGrid::SetUnCheckmarkGlyph(const QImage& glyph) {
  if (!glyph.isNull()) uncheckGlyph_ = glyph;
}
void TTessaranQueryGrid::SetDropDownGlyph(const QImage& glyph) {
  if (glyph.isNull()) return;
  dropGlyph_ = glyph;
  dropButton_->setIcon(IconOf(glyph));
}
void TTessaranQueryGrid::SetTextGlyph(const QImage& glyph) {
  if (glyph.isNull()) return;
  textGlyph_ = glyph;
  textButton_->setIcon(IconOf(glyph));
}

bool TTessaranQueryGrid::LoadDefinition(TTessaranObject* database, const QString& dataTable,
                                        int visibleRows, const QString& definitionTable) {
  if (database == nullptr || dataTable.isEmpty() || definitionTable.isEmpty()) return false;
  ClearDefinition();
  if (!criteria_.LoadDefinition(database, dataTable, definitionTable)) {
    update();
    return false;
  }
  const QFontMetrics metrics(font());
  for (int row = 1; row <= criteria_.Count(); ++row)
    labelWidth_ =
        std::max(labelWidth_, metrics.horizontalAdvance(criteria_.Criterion(row)->Label) + 10);
  visibleRows_ = std::max(1, visibleRows);
  editor_->setFont(font());
  dropDown_->setFont(font());
  resize(width(), (rowHeight_ + 1) * std::min(criteria_.Count(), visibleRows_) + 2);
  spokenValues_.clear();
  for (int row = 1; row <= criteria_.Count(); ++row) spokenValues_.push_back(RowValueText(row));
  topRow_ = 1;
  LayoutColumns();
  SelectRow(1);
  return true;
}

void TTessaranQueryGrid::ClearDefinition() {
  CloseEditors();
  criteria_.ClearDefinition();
  spokenValues_.clear();
  currentRow_ = 0;
  topRow_ = 1;
  labelWidth_ = kDefaultLabelWidth;
  setToolTip(QString());
  LayoutColumns();
  update();
}

void TTessaranQueryGrid::ResetCriteria(int exceptedRow) {
  criteria_.ResetCriteria(exceptedRow);
  if (editorRow_ != 0 && editorRow_ != exceptedRow)
    editor_->setText(criteria_.SelectAllText(editorRow_));
  update();
  AnnounceRowChanges();
}

void TTessaranQueryGrid::CloseEditors() {
  editorRow_ = 0;  // first, so the editor's focus loss commits nothing
  editor_->hide();
  dropDown_->hide();
  dropButton_->hide();
  textButton_->hide();
}

void TTessaranQueryGrid::LayoutColumns() {
  const bool scroll = criteria_.Count() > visibleRows_;
  scrollBar_->setVisible(scroll);
  if (scroll) {
    const int w = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scrollBar_->setGeometry(width() - w, 0, w, height());
    QSignalBlocker block(scrollBar_);
    scrollBar_->setRange(1, criteria_.Count() - visibleRows_ + 1);
    scrollBar_->setValue(topRow_);
  }
}

QRect TTessaranQueryGrid::CellRect(int row) const {
  if (row < topRow_ || row >= topRow_ + visibleRows_ || row > criteria_.Count()) return {};
  // Asked of the bar itself, not of whether it shows: the grid may not be on screen yet.
  const int right = width() - (scrollBar_->isHidden() ? 0 : scrollBar_->width());
  const int y = (row - topRow_) * (rowHeight_ + 1);
  return QRect(labelWidth_ + 1, y, std::max(0, right - labelWidth_ - 1), rowHeight_);
}

int TTessaranQueryGrid::RowAt(int y) const {
  if (y < 0) return 0;
  const int row = topRow_ + y / (rowHeight_ + 1);
  if (y % (rowHeight_ + 1) >= rowHeight_) return 0;  // on a grid line
  return row >= 1 && row <= criteria_.Count() && row < topRow_ + visibleRows_ ? row : 0;
}

void TTessaranQueryGrid::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), FixedColor);
  p.setFont(font());
  const auto width = [this](const QString& text) {
    return QFontMetrics(font()).horizontalAdvance(text);
  };
  for (int row = topRow_; row <= criteria_.Count() && row < topRow_ + visibleRows_; ++row) {
    const QRect cell = CellRect(row);
    const QRect label(0, cell.top(), labelWidth_, rowHeight_);
    p.setPen(FixedFontColor);
    p.drawText(label.adjusted(kTextInset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               criteria_.Criterion(row)->Label);
    const bool current = row == currentRow_;
    p.fillRect(cell, current ? QColor(Qt::darkBlue) : Color);
    p.setPen(current ? QColor(Qt::white) : FontColor);
    // A summary too long for the room left of the button ends in an ellipsis.
    const QRect room = cell.adjusted(kTextInset, 0, -rowHeight_, 0);
    p.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(criteria_.CellText(row, width, cell.width()),
                                          Qt::ElideRight, room.width()));
  }
}

void TTessaranQueryGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const int row = RowAt(at.y());
  if (row == 0 || at.x() <= labelWidth_) return;  // only value cells can be selected
  if (row == currentRow_ && (dropButton_->isVisible() || textButton_->isVisible()))
    OpenCurrentRow();
  else
    SelectRow(row);
}

void TTessaranQueryGrid::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool plain = modifiers == Qt::NoModifier;
  if (plain && key == Qt::Key_Up) {
    if (currentRow_ > 1) SelectRow(currentRow_ - 1);
  } else if (plain && key == Qt::Key_Down) {
    if (currentRow_ < criteria_.Count()) SelectRow(currentRow_ + 1);
  } else if ((plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space ||
                        key == Qt::Key_F4)) ||
             (modifiers == Qt::AltModifier && key == Qt::Key_Down)) {
    if (event->isAutoRepeat()) return;
    OpenCurrentRow();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TTessaranQueryGrid::resizeEvent(QResizeEvent*) {
  LayoutColumns();
  PlaceButton();
}

void TTessaranQueryGrid::wheelEvent(QWheelEvent* event) {
  if (!scrollBar_->isVisible()) return;
  scrollBar_->setValue(scrollBar_->value() - event->angleDelta().y() / 120);
}

void TTessaranQueryGrid::ScrollTo(int topRow) {
  const int top = std::clamp(topRow, 1, std::max(1, criteria_.Count() - visibleRows_ + 1));
  if (top == topRow_) return;
  topRow_ = top;
  CommitEditor();  // as leaving the editor does
  CloseEditors();
  LayoutColumns();
  update();
}

void TTessaranQueryGrid::SelectRow(int row) {
  if (row < 1 || row > criteria_.Count()) return;
  if (editorRow_ != 0) CommitEditor();
  CloseEditors();
  currentRow_ = row;
  if (row < topRow_) ScrollTo(row);
  if (row >= topRow_ + visibleRows_) ScrollTo(row - visibleRows_ + 1);
  const QString hint = criteria_.Criterion(row)->Hint;
  setToolTip(hint);
  dropButton_->setToolTip(hint);
  textButton_->setToolTip(hint);
  editor_->setToolTip(hint);
  PlaceButton();
  update();
  if (hasFocus()) RaiseRowFocus();
}

QString TTessaranQueryGrid::RowValueText(int row) const {
  if (criteria_.Criterion(row) == nullptr) return {};
  return criteria_.CellText(
      row, [](const QString&) { return 0; }, 1 << 30);
}

void TTessaranQueryGrid::RaiseRowFocus() {
  rowFocusPending_ = false;
  if (currentRow_ < 1 || !QAccessible::isActive()) return;
  QAccessibleEvent moved(this, QAccessible::Focus);
  moved.setChild(currentRow_ - 1);
  QAccessible::updateAccessibility(&moved);
}

void TTessaranQueryGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  // Qt tells screen readers that the table has the focus after this handler (or, back from the
  // drop-down list, not at all); the current row follows it unless a row was named meanwhile.
  // The Catalog disables the grid while it reloads after a tick, which moves the focus away
  // and back with the list still open: then the marked line has it again.
  rowFocusPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!rowFocusPending_ || !hasFocus()) return;
        if (dropDown_->isVisible()) {
          rowFocusPending_ = false;
          dropDown_->RaiseFocus();
        } else {
          RaiseRowFocus();
        }
      },
      Qt::QueuedConnection);
}

void TTessaranQueryGrid::AnnounceRowChanges() {
  for (int row = 1; row <= criteria_.Count() && size_t(row) <= spokenValues_.size(); ++row) {
    QString value = RowValueText(row);
    if (value == spokenValues_[size_t(row - 1)]) continue;
    spokenValues_[size_t(row - 1)] = value;
    if (!QAccessible::isActive()) continue;
    // The row's name ("label: value") changed. No value-changed event: the desktop's bridge
    // carries one only for a numeric value or a list, and warns on stderr at every other.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    renamed.setChild(row - 1);
    QAccessible::updateAccessibility(&renamed);
  }
}

void TTessaranQueryGrid::PlaceButton() {
  const QRect cell = CellRect(currentRow_);
  const TQueryCriterion* c = criteria_.Criterion(currentRow_);
  if (c == nullptr || cell.isEmpty()) {
    dropButton_->hide();
    textButton_->hide();
    return;
  }
  QToolButton* shown = c->IsLinkList() ? dropButton_ : textButton_;
  QToolButton* other = c->IsLinkList() ? textButton_ : dropButton_;
  other->hide();
  shown->setGeometry(cell.right() - rowHeight_ + 1, cell.top(), rowHeight_, rowHeight_);
  shown->setIconSize(QSize(rowHeight_ - 2, rowHeight_ - 2));
  shown->show();
  shown->raise();
  if (editor_->isVisible())
    editor_->setGeometry(cell.left(), cell.top(), cell.width() - rowHeight_, rowHeight_);
}

void TTessaranQueryGrid::OpenCurrentRow() {
  const TQueryCriterion* c = criteria_.Criterion(currentRow_);
  if (c == nullptr) return;
  if (c->IsLinkList())
    ToggleDropDown();
  else
    OpenEditor();
}

void TTessaranQueryGrid::ToggleDropDown() {
  if (dropDown_->isVisible()) {
    dropDown_->hide();
    return;
  }
  const TQueryCriterion* c = criteria_.Criterion(currentRow_);
  const QRect cell = CellRect(currentRow_);
  if (c == nullptr || !c->IsLinkList() || cell.isEmpty()) return;
  {
    TWaitCursor busy;
    dropDown_->Fill(criteria_.DropDownLines(currentRow_), rowHeight_);
  }
  const QRect screenArea = screen() != nullptr ? screen()->geometry() : QRect(0, 0, 640, 480);
  const int listHeight = static_cast<int>(std::lround(screenArea.height() * 90.0 / 480.0));
  const QPoint below = mapToGlobal(QPoint(cell.left(), cell.bottom() + 1));
  const QPoint above = mapToGlobal(cell.topLeft()) - QPoint(0, listHeight);
  const QPoint at = below.y() + listHeight <= screenArea.bottom() + 1 ? below : above;
  dropDown_->setGeometry(QRect(at, QSize(cell.width(), listHeight)));
  dropDown_->show();
  dropDown_->raise();
  dropDown_->RaiseFocus();
}

void TTessaranQueryGrid::DropDownLineClicked(int line) {
  // A click may tick or untick many lines (a parent with its children, Select All): screen
  // readers hear each shown line whose tick changed, and the clicked line in any case (the one
  // they are on: a click on a line of an all-selected list keeps its tick and clears the rest).
  const std::vector<int> shown = dropDown_->Shown();
  std::vector<bool> was;
  for (int i : shown) was.push_back(dropDown_->Checked(static_cast<size_t>(i)));
  if (!criteria_.ClickLine(currentRow_, dropDown_->Lines(), line)) return;
  update();
  for (size_t k = 0; k < shown.size() && QAccessible::isActive(); ++k) {
    if (dropDown_->Checked(static_cast<size_t>(shown[k])) == was[k] && shown[k] != line) continue;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(dropDown_.get(), changed);
    event.setChild(static_cast<int>(k));
    QAccessible::updateAccessibility(&event);
  }
  RaiseChanged();
}

void TTessaranQueryGrid::OpenEditor() {
  const TQueryCriterion* c = criteria_.Criterion(currentRow_);
  const QRect cell = CellRect(currentRow_);
  if (c == nullptr || c->IsLinkList() || cell.isEmpty()) return;
  editorRow_ = currentRow_;
  editor_->setText(criteria_.CellText(
      currentRow_, [](const QString&) { return 0; }, cell.width()));
  editor_->setGeometry(cell.left(), cell.top(), cell.width() - rowHeight_, rowHeight_);
  editor_->show();
  editor_->raise();
  editor_->setFocus();
  editor_->selectAll();
}

void TTessaranQueryGrid::CommitEditor() {
  if (editorRow_ == 0 || committing_) return;
  committing_ = true;
  const auto result = criteria_.CommitText(editorRow_, editor_->text());
  editorRow_ = 0;
  // A commit by key leaves the focus on the grid, not on whatever control follows the editor.
  if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
  editor_->hide();
  committing_ = false;
  update();
  if (result.changed) RaiseChanged();
}

bool TTessaranQueryGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != editor_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusOut) {
    // Only leaving the editor within this window commits: the editor's own context menu or
    // another active window takes the focus for a while and gives it back.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) CommitEditor();
  } else if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int row = editorRow_;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && plain) {
      CommitEditor();
      return true;
    }
    if (key->key() == Qt::Key_Escape && plain) {
      editorRow_ = 0;  // first, so the editor's focus loss commits nothing
      setFocus(Qt::OtherFocusReason);
      editor_->hide();
      return true;
    }
    if (key->key() == Qt::Key_Up && row > 1) {
      CommitEditor();
      SelectRow(row - 1);
      return true;
    }
    if (key->key() == Qt::Key_Down && row >= 1 && row < criteria_.Count()) {
      CommitEditor();
      SelectRow(row + 1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TTessaranQueryGrid::RaiseChanged() {
  emit SelectionChanged();
  AnnounceRowChanges();
}

}  // namespace orlaventis
