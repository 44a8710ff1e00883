// The program's exit codes: one meaning each, listed by --help (and so by the man page).
#pragma once

namespace orlaventis {

inline constexpr int kExitOk = 0;
// The screen is smaller than 640 x 480.
inline constexpr int kExitScreenTooSmall = 1;
// An unknown option, a bad value or a stray argument.
inline constexpr int kExitUsage = 2;
// The tour could not write its pictures.
inline constexpr int kExitTourNotWritten = 3;
// The tour met damaged content (the problems are listed on stderr).
inline constexpr int kExitDamagedContent = 4;
// No display was found, or the named one cannot be opened (the tour needs none).
inline constexpr int kExitNoDisplay = 5;
// The content folder named by --data or $ORLAVENTIS_DATA cannot be used.
inline constexpr int kExitContentFolder = 6;
// Another Orlaventis is running but does not answer; this start gives way.
inline constexpr int kExitInstanceBusy = 7;

}  // namespace orlaventis
