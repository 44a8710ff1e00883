// Start-up shared by the program and the tour, and the program's entry routine.
#pragma once

#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QSize>
#include <QString>

#include <memory>

namespace orlaventis {

// Minutes of kiosk mode from a text: a whole number from 1 to kMaxKioskMinutes, else 0 (off).
int KioskMinutesFromText(const QString& text);

// Everything the command line can ask for.
struct StartRequest {
  bool uninstall = false;   // the first argument is "uninstall", in any letter case
  QString dataFolder;       // --data
  int depth = 0;            // --depth; 0: the display's
  QSize screen;             // --screen; empty: the display's
  int language = 0;         // --language 31, 33 or 44; 0: ask with the chooser
  QString tourFolder;       // --tour
  bool fillScreen = false;  // --fill-screen, or the registry's FillScreen value set to 1
  int kioskMinutes = 0;     // --kiosk; 0: the registry's Kiosk value (off without one)
};

// Start-up shared by the program and the tour: the display palettes and the screen overrides,
// then the settings the command line and `registry` ask for, the program folder resolved among
// them (the settings keep `registry` as their ProgramRegistry).
TSettings StartUp(const StartRequest& request, std::shared_ptr<const Registry> registry);

// The entry routine: one program per user, uninstall, chooser, main form, message loop. Needs a
// QApplication. Returns the exit code (ExitCodes.h): kExitOk, kExitScreenTooSmall, or
// kExitInstanceBusy when another program holds the name but does not answer.
int RunProgram(const StartRequest& request, const SectionInstaller& installSections);

}  // namespace orlaventis
