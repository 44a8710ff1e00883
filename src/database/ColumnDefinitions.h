// Column types and the 137-byte column record: its fields, type parameters and field size.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace orlaventis {

// Column type codes as stored at offset 70 of a column record. A code read from a file may
// lie outside this list; such a column has field size 0.
enum class ColumnType : uint8_t {
  ctBoolean = 0,
  ctByte = 1,
  ctComp = 2,
  ctInteger = 3,
  ctDateTime = 4,
  ctExtended = 5,
  ctInteger6 = 6,
  ctInteger7 = 7,
  ctDouble = 8,
  ctReal48 = 9,
  ctLinkList = 10,
  ctShortInt = 11,
  ctSingle = 12,
  ctString = 13,
  ctWord = 14,
};
constexpr int kColumnTypeCount = 15;

constexpr int kNameLength = 63;  // names are cut to this many characters
constexpr int kColumnDefSize = 137;

// Canonical lower-case name of a type code ("string", "linklist"), empty for an unknown code.
QString ColumnTypeName(uint8_t code);
// The code for a name as ColumnTypeName gives it (case-insensitive, an optional "ct" prefix
// accepted); empty when unknown.
std::optional<ColumnType> ColumnTypeFromName(const QString& name);

// The column record exactly as stored (137 bytes), with accessors for its fields. Type
// parameters start at offset 71 and are laid out per type; accessors read whatever bytes lie
// there, so a caller asks only for the parameters of the column's own type.
struct TColumnDef {
  std::array<uint8_t, kColumnDefSize> bytes{};

  // Name (at most 63 characters, decoded from Windows-1252). NameLength is the stored length
  // byte capped at 63; 0 marks "not found" in copies handed out by the engine.
  QString Name() const;
  int NameLength() const;
  // Stores the first 63 characters of `name`; false (nothing changed) when a character has no
  // Windows-1252 form.
  bool SetName(const QString& name);

  uint8_t TypeCode() const { return bytes[70]; }
  ColumnType Type() const { return static_cast<ColumnType>(bytes[70]); }
  void SetType(ColumnType type) { bytes[70] = static_cast<uint8_t>(type); }

  // Raw little-endian access to the record (offsets 0 to 136; out-of-range reads give 0 and
  // out-of-range writes are ignored).
  uint8_t Byte(int offset) const;
  uint16_t Word(int offset) const;
  int32_t Int32(int offset) const;
  double Float64(int offset) const;
  void SetByte(int offset, uint8_t v);
  void SetWord(int offset, uint16_t v);
  void SetInt32(int offset, int32_t v);
  void SetFloat64(int offset, double v);

  // Type parameters, by type.
  uint8_t Style() const { return bytes[71]; }  // boolean, number and date styles
  void SetStyle(uint8_t v) { bytes[71] = v; }
  uint8_t Decimals() const { return bytes[72]; }  // number types
  void SetDecimals(uint8_t v) { bytes[72] = v; }
  uint16_t StringSize() const { return Word(71); }   // ctString: S
  int32_t LinkedTable() const { return Int32(71); }  // ctLinkList
  int32_t LinkedColumn() const { return Int32(75); }
  int32_t LinkCount() const { return Int32(79); }  // ctLinkList: N
  // The default that TextToValue falls back to: boolean byte at 72, ctByte / ctShortInt at 71,
  // ctWord 2 bytes at 71, the 32-bit integer types 4 bytes at 71 (sign-extended as the type
  // reads). Zero for the other types.
  int64_t DefaultInteger() const;
  double DefaultDayNumber() const { return Float64(72); }  // ctDateTime
  // Writes the default of the column's type (integer types and booleans).
  void SetDefaultInteger(int64_t v);
  void SetDefaultDayNumber(double v) { SetFloat64(72, v); }

  // A new column of `type`: zero reserved bytes and the parameters of a new column (decimals 2,
  // string size 63, link count 10, date default 1.0).
  static TColumnDef NewColumn(const QString& name, ColumnType type);
};
static_assert(sizeof(TColumnDef) == kColumnDefSize);

// Bytes a value of a fixed-size type occupies; 0 for strings, link lists and unknown codes.
int FixedFieldWidth(uint8_t typeCode);
// Field size in the data file, from the column's type and parameters; 0 for an unknown type
// code or a link list with N below 1. 64-bit because N comes from the file unchecked.
int64_t FieldSize(const TColumnDef& column);

}  // namespace orlaventis
