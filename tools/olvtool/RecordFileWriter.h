// Writes record files (tagged key and text pairs, scrambled) from a source description.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace olvtool {

struct RecordSource {
  uint32_t tag = 0;
  QString key;
  QString text;  // may hold line breaks; stored exactly as given
};

// The file bytes. nullopt with `error` ("record N: ...") when a key or text has a character
// outside Windows-1252 or is longer than 65,535 bytes.
std::optional<QByteArray> BuildRecordFile(const std::vector<RecordSource>& records, QString* error);
// Builds and writes through a temporary file beside `path`; false with `error` set.
bool WriteRecordFile(const std::vector<RecordSource>& records, const QString& path, QString* error);
// The JSON source format (see `olvtool recfile build --help`).
std::optional<std::vector<RecordSource>> RecordSourceFromJson(const QByteArray& json,
                                                              QString* error);

}  // namespace olvtool
