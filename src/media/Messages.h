// The messages a user sees: one small interface, a message-box implementation and a recorder.
#pragma once

#include <QString>
#include <QStringList>

namespace orlaventis {

// Where the program's user messages go. Tests install a recorder so that no modal box runs.
class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void Error(const QString& text) = 0;        // an error box with an OK button
  virtual void Information(const QString& text) = 0;  // an information box with an OK button
};

// Modal QMessageBox boxes titled with the application name. Without a QApplication (tools,
// fuzzers) the texts go to stderr instead.
class MessageBoxMessages final : public UserMessages {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
};

// Keeps every message, in order, each prefixed "error: " or "information: " in All().
class RecordedMessages final : public UserMessages {
 public:
  void Error(const QString& text) override;
  void Information(const QString& text) override;
  const QStringList& Errors() const { return errors_; }
  const QStringList& Informations() const { return informations_; }
  const QStringList& All() const { return all_; }
  void Clear();

 private:
  QStringList errors_;
  QStringList informations_;
  QStringList all_;
};

// The installed implementation: MessageBoxMessages unless InstallMessages named another.
UserMessages& Messages();

// Installs `messages` (not owned; it must outlive its installation); nullptr restores the
// message boxes.
void InstallMessages(UserMessages* messages);

// Installs a recorder for the lifetime of this object and restores the previous one after.
class ScopedMessages {
 public:
  explicit ScopedMessages(UserMessages* messages);
  ~ScopedMessages();
  ScopedMessages(const ScopedMessages&) = delete;
  ScopedMessages& operator=(const ScopedMessages&) = delete;

 private:
  UserMessages* previous_;
};

}  // namespace orlaventis
