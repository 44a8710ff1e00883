// The messages a user sees: one small interface, a message-box implementation and a recorder.
#include "media/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QSet>

#include <cstdio>

namespace orlaventis {

namespace {

UserMessages*& installed() {
  static UserMessages* messages = nullptr;
  return messages;
}

bool HasWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void ToStderr(const char* kind, const QString& text) {
  std::fprintf(stderr, "%s: %s\n", kind, text.toUtf8().constData());
}

std::optional<bool>& UnattendedOverride() {
  static std::optional<bool> unattended;
  return unattended;
}

// A modal box with an OK button. Its text often quotes a file name or a text from the content,
// so it is shown as its characters, never read as markup.
void ShowBox(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

QString AboutFile(const QString& text, const QString& file) {
  return file.isEmpty() ? text : text + QLatin1Char('\n') + file;
}

bool Unattended() {
  if (UnattendedOverride()) return *UnattendedOverride();
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return true;
  return !qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void SetUnattended(std::optional<bool> unattended) { UnattendedOverride() = unattended; }

void MessageBoxMessages::Error(const QString& text) {
  if (!HasWidgets() || Unattended()) return ToStderr("error", text);
  ShowBox(QMessageBox::Critical, text);
}

void MessageBoxMessages::Information(const QString& text) {
  if (!HasWidgets() || Unattended()) return ToStderr("information", text);
  ShowBox(QMessageBox::Information, text);
}

void MessageBoxMessages::Problem(const QString& text) {
  static QSet<QString> said;
  if (!said.contains(text)) {
    said.insert(text);
    ToStderr("problem", text);
  }
}

void RecordedMessages::Error(const QString& text) {
  errors_ << text;
  all_ << QStringLiteral("error: ") + text;
}

void RecordedMessages::Information(const QString& text) {
  informations_ << text;
  all_ << QStringLiteral("information: ") + text;
}

void RecordedMessages::Problem(const QString& text) {
  problems_ << text;
  all_ << QStringLiteral("problem: ") + text;
}

void RecordedMessages::Clear() {
  problems_.clear();
  errors_.clear();
  informations_.clear();
  all_.clear();
}

UserMessages& Messages() {
  static MessageBoxMessages boxes;
  UserMessages* m = installed();
  return m != nullptr ? *m : boxes;
}

void InstallMessages(UserMessages* messages) { installed() = messages; }

ScopedMessages::ScopedMessages(UserMessages* messages) : previous_(installed()) {
  InstallMessages(messages);
}

ScopedMessages::~ScopedMessages() { InstallMessages(previous_); }

}  // namespace orlaventis
