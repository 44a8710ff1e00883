// The frame every content section shares: sizing, menu column, background, navigation, keys.
#include "sections/SectionForm.h"

#include "controls/Accessible.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/FocusMark.h"
#include "controls/Palette.h"
#include "controls/Resources.h"
#include "database/ContentContract.h"
#include "media/PictureDecoder.h"
#include "sections/SearchPanel.h"
#include "sections/SectionSet.h"
#include "sections/SlideCycle.h"
#include "shell/AboutBox.h"
#include "shell/Layout.h"
#include "shell/Translation.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace orlaventis {
namespace {

struct MenuEntry {
  int tag;
  const char* caption;  // the Dutch design text
  QRect box;            // design position
};

constexpr std::array<MenuEntry, 6> kMenuColumn = {{
    {100, "Introductie", QRect(5, 230, 80, 25)},
    {200, "Productie", QRect(5, 260, 80, 25)},
    {300, "Foto's", QRect(5, 290, 80, 25)},
    {400, "Kleuren", QRect(5, 320, 80, 25)},
    {500, "Help", QRect(5, 350, 80, 25)},
    {600, "Stoppen", QRect(5, 410, 80, 25)},
}};

constexpr int kDesignFontPixels = 11;  // Arial 8 point at 96 dots per inch

size_t Index(SectionId section) { return static_cast<size_t>(section); }

QFont Arial(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  return font;
}

QFont ScaledFont(QFont font, const ScreenLayout& mode) {
  if (font.pixelSize() > 0) {
    font.setPixelSize(std::max(1, ScaleForLayout(font.pixelSize(), mode)));
  } else if (font.pointSizeF() > 0) {
    const LayoutDesign design = DesignForLayoutMode(mode);
    font.setPointSizeF(font.pointSizeF() * design.numerator / design.denominator);
  }
  return font;
}

}  // namespace

QString BackgroundPrefix(SectionId section) {
  switch (section) {
    case SectionId::Introduction: return content::kIntroductionBackground;
    case SectionId::Production: return content::kProductionBackground;
    case SectionId::Catalog: return content::kCatalogBackground;
    case SectionId::EnamelAndFabrics: return content::kEnamelBackground;
  }
  return {};
}

int TSectionForm::Scaled(int designValue) const {
  return ScaleForLayout(designValue, settings_.Layout());
}

namespace {
// Screen readers see a section form as a panel (named as its menu button), without its
// decorative copies (the title's shadow).
QAccessibleInterface* AccessibleForm(const QString&, QObject* object) {
  auto* form = qobject_cast<TSectionForm*>(object);
  return form != nullptr ? NewAccessibleContainer(form, QAccessible::Pane) : nullptr;
}
}  // namespace

