// TServices: what a run talks to the reader and the desktop through.
#pragma once

#include "database/SharedFileCache.h"
#include "media/Messages.h"
#include "shell/PasswordDialog.h"
#include "shell/Platform.h"

#include <QStringList>

#include <memory>

namespace orlaventis {

// Shared by every copy of the settings that holds them.
struct TServices {
  // Where user messages go: stderr lines unless the program gives its message boxes (or a test a
  // recorder). Set before the main form is built: its picture decoder keeps the one it finds.
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
