// TiDbRecFile: the keyed record file of page texts, read whole into memory.
#pragma once

#include "database/Chains.h"
#include "database/RegularFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace orlaventis {

// A record as GetRecord hands it out. Key and Text point into storage owned by the
// TiDbRecFile: zero-terminated unscrambled bytes, valid until its next Open or its destruction;
// null when the length is 0. An all-zero entry means "no record".
struct TiDbRec {
  uint32_t Tag = 0;
  uint16_t KeyLength = 0;
  uint16_t TextLength = 0;
  const char* Key = nullptr;
  const char* Text = nullptr;
  uint8_t Visible = 0;

  // Key and Text as text: the bytes up to the first zero, decoded from Windows-1252.
  QString KeyText() const;
  QString TextText() const;
};

// Anything with a position from 0 to 100 and a visibility switch. The reader calls it between
// records and runs no events itself: an indicator drawn on screen runs pending events in
// SetPosition so that it is painted.
class ProgressIndicator {
 public:
  virtual ~ProgressIndicator() = default;
  virtual void SetPosition(int percent) = 0;
  virtual void SetIndicatorVisible(bool visible) = 0;
};

constexpr qint64 kMaxRecordFileBytes = 64LL * 1024 * 1024;

class TiDbRecFile {
 public:
  TiDbRecFile();
  ~TiDbRecFile();
  TiDbRecFile(const TiDbRecFile&) = delete;
  TiDbRecFile& operator=(const TiDbRecFile&) = delete;

  // Replaces the content with the records of `fileName`. False when the file cannot be read or
  // ends before the records its count announces; the complete records read before the damage
  // stay. `progress` (not owned, may be null) follows the read.
  // Only a regular file of at most kMaxRecordFileBytes is read.
  bool Open(const QString& fileName, ProgressIndicator* progress = nullptr);
  // Why the last Open failed; no fault after success or a missing file.
  const ContentProblem& OpenProblem() const { return problem_; }
  // Marks every record visible.
  void SelectAll();
  int32_t VisibleCount() const { return visibleCount_; }
  int32_t RecordCount() const { return records_.Count(); }
  // The record at visible position 1 to VisibleCount, or an all-zero entry.
  TiDbRec GetRecord(int32_t visiblePosition);

  int32_t LastLogical() const { return lastLogical_; }
  int32_t LastPhysical() const { return lastPhysical_; }

 private:
  struct Entry;
  void FreeRecords();
  int32_t PhysicalPosition(int32_t visiblePosition);
  Entry* At(int32_t physical);

  std::vector<std::unique_ptr<Entry>> owned_;  // owns what `records_` points to
  TPointerChain<Entry> records_{QStringLiteral("iDbRecs")};
  int32_t lastLogical_ = 0;
  int32_t lastPhysical_ = 0;
  int32_t visibleCount_ = 0;
  ContentProblem problem_;
};

// The record file's layout, shared by its reader and its writer: a little-endian int32 count of
// records, then per record a header (uint32 tag, uint16 key length, uint16 text length, all
// little-endian) followed by the key's and the text's bytes, scrambled.
namespace recfile {
inline constexpr int kCountSize = 4;
inline constexpr int kTagOffset = 0;
inline constexpr int kKeyLengthOffset = 4;
inline constexpr int kTextLengthOffset = 6;
inline constexpr int kRecordHeaderSize = 8;
inline constexpr int kMaxPartBytes = 65535;  // a key or a text: the length is 16 bits
}  // namespace recfile

// The record file's byte substitution (its own inverse): 1..127 <-> 128..254; 0 and 255 stay.
constexpr uint8_t ScrambleRecordByte(uint8_t b) {
  if (b >= 1 && b <= 127) return static_cast<uint8_t>(b + 127);
  if (b >= 128 && b <= 254) return static_cast<uint8_t>(b - 127);
  return b;
}

}  // namespace orlaventis
