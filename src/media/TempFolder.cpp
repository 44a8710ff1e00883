// TTempFolder: the temporary folder pictures are unpacked into, safe names in it, clean-up.
#include "media/TempFolder.h"

#include "media/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {

namespace {

QString WithSlash(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
  return folder + QLatin1Char('/');
}

QString WithoutSlash(QString folder) {
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  return folder;
}

// A folder that exists, is ours and is no symbolic link (a shared temporary location must not
// let another user choose where our files go). Looked at without following a link.
bool IsOwnFolderName(const QByteArray& name) {
  struct stat st {};
  return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool IsOwnFolder(const QString& path) {
  return IsOwnFolderName(QFile::encodeName(WithoutSlash(path)));
}

bool Exists(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Creates the folder and every missing parent, each 0700, adding those it made to `created`;
// true when `folder` then is the user's own real folder. Each folder this creates is checked
// after its creation too: a name someone else took in between (mkdir finds it existing) must be
// ours, or nothing goes in.
bool MakePrivateFolders(const QString& folder, QSet<QString>& created) {
  QStringList missing;
  for (QString path = WithoutSlash(folder);
       !path.isEmpty() && path != QLatin1String("/") && !Exists(path);
       path = QFileInfo(path).path())
    missing.prepend(path);
  for (const QString& path : missing) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
      created.insert(path);
    else if (errno != EEXIST)
      return false;
    if (!IsOwnFolder(path)) return false;
  }
  return IsOwnFolder(folder);
}

// The per-user folder; a fresh private folder made for it goes into `created`.
QString PerUserFolder(QSet<QString>& created) {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
    return WithSlash(runtime) + QStringLiteral("orlaventis/T/");
  QString user = qEnvironmentVariable("USER");
  if (!IsPlainFileName(user)) user = QString::number(::getuid());
  const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  const QString parent = WithSlash(base) + QStringLiteral("orlaventis-") + user;
  if (!Exists(parent) || IsOwnFolder(parent)) return parent + QStringLiteral("/T/");
  // Someone else holds that name: take a fresh private folder instead.
  QTemporaryDir fresh(WithSlash(base) + QStringLiteral("orlaventis-XXXXXX"));
  fresh.setAutoRemove(false);
  if (fresh.isValid()) created.insert(WithoutSlash(fresh.path()));
  return fresh.isValid() ? WithSlash(fresh.path()) + QStringLiteral("T/")
                         : parent + QStringLiteral("/T/");
}

// The folder chosen for a program folder that is not installed (TTempFolder).
QString ChooseTempFolder(const QString& programFolder, QSet<QString>& created) {
  const QString program = WithSlash(programFolder);
  const QString inProgram = program + QStringLiteral("T/");
  // An existing "T" is used only when it is our own real folder that we may write: a link, a
  // file or someone else's folder is never written into nor emptied.
  const QString existing = program + QStringLiteral("T");
  if (Exists(existing) ? IsOwnFolder(existing) && QFileInfo(existing).isWritable()
                       : QFileInfo(program).isWritable())
    return inProgram;
  return PerUserFolder(created);
}

}  // namespace

bool IsPlainFileName(const QString& name) {
  return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
         !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
         !name.contains(QChar(0));
}

bool MakePrivateFolder(const QString& folder) {
  QSet<QString> created;
  return MakePrivateFolders(folder, created);
}

TTempFolder::TTempFolder(const QString& programFolder, const QString& folder) {
  if (!folder.isEmpty())
    folder_ = WithSlash(folder);
  else if (ProgramFolderIsInstalled(programFolder))
    folder_ = PerUserFolder(created_);
  else
    folder_ = ChooseTempFolder(programFolder, created_);
  perUser_ = folder_ != WithSlash(programFolder) + QStringLiteral("T/");
  parent_ = QFileInfo(WithoutSlash(folder_)).path();
  folderName_ = QFile::encodeName(WithoutSlash(folder_));
  parentName_ = QFile::encodeName(parent_);
}

bool TTempFolder::Prepare() {
  // Both there and ours already: two looks, nothing to create.
  if ((!perUser_ || IsOwnFolderName(parentName_)) && IsOwnFolderName(folderName_)) return true;
  if (perUser_ && Exists(parent_) && !IsOwnFolder(parent_)) return false;
  return MakePrivateFolders(folder_, created_) && (!perUser_ || IsOwnFolder(parent_));
}

QString TTempFolder::FilePath(const QString& name) {
  if (!IsPlainFileName(name) || !Prepare()) return {};
  return folder_ + name;
}

int TTempFolder::RemoveStaleFiles() const {
  const QDir dir(folder_);
  if (!IsOwnFolder(folder_)) return 0;
  int resisted = 0;
  const QFileInfoList files =
      dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& file : files) {
    // Symbolic links are removed themselves, never followed.
    if (!QFile::remove(file.absoluteFilePath())) ++resisted;
  }
  return resisted;
}

bool TTempFolder::Remove() const {
  QDir dir(folder_);
  if (!Exists(WithoutSlash(folder_))) return true;
  if (!IsOwnFolder(folder_)) return false;
  RemoveStaleFiles();
  if (!dir.rmdir(dir.absolutePath())) return false;
  // The parent goes too when this object made it (the per-user "orlaventis" folder) and it is
  // empty.
  if (created_.contains(parent_)) QDir().rmdir(parent_);
  return true;
}

}  // namespace orlaventis
