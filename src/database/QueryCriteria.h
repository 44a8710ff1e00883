// TQueryCriteria: the query grid's rows (criteria) and their rules, and CriterionMatches.
#pragma once

#include "database/Chains.h"
#include "database/ColumnDefinitions.h"
#include "database/FieldValue.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orlaventis {

class TTessaranObject;

constexpr int kOptionsLength = 10;  // characters of "Definition" a criterion keeps
inline const QString kDefaultSelectAllText = QStringLiteral("Select All");

// One row of the query grid: a criterion on one column of the data table.
struct TQueryCriterion {
  QString Options;         // first 10 characters of "Definition"; "R" resets the other rows
  TColumnDef ColumnDef;    // copy of the data-table column record; its type decides the row
  QString Label;           // left-hand text
  QString Hint;            // tool tip, at most 63 characters
  QString SelectAllLabel;  // as read (at most 63 characters), empty = the grid's default text
  bool Active = false;     // true while the row restricts the selection
  TFieldValue Value;       // chosen value of a typed row; the type's empty value when none
  // Link-list rows only: one flag per record of the linked table plus flag 0 (flag 0 set =
  // everything selected; flag k = linked record k ticked). Null for any other row.
  std::unique_ptr<TBooleanChain> Relations;

  bool IsLinkList() const { return ColumnDef.Type() == ColumnType::ctLinkList; }
  bool HasOption(QChar letter) const { return Options.contains(letter); }
};

// True when the active criterion `criterion` accepts an item's field `value`. False when either
// is marked not read or the value's type code is above 14. A string criterion is upper-cased
// (ASCII a-z) in place before it is compared, so the row shows it in capitals afterwards; its
// text matches anywhere in the value's upper-cased text, and an empty text never matches. A
// link-list value matches when one of its first N links (N = the column's link count, stopping
// at the first link below 1) is ticked in `Relations`. Dates match by calendar year.
bool CriterionMatches(TQueryCriterion& criterion, const TFieldValue& value);

// One line of a link-list row's drop-down check list.
struct TDropDownLine {
  QString Text;   // display text without its leading tabs
  int Level = 1;  // 1 for top lines, one more per nesting step
  int Flag = 0;   // index into Relations: 0 for the select-all line, else the linked record
};

// The rows of a query grid and every rule that is not drawing: loading them from a definition
// table, the select-all texts, the cell texts, ticking drop-down lines, committing typed text
// and resetting. Rows count from 1. The database is not owned; it must outlive the loaded
// definition (ClearDefinition forgets it).
class TQueryCriteria {
 public:
  TQueryCriteria() = default;
  TQueryCriteria(const TQueryCriteria&) = delete;
  TQueryCriteria& operator=(const TQueryCriteria&) = delete;

  // Builds one row per record of `definitionTable` whose "Table" text equals `dataTable`, whose
  // "Show" text is exactly "Yes" and whose "Definition" contains "Q", in record order, when its
  // "Column" names a column of `dataTable`. False (and no rows) when the database is null or
  // not open enough to hold both tables, a name is empty, or no row results.
  bool LoadDefinition(TTessaranObject* database, const QString& dataTable,
                      const QString& definitionTable);
  // Frees every row and forgets the database and the table names.
  void ClearDefinition();

  bool Loaded() const { return loaded_; }
  int Count() const { return static_cast<int>(rows_.size()); }
  // Row `row` (1..Count), or null.
  TQueryCriterion* Criterion(int row);
  const TQueryCriterion* Criterion(int row) const;
  TTessaranObject* Database() const { return database_; }
  const QString& DataTable() const { return dataTable_; }
  const QString& DefinitionTable() const { return definitionTable_; }

  // The text shown when nothing restricts the row: its own select-all label, or the default
  // "Select All". Empty for a row that does not exist.
  QString SelectAllText(int row) const;
  // What the right-hand cell shows: the select-all text of an inactive row (or a link-list row
  // with flag 0 set), the formatted Value of an active typed row, and for an active link-list
  // row the ticked records' display texts joined with " & ". A running measure starts at 2 and
  // grows after each appended text by `textWidth` of the whole joined text + 2; no text is
  // appended once it reaches `cellWidth` (the first text always is).
  QString CellText(int row, const std::function<int(const QString&)>& textWidth,
                   int cellWidth) const;

  // The drop-down lines of a link-list row: the select-all line, then one line per linked
  // record (in record order) whose display text is not empty; leading tabs give the level.
  // Empty for any other row.
  std::vector<TDropDownLine> DropDownLines(int row) const;
  // A click on the check glyph of `lines[line]` (0-based; `lines` as DropDownLines gave them).
  // Applies the tick rules ("R" reset, flag 0 handling, nested lines following their parent,
  // all/none ticked making the row inactive). True when the selection changed and the grid
  // must raise OnSelectionChanged.
  bool ClickLine(int row, const std::vector<TDropDownLine>& lines, int line);

  // The outcome of committing an editor's text.
  struct CommitResult {
    bool changed = false;      // raise OnSelectionChanged
    bool resetOthers = false;  // every other row was reset (redraw the whole grid)
    bool rejected = false;     // the text did not convert: nothing changed
  };
  // Commits typed text into typed row `row`: the select-all text or a text converting to the
  // empty value clears the row (changed only if it was active); a text converting to a new
  // value of the column's type stores it and makes the row active (changed), resetting the
  // other rows first for an "R" row; anything else is rejected.
  CommitResult CommitText(int row, const QString& text);

  // Every row but `exceptedRow` (0 excepts none) selects everything again and becomes inactive.
  // Raises nothing.
  void ResetCriteria(int exceptedRow);

 private:
  TTessaranObject* database_ = nullptr;
  QString dataTable_, definitionTable_;
  std::vector<std::unique_ptr<TQueryCriterion>> rows_;
  bool loaded_ = false;
};

}  // namespace orlaventis
