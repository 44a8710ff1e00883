// The language chooser shown before the main form: sets the settings' LanguageId.
#pragma once

#include "shell/Settings.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;

namespace orlaventis {

class TBkControl;

// 282 x 282, centred, borderless, always on top, white; a background picture with the text
// "Choose your language" and a drop-down of the three languages, nothing chosen at start.
// Choosing closes it; closing without a choice keeps LanguageId as it is (44 at start).
// Keys on the closed list: Up and Down move through the languages without choosing, Return or
// Enter chooses the one shown, Escape closes without a choice (Alt+Down or F4 open the list).
class TIntroForm final : public QDialog {
  Q_OBJECT

 public:
  // Below 24 bits per pixel (DisplayDepth) the background comes from the resource "Intro",
  // or "Intro256" at exactly 8.
  // The choice goes to `settings`, which outlives the chooser.
  explicit TIntroForm(TSettings& settings, QWidget* parent = nullptr);
  ~TIntroForm() override;

  QFrame* BackgroundPnl;
  TBkControl* IntroFormImg;
  QLabel* Text;
  QComboBox* LingoLst;

  // Sets LanguageId from item `index` (none or 0: 31, 1: 33, 2: 44) and closes the chooser.
  void LingoLstChange(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TSettings& settings_;
};

}  // namespace orlaventis
