// The messages a user sees: one small interface, a stderr implementation and a recorder.
#include "media/Messages.h"

#include <QGuiApplication>
#include <QSet>

#include <cstdio>

namespace orlaventis {

namespace {

UserMessages*& installed() {
  static UserMessages* messages = nullptr;
  return messages;
}

void ToStderr(const char* kind, const QString& text) {
  std::fprintf(stderr, "%s: %s\n", kind, text.toUtf8().constData());
}

std::optional<bool>& UnattendedOverride() {
  static std::optional<bool> unattended;
  return unattended;
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

void StderrMessages::Error(const QString& text) { ToStderr("error", text); }

void StderrMessages::Information(const QString& text) { ToStderr("information", text); }

void StderrMessages::Problem(const QString& text) {
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
  static StderrMessages lines;
  UserMessages* m = installed();
  return m != nullptr ? *m : lines;
}

void InstallMessages(UserMessages* messages) { installed() = messages; }

ScopedMessages::ScopedMessages(UserMessages* messages) : previous_(installed()) {
  InstallMessages(messages);
}

ScopedMessages::~ScopedMessages() { InstallMessages(previous_); }

}  // namespace orlaventis
