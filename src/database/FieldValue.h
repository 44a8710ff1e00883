// TFieldValue, one field as read, and reading fields from the data: empty values, scrambling.
#pragma once

#include "database/ColumnDefinitions.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orlaventis {

constexpr int kShortTextLength = 255;  // display texts are cut to this many characters
constexpr int kValueDataSize = 256;    // data bytes of a TFieldValue
constexpr int kMaxLinks = 50;          // link slots of a TFieldValue

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

}  // namespace orlaventis
