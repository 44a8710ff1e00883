// TProductionForm: the Production section, with its topic outline, table and slides; the
// outline and string grid controls it is built from.
#include "sections/ProductionForm.h"

#include "controls/GraphicControl.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "database/ContentContract.h"
#include "sections/SlideCycle.h"
#include "shell/Translation.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace orlaventis {
namespace {

constexpr int kIndent = 10;            // pixels per outline level
constexpr int kMinColumnWidth = 10;    // narrowest table column
constexpr int kCellPadding = 4;        // text width + this = column width
constexpr int kGridLineWidth = 1;      // the line after every column and row
const QColor kHighlight(0, 0, 128);    // the current cell

constexpr int kTopicRightMargin = 2;   // kept free right of a topic's text

// The part of an outline line that is shown: the text after ">L=", or the whole line.
QString ShownText(const QString& line) {
  const std::optional<content::OutlineTopic> topic = content::ReadOutlineTopic(line);
  return topic ? topic->caption : line;
}

// Where and how a topic's text is drawn on a line of `lineWidth` pixels: top items and the
// selected one in bold.
struct TopicText {
  QFont font;
  int left = 0;   // from the line's left edge
  int room = 0;   // pixels available to the text
  QString text;   // the whole shown text
};

TopicText TopicTextOf(const TOutline& outline, int index, int lineWidth) {
  const TOutline::Item& item = outline.Items(index);
  TopicText topic{outline.font(), item.Level * kIndent + 3, 0, ShownText(item.Text)};
  if (item.Level == 1 || index == outline.SelectedItem()) topic.font.setBold(true);
  topic.room = std::max(0, lineWidth - topic.left - kTopicRightMargin);
  return topic;
}

}  // namespace

// ---- TOutline -------------------------------------------------------------------------------

TOutline::TOutline(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  verticalScrollBar()->setSingleStep(1);
}

const TOutline::Item& TOutline::Items(int index) const {
  static const Item kNone;
  return index >= 1 && index <= ItemCount() ? items_[size_t(index - 1)] : kNone;
}

void TOutline::Clear() {
  items_.clear();
  selected_ = 0;
  Relayout();
}

void TOutline::SetText(const QString& text) {
  items_.clear();
  selected_ = 0;
  std::vector<int> lastAtLevel;  // item number of the latest item of each level
  for (const QString& line : SplitTextLines(text)) {
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
}

bool TOutline::Shown(int index) const {
  for (int parent = Items(index).Parent; parent > 0; parent = Items(parent).Parent) {
    if (!Items(parent).Expanded) return false;
  }
  return index >= 1 && index <= ItemCount();
}

void TOutline::SetSelectedItem(int index) {
  if (index < 1 || index > ItemCount()) return;
  selected_ = index;
  const int line = LineOf(index);
  if (line >= 0) {
    const int visible = VisibleLines();
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value()) bar->setValue(line);
    if (line >= bar->value() + visible) bar->setValue(line - visible + 1);
  }
  viewport()->update();
}

void TOutline::SetExpanded(int index, bool expanded) {
  if (index < 1 || index > ItemCount() || !Items(index).HasItems) return;
  items_[size_t(index - 1)].Expanded = expanded;
  if (!expanded) {
    for (int parent = Items(selected_).Parent; parent > 0; parent = Items(parent).Parent) {
      if (parent == index) selected_ = index;
    }
  }
  Relayout();
}

void TOutline::FullExpand() {
  for (Item& item : items_) item.Expanded = item.HasItems;
  Relayout();
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
    case Qt::Key_Asterisk:
      for (int index = selected_; index >= 1 && index <= ItemCount(); ++index) {
        if (index != selected_ && Items(index).Level <= Items(selected_).Level) break;
        if (Items(index).HasItems) items_[size_t(index - 1)].Expanded = true;
      }
      Relayout();
      return;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  if (target >= 0 && ItemOnLine(target) != selected_) SelectByUser(ItemOnLine(target));
}

// ---- TStringGrid ----------------------------------------------------------------------------

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
}

void TStringGrid::SetColCount(int count) {
  count = std::max(1, count);
  colWidths_.resize(size_t(count), defaultColWidth_);
  std::erase_if(cells_, [count](const auto& cell) { return cell.first.second >= count; });
  fixedCols_ = std::min(fixedCols_, count - 1);
  KeepCurrentInRange();
  Relayout();
}

void TStringGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) return;
  rowHeights_[size_t(row)] = std::max(0, height);
  Relayout();
}

