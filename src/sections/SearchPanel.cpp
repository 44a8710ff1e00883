// TSearchPanel: the search over the whole work, laid over the section in front.
#include "sections/SearchPanel.h"

#include "controls/Accessible.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "database/ContentContract.h"
#include "database/TableDatabase.h"
#include "database/WorkSearch.h"
#include "sections/SectionSet.h"
#include "sections/SlideCycle.h"
#include "shell/ArchivePicture.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace orlaventis {
namespace {

constexpr int kThumbnailRows = 12;  // picture rows from the top that get a thumbnail
const QString kPrefix = QStringLiteral("MainForm");
const QColor kSilver(192, 192, 192);

// The panel's rectangle over a section form of any size: right of the menu column, below the
// title, in the section's proportions.
QRect PanelRect(const QWidget& section) {
  const QRect r = section.geometry();
  return QRect(r.x() + r.width() * 100 / 640, r.y() + r.height() * 62 / 480, r.width() * 520 / 640,
               r.height() * 400 / 480);
}

// A magnifying glass in the section's dark ink, drawn at `size` pixels.
QImage MagnifierGlyph(int size) {
  QImage glyph(size, size, QImage::Format_ARGB32_Premultiplied);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 0, 64), size / 8.0, Qt::SolidLine, Qt::RoundCap));
  painter.drawEllipse(QRectF(size * 0.15, size * 0.15, size * 0.45, size * 0.45));
  painter.setPen(QPen(QColor(0, 0, 64), size / 6.0, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(size * 0.56, size * 0.56), QPointF(size * 0.82, size * 0.82));
  return glyph;
}

SectionId SectionOf(SearchKind kind) {
  switch (kind) {
    case SearchKind::Picture: return SectionId::Catalog;
    case SearchKind::Topic: return SectionId::Production;
    case SearchKind::Paint: break;
  }
  return SectionId::EnamelAndFabrics;
}

}  // namespace

TSearchPanel::TSearchPanel(TSectionSet& sections)
    : QFrame(&sections.MainForm), sections_(sections), settings_(sections.MainForm.Settings()) {
  setObjectName(QStringLiteral("SearchPanel"));
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, kSilver);
  colours.setColor(QPalette::Base, Qt::black);
  colours.setColor(QPalette::Text, Qt::white);
  colours.setColor(QPalette::Highlight, QColor(0, 0, 128));
  colours.setColor(QPalette::HighlightedText, Qt::white);
  setPalette(colours);

  SearchEdit = new QLineEdit(this);
  SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
  SetControlColours(SearchEdit, Qt::white, Qt::black);
  SearchEdit->installEventFilter(this);
  ResultList = new QListWidget(this);
  ResultList->setObjectName(QStringLiteral("ResultList"));
  // The edit keeps the keyboard; the list follows its keys.
  ResultList->setFocusPolicy(Qt::NoFocus);
  ResultList->setFrameShape(QFrame::NoFrame);
  SetControlCursor(ResultList, kCursorHand);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(SearchEdit);
  layout->addWidget(ResultList);

  connect(SearchEdit, &QLineEdit::textChanged, this, &TSearchPanel::ShowResults);
  connect(ResultList, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { GoToResult(ResultList->row(item)); });
  // Screen readers hear each result as it becomes current, while the keyboard stays in the edit.
  // The first result of a new search comes with the counts of what was found.
  connect(ResultList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item == nullptr) return;
    const QString counts = std::exchange(newCounts_, QString());
    const QString text = item->data(Qt::AccessibleTextRole).toString();
    AnnounceName(ResultList, counts.isEmpty() ? text : counts + QStringLiteral(". ") + text);
  });
  hide();
}

void TSearchPanel::BuildIndex() {
  const TWaitCursor hourglass;
  index_ = std::make_unique<TSearchIndex>();
  const auto text = [this](int tag, const char* design) {
    return LookupText(settings_, tag, kPrefix, QString::fromUtf8(design));
  };
  headings_ = {text(300, "Foto's"), text(200, "Productie"), text(400, "Kleuren")};
  nothingFound_ = text(kNothingFoundTag, "Niets gevonden");
  const QString name = text(kSearchNameTag, "Zoeken");
  setAccessibleName(name);
  SearchEdit->setAccessibleName(name);
  ResultList->setAccessibleName(name);  // until a result is current
  SearchEdit->setPlaceholderText(text(kSearchPromptTag, "Typ een woord, jaartal of nummer"));

  const int language = settings_.LanguageId;
  TTessaranObject database(settings_.DatabasePasswordPrompt.get(), settings_.DatabaseFiles.get());
  const QString path = settings_.DataPath(content::CatalogueFile(language));
  if (database.Open(path, path, QString(), QString())) {
    AddCatalogueItems(*index_, database);
    TEnamelCascade cascade;
    if (cascade.Load(database) == TEnamelCascade::LoadResult::Ok)
      AddEnamelNames(*index_, cascade,
                     {text(4012, "Modeljaar"), text(4013, "Koetskleur"), text(4014, "Dakkleur"),
                      text(4015, "Bekledingsmateriaal"), text(4016, "Bekledingskleur")});
  }
  if (const std::optional<QString> outline =
          FindRecordText(sections_.MainForm.RecordFile(), content::ProductionContentsKey(language)))
    AddOutlineTopics(*index_, SplitTextLines(*outline));
  index_->Finish();
}

