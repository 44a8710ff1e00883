// TCatalogForm: the Catalog section, a picture browser over the catalogue of the chosen language.
#include "sections/CatalogForm.h"

#include "controls/Accessible.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/Palette.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "controls/ThemeStyle.h"
#include "database/Catalog.h"
#include "database/ContentContract.h"
#include "database/FieldText.h"
#include "database/SearchIndex.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "sections/MaxZoomWindow.h"
#include "sections/QueryGrid.h"
#include "sections/SlideCycle.h"
#include "sections/ThumbnailGrid.h"
#include "shell/ArchivePicture.h"
#include "shell/Layout.h"
#include "shell/Translation.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QToolButton>

namespace orlaventis {
namespace {

constexpr QLatin1String kGroupsTable = content::kPictureGroupsTable;
constexpr QLatin1String kItemsTable = content::kPictureItemsTable;
constexpr QLatin1String kPropertiesTable = content::kPicturePropertiesTable;
constexpr QLatin1String kGroupColumn = content::kGroupColumn;
constexpr QLatin1String kHeaderColumn = content::kHeaderColumn;
constexpr QLatin1String kDescriptionColumn = content::kDescriptionColumn;
constexpr QLatin1String kItemNumberColumn = content::kItemNumberColumn;
constexpr int kVisibleQueryRows = 3;
constexpr int kDesignRowHeight = 15;
constexpr int kThumbColumns = 3;
constexpr int kThumbRows = 3;
constexpr int kThumbScrollBarWidth = 17;

QLabel* MakeLabel(QWidget* form, const char* name, int tag, const QString& text, const QRect& box,
                  Qt::Alignment alignment) {
  QLabel* label = NewPlainLabel(text, form);
  label->setObjectName(QString::fromLatin1(name));
  SetTag(label, tag);
  label->setGeometry(box);
  label->setAlignment(alignment);
  SetControlColours(label, Qt::black, Qt::white);
  return label;
}

// The text before the label's first blank with its blank ("van " of "van 12"); empty when it
// holds no blank.
QString PrefixWithBlank(const QString& text) {
  const qsizetype blank = text.indexOf(QLatin1Char(' '));
  return blank < 0 ? QString() : text.left(blank + 1);
}

// The size at which `control` shows a picture of a given full size.
PictureSizeRule ShownSize(const TProportionalImage& control) {
  const ProportionalRules rules{control.Sx(),         control.Sy(),       control.SxIsStatic(),
                                control.SyIsStatic(), control.StaticSx(), control.StaticSy()};
  // In device pixels: on a dense screen a thumbnail keeps the detail the screen can show.
  const qreal ratio = control.devicePixelRatioF();
  const QSize size = control.size();
  return [rules, size, ratio](QSize full) {
    return (QSizeF(ProportionalBox(size, full, rules).size()) * ratio).toSize();
  };
}

}  // namespace

// ---- TPictureCache ----

std::ptrdiff_t TPictureCache::IndexOf(const QString& name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].first.compare(name, Qt::CaseInsensitive) == 0)
      return static_cast<std::ptrdiff_t>(i);
  return -1;
}

QImage TPictureCache::Find(const QString& name) {
  const std::ptrdiff_t i = IndexOf(name);
  if (i < 0) return {};
  if (i > 0) std::rotate(entries_.begin(), entries_.begin() + i, entries_.begin() + i + 1);
  return entries_.front().second;
}

QImage TPictureCache::Peek(const QString& name) const {
  const std::ptrdiff_t i = IndexOf(name);
  return i < 0 ? QImage() : entries_[static_cast<size_t>(i)].second;
}

void TPictureCache::Insert(const QString& name, const QImage& picture) {
  if (picture.isNull()) return;
  entries_.insert(entries_.begin(), {name, picture});
  while (entries_.size() > static_cast<size_t>(kCapacity) ||
         (entries_.size() > 1 && Bytes() > kMaxBytes))
    entries_.pop_back();
}

qint64 TPictureCache::Bytes() const {
  qint64 bytes = 0;
  for (const auto& entry : entries_) bytes += entry.second.sizeInBytes();
  return bytes;
}

QStringList TPictureCache::Names() const {
  QStringList names;
  for (const auto& entry : entries_) names.append(entry.first);
  return names;
}

// ---- page placement ----

