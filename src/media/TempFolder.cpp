// The temporary folder pictures are unpacked into: where it lives, safe names in it, clean-up.
#include "media/TempFolder.h"

#include "media/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

namespace orlaventis {

namespace {

QString WithSlash(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
  return folder + QLatin1Char('/');
}

QString& chosenFolder() {
  static QString folder;
  return folder;
}

// A folder that exists, is ours and is no symbolic link (a shared temporary location must not
// let another user choose where our files go).
bool IsOwnFolder(const QString& path) {
  const QFileInfo info(path);
  return info.isDir() && !info.isSymLink() && info.ownerId() == static_cast<uint>(::getuid());
}

QString PerUserFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
    return WithSlash(runtime) + QStringLiteral("orlaventis/T/");
  QString user = qEnvironmentVariable("USER");
  if (!IsPlainFileName(user)) user = QString::number(::getuid());
  const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  const QString parent = WithSlash(base) + QStringLiteral("orlaventis-") + user;
  if (!QFileInfo::exists(parent) || IsOwnFolder(parent)) return parent + QStringLiteral("/T/");
  // Someone else holds that name: take a fresh private folder instead.
  QTemporaryDir fresh(WithSlash(base) + QStringLiteral("orlaventis-XXXXXX"));
  fresh.setAutoRemove(false);
  return fresh.isValid() ? WithSlash(fresh.path()) + QStringLiteral("T/") : parent + QStringLiteral("/T/");
}


}  // namespace

QString ChooseTempFolder(const QString& programFolder) {
  const QString program = WithSlash(programFolder);
  const QString inProgram = program + QStringLiteral("T/");
  const QFileInfo existing(program + QStringLiteral("T"));
  if (existing.exists() ? (existing.isDir() && existing.isWritable())
                        : QFileInfo(program).isWritable())
    return inProgram;
  return PerUserFolder();
}

QString TempFolder() {
  QString& folder = chosenFolder();
  if (folder.isEmpty())
    folder = ProgramFolderIsInstalled() ? PerUserFolder() : ChooseTempFolder(ProgramFolder());
  return folder;
}

void SetTempFolder(const QString& folder) { chosenFolder() = WithSlash(folder); }

bool IsPlainFileName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
         !name.contains(QChar(0));
}

QString TempFilePath(const QString& name) {
  if (!IsPlainFileName(name)) return {};
  return TempFolder() + name;
}

int RemoveStaleTempFiles() {
  const QDir dir(TempFolder());
  if (!dir.exists()) return 0;
  int resisted = 0;
  const QFileInfoList files =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& file : files) {
    // Symbolic links are removed themselves, never followed.
    if (!QFile::remove(file.absoluteFilePath())) ++resisted;
  }
  return resisted;
}

bool RemoveTempFolder() {
  const QString folder = TempFolder();
  QDir dir(folder);
  if (!dir.exists()) return true;
  RemoveStaleTempFiles();
  if (!dir.rmdir(dir.absolutePath())) return false;
  // The per-user folder's parent ("orlaventis" or "orlaventis-<user>") goes too when empty.
  QDir parent(dir.absolutePath());
  if (parent.cdUp() && parent.dirName().startsWith(QLatin1String("orlaventis")))
    parent.rmdir(parent.absolutePath());
  return true;
}

}  // namespace orlaventis
