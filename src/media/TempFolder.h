// TTempFolder: the temporary folder pictures are unpacked into, safe names in it, clean-up.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace orlaventis {

// True when `name` is one plain file name: not empty, not "." or "..", no "/", "\" or NUL.
bool IsPlainFileName(const QString& name);

// Creates `folder` and its missing parents with mode 0700. True when `folder` then is a real
// folder (no symbolic link) owned by the user; every folder created is checked the same way
// right after its creation, so a name another user took in between is never written into.
bool MakePrivateFolder(const QString& folder);

// The temporary folder of one run: the main form owns it (TMainForm::TempFolder), a test or a
// tool makes its own. It holds the folder, the folders it made on the way (only those go with
// it at the end) and the names it checks before each picture. Nothing is created before the
// first FilePath; the folder goes only when Remove is called.
class TTempFolder {
 public:
  // The folder of a program whose content is in `programFolder`: `folder` when not empty (a
  // trailing "/" is added when missing), else chosen, without creating it, as follows (always
  // with a trailing "/"). For an installed program folder (ProgramFolderIsInstalled) the
  // per-user folder; else program folder + "T/" when that folder is writable and has no "T", or
  // its "T" is a writable real folder (no symbolic link) owned by the user; otherwise the
  // per-user folder: $XDG_RUNTIME_DIR/orlaventis/T/ when that variable names a folder, else the
  // system temporary location + "/orlaventis-<user>/T/" (owned by the user; another name is
  // taken, and created, when someone else owns that one).
  explicit TTempFolder(const QString& programFolder, const QString& folder = QString());

  // The folder, with a trailing "/".
  const QString& Folder() const { return folder_; }

  // Folder() + name, ready to be written: the folder (and any missing parent) is created 0700
  // when missing and must then be the user's own real folder, and so must its parent unless it
  // is the program folder's "T". An empty text when `name` is not one plain file name or the
  // folder is not safe to write into: nothing the archives or databases say can make the
  // program write outside the temporary folder.
  QString FilePath(const QString& name);

  // Removes the plain files in the folder (stale files of a run that crashed); the folder stays.
  // Returns the number of files that could not be removed (0 when it is missing, is a symbolic
  // link or is not the user's own folder: such a folder is never emptied).
  int RemoveStaleFiles() const;

  // At exit: removes every file in the folder, then the folder, and its parent when this object
  // created that parent (FilePath, or the choice) and it is empty. Files that resist stay, and
  // then the folder stays too; a folder that is a link or not the user's own is left alone.
  // Returns true when it is gone.
  bool Remove() const;

 private:
  // Creates the folder when missing; true when it and, for a per-user folder, its parent are
  // the user's own real folders.
  bool Prepare();

  QString folder_;
  // Any folder but the program folder's "T": its parent must be the user's own too.
  bool perUser_ = true;
  // The folder's parent, and both names encoded for the file system (each picture passes here).
  QString parent_;
  QByteArray folderName_, parentName_;
  // The folders this object made (no trailing "/").
  QSet<QString> created_;
};

}  // namespace orlaventis
