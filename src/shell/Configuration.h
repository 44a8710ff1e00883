// TConfiguration: what a start of the program asks for, read once from its command line and
// registry.
#pragma once

#include "database/ContentContract.h"

#include <QString>

namespace orlaventis {

// A value: built by StartUp (StartUp.h) or a test, then copied into the run's settings. The
// language chooser sets LanguageId before the first form is translated; nothing else changes it
// once the main form exists.
struct TConfiguration {
  bool ScaleToScreen = true;   // choose LayoutMode from the screen size
  bool ChooseLanguage = true;  // show the language chooser before the main form
  // Scale the largest design up to the whole screen (the run state's FillScreenSize).
  bool FillScreen = false;
  // Kiosk mode: minutes without input after which the program returns to the Introduction,
  // from 1 to kMaxKioskMinutes; 0 is off. While it is on, only EndProgram closes the main form.
  int KioskMinutes = 0;
  // The key combination that ends the program in kiosk mode ("Ctrl+Shift+Q"; empty: none).
  QString KioskExitKeys;
  // How long the About box shows on the way out, in milliseconds (tests shorten it).
  int FarewellMs = 2000;
  // The interface language: 31 Dutch, 33 French, 44 English (the default). Also part of
  // catalogue file names and record keys.
  int LanguageId = content::kDefaultLanguage;
};

}  // namespace orlaventis
