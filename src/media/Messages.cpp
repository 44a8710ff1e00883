// The messages a user sees: one small interface, a message-box implementation and a recorder.
#include "media/Messages.h"

#include <QApplication>
#include <QMessageBox>

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

}  // namespace

void MessageBoxMessages::Error(const QString& text) {
  if (!HasWidgets()) return ToStderr("error", text);
  QMessageBox::critical(nullptr, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

void MessageBoxMessages::Information(const QString& text) {
  if (!HasWidgets()) return ToStderr("information", text);
  QMessageBox::information(nullptr, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

void RecordedMessages::Error(const QString& text) {
  errors_ << text;
  all_ << QStringLiteral("error: ") + text;
}

void RecordedMessages::Information(const QString& text) {
  informations_ << text;
  all_ << QStringLiteral("information: ") + text;
}

void RecordedMessages::Clear() {
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
