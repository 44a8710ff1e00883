// Makes the databases and the record file of a work from a checked project model.
#pragma once

#include "DatabaseWriter.h"
#include "ProjectModel.h"
#include "RecordFileWriter.h"

#include <map>
#include <vector>

namespace olvtool {

// The sources of the three databases and the record file, before they are written (tests damage
// them to make broken content).
struct DemoDatabases {
  DatabaseSource language;                   // d/olv.lng
  std::vector<RecordSource> records;         // d/olv.dat
  std::map<int, DatabaseSource> catalogues;  // d/ol<language>.cat
};

// The sources of the work's files from `project`, which ReadProject checked: every text already
// fits its field and its grammar. `extraItems` synthetic catalogue items are appended
// (benchmarks); they reuse the items' photos.
DatabaseSource LanguageSource(const Project& project);
std::vector<RecordSource> RecordSources(const Project& project);
DatabaseSource CatalogueSource(const Project& project, int language,
                               int extraItems);  // language 31, 33 or 44

// All of them at once.
DemoDatabases WorkDatabases(const Project& project, int extraItems);

}  // namespace olvtool
