// TDbHeader and TTableDef: reading and storing the fields of a table database's definitions.
#include "database/DatabaseFormat.h"

#include "database/Bytes.h"
#include "database/ColumnDefinitions.h"
#include "database/Win1252.h"

#include <algorithm>

namespace orlaventis {
namespace {

constexpr char kSignature[] = "Tessaran";
constexpr int kSignatureAt = 5;  // a short text: length byte, then 8 characters
constexpr int kMarkerAt = 14;
constexpr int kCheckValuesAt = 18;  // float per position 2 to 64
constexpr int kVersionAt = 270;

constexpr int kTableNameAt = 4;  // a short text of at most 63 characters in 64 bytes
constexpr int kRecordCountAt = 68;
constexpr int kFirstRecordAt = 73;

constexpr int CheckValueAt(int position) { return kCheckValuesAt + 4 * (position - 2); }

}  // namespace

// ---- TDbHeader ----

int32_t TDbHeader::TableCount() const { return LoadLE<int32_t>(bytes.data()); }

bool TDbHeader::SignatureOk() const {
  return bytes[kSignatureAt] == 8 &&
         std::memcmp(bytes.data() + kSignatureAt + 1, kSignature, 8) == 0;
}

float TDbHeader::PasswordMarker() const { return LoadLE<float>(bytes.data() + kMarkerAt); }

float TDbHeader::CheckValue(int position) const {
  if (position < 2 || position > 64) return 0.0f;
  return LoadLE<float>(bytes.data() + CheckValueAt(position));
}

uint16_t TDbHeader::Version() const { return LoadLE<uint16_t>(bytes.data() + kVersionAt); }

void TDbHeader::SetTableCount(int32_t count) { StoreLE<int32_t>(bytes.data(), count); }

void TDbHeader::SetPassword(const QByteArray& password) {
  StoreLE<float>(bytes.data() + kMarkerAt, 1.0f);
  for (int p = 2; p <= 64; ++p)
    StoreLE<float>(bytes.data() + CheckValueAt(p), PasswordCheckValue(password, p));
}

TDbHeader TDbHeader::NewHeader() {
  TDbHeader h;
  h.bytes[kSignatureAt] = 8;
  std::memcpy(h.bytes.data() + kSignatureAt + 1, kSignature, 8);
  for (int p = 2; p <= 64; ++p)
    StoreLE<float>(h.bytes.data() + CheckValueAt(p), PasswordCheckValue({}, p));
  StoreLE<uint16_t>(h.bytes.data() + kVersionAt, kDbVersion);
  return h;
}

float PasswordCheckValue(const QByteArray& password, int position) {
  const int c = password.size() >= position ? static_cast<uint8_t>(password.at(position - 1))
                                            : position;
  return static_cast<float>(c * position);
}

// ---- TTableDef ----

int32_t TTableDef::ColumnCount() const { return LoadLE<int32_t>(bytes.data()); }

QString TTableDef::Name() const {
  const uint8_t* p = bytes.data() + kTableNameAt;
  const int n = std::min<int>(p[0], kNameLength);
  return DecodeWin1252(
      std::string_view(reinterpret_cast<const char*>(p) + 1, static_cast<size_t>(n)));
}

int32_t TTableDef::RecordCount() const { return LoadLE<int32_t>(bytes.data() + kRecordCountAt); }

int32_t TTableDef::FirstRecord() const { return LoadLE<int32_t>(bytes.data() + kFirstRecordAt); }

void TTableDef::SetColumnCount(int32_t count) { StoreLE<int32_t>(bytes.data(), count); }

void TTableDef::SetName(const QByteArray& name) {
  const int n = std::min<int>(static_cast<int>(name.size()), kNameLength);
  std::fill_n(bytes.data() + kTableNameAt, kNameLength + 1, uint8_t{0});
  bytes[kTableNameAt] = static_cast<uint8_t>(n);
  std::memcpy(bytes.data() + kTableNameAt + 1, name.constData(), static_cast<size_t>(n));
}

void TTableDef::SetRecordCount(int32_t count) {
  StoreLE<int32_t>(bytes.data() + kRecordCountAt, count);
}

void TTableDef::SetFirstRecord(int32_t position) {
  StoreLE<int32_t>(bytes.data() + kFirstRecordAt, position);
}

}  // namespace orlaventis
