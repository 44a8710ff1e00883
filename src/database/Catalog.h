// TCatalog: the picture catalogue's items, groups, query selection and browsing position.
#pragma once

#include "database/Chains.h"
#include "database/TableDatabase.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace orlaventis {

class TQueryCriteria;

// One item (picture) of the catalogue; its number is its record number in the items table.
struct TCatalogItem {
  int32_t Group = 0;     // the item's group number (first link of its group column), 0 = none
  uint8_t Selected = 0;  // 1 while the current query selects the item
};

// ItemAt's answer: with GroupMode false, Group is 0 and Item the item number (0 = none).
struct TCatalogPosition {
  int32_t Group = 0;
  int32_t Item = 0;
};

// The in-memory index of a catalogue database. It owns its database object and keeps the file
// open from Load to Clear, so that the Catalog section and the query grid can read item fields
// through Database. Visible group indices are ranks among groups whose flag is set; selected
// indices are ranks among selected items, both from 1.
class TCatalog {
 public:
  // `prompt` (not owned, may be null) answers the database's password question; with none a
  // protected catalogue does not load. `files` (not owned, may be null) is lent to the database
  // (see TTessaranObject).
  explicit TCatalog(PasswordPrompt* prompt = nullptr, SharedFileCache* files = nullptr);
  ~TCatalog();
  TCatalog(const TCatalog&) = delete;
  TCatalog& operator=(const TCatalog&) = delete;

  // Opens `fileName` (one file: definitions and data) read-only and indexes its items. The
  // groups and items tables must exist and `groupColumn` must be a link-list column of the items
  // table. Reports nothing: on any failure the catalogue is left cleared (Loaded false).
  // After loading nothing is selected and every counter but ItemCount is 0.
  void Load(const QString& fileName, const QString& groupsTable, const QString& itemsTable,
            const QString& groupColumn);
  // Closes the database, forgets the file, clears Loaded, empties Groups and the items and
  // zeroes every counter.
  void Clear();

  // The number of the v-th visible group, or 0 (not loaded, nothing selected, v out of range).
  int32_t GroupNumber(int32_t v) const;
  // With GroupMode false: (0, number of the i-th selected item), (0, 0) when there is none.
  // `v` is not used.
  TCatalogPosition ItemAt(int32_t v, int32_t i) const;
  // Moves to the i-th selected item (`v` is not used) and updates CurrentItem, CurrentGroup,
  // CurrentItemInGroup and GroupItemCount. False, changing nothing, when i lies outside
  // 1..ItemCount or nothing is selected.
  bool SetPosition(int32_t v, int32_t i);

  // The rank of item `number` among the selected items (from 1), 0 when it is not selected.
  int32_t SelectedIndexOf(int32_t number) const;

  // Recomputes the selection from the query: items with a group from 1 to the number of groups
  // start selected; each active criterion (in row order, combined with AND) keeps only the items
  // whose field of the criterion's column (read from the items table) CriterionMatches. Then
  // sets the group flags and counters and moves to the first selected item. A null `criteria`
  // selects every item that has a valid group. Does nothing when not loaded.
  void RecomputeSelection(TQueryCriteria* criteria);

  // Item `number` (1..ItemTotal), or null.
  TCatalogItem* Item(int32_t number);
  const TCatalogItem* Item(int32_t number) const;
  // Number of items (records of the items table), selected or not.
  int32_t ItemTotal() const { return static_cast<int32_t>(CatalogItems.size()); }
  // Number of groups (group numbers run from 1 to this).
  int32_t GroupTotal() const { return Groups.Count() > 0 ? Groups.Count() - 1 : 0; }
  const QString& ItemsTable() const { return itemsTable_; }

  std::unique_ptr<TTessaranObject> Database;
  bool Loaded = false;
  QString FileName;
  bool GroupMode = true;  // the Catalog section sets it false after loading; only false browses
  TBooleanChain Groups{QStringLiteral("Groups")};  // flag per group number; index 0 unused
  std::vector<TCatalogItem> CatalogItems;          // position item number - 1

  int32_t CurrentGroup = 0;        // visible index of the current item's group
  int32_t GroupCount = 0;          // number of set group flags
  int32_t CurrentItemInGroup = 0;  // rank of the current item among its group's selected items
  int32_t GroupItemCount = 0;      // selected items of the current group
  int32_t CurrentItem = 0;         // rank of the current item among all selected items
  int32_t ItemCount = 0;           // number of selected items

 private:
  int32_t SelectedItemNumber(int32_t i) const;     // item number of the i-th selected item, or 0
  int32_t VisibleGroupIndex(int32_t group) const;  // 0 when the group has no flag
  void ZeroCounters();

  QString itemsTable_;
  QString groupColumn_;
  // The selection as RecomputeSelection left it: the selected item numbers in order, each
  // one's rank among its group's selected items, and the selected items per group number.
  std::vector<int32_t> selected_;
  std::vector<int32_t> rankInGroup_;
  std::vector<int32_t> groupSelected_;
};

}  // namespace orlaventis
