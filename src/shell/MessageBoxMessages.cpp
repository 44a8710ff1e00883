// MessageBoxMessages: the user messages as modal message boxes, the program's messages.
#include "shell/MessageBoxMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace orlaventis {

namespace {

bool HasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

// A modal box with an OK button. Its text often quotes a file name or a text from the content,
// so it is shown as its characters, never read as markup.
void ShowBox(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void MessageBoxMessages::Error(const QString& text) {
  if (!HasWidgets() || Unattended()) return StderrMessages::Error(text);
  ShowBox(QMessageBox::Critical, text);
}

void MessageBoxMessages::Information(const QString& text) {
  if (!HasWidgets() || Unattended()) return StderrMessages::Information(text);
  ShowBox(QMessageBox::Information, text);
}

}  // namespace orlaventis
