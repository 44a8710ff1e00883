// Column types and the 137-byte column record: its fields, type parameters and field size.
#include "database/ColumnDefinitions.h"

#include "database/Bytes.h"
#include "database/Win1252.h"

#include <algorithm>
#include <cstring>

namespace orlaventis {
namespace {

constexpr std::array<const char*, kColumnTypeCount> kTypeNames = {
    "boolean", "byte",   "comp",     "integer",  "datetime", "extended", "integer6", "integer7",
    "double",  "real48", "linklist", "shortint", "single",   "string",   "word",
};

}  // namespace

QString ColumnTypeName(uint8_t code) {
  return code < kColumnTypeCount ? QString::fromLatin1(kTypeNames[code]) : QString();
}

std::optional<ColumnType> ColumnTypeFromName(const QString& name) {
  QString n = name.toLower();
  if (n.startsWith(QLatin1String("ct"))) n = n.mid(2);
  for (int i = 0; i < kColumnTypeCount; ++i)
    if (n == QLatin1String(kTypeNames[static_cast<size_t>(i)])) return static_cast<ColumnType>(i);
  return std::nullopt;
}

// ---- TColumnDef ----

QString TColumnDef::Name() const {
  return DecodeWin1252(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 6,
                                        static_cast<size_t>(NameLength())));
}

int TColumnDef::NameLength() const { return std::min<int>(bytes[5], kNameLength); }

bool TColumnDef::SetName(const QString& name) {
  const auto encoded = EncodeWin1252(name.left(kNameLength));
  if (!encoded) return false;
  std::fill(bytes.begin() + 5, bytes.begin() + 69, uint8_t{0});
  bytes[5] = static_cast<uint8_t>(encoded->size());
  std::memcpy(bytes.data() + 6, encoded->constData(), static_cast<size_t>(encoded->size()));
  return true;
}

uint8_t TColumnDef::Byte(int offset) const {
  return offset >= 0 && offset < kColumnDefSize ? bytes[static_cast<size_t>(offset)] : 0;
}
uint16_t TColumnDef::Word(int offset) const {
  return offset >= 0 && offset + 2 <= kColumnDefSize ? LoadLE<uint16_t>(&bytes[offset]) : 0;
}
int32_t TColumnDef::Int32(int offset) const {
  return offset >= 0 && offset + 4 <= kColumnDefSize ? LoadLE<int32_t>(&bytes[offset]) : 0;
}
double TColumnDef::Float64(int offset) const {
  return offset >= 0 && offset + 8 <= kColumnDefSize ? LoadLE<double>(&bytes[offset]) : 0.0;
}
void TColumnDef::SetByte(int offset, uint8_t v) {
  if (offset >= 0 && offset < kColumnDefSize) bytes[static_cast<size_t>(offset)] = v;
}
void TColumnDef::SetWord(int offset, uint16_t v) {
  if (offset >= 0 && offset + 2 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}
void TColumnDef::SetInt32(int offset, int32_t v) {
  if (offset >= 0 && offset + 4 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}
void TColumnDef::SetFloat64(int offset, double v) {
  if (offset >= 0 && offset + 8 <= kColumnDefSize) StoreLE(&bytes[offset], v);
}

int64_t TColumnDef::DefaultInteger() const {
  switch (Type()) {
    case ColumnType::ctBoolean: return bytes[72];
    case ColumnType::ctByte: return bytes[71];
    case ColumnType::ctShortInt: return static_cast<int8_t>(bytes[71]);
    case ColumnType::ctWord: return Word(71);
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7: return Int32(71);
    default: return 0;
  }
}

void TColumnDef::SetDefaultInteger(int64_t v) {
  switch (Type()) {
    case ColumnType::ctBoolean: bytes[72] = static_cast<uint8_t>(v); break;
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: bytes[71] = static_cast<uint8_t>(v); break;
    case ColumnType::ctWord: SetWord(71, static_cast<uint16_t>(v)); break;
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7:
      SetInt32(71, static_cast<int32_t>(static_cast<uint32_t>(v)));
      break;
    default: break;
  }
}

TColumnDef TColumnDef::NewColumn(const QString& name, ColumnType type) {
  TColumnDef c;
  c.SetName(name);
  c.SetType(type);
  switch (type) {
    case ColumnType::ctComp:
    case ColumnType::ctExtended:
    case ColumnType::ctDouble:
    case ColumnType::ctReal48:
    case ColumnType::ctSingle: c.SetDecimals(2); break;
    case ColumnType::ctDateTime: c.SetDefaultDayNumber(1.0); break;
    case ColumnType::ctString: c.SetWord(71, 63); break;
    case ColumnType::ctLinkList: c.SetInt32(79, 10); break;
    default: break;
  }
  return c;
}

// ---- sizes ----

int FixedFieldWidth(uint8_t typeCode) {
  switch (static_cast<ColumnType>(typeCode)) {
    case ColumnType::ctBoolean:
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: return 1;
    case ColumnType::ctWord: return 2;
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7:
    case ColumnType::ctSingle: return 4;
    case ColumnType::ctReal48: return 6;
    case ColumnType::ctComp:
    case ColumnType::ctDateTime:
    case ColumnType::ctDouble: return 8;
    case ColumnType::ctExtended: return 10;
    default: return 0;
  }
}

int64_t FieldSize(const TColumnDef& column) {
  switch (column.Type()) {
    case ColumnType::ctString: return column.StringSize();
    case ColumnType::ctLinkList: {
      const int64_t n = column.LinkCount();
      return n > 0 ? 4 * n : 0;
    }
    default: return FixedFieldWidth(column.TypeCode());
  }
}

}  // namespace orlaventis
