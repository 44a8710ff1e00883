// TDbHeader and TTableDef: the byte layout of a table database's definitions, for reader and
// writer.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace orlaventis {

// A definitions file is the header, then per table its definition followed by its column
// definitions (TColumnDef); the records follow in the data file, or in the same file after the
// definitions. Numbers are little-endian.
constexpr int kDbHeaderSize = 272;
constexpr int kTableDefSize = 77;
constexpr uint16_t kDbVersion = 100;

// The definition file header (272 bytes), with accessors.
struct TDbHeader {
  std::array<uint8_t, kDbHeaderSize> bytes{};

  int32_t TableCount() const;
  bool TextScrambled() const { return bytes[kScrambledAt] != 0; }
  bool SignatureOk() const;  // the short text "Tessaran"
  float PasswordMarker() const;
  float CheckValue(int position) const;  // position 2 to 64
  uint16_t Version() const;

  void SetTableCount(int32_t count);
  void SetTextScrambled(bool scrambled) { bytes[kScrambledAt] = scrambled ? 1 : 0; }
  // Stores the marker and the check values of `password` (single-byte characters, at most 63).
  void SetPassword(const QByteArray& password);

  // The header of a new database: no tables, plain strings, no password (check value p × p).
  static TDbHeader NewHeader();

 private:
  static constexpr int kScrambledAt = 4;
};

// The check value stored at `position` (2 to 64) for `password` (single-byte characters): the
// character code, or the position past the password's end, times the position. Position 1 is
// never compared: the marker alone tells that a password exists.
float PasswordCheckValue(const QByteArray& password, int position);

// One table's definition (77 bytes): column count, name, record count, where the record count
// comes from, and the position of the first record.
struct TTableDef {
  std::array<uint8_t, kTableDefSize> bytes{};

  int32_t ColumnCount() const;
  QString Name() const;  // at most 63 characters
  int32_t RecordCount() const;
  uint8_t CountSource() const { return bytes[kCountSourceAt]; }  // 2: the stored count
  int32_t FirstRecord() const;

  void SetColumnCount(int32_t count);
  void SetName(const QByteArray& name);  // single-byte characters, at most 63
  void SetRecordCount(int32_t count);
  void SetCountSource(uint8_t source) { bytes[kCountSourceAt] = source; }
  void SetFirstRecord(int32_t position);

 private:
  static constexpr int kCountSourceAt = 72;
};

}  // namespace orlaventis