void TStringGrid::SetRowCount(int count) {
  count = std::max(1, count);
  rowHeights_.resize(size_t(count), defaultRowHeight_);
  std::erase_if(cells_, [count](const auto& cell) { return cell.first.first >= count; });
  fixedRows_ = std::min(fixedRows_, count - 1);
  KeepCurrentInRange();
  Relayout();
}

void TStringGrid::SetFixedRows(int count) {
  fixedRows_ = std::clamp(count, 0, RowCount() - 1);
  KeepCurrentInRange();
  Relayout();
}

void TStringGrid::SetFixedCols(int count) {
  fixedCols_ = std::clamp(count, 0, ColCount() - 1);
  KeepCurrentInRange();
  Relayout();
}

void TStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(0, width);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  Relayout();
}

void TStringGrid::SetDefaultRowHeight(int height) {
  defaultRowHeight_ = std::max(0, height);
  std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
  Relayout();
}

int TStringGrid::ColWidths(int col) const {
  return col >= 0 && col < ColCount() ? colWidths_[size_t(col)] : 0;
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  colWidths_[size_t(col)] = std::max(0, width);
  Relayout();
}

int TStringGrid::RowHeights(int row) const {
  return row >= 0 && row < RowCount() ? rowHeights_[size_t(row)] : 0;
}

QString TStringGrid::Cells(int col, int row) const {
  const auto at = cells_.find({row, col});
  return at == cells_.end() ? QString() : at->second;
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return;
  if (text.isEmpty()) {
    cells_.erase({row, col});
  } else {
    cells_[{row, col}] = text;
  }
  viewport()->update();
}

void TStringGrid::ClearCells() {
  cells_.clear();
  viewport()->update();
}

void TStringGrid::SetFixedColor(const QColor& colour) {
  fixedColor_ = colour;
  viewport()->update();
}

void TStringGrid::KeepCurrentInRange() {
  col_ = std::clamp(col_, fixedCols_, ColCount() - 1);
  row_ = std::clamp(row_, fixedRows_, RowCount() - 1);
}

int TStringGrid::FixedWidth() const {
  int width = 0;
  for (int c = 0; c < fixedCols_; ++c) width += ColWidths(c) + kGridLineWidth;
  return width;
}

int TStringGrid::FixedHeight() const {
  int height = 0;
  for (int r = 0; r < fixedRows_; ++r) height += RowHeights(r) + kGridLineWidth;
  return height;
}

int TStringGrid::ColumnLeft(int col) const {
  int x = col < fixedCols_ ? 0 : FixedWidth() - horizontalScrollBar()->value();
  for (int c = col < fixedCols_ ? 0 : fixedCols_; c < col; ++c) x += ColWidths(c) + kGridLineWidth;
  return x;
}

int TStringGrid::RowTop(int row) const {
  int y = row < fixedRows_ ? 0 : FixedHeight() - verticalScrollBar()->value();
  for (int r = row < fixedRows_ ? 0 : fixedRows_; r < row; ++r) y += RowHeights(r) + kGridLineWidth;
  return y;
}

void TStringGrid::Relayout() {
  int width = 0;
  for (int c = fixedCols_; c < ColCount(); ++c) width += ColWidths(c) + kGridLineWidth;
  int height = 0;
  for (int r = fixedRows_; r < RowCount(); ++r) height += RowHeights(r) + kGridLineWidth;
  const QSize area = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, width - (area.width() - FixedWidth())));
  horizontalScrollBar()->setPageStep(std::max(1, area.width() - FixedWidth()));
  verticalScrollBar()->setRange(0, std::max(0, height - (area.height() - FixedHeight())));
  verticalScrollBar()->setPageStep(std::max(1, area.height() - FixedHeight()));
  viewport()->update();
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
}

void TStringGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  painter.setFont(font());
  const QColor text = palette().color(QPalette::Text);
  const int fixedW = FixedWidth();
  const int fixedH = FixedHeight();
  const QRect area = viewport()->rect();
  for (int r = 0; r < RowCount(); ++r) {
    const int top = RowTop(r);
    const int h = RowHeights(r);
    if (top >= area.height()) break;
    for (int c = 0; c < ColCount(); ++c) {
      const int left = ColumnLeft(c);
      const int w = ColWidths(c);
      if (left >= area.width()) break;
      const bool fixed = r < fixedRows_ || c < fixedCols_;
      // Scrolling cells never paint over the fixed rows and columns.
      QRect clip = area;
      if (r >= fixedRows_) clip.setTop(fixedH);
      if (c >= fixedCols_) clip.setLeft(fixedW);
      painter.setClipRect(clip);
      const QRect cell(left, top, w, h);
      if (fixed) {
        painter.fillRect(cell, fixedColor_);
        painter.fillRect(QRect(left + w, top, kGridLineWidth, h + kGridLineWidth), Qt::black);
        painter.fillRect(QRect(left, top + h, w + kGridLineWidth, kGridLineWidth), Qt::black);
      } else if (r == row_ && c == col_) {
        painter.fillRect(cell, kHighlight);
      }
      const QString value = Cells(c, r);
      if (!value.isEmpty() && w > 0 && h > 0) {
        painter.setClipRect(cell.intersected(clip));
        painter.setPen(text);
        GdiTextOut(painter, left + 2, top + 2, value);
      }
    }
  }
}

int TStringGrid::BorderAt(Qt::Orientation orientation, QPoint point) const {
  const bool columns = orientation == Qt::Horizontal;
  // The band across the borders: the fixed rows (columns), else the first row (column).
  const int across = columns ? point.y() : point.x();
  const int fixedAcross = columns ? FixedHeight() : FixedWidth();
  const int bandStart = fixedAcross > 0 ? 0 : columns ? RowTop(0) : ColumnLeft(0);
  const int bandEnd =
      fixedAcross > 0 ? fixedAcross : bandStart + (columns ? RowHeights(0) : ColWidths(0)) + kGridLineWidth;
  if (across < bandStart || across >= bandEnd) return -1;
  const int along = columns ? point.x() : point.y();
  const int fixedCount = columns ? fixedCols_ : fixedRows_;
  const int fixedAlong = columns ? FixedWidth() : FixedHeight();
  // From the last: a border shared with an empty column (row) grows that one again.
  for (int i = (columns ? ColCount() : RowCount()) - 1; i >= 0; --i) {
    const int end = columns ? ColumnLeft(i) + ColWidths(i) : RowTop(i) + RowHeights(i);
    if (i >= fixedCount && end < fixedAlong) continue;  // scrolled away under the fixed part
    if (std::abs(along - end) <= 2) return i;
  }
  return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  for (const Qt::Orientation axis : {Qt::Horizontal, Qt::Vertical}) {
    sizingIndex_ = BorderAt(axis, at);
    if (sizingIndex_ < 0) continue;
    sizingAxis_ = axis;
    sizingStart_ = axis == Qt::Horizontal ? at.x() : at.y();
    sizingStartSize_ = axis == Qt::Horizontal ? ColWidths(sizingIndex_) : RowHeights(sizingIndex_);
    return;
  }
  if (at.x() < FixedWidth() || at.y() < FixedHeight()) return;
  for (int r = fixedRows_; r < RowCount(); ++r) {
    if (at.y() < RowTop(r) || at.y() >= RowTop(r) + RowHeights(r) + kGridLineWidth) continue;
    for (int c = fixedCols_; c < ColCount(); ++c) {
      if (at.x() < ColumnLeft(c) || at.x() >= ColumnLeft(c) + ColWidths(c) + kGridLineWidth) continue;
      col_ = c;
      row_ = r;
      viewport()->update();
      return;
    }
  }
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (sizingIndex_ >= 0 && sizingAxis_ == Qt::Horizontal) {
    SetColWidths(sizingIndex_, sizingStartSize_ + at.x() - sizingStart_);
    return;
  }
  if (sizingIndex_ >= 0) {
    SetRowHeights(sizingIndex_, sizingStartSize_ + at.y() - sizingStart_);
    return;
  }
  viewport()->setCursor(BorderAt(Qt::Horizontal, at) >= 0 ? Qt::SplitHCursor
                        : BorderAt(Qt::Vertical, at) >= 0 ? Qt::SplitVCursor
                                                          : Qt::ArrowCursor);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent*) { sizingIndex_ = -1; }

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: --row_; break;
    case Qt::Key_Down: ++row_; break;
    case Qt::Key_Left: --col_; break;
    case Qt::Key_Right: ++col_; break;
    case Qt::Key_Home: col_ = fixedCols_; break;
    case Qt::Key_End: col_ = ColCount() - 1; break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
  KeepCurrentInRange();
  // Keep the current cell in view.
  const int top = RowTop(row_) + verticalScrollBar()->value() - FixedHeight();
  const int left = ColumnLeft(col_) + horizontalScrollBar()->value() - FixedWidth();
  const int roomH = viewport()->height() - FixedHeight();
  const int roomW = viewport()->width() - FixedWidth();
  QScrollBar* v = verticalScrollBar();
  if (top < v->value()) v->setValue(top);
  if (top + RowHeights(row_) > v->value() + roomH) v->setValue(top + RowHeights(row_) - roomH);
  QScrollBar* h = horizontalScrollBar();
  if (left < h->value()) h->setValue(left);
  if (left + ColWidths(col_) > h->value() + roomW) h->setValue(left + ColWidths(col_) - roomW);
  viewport()->update();
}

