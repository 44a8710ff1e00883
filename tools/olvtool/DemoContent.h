// Builds the demo reference work (databases, record file, archives, backgrounds, help) from content/.
#pragma once

#include "DatabaseWriter.h"
#include "RecordFileWriter.h"
#include "database/ContentContract.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <map>
#include <vector>

namespace olvtool {

// The three interface languages and their numbers.
inline constexpr auto kDemoLanguages = orlaventis::content::kLanguages;

struct DemoOptions {
  QString sources;     // the content/ folder with the JSON and TSV sources
  int extraItems = 0;  // synthetic catalogue items appended for benchmarks (their photos reuse
                       // the members of the real items)
};

// The sources of the three databases and the record file, before they are written (tests damage
// them to make broken content).
struct DemoDatabases {
  DatabaseSource language;                // d/olv.lng
  std::vector<RecordSource> records;      // d/olv.dat
  std::map<int, DatabaseSource> catalogues;  // d/ol<language>.cat
};
// False with `error` naming the source file at fault.
bool BuildDemoDatabases(const DemoOptions& options, DemoDatabases* out, QString* error);

// Writes the whole content folder into `outFolder` (created when missing): olvf.dat, olve.dat,
// d/olv.dat, d/olv.lng, d/ol31.cat, d/ol33.cat, d/ol44.cat, i/b/* and help/index.html. Every
// file goes through a temporary file beside it. False with `error` naming the source, table or
// member at fault; files written before the failure stay.
bool WriteDemoContent(const QString& outFolder, const DemoOptions& options, QString* error);

// The picture formats the archives carry, and the encoder for each.
enum class DemoFormat { Jpeg, Png, Bmp, Gif, Tiff, Pcx };
// The file bytes of `image` in `format`; empty when the encoder fails.
QByteArray EncodeDemoPicture(const QImage& image, DemoFormat format);

// A GIF87a file of `image` reduced to at most 256 colours. The LZW stream starts a new table
// every 250 codes so that every code keeps 9 bits (larger, but simple and always valid).
QByteArray EncodeGif(const QImage& image);

}  // namespace olvtool
