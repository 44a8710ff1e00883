// TCatalog: the picture catalogue's items, groups, query selection and browsing position.
#include "database/Catalog.h"

#include "database/CriterionScan.h"
#include "database/QueryCriteria.h"

#include <algorithm>

namespace orlaventis {

TCatalog::TCatalog(PasswordPrompt* prompt, SharedFileCache* files)
    : Database(std::make_unique<TTessaranObject>(prompt, files)) {}

TCatalog::~TCatalog() { Clear(); }

void TCatalog::ZeroCounters() {
  CurrentGroup = GroupCount = CurrentItemInGroup = GroupItemCount = CurrentItem = ItemCount = 0;
  selected_.clear();
  rankInGroup_.clear();
  groupSelected_.clear();
}

void TCatalog::Clear() {
  Database->Close();
  FileName.clear();
  Loaded = false;
  Groups.Clear();
  CatalogItems.clear();
  CatalogItems.shrink_to_fit();
  itemsTable_.clear();
  groupColumn_.clear();
  ZeroCounters();
}

void TCatalog::Load(const QString& fileName, const QString& groupsTable, const QString& itemsTable,
                    const QString& groupColumn) {
  Clear();
  if (!Database->Open(fileName, fileName, QString(), QString())) {
    Clear();
    return;
  }
  if (Database->TableIndex(groupsTable) == 0 || Database->TableIndex(itemsTable) == 0) {
    Clear();
    return;
  }
  const TColumnDef group = Database->GetColumnDef(itemsTable, groupColumn);
  if (group.NameLength() == 0 || group.Type() != ColumnType::ctLinkList) {
    Clear();
    return;
  }
  // Both counts are lowered to the records really present, so neither sizes an allocation
  // beyond what the file holds.
  if (!Groups.Fill(ReadableRecordCount(*Database, groupsTable) + 1, false)) {
    Clear();
    return;
  }
  FileName = fileName;
  Loaded = true;
  itemsTable_ = itemsTable;
  groupColumn_ = groupColumn;
  const int32_t items = ReadableRecordCount(*Database, itemsTable);
  CatalogItems.reserve(static_cast<size_t>(items));
  for (int32_t number = 1; number <= items; ++number) {
    const TFieldValue value = Database->GetValue(itemsTable, groupColumn, number);
    CatalogItems.push_back(TCatalogItem{value.IsRead() ? value.Int32At(0) : 0, 0});
  }
  ItemCount = items;
  GroupCount = 0;
}

TCatalogItem* TCatalog::Item(int32_t number) {
  return number >= 1 && number <= ItemTotal() ? &CatalogItems[number - 1] : nullptr;
}

const TCatalogItem* TCatalog::Item(int32_t number) const {
  return number >= 1 && number <= ItemTotal() ? &CatalogItems[number - 1] : nullptr;
}

int32_t TCatalog::GroupNumber(int32_t v) const {
  if (!Loaded || ItemCount < 1 || GroupCount < 1 || v < 1 || v > GroupCount) return 0;
  int32_t rank = 0;
  for (int32_t g = 1; g < Groups.Count(); ++g)
    if (Groups.Get(g) && ++rank == v) return g;
  return 0;
}

int32_t TCatalog::VisibleGroupIndex(int32_t group) const {
  if (group < 1 || group >= Groups.Count() || !Groups.Get(group)) return 0;
  int32_t rank = 0;
  for (int32_t g = 1; g <= group; ++g)
    if (Groups.Get(g)) ++rank;
  return rank;
}

int32_t TCatalog::SelectedItemNumber(int32_t i) const {
  if (i < 1 || i > ItemCount || i > static_cast<int32_t>(selected_.size())) return 0;
  return selected_[static_cast<size_t>(i - 1)];
}

int32_t TCatalog::SelectedIndexOf(int32_t number) const {
  // selected_ holds item numbers in ascending order.
  const auto found = std::lower_bound(selected_.begin(), selected_.end(), number);
  return found != selected_.end() && *found == number
             ? static_cast<int32_t>(found - selected_.begin()) + 1
             : 0;
}

TCatalogPosition TCatalog::ItemAt(int32_t /*v*/, int32_t i) const {
  if (!Loaded || ItemCount < 1 || GroupCount < 1) return {};
  return TCatalogPosition{0, SelectedItemNumber(i)};
}

bool TCatalog::SetPosition(int32_t /*v*/, int32_t i) {
  if (!Loaded || ItemCount < 1 || GroupCount < 1) return false;
  const int32_t p = SelectedItemNumber(i);
  if (p == 0) return false;
  const int32_t g = CatalogItems[p - 1].Group;
  const int32_t upToP = rankInGroup_[static_cast<size_t>(i - 1)];
  const int32_t inGroup = groupSelected_[static_cast<size_t>(g)];
  if (g == GroupNumber(CurrentGroup)) {
    CurrentItem = i;
    CurrentItemInGroup = upToP;
    return true;
  }
  const int32_t visible = VisibleGroupIndex(g);
  if (visible < 1) return false;
  CurrentItem = i;
  CurrentGroup = visible;
  CurrentItemInGroup = upToP;
  GroupItemCount = inGroup;
  return true;
}

void TCatalog::RecomputeSelection(TQueryCriteria* criteria) {
  if (!Loaded) return;
  ZeroCounters();
  Groups.Fill(Groups.Count(), false);
  // An item whose group link names no group is never selected: no group flag could be set for
  // it, so SetPosition could never reach it.
  const int32_t groups = GroupTotal();
  for (TCatalogItem& item : CatalogItems)
    item.Selected = item.Group >= 1 && item.Group <= groups ? 1 : 0;
  const int rows = criteria != nullptr ? criteria->Count() : 0;
  for (int row = 1; row <= rows; ++row) {
    TQueryCriterion* criterion = criteria->Criterion(row);
    if (!criterion->Active) continue;
    TCriterionScan scan(*Database, itemsTable_, *criterion);
    for (int32_t n = 1; n <= ItemTotal(); ++n) {
      TCatalogItem& item = CatalogItems[n - 1];
      if (item.Selected != 0 && !scan.Matches(n)) item.Selected = 0;
    }
  }
  // Selected items have a group from 1 to GroupTotal, so they index these directly.
  groupSelected_.assign(static_cast<size_t>(Groups.Count()), 0);
  for (int32_t n = 1; n <= ItemTotal(); ++n) {
    const TCatalogItem& item = CatalogItems[n - 1];
    if (item.Selected == 0) continue;
    ++ItemCount;
    Groups.Set(item.Group, true);
    selected_.push_back(n);
    rankInGroup_.push_back(++groupSelected_[static_cast<size_t>(item.Group)]);
  }
  for (int32_t g = 1; g < Groups.Count(); ++g)
    if (Groups.Get(g)) ++GroupCount;
  SetPosition(1, 1);
}

}  // namespace orlaventis