TSectionForm::TSectionForm(SectionId section, TSectionSet& sections)
    : QWidget(&sections.MainForm),
      section_(section),
      sections_(sections),
      settings_(sections.MainForm.Settings()) {
  static const bool accessible = (QAccessible::installFactory(&AccessibleForm), true);
  (void)accessible;
  setObjectName(QStringLiteral("SectionForm"));
  setProperty(kFormProperty, true);
  setWindowTitle(QStringLiteral("Orlaventis"));
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  setFont(Arial(kDesignFontPixels));
  setGeometry(0, 0, 640, 480);
  SetControlCursor(this, kCursorHandNoFingers);
  InitResources();
  hide();

  Bk = new TBkControl(this);
  Bk->setObjectName(QStringLiteral("Bk"));
  Bk->setGeometry(rect());
  Bk->Background().SetBrush(Qt::NoBrush);
  // Backgrounds exist for the three design sizes; a filled screen stretches the largest.
  Bk->Background().SetImageDrawStyle(settings_.Layout().Filling() ? TImageDrawStyle::idsStretch
                                                                  : TImageDrawStyle::idsTopLeft);

  for (size_t i = 0; i < MenuBtn.size(); ++i) {
    const MenuEntry& entry = kMenuColumn[i];
    auto* button = new TBaseBtn(this);
    button->setObjectName(QStringLiteral("MenuBtn%1").arg(i + 1));
    SetTag(button, entry.tag);
    button->setGeometry(entry.box);
    button->SetCaption(QString::fromUtf8(entry.caption));
    button->SetBrush(QColor(Qt::gray));
    button->SetPen(QPen(QColor(192, 192, 192), 1, Qt::NoPen));
    button->SetCaptionPenColor(QColor(192, 192, 192));
    button->SetCaptionPenVisible(true);
    button->SetCaptionXOffset(0.1);
    button->SetCaptionYOffset(0.125);
    button->SetCaptionXRound(15);
    button->SetCaptionYRound(15);
    button->SetFaceWidth(0.95);
    button->SetFaceHeight(0.7);
    button->SetFaceVisible(false);
    button->SetGlyphWidth(0.95);
    button->SetGlyphHeight(0.75);
    button->SetGlyphStretched(true);
    button->SetFont(TFont{Arial(kDesignFontPixels), Qt::black});
    button->SetShadowColor(Qt::black);
    button->SetShadowXOffset(0.03);
    button->SetShadowYOffset(0.08);
    SetControlCursor(button, kCursorHand);
    button->OnClick = [this](QObject* sender) { MenuButtonClick(sender); };
    button->setFocusPolicy(Qt::TabFocus);  // a click leaves the focus where it is
    MenuBtn[i] = button;
  }

  InfoBtn = new TBaseBtn(this);
  InfoBtn->setObjectName(QStringLiteral("InfoBtn"));
  InfoBtn->setGeometry(7, 157, 75, 45);
  InfoBtn->SetBrush(QColor(176, 200, 200));
  InfoBtn->SetCaptionXOffset(0.45);
  InfoBtn->SetCaptionYOffset(0.05);
  InfoBtn->SetCaptionXRound(2);
  InfoBtn->SetCaptionYRound(2);
  InfoBtn->SetFaceWidth(0.9);
  InfoBtn->SetFaceHeight(0.9);
  InfoBtn->SetGlyphWidth(1.0);
  InfoBtn->SetGlyphHeight(1.0);
  InfoBtn->SetGlyphStretched(false);
  InfoBtn->SetShadowColor(Qt::black);
  InfoBtn->SetShadowXOffset(0.02);
  InfoBtn->SetShadowYOffset(0.05);
  SetTag(InfoBtn, 700);
  InfoBtn->setToolTip(QStringLiteral("Over Orlaventis"));
  SetControlCursor(InfoBtn, kCursorHand);
  InfoBtn->OnClick = [this](QObject*) { InfoBtnClick(); };
  InfoBtn->setFocusPolicy(Qt::TabFocus);
  AddSearchButton(*this, sections_);

  DumPopup = new QMenu(this);
  DumPopup->setObjectName(QStringLiteral("DumPopup"));
  DumPopup->addAction(QString());
  FocusMark = new TFocusMark(this);
}

TSectionForm::~TSectionForm() { formCreated_ = false; }

void TSectionForm::FormCreate() {
  if (formCreated_) return;
  CreateComponents();
  // The hourglass over the whole program: this form is still hidden while it is built, so only
  // the application's cursor shows over the visible main form and the section being left.
  const TWaitCursor hourglass;
  MenuBtn[Index(section_)]->SetButtonIsDown(true);
  // An unattended program is not ended from its menu and never hands a visitor the browser.
  if (settings_.KioskMinutes > 0) {
    MenuBtn[4]->hide();
    MenuBtn[5]->hide();
  }
  ScaleToLayout();
  LoadButtonGlyphs();
  CreateContent();
  if (WantsBackground()) LoadBackground();
  formCreated_ = true;
}

void TSectionForm::ScaleToLayout() {
  const ScreenLayout mode = settings_.Layout();
  const LayoutDesign design = DesignForLayoutMode(mode);
  // Every control below the form, nested ones relative to their parent, fonts included.
  if (design.numerator != design.denominator) {
    for (QWidget* child : findChildren<QWidget*>()) {
      if (child->isWindow()) continue;
      child->setGeometry(ScaledDesignRect(child->geometry(), mode));
      if (child->testAttribute(Qt::WA_SetFont)) child->setFont(ScaledFont(child->font(), mode));
      if (auto* button = qobject_cast<TBaseBtn*>(child)) {
        TFont font = button->Font();
        font.Font = ScaledFont(font.Font, mode);
        button->SetFont(font);
      }
    }
    setFont(ScaledFont(font(), mode));
  }
  resize(design.formSize);
  Bk->setGeometry(rect());
  const QWidget* main = parentWidget();
  const QSize area = main != nullptr ? main->size() : design.formSize;
  move((area.width() - width()) / 2, (area.height() - height()) / 2);
}

