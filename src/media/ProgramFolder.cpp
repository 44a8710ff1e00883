// Where the content lives: the program folder and Windows-authored file names below it.
#include "media/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orlaventis {
namespace {

// The folder in use once set or first resolved; empty until then.
QString& ResolvedFolder() {
  static QString folder;
  return folder;
}

QString WithSlash(QString folder) {
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

bool HoldsContent(const QString& folder) {
  return QFileInfo::exists(ResolveCaseInsensitive(folder, QStringLiteral("d\\olv.dat")));
}

// "../share/orlaventis/" beside the executable: where an installed program keeps its content.
QString InstalledContentFolder() {
  return WithSlash(QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orlaventis"))
                       .absolutePath());
}

// The program folder as found from the environment and the executable's place.
QString FindProgramFolder() {
  const QString fromEnv = qEnvironmentVariable("ORLAVENTIS_DATA");
  if (!fromEnv.isEmpty()) return WithSlash(QDir(fromEnv).absolutePath());
  const QString exeFolder = WithSlash(QCoreApplication::applicationDirPath());
  if (HoldsContent(exeFolder)) return exeFolder;
  const QString installed = InstalledContentFolder();
  if (HoldsContent(installed)) return installed;
  return exeFolder;
}

}  // namespace

void SetProgramFolder(const QString& folder) {
  ResolvedFolder() = folder.isEmpty() ? QString() : WithSlash(QDir(folder).absolutePath());
}

QString ProgramFolder() {
  // Kept from the first call on: a relative $ORLAVENTIS_DATA must not be read again after the
  // current directory changed.
  if (ResolvedFolder().isEmpty()) ResolvedFolder() = FindProgramFolder();
  return ResolvedFolder();
}

bool ProgramFolderIsInstalled() { return ProgramFolder() == InstalledContentFolder(); }

QString ResolveCaseInsensitive(const QString& folder, const QString& windowsName) {
  const QString base = WithSlash(folder);
  QString relative = windowsName;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString exact = base + relative;
  if (QFileInfo::exists(exact)) return exact;

  QString current = base;
  const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString& part = parts[i];
    QString match;
    if (QFileInfo::exists(current + part)) {
      match = part;
    } else {
      const QStringList entries =
          QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
      for (const QString& e : entries) {
        if (e.compare(part, Qt::CaseInsensitive) == 0) {
          match = e;
          break;
        }
      }
    }
    if (match.isEmpty()) return exact;
    current += match;
    if (i + 1 < parts.size()) current += QLatin1Char('/');
  }
  return current;
}

QString DataPath(const QString& windowsName) {
  return ResolveCaseInsensitive(ProgramFolder(), windowsName);
}

}  // namespace orlaventis