ThumbPagePlacement PlaceThumbPage(int32_t count, int32_t current, int32_t top, int32_t cells,
                                  ThumbPageMode mode) {
  if (count < 1) return {0, 1, mode};
  if (top < 1) top = 1;
  if (top > current) {
    top = current;
    mode = ThumbPageMode::MovedUp;
  } else if (current > top + cells - 1) {
    top = current - cells + 1;
    mode = ThumbPageMode::MovedDown;
  }
  return {top, current - top + 1, mode};
}

// ---- TCatalogForm ----

TCatalogForm::TCatalogForm(TSectionSet& sections) : TSectionForm(SectionId::Catalog, sections) {
  setObjectName(QStringLiteral("CatalogForm"));
}

TCatalogForm::~TCatalogForm() {
  // The query grid (a child, destroyed after this body) refers to the catalogue's database.
  if (TessaranQueryGrid != nullptr) TessaranQueryGrid->ClearDefinition();
  // Children lose the focus while they are torn down; this form must not hear of it.
  if (CurItemEdit != nullptr) CurItemEdit->removeEventFilter(this);
}

TBaseBtn* TCatalogForm::MakeStepButton(const char* name, int tag, const QRect& box,
                                       const QString& hint, const QString& glyphs) {
  auto* button = new TBaseBtn(this);
  button->setObjectName(QString::fromLatin1(name));
  SetTag(button, tag);
  button->setGeometry(box);
  button->setToolTip(hint);
  button->SetCaption(QString());
  button->SetFaceVisible(false);
  button->SetPen(QPen(Qt::NoPen));
  button->SetShadowColor(Qt::gray);
  // Icons in their own size, centred, their transparent ground showing the background's
  // film-strip boxes around the round plate.
  button->SetGlyphCentered(true);
  // A filled screen enlarges them with the form.
  const double scale = FillScale(Settings().Layout());
  auto icon = [&glyphs, scale](const char* look) {
    return LoadResourceBitmap(QStringLiteral(":/icons/%1%2.png").arg(glyphs, QLatin1String(look)),
                              scale);
  };
  button->SetGlyphUp(icon("Up"));
  button->SetGlyphDown(icon("Down"));
  button->SetGlyphDisabled(icon("Disabled"));
  SetControlCursor(button, kCursorHand);
  return button;
}

