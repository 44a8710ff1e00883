// Platform layer: registry, starting programs, opening web addresses.
#pragma once

#include "process/ProcessFacts.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QUrl;

namespace orlaventis {

// Registry: read-only key/value texts. Key paths carry their root and use "\" separators, e.g.
// "HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orlaventis" or
// "HKEY_CLASSES_ROOT\.html". Key paths and value names compare ignoring letter case. The empty
// value name is the key's default value.
class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key exists (it may hold no values).
  virtual bool KeyExists(const QString& keyPath) const = 0;
  // The value's text; empty when the key or the value is missing.
  virtual QString ReadString(const QString& keyPath, const QString& valueName) const = 0;
};

// A registry read from INI files: each group name ("[HKEY_CLASSES_ROOT\.html]") is a key path,
// each "name=value" line a value, "@=value" the default value. Lines starting with ";" or "#"
// are comments. Later files override earlier ones value by value. A missing file counts as
// empty; so does a file that is refused (not a regular file, over 1 MiB, unreadable: read as
// TReadOnlyFile does, so a FIFO or device is never opened), which is named in a line on stderr.
// Lines longer than 4096 characters are ignored.
class IniRegistry final : public Registry {
 public:
  explicit IniRegistry(const QStringList& files);
  // Parses INI text directly (tests, and the files above through it).
  void AddText(const QString& text);

  bool KeyExists(const QString& keyPath) const override;
  QString ReadString(const QString& keyPath, const QString& valueName) const override;

 private:
  struct Value {
    QString key;   // key path, lower case
    QString name;  // value name, lower case; empty for the default value
    QString text;
  };
  QStringList keys_;  // lower case
  std::vector<Value> values_;
};

// The program's registry files: /etc/xdg/orlaventis/registry.ini, then
// $XDG_CONFIG_HOME/orlaventis/registry.ini (~/.config when unset).
QStringList RegistryFiles();

// ---------------------------------------------------------------------------------------------
// Starting other programs.

// A command text split into the program and the parameter text that follows it.
struct SplitCommand {
  QString program;
  QString parameters;
};

// Splits the registered uninstall text. Unquoted: the program is the text before the first
// space followed by a double quote, the parameters the text from the first double quote on.
// Quoted: the opening quote is dropped, the program runs to the next quote, the parameters start
// two characters after it (the quote and one separator). Whatever does not fit these forms
// yields an empty program, which callers must not start.
SplitCommand SplitUninstallString(const QString& text);

// Splits a registered browser command: the first "%" and the character after it are removed,
// then every double quote; the program runs up to and including the first ".BAT ", ".EXE " or
// ".COM " (letter case ignored, without the space) and the parameters follow that space. Without
// such an extension the first blank-separated word is the program and the rest the parameters.
// Leading and trailing blanks are trimmed from both parts.
SplitCommand SplitBrowserCommand(const QString& command);

// Reads "UninstallString" of the program's uninstall key in `registry` and starts the program it
// names in its own folder with the parameters split like a shell command line. Returns true when a
// program was started; false when the text is missing, yields no program, or the start failed.
bool RunUninstaller(const Registry& registry);

// Starts the web browser on `address`: the browser command `registry` registers for ".HTML",
// ".HTM",
// ".SHTML" or ".SHTM" (the first key that exists) with the extra parameters and the address as
// its last argument; with no registered command, the desktop's default browser. Returns true
// when a browser was started. `browser`, when given, receives the registered command's program,
// or an empty text when the desktop's default browser was asked.
bool OpenWebAddress(const Registry& registry, const QString& address, QString* browser = nullptr);

}  // namespace orlaventis
