// TProductionForm: the Production section, with its topic outline, table and slides.
#include "sections/ProductionForm.h"

#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/Outline.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "controls/StringGrid.h"
#include "database/ContentContract.h"
#include "database/SearchIndex.h"
#include "sections/SlideCycle.h"
#include "shell/Translation.h"

#include <QLabel>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace orlaventis {
namespace {

constexpr int kMinColumnWidth = 10;  // narrowest table column
constexpr int kRowSpace = 5;         // font height + this = row height
constexpr int kTightRowSpace = 2;    // the least a table that would just not fit is given
constexpr int kTightPadding = 2;     // pixels either side of a text in such a table

constexpr int kTopicRightMargin = 2;  // kept free right of a topic's text

// The part of an outline line that is shown: the text after ">L=", or the whole line.
QString ShownText(const QString& line) {
  const std::optional<content::OutlineTopic> topic = content::ReadOutlineTopic(line);
  return topic ? topic->caption : line;
}

// Where and how a topic's text is drawn on a line of `lineWidth` pixels: top items and the
// selected one in bold.
struct TopicText {
  QFont font;
  int left = 0;  // from the line's left edge
  int room = 0;  // pixels available to the text
  QString text;  // the whole shown text
};

TopicText TopicTextOf(const TOutline& outline, int index, int lineWidth) {
  const TOutline::Item& item = outline.Items(index);
  TopicText topic{outline.font(), item.Level * TOutline::kIndent + 3, 0, ShownText(item.Text)};
  if (item.Level == 1 || index == outline.SelectedItem()) topic.font.setBold(true);
  topic.room = std::max(0, lineWidth - topic.left - kTopicRightMargin);
  return topic;
}

}  // namespace

TProductionForm::TProductionForm(TSectionSet& sections)
    : TSectionForm(SectionId::Production, sections) {
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
  slides_ = new TSlideCycle(Main(), SlidePicture, this);
}

void TProductionForm::CreateContent() {
  const QFont small = ArialFont(Scaled(9));

  ProductionLst = new TStringGrid(this);
  ProductionLst->setObjectName(QStringLiteral("ProductionLst"));
  ProductionLst->setProperty(kNameTagProperty, 2011);
  ProductionLst->setGeometry(ScaledDesignRect(QRect(130, 159, 255, 280), Settings().Layout()));
  ProductionLst->setFont(small);
  SetControlColours(ProductionLst, Qt::black, Qt::white);
  ProductionLst->SetFixedColor(QColor(128, 0, 0));

  ProductionContentLst = new TOutline(this);
  ProductionContentLst->setObjectName(QStringLiteral("ProductionContentLst"));
  ProductionContentLst->setProperty(kNameTagProperty, 2010);
  ProductionContentLst->setGeometry(
      ScaledDesignRect(QRect(435, 128, 175, 150), Settings().Layout()));
  ProductionContentLst->setFont(small);
  SetControlColours(ProductionContentLst, Qt::black, Qt::white);
  ProductionContentLst->SetItemHeight(Scaled(17));
  SetControlCursor(ProductionContentLst, kCursorHand);
  setTabOrder(ProductionContentLst, ProductionLst);  // by Tab the topics come before their table
  ProductionContentLst->OnDrawItem = [this](QPainter& painter, const QRect& rect) {
    ProductionContentLstDrawItem(painter, rect);
  };
  ProductionContentLst->OnClick = [this] { ProductionContentLstClick(); };
  ProductionContentLst->OnItemHint = [this](int index) { return ProductionContentLstHint(index); };
  // Screen readers hear an item as it is drawn, not its stored line.
  ProductionContentLst->OnItemName = [this](int index) {
    return ShownText(ProductionContentLst->Items(index).Text);
  };

  LoadContents();
  TSlideCycle::SetSlideEffects(*SlidePicture);
  slides_->Start();
}

void TProductionForm::LoadContents() {
  ProductionContentLst->Clear();
  ShowTable(QString(), QString(), nullptr);
  const std::optional<QString> topics =
      FindRecordText(Main().RecordFile(), content::ProductionContentsKey(Settings().LanguageId));
  if (topics) {
    ProductionContentLst->SetLines(SplitTextLines(*topics));
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
  if (selected > 0 && topic) {
    if (const std::optional<QString> table =
            FindRecordText(Main().RecordFile(), content::TopicKey(topic->key))) {
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
    grid.SetDefaultRowHeight(fontPixels + kRowSpace);
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
  if (rows != nullptr) FitTable();
}

void TProductionForm::FitTable() {
  TStringGrid& grid = *ProductionLst;
  const int rows = grid.RowCount();
  const int cols = grid.ColCount();
  // Every row has the default height; a grid line follows each row and column.
  const int roomH = grid.height();
  const int rowHeight = grid.RowHeights(0);
  // A table a few pixels too tall takes lower rows (down to kTightRowSpace) rather than a
  // scroll bar.
  if (rows * (rowHeight + 1) > roomH &&
      rows * (rowHeight - kRowSpace + kTightRowSpace + 1) <= roomH)
    grid.SetDefaultRowHeight(roomH / rows - 1);
  const bool tall = rows * (grid.RowHeights(0) + 1) > roomH;
  int excess = tall ? grid.verticalScrollBar()->sizeHint().width() - grid.width() : -grid.width();
  for (int c = 0; c < cols; ++c) excess += grid.ColWidths(c) + 1;
  // Likewise a table a little too wide narrows its padding (down to kTightPadding).
  const int spare = 2 * (grid.CellPadding() - kTightPadding);
  if (excess <= 0 || excess > cols * spare) return;
  for (int c = 0; c < cols && excess > 0; ++c) {
    const int cut = std::min({spare, excess, grid.ColWidths(c) - kMinColumnWidth});
    if (cut <= 0) continue;
    grid.SetColWidths(c, grid.ColWidths(c) - cut);
    excess -= cut;
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
    const int width = metrics.horizontalAdvance(cell) + 2 * grid.CellPadding();
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
    const int centre = item.Level * TOutline::kIndent + rect.left() - 5;
    GdiTextOut(painter, centre - painter.fontMetrics().horizontalAdvance(mark) / 2, rect.top(),
               mark);
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
  return QFontMetrics(topic.font, ProductionContentLst->viewport()).horizontalAdvance(topic.text) >
                 topic.room
             ? topic.text
             : QString();
}

void TProductionForm::TimerTimer() { slides_->TimerTimer(); }

int TProductionForm::PictureNumber() const { return slides_->PictureNumber(); }

void TProductionForm::ShowSearchEntry(const TSearchEntry& entry) {
  TOutline& outline = *ProductionContentLst;
  for (int parent = outline.Items(entry.Target).Parent; parent > 0;
       parent = outline.Items(parent).Parent)
    outline.SetExpanded(parent, true);
  outline.SetSelectedItem(entry.Target);
  ProductionContentLstClick();
  outline.setFocus(Qt::OtherFocusReason);
}

}  // namespace orlaventis