void TCatalogForm::CreateComponents() {
  SetTag(Bk, 3011);

  ShowSelectionBtn = new TBaseBtn(this);
  ShowSelectionBtn->setObjectName(QStringLiteral("ShowSelectionBtn"));
  ShowSelectionBtn->setProperty(kNameTagProperty, 3020);
  ShowSelectionBtn->setGeometry(123, 13, 279, 71);
  ShowSelectionBtn->SetCaption(QString());
  ShowSelectionBtn->SetFaceVisible(false);
  ShowSelectionBtn->SetBrush(QBrush(Qt::black));
  ShowSelectionBtn->SetGlyphStretched(true);
  ShowSelectionBtn->SetButtonIsDown(true);
  SetControlCursor(ShowSelectionBtn, kCursorHand);
  ShowSelectionBtn->OnClick = [this](QObject*) { ShowSelectionBtnClick(); };
  ShowSelectionBtn->setFocusPolicy(Qt::TabFocus);

  ResetSelectionsBtn = MakeStepButton("ResetSelectionsBtn", 3017, QRect(405, 66, 36, 15),
                                      QStringLiteral("Selectie herstellen"),
                                      QStringLiteral("Reset"));
  ResetSelectionsBtn->OnClick = [this](QObject*) { ResetSelectionsBtnClick(); };
  ResetSelectionsBtn->setFocusPolicy(Qt::TabFocus);

  Header = MakeLabel(this, "Header", 0, QString(), QRect(128, 130, 175, 39),
                     Qt::AlignHCenter | Qt::AlignTop);
  Header->setWordWrap(true);

  SelectedPictureThumb = new TProportionalImage(this);
  SelectedPictureThumb->setObjectName(QStringLiteral("SelectedPictureThumb"));
  SetTag(SelectedPictureThumb, 3010);
  SelectedPictureThumb->setGeometry(128, 176, 175, 115);
  SelectedPictureThumb->setToolTip(QStringLiteral("Klik of druk op Enter om de foto te vergroten"));
  SelectedPictureThumb->Background().SetBrush(QBrush(Qt::black));
  SelectedPictureThumb->Background().SetPen(QPen(Qt::black));
  SetControlCursor(SelectedPictureThumb, kCursorZoomIn);
  SelectedPictureThumb->OnClick = [this](QObject*) { SelectedPictureThumbClick(); };

  CurItemLbl = MakeLabel(this, "CurItemLbl", 3011, QStringLiteral("Foto"), QRect(384, 130, 69, 14),
                         Qt::AlignRight | Qt::AlignTop);

  CurItemEdit = new QLineEdit(this);
  CurItemEdit->setObjectName(QStringLiteral("CurItemEdit"));
  CurItemEdit->setGeometry(459, 130, 40, 14);
  SetTag(CurItemEdit, 3018);
  CurItemEdit->setToolTip(QStringLiteral("Geef een fotonummer op"));
  CurItemEdit->setFrame(false);
  CurItemEdit->setTextMargins(0, 0, 0, 0);
  CurItemEdit->setContentsMargins(0, 0, 0, 0);
  CurItemEdit->setAlignment(Qt::AlignRight);
  SetControlColours(CurItemEdit, Qt::white, Qt::black);
  CurItemEdit->installEventFilter(this);

  CurItemLbl->setBuddy(CurItemEdit);  // names the edit for screen readers

  // The total is a status line: readers say each new total. The language table holds no
  // sentence for the count, so the shown text is what is said.
  TotalItemsLbl = MakeLabel(this, "TotalItemsLbl", 3012, QString(), QRect(506, 130, 111, 14),
                            Qt::AlignLeft | Qt::AlignTop);
  SetLabelRole(TotalItemsLbl, QAccessible::StatusBar);
  TotalItemsLbl->setText(QStringLiteral("van "));

  PictureThumbs = new TThumbnailGrid(this);
  PictureThumbs->setObjectName(QStringLiteral("PictureThumbs"));
  PictureThumbs->setProperty(kNameTagProperty, 3025);
  PictureThumbs->setGeometry(356, 150, 261, 273);
  PictureThumbs->SetSelectedColor(QColor(TThumbnailGrid::kNavy));
  PictureThumbs->SetUnSelectedColor(Qt::black);
  PictureThumbs->SetCanSelectCursor(kCursorHand);
  connect(PictureThumbs, &TThumbnailGrid::ThumbSelected, &alive_,
          [this](int32_t item) { PictureThumbsSelectThumb(PictureThumbs, item); });

  FirstBtn = MakeStepButton("FirstBtn", 3013, QRect(400, 431, 32, 32),
                            QStringLiteral("Eerste foto"), QStringLiteral("First"));
  FirstBtn->OnClick = [this](QObject*) { FirstBtnClick(); };
  PreviousBtn = MakeStepButton("PreviousBtn", 3014, QRect(440, 431, 32, 32),
                               QStringLiteral("Vorige foto"), QStringLiteral("Previous"));
  PreviousBtn->OnClick = [this](QObject*) { PreviousBtnClick(); };
  NextBtn = MakeStepButton("NextBtn", 3015, QRect(500, 431, 32, 32),
                           QStringLiteral("Volgende foto"), QStringLiteral("Next"));
  NextBtn->OnClick = [this](QObject*) { NextBtnClick(); };
  LastBtn = MakeStepButton("LastBtn", 3016, QRect(540, 431, 32, 32), QStringLiteral("Laatste foto"),
                           QStringLiteral("Last"));
  LastBtn->OnClick = [this](QObject*) { LastBtnClick(); };
}

