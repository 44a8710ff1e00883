// TTessaranObject: the read-only table database engine, and the password prompt it asks.
#include "database/TableDatabase.h"

#include "database/Bytes.h"
#include "database/FieldText.h"
#include "database/RegularFile.h"
#include "database/SharedFileCache.h"
#include "database/Win1252.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace orlaventis {
namespace {

// Link lists may link to tables with link lists: bound the depth and the number of linked
// fields one display text reads, so that a cycle or a wide fan-out in a damaged file ends.
constexpr int kMaxLinkDepth = 8;
constexpr int kLinkReadBudget = 2500;

bool FileExists(const QString& name) { return !name.isEmpty() && QFileInfo::exists(name); }

// The whole file at `path` (at most kMaxDatabaseFileBytes): through `files` when there is one, so
// that databases on one file hold its bytes once, else a copy of its own.
SharedFileContents ReadDatabaseFile(SharedFileCache* files, const QString& path) {
  if (files != nullptr) return files->Read(path, kMaxDatabaseFileBytes);
  FileContents file = ReadRegularFile(path, kMaxDatabaseFileBytes);
  if (file.status != FileReadStatus::Ok) return {file.status, nullptr};
  return {FileReadStatus::Ok, std::make_shared<const QByteArray>(std::move(file.bytes))};
}

}  // namespace

// ---- entries ----

struct TTessaranObject::ColumnEntry {
  TColumnDef def;
  QString name;
  int64_t fieldSize = 0;
  int64_t offset = 0;  // within the record: the sizes of the earlier columns
};

struct TTessaranObject::TableEntry {
  TTableDef def;
  QString name;
  int32_t recordCount = 0;
  int32_t firstRecord = 0;
  int64_t recordSize = 0;
  std::vector<std::unique_ptr<ColumnEntry>> ownedColumns;
  mutable TPointerChain<ColumnEntry> columns{QStringLiteral("Columns")};  // lookups move its cursor

  int32_t ColumnCount() const { return def.ColumnCount(); }
  uint8_t CountSource() const { return def.CountSource(); }
};

TTessaranObject::TTessaranObject(PasswordPrompt* prompt, SharedFileCache* files)
    : prompt_(prompt), files_(files) {}

TTessaranObject::~TTessaranObject() { Close(); }

void TTessaranObject::Close() {
  data_.reset();
  dataBytes_ = nullptr;
  dataSize_ = 0;
  open_ = false;
  while (tables_.Count() > 0) tables_.Delete(tables_.Count());
  while (!ownedTables_.empty()) ownedTables_.pop_back();  // last table first
  header_ = TDbHeader{};
  dataName_.clear();
  definitionName_.clear();
  lockName_.clear();
  oneFile_ = false;
}

bool TTessaranObject::Open(const QString& dataName, const QString& definitionName,
                           const QString& lockName, const QString& password) {
  Close();
  problem_ = ContentProblem{};
  header_ = TDbHeader::NewHeader();
  if (!FileExists(dataName)) return false;
  if (definitionName != dataName && !FileExists(definitionName)) return false;
  if (FileExists(lockName)) return false;

  oneFile_ = definitionName == dataName;
  definitionName_ = definitionName;
  const auto fail = [this](ContentFault fault, const QString& file) {
    problem_ = {fault, fault == ContentFault::None ? QString() : file};
    return false;
  };
  // Shared: the Catalog and the colour section open the same catalogue.
  SharedFileContents definitions = ReadDatabaseFile(files_, definitionName);
  if (definitions.status != FileReadStatus::Ok)
    return fail(ReadFault(definitions.status), definitionName);
  const auto* defBytes = reinterpret_cast<const uint8_t*>(definitions.bytes->constData());
  if (!ReadDefinitions({defBytes, static_cast<size_t>(definitions.bytes->size())}))
    return fail(ContentFault::DamagedDatabase, definitionName);
  if (header_.PasswordMarker() != 0.0f && !CheckPassword(password.left(kNameLength))) {
    Close();
    return fail(ContentFault::WrongPassword, definitionName);
  }

  dataName_ = dataName;
  if (oneFile_) {
    data_ = std::move(definitions.bytes);
  } else {
    SharedFileContents data = ReadDatabaseFile(files_, dataName);
    if (data.status != FileReadStatus::Ok) return fail(ReadFault(data.status), dataName);
    data_ = std::move(data.bytes);
  }
  dataBytes_ = reinterpret_cast<const uint8_t*>(data_->constData());
  dataSize_ = data_->size();
  lockName_ = lockName;
  open_ = true;

  if (!oneFile_ && tables_.Count() == 1) {
    TableEntry* t = tables_.Items(1);
    if (t->CountSource() == 0 && t->recordSize > 0)
      t->recordCount = static_cast<int32_t>(
          std::min<int64_t>(dataSize_ / t->recordSize, std::numeric_limits<int32_t>::max()));
  }
  // Records announced beyond the end of the data: a file cut short. What is there stays
  // readable, but the damage is reported.
  for (const auto& table : ownedTables_) {
    if (table->recordSize > 0 && table->columns.Count() > 0 &&
        Readable(*table) < table->recordCount) {
      problem_ = {ContentFault::DamagedDatabase, dataName};
      break;
    }
  }
  return true;
}

