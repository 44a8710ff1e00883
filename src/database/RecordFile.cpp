// TiDbRecFile: the keyed record file of page texts, read whole into memory.
#include "database/RecordFile.h"

#include "database/Bytes.h"
#include "database/RegularFile.h"
#include "database/Win1252.h"

namespace orlaventis {
namespace {

QString CText(const char* p, uint16_t length) {
  if (p == nullptr) return QString();
  const size_t n = ::strnlen(p, length);
  return DecodeWin1252(std::string_view(p, n));
}

}  // namespace

QString TiDbRec::KeyText() const { return CText(Key, KeyLength); }
QString TiDbRec::TextText() const { return CText(Text, TextLength); }

// A stored record: its texts end in a zero byte and are empty arrays when absent.
struct TiDbRecFile::Entry {
  uint32_t tag = 0;
  uint16_t keyLength = 0;
  uint16_t textLength = 0;
  QByteArray key;
  QByteArray text;
  uint8_t visible = 0;
};

TiDbRecFile::TiDbRecFile() = default;

TiDbRecFile::~TiDbRecFile() { FreeRecords(); }

void TiDbRecFile::FreeRecords() {
  while (records_.Count() > 0) records_.Delete(records_.Count());
  while (!owned_.empty()) owned_.pop_back();  // last record first
  lastLogical_ = 0;
  lastPhysical_ = 0;
  visibleCount_ = 0;
}

bool TiDbRecFile::Open(const QString& fileName, ProgressIndicator* progress) {
  FreeRecords();
  problem_ = ContentProblem{};
  // The file is read whole, so every length below is checked against bytes really present.
  const FileContents file = ReadRegularFile(fileName, kMaxRecordFileBytes);
  if (file.status != FileReadStatus::Ok) {
    if (file.status != FileReadStatus::Missing) problem_ = {ReadFault(file.status), fileName};
    return false;
  }
  const QByteArray& all = file.bytes;
  const auto* bytes = reinterpret_cast<const uint8_t*>(all.constData());
  const qsizetype size = all.size();
  if (size < recfile::kCountSize) {
    problem_ = {ContentFault::DamagedFile, fileName};
    return false;
  }
  const int32_t count = LoadLE<int32_t>(bytes);
  qsizetype pos = recfile::kCountSize;

  bool result = true;
  if (progress) {
    progress->SetPosition(0);
    progress->SetIndicatorVisible(true);
  }
  auto scrambled = [&](qsizetype at, uint16_t length) {
    if (length == 0) return QByteArray();
    QByteArray out(length + 1, '\0');  // the terminating zero stays
    for (uint16_t i = 0; i < length; ++i)
      out[i] = static_cast<char>(ScrambleRecordByte(bytes[at + i]));
    return out;
  };
  for (int32_t i = 1; i <= count; ++i) {
    if (size - pos < recfile::kRecordHeaderSize) {
      result = false;
      break;
    }
    auto entry = std::make_unique<Entry>();
    entry->tag = LoadLE<uint32_t>(bytes + pos + recfile::kTagOffset);
    entry->keyLength = LoadLE<uint16_t>(bytes + pos + recfile::kKeyLengthOffset);
    entry->textLength = LoadLE<uint16_t>(bytes + pos + recfile::kTextLengthOffset);
    pos += recfile::kRecordHeaderSize;
    if (size - pos < static_cast<qsizetype>(entry->keyLength) + entry->textLength) {
      result = false;
      break;
    }
    entry->key = scrambled(pos, entry->keyLength);
    pos += entry->keyLength;
    entry->text = scrambled(pos, entry->textLength);
    pos += entry->textLength;
    if (entry->keyLength == 0 && entry->textLength == 0) entry->tag = 0;
    Entry* raw = entry.get();
    owned_.push_back(std::move(entry));
    if (!records_.Add(raw)) {
      owned_.pop_back();
      break;
    }
    if (progress) progress->SetPosition(static_cast<int>(static_cast<int64_t>(i) * 100 / count));
  }
  if (progress) progress->SetIndicatorVisible(false);
  if (!result) problem_ = {ContentFault::DamagedFile, fileName};
  return result;
}

void TiDbRecFile::SelectAll() {
  const int32_t n = records_.Count();
  if (n == 0) {
    lastLogical_ = lastPhysical_ = visibleCount_ = 0;
    return;
  }
  for (const auto& entry : owned_) entry->visible = 1;
  visibleCount_ = n;
  if (lastPhysical_ >= 1 && lastPhysical_ <= n)
    lastLogical_ = lastPhysical_;
  else
    lastLogical_ = lastPhysical_ = 1;
}

TiDbRecFile::Entry* TiDbRecFile::At(int32_t physical) { return records_.Items(physical); }

int32_t TiDbRecFile::PhysicalPosition(int32_t target) {
  const int32_t n = records_.Count();
  if (n == 0 || target < 1 || target > visibleCount_) return 0;
  const bool cursorValid = lastPhysical_ >= 1 && lastPhysical_ <= n;
  if (cursorValid && target == lastLogical_) return lastPhysical_;

  // Walk from `start` in `step` direction, counting visible records from `logical`, the visible
  // position the walk has before it looks at `start`.
  int32_t physical, logical, step;
  if (cursorValid && target > lastLogical_) {
    if (target - lastLogical_ >= visibleCount_ - target) {
      physical = n, logical = visibleCount_ + 1, step = -1;
    } else {
      physical = lastPhysical_ + 1, logical = lastLogical_, step = 1;
    }
  } else if (cursorValid) {
    if (lastLogical_ - target >= target - 1) {
      physical = 1, logical = 0, step = 1;
    } else {
      physical = lastPhysical_ - 1, logical = lastLogical_, step = -1;
    }
  } else {
    physical = 1, logical = 0, step = 1;
  }
  for (; physical >= 1 && physical <= n; physical += step) {
    if (At(physical)->visible == 0) continue;
    logical += step;
    if (logical == target) {
      lastLogical_ = target;
      lastPhysical_ = physical;
      return physical;
    }
  }
  return 0;
}

TiDbRec TiDbRecFile::GetRecord(int32_t visiblePosition) {
  TiDbRec rec;
  const int32_t physical = PhysicalPosition(visiblePosition);
  if (physical == 0) return rec;
  const Entry* e = At(physical);
  rec.Tag = e->tag;
  rec.KeyLength = e->keyLength;
  rec.TextLength = e->textLength;
  rec.Key = e->key.isEmpty() ? nullptr : e->key.constData();
  rec.Text = e->text.isEmpty() ? nullptr : e->text.constData();
  rec.Visible = e->visible;
  return rec;
}

}  // namespace orlaventis
