// Where the content lives: the program folder and Windows-authored file names below it.
#pragma once

#include <QString>

namespace orlaventis {

// The folder every data file and the temporary folder are named relative to, absolute and with
// a trailing "/": `requested` when not empty (the --data option), else $ORLAVENTIS_DATA, else
// the executable's folder when it holds content ("d/olv.dat"), else "../share/orlaventis/"
// beside the executable when that holds content, else the executable's folder. Never the
// current directory. A relative name is taken relative to the current directory of this call:
// the start-up resolves it once (TConfiguration::ProgramFolder), before anything changes that
// directory. Needs a QCoreApplication for the executable's folder.
QString ResolveProgramFolder(const QString& requested);

// True when `programFolder` (with or without a trailing "/") is the installed content
// ("../share/orlaventis/" beside the executable). An installed tree belongs to the system and
// is never written, whatever the permissions say.
bool ProgramFolderIsInstalled(const QString& programFolder);

// The environment variable that names the program folder when no --data option does.
inline constexpr char kDataFolderVariable[] = "ORLAVENTIS_DATA";

// Why `folder` (a relative one against the current directory) cannot be the program folder, as
// words that follow its name ("does not exist", "is not a folder", "cannot be read"); empty when
// it is a folder, links followed, that can be read and searched. Whether it holds content is not
// asked: missing content files are reported where they are read.
QString ProgramFolderProblem(const QString& folder);

// Turns a name with "\" separators ("d\olv.dat", "i\b\ibk8x6") into a path below `folder`
// (with or without a trailing "/"; TConfiguration::DataPath passes the program folder). When
// the exact path does not exist, each component is matched ignoring letter case (content
// authored on Windows); the exact path is returned when nothing matches either.
QString ResolveCaseInsensitive(const QString& folder, const QString& windowsName);

}  // namespace orlaventis
