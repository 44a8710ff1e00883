// Writes the demo project (the sources in content/ with every picture painted as a file) and builds
// the demo work from it.
#pragma once

#include "ProjectBuild.h"
#include "database/ContentContract.h"

#include <QByteArray>
#include <QString>

namespace olvtool {

// The three interface languages and their numbers.
inline constexpr auto kDemoLanguages = orlaventis::content::kLanguages;

struct DemoOptions {
  QString sources;     // the content/ folder with the JSON and TSV sources
  int extraItems = 0;  // synthetic catalogue items appended for benchmarks (their photos reuse
                       // the members of the real items)
};

// Writes the demo project into the folder `project` (created when missing): the text sources of
// `sources` without the columns only the painter reads, and every picture painted into its file.
// False with `error` naming the source at fault (every problem of the texts, one per line).
bool WriteDemoProject(const QString& sources, const QString& project, QString* error);

// The databases and record file of the demo project, before they are written (tests damage them
// to make broken content). False with `error` naming the source file at fault.
bool BuildDemoDatabases(const DemoOptions& options, DemoDatabases* out, QString* error);

// Paints the demo project into a temporary folder and builds it into `outFolder` as BuildProject
// does (olvf.dat, olve.dat, d/..., i/b/*, help/index.html). False with `error` naming every
// problem, one per line.
bool WriteDemoContent(const QString& outFolder, const DemoOptions& options, QString* error);

}  // namespace olvtool
