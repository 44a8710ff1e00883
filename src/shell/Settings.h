// The program's settings and state of the run: one object the program owns and lends its forms.
#pragma once

#include "database/ContentContract.h"
#include "database/SharedFileCache.h"
#include "media/Messages.h"
#include "shell/Layout.h"
#include "shell/PasswordDialog.h"
#include "shell/Platform.h"

#include <QString>

#include <memory>

namespace orlaventis {

// Built from the command line and the registry (StartUp, MainForm.h), owned by the entry
// routine (or a test) and lent by reference to the main form, the sections, the language
// chooser and the About box; it outlives every one of them.
struct TSettings {
  bool ScaleToScreen = true;   // choose LayoutMode from the screen size
  bool ChooseLanguage = true;  // show the language chooser before the main form
  // Which design size the forms follow (Layout.h); chosen by the main form's FormCreate.
  LayoutModeValue LayoutMode = 0;
  // True from the end of FormCreate until the close sequence starts.
  bool MainFormReady = false;
  // Program folder + "d/olv.lng"; set by FormCreate.
  QString LanguageFilePath;
  // Scale the largest design up to the whole screen (see SetFillScreen).
  bool FillScreen = false;
  // Kiosk mode: minutes without input after which the program returns to the Introduction,
  // from 1 to kMaxKioskMinutes; 0 is off. While it is on, only EndProgram closes the main form.
  int KioskMinutes = 0;
  // The key combination that ends the program in kiosk mode ("Ctrl+Shift+Q"; empty: none).
  QString KioskExitKeys;
  // How long the About box shows on the way out, in milliseconds (tests shorten it).
  int FarewellMs = 2000;
  // The interface language: 31 Dutch, 33 French, 44 English (the default). Set by the language
  // chooser before the first form is translated; also part of catalogue file names and record
  // keys.
  int LanguageId = content::kDefaultLanguage;

  // The services the run talks to the reader and the desktop through, shared by every copy of
  // the settings. Where user messages go: stderr lines unless the program gives its message
  // boxes (or a test a recorder). Set before the main form is built: its picture decoder keeps
  // the one it finds.
  std::shared_ptr<UserMessages> Messages = std::make_shared<StderrMessages>();
  // What every database asks for a password; one prompt for the run, so that each file is asked
  // once.
  std::shared_ptr<PasswordPrompt> DatabasePasswordPrompt = std::make_shared<DialogPasswordPrompt>();
  // What every database reads its files through, so that the Catalog and the colour section
  // hold one copy of the catalogue.
  std::shared_ptr<SharedFileCache> DatabaseFiles = std::make_shared<SharedFileCache>();
  // The registry the run reads (the help and web addresses, the uninstaller, the browser):
  // empty unless StartUp was given one.
  std::shared_ptr<const Registry> ProgramRegistry = std::make_shared<IniRegistry>(QStringList{});
};

}  // namespace orlaventis
