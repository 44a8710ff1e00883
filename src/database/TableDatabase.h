// TTessaranObject: the read-only table database engine, and the password prompt it asks.
#pragma once

#include "database/Chains.h"
#include "database/ColumnDefinitions.h"
#include "database/DatabaseFormat.h"
#include "database/FieldValue.h"
#include "database/RegularFile.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace orlaventis {

class SharedFileCache;

// Asks the user for the password of the database in `fileName` (the definitions file). The
// program answers with a modal dialog; tests answer directly. nullopt means the user cancelled.
class PasswordPrompt {
 public:
  virtual ~PasswordPrompt() = default;
  virtual std::optional<QString> AskPassword(const QString& fileName) = 0;
};

// Definition and data files larger than this are not read (the program's are far smaller).
constexpr qint64 kMaxDatabaseFileBytes = 64LL * 1024 * 1024;

// The read-only database engine. Definitions and data are read whole into memory at Open (only
// regular files up to kMaxDatabaseFileBytes), so a file that changes later does not affect the
// open database; fields are decoded on demand and nothing decoded is cached. Names are cut to 63
// characters and compared exactly; tables, columns and records count from 1. Every failure is a
// result: 0, -1, an empty text, or a value marked not read.
class TTessaranObject {
 public:
  // `prompt` (not owned, may be null) is asked when a database has a password and Open gets
  // none; with no prompt such a database does not open. `files` (not owned, may be null, alive
  // whenever Open runs) is what Open reads through: databases opened through one cache hold a
  // file's bytes once; with none, each Open reads its own copy.
  explicit TTessaranObject(PasswordPrompt* prompt = nullptr, SharedFileCache* files = nullptr);
  ~TTessaranObject();
  TTessaranObject(const TTessaranObject&) = delete;
  TTessaranObject& operator=(const TTessaranObject&) = delete;

  // Opens definitions and data (the same name for one file). Fails when a file is missing, the
  // lock file exists (an empty lock name never exists), the definitions are damaged or the
  // password check fails. After a failure the lookups still work on what was read and every
  // field reads as not read.
  bool Open(const QString& dataName, const QString& definitionName, const QString& lockName,
            const QString& password);
  void Close();
  // What is wrong with the files of the last Open (kept through Close): why it failed, or,
  // after a successful Open, that tables announce records beyond the end of the data (a file
  // cut short, DamagedDatabase). No fault when nothing is wrong or the files are missing (a
  // missing file is no damage to report).
  const ContentProblem& OpenProblem() const { return problem_; }

  const TDbHeader& Header() const { return header_; }
  bool IsOpen() const { return open_; }
  int TableCount() const { return tables_.Count(); }

  int TableIndex(const QString& tableName) const;               // 0 when not found
  QString TableName(int table) const;                           // empty when not found
  int RecordCount(const QString& tableName) const;              // -1 when not found
  int ColumnCount(int table) const;                             // 0 when not found
  int ColumnIndex(int table, const QString& columnName) const;  // 0 when not found
  int ColumnIndexByName(const QString& tableName, const QString& columnName) const;
  QString ColumnName(const QString& tableName, int column) const;
  // A copy of the column record; its NameLength() is 0 when not found.
  TColumnDef GetColumnDef(const QString& tableName, const QString& columnName) const;

  // The field of `record` (from 1). An unknown table or column gives a value marked not read
  // with type 0 and zero data; a record outside the table or a field beyond the end of the data
  // gives the empty value of the column's type, marked not read.
  TFieldValue GetValue(const QString& tableName, const QString& columnName, int record) const;
  // The field as display text (link lists show the linked records' texts joined by ","); empty
  // when it cannot be read.
  QString GetValueAsText(const QString& tableName, const QString& columnName, int record) const;
  // Formats a caller's value with the column's formatting; empty unless the column exists and the
  // value is read and of the column's type.
  QString ValueToText(const QString& tableName, const QString& columnName,
                      const TFieldValue& value) const;
  // The free TextToValue, reading dates in DateLocale().
  bool TextToValue(const QString& text, const TColumnDef& column, TFieldValue& value) const;
  // The locale whose regional formats date fields are shown and read in: QLocale::system()
  // unless set (tests pin one).
  const QLocale& DateLocale() const { return dateLocale_; }
  void SetDateLocale(const QLocale& locale) { dateLocale_ = locale; }
  // The first record whose display text equals `text` (cut to 255 characters), or 0.
  int FindRecord(const QString& tableName, const QString& columnName, const QString& text) const;

