// TThumbnailGrid: a page of pictures in a fixed grid of cells with a scroll bar for the whole list.
#include "sections/ThumbnailGrid.h"

#include "controls/Accessible.h"
#include "controls/Cursors.h"
#include "controls/ProportionalImage.h"

#include <QAccessible>
#include <QResizeEvent>
#include <QScrollBar>

#include <limits>

namespace orlaventis {
namespace {

constexpr char kThumbInfix[] = "_Thumb_";

// Screen readers see the grid as a list of its cells (the scroll bar after them).
QAccessibleInterface* AccessibleGrid(const QString&, QObject* object) {
  auto* grid = qobject_cast<TThumbnailGrid*>(object);
  return grid != nullptr ? NewAccessibleContainer(grid, QAccessible::List) : nullptr;
}

}  // namespace

TThumbnailGrid::TThumbnailGrid(QWidget* parent)
    : QWidget(parent), scrollBar_(new QScrollBar(Qt::Vertical, this)) {
  static const bool accessible = (QAccessible::installFactory(&AccessibleGrid), true);
  (void)accessible;
  // The keyboard stays on the grid, never on the scroll bar, whose arrow keys run against the
  // owner's (Right is the next picture wherever the keyboard is).
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  setPalette(colours);
  scrollBar_->setObjectName(QStringLiteral("ScrollBar"));
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  ResetScrollBar();
  connect(scrollBar_, &QScrollBar::actionTriggered, this, &TThumbnailGrid::ScrollBarAction);
  connect(scrollBar_, &QScrollBar::sliderMoved, this, &TThumbnailGrid::ScrollBarMoved);
  connect(scrollBar_, &QScrollBar::sliderReleased, this, &TThumbnailGrid::ScrollBarReleased);
  LayoutScrollBar();
}

TThumbnailGrid::~TThumbnailGrid() { scrollBar_->disconnect(this); }

void TThumbnailGrid::SetColCount(int32_t columns) {
  if (columns != colCount_) SetGridSize(columns, rowCount_);
}

void TThumbnailGrid::SetRowCount(int32_t rows) {
  if (rows != rowCount_) SetGridSize(colCount_, rows);
}

void TThumbnailGrid::SetSelectedColor(QColor colour) {
  selectedColor_ = colour;
  if (TProportionalImage* cell = Cell(selectedThumb_)) Recolour(cell, colour);
}

void TThumbnailGrid::SetUnSelectedColor(QColor colour) {
  unSelectedColor_ = colour;
  const QString selected = CellName(selectedThumb_);
  for (TProportionalImage* cell :
       findChildren<TProportionalImage*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (cell->objectName() != selected) Recolour(cell, colour);
  }
}

void TThumbnailGrid::SetScrollBarWidth(int width) {
  scrollBarWidth_ = std::max(0, width);
  LayoutScrollBar();
}

QString TThumbnailGrid::CellName(int32_t cell) const {
  return objectName() + QLatin1String(kThumbInfix) + QString::number(cell);
}

TProportionalImage* TThumbnailGrid::Cell(int32_t cell) const {
  if (cell < 1) return nullptr;
  return findChild<TProportionalImage*>(CellName(cell), Qt::FindDirectChildrenOnly);
}

void TThumbnailGrid::Recolour(TProportionalImage* cell, QColor colour) const {
  TBackground& background = cell->Background();
  if (background.Brush().style() != Qt::NoBrush) {
    QBrush brush = background.Brush();
    brush.setColor(colour);
    background.SetBrush(brush);
  }
  QPen pen = background.Pen();
  pen.setColor(colour);
  background.SetPen(pen);
}

void TThumbnailGrid::ResetScrollBar() {
  scrollBar_->setRange(0, 0);
  scrollBar_->setPageStep(1);
  scrollBar_->setValue(0);
}

void TThumbnailGrid::LayoutScrollBar() {
  scrollBar_->setGeometry(width() - scrollBarWidth_, 0, scrollBarWidth_, height());
}

void TThumbnailGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutScrollBar();
}

bool TThumbnailGrid::SetGridSize(int32_t columns, int32_t rows) {
  if (columns == colCount_ && rows == rowCount_) return false;
  const QList<TProportionalImage*> cells =
      findChildren<TProportionalImage*>(QString(), Qt::FindDirectChildrenOnly);
  for (qsizetype i = cells.size() - 1; i >= 0; --i) delete cells[i];

  if (columns < 1 || rows < 1) {
    colCount_ = 0;
    rowCount_ = 0;
    selectedThumb_ = 0;
    ResetScrollBar();
    topItem_ = 0;
    return true;
  }
  colCount_ = columns;
  rowCount_ = rows;
  selectedThumb_ = 1;

  // The scroll bar stands along the right edge, so the first column starts at the left edge.
  const int cellWidth = (width() - scrollBarWidth_) / columns;
  const int cellHeight = height() / rows;
  // Counts are not capped by the caller; cells beyond what fits in an int are never made.
  const int64_t total = int64_t(columns) * rows;
  if (total > std::numeric_limits<int32_t>::max()) return false;
  int x = 0;
  int y = 0;
  for (int32_t n = 1; n <= total; ++n) {
    auto* cell = new TProportionalImage(this);
    cell->setObjectName(CellName(n));
    cell->Background().SetBrush(QBrush(Qt::black));
    Recolour(cell, n == 1 ? selectedColor_ : unSelectedColor_);
    SetListItem(cell, n == 1);
    cell->setGeometry(x, y, cellWidth, cellHeight);
    cell->SetEffect(effect_);
    cell->SetEffects(effects_);
    cell->SetEffectSize(effectSize_);
    cell->SetEffectSpeed(effectSpeed_);
    cell->SetSx(thumbSx_);
    cell->SetSy(thumbSy_);
    cell->OnClick = [this](QObject* sender) { ThumbClick(sender); };
    cell->OnDblClick = OnDblClick;
    cell->OnMouseDown = OnMouseDown;
    cell->OnMouseMove = OnMouseMove;
    cell->OnMouseUp = OnMouseUp;
    if (ControlCursor(this) != 0) SetControlCursor(cell, ControlCursor(this));
    cell->show();
    cell->raise();
    if (n % columns == 0) {
      x = 0;
      y += cellHeight;
    } else {
      x += cellWidth;
    }
  }
  scrollBar_->raise();
  return true;
}

