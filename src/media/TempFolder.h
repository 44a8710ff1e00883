// The temporary folder pictures are unpacked into: where it lives, safe names in it, clean-up.
#pragma once

#include <QString>

namespace orlaventis {

// The folder chosen for a given program folder (both with a trailing "/"): program folder +
// "T/" when that folder is writable and has no "T", or its "T" is a writable real folder (no
// symbolic link) owned by the user; otherwise a per-user folder,
// $XDG_RUNTIME_DIR/orlaventis/T/ when that variable names a folder, else the system temporary
// location + "/orlaventis-<user>/T/" (owned by the user; another name is taken when someone
// else owns that one). Does not create the folder.
QString ChooseTempFolder(const QString& programFolder);

// The temporary folder of this run, with a trailing "/": chosen from ProgramFolder() on first
// use (always the per-user folder for an installed program folder) unless SetTempFolder named one. Created on demand by the first extraction.
QString TempFolder();

// Uses `folder` from now on (a trailing "/" is added when missing). Tests and the start-up
// sequence use it; an empty folder makes the next TempFolder() choose again.
void SetTempFolder(const QString& folder);

// True when `name` is one plain file name: not empty, not "." or "..", no "/", "\" or NUL.
bool IsPlainFileName(const QString& name);

// TempFolder() + name, ready to be written: the temporary folder (and any missing parent) is
// created 0700 when missing and must then be the user's own real folder, and so must its
// parent unless it is the program folder's "T". An empty text when
// `name` is not one plain file name or the folder is not safe to write into: nothing the
// archives or databases say can make the program write outside the temporary folder.
QString TempFilePath(const QString& name);

// Creates `folder` and its missing parents with mode 0700. True when `folder` then is a real
// folder (no symbolic link) owned by the user; every folder created is checked the same way
// right after its creation, so a name another user took in between is never written into.
bool MakePrivateFolder(const QString& folder);

// Removes the plain files in the temporary folder (stale files of a run that crashed); the
// folder stays. Returns the number of files that could not be removed (0 when it is missing,
// is a symbolic link or is not the user's own folder: such a folder is never emptied).
int RemoveStaleTempFiles();

// At exit: removes every file in the temporary folder, then the folder, and its parent when
// this run created that parent (MakePrivateFolder, TempFilePath) and it is empty. Files that
// resist stay, and then the folder stays too; a folder that is a link or not the user's own is
// left alone. Returns true when it is gone.
bool RemoveTempFolder();

}  // namespace orlaventis
