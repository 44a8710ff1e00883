// The temporary folder pictures are unpacked into: where it lives, safe names in it, clean-up.
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

QString& chosenFolder() {
  static QString folder;
  return folder;
}

QString WithoutSlash(QString folder) {
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  return folder;
}

// The folders this run made (no trailing "/"): only those are removed at exit besides the
// temporary folder itself, so a folder of the user's that merely looks like ours stays.
QSet<QString>& createdFolders() {
  static QSet<QString> folders;
  return folders;
}

uid_t OwnUid() {
  static const uid_t uid = ::getuid();
  return uid;
}

// A folder that exists, is ours and is no symbolic link (a shared temporary location must not
// let another user choose where our files go). Looked at without following a link.
bool IsOwnFolderName(const QByteArray& name) {
  struct stat st {};
  return ::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == OwnUid();
}

bool IsOwnFolder(const QString& path) { return IsOwnFolderName(QFile::encodeName(WithoutSlash(path))); }

bool Exists(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Creates the folder and every missing parent, each 0700; true when `folder` then is the
// user's own real folder. Each folder this creates is checked after its creation too: a name
// someone else took in between (mkdir finds it existing) must be ours, or nothing goes in.
bool MakePrivateFolders(const QString& folder) {
  QStringList missing;
  for (QString path = WithoutSlash(folder); !path.isEmpty() && path != QLatin1String("/") && !Exists(path);
       path = QFileInfo(path).path())
    missing.prepend(path);
  for (const QString& path : missing) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
      createdFolders().insert(path);
    else if (errno != EEXIST)
      return false;
    if (!IsOwnFolder(path)) return false;
  }
  return IsOwnFolder(folder);
}

// Creates the temporary folder (0700) when missing. True when it is the user's own real folder
// and, for a per-user folder (any but the program folder's "T"), so is its parent: the parent
// was checked when the folder was chosen, and is again now that something goes in.
bool PrepareTempFolder() {
  // Each picture passes here: the encoded names are worked out once per folder.
  struct Names {
    QString folder, parent;
    QByteArray folderName, parentName;
  };
  static Names names;
  const QString folder = TempFolder();
  if (names.folder != folder) {
    names.folder = folder;
    names.parent = QFileInfo(WithoutSlash(folder)).path();
    names.folderName = QFile::encodeName(WithoutSlash(folder));
    names.parentName = QFile::encodeName(names.parent);
  }
  const bool perUser = folder != WithSlash(ProgramFolder()) + QStringLiteral("T/");
  // Both there and ours already: two looks, nothing to create.
  if ((!perUser || IsOwnFolderName(names.parentName)) && IsOwnFolderName(names.folderName)) return true;
  if (perUser && Exists(names.parent) && !IsOwnFolder(names.parent)) return false;
  return MakePrivateFolders(folder) && (!perUser || IsOwnFolder(names.parent));
}

QString PerUserFolder() {
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
  if (fresh.isValid()) createdFolders().insert(WithoutSlash(fresh.path()));
  return fresh.isValid() ? WithSlash(fresh.path()) + QStringLiteral("T/") : parent + QStringLiteral("/T/");
}

}  // namespace

QString ChooseTempFolder(const QString& programFolder) {
  const QString program = WithSlash(programFolder);
  const QString inProgram = program + QStringLiteral("T/");
  // An existing "T" is used only when it is our own real folder that we may write: a link, a
  // file or someone else's folder is never written into nor emptied.
  const QString existing = program + QStringLiteral("T");
  if (Exists(existing) ? IsOwnFolder(existing) && QFileInfo(existing).isWritable()
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
  if (!IsPlainFileName(name) || !PrepareTempFolder()) return {};
  return TempFolder() + name;
}

bool MakePrivateFolder(const QString& folder) { return MakePrivateFolders(folder); }

int RemoveStaleTempFiles() {
  const QDir dir(TempFolder());
  if (!IsOwnFolder(TempFolder())) return 0;
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
  if (!Exists(WithoutSlash(folder))) return true;
  if (!IsOwnFolder(folder)) return false;
  RemoveStaleTempFiles();
  if (!dir.rmdir(dir.absolutePath())) return false;
  // The parent goes too when this run made it (the per-user "orlaventis" folder) and it is empty.
  const QString parent = QFileInfo(WithoutSlash(folder)).path();
  if (createdFolders().contains(parent)) QDir().rmdir(parent);
  return true;
}

}  // namespace orlaventis