void TThumbnailGrid::SetItemRange(int32_t lowest, int32_t highest) {
  if (lowest > highest || colCount_ < 1 || rowCount_ < 1) return;
  const int neutral = highest < 0 ? -std::numeric_limits<int32_t>::max() : 0;
  scrollBar_->setRange(neutral, neutral);
  scrollBar_->setMaximum(highest);
  scrollBar_->setMinimum(lowest);
  scrollBar_->setPageStep(colCount_ * rowCount_);
  scrollBar_->setValue(lowest);
  topItem_ = lowest;
}

void TThumbnailGrid::SelectThumb(int32_t cell) {
  if (cell != selectedThumb_) {
    if (TProportionalImage* target = Cell(cell)) {
      Recolour(target, selectedColor_);
      SetListItem(target, true);
      if (TProportionalImage* previous = Cell(selectedThumb_)) {
        Recolour(previous, unSelectedColor_);
        SetListItem(previous, false);
      }
      selectedThumb_ = cell;
    }
  }
  scrollBar_->setValue(topItem_ - 1 + selectedThumb_);
}

void TThumbnailGrid::SetThumbPicture(int32_t cell, const QImage& picture) {
  TProportionalImage* target = Cell(cell);
  if (target == nullptr) return;
  // The same image data (the same cached picture) is not shown again.
  if (target->Image().cacheKey() == picture.cacheKey() &&
      target->Image().isNull() == picture.isNull())
    return;
  target->SetNewImage(true);
  target->SetImage(picture);
  if (!picture.isNull()) {
    SetControlCursor(target, canSelectCursor_);
  } else {
    // The grid's own cursor: its screen cursor when it has one, else whatever it inherits.
    SetControlCursor(target, ControlCursor(this));
    if (ControlCursor(this) == 0) target->unsetCursor();
  }
}

void TThumbnailGrid::SetThumbText(int32_t cell, const QString& text) {
  if (TProportionalImage* target = Cell(cell)) target->SetText(text);
}

QImage TThumbnailGrid::GetThumbPicture(int32_t cell) const {
  const TProportionalImage* target = Cell(cell);
  return target != nullptr ? target->Image() : QImage();
}

void TThumbnailGrid::ThumbClick(QObject* sender) {
  auto* cell = qobject_cast<TProportionalImage*>(sender);
  if (cell == nullptr || cell->parentWidget() != this) return;
  if (scrollBar_->isEnabled()) setFocus(Qt::MouseFocusReason);
  // The number follows the grid's own name and the infix, so a grid name that itself holds
  // "Thumb_" cannot mislead the parse.
  const QString prefix = objectName() + QLatin1String(kThumbInfix);
  const QString name = cell->objectName();
  bool ok = false;
  const int32_t number = name.startsWith(prefix) ? name.mid(prefix.size()).toInt(&ok) : 0;
  if (!ok || number < 1 || number == selectedThumb_ || Cell(number) == nullptr) return;
  emit ThumbSelected(topItem_ - 1 + number);
}

void TThumbnailGrid::ScrollBarAction(int action) {
  // A drag is reported by ScrollBarMoved and its end by ScrollBarReleased.
  if (action == QAbstractSlider::SliderNoAction) return;
  if (action == QAbstractSlider::SliderMove && scrollBar_->isSliderDown()) return;
  const int position = scrollBar_->sliderPosition();
  if (position != scrollBar_->value()) emit ThumbSelected(position);
}

void TThumbnailGrid::ScrollBarMoved(int position) {
  if (position != scrollBar_->value()) emit ScrollThumbTracked(position);
}

void TThumbnailGrid::ScrollBarReleased() { emit ThumbSelected(scrollBar_->sliderPosition()); }

void TThumbnailGrid::AnnounceSelection() {
  const int32_t item = topItem_ - 1 + selectedThumb_;
  if (!hasFocus() || item == announced_) return;
  announced_ = item;
  if (TProportionalImage* cell = Cell(selectedThumb_)) {
    QAccessibleEvent event(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
  }
}

void TThumbnailGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  // After the framework has announced the grid itself: then its chosen cell.
  announced_ = 0;
  QMetaObject::invokeMethod(this, &TThumbnailGrid::AnnounceSelection, Qt::QueuedConnection);
}

bool TThumbnailGrid::event(QEvent* event) {
  return RaiseMouseEvents(this, event) || QWidget::event(event);
}

}  // namespace orlaventis