bool TTessaranObject::ReadDefinitions(std::span<const uint8_t> file) {
  // Copies the next `n` bytes to `to`; false when the file ends first.
  const auto read = [&file](uint8_t* to, size_t n) {
    if (file.size() < n) return false;
    std::memcpy(to, file.data(), n);
    file = file.subspan(n);
    return true;
  };
  if (!read(header_.bytes.data(), kDbHeaderSize)) return false;
  if (!header_.SignatureOk() || header_.Version() != kDbVersion) return false;
  // Counts come from the file: every entry is appended only after its bytes have arrived.
  const int32_t tableCount = header_.TableCount();
  for (int32_t t = 1; t <= tableCount; ++t) {
    auto table = std::make_unique<TableEntry>();
    if (!read(table->def.bytes.data(), kTableDefSize)) return false;
    table->name = table->def.Name();
    table->recordCount = table->def.RecordCount();
    table->firstRecord = table->def.FirstRecord();
    TableEntry* raw = table.get();
    ownedTables_.push_back(std::move(table));
    if (!tables_.Add(raw)) return false;
    const int32_t columnCount = raw->ColumnCount();
    for (int32_t c = 1; c <= columnCount; ++c) {
      auto column = std::make_unique<ColumnEntry>();
      if (!read(column->def.bytes.data(), kColumnDefSize)) return false;
      column->name = column->def.Name();
      column->fieldSize = FieldSize(column->def);
      column->offset = raw->recordSize;
      ColumnEntry* rawColumn = column.get();
      raw->ownedColumns.push_back(std::move(column));
      if (!raw->columns.Add(rawColumn)) return false;
      if (rawColumn->fieldSize <= 0) return false;
      if (__builtin_add_overflow(raw->recordSize, rawColumn->fieldSize, &raw->recordSize))
        return false;
    }
  }
  return true;
}

bool TTessaranObject::CheckPassword(const QString& password) {
  QString text = password;
  if (text.isEmpty()) {
    if (prompt_ == nullptr) return false;
    const std::optional<QString> typed = prompt_->AskPassword(definitionName_);
    if (!typed || typed->isEmpty()) return false;
    text = typed->left(kNameLength);
  }
  // Character codes are those of the stored single-byte set.
  const std::optional<QByteArray> bytes = EncodeWin1252(text);
  if (!bytes) return false;
  for (int p = 2; p <= 64; ++p)
    if (PasswordCheckValue(*bytes, p) != header_.CheckValue(p)) return false;
  return true;
}

// ---- lookups ----

const TTessaranObject::TableEntry* TTessaranObject::Table(int table) const {
  return tables_.Items(table);
}

const TTessaranObject::TableEntry* TTessaranObject::FindTable(const QString& tableName,
                                                              int* number) const {
  // The owning vector holds the entries in chain order; walking it moves no chain cursor.
  const QStringView name = QStringView(tableName).left(kNameLength);
  if (name.isEmpty()) return nullptr;
  for (size_t i = 0; i < ownedTables_.size(); ++i) {
    if (ownedTables_[i]->name == name) {
      if (number) *number = static_cast<int>(i) + 1;
      return ownedTables_[i].get();
    }
  }
  return nullptr;
}

const TTessaranObject::ColumnEntry* TTessaranObject::Column(const TableEntry& table,
                                                            int column) const {
  return table.columns.Items(column);
}

const TTessaranObject::ColumnEntry* TTessaranObject::FindColumn(const TableEntry& table,
                                                                const QString& columnName,
                                                                int* number) const {
  const QStringView name = QStringView(columnName).left(kNameLength);
  if (name.isEmpty()) return nullptr;
  const auto& columns = table.ownedColumns;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i]->name == name) {
      if (number) *number = static_cast<int>(i) + 1;
      return columns[i].get();
    }
  }
  return nullptr;
}

int TTessaranObject::TableIndex(const QString& tableName) const {
  int number = 0;
  FindTable(tableName, &number);
  return number;
}

QString TTessaranObject::TableName(int table) const {
  const TableEntry* t = Table(table);
  return t ? t->name : QString();
}