void TCatalogForm::CreateContent() {
  busy_ = false;

  // Made after the frame scaled the form: the grid lays out its own editor, buttons and
  // scroll bar.
  TessaranQueryGrid = new TTessaranQueryGrid(this);
  TessaranQueryGrid->setObjectName(QStringLiteral("TessaranQueryGrid"));
  TessaranQueryGrid->setProperty(kNameTagProperty, 3021);
  TessaranQueryGrid->DropDownButton()->setProperty(kNameTagProperty, 3022);
  TessaranQueryGrid->TextButton()->setProperty(kNameTagProperty, 3023);
  TessaranQueryGrid->setGeometry(ScaledDesignRect(QRect(138, 24, 253, 49), Settings().Layout()));
  TessaranQueryGrid->setFont(font());
  // The glyphs grow with the rows on a filled screen.
  const double glyphScale = FillScale(Settings().Layout());
  TessaranQueryGrid->SetCheckmarkGlyph(LoadResourceBitmap(QStringLiteral("Checked"), glyphScale));
  TessaranQueryGrid->SetDropDownGlyph(LoadResourceBitmap(QStringLiteral("DownArrow"), glyphScale));
  TessaranQueryGrid->SetTextGlyph(LoadResourceBitmap(QStringLiteral("TextButton"), glyphScale));
  TessaranQueryGrid->SetUnCheckmarkGlyph(
      LoadResourceBitmap(QStringLiteral("UnChecked"), glyphScale));
  connect(TessaranQueryGrid, &TTessaranQueryGrid::SelectionChanged, &alive_,
          [this] { PerformQuery(); });
  TessaranQueryGrid->show();
  // By Tab: the selection button, its grid, the reset button, then the number edit.
  setTabOrder(ShowSelectionBtn, TessaranQueryGrid);
  setTabOrder(TessaranQueryGrid, ResetSelectionsBtn);

  Description = new QPlainTextEdit(this);
  Description->setObjectName(QStringLiteral("Description"));
  Description->setProperty(kNameTagProperty, 3024);
  Description->setGeometry(ScaledDesignRect(QRect(128, 300, 175, 123), Settings().Layout()));
  Description->setReadOnly(true);
  // Read only, with a caret that keys (and screen readers) move by line and word.
  Description->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Description->setFrameShape(QFrame::NoFrame);
  Description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SetControlColours(Description, Qt::black, Qt::white);
  // A right click opens the empty menu, not an edit menu.
  Description->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Description, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { DumPopup->popup(Description->mapToGlobal(at)); });
  Description->show();

  pageMode_ = ThumbPageMode::MovedDown;
  pictureCache_.Clear();
  thumbnailCache_.Clear();
  // A protected catalogue asks the user, as every database does.
  catalog_ = std::make_unique<TCatalog>(Settings().DatabasePasswordPrompt.get(),
                                        Settings().DatabaseFiles.get());
  const QString catalogPath = Settings().DataPath(content::CatalogueFile(Settings().LanguageId));
  catalog_->Load(catalogPath, kGroupsTable, kItemsTable, kGroupColumn);
  QString problem = ProblemText(catalog_->Database->OpenProblem());
  if (problem.isEmpty() && !catalog_->Loaded && QFileInfo::exists(catalogPath))
    problem = AboutFile(QStringLiteral("The catalogue is damaged"), catalogPath);
  if (!problem.isEmpty()) Settings().Messages->Problem(problem);
  bool bound = false;
  if (catalog_->Loaded) {
    catalog_->GroupMode = false;
    const LayoutDesign design = DesignForLayoutMode(Settings().Layout());
    TessaranQueryGrid->SetDefaultRowHeight(
        Rnd(kDesignRowHeight * double(design.numerator) / design.denominator));
    bound = TessaranQueryGrid->LoadDefinition(catalog_->Database.get(), kItemsTable,
                                              kVisibleQueryRows, kPropertiesTable);
  }
  if (!bound) {
    TessaranQueryGrid->ClearDefinition();
    catalog_.reset();
  }

  if (catalog_) {
    SelectedPictureThumb->SetEffect(EffectStyle::esImplode);
    SelectedPictureThumb->SetEffects(true);
    SelectedPictureThumb->SetEffectSize(3);
    SelectedPictureThumb->SetEffectSpeed(3);
    SelectedPictureThumb->SetSx(95);
    SelectedPictureThumb->SetSy(95);
    PictureThumbs->SetThumbSx(95);
    PictureThumbs->SetThumbSy(95);
    PictureThumbs->SetScrollBarWidth(Rnd(kThumbScrollBarWidth * ThemeScale()));
    PictureThumbs->SetGridSize(kThumbColumns, kThumbRows);
    SetControlCursor(PictureThumbs->ScrollBar(), PictureThumbs->CanSelectCursor());
    ShowSelectionBtn->SetGlyphUp(LoadResourceBitmap(DisplayDepth() == 8 ? QStringLiteral("Door256")
                                                                        : QStringLiteral("Door")));
  }
  PerformQuery();
}

