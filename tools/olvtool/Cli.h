// Command-line plumbing shared by every olvtool verb: arguments, exit codes, messages.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <span>

namespace olvtool {

// Exit codes of every verb.
enum ExitCode : int { kOk = 0, kBadInput = 1, kBadUsage = 2 };

// The arguments after the verb: positional words and "--name" or "--name VALUE" options.
class Args {
 public:
  // `valued` lists the options that take a value (without "--"), `flags` those that do not.
  // Returns false, with `error` set, on an unknown option or a missing value.
  bool Parse(const QStringList& words, const QStringList& valued, const QStringList& flags,
             QString* error);

  const QStringList& Positional() const { return positional_; }
  bool Has(const QString& option) const;
  QString Value(const QString& option) const;  // empty when absent

 private:
  QStringList positional_;
  QStringList present_;
  QStringList values_;  // parallel to present_
};

// One verb: "db build", "archive list", ...
struct Verb {
  QString group;                                     // "db"
  QString name;                                      // "build"
  QString synopsis;                                  // "SOURCE.json OUT"
  QString help;                                      // what it does, its options, its exit codes
  std::function<int(const QStringList& words)> run;  // words after the verb name
};

// Prints to stdout / stderr as UTF-8, one line each.
void Out(const QString& line);
void Err(const QString& line);

// `text` safe to print on a terminal: every control character (C0, DEL, C1) as "\xNN", so that
// a name read from a file can neither move the cursor nor hide what follows it.
QString Printable(const QString& text);

// The usage line of a verb on stderr; returns kBadUsage.
int UsageError(const Verb& verb, const QString& why);

// Every verb group registers its verbs here (called from main).
std::span<const Verb> DbVerbs();
std::span<const Verb> RecfileVerbs();
std::span<const Verb> ArchiveVerbs();
std::span<const Verb> PictureVerbs();
std::span<const Verb> DemoVerbs();
std::span<const Verb> CheckVerbs();

}  // namespace olvtool
