// Writes table databases (definitions and data, in one file or two) from a source description.
#include "DatabaseWriter.h"

#include "database/Bytes.h"
#include "database/ContentContract.h"
#include "database/DayNumbers.h"
#include "database/FieldText.h"
#include "database/FieldValue.h"
#include "database/TableDatabase.h"
#include "database/Win1252.h"

#include <QFile>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>

#include <cmath>
#include <functional>
#include <limits>

using namespace orlaventis;

namespace olvtool {
namespace {

QString Where(const TableSource& t, int record, const ColumnSource* c) {
  QString w = QStringLiteral("table \"%1\"").arg(t.name);
  if (record > 0) w += QStringLiteral(", record %1").arg(record);
  if (c) w += QStringLiteral(", column \"%1\"").arg(c->name);
  return w;
}

std::optional<QByteArray> NameBytes(const QString& name, QString* why) {
  const auto bytes = EncodeWin1252(name);
  if (!bytes) {
    *why = QStringLiteral("the name has a character outside Windows-1252");
    return std::nullopt;
  }
  if (bytes->isEmpty() || bytes->size() > kNameLength) {
    *why = QStringLiteral("a name has 1 to %1 characters").arg(kNameLength);
    return std::nullopt;
  }
  return bytes;
}

std::optional<int64_t> IntegerInRange(const QString& text, ColumnType type, QString* why) {
  const auto v = TextToInteger(text);
  int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  if (type == ColumnType::ctByte) lo = 0, hi = 255;
  if (type == ColumnType::ctShortInt) lo = -128, hi = 127;
  if (type == ColumnType::ctWord) lo = 0, hi = 65535;
  if (!v || *v < lo || *v > hi) {
    *why = QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(text).arg(lo).arg(hi);
    return std::nullopt;
  }
  return v;
}

// A date cell: a day number, ISO 8601, or the regional text of the column's style in the
// system's formats.
std::optional<double> DayNumberCell(const QString& text, uint8_t style, QString* why) {
  if (const auto n = TextToNumber(text, 0)) return *n;
  if (const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs); dt.isValid())
    return DateTimeToDayNumber(dt.date(), dt.time());
  if (const QDate d = QDate::fromString(text, Qt::ISODate); d.isValid())
    return DateTimeToDayNumber(d, QTime(0, 0));
  if (const auto r = ParseDateTime(text, style, QLocale::system())) return *r;
  *why = QStringLiteral("\"%1\" is not a date (day number, ISO 8601 or regional text)").arg(text);
  return std::nullopt;
}

// The column record of a source column; links resolve against `source`.
std::optional<TColumnDef> ColumnRecord(const DatabaseSource& source, const ColumnSource& c,
                                       QString* why) {
  if (!NameBytes(c.name, why)) return std::nullopt;
  TColumnDef def = TColumnDef::NewColumn(c.name, c.type);
  if (c.style < 0 || c.style > 255 || c.decimals < 0 || c.decimals > 255) {
    *why = QStringLiteral("style and decimals lie from 0 to 255");
    return std::nullopt;
  }
  switch (c.type) {
    case ColumnType::ctBoolean:
    case ColumnType::ctDateTime: def.SetStyle(static_cast<uint8_t>(c.style)); break;
    case ColumnType::ctComp:
    case ColumnType::ctExtended:
    case ColumnType::ctDouble:
    case ColumnType::ctReal48:
    case ColumnType::ctSingle:
      def.SetStyle(static_cast<uint8_t>(c.style));
      def.SetDecimals(static_cast<uint8_t>(c.decimals));
      break;
    case ColumnType::ctString:
      if (c.size < 1 || c.size > 65535) {
        *why = QStringLiteral("a string size lies from 1 to 65535");
        return std::nullopt;
      }
      def.SetWord(71, static_cast<uint16_t>(c.size));
      break;
    case ColumnType::ctLinkList: {
      if (c.linkCount < 1 || c.linkCount > 65535) {
        *why = QStringLiteral("a link count lies from 1 to 65535");
        return std::nullopt;
      }
      int tableNumber = 0, columnNumber = 0;
      for (size_t t = 0; t < source.tables.size() && tableNumber == 0; ++t) {
        if (source.tables[t].name != c.linkTable) continue;
        tableNumber = static_cast<int>(t) + 1;
        const auto& cols = source.tables[t].columns;
        for (size_t k = 0; k < cols.size() && columnNumber == 0; ++k)
          if (cols[k].name == c.linkColumn) columnNumber = static_cast<int>(k) + 1;
      }
      if (tableNumber == 0 || columnNumber == 0) {
        *why = QStringLiteral("linked column \"%1\" of table \"%2\" does not exist")
                   .arg(c.linkColumn, c.linkTable);
        return std::nullopt;
      }
      def.SetInt32(71, tableNumber);
      def.SetInt32(75, columnNumber);
      def.SetInt32(79, c.linkCount);
      break;
    }
    default: break;
  }
  if (!c.defaultText.isEmpty()) {
    if (c.type == ColumnType::ctBoolean) {
      const auto b = ParseBoolWord(c.defaultText, def.Style());
      if (!b) {
        *why = QStringLiteral("default \"%1\" is not a word of style %2")
                   .arg(c.defaultText)
                   .arg(c.style);
        return std::nullopt;
      }
      def.SetDefaultInteger(*b ? 1 : 0);
    } else if (c.type == ColumnType::ctDateTime) {
      const auto d = DayNumberCell(c.defaultText, def.Style(), why);
      if (!d) return std::nullopt;
      def.SetDefaultDayNumber(*d);
    } else {
      const auto v = IntegerInRange(c.defaultText, c.type, why);
      if (!v) return std::nullopt;
      def.SetDefaultInteger(*v);
    }
  }
  return def;
}

// Appends the stored bytes of one cell.
bool AppendCell(const TColumnDef& def, bool scrambled, const QString& cell, QByteArray& out,
                QString* why) {
  const ColumnType type = def.Type();
  const int64_t size = FieldSize(def);
  const qsizetype at = out.size();
  out.append(QByteArray(static_cast<qsizetype>(size), '\0'));
  auto* p = reinterpret_cast<uint8_t*>(out.data() + at);
  TFieldValue value = InitValue(type);
  if (type == ColumnType::ctString) {
    const auto bytes = EncodeWin1252(cell);
    if (!bytes) {
      *why = QStringLiteral("the text has a character outside Windows-1252");
      return false;
    }
    if (bytes->size() > size) {
      *why = QStringLiteral("the text of %1 bytes is longer than the field (%2 bytes)")
                 .arg(bytes->size())
                 .arg(size);
      return false;
    }
    std::memcpy(p, bytes->constData(), static_cast<size_t>(bytes->size()));
    if (scrambled) {
      for (int64_t i = 0; i < size; ++i) {
        const auto s = ScrambleStringByte(p[i]);
        if (!s) {
          *why =
              QStringLiteral("the character %1 cannot be stored scrambled").arg(Win1252Char(p[i]));
          return false;
        }
        p[i] = *s;
      }
    }
    return true;
  }
  if (type == ColumnType::ctLinkList) {
    const std::optional<QList<int>> links = orlaventis::content::ReadLinkList(cell);
    if (!links) {
      *why = QStringLiteral("\"%1\" is not a list of record numbers").arg(cell);
      return false;
    }
    if (links->size() > def.LinkCount()) {
      *why = QStringLiteral("%1 links for %2 slots").arg(links->size()).arg(def.LinkCount());
      return false;
    }
    for (qsizetype i = 0; i < links->size(); ++i) StoreLE<int32_t>(p + 4 * i, (*links)[i]);
    return true;
  }
  if (!cell.isEmpty()) {
    switch (type) {
      case ColumnType::ctBoolean: {
        const auto b = ParseBoolWord(cell, def.Style());
        if (!b) {
          *why =
              QStringLiteral("\"%1\" is not a word of boolean style %2").arg(cell).arg(def.Style());
          return false;
        }
        value.Data[0] = *b ? 1 : 0;
        break;
      }
      case ColumnType::ctDateTime: {
        const auto d = DayNumberCell(cell, def.Style(), why);
        if (!d) return false;
        value.SetFloat64(*d);
        break;
      }
      case ColumnType::ctComp:
      case ColumnType::ctExtended:
      case ColumnType::ctDouble:
      case ColumnType::ctReal48:
      case ColumnType::ctSingle:
        if (!TextToValue(cell, def, value, QLocale::system())) {
          *why = QStringLiteral("\"%1\" is not a number this column can hold").arg(cell);
          return false;
        }
        break;
      default: {
        const auto v = IntegerInRange(cell, type, why);
        if (!v) return false;
        value.SetInt64(*v);  // little-endian: the low bytes are the field
        break;
      }
    }
  }
  std::memcpy(p, value.Data.data(), static_cast<size_t>(size));
  return true;
}

}  // namespace