bool TCatalogForm::WantsBackground() const { return catalog_ != nullptr; }

void TCatalogForm::showEvent(QShowEvent* event) {
  TSectionForm::showEvent(event);
  // Translation replaces the labels' texts after creation; put the counts back behind them.
  ShowCounters(CurrentRecord() > 0);
}

void TCatalogForm::focusInEvent(QFocusEvent* event) {
  TSectionForm::focusInEvent(event);
  // The section's keyboard is the grid's, so that readers hear each picture it steps to.
  if (PictureThumbs != nullptr && PictureThumbs->isVisible()) PictureThumbs->setFocus();
}

void TCatalogForm::keyPressEvent(QKeyEvent* event) {
  if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    TSectionForm::keyPressEvent(event);
    return;
  }
  QScrollBar* scrollBar = PictureThumbs->ScrollBar();
  switch (event->key()) {
    case Qt::Key_Left: PreviousBtnClick(); break;
    case Qt::Key_Right: NextBtnClick(); break;
    case Qt::Key_Home: FirstBtnClick(); break;
    case Qt::Key_End: LastBtnClick(); break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // As a click beside the scroll bar's thumb, which a loading page makes impossible.
      if (scrollBar->isEnabled())
        scrollBar->triggerAction(event->key() == Qt::Key_PageUp
                                     ? QAbstractSlider::SliderPageStepSub
                                     : QAbstractSlider::SliderPageStepAdd);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->isAutoRepeat()) return;
      SelectedPictureThumbClick();
      break;
    default: TSectionForm::keyPressEvent(event); return;
  }
}

bool TCatalogForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CurItemEdit) {
    if (event->type() == QEvent::FocusOut) {
      CurGroupOrItemEditExit();
    } else if (event->type() == QEvent::KeyPress) {
      // Return enters the number (on its release, below) and must not reach the form, where
      // it would open the zoom.
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    } else if (event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers shifts =
          key->modifiers() &
          (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
      if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
          shifts == Qt::NoModifier) {
        CurGroupOrItemEditExit();
      }
    }
  }
  return TSectionForm::eventFilter(watched, event);
}

int32_t TCatalogForm::CurrentRecord() const {
  if (!catalog_) return 0;
  return catalog_->ItemAt(catalog_->CurrentGroup, catalog_->CurrentItem).Item;
}

void TCatalogForm::ShowCounters(bool hasRecord) {
  if (!catalog_ || !hasRecord) {
    CurItemEdit->setText(QStringLiteral("0"));
    const QString prefix = PrefixWithBlank(TotalItemsLbl->text());
    TotalItemsLbl->setText((prefix.isEmpty() ? prefix : prefix.chopped(1)) + QStringLiteral(" 0"));
  } else {
    CurItemEdit->setText(QString::number(catalog_->CurrentItem));
    TotalItemsLbl->setText(PrefixWithBlank(TotalItemsLbl->text()) +
                           QString::number(catalog_->ItemCount));
  }
  // Screen readers hear the position as the labels show it ("Picture 3 of 12"): a change of the
  // picture's name is announced, after its title so that the name comes with its own
  // description. Each thumbnail is named by its number.
  const int32_t record = hasRecord ? CurrentRecord() : 0;
  SetPictureTitle(SelectedPictureThumb, record > 0 ? catalog_->Database->GetValueAsText(
                                                         kItemsTable, kHeaderColumn, record)
                                                   : QString());
  AnnounceName(SelectedPictureThumb, CurItemLbl->text() + QLatin1Char(' ') + CurItemEdit->text() +
                                         QLatin1Char(' ') + TotalItemsLbl->text());
  const int32_t cells = PictureThumbs->ColCount() * PictureThumbs->RowCount();
  for (int32_t cell = 1; cell <= cells; ++cell) {
    const int32_t item = PictureThumbs->TopItem() - 1 + cell;
    const bool shown = catalog_ && hasRecord && item >= 1 && item <= catalog_->ItemCount;
    AnnounceName(PictureThumbs->Cell(cell),
                 shown ? CurItemLbl->text() + QLatin1Char(' ') + QString::number(item) : QString());
  }
  PictureThumbs->AnnounceSelection();
}