// ---- TProductionForm ------------------------------------------------------------------------

TProductionForm::TProductionForm(QWidget* parent) : TSectionForm(SectionId::Production, parent) {
  setObjectName(QStringLiteral("ProductionForm"));
}

void TProductionForm::CreateComponents() {
  const TitleLabels title =
      MakeTitleLabels(this, 2000, QStringLiteral("IDENTIFICATIE, DATERING EN PRODUCTIE"));
  HeaderLblBk = title.HeaderLblBk;
  HeaderLbl = title.HeaderLbl;

  ProductionLstHeader = NewPlainLabel(QString(), this);
  ProductionLstHeader->setObjectName(QStringLiteral("ProductionLstHeader"));
  ProductionLstHeader->setGeometry(130, 128, 255, 28);
  ProductionLstHeader->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  ProductionLstHeader->setWordWrap(true);

  SlidePicture = new TProportionalImage(this);
  SlidePicture->setObjectName(QStringLiteral("SlidePicture"));
  SlidePicture->setGeometry(435, 310, 175, 127);
  SlidePicture->Background().SetBrush(QBrush(Qt::black));
  SlidePicture->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
  slides_ = new TSlideCycle(SlidePicture, this);
}

void TProductionForm::CreateContent() {
  const QFont small = ArialFont(TSectionForm::Scaled(9));

  ProductionLst = new TStringGrid(this);
  ProductionLst->setObjectName(QStringLiteral("ProductionLst"));
  ProductionLst->setProperty(kNameTagProperty, 2011);
  ProductionLst->setGeometry(ScaledDesignRect(QRect(130, 159, 255, 280)));
  ProductionLst->setFont(small);
  SetControlColours(ProductionLst, Qt::black, Qt::white);
  ProductionLst->SetFixedColor(QColor(128, 0, 0));

  ProductionContentLst = new TOutline(this);
  ProductionContentLst->setObjectName(QStringLiteral("ProductionContentLst"));
  ProductionContentLst->setProperty(kNameTagProperty, 2010);
  ProductionContentLst->setGeometry(ScaledDesignRect(QRect(435, 128, 175, 150)));
  ProductionContentLst->setFont(small);
  SetControlColours(ProductionContentLst, Qt::black, Qt::white);
  ProductionContentLst->SetItemHeight(TSectionForm::Scaled(17));
  SetControlCursor(ProductionContentLst, kCursorHand);
  setTabOrder(ProductionContentLst, ProductionLst);  // by Tab the topics come before their table
  ProductionContentLst->OnDrawItem = [this](QPainter& painter, const QRect& rect) {
    ProductionContentLstDrawItem(painter, rect);
  };
  ProductionContentLst->OnClick = [this] { ProductionContentLstClick(); };
  ProductionContentLst->OnItemHint = [this](int index) { return ProductionContentLstHint(index); };

  LoadContents();
  TSlideCycle::SetSlideEffects(*SlidePicture);
  slides_->Start();
}

void TProductionForm::LoadContents() {
  ProductionContentLst->Clear();
  ShowTable(QString(), QString(), nullptr);
  TMainForm* main = MainForm();
  const std::optional<QString> topics = FindRecordText(
      main != nullptr ? main->RecordFile() : nullptr,
      content::ProductionContentsKey(LanguageId));
  if (topics) {
    ProductionContentLst->SetText(*topics);
    ProductionContentLst->FullExpand();
  }
  if (ProductionContentLst->ItemCount() >= 1) {
    // An outline of one line has no item 2: nothing is selected and the table stays empty.
    ProductionContentLst->SetSelectedItem(2);
    ProductionContentLstClick();
  }
}

void TProductionForm::ResetState() { LoadContents(); }

void TProductionForm::ProductionContentLstClick() {
  const int selected = ProductionContentLst->SelectedItem();
  const QString line = ProductionContentLst->Items(selected).Text;
  const std::optional<content::OutlineTopic> topic = content::ReadOutlineTopic(line);
  TMainForm* main = MainForm();
  if (selected > 0 && topic && main != nullptr) {
    if (const std::optional<QString> table =
            FindRecordText(main->RecordFile(), content::TopicKey(topic->key))) {
      const QStringList rows = SplitTextLines(*table);
      ShowTable(topic->caption, topic->columns, &rows);
      return;
    }
  }
  ShowTable(QString(), QString(), nullptr);
}