void TSearchPanel::Open(TSectionForm& section) {
  if (!index_) BuildIndex();
  if (over_ != &section) {
    if (over_) over_->removeEventFilter(this);
    over_ = &section;
    section.installEventFilter(this);
  }
  setGeometry(PanelRect(section));
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(9, section.height() * 12 / 480));
  setFont(font);
  ResultList->setIconSize(QSize(font.pixelSize() * 4, font.pixelSize() * 3));
  // Closing gives the keyboard back to the control that had it.
  if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && !isAncestorOf(focus))
    returnTo_ = focus;
  show();
  raise();
  SearchEdit->setFocus(Qt::ShortcutFocusReason);
  SearchEdit->selectAll();
}

void TSearchPanel::Close() {
  if (isHidden()) return;
  // The keyboard moves before the panel hides, which would hand it on to the next control.
  if (returnTo_ && returnTo_->isVisible() && over_ && over_->isAncestorOf(returnTo_))
    returnTo_->setFocus();
  else if (over_ && over_->isVisible())
    over_->setFocus();
  hide();
}

void TSearchPanel::ShowResults() {
  ++generation_;
  ResultList->clear();
  newCounts_.clear();
  if (!index_) return;
  const TSearchResult result = index_->Find(SearchEdit->text(), kShownPerKind);
  int kind = -1;
  for (const int32_t number : result.Entries) {
    const TSearchEntry& entry = index_->Entry(number);
    const QString& heading = headings_[static_cast<size_t>(entry.Kind)];
    if (static_cast<int>(entry.Kind) != kind) {
      kind = static_cast<int>(entry.Kind);
      auto* head = new QListWidgetItem(
          QStringLiteral("%1 (%2)").arg(heading).arg(result.Totals[static_cast<size_t>(kind)]),
          ResultList);
      head->setFlags(Qt::ItemIsEnabled);
      QFont bold = font();
      bold.setBold(true);
      head->setFont(bold);
      head->setForeground(kSilver);
      head->setData(Qt::AccessibleTextRole, head->text());
      newCounts_ += (newCounts_.isEmpty() ? QString() : QStringLiteral(", ")) + head->text();
    }
    const QString title = entry.Title.isEmpty() ? entry.Detail : entry.Title;
    const QString detail = entry.Title.isEmpty() ? QString() : entry.Detail;
    auto* item = new QListWidgetItem(
        detail.isEmpty() ? title : title + QStringLiteral("  —  ") + detail, ResultList);
    item->setData(Qt::UserRole, number);
    // A detail that only repeats the heading ("Production" under Production) is not said.
    item->setData(
        Qt::AccessibleTextRole,
        heading + QStringLiteral(": ") + title +
            (detail.isEmpty() || detail == heading ? QString() : QStringLiteral(", ") + detail));
  }
  if (result.Entries.empty() && !SearchWords(SearchEdit->text()).isEmpty()) {
    auto* none = new QListWidgetItem(nothingFound_, ResultList);
    none->setFlags(Qt::ItemIsEnabled);
    none->setData(Qt::AccessibleTextRole, nothingFound_);
    AnnounceName(ResultList, nothingFound_);
  }
  Step(1);
  ResultList->scrollToTop();
  QTimer::singleShot(0, this, [this, generation = generation_] { LoadThumbnails(generation); });
}