void TSectionForm::LoadButtonGlyphs() {
  const bool palette = DisplayDepth() < 9;
  const double scale = FillScale(settings_.Layout());
  // The Info tile's artwork is drawn for each design size to fill the tile's face exactly.
  InfoBtn->SetGlyphUp(LoadResourceBitmap(
      QStringLiteral("InfoGlyph") + DesignForLayoutMode(settings_.Layout()).suffix, scale));
  const QImage down =
      LoadResourceBitmap(palette ? QStringLiteral("BUTDOWN256") : QStringLiteral("BUTDOWN"), scale);
  const QImage up =
      LoadResourceBitmap(palette ? QStringLiteral("BUTUP256") : QStringLiteral("BUTUP"), scale);
  for (TBaseBtn* button : MenuBtn) {
    button->SetGlyphDown(down);
    button->SetGlyphUp(up);
    if (palette && !KeepsGlyphsOnPaletteDisplays()) {
      // Plain faces with captions on palette displays.
      button->SetGlyphDown(QImage());
      button->SetGlyphUp(QImage());
      button->SetFaceVisible(true);
      QPen pen = button->Pen();
      pen.setStyle(Qt::SolidLine);
      button->SetPen(pen);
    }
    button->update();
  }
}

void TSectionForm::LoadBackground() {
  TPMultiImage& decoder = Main().anImage();
  decoder.SetImageName(QString());
  const QString name = settings_.DataPath(content::kBackgroundFolder + BackgroundPrefix(section_) +
                                          DesignForLayoutMode(settings_.Layout()).suffix);
  // A missing file leaves the background empty; anything else there that cannot be read is
  // reported by the decoder.
  decoder.SetImageName(name);
  Bk->Background().SetImage(decoder.Picture());
  decoder.SetImageName(QString());
}

std::array<TBaseBtn*, 7> TSectionForm::MenuColumn() const {
  return {InfoBtn, MenuBtn[0], MenuBtn[1], MenuBtn[2], MenuBtn[3], MenuBtn[4], MenuBtn[5]};
}

int TSectionForm::FocusedInColumn() const {
  const std::array<TBaseBtn*, 7> column = MenuColumn();
  const auto found = std::find(column.begin(), column.end(), QApplication::focusWidget());
  return found == column.end() ? -1 : static_cast<int>(found - column.begin());
}

void TSectionForm::MenuButtonClick(QObject* sender) {
  if (!MenuEnabled() || sections_.Building()) return;
  for (size_t i = 0; i < 4; ++i) {
    if (sender != MenuBtn[i]) continue;
    const SectionId target = kSectionOrder[i];
    if (target == section_) return;  // the own button changes nothing
    const bool fromColumn = FocusedInColumn() >= 0 && TFocusMark::KeyboardInUse(this);
    Main().GoTo(target);  // the target shows before this form hides
    // A keyboard user working in the menu column goes on there, on the new section's button.
    if (TSectionForm* shown = sections_.Form(target); shown != nullptr && fromColumn)
      shown->MenuBtn[i]->setFocus(Qt::TabFocusReason);
    close();
    return;
  }
  if (sender == MenuBtn[4]) {
    Main().OpenInBrowser(HelpAddress(settings_));
  } else if (sender == MenuBtn[5]) {
    Main().close();
  }
}

void TSectionForm::InfoBtnClick() { Main().OpenAboutBox(); }

void TSectionForm::keyPressEvent(QKeyEvent* event) {
  if (IsAltF4(event)) {
    Main().close();
    return;
  }
  const int key = event->key();
  if (IsSearchKey(event)) {
    sections_.OpenSearch(*this);
  } else if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QWidget::keyPressEvent(event);
  } else if (key >= Qt::Key_1 && key <= Qt::Key_4) {
    MenuButtonClick(MenuBtn[size_t(key - Qt::Key_1)]);
  } else if (key == Qt::Key_F1) {
    MenuButtonClick(MenuBtn[4]);
  } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
    const std::array<TBaseBtn*, 7> column = MenuColumn();
    const int at = FocusedInColumn();
    const QWidget* focus = QApplication::focusWidget();
    if (at < 0 && focus != nullptr && focus != this) {
      QWidget::keyPressEvent(event);  // a control of the section's that ignores the arrows
      return;
    }
    const int size = static_cast<int>(column.size());
    int next = at < 0 ? static_cast<int>(Index(section_)) + 1 : at;
    // Hidden buttons (Help and Exit in kiosk mode) are stepped over.
    for (int step = 0; at >= 0 && step < size; ++step) {
      next = (next + (key == Qt::Key_Down ? 1 : size - 1)) % size;
      if (column[size_t(next)]->isVisibleTo(this)) break;
    }
    column[size_t(next)]->setFocus(Qt::TabFocusReason);
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TSectionForm::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace orlaventis
