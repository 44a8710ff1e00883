// Column types, the 137-byte column record, field values and their conversions to and from text.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

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

constexpr int kNameLength = 63;          // names are cut to this many characters
constexpr int kShortTextLength = 255;    // display texts are cut to this many characters
constexpr int kValueDataSize = 256;      // data bytes of a TFieldValue
constexpr int kMaxLinks = 50;            // link slots of a TFieldValue
constexpr int kColumnDefSize = 137;
constexpr double kDayNumberOffset = 693594.0;  // day number of 30 December 1899

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
  uint8_t Style() const { return bytes[71]; }        // boolean, number and date styles
  void SetStyle(uint8_t v) { bytes[71] = v; }
  uint8_t Decimals() const { return bytes[72]; }     // number types
  void SetDecimals(uint8_t v) { bytes[72] = v; }
  uint16_t StringSize() const { return Word(71); }   // ctString: S
  int32_t LinkedTable() const { return Int32(71); }  // ctLinkList
  int32_t LinkedColumn() const { return Int32(75); }
  int32_t LinkCount() const { return Int32(79); }    // ctLinkList: N
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

// A field value: the not-read flag, the type code and the field's bytes as stored (a string
// holds its text and a terminating zero; a link list up to 50 32-bit record numbers).
struct TFieldValue {
  uint8_t NotRead = 0;  // 0 = valid; 1 = not read or not converted
  uint8_t Type = 0;     // type code
  std::array<uint8_t, kValueDataSize> Data{};

  bool IsRead() const { return NotRead == 0; }
  // Little-endian views of the data.
  int64_t Int64() const;
  int32_t Int32At(int slot) const;  // slot 0..63
  double Float64() const;
  float Float32() const;
  // The string data up to its first zero byte (at most 255 bytes).
  std::span<const uint8_t> StringBytes() const;
  QString String() const;  // StringBytes decoded from Windows-1252
  void SetInt64(int64_t v);
  void SetInt32At(int slot, int32_t v);
  void SetFloat64(double v);
  void SetFloat32(float v);
};

// Field size in the data file, from the column's type and parameters; 0 for an unknown type
// code or a link list with N below 1. 64-bit because N comes from the file unchecked.
int64_t FieldSize(const TColumnDef& column);
// The empty value of a type: flag 0, the code, zero data except day number 1.0 for ctDateTime.
TFieldValue InitValue(uint8_t typeCode);
inline TFieldValue InitValue(ColumnType type) { return InitValue(static_cast<uint8_t>(type)); }
// True when the value's data equals its type's empty value.
bool IsEmptyValue(const TFieldValue& value);

// Reads one field from `field` (the bytes from the field's position to the end of the data
// file). Fewer bytes than FieldSize give InitValue of the type marked not read. A string is
// unscrambled when `scrambled`; a string field larger than 255 bytes keeps its first 255 bytes,
// and a link list with N above 50 keeps its first 50 links.
void ReadField(std::span<const uint8_t> field, const TColumnDef& column, bool scrambled,
               TFieldValue& value);

// Undoes / applies the string scrambling of a database with TextScrambled set. Scramble is
// the inverse of Unscramble for every byte except 254 and 255, which have no scrambled form
// (Scramble returns nullopt for them).
constexpr uint8_t UnscrambleStringByte(uint8_t b) {
  return b >= 127 ? static_cast<uint8_t>(b - 127) : static_cast<uint8_t>(b + 127);
}
std::optional<uint8_t> ScrambleStringByte(uint8_t b);

// The locale whose regional formats date texts use. QLocale::system() unless set; tests pin it.
QLocale DateLocale();
void SetDateLocale(const QLocale& locale);
void ResetDateLocale();

// Display text of a value with the column's formatting (at most 255 characters). A link list
// is not formatted here (it needs the database; see TTessaranObject::GetValueAsText) and gives
// the empty text, as does a value whose type code is unknown.
QString FieldText(const TColumnDef& column, const TFieldValue& value);

// Converts `text` into `value` for `column`; true when converted (the value's flag is then 0).
// See the building blocks for the rules of each type; for the integer, boolean and date types a
// text yielding the value already held counts as failed and stores the column's default.
bool TextToValue(const QString& text, const TColumnDef& column, TFieldValue& value);

// Building blocks.
// "Yes"/"No" (style 0), "True"/"False" (1), "On"/"Off" (2); the empty text for other styles.
QString BoolToText(uint8_t byte, uint8_t style);
// The style's true or false word (exact, case-sensitive), else nullopt.
std::optional<bool> ParseBoolWord(const QString& text, uint8_t style);
bool TextToBool(const QString& text, uint8_t style, bool defaultValue);
// Fixed-point text with `decimals` digits; style 1 uses a decimal comma, style 2 appends "%".
// Infinite and NaN values give "INF", "-INF" and "NAN".
QString NumberToText(uint8_t style, int decimals, double number);
// The same for a whole number, exact for every 64-bit value.
QString IntegerNumberToText(uint8_t style, int decimals, int64_t number);
// Date text of a day number by date style (0 short date + short time, 1 long date + long time,
// 2 short date, 3 long date, 4 short time, 5 long time, others short date and, unless
// midnight, long time) in DateLocale(), years always with four digits. Empty for a day number
// that names no representable date (NaN, infinite, beyond ten million days).
QString DateTimeToText(uint8_t style, double dayNumber);
// Parses date text by style (0, 1 and others date and time, 2 and 3 date, 4 and 5 time) with
// the short or long regional formats of DateLocale(); nullopt when it cannot be read. Years are
// read with four digits, and also with two where the regional format has two: those name the
// year of the hundred years ending 20 years after the current one ("05" is 2005, "57" 1957 in
// 2026).
std::optional<double> ParseDateTime(const QString& text, uint8_t style);
double TextToDateTime(const QString& text, uint8_t style, double defaultValue);
// Day number <-> calendar: the platform value (day number - 693594) counts days from
// 30 December 1899; its whole part (toward zero) is the day, its unsigned fraction the time.
// DayNumberToDateTime gives an invalid QDateTime where DateTimeToText gives the empty text.
QDateTime DayNumberToDateTime(double dayNumber);
double DateTimeToDayNumber(const QDate& date, const QTime& time);
// A whole number: optional leading blanks, optional sign, decimal digits or "$" and up to 8
// hexadecimal digits (taken as 32 bits); nullopt outside the 32-bit range or when malformed.
std::optional<int64_t> TextToInteger(const QString& text);
// A decimal number with "." and an optional exponent, after the style's preparation (style 1:
// the first "," becomes "."; style 2: a final "%" is removed). The whole text must be a number.
std::optional<double> TextToNumber(const QString& text, uint8_t style);

// Number encodings, by hand and portable.
double DecodeReal48(std::span<const uint8_t, 6> bytes);
// nullopt when the magnitude does not fit (about 1.7e38); tiny values become 0.
std::optional<std::array<uint8_t, 6>> EncodeReal48(double v);
double DecodeExtended(std::span<const uint8_t, 10> bytes);
std::array<uint8_t, 10> EncodeExtended(double v);

}  // namespace orlaventis