namespace {

// Makes the database of `source`, handing its bytes to `definitions` and `data` in order, a piece
// at a time (the same sink for both with `oneFile`). False with `error` set when a cell or name
// does not fit, or a sink refuses its piece.
bool EmitDatabase(const DatabaseSource& source, bool oneFile,
                  const std::function<bool(QByteArrayView)>& definitionSink,
                  const std::function<bool(QByteArrayView)>& dataSink, QString* error) {
  QString why;
  const auto password = EncodeWin1252(source.password.left(kNameLength));
  if (!password) {
    *error = QStringLiteral("password: a character outside Windows-1252");
    return false;
  }
  // Column records first: they give the record sizes and so the first-record positions.
  std::vector<std::vector<TColumnDef>> defs;
  std::vector<int64_t> recordSizes;
  int64_t definitionSize = kDbHeaderSize;
  for (const TableSource& t : source.tables) {
    if (!NameBytes(t.name, &why)) {
      *error = Where(t, 0, nullptr) + QStringLiteral(": ") + why;
      return false;
    }
    defs.emplace_back();
    int64_t recordSize = 0;
    for (const ColumnSource& c : t.columns) {
      const auto def = ColumnRecord(source, c, &why);
      if (!def) {
        *error = Where(t, 0, &c) + QStringLiteral(": ") + why;
        return false;
      }
      defs.back().push_back(*def);
      recordSize += FieldSize(*def);
    }
    recordSizes.push_back(recordSize);
    definitionSize += kTableDefSize + kColumnDefSize * static_cast<int64_t>(t.columns.size());
  }

  TDbHeader header = TDbHeader::NewHeader();
  header.SetTableCount(static_cast<int32_t>(source.tables.size()));
  header.SetTextScrambled(source.scrambled);
  if (!password->isEmpty()) header.SetPassword(*password);

  QByteArray definitions;
  definitions.append(reinterpret_cast<const char*>(header.bytes.data()), kDbHeaderSize);
  int64_t position = oneFile ? definitionSize : 0;
  for (size_t i = 0; i < source.tables.size(); ++i) {
    const TableSource& t = source.tables[i];
    if (position > std::numeric_limits<int32_t>::max()) {
      *error = Where(t, 0, nullptr) + QStringLiteral(": the data passes 2 GiB");
      return false;
    }
    TTableDef table;
    table.SetColumnCount(static_cast<int32_t>(t.columns.size()));
    table.SetName(*EncodeWin1252(t.name));
    table.SetRecordCount(static_cast<int32_t>(t.records.size()));
    table.SetCountSource(t.storedCount ? 2 : 0);
    table.SetFirstRecord(static_cast<int32_t>(position));
    definitions.append(reinterpret_cast<const char*>(table.bytes.data()), kTableDefSize);
    for (const TColumnDef& d : defs[i])
      definitions.append(reinterpret_cast<const char*>(d.bytes.data()), kColumnDefSize);
    position += recordSizes[i] * static_cast<int64_t>(t.records.size());
  }

  if (!definitionSink(definitions)) {
    *error = QStringLiteral("cannot be written");
    return false;
  }
  // Records go out in pieces of about a megabyte: a catalogue is never held whole.
  constexpr qsizetype kPiece = 1 << 20;
  QByteArray data;
  const std::function<bool(QByteArrayView)>& sink = oneFile ? definitionSink : dataSink;
  for (size_t i = 0; i < source.tables.size(); ++i) {
    const TableSource& t = source.tables[i];
    for (size_t r = 0; r < t.records.size(); ++r) {
      const QStringList& cells = t.records[r];
      if (cells.size() > static_cast<qsizetype>(t.columns.size())) {
        *error =
            Where(t, static_cast<int>(r) + 1, nullptr) +
            QStringLiteral(": %1 cells for %2 columns").arg(cells.size()).arg(t.columns.size());
        return false;
      }
      for (size_t c = 0; c < t.columns.size(); ++c) {
        const QString cell = static_cast<qsizetype>(c) < cells.size() ? cells[c] : QString();
        if (!AppendCell(defs[i][c], source.scrambled, cell, data, &why)) {
          *error = Where(t, static_cast<int>(r) + 1, &t.columns[c]) + QStringLiteral(": ") + why;
          return false;
        }
      }
      if (data.size() >= kPiece) {
        if (!sink(data)) {
          *error = QStringLiteral("cannot be written");
          return false;
        }
        data.clear();
      }
    }
  }
  if (!data.isEmpty() && !sink(data)) {
    *error = QStringLiteral("cannot be written");
    return false;
  }
  return true;
}

}  // namespace

