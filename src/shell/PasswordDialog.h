// The database password prompt: a modal "Password" dialog with a masked edit, OK and Cancel.
#pragma once

#include "database/TableDatabase.h"

#include <QDialog>
#include <QHash>

class QLineEdit;

namespace orlaventis {

// The dialog: caption "Password", label "Enter password:", an edit that shows every typed
// character as "*" (starting empty), OK (the default button) and Cancel.
class PasswordDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PasswordDialog(QWidget* parent = nullptr);
  QLineEdit* Edit() const { return edit_; }

 private:
  QLineEdit* edit_;  // owned by the dialog
};

// Answers a database's password question with the modal dialog, once per file: the answer (or
// the refusal) is remembered for the life of this object and given again without asking.
// When Unattended() no dialog shows and the question counts as cancelled. `parent` (may be
// null) is the window the dialog is transient for; it must outlive this object.
class DialogPasswordPrompt final : public PasswordPrompt {
 public:
  explicit DialogPasswordPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  // nullopt when the user cancels; the typed text (possibly empty) after OK.
  std::optional<QString> AskPassword(const QString& fileName) override;

 private:
  QWidget* parent_;
  QHash<QString, std::optional<QString>> answers_;  // by absolute file name
};

}  // namespace orlaventis