void TCatalogForm::PerformQuery() {
  if (busy_) {
    // A row edit committed while a page loads (the grid loses the focus when it is disabled):
    // run the query once the page is complete instead of loading a second page inside the first.
    queryPending_ = true;
    return;
  }
  if (catalog_) {
    TWaitCursor hourglass;
    catalog_->RecomputeSelection(&TessaranQueryGrid->Criteria());
    TessaranQueryGrid->update();  // a text criterion shows in capitals after matching
  }
  pageMode_ = ThumbPageMode::MovedDown;
  Update();
}

void TCatalogForm::Update() {
  const int32_t record = PlaceCurrentItem();
  ShowCounters(record > 0);
  if (!ShowPicture(record)) return;
  pageMode_ = ThumbPageMode::MovedDown;
  EnableSteps();
}

int32_t TCatalogForm::PlaceCurrentItem() {
  if (!catalog_) return 0;
  const int32_t cells = PictureThumbs->ColCount() * PictureThumbs->RowCount();
  const ThumbPagePlacement place = PlaceThumbPage(catalog_->ItemCount, catalog_->CurrentItem,
                                                  PictureThumbs->TopItem(), cells, pageMode_);
  const bool any = catalog_->ItemCount >= 1;
  PictureThumbs->SetItemRange(any ? 1 : 0, any ? catalog_->ItemCount : 0);
  PictureThumbs->SetTopItem(place.top);
  pageMode_ = place.mode;
  PictureThumbs->SelectThumb(place.cell);
  return any ? CurrentRecord() : 0;
}

bool TCatalogForm::ShowPicture(int32_t record) {
  const QPointer<TCatalogForm> self(this);
  if (record == 0) {
    if (catalog_) {
      PictureThumbs->SetItemRange(0, 0);
      PictureThumbs->SelectThumb(1);
      LoadThumbnailPage(ThumbPageMode::MovedDown);
      if (!self) return false;
    }
    SelectedPictureThumb->SetImage(QImage());
    SetPictureTitle(SelectedPictureThumb, QString());
    Header->clear();
    Description->clear();
    return true;
  }
  if (pageMode_ != ThumbPageMode::Valid) LoadThumbnailPage(pageMode_);
  if (!self) return false;
  // A thumbnail picked while the page loaded moved the position: show what is current now.
  record = CurrentRecord();
  ShowCounters(record > 0);
  // The cell holds a thumbnail; the picture beside it is the whole one (a cell without a
  // picture has none to show, and its failure was reported already).
  QImage current;
  if (record > 0 && !PictureThumbs->GetThumbPicture(PictureThumbs->SelectedThumb()).isNull()) {
    // Events run while it unpacks: input meets Busy, and a picked thumbnail shows itself.
    const bool wasBusy = busy_;
    busy_ = true;
    current = GetCachedPicture(
        catalog_->Database->GetValueAsText(kItemsTable, kItemNumberColumn, record));
    if (!self) return false;
    busy_ = wasBusy;
    if (!busy_ && queryPending_) {
      queryPending_ = false;
      QMetaObject::invokeMethod(this, &TCatalogForm::PerformQuery, Qt::QueuedConnection);
    }
    if (CurrentRecord() != record) return false;  // a nested Update showed the newer position
  }
  SelectedPictureThumb->SetImage(current);
  TTessaranObject* database = catalog_->Database.get();
  Header->setText(database->GetValueAsText(kItemsTable, kHeaderColumn, record));
  SetPictureTitle(SelectedPictureThumb, Header->text());
  Description->setPlainText(
      SplitTextLines(database->GetValueAsText(kItemsTable, kDescriptionColumn, record))
          .join(QLatin1Char('\n')));
  return true;
}

void TCatalogForm::EnableSteps() {
  const bool hasCatalog = catalog_ != nullptr;
  const int32_t current = hasCatalog ? catalog_->CurrentItem : 0;
  const int32_t count = hasCatalog ? catalog_->ItemCount : 0;
  ShowSelectionBtn->setEnabled(hasCatalog);
  ResetSelectionsBtn->setEnabled(hasCatalog);
  FirstBtn->setEnabled(current > 1);
  PreviousBtn->setEnabled(current > 1);
  NextBtn->setEnabled(current < count);
  LastBtn->setEnabled(current < count);
  const bool counters = hasCatalog && !catalog_->GroupMode;
  CurItemLbl->setEnabled(counters);
  CurItemEdit->setEnabled(counters);
  TotalItemsLbl->setEnabled(counters);
}