std::optional<DatabaseImage> BuildDatabase(const DatabaseSource& source, bool oneFile,
                                           QString* error) {
  QString sink;
  if (error == nullptr) error = &sink;
  DatabaseImage image;
  auto append = [](QByteArray& to) {
    return [&to](QByteArrayView piece) {
      to.append(piece);
      return true;
    };
  };
  if (!EmitDatabase(source, oneFile, append(image.definitions), append(image.data), error))
    return std::nullopt;
  return image;
}

bool WriteDatabaseTo(const DatabaseSource& source, QIODevice& out, QString* error) {
  QString sink;
  if (error == nullptr) error = &sink;
  bool refused = false;
  const auto write = [&](QByteArrayView piece) {
    refused = out.write(piece.data(), piece.size()) != piece.size();
    return !refused;
  };
  if (EmitDatabase(source, true, write, write, error)) return true;
  if (refused) *error = out.errorString();
  return false;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QString sink;
  if (error == nullptr) error = &sink;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    *error = QStringLiteral("%1: cannot write (%2)").arg(path, file.errorString());
    return false;
  }
  return true;
}

bool WriteDatabase(const DatabaseSource& source, const QString& definitionPath,
                   const QString& dataPath, QString* error) {
  QString sink;
  if (error == nullptr) error = &sink;
  const bool oneFile = dataPath.isEmpty();
  const auto image = BuildDatabase(source, oneFile, error);
  if (!image) return false;
  if (oneFile) return WriteFileAtomically(definitionPath, image->definitions, error);
  const bool dataExisted = QFile::exists(dataPath);
  if (!WriteFileAtomically(dataPath, image->data, error)) return false;
  if (!WriteFileAtomically(definitionPath, image->definitions, error)) {
    if (!dataExisted) QFile::remove(dataPath);
    return false;
  }
  return true;
}

