// The temporary folder pictures are unpacked into: where it lives, safe names in it, clean-up.
#pragma once

#include <QString>

namespace orlaventis {

// The folder chosen for a given program folder (both with a trailing "/"): program folder +
// "T/" when that folder (or an existing "T/" in it) is writable; otherwise a per-user folder,
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

// TempFolder() + name, or an empty text when `name` is not one plain file name: nothing the
// archives or databases say can make the program write outside the temporary folder.
QString TempFilePath(const QString& name);

// Removes the plain files in the temporary folder (stale files of a run that crashed); the
// folder stays. Returns the number of files that could not be removed (0 when it is missing).
int RemoveStaleTempFiles();

// At exit: removes every file in the temporary folder, then the folder (and the per-user
// parent folder when it is empty). Files that resist stay, and then the folder stays too.
// Returns true when the folder is gone.
bool RemoveTempFolder();

}  // namespace orlaventis