void TCatalogForm::LoadThumbnailPage(ThumbPageMode direction) {
  const QPointer<TCatalogForm> self(this);
  TWaitCursor hourglass;
  busy_ = true;
  QScrollBar* scrollBar = PictureThumbs->ScrollBar();
  const bool gridHadFocus = TessaranQueryGrid->hasFocus();
  scrollBar->setEnabled(false);
  TessaranQueryGrid->setEnabled(false);

  const int32_t cells = PictureThumbs->ColCount() * PictureThumbs->RowCount();
  for (int32_t step = 0; step < cells; ++step) {
    const int32_t cell = direction == ThumbPageMode::MovedUp ? cells - step : step + 1;
    const int32_t record =
        catalog_
            ? catalog_->ItemAt(catalog_->CurrentGroup, PictureThumbs->TopItem() - 1 + cell).Item
            : 0;
    QImage picture;
    if (record > 0) {
      picture = GetCachedThumbnail(
          catalog_->Database->GetValueAsText(kItemsTable, kItemNumberColumn, record));
      if (!self) return;
    }
    PictureThumbs->SetThumbPicture(cell, picture);
    PictureThumbs->SetThumbText(cell, QString());
    SetPictureTitle(PictureThumbs->Cell(cell), record > 0 ? catalog_->Database->GetValueAsText(
                                                                kItemsTable, kHeaderColumn, record)
                                                          : QString());
    // The page fills visibly, cell by cell; input that arrives meanwhile meets Busy.
    QCoreApplication::processEvents();
    if (!self) return;
  }

  TessaranQueryGrid->setEnabled(true);
  scrollBar->setEnabled(true);
  // A query committed from the grid by key: the grid keeps the focus it had.
  if (gridHadFocus && TessaranQueryGrid->isVisible()) TessaranQueryGrid->setFocus();
  EndBusy();
}

void TCatalogForm::EndBusy() {
  busy_ = false;
  if (!queryPending_) return;
  queryPending_ = false;
  // Queued: the caller may be in the middle of Update.
  QMetaObject::invokeMethod(this, &TCatalogForm::PerformQuery, Qt::QueuedConnection);
}

QImage TCatalogForm::GetCachedPicture(const QString& name) {
  QImage picture = pictureCache_.Find(name);
  if (!picture.isNull()) return picture;
  // Member names come from the database (a name that is no plain file name is never written);
  // events run while the member inflates, so this form may be gone afterwards.
  const QPointer<TCatalogForm> self(this);
  picture = LoadArchivePicture(Main(), PictureArchive::Photos, name, name);
  if (!self) return {};
  // Kept as large as it is ever drawn (the zoom window fills at most the screen, in device
  // pixels), not larger.
  const QSize screen = (QSizeF(ScreenSize()) * devicePixelRatioF()).toSize();
  if (picture.width() > screen.width() || picture.height() > screen.height())
    picture = picture.scaled(screen, Qt::KeepAspectRatio,
                             picture.colorCount() > 0 ? Qt::FastTransformation
                                                      : Qt::SmoothTransformation);
  pictureCache_.Insert(name, picture);
  return picture;
}