// ---- JSON source ----

namespace {

QString CellText(const QJsonValue& v, const ColumnSource& column) {
  switch (v.type()) {
    case QJsonValue::String: return v.toString();
    case QJsonValue::Bool:
      return BoolToText(v.toBool() ? 1 : 0, static_cast<uint8_t>(column.style));
    case QJsonValue::Double: {
      const double d = v.toDouble();
      if (std::floor(d) == d && std::fabs(d) < 9.0e15)
        return QString::number(static_cast<qint64>(d));
      return QString::number(d, 'g', 17);
    }
    case QJsonValue::Array: {
      QStringList parts;
      for (const QJsonValue& e : v.toArray()) parts << CellText(e, column);
      return parts.join(QLatin1Char(','));
    }
    default: return QString();
  }
}

}  // namespace

std::optional<DatabaseSource> DatabaseSourceFromJson(const QByteArray& json, QString* error) {
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull() || !doc.isObject()) {
    *error = parseError.error != QJsonParseError::NoError
                 ? QStringLiteral("JSON error at byte %1: %2")
                       .arg(parseError.offset)
                       .arg(parseError.errorString())
                 : QStringLiteral("the source is not a JSON object");
    return std::nullopt;
  }
  const QJsonObject root = doc.object();
  DatabaseSource source;
  source.scrambled = root.value(QLatin1String("scrambled")).toBool(false);
  source.password = root.value(QLatin1String("password")).toString();
  const QJsonArray tables = root.value(QLatin1String("tables")).toArray();
  for (qsizetype ti = 0; ti < tables.size(); ++ti) {
    const QJsonObject to = tables[ti].toObject();
    TableSource t;
    t.name = to.value(QLatin1String("name")).toString();
    if (t.name.isEmpty()) {
      *error = QStringLiteral("table %1: no \"name\"").arg(ti + 1);
      return std::nullopt;
    }
    t.storedCount = !to.value(QLatin1String("countFromDataSize")).toBool(false);
    for (const QJsonValue& cv : to.value(QLatin1String("columns")).toArray()) {
      const QJsonObject co = cv.toObject();
      ColumnSource c;
      c.name = co.value(QLatin1String("name")).toString();
      const QJsonValue type = co.value(QLatin1String("type"));
      std::optional<ColumnType> ct;
      if (type.isDouble() && type.toInt(-1) >= 0 && type.toInt(-1) < kColumnTypeCount)
        ct = static_cast<ColumnType>(type.toInt());
      else
        ct = ColumnTypeFromName(type.toString());
      if (!ct) {
        *error = QStringLiteral("table \"%1\", column \"%2\": unknown type \"%3\"")
                     .arg(t.name, c.name, type.toVariant().toString());
        return std::nullopt;
      }
      c.type = *ct;
      c.style = co.value(QLatin1String("style")).toInt(0);
      c.decimals = co.value(QLatin1String("decimals")).toInt(2);
      c.size = co.value(QLatin1String("size")).toInt(63);
      c.linkTable = co.value(QLatin1String("table")).toString();
      c.linkColumn = co.value(QLatin1String("column")).toString();
      c.linkCount = co.value(QLatin1String("count")).toInt(10);
      if (co.contains(QLatin1String("default")))
        c.defaultText = CellText(co.value(QLatin1String("default")), c);
      t.columns.push_back(c);
    }
    const QJsonArray records = to.value(QLatin1String("records")).toArray();
    for (qsizetype ri = 0; ri < records.size(); ++ri) {
      QStringList cells;
      if (records[ri].isArray()) {
        const QJsonArray a = records[ri].toArray();
        for (qsizetype k = 0; k < a.size(); ++k)
          cells << (k < static_cast<qsizetype>(t.columns.size()) ? CellText(a[k], t.columns[k])
                                                                 : a[k].toVariant().toString());
      } else if (records[ri].isObject()) {
        const QJsonObject o = records[ri].toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
          const auto found =
              std::find_if(t.columns.begin(), t.columns.end(),
                           [&](const ColumnSource& c) { return c.name == it.key(); });
          if (found == t.columns.end()) {
            *error = QStringLiteral("table \"%1\", record %2: no column \"%3\"")
                         .arg(t.name)
                         .arg(ri + 1)
                         .arg(it.key());
            return std::nullopt;
          }
          const qsizetype k = found - t.columns.begin();
          while (cells.size() <= k) cells << QString();
          cells[k] = CellText(it.value(), *found);
        }
      } else {
        *error = QStringLiteral("table \"%1\", record %2: a record is an array or an object")
                     .arg(t.name)
                     .arg(ri + 1);
        return std::nullopt;
      }
      t.records.push_back(cells);
    }
    source.tables.push_back(std::move(t));
  }
  return source;
}

}  // namespace olvtool
