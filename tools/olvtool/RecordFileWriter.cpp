// Writes record files (tagged key and text pairs, scrambled) from a source description.
#include "RecordFileWriter.h"

#include "DatabaseWriter.h"
#include "database/Bytes.h"
#include "database/RecordFile.h"
#include "database/Win1252.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orlaventis;

namespace olvtool {

std::optional<QByteArray> BuildRecordFile(const std::vector<RecordSource>& records,
                                          QString* error) {
  QString sink;
  if (error == nullptr) error = &sink;
  if (records.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    *error = QStringLiteral("too many records");
    return std::nullopt;
  }
  QByteArray out(recfile::kCountSize, '\0');
  StoreLE<int32_t>(reinterpret_cast<uint8_t*>(out.data()), static_cast<int32_t>(records.size()));
  for (size_t i = 0; i < records.size(); ++i) {
    const RecordSource& r = records[i];
    const auto key = EncodeWin1252(r.key);
    const auto text = EncodeWin1252(r.text);
    const QString where = QStringLiteral("record %1 (key \"%2\")").arg(i + 1).arg(r.key);
    if (!key || !text) {
      *error = where + QStringLiteral(": %1 has a character outside Windows-1252")
                           .arg(key ? QStringLiteral("the text") : QStringLiteral("the key"));
      return std::nullopt;
    }
    if (key->size() > recfile::kMaxPartBytes || text->size() > recfile::kMaxPartBytes) {
      *error = where + QStringLiteral(": a key or text holds at most 65,535 bytes");
      return std::nullopt;
    }
    uint8_t header[recfile::kRecordHeaderSize];
    StoreLE<uint32_t>(header + recfile::kTagOffset, r.tag);
    StoreLE<uint16_t>(header + recfile::kKeyLengthOffset, static_cast<uint16_t>(key->size()));
    StoreLE<uint16_t>(header + recfile::kTextLengthOffset, static_cast<uint16_t>(text->size()));
    out.append(reinterpret_cast<const char*>(header), recfile::kRecordHeaderSize);
    for (const QByteArray* part : {&*key, &*text})
      for (char c : *part)
        out.append(static_cast<char>(ScrambleRecordByte(static_cast<uint8_t>(c))));
  }
  return out;
}

bool WriteRecordFile(const std::vector<RecordSource>& records, const QString& path,
                     QString* error) {
  const auto bytes = BuildRecordFile(records, error);
  return bytes && WriteFileAtomically(path, *bytes, error);
}

std::optional<std::vector<RecordSource>> RecordSourceFromJson(const QByteArray& json,
                                                              QString* error) {
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull()) {
    *error = QStringLiteral("JSON error at byte %1: %2")
                 .arg(parseError.offset)
                 .arg(parseError.errorString());
    return std::nullopt;
  }
  const QJsonArray list = doc.isArray() ? doc.array()
                                        : doc.object().value(QLatin1String("records")).toArray();
  if (!doc.isArray() && !doc.object().value(QLatin1String("records")).isArray()) {
    *error = QStringLiteral("the source is an array of records or an object with \"records\"");
    return std::nullopt;
  }
  std::vector<RecordSource> records;
  for (qsizetype i = 0; i < list.size(); ++i) {
    const QJsonObject o = list[i].toObject();
    if (!list[i].isObject()) {
      *error = QStringLiteral("record %1: not an object").arg(i + 1);
      return std::nullopt;
    }
    RecordSource r;
    const double tag = o.value(QLatin1String("tag")).toDouble(0);
    if (tag < 0 || tag > 4294967295.0 || tag != static_cast<double>(static_cast<uint64_t>(tag))) {
      *error =
          QStringLiteral("record %1: the tag is a whole number from 0 to 4294967295").arg(i + 1);
      return std::nullopt;
    }
    r.tag = static_cast<uint32_t>(tag);
    r.key = o.value(QLatin1String("key")).toString();
    r.text = o.value(QLatin1String("text")).toString();
    records.push_back(std::move(r));
  }
  return records;
}

}  // namespace olvtool
