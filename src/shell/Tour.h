// The headless tour: every form rendered offscreen into pictures.
#pragma once

#include "shell/MainForm.h"
#include "shell/StartUp.h"

namespace orlaventis {

// Renders the chooser, the four sections, the About box and the search (the results for "coupe"
// over the last section) offscreen into 1-chooser.png ... 7-search.png in `folder`; the first
// section shows the keyboard focus mark on its own menu button. No box or prompt waits for an
// answer: messages go to stderr and the password prompt counts as cancelled. Returns the exit code
// (ExitCodes.h): kExitOk, kExitScreenTooSmall, kExitTourNotWritten when a picture cannot be
// written, kExitDamagedContent when any message was given; then the messages are listed again on
// stderr, one a line.
int RunTour(const StartRequest& request, const SectionInstaller& installSections);

}  // namespace orlaventis