void TSearchPanel::LoadThumbnails(int generation) {
  if (isHidden() || generation != generation_) return;
  const QSize size = ResultList->iconSize();
  const auto sizeFor = [size](QSize whole) { return whole.scaled(size, Qt::KeepAspectRatio); };
  const QPointer<TSearchPanel> self(this);
  for (int row = 0, shown = 0; row < ResultList->count() && shown < kThumbnailRows; ++row) {
    QListWidgetItem* item = ResultList->item(row);
    const QVariant number = item->data(Qt::UserRole);
    if (!number.isValid() || index_->Entry(number.toInt()).Kind != SearchKind::Picture) continue;
    ++shown;
    const QString member = index_->Entry(number.toInt()).Key;
    auto cached = thumbnails_.constFind(member);
    if (cached == thumbnails_.constEnd()) {
      // Events run while the member inflates: the list may be refilled, the panel closed or
      // gone meanwhile, and then this round ends. The Catalog may unpack the same member
      // meanwhile: this one goes to a file name of its own.
      const QImage picture = LoadArchiveThumbnail(sections_.MainForm, PictureArchive::Photos,
                                                  member, QStringLiteral("search-") + member,
                                                  sizeFor);
      if (!self || generation != generation_ || isHidden()) return;
      if (thumbnails_.size() >= kThumbnailCache) thumbnails_.clear();
      cached = thumbnails_.insert(member,
                                  picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture)));
      item = ResultList->item(row);
    }
    item->setIcon(cached.value());
  }
}

void TSearchPanel::Step(int delta) {
  const int from = ResultList->currentRow();
  const int direction = delta > 0 ? 1 : -1;
  int target = from;
  for (int row = from + direction, moved = 0;
       row >= 0 && row < ResultList->count() && moved < std::abs(delta); row += direction) {
    if ((ResultList->item(row)->flags() & Qt::ItemIsSelectable) != 0) {
      target = row;
      ++moved;
    }
  }
  if (target < 0 || target == from) return;
  ResultList->setCurrentRow(target);
  ResultList->scrollToItem(ResultList->item(target));
}

void TSearchPanel::GoToResult(int row) {
  const QListWidgetItem* item = ResultList->item(row);
  if (item == nullptr || !index_ || !item->data(Qt::UserRole).isValid()) return;
  const TSearchEntry entry = index_->Entry(item->data(Qt::UserRole).toInt());
  const QPointer<QWidget> from = over_;
  returnTo_ = nullptr;  // the keyboard goes with the result
  Close();
  sections_.MainForm.GoTo(SectionOf(entry.Kind));
  TSectionForm* to = sections_.Form(SectionOf(entry.Kind));
  if (to == nullptr) return;
  // Before the section it came from closes, which would hand the keyboard on to that section's
  // hidden controls.
  to->setFocus();
  if (from && from != to) from->close();
  to->ShowSearchEntry(entry);
}

bool TSearchPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == over_ && event->type() == QEvent::Hide) hide();
  if (watched != SearchEdit || event->type() != QEvent::KeyPress)
    return QFrame::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const int page = std::max(
      1, ResultList->viewport()->height() / std::max(1, ResultList->sizeHintForRow(0)) - 1);
  switch (key->key()) {
    case Qt::Key_Up: Step(-1); return true;
    case Qt::Key_Down: Step(1); return true;
    case Qt::Key_PageUp: Step(-page); return true;
    case Qt::Key_PageDown: Step(page); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: GoToResult(ResultList->currentRow()); return true;
    case Qt::Key_Escape: Close(); return true;
    default: return QFrame::eventFilter(watched, event);
  }
}

void TSearchPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close();
    return;
  }
  QFrame::keyPressEvent(event);
}

void AddSearchButton(TSectionForm& form, TSectionSet& sections) {
  auto* button = new TBaseBtn(&form);
  button->setObjectName(QStringLiteral("SearchBtn"));
  button->setGeometry(56, 127, 26, 26);
  button->SetBrush(QColor(176, 200, 200));
  button->SetFaceWidth(0.9);
  button->SetFaceHeight(0.9);
  button->SetGlyphWidth(0.8);
  button->SetGlyphHeight(0.8);
  button->SetGlyphStretched(true);
  button->SetShadowColor(Qt::black);
  button->SetShadowXOffset(0.05);
  button->SetShadowYOffset(0.08);
  button->SetGlyphUp(MagnifierGlyph(64));
  SetTag(button, kSearchButtonTag);
  button->setProperty(kNameTagProperty, kSearchNameTag);
  button->setToolTip(QStringLiteral("Zoeken in het hele werk (Ctrl+F)"));
  SetControlCursor(button, kCursorHand);
  button->setFocusPolicy(Qt::TabFocus);
  button->OnClick = [&form, &sections](QObject*) { sections.OpenSearch(form); };
  // Whichever control of the main form's window has the keyboard (or none); only the visible
  // section's shortcuts are live. A text field keeps its "/" (it overrides the shortcut).
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_Slash)})
    new QShortcut(
        keys, &form, [&form, &sections] { sections.OpenSearch(form); }, Qt::WindowShortcut);
}

bool IsSearchKey(const QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  return (event->key() == Qt::Key_F && modifiers == Qt::ControlModifier) ||
         (event->text() == QLatin1String("/") &&
          (modifiers & (Qt::ControlModifier | Qt::AltModifier)) == 0);
}

}  // namespace orlaventis