 private:
  struct ColumnEntry;
  struct TableEntry;

 public:
  // A column looked up once, for reading many records without name lookups. It stays valid
  // until the next Open or Close; a default handle (or one for a missing name) is not valid
  // and reads every field as GetValue reads an unknown column.
  class ColumnHandle {
   public:
    bool IsValid() const { return column_ != nullptr; }

   private:
    friend class TTessaranObject;
    const TableEntry* table_ = nullptr;
    const ColumnEntry* column_ = nullptr;
  };
  ColumnHandle ResolveColumn(const QString& tableName, const QString& columnName) const;
  // The column record of a valid handle; its NameLength() is 0 for an invalid one.
  TColumnDef HandleColumnDef(ColumnHandle handle) const;
  // Exactly GetValue(table, column, record) for the handle's names, written into `value`.
  void ReadValue(ColumnHandle handle, int record, TFieldValue& value) const;
  // The stored bytes of the field (FieldSize bytes, strings still scrambled when the header says
  // so): empty exactly when ReadValue would mark the field not read. The span lives until Close.
  std::span<const uint8_t> FieldData(ColumnHandle handle, int record) const;

 private:
  bool ReadDefinitions(std::span<const uint8_t> file);
  bool CheckPassword(const QString& password);
  const TableEntry* Table(int table) const;
  const TableEntry* FindTable(const QString& tableName, int* number = nullptr) const;
  const ColumnEntry* Column(const TableEntry& table, int column) const;
  const ColumnEntry* FindColumn(const TableEntry& table, const QString& columnName,
                                int* number = nullptr) const;
  // The bytes from a field's position to the end of the data; empty when the position is
  // invalid or the data is not open.
  std::span<const uint8_t> FieldBytes(const TableEntry& table, const ColumnEntry& column,
                                      int record) const;
  int32_t Readable(const TableEntry& table) const;  // see ReadableRecordCount
  friend int32_t ReadableRecordCount(const TTessaranObject& database, const QString& table);
  TFieldValue ReadValue(const TableEntry& table, const ColumnEntry& column, int record) const;
  QString ValueText(const ColumnEntry& column, const TFieldValue& value, int depth,
                    int* budget) const;
  QString FieldTextAt(const TableEntry& table, const ColumnEntry& column, int record, int depth,
                      int* budget) const;

  PasswordPrompt* prompt_;
  SharedFileCache* files_;
  QLocale dateLocale_ = QLocale::system();
  TDbHeader header_;
  QString dataName_, definitionName_, lockName_;
  bool oneFile_ = false;
  bool open_ = false;  // the data file is open
  // Ownership of table and column entries; the chains hold them in file order.
  std::vector<std::unique_ptr<TableEntry>> ownedTables_;
  mutable TPointerChain<TableEntry> tables_{QStringLiteral("Tables")};  // lookups move its cursor
  // The whole data file while open; other databases opened on the same file through the same
  // SharedFileCache share it.
  std::shared_ptr<const QByteArray> data_;
  const uint8_t* dataBytes_ = nullptr;  // data_'s bytes, dataSize_ of them
  int64_t dataSize_ = 0;
  ContentProblem problem_;
};

// The number of records of `table` that lie wholly inside the data, counted from a first-record
// position that itself lies inside it: the stored count, lowered to what the data holds (so at
// most kMaxDatabaseFileBytes). 0 for a missing table, one with no columns, or a closed database.
// Counts read from a file size allocations and loops only through this.
int32_t ReadableRecordCount(const TTessaranObject& database, const QString& table);

}  // namespace orlaventis
