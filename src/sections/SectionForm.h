// The frame every content section shares: sizing, menu column, background, navigation, keys.
#pragma once

#include "sections/SectionSet.h"
#include "shell/MainForm.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>

class QMenu;

namespace orlaventis {

class TBaseBtn;
class TBkControl;
class TFocusMark;
struct TSearchEntry;

// A section form: a frameless child widget of the main form, created on its first visit and
// hidden (never destroyed) when left, so that it keeps its state. A section adds its own
// components in CreateComponents (at 640 x 480 design coordinates; the frame scales them with
// everything else) and its own start-up in CreateContent.
class TSectionForm : public QWidget {
  Q_OBJECT

 public:
  // Creates the frame's components (not yet sized or filled) as a child of the main form of
  // `sections`, whose settings the form reads; `sections` outlives the form.
  TSectionForm(SectionId section, TSectionSet& sections);
  ~TSectionForm() override;

  // Builds the form in the frame's order, under the application's hourglass: the section's
  // components, the own menu button kept down, scaling and centring by LayoutMode, button
  // glyphs, the help cursor, the section's content, the background picture; FormCreated is set
  // last. Runs once.
  void FormCreate();

  SectionId Section() const { return section_; }
  bool FormCreated() const { return formCreated_; }

  // The frame's components.
  TBkControl* Bk;
  std::array<TBaseBtn*, 6> MenuBtn{};  // MenuBtn1 .. MenuBtn6 as MenuBtn[0] .. MenuBtn[5]
  TBaseBtn* InfoBtn;
  QMenu* DumPopup;        // context menu of the sections' read-only texts: one empty item
  TFocusMark* FocusMark;  // the keyboard focus frame over the whole form

  // Navigation by the clicked menu button (see the table of the menu column).
  void MenuButtonClick(QObject* sender);
  void InfoBtnClick();

  // Returns the section to the state of its first showing (kiosk mode); the frame's own state
  // (the own menu button down) never changes, so the frame alone does nothing.
  virtual void ResetState() {}

  // The settings of the run (its main form's).
  const TSettings& Settings() const { return settings_; }
  // The sections this form belongs to, and their main form.
  TSectionSet& Sections() const { return sections_; }
  TMainForm& Main() const { return sections_.MainForm; }

  // Shows `entry`, a search result of this section: the section selects what it names (the
  // frame alone shows nothing more).
  virtual void ShowSearchEntry(const TSearchEntry& entry) { (void)entry; }
  // A design value scaled for the settings' LayoutMode.
  int Scaled(int designValue) const;

 protected:
  // The section's own components at design coordinates (before any frame step).
  virtual void CreateComponents() {}
  // The section's own start-up, after the frame's glyphs and cursor (it may load data).
  virtual void CreateContent() {}
  // Whether the background picture is loaded (the data sections load it only when their data
  // opened).
  virtual bool WantsBackground() const { return true; }
  // Whether the menu buttons keep their 256-colour glyphs on displays of 8 bits or fewer.
  virtual bool KeepsGlyphsOnPaletteDisplays() const { return false; }
  // Whether the menu may act now (false while a section is busy loading).
  virtual bool MenuEnabled() const { return true; }

  // FormKeyDown: Alt+F4 ends the program. Keys the focused control leaves alone: 1 to 4 press
  // the four section buttons, F1 the help button, Up and Down move the focus through the menu
  // column (InfoBtn and the six menu buttons, round) or, from the form itself, onto the own
  // button. The column's buttons are reached by Tab too and pressed by Space or Enter. Ctrl+F
  // and "/" open the search.
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery: always allowed; hides

 private:
  void ScaleToLayout();
  void LoadButtonGlyphs();
  void LoadBackground();
  // InfoBtn and the menu buttons from the top.
  std::array<TBaseBtn*, 7> MenuColumn() const;
  // The position in MenuColumn of the focused control, -1 when it is none of them.
  int FocusedInColumn() const;

  SectionId section_;
  TSectionSet& sections_;
  const TSettings& settings_;
  bool formCreated_ = false;
};

// Rows of the language file that name controls for screen readers (kNameTagProperty): every
// scroll bar of a section, and the slide shows of the Introduction and Production.
inline constexpr int kScrollBarNameTag = 20;
inline constexpr int kSlideShowNameTag = 21;

// Name prefix of the section's background pictures ("ibk", "nbk", "pbk", "ebk").
QString BackgroundPrefix(SectionId section);

}  // namespace orlaventis
