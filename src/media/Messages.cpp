// The messages a user sees: one small interface, a stderr implementation and a recorder.
#include "media/Messages.h"

#include "process/ProcessFacts.h"

#include <QGuiApplication>
#include <QSet>

#include <cstdio>

namespace orlaventis {

namespace {

void ToStderr(const char* kind, const QString& text) {
  std::fprintf(stderr, "%s: %s\n", kind, text.toUtf8().constData());
}

}  // namespace

QString AboutFile(const QString& text, const QString& file) {
  return file.isEmpty() ? text : text + QLatin1Char('\n') + file;
}

QString FileReadProblem(FileReadStatus status) {
  return ProblemText({ReadFault(status), QString()});
}

QString ProblemText(const ContentProblem& problem) {
  QString reason;
  switch (problem.fault) {
    case ContentFault::None: return QString();
    case ContentFault::NotRegular: reason = QStringLiteral("The file is not a regular file"); break;
    case ContentFault::TooLarge: reason = QStringLiteral("The file is too large"); break;
    case ContentFault::Unreadable: reason = QStringLiteral("The file cannot be read"); break;
    case ContentFault::DamagedFile: reason = QStringLiteral("The file is damaged"); break;
    case ContentFault::DamagedDatabase: reason = QStringLiteral("The database is damaged"); break;
    case ContentFault::WrongPassword:
      reason = QStringLiteral("The password is missing or wrong");
      break;
  }
  return AboutFile(reason, problem.file);
}

bool Unattended() {
  if (const std::optional<bool> unattended = Process().unattended) return *unattended;
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return true;
  return !qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void StderrMessages::Error(const QString& text) { ToStderr("error", text); }

void StderrMessages::Information(const QString& text) { ToStderr("information", text); }

void StderrMessages::Problem(const QString& text) {
  if (!said_.contains(text)) {
    said_.insert(text);
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

}  // namespace orlaventis
