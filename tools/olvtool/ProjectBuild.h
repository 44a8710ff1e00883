// Builds an authoring project into a work: the project checked whole, its pictures packed, the
// work put in place as one transaction.
#pragma once

#include "ProjectModel.h"
#include "WorkWriter.h"

#include <QSize>
#include <QString>
#include <QStringList>

namespace olvtool {

// Folders and files of a project, relative to the project folder.
inline constexpr char kProjectSlides[] = "pictures/slides";            // 1.jpg ... 10.jpg
inline constexpr char kProjectCars[] = "pictures/cars";                // COACH_ROOF.jpg
inline constexpr char kProjectSeats[] = "pictures/seats";              // MATERIALCOLOUR.jpg
inline constexpr char kProjectBackgrounds[] = "pictures/backgrounds";  // ibk6x4.jpg, ...

struct BuildOptions {
  QSize maxSize;          // valid: archive pictures larger than this are scaled down to fit
  int extraItems = 0;     // synthetic catalogue items appended (benchmarks); they reuse the photos
  bool progress = false;  // a progress line on stderr while pictures are packed
  // Puts the outputs into place one rename each instead of swapping the whole folder: for a
  // folder that other programs work in at the same time (the demo work in the build folder).
  bool fileByFile = false;
};

// Reads and checks the text sources of the project at `dir` (pictures are not looked at).
// False with every problem in `problems`, one line each: "FILE:LINE:COLUMN: message" or
// "FILE: message", FILE relative to `dir`.
bool ReadProjectTexts(const QString& dir, int extraItems, DemoDatabases* databases,
                      EnamelNeeds* needs, QStringList* problems);

// ReadProjectTexts on sources read already (fuzzing, tests). A source that is nullopt fails the
// check without a problem of its own: whoever read it says why it is missing.
bool CheckProjectSources(const ProjectSources& sources, DemoDatabases* databases,
                         EnamelNeeds* needs, QStringList* problems);

// Checks the whole project at `dir`, then writes the work into `outFolder`: d/olv.lng, d/olv.dat,
// d/ol31.cat, d/ol33.cat, d/ol44.cat, help/index.html, i/b/*, olvf.dat and olve.dat. The whole
// new work is made in a folder beside `outFolder` (other files of `outFolder` carried into it by
// hard links) and swapped in with one atomic exchange: whatever happens, `outFolder` holds the
// whole old work or the whole new one. Unchanged outputs (by their sources' bytes, or the stamps
// of their picture files, recorded in `outFolder`/.olvtool-build) are not made again.
// True once the new work is in place. False with every problem in `problems` (as
// ReadProjectTexts), or the file that failed; `outFolder` is then as it was. `notes` (when
// given) receives what is worth saying but no problem (a table read as Windows-1252).
bool BuildProject(const QString& dir, const QString& outFolder, const BuildOptions& options,
                  QStringList* problems, QStringList* notes = nullptr);

}  // namespace olvtool
