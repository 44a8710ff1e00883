// The messages a user sees: one small interface, a stderr implementation and a recorder.
#pragma once

#include "database/RegularFile.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace orlaventis {

// Where the program's user messages go: the program's settings name one (message boxes in the
// program, stderr lines by default); tests hand a recorder so that no modal box runs.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void Error(const QString& text) = 0;        // an error box with an OK button
  virtual void Information(const QString& text) = 0;  // an information box with an OK button
  // Content that is damaged or cannot be read where the program shows no box (it goes on
  // without it): a line on stderr, said once per run; the headless tour lists it as a failure.
  virtual void Problem(const QString& text) = 0;
};

// The text of a message about one file: `text` unchanged, then `file` on the next line.
QString AboutFile(const QString& text, const QString& file);

// The short reason for a failed read ("The file is not a regular file", ...); empty for Ok and
// Missing.
QString FileReadProblem(FileReadStatus status);
// What a user reads about `problem`: its reason, then its file on the next line; empty for none.
QString ProblemText(const ContentProblem& problem);

// True when nobody can answer a modal box or prompt: the process says so (Process().unattended:
// the headless tour), or no display is attached (the offscreen or minimal platform, or neither
// DISPLAY nor WAYLAND_DISPLAY set).
bool Unattended();

// Every message as a line on stderr: "error: ...", "information: ...", and "problem: ..." once
// for each text while this object lives (one per run: the settings share theirs). The default where
// nothing else is given (tools, fuzzers); the program's message boxes fall back on these lines.
class StderrMessages : public UserMessages {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
  void Problem(const QString& text) override;

 private:
  QSet<QString> said_;  // the problems already written
};

// Keeps every message, in order, each prefixed "error: ", "information: " or "problem: " in
// All().
class RecordedMessages final : public UserMessages {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
  void Problem(const QString& text) override;
  const QStringList& Errors() const { return errors_; }
  const QStringList& Informations() const { return informations_; }
  const QStringList& Problems() const { return problems_; }
  const QStringList& All() const { return all_; }
  void Clear();

 private:
  QStringList errors_;
  QStringList informations_;
  QStringList problems_;
  QStringList all_;
};

}  // namespace orlaventis
