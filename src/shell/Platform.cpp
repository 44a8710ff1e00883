// Platform layer: registry, starting programs, opening web addresses.
#include "shell/Platform.h"

#include "database/RegularFile.h"
#include "media/Messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <cstdio>

namespace orlaventis {
namespace {

constexpr qint64 kMaxRegistryFileBytes = 1 << 20;
constexpr qsizetype kMaxRegistryLineChars = 4096;

bool Launch(const ProcessStart& start) {
  if (const ProcessLauncher& launcher = Process().launcher) return launcher(start);
  return QProcess::startDetached(start.program, start.arguments, start.workingFolder);
}

bool OpenUrl(const QUrl& url) {
  if (const UrlOpener& opener = Process().urlOpener) return opener(url);
  return QDesktopServices::openUrl(url);
}

QString NormalKey(const QString& keyPath) {
  QString key = keyPath.trimmed().toLower();
  while (key.endsWith(QLatin1Char('\\'))) key.chop(1);
  return key;
}

}  // namespace

IniRegistry::IniRegistry(const QStringList& files) {
  for (const QString& name : files) {
    const FileContents file = ReadRegularFile(name, kMaxRegistryFileBytes);
    if (file.status == FileReadStatus::Ok)
      AddText(QString::fromUtf8(file.bytes));
    else if (file.status != FileReadStatus::Missing)  // no file is the usual case: nothing to say
      std::fprintf(stderr, "orlaventis: the registry file %s is ignored (%s)\n",
                   QFile::encodeName(name).constData(),
                   FileReadProblem(file.status).toLower().toUtf8().constData());
  }
}

void IniRegistry::AddText(const QString& text) {
  QString group;
  bool inGroup = false;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (QString line : lines) {
    if (line.size() > kMaxRegistryLineChars) continue;
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) {
      continue;
    }
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      group = NormalKey(line.mid(1, line.size() - 2));
      inGroup = !group.isEmpty();
      if (inGroup && !keys_.contains(group)) keys_.append(group);
      continue;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (!inGroup || eq < 1) continue;
    QString name = line.left(eq).trimmed().toLower();
    if (name == QLatin1String("@")) name.clear();
    QString value = line.mid(eq + 1).trimmed();
    bool replaced = false;
    for (Value& v : values_) {
      if (v.key == group && v.name == name) {
        v.text = value;
        replaced = true;
      }
    }
    if (!replaced) values_.push_back(Value{group, name, value});
  }
}

bool IniRegistry::KeyExists(const QString& keyPath) const {
  return keys_.contains(NormalKey(keyPath));
}

QString IniRegistry::ReadString(const QString& keyPath, const QString& valueName) const {
  const QString key = NormalKey(keyPath);
  const QString name = valueName.toLower();
  for (const Value& v : values_) {
    if (v.key == key && v.name == name) return v.text;
  }
  return {};
}

QStringList RegistryFiles() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  return {QStringLiteral("/etc/xdg/orlaventis/registry.ini"),
          config + QStringLiteral("/orlaventis/registry.ini")};
}

SplitCommand SplitUninstallString(const QString& text) {
  SplitCommand split;
  if (text.isEmpty()) return split;
  if (!text.startsWith(QLatin1Char('"'))) {
    const qsizetype gap = text.indexOf(QStringLiteral(" \""));
    if (gap < 0) return split;  // no program can be told apart: start nothing
    split.program = text.left(gap);
    split.parameters = text.mid(text.indexOf(QLatin1Char('"')));
    return split;
  }
  const QString rest = text.mid(1);
  const qsizetype close = rest.indexOf(QLatin1Char('"'));
  if (close < 0) return split;  // unterminated quote: start nothing
  split.program = rest.left(close);
  split.parameters = rest.mid(close + 2);
  return split;
}

SplitCommand SplitBrowserCommand(const QString& command) {
  QString line = command;
  const qsizetype percent = line.indexOf(QLatin1Char('%'));
  if (percent >= 0) line.remove(percent, 2);
  line.remove(QLatin1Char('"'));
  const QString upper = line.toUpper();
  SplitCommand split;
  for (const char* extension : {".BAT ", ".EXE ", ".COM "}) {
    const qsizetype at = upper.indexOf(QLatin1String(extension));
    if (at < 0) continue;
    split.program = line.left(at + 4).trimmed();
    split.parameters = line.mid(at + 5).trimmed();
    return split;
  }
  line = line.trimmed();
  const qsizetype blank = line.indexOf(QLatin1Char(' '));
  split.program = blank < 0 ? line : line.left(blank);
  split.parameters = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
  return split;
}

bool RunUninstaller(const Registry& registry) {
  const QString text = registry.ReadString(
      QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                     "\\Orlaventis"),
      QStringLiteral("UninstallString"));
  const SplitCommand split = SplitUninstallString(text);
  if (split.program.trimmed().isEmpty()) return false;
  return Launch(ProcessStart{split.program, QProcess::splitCommand(split.parameters),
                             QFileInfo(split.program).absolutePath()});
}

bool OpenWebAddress(const Registry& registry, const QString& address, QString* browser) {
  if (browser != nullptr) browser->clear();
  QString command;
  for (const char* extension : {".HTML", ".HTM", ".SHTML", ".SHTM"}) {
    const QString key = QStringLiteral("HKEY_CLASSES_ROOT\\") + QLatin1String(extension);
    if (!registry.KeyExists(key)) continue;
    const QString typeName = registry.ReadString(key, QString());
    if (!typeName.isEmpty()) {
      command = registry.ReadString(QStringLiteral("HKEY_CLASSES_ROOT\\") + typeName +
                                        QStringLiteral("\\Shell\\Open\\Command"),
                                    QString());
    }
    break;
  }
  if (command.trimmed().isEmpty()) return OpenUrl(QUrl(address));
  const SplitCommand split = SplitBrowserCommand(command);
  if (split.program.isEmpty()) return OpenUrl(QUrl(address));
  if (browser != nullptr) *browser = split.program;
  QStringList arguments = QProcess::splitCommand(split.parameters);
  arguments.append(address);
  return Launch(ProcessStart{split.program, arguments, QString()});
}

}  // namespace orlaventis
