// Where the content lives: the program folder and Windows-authored file names below it.
#include "media/ProgramFolder.h"

#include "database/ContentContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {
namespace {

QString WithSlash(QString folder) {
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

bool HoldsContent(const QString& folder) {
  return QFileInfo::exists(ResolveCaseInsensitive(folder, content::kRecordFile));
}

// "../share/orlaventis/" beside the executable: where an installed program keeps its content.
QString InstalledContentFolder() {
  return WithSlash(
      QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/orlaventis"))
          .absolutePath());
}

// The program folder as found from the environment and the executable's place.
QString FindProgramFolder() {
  const QString fromEnv = qEnvironmentVariable(kDataFolderVariable);
  if (!fromEnv.isEmpty()) return WithSlash(QDir(fromEnv).absolutePath());
  const QString exeFolder = WithSlash(QCoreApplication::applicationDirPath());
  if (HoldsContent(exeFolder)) return exeFolder;
  const QString installed = InstalledContentFolder();
  if (HoldsContent(installed)) return installed;
  return exeFolder;
}

}  // namespace

QString ProgramFolderProblem(const QString& folder) {
  const QByteArray name = QFile::encodeName(folder);
  struct stat st {};
  if (name.isEmpty()) return QStringLiteral("does not exist");
  if (::stat(name.constData(), &st) != 0) {
    const int error = errno;
    // Something there that cannot be looked at (no search right, a link loop) is no missing folder.
    if (error == ENOENT || error == ENOTDIR) return QStringLiteral("does not exist");
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    return QStringLiteral("cannot be looked at (%1)").arg(reason);
  }
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("is not a folder");
  if (::access(name.constData(), R_OK | X_OK) != 0) return QStringLiteral("cannot be read");
  return QString();
}

QString ResolveProgramFolder(const QString& requested) {
  return requested.isEmpty() ? FindProgramFolder() : WithSlash(QDir(requested).absolutePath());
}

bool ProgramFolderIsInstalled(const QString& programFolder) {
  return WithSlash(programFolder) == InstalledContentFolder();
}

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

}  // namespace orlaventis