int TTessaranObject::RecordCount(const QString& tableName) const {
  const TableEntry* t = FindTable(tableName);
  return t ? t->recordCount : -1;
}

int TTessaranObject::ColumnCount(int table) const {
  const TableEntry* t = Table(table);
  return t ? t->columns.Count() : 0;
}

int TTessaranObject::ColumnIndex(int table, const QString& columnName) const {
  const TableEntry* t = Table(table);
  int number = 0;
  if (t) FindColumn(*t, columnName, &number);
  return number;
}

int TTessaranObject::ColumnIndexByName(const QString& tableName, const QString& columnName) const {
  const TableEntry* t = FindTable(tableName);
  int number = 0;
  if (t) FindColumn(*t, columnName, &number);
  return number;
}

QString TTessaranObject::ColumnName(const QString& tableName, int column) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? Column(*t, column) : nullptr;
  return c ? c->name : QString();
}

TColumnDef TTessaranObject::GetColumnDef(const QString& tableName,
                                         const QString& columnName) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  return c ? c->def : TColumnDef{};
}

// ---- fields ----

std::span<const uint8_t> TTessaranObject::FieldBytes(const TableEntry& table,
                                                     const ColumnEntry& column, int record) const {
  if (!open_) return {};
  int64_t pos = 0;
  if (__builtin_mul_overflow(table.recordSize, static_cast<int64_t>(record) - 1, &pos) ||
      __builtin_add_overflow(pos, static_cast<int64_t>(table.firstRecord) + column.offset, &pos))
    return {};
  if (pos < 0 || pos > dataSize_) return {};
  return {dataBytes_ + pos, static_cast<size_t>(dataSize_ - pos)};
}

TFieldValue TTessaranObject::ReadValue(const TableEntry& table, const ColumnEntry& column,
                                       int record) const {
  TFieldValue value;
  if (record < 1 || record > table.recordCount) {
    value = InitValue(column.def.TypeCode());
    value.NotRead = 1;
    return value;
  }
  ReadField(FieldBytes(table, column, record), column.def, header_.TextScrambled(), value);
  return value;
}

TFieldValue TTessaranObject::GetValue(const QString& tableName, const QString& columnName,
                                      int record) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  if (c == nullptr) {
    TFieldValue value;
    value.NotRead = 1;
    return value;
  }
  return ReadValue(*t, *c, record);
}

TTessaranObject::ColumnHandle TTessaranObject::ResolveColumn(const QString& tableName,
                                                             const QString& columnName) const {
  ColumnHandle handle;
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  if (c != nullptr) {
    handle.table_ = t;
    handle.column_ = c;
  }
  return handle;
}

TColumnDef TTessaranObject::HandleColumnDef(ColumnHandle handle) const {
  return handle.column_ != nullptr ? handle.column_->def : TColumnDef{};
}

void TTessaranObject::ReadValue(ColumnHandle handle, int record, TFieldValue& value) const {
  if (handle.column_ == nullptr) {
    value = TFieldValue{};
    value.NotRead = 1;
    return;
  }
  const TableEntry& t = *handle.table_;
  const ColumnEntry& c = *handle.column_;
  if (record < 1 || record > t.recordCount) {
    value = InitValue(c.def.TypeCode());
    value.NotRead = 1;
    return;
  }
  ReadField(FieldBytes(t, c, record), c.def, header_.TextScrambled(), value);
}

std::span<const uint8_t> TTessaranObject::FieldData(ColumnHandle handle, int record) const {
  if (handle.column_ == nullptr || record < 1 || record > handle.table_->recordCount) return {};
  const std::span<const uint8_t> bytes = FieldBytes(*handle.table_, *handle.column_, record);
  const int64_t size = handle.column_->fieldSize;
  if (static_cast<int64_t>(bytes.size()) < size) return {};
  return bytes.first(static_cast<size_t>(size));
}

QString TTessaranObject::FieldTextAt(const TableEntry& table, const ColumnEntry& column, int record,
                                     int depth, int* budget) const {
  const TFieldValue value = ReadValue(table, column, record);
  return value.IsRead() ? ValueText(column, value, depth, budget) : QString();
}

