// TFieldValue, one field as read, and reading fields from the data: empty values, scrambling.
#include "database/FieldValue.h"

#include "database/Bytes.h"
#include "database/Win1252.h"

#include <algorithm>
#include <cstring>

namespace orlaventis {

// ---- TFieldValue ----

int64_t TFieldValue::Int64() const { return LoadLE<int64_t>(Data.data()); }
int32_t TFieldValue::Int32At(int slot) const {
  return slot >= 0 && slot < kValueDataSize / 4 ? LoadLE<int32_t>(&Data[4 * slot]) : 0;
}
double TFieldValue::Float64() const { return LoadLE<double>(Data.data()); }
float TFieldValue::Float32() const { return LoadLE<float>(Data.data()); }
std::span<const uint8_t> TFieldValue::StringBytes() const {
  const auto end = std::find(Data.begin(), Data.begin() + kShortTextLength, uint8_t{0});
  return {Data.data(), static_cast<size_t>(end - Data.begin())};
}
QString TFieldValue::String() const {
  const auto b = StringBytes();
  return DecodeWin1252(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}
void TFieldValue::SetInt64(int64_t v) { StoreLE(Data.data(), v); }
void TFieldValue::SetInt32At(int slot, int32_t v) {
  if (slot >= 0 && slot < kValueDataSize / 4) StoreLE(&Data[4 * slot], v);
}
void TFieldValue::SetFloat64(double v) { StoreLE(Data.data(), v); }
void TFieldValue::SetFloat32(float v) { StoreLE(Data.data(), v); }

// ---- empty values ----

TFieldValue InitValue(uint8_t typeCode) {
  TFieldValue v;
  v.Type = typeCode;
  if (static_cast<ColumnType>(typeCode) == ColumnType::ctDateTime) v.SetFloat64(1.0);
  return v;
}

bool IsEmptyValue(const TFieldValue& value) {
  const uint8_t* d = value.Data.data();
  switch (static_cast<ColumnType>(value.Type)) {
    case ColumnType::ctString: return d[0] == 0;
    case ColumnType::ctLinkList: return value.Int32At(0) == 0;
    case ColumnType::ctDateTime: return value.Float64() == 1.0;
    case ColumnType::ctDouble: return value.Float64() == 0.0;
    case ColumnType::ctSingle: return value.Float32() == 0.0f;
    case ColumnType::ctReal48: return d[0] == 0;
    case ColumnType::ctExtended:  // zero of either sign; a tiny denormal is not empty
      return std::all_of(d, d + 9, [](uint8_t b) { return b == 0; }) && (d[9] & 0x7F) == 0;
    default: {
      const int w = FixedFieldWidth(value.Type);
      const int n = w > 0 ? w : kValueDataSize;
      return std::all_of(d, d + n, [](uint8_t b) { return b == 0; });
    }
  }
}

// ---- reading ----

std::optional<uint8_t> ScrambleStringByte(uint8_t b) {
  if (b <= 128) return static_cast<uint8_t>(b + 127);
  if (b <= 253) return static_cast<uint8_t>(b - 127);
  return std::nullopt;
}

void ReadField(std::span<const uint8_t> field, const TColumnDef& column, bool scrambled,
               TFieldValue& value) {
  // The empty value of the type, written in place: a value is large, and fields are read often.
  value.NotRead = 0;
  value.Type = column.TypeCode();
  value.Data.fill(0);
  if (column.Type() == ColumnType::ctDateTime) value.SetFloat64(1.0);
  const int64_t size = FieldSize(column);
  if (size <= 0 || static_cast<int64_t>(field.size()) < size) {
    value.NotRead = 1;
    return;
  }
  switch (column.Type()) {
    case ColumnType::ctString: {
      // A field wider than a value holds keeps its first 255 bytes; the rest is skipped.
      const size_t n = static_cast<size_t>(std::min<int64_t>(size, kShortTextLength));
      size_t i = 0;
      for (; i < n; ++i) {
        const uint8_t b = scrambled ? UnscrambleStringByte(field[i]) : field[i];
        if (b == 0) break;
        value.Data[i] = b;
      }
      value.Data[i] = 0;
      break;
    }
    case ColumnType::ctLinkList: {
      // All N links are in the field; a value keeps the first 50.
      const size_t n = static_cast<size_t>(std::min<int64_t>(column.LinkCount(), kMaxLinks));
      std::memcpy(value.Data.data(), field.data(), 4 * n);
      break;
    }
    default: std::memcpy(value.Data.data(), field.data(), static_cast<size_t>(size)); break;
  }
}

}  // namespace orlaventis
