// MessageBoxMessages: the user messages as modal message boxes, the program's messages.
#pragma once

#include "media/Messages.h"

namespace orlaventis {

// Errors and informations as modal QMessageBox boxes titled with the application name, their
// text shown as plain characters. Without a QApplication or when Unattended(), they go to stderr
// as StderrMessages writes them; problems always do. The program installs one at start.
class MessageBoxMessages final : public StderrMessages {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
};

}  // namespace orlaventis
