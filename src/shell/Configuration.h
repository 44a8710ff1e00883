// TConfiguration: what a start of the program asks for, read once from its command line and
// registry.
#pragma once

#include "database/ContentContract.h"
#include "media/ProgramFolder.h"

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
  // The folder of the content (ResolveProgramFolder, which StartUp calls once, before the main
  // form makes it the current directory); absolute. Empty only where no content is read.
  QString ProgramFolder;
  // The temporary folder pictures are unpacked into; empty: the main form's TTempFolder chooses
  // one from ProgramFolder (tests name their own).
  QString TempFolder;

  // A content file's path: `windowsName` ("d\olv.dat") below ProgramFolder, letter case
  // ignored where the exact name is missing (ResolveCaseInsensitive).
  QString DataPath(const QString& windowsName) const {
    return ResolveCaseInsensitive(ProgramFolder, windowsName);
  }
};

}  // namespace orlaventis
