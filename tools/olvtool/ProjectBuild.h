// Reads an authoring project (items table, text sources, picture files), checks it whole and builds the work.
#pragma once

#include "DatabaseWriter.h"
#include "RecordFileWriter.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

namespace olvtool {

// Folders and files of a project, relative to the project folder.
inline constexpr char kProjectSlides[] = "pictures/slides";            // 1.jpg ... 10.jpg
inline constexpr char kProjectCars[] = "pictures/cars";                // COACH_ROOF.jpg
inline constexpr char kProjectSeats[] = "pictures/seats";              // MATERIALCOLOUR.jpg
inline constexpr char kProjectBackgrounds[] = "pictures/backgrounds";  // ibk6x4.jpg, ...

struct BuildOptions {
  QSize maxSize;       // valid: archive pictures larger than this are scaled down to fit
  int extraItems = 0;  // synthetic catalogue items appended (benchmarks); they reuse the photos
  bool progress = false;  // a progress line on stderr while pictures are packed
};

// The sources of the three databases and the record file, before they are written (tests damage
// them to make broken content).
struct DemoDatabases {
  DatabaseSource language;                   // d/olv.lng
  std::vector<RecordSource> records;         // d/olv.dat
  std::map<int, DatabaseSource> catalogues;  // d/ol<language>.cat
};

// What the paint and trim of a project needs: car pictures "COACH_ROOF", seat pictures
// "MATERIALCOLOUR" (member names without their folder), sorted.
struct EnamelNeeds {
  QStringList cars, seats;
};

// Reads and checks the text sources of the project at `dir` (pictures are not looked at).
// False with every problem in `problems`, one line each: "FILE:LINE:COLUMN: message" or
// "FILE: message", FILE relative to `dir`.
bool ReadProjectTexts(const QString& dir, int extraItems, DemoDatabases* databases,
                      EnamelNeeds* needs, QStringList* problems);

// Runs `work(i)` for every i below `count` on every core; `progress` (when set) is told how many
// are done from this thread while they run. `work` must be safe to run on many threads at once.
void OnEveryCore(int count, const std::function<void(int)>& work, const std::function<void(int)>& progress = {});

// Checks the whole project at `dir`, then writes the work into `outFolder`: d/olv.lng, d/olv.dat,
// d/ol31.cat, d/ol33.cat, d/ol44.cat, help/index.html, i/b/*, olvf.dat and olve.dat. Every file is
// made in a temporary folder beside `outFolder` and renamed into place only when all succeeded,
// so on failure `outFolder` stays as it was. Unchanged outputs (by their sources' bytes, or the
// size and time of their pictures, recorded in `outFolder`/.olvtool-build) are not made again.
// False with every problem in `problems` (as ReadProjectTexts), or the file that failed.
bool BuildProject(const QString& dir, const QString& outFolder, const BuildOptions& options,
                  QStringList* problems);

}  // namespace olvtool
