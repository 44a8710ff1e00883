// TEnamelCascade: the paint and trim combinations of a catalogue and what each choice list offers.
#pragma once

#include "database/Chains.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace orlaventis {

class TTessaranObject;

// One record of the paint and trim items table (content::kEnamelItemsTable): numbers of records in
// the option tables, 0 where the field was not read or holds a number below 1.
struct TEnamelFabricItem {
  static constexpr int kMaxFabricColors = 6;
  int32_t Group = 0;
  int32_t Modelyear = 0;
  int32_t CoachColor = 0;
  int32_t RoofColor = 0;
  int32_t FabricMaterial = 0;
  std::array<int32_t, kMaxFabricColors> FabricColors{};  // in order, ending at the first 0
};

// The five lists right of the model list, left to right and top to bottom.
enum class EnamelOption { Modelyears = 0, CoachColors, RoofColors, FabricMaterials, FabricColors };
inline constexpr int kEnamelOptionCount = 5;

// One option list: the names (and picture codes) of its table, which records the current choices
// offer, and the chosen record.
struct TOptionSelection {
  QStringList Names;  // entry k - 1 holds record k
  QStringList Codes;  // "Color Code" / "Material Code" of record k at k - 1; empty for model years
  TBooleanChain Available{QStringLiteral("Selection")};  // record count + 1 flags; flag 0 never set
  int32_t Current = 0;                                   // the chosen record, 0 when none
};

// The six cascading choices of the colour section, without widgets. Every offered set is worked
// out from the items afresh for the choices to its left (nothing is carried over from earlier
// choices):
//   model years     the model years of the items of the chosen model
//   coach colours   the coach colours of the items of that model and model year
//   roof colours    the roof colours of the items of that model, model year and coach colour
//   materials       the materials of the items of that coach colour and, when the roof list
//                   offers anything, of the chosen roof colour
//   fabric colours  every colour of those items that have the chosen material
// A coach colour whose items name no roof colour has no separate roof: the roof list offers
// nothing, roof Current stays 0 and the car picture uses the coach colour's code twice.
// Choosing in one list recomputes every list to its right and chooses their first entries.
class TEnamelCascade {
 public:
  enum class LoadResult {
    Ok,
    NoModels,    // the models table (content::kEnamelGroupsTable) is missing or empty
    TooLarge,    // a table has more records than a choice list can hold
    ItemUnread,  // an item's "Group" or "Modelyear" could not be read
  };

  // The most records one table may have (the lists are sized by record counts from the file).
  static constexpr int32_t kMaxRecords = 1 << 20;

  TEnamelCascade() = default;
  TEnamelCascade(const TEnamelCascade&) = delete;
  TEnamelCascade& operator=(const TEnamelCascade&) = delete;

  // Reads the six paint and trim tables (content::kEnamel...Table) of an open catalogue. On any
  // result but Ok the cascade is left empty (no models, no items). Does not choose anything.
  LoadResult Load(const TTessaranObject& db);

  // Sets the data directly: model names, the five option tables (names and codes, record k at
  // k - 1) and the items in record order. Does not choose anything. False (and empty) when a list
  // is longer than kMaxRecords.
  bool SetData(QStringList models, std::array<QStringList, kEnamelOptionCount> names,
               std::array<QStringList, kEnamelOptionCount> codes,
               std::vector<TEnamelFabricItem> items);

  const QStringList& Models() const { return models_; }
  const std::vector<TEnamelFabricItem>& Items() const { return items_; }
  const TOptionSelection& Option(EnamelOption option) const { return options_[Index(option)]; }

  // The chosen model (its record number, entry + 1), 0 when none.
  int32_t Model() const { return model_; }
  // The names the list offers, in record order.
  QStringList Offered(EnamelOption option) const;
  // The record of offered entry `entry` (0-based): the record of the (entry + 1)-th set flag, or
  // 0 when there is no such entry.
  int32_t RecordOfEntry(EnamelOption option, int entry) const;
  // The offered entry of record `record`, or -1 when it is not offered.
  int EntryOfRecord(EnamelOption option, int32_t record) const;
  // Whether the chosen coach colour has a separate roof colour (the roof list offers something).
  bool HasSeparateRoof() const { return !Offered(EnamelOption::RoofColors).isEmpty(); }

  // Choose the entry (0-based, in the offered order; the model by its place in Models()). An
  // entry that is not offered chooses nothing in that list. Every list to the right is
  // recomputed and gets its first entry chosen.
  void ChooseModel(int entry);
  void ChooseOption(EnamelOption option, int entry);
  // Chooses the first combination (in item order) that offers `record` in `option`'s list and
  // chooses it there, the lists to its right at their first entries. False, with the
  // choices as they were, when no item reaches it.
  bool ChooseRecord(EnamelOption option, int32_t record);

  // The name of the car picture member without its folder: coach code + "_" + roof code (the
  // coach code twice without a separate roof); empty when no coach colour is chosen.
  QString CarPictureName() const;
  // The name of the seat picture member without its folder: material code + colour code; empty
  // when neither a material nor a colour is chosen.
  QString SeatPictureName() const;

  // Calls `visit` once for every combination of choices the lists can reach, from every model
  // down to every fabric colour (with the cascade chosen accordingly while `visit` runs; the
  // lists end on the first entries). A level with nothing to offer ends its branch there.
  void ForEachChoice(const std::function<void(const TEnamelCascade&)>& visit);

 private:
  static size_t Index(EnamelOption option) { return static_cast<size_t>(option); }
  TOptionSelection& Opt(EnamelOption option) { return options_[Index(option)]; }
  void Clear();
  // Recomputes `option`'s offered flags from the choices to its left and chooses its first entry.
  void Recompute(EnamelOption option);
  // Whether an item matches every choice left of `option`.
  bool Qualifies(const TEnamelFabricItem& item, EnamelOption option) const;
  void RecomputeFrom(EnamelOption option);
  void Walk(EnamelOption option, const std::function<void(const TEnamelCascade&)>& visit);

  QStringList models_;
  int32_t model_ = 0;
  std::array<TOptionSelection, kEnamelOptionCount> options_;
  std::vector<TEnamelFabricItem> items_;
};

}  // namespace orlaventis