void TProductionForm::ShowTable(const QString& caption, const QString& columnCaptions,
                                const QStringList* rows) {
  TStringGrid& grid = *ProductionLst;
  // Cells of the previous table go in every case, so none of them can show in the new one.
  grid.ClearCells();
  if (rows != nullptr) {
    ProductionLstHeader->setText(caption);
    grid.SetColCount(1);
    grid.SetRowCount(2);
    grid.SetFixedCols(0);
    grid.SetFixedRows(1);
    grid.SetDefaultColWidth(0);
    const QFont& font = grid.font();
    const int fontPixels = font.pixelSize() > 0
                               ? font.pixelSize()
                               : Rnd(grid.logicalDpiY() * std::abs(font.pointSizeF()) / 72.0);
    grid.SetDefaultRowHeight(fontPixels + 5);
  } else {
    ProductionLstHeader->clear();
    grid.SetFixedRows(0);
    grid.SetFixedCols(0);
    grid.SetColCount(1);
    grid.SetRowCount(1);
    grid.SetDefaultColWidth(0);
    grid.SetDefaultRowHeight(0);
  }
  int row = 0;
  if (!columnCaptions.isEmpty()) SplitIntoRow(columnCaptions, row++);
  if (rows != nullptr) {
    for (const QString& line : *rows) {
      if (!line.isEmpty()) SplitIntoRow(line, row++);
    }
  }
  for (int c = 0; c < grid.ColCount(); ++c) {
    if (grid.ColWidths(c) < kMinColumnWidth) grid.SetColWidths(c, kMinColumnWidth);
  }
}

void TProductionForm::SplitIntoRow(QString text, int row) {
  TStringGrid& grid = *ProductionLst;
  const QFontMetrics metrics(grid.font());
  int col = 0;
  for (const QString& cell : content::ReadTableLine(text)) {
    if (grid.ColCount() < col + 1) grid.SetColCount(col + 1);
    if (grid.RowCount() < row + 1) grid.SetRowCount(row + 1);
    grid.SetCells(col, row, cell);
    const int width = metrics.horizontalAdvance(cell) + kCellPadding;
    if (width > grid.ColWidths(col)) grid.SetColWidths(col, width);
    ++col;
  }
  for (int c = col; c < grid.ColCount(); ++c) grid.SetCells(c, row, QString());
}

void TProductionForm::ProductionContentLstDrawItem(QPainter& painter, const QRect& rect) {
  TOutline& outline = *ProductionContentLst;
  const int index = outline.GetItem(rect.center());
  painter.fillRect(rect, outline.palette().color(QPalette::Base));
  if (index < 1 || index > outline.ItemCount()) return;
  const TOutline::Item& item = outline.Items(index);
  painter.setPen(outline.palette().color(QPalette::Text));
  painter.setFont(outline.font());
  if (item.HasItems) {
    const QString mark = item.Expanded ? QStringLiteral("-") : QStringLiteral("+");
    const int centre = item.Level * kIndent + rect.left() - 5;
    GdiTextOut(painter, centre - painter.fontMetrics().horizontalAdvance(mark) / 2, rect.top(), mark);
  }
  const TopicText topic = TopicTextOf(outline, index, rect.width());
  painter.setFont(topic.font);
  GdiTextOut(painter, rect.left() + topic.left, rect.top(),
             painter.fontMetrics().elidedText(topic.text, Qt::ElideRight, topic.room));
}

QString TProductionForm::ProductionContentLstHint(int index) const {
  const TOutline& outline = *ProductionContentLst;
  if (index < 1 || index > outline.ItemCount()) return QString();
  const TopicText topic = TopicTextOf(outline, index, outline.viewport()->width());
  return QFontMetrics(topic.font, ProductionContentLst->viewport()).horizontalAdvance(topic.text) > topic.room
             ? topic.text
             : QString();
}

void TProductionForm::TimerTimer() { slides_->TimerTimer(); }

int TProductionForm::PictureNumber() const { return slides_->PictureNumber(); }

void RegisterProductionForm() {
  SetSectionFactory(SectionId::Production,
                    [](QWidget* parent) -> TSectionForm* { return new TProductionForm(parent); });
}

}  // namespace orlaventis