QImage TCatalogForm::GetCachedThumbnail(const QString& name) {
  QImage picture = thumbnailCache_.Find(name);
  if (!picture.isNull()) return picture;
  const TProportionalImage* cell = PictureThumbs->Cell(1);
  if (cell == nullptr) return {};
  const PictureSizeRule sizeFor = ShownSize(*cell);
  const QImage whole = pictureCache_.Find(name);
  if (!whole.isNull()) {
    const QSize size = sizeFor(whole.size());
    picture = size.isEmpty() || size.width() >= whole.width() || size.height() >= whole.height()
                  ? whole
                  : whole.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else {
    // As GetCachedPicture: events run while the member inflates.
    const QPointer<TCatalogForm> self(this);
    picture = LoadArchiveThumbnail(Main(), PictureArchive::Photos, name, name, sizeFor);
    if (!self) return {};
  }
  thumbnailCache_.Insert(name, picture);
  return picture;
}

void TCatalogForm::Step(int32_t selectedIndex) {
  if (!catalog_ || busy_) return;
  if (!catalog_->SetPosition(catalog_->CurrentGroup, selectedIndex)) return;
  pageMode_ = ThumbPageMode::Valid;
  Update();
}

void TCatalogForm::FirstBtnClick() { Step(1); }

void TCatalogForm::PreviousBtnClick() {
  if (catalog_) Step(catalog_->CurrentItem - 1);
}

void TCatalogForm::NextBtnClick() {
  if (catalog_) Step(catalog_->CurrentItem + 1);
}

void TCatalogForm::LastBtnClick() {
  if (catalog_) Step(catalog_->ItemCount);
}

void TCatalogForm::PictureThumbsSelectThumb(QObject*, int32_t item) {
  if (!catalog_) return;
  if (!catalog_->SetPosition(catalog_->CurrentGroup, item)) return;
  pageMode_ = ThumbPageMode::Valid;
  Update();
}

void TCatalogForm::CurGroupOrItemEditExit() {
  if (!catalog_ || busy_) return;
  const std::optional<int64_t> typed = TextToInteger(CurItemEdit->text());
  const int64_t number = typed ? *typed : catalog_->CurrentItem;
  if (number >= 1 && number <= catalog_->ItemCount &&
      catalog_->SetPosition(catalog_->CurrentGroup, static_cast<int32_t>(number))) {
    Update();
    return;
  }
  // A refused number does not stay in the edit: it shows the current one again.
  ShowCounters(CurrentRecord() > 0);
}

void TCatalogForm::ResetSelectionsBtnClick() {
  if (!catalog_ || busy_) return;
  TessaranQueryGrid->ResetCriteria(0);
  TessaranQueryGrid->update();
  PerformQuery();
}

void TCatalogForm::ResetState() {
  if (!catalog_) return;
  TessaranQueryGrid->CloseEditors();
  if (!busy_ && TessaranQueryGrid->isHidden()) ShowSelectionBtnClick();
  TessaranQueryGrid->ResetCriteria(0);
  TessaranQueryGrid->update();
  PerformQuery();
}

void TCatalogForm::ShowRecord(int32_t record) {
  if (!catalog_ || busy_) return;
  if (catalog_->SelectedIndexOf(record) == 0) {
    TessaranQueryGrid->CloseEditors();
    TessaranQueryGrid->ResetCriteria(0);
    TessaranQueryGrid->update();
    catalog_->RecomputeSelection(&TessaranQueryGrid->Criteria());
  }
  catalog_->SetPosition(catalog_->CurrentGroup, catalog_->SelectedIndexOf(record));
  pageMode_ = ThumbPageMode::MovedDown;
  Update();
}

void TCatalogForm::ShowSelectionBtnClick() {
  if (catalog_ && !busy_ && TessaranQueryGrid->isHidden()) {
    ShowSelectionBtn->SetButtonIsDown(true);
    TessaranQueryGrid->show();
    // By Tab: the selection button, its grid, the reset button, then the number edit.
    setTabOrder(ShowSelectionBtn, TessaranQueryGrid);
    setTabOrder(TessaranQueryGrid, ResetSelectionsBtn);
    ResetSelectionsBtn->show();
    return;
  }
  ShowSelectionBtn->SetButtonIsDown(false);
  TessaranQueryGrid->CloseEditors();
  TessaranQueryGrid->hide();
  ResetSelectionsBtn->hide();
}

void TCatalogForm::SelectedPictureThumbClick() {
  if (!catalog_ || busy_) return;
  const int32_t record = CurrentRecord();
  if (record == 0) return;
  QImage picture;
  {
    const QPointer<TCatalogForm> self(this);
    TWaitCursor hourglass;
    // Unpacking lets events run: no step or page load may start in the middle of it.
    busy_ = true;
    picture = GetCachedPicture(
        catalog_->Database->GetValueAsText(kItemsTable, kItemNumberColumn, record));
    if (!self) return;
    EndBusy();
  }
  if (!picture.isNull())
    Sections().ShowMaxZoom(picture, SelectedPictureThumb->accessibleName(), Header->text());
}

void TCatalogForm::ShowSearchEntry(const TSearchEntry& entry) { ShowRecord(entry.Target); }

}  // namespace orlaventis
