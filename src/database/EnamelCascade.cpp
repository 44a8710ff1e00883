// TEnamelCascade: the paint and trim combinations of a catalogue and what each choice list offers.
#include "database/EnamelCascade.h"

#include "database/ContentContract.h"
#include "database/TableDatabase.h"

#include <algorithm>

namespace orlaventis {
namespace {

using namespace content;

struct OptionTable {
  QLatin1String table;
  QLatin1String nameColumn;
  QLatin1String codeColumn;  // empty: no picture code
};

constexpr std::array<OptionTable, kEnamelOptionCount> kOptionTables = {{
    {kEnamelModelyearsTable, kModelyearColumn, QLatin1String()},
    {kEnamelCoachColorsTable, kCoachColorColumn, kColorCodeColumn},
    {kEnamelRoofColorsTable, kRoofColorColumn, kColorCodeColumn},
    {kEnamelFabricMaterialsTable, kFabricMaterialColumn, kMaterialCodeColumn},
    {kEnamelFabricColorsTable, kFabricColorColumn, kColorCodeColumn},
}};

constexpr QLatin1String kItems = kEnamelItemsTable;

// The `slot`-th number of a field: counts only when the value was read and is at least 1.
int32_t NumberAt(const TFieldValue& value, int slot) {
  if (!value.IsRead()) return 0;
  const int32_t n = value.Int32At(slot);
  return n >= 1 ? n : 0;
}

int32_t FirstNumber(const TTessaranObject& db, QLatin1String column, int record) {
  return NumberAt(db.GetValue(kItems, column, record), 0);
}

}  // namespace

void TEnamelCascade::Clear() {
  models_.clear();
  model_ = 0;
  for (TOptionSelection& option : options_) {
    option.Names.clear();
    option.Codes.clear();
    option.Available.Clear();
    option.Current = 0;
  }
  items_.clear();
}

TEnamelCascade::LoadResult TEnamelCascade::Load(const TTessaranObject& db) {
  Clear();
  const QLatin1String groups = kEnamelGroupsTable;
  const int modelCount = ReadableRecordCount(db, groups);
  if (modelCount < 1) return LoadResult::NoModels;
  if (modelCount > kMaxRecords) return LoadResult::TooLarge;
  QStringList models;
  for (int r = 1; r <= modelCount; ++r) models.append(db.GetValueAsText(groups, kGroupColumn, r));

  std::array<QStringList, kEnamelOptionCount> names, codes;
  for (size_t i = 0; i < kOptionTables.size(); ++i) {
    const QString table = kOptionTables[i].table;
    const int count = ReadableRecordCount(db, table);
    if (count > kMaxRecords) return LoadResult::TooLarge;
    for (int r = 1; r <= count; ++r) {
      names[i].append(db.GetValueAsText(table, kOptionTables[i].nameColumn, r));
      if (!kOptionTables[i].codeColumn.isEmpty())
        codes[i].append(db.GetValueAsText(table, kOptionTables[i].codeColumn, r));
    }
  }

  // Items announced beyond the end of the data (a file cut short) cannot be read.
  const int itemCount = ReadableRecordCount(db, kItems);
  if (itemCount < std::max(db.RecordCount(kItems), 0)) return LoadResult::ItemUnread;
  if (itemCount > kMaxRecords) return LoadResult::TooLarge;
  std::vector<TEnamelFabricItem> items;
  items.reserve(static_cast<size_t>(itemCount));
  for (int r = 1; r <= itemCount; ++r) {
    const TFieldValue group = db.GetValue(kItems, kGroupColumn, r);
    const TFieldValue year = db.GetValue(kItems, kModelyearColumn, r);
    if (!group.IsRead() || !year.IsRead()) return LoadResult::ItemUnread;
    TEnamelFabricItem item;
    item.Group = NumberAt(group, 0);
    item.Modelyear = NumberAt(year, 0);
    item.CoachColor = FirstNumber(db, kCoachColorColumn, r);
    item.RoofColor = FirstNumber(db, kRoofColorColumn, r);
    item.FabricMaterial = FirstNumber(db, kFabricMaterialColumn, r);
    const TFieldValue colours = db.GetValue(kItems, kFabricColorColumn, r);
    for (int k = 0; k < TEnamelFabricItem::kMaxFabricColors; ++k) {
      item.FabricColors[size_t(k)] = NumberAt(colours, k);
      if (item.FabricColors[size_t(k)] == 0) break;
    }
    items.push_back(item);
  }
  return SetData(std::move(models), std::move(names), std::move(codes), std::move(items))
             ? LoadResult::Ok
             : LoadResult::TooLarge;
}

bool TEnamelCascade::SetData(QStringList models, std::array<QStringList, kEnamelOptionCount> names,
                             std::array<QStringList, kEnamelOptionCount> codes,
                             std::vector<TEnamelFabricItem> items) {
  Clear();
  bool fits = models.size() <= kMaxRecords && items.size() <= size_t(kMaxRecords);
  for (const QStringList& list : names) fits = fits && list.size() <= kMaxRecords;
  for (size_t i = 0; fits && i < options_.size(); ++i)
    fits = options_[i].Available.Fill(static_cast<int32_t>(names[i].size()) + 1, false);
  if (!fits) {
    Clear();
    return false;
  }
  models_ = std::move(models);
  for (size_t i = 0; i < options_.size(); ++i) {
    options_[i].Names = std::move(names[i]);
    options_[i].Codes = std::move(codes[i]);
  }
  items_ = std::move(items);
  return true;
}

QStringList TEnamelCascade::Offered(EnamelOption option) const {
  const TOptionSelection& o = Option(option);
  QStringList offered;
  for (int32_t r = 1; r < o.Available.Count(); ++r)
    if (o.Available.Get(r)) offered.append(o.Names.value(r - 1));
  return offered;
}

int32_t TEnamelCascade::RecordOfEntry(EnamelOption option, int entry) const {
  if (entry < 0) return 0;
  const TBooleanChain& flags = Option(option).Available;
  for (int32_t r = 1; r < flags.Count(); ++r)
    if (flags.Get(r) && entry-- == 0) return r;
  return 0;
}

int TEnamelCascade::EntryOfRecord(EnamelOption option, int32_t record) const {
  const TBooleanChain& flags = Option(option).Available;
  if (!flags.Get(record) || record < 1) return -1;
  int entry = 0;
  for (int32_t r = 1; r < record; ++r) entry += flags.Get(r) ? 1 : 0;
  return entry;
}

bool TEnamelCascade::Qualifies(const TEnamelFabricItem& item, EnamelOption option) const {
  // The model list's own rule: only items naming both a model and a model year count.
  if (model_ < 1 || item.Group != model_ || item.Modelyear < 1) return false;
  if (option == EnamelOption::Modelyears) return true;
  const int32_t year = Option(EnamelOption::Modelyears).Current;
  if (year < 1 || item.Modelyear != year) return false;
  if (option == EnamelOption::CoachColors) return true;
  const int32_t coach = Option(EnamelOption::CoachColors).Current;
  if (coach < 1 || item.CoachColor != coach) return false;
  if (option == EnamelOption::RoofColors) return true;
  // Roof 0 means the coach colour has no separate roof: all its items count.
  const int32_t roof = Option(EnamelOption::RoofColors).Current;
  if (roof >= 1 && item.RoofColor != roof) return false;
  if (option == EnamelOption::FabricMaterials) return true;
  const int32_t material = Option(EnamelOption::FabricMaterials).Current;
  return material >= 1 && item.FabricMaterial == material;
}

void TEnamelCascade::Recompute(EnamelOption option) {
  TOptionSelection& o = Opt(option);
  o.Available.Fill(o.Available.Count(), false);  // same size: cannot fail
  o.Current = 0;
  for (const TEnamelFabricItem& item : items_) {
    if (!Qualifies(item, option)) continue;
    switch (option) {
      case EnamelOption::Modelyears: o.Available.Set(item.Modelyear, true); break;
      case EnamelOption::CoachColors: o.Available.Set(item.CoachColor, true); break;
      case EnamelOption::RoofColors: o.Available.Set(item.RoofColor, true); break;
      case EnamelOption::FabricMaterials: o.Available.Set(item.FabricMaterial, true); break;
      case EnamelOption::FabricColors:
        for (int32_t colour : item.FabricColors) {
          if (colour < 1) break;
          o.Available.Set(colour, true);
        }
        break;
    }
  }
  o.Available.Set(0, false);  // a number 0 never names a record
  o.Current = RecordOfEntry(option, 0);
}

void TEnamelCascade::RecomputeFrom(EnamelOption option) {
  for (size_t i = Index(option); i < options_.size(); ++i) Recompute(static_cast<EnamelOption>(i));
}

void TEnamelCascade::ChooseModel(int entry) {
  model_ = entry >= 0 && entry < models_.size() ? entry + 1 : 0;
  RecomputeFrom(EnamelOption::Modelyears);
}

void TEnamelCascade::ChooseOption(EnamelOption option, int entry) {
  if (const int32_t record = RecordOfEntry(option, entry)) Opt(option).Current = record;
  if (option != EnamelOption::FabricColors)
    RecomputeFrom(static_cast<EnamelOption>(Index(option) + 1));
}

QString TEnamelCascade::CarPictureName() const {
  const TOptionSelection& coach = Option(EnamelOption::CoachColors);
  const TOptionSelection& roof = Option(EnamelOption::RoofColors);
  if (coach.Current < 1) return {};
  const QString coachCode = coach.Codes.value(coach.Current - 1);
  const QString roofCode = roof.Current >= 1 ? roof.Codes.value(roof.Current - 1) : coachCode;
  return coachCode + QLatin1Char('_') + roofCode;
}

QString TEnamelCascade::SeatPictureName() const {
  const TOptionSelection& material = Option(EnamelOption::FabricMaterials);
  const TOptionSelection& colour = Option(EnamelOption::FabricColors);
  if (material.Current < 1 && colour.Current < 1) return {};
  return (material.Current >= 1 ? material.Codes.value(material.Current - 1) : QString()) +
         (colour.Current >= 1 ? colour.Codes.value(colour.Current - 1) : QString());
}

void TEnamelCascade::Walk(EnamelOption option,
                          const std::function<void(const TEnamelCascade&)>& visit) {
  const qsizetype count = Offered(option).size();
  if (count == 0) {
    // No separate roof colour still offers materials; any other empty list ends the branch.
    if (option == EnamelOption::RoofColors)
      Walk(EnamelOption::FabricMaterials, visit);
    else
      visit(*this);
    return;
  }
  for (int entry = 0; entry < count; ++entry) {
    ChooseOption(option, entry);
    if (option == EnamelOption::FabricColors)
      visit(*this);
    else
      Walk(static_cast<EnamelOption>(Index(option) + 1), visit);
  }
}

void TEnamelCascade::ForEachChoice(const std::function<void(const TEnamelCascade&)>& visit) {
  for (int m = 0; m < models_.size(); ++m) {
    ChooseModel(m);
    Walk(EnamelOption::Modelyears, visit);
  }
  ChooseModel(0);
}

bool TEnamelCascade::ChooseRecord(EnamelOption option, int32_t record) {
  const auto recordOf = [&](const TEnamelFabricItem& item, EnamelOption o) {
    switch (o) {
      case EnamelOption::Modelyears: return item.Modelyear;
      case EnamelOption::CoachColors: return item.CoachColor;
      case EnamelOption::RoofColors: return item.RoofColor;
      case EnamelOption::FabricMaterials: return item.FabricMaterial;
      case EnamelOption::FabricColors: break;
    }
    return record;  // the fabric colour wanted, when the item has it (checked below)
  };
  const int32_t model = model_;
  std::array<int32_t, kEnamelOptionCount> before{};
  for (size_t i = 0; i < before.size(); ++i) before[i] = options_[i].Current;
  for (const TEnamelFabricItem& item : items_) {
    const bool has = option == EnamelOption::FabricColors
                         ? std::find(item.FabricColors.begin(), item.FabricColors.end(), record) !=
                               item.FabricColors.end()
                         : recordOf(item, option) == record;
    if (record < 1 || !has || item.Group < 1 || item.Group > models_.size()) continue;
    ChooseModel(item.Group - 1);
    bool reached = true;
    for (int i = 0; reached && i <= static_cast<int>(option); ++i) {
      const auto o = static_cast<EnamelOption>(i);
      // Without a separate roof the roof list offers nothing and is passed by.
      if (o == EnamelOption::RoofColors && !HasSeparateRoof()) continue;
      const int entry = EntryOfRecord(o, recordOf(item, o));
      reached = entry >= 0;
      if (reached) ChooseOption(o, entry);
    }
    if (reached && Option(option).Current == record) return true;
  }
  // No item reaches it: the choices as they were, list by list from the left.
  ChooseModel(model - 1);
  for (int i = 0; i < kEnamelOptionCount; ++i) {
    const auto o = static_cast<EnamelOption>(i);
    if (const int entry = EntryOfRecord(o, before[size_t(i)]); entry >= 0) ChooseOption(o, entry);
  }
  return false;
}

}  // namespace orlaventis