QString TTessaranObject::ValueText(const ColumnEntry& column, const TFieldValue& value, int depth,
                                   int* budget) const {
  if (column.def.Type() != ColumnType::ctLinkList) return FieldText(column.def, value, dateLocale_);
  if (depth >= kMaxLinkDepth) return QString();
  const TableEntry* linkedTable = Table(column.def.LinkedTable());
  const ColumnEntry* linkedColumn = linkedTable ? Column(*linkedTable, column.def.LinkedColumn())
                                                : nullptr;
  if (linkedColumn == nullptr) return QString();
  QString text;
  const int n = std::min(column.def.LinkCount(), kMaxLinks);
  for (int i = 0; i < n; ++i) {
    const int32_t link = value.Int32At(i);
    if (link == 0) continue;
    if (--*budget < 0) break;
    text += FieldTextAt(*linkedTable, *linkedColumn, link, depth + 1, budget);
    text += QLatin1Char(',');
    if (text.size() > kShortTextLength + 1) break;  // the rest would be cut anyway
  }
  if (text.endsWith(QLatin1Char(','))) text.chop(1);
  return text.left(kShortTextLength);
}

QString TTessaranObject::GetValueAsText(const QString& tableName, const QString& columnName,
                                        int record) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  if (c == nullptr) return QString();
  int budget = kLinkReadBudget;
  return FieldTextAt(*t, *c, record, 0, &budget);
}

QString TTessaranObject::ValueToText(const QString& tableName, const QString& columnName,
                                     const TFieldValue& value) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  if (c == nullptr || !value.IsRead() || value.Type != c->def.TypeCode()) return QString();
  int budget = kLinkReadBudget;
  return ValueText(*c, value, 0, &budget);
}

bool TTessaranObject::TextToValue(const QString& text, const TColumnDef& column,
                                  TFieldValue& value) const {
  return orlaventis::TextToValue(text, column, value, dateLocale_);
}

int TTessaranObject::FindRecord(const QString& tableName, const QString& columnName,
                                const QString& text) const {
  const TableEntry* t = FindTable(tableName);
  const ColumnEntry* c = t ? FindColumn(*t, columnName) : nullptr;
  if (c == nullptr || t->recordCount < 1) return 0;
  const QString needle = text.left(kShortTextLength);
  const int32_t count = t->recordCount;

  // Records whose field lies wholly inside the data: [first, last]. The others read as not read,
  // whose display text is empty, so they can only match an empty text.
  int64_t first = 1, last = 0;
  if (open_) {
    const int64_t base = static_cast<int64_t>(t->firstRecord) + c->offset;  // record 1
    const int64_t rs = t->recordSize;
    if (base < 0) first = (-base + rs - 1) / rs + 1;
    const int64_t room = dataSize_ - c->fieldSize - base;  // record r fits when (r-1)*rs <= room
    last = room < 0 ? 0 : std::min<int64_t>(room / rs + 1, count);
  }
  const bool emptyNeedle = needle.isEmpty();
  if (emptyNeedle && (first > 1 || last < 1)) return 1;

  if (c->def.Type() == ColumnType::ctString) {
    // Compare the stored bytes with the text's single-byte form: equal bytes are equal texts,
    // and a text without a single-byte form equals no field.
    const std::optional<QByteArray> want = EncodeWin1252(needle);
    if (!want) return 0;
    const auto* w = reinterpret_cast<const uint8_t*>(want->constData());
    const qsizetype wn = want->size();
    const bool scrambled = header_.TextScrambled();
    const int64_t n = std::min<int64_t>(c->fieldSize, kShortTextLength);
    for (int64_t r = first; r <= last; ++r) {
      const std::span<const uint8_t> field = FieldBytes(*t, *c, static_cast<int>(r));
      if (static_cast<int64_t>(field.size()) < c->fieldSize) continue;
      qsizetype i = 0;
      bool equal = true;
      for (; i < n; ++i) {
        const uint8_t b = scrambled ? UnscrambleStringByte(field[i]) : field[i];
        if (b == 0) break;
        if (i >= wn || b != w[i]) {
          equal = false;
          break;
        }
      }
      if (equal && i == wn) return static_cast<int>(r);
    }
  } else {
    int budget = kLinkReadBudget;
    for (int64_t r = first; r <= last; ++r) {
      budget = kLinkReadBudget;
      if (FieldTextAt(*t, *c, static_cast<int>(r), 0, &budget) == needle)
        return static_cast<int>(r);
    }
  }
  if (emptyNeedle && last < count) return static_cast<int>(last + 1);
  return 0;
}

int32_t TTessaranObject::Readable(const TableEntry& table) const {
  const int64_t first = table.firstRecord;
  if (!open_ || table.columns.Count() < 1 || table.recordSize <= 0 || table.recordCount < 1 ||
      first < 0 || first > dataSize_)
    return 0;
  return static_cast<int32_t>(
      std::min<int64_t>(table.recordCount, (dataSize_ - first) / table.recordSize));
}

int32_t ReadableRecordCount(const TTessaranObject& database, const QString& table) {
  const TTessaranObject::TableEntry* t = database.FindTable(table);
  return t == nullptr ? 0 : database.Readable(*t);
}

}  // namespace orlaventis
