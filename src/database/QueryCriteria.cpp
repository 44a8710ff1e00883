// TQueryCriteria: the query grid's rows (criteria) and their rules, and CriterionMatches.
#include "database/QueryCriteria.h"

#include "database/Catalog.h"
#include "database/ContentContract.h"
#include "database/DayNumbers.h"
#include "database/NumberEncodings.h"
#include "database/TableDatabase.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

namespace orlaventis {

namespace {

uint8_t AsciiUpper(uint8_t b) { return b >= 'a' && b <= 'z' ? static_cast<uint8_t>(b - 32) : b; }

QByteArray UpperBytes(std::span<const uint8_t> bytes) {
  QByteArray out(static_cast<qsizetype>(bytes.size()), '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    out[static_cast<qsizetype>(i)] = static_cast<char>(AsciiUpper(bytes[i]));
  return out;
}

// The calendar year of a day number, 0 when it names no representable date.
int YearOf(double dayNumber) {
  const QDateTime when = DayNumberToDateTime(dayNumber);
  return when.isValid() ? when.date().year() : 0;
}

// Whether two 80-bit extended values are the same number, in full precision: a double would
// merge values that differ only in the low bits of the 64-bit mantissa. +0 equals -0; a NaN
// equals nothing; denormal and unnormal encodings compare by the number they stand for.
bool SameExtended(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  struct Parts {
    bool negative;
    int exponent;
    uint64_t mantissa;
    bool special;  // infinity, NaN or another encoding of the largest exponent
  };
  const auto parts = [](std::span<const uint8_t> x) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | x[static_cast<size_t>(i)];
    const int signExponent = x[8] | (x[9] << 8);
    Parts p{(signExponent & 0x8000) != 0, signExponent & 0x7fff, mantissa, false};
    if (p.exponent == 0x7fff) {
      p.special = true;
      return p;
    }
    if (p.exponent == 0) p.exponent = 1;  // denormals share the smallest exponent
    if (p.mantissa != 0) {
      while ((p.mantissa & (uint64_t{1} << 63)) == 0) {
        p.mantissa <<= 1;
        --p.exponent;
      }
    }
    return p;
  };
  const Parts x = parts(a), y = parts(b);
  if (x.special || y.special) {
    constexpr uint64_t kInfinity = uint64_t{1} << 63;
    return x.special && y.special && x.mantissa == kInfinity && y.mantissa == kInfinity &&
           x.negative == y.negative;
  }
  if (x.mantissa == 0 || y.mantissa == 0) return x.mantissa == y.mantissa;
  return x.negative == y.negative && x.exponent == y.exponent && x.mantissa == y.mantissa;
}

int LeadingTabs(const QString& text) {
  int tabs = 0;
  while (tabs < text.size() && text[tabs] == QLatin1Char('\t')) ++tabs;
  return tabs;
}

}  // namespace

bool CriterionMatches(TQueryCriterion& criterion, const TFieldValue& value) {
  TFieldValue& wanted = criterion.Value;
  if (!wanted.IsRead() || !value.IsRead() || value.Type >= kColumnTypeCount) return false;
  switch (static_cast<ColumnType>(value.Type)) {
    case ColumnType::ctBoolean:
    case ColumnType::ctByte:
    case ColumnType::ctShortInt: return value.Data[0] == wanted.Data[0];
    case ColumnType::ctComp: return value.Int64() == wanted.Int64();
    case ColumnType::ctInteger:
    case ColumnType::ctInteger6:
    case ColumnType::ctInteger7: return value.Int32At(0) == wanted.Int32At(0);
    case ColumnType::ctDateTime: {
      const int year = YearOf(value.Float64());
      return year != 0 && year == YearOf(wanted.Float64());
    }
    case ColumnType::ctExtended:
      return SameExtended(std::span<const uint8_t>(value.Data.data(), 10),
                          std::span<const uint8_t>(wanted.Data.data(), 10));
    case ColumnType::ctDouble: return value.Float64() == wanted.Float64();
    case ColumnType::ctReal48:
      return DecodeReal48(std::span<const uint8_t, 6>(value.Data.data(), 6)) ==
             DecodeReal48(std::span<const uint8_t, 6>(wanted.Data.data(), 6));
    case ColumnType::ctLinkList: {
      if (!criterion.Relations) return false;
      const int links = std::clamp(criterion.ColumnDef.LinkCount(), 0, kMaxLinks);
      for (int k = 0; k < links; ++k) {
        const int32_t link = value.Int32At(k);
        if (link < 1) break;
        if (criterion.Relations->Get(link)) return true;
      }
      return false;
    }
    case ColumnType::ctSingle: return value.Float32() == wanted.Float32();
    case ColumnType::ctString: {
      // The criterion is upper-cased where it is stored, so the row shows it in capitals.
      const size_t length = wanted.StringBytes().size();
      for (size_t i = 0; i < length; ++i) wanted.Data[i] = AsciiUpper(wanted.Data[i]);
      if (length == 0) return false;
      return UpperBytes(value.StringBytes()).contains(UpperBytes(wanted.StringBytes()));
    }
    case ColumnType::ctWord:
      return value.Data[0] == wanted.Data[0] && value.Data[1] == wanted.Data[1];
  }
  return false;
}

bool TQueryCriteria::LoadDefinition(TTessaranObject* database, const QString& dataTable,
                                    const QString& definitionTable) {
  if (database == nullptr || dataTable.isEmpty() || definitionTable.isEmpty()) return false;
  ClearDefinition();
  if (database->TableIndex(dataTable) == 0 || database->TableIndex(definitionTable) == 0)
    return false;
  database_ = database;
  dataTable_ = dataTable.left(kNameLength);
  definitionTable_ = definitionTable.left(kNameLength);
  const auto text = [&](QLatin1String column, int record) {
    return database->GetValueAsText(definitionTable, column, record);
  };
  const int32_t records = ReadableRecordCount(*database, definitionTable);
  for (int32_t r = 1; r <= records; ++r) {
    if (text(content::kTableColumn, r) != dataTable_ ||
        text(content::kShowColumn, r) != content::kShown)
      continue;
    const QString definition = text(content::kDefinitionColumn, r);
    if (!definition.contains(QLatin1Char('Q'))) continue;
    // A row naming no column of the data table could never match anything: it is left out.
    const TColumnDef column = database->GetColumnDef(dataTable, text(content::kColumnColumn, r));
    if (column.NameLength() == 0) continue;
    auto criterion = std::make_unique<TQueryCriterion>();
    criterion->Options = definition.left(kOptionsLength);
    criterion->ColumnDef = column;
    criterion->Label = text(content::kLabelColumn, r);
    criterion->Hint = text(content::kHintColumn, r).left(kNameLength);
    criterion->SelectAllLabel = text(content::kSelectAllLabelColumn, r).left(kNameLength);
    criterion->Value = InitValue(column.TypeCode());
    if (criterion->IsLinkList()) {
      criterion->Relations = std::make_unique<TBooleanChain>(QStringLiteral("Relations"));
      const QString linked = database->TableName(column.LinkedTable());
      criterion->Relations->Fill(ReadableRecordCount(*database, linked) + 1, true);
    }
    rows_.push_back(std::move(criterion));
  }
  loaded_ = !rows_.empty();
  if (!loaded_) ClearDefinition();
  return loaded_;
}

void TQueryCriteria::ClearDefinition() {
  rows_.clear();
  database_ = nullptr;
  dataTable_.clear();
  definitionTable_.clear();
  loaded_ = false;
}

TQueryCriterion* TQueryCriteria::Criterion(int row) {
  return row >= 1 && row <= Count() ? rows_[static_cast<size_t>(row - 1)].get() : nullptr;
}

const TQueryCriterion* TQueryCriteria::Criterion(int row) const {
  return row >= 1 && row <= Count() ? rows_[static_cast<size_t>(row - 1)].get() : nullptr;
}

QString TQueryCriteria::SelectAllText(int row) const {
  const TQueryCriterion* c = Criterion(row);
  if (c == nullptr) return {};
  return c->SelectAllLabel.isEmpty() ? kDefaultSelectAllText : c->SelectAllLabel;
}

namespace {

// The linked table and column of a link-list criterion, by name.
struct LinkedColumn {
  QString table, column;
};

LinkedColumn LinkedOf(const TTessaranObject& database, const TColumnDef& def) {
  const QString table = database.TableName(def.LinkedTable());
  return {table, database.ColumnName(table, def.LinkedColumn())};
}

}  // namespace

QString TQueryCriteria::CellText(int row, const std::function<int(const QString&)>& textWidth,
                                 int cellWidth) const {
  const TQueryCriterion* c = Criterion(row);
  if (c == nullptr) return {};
  if (!c->Active) return SelectAllText(row);
  if (!c->IsLinkList()) return database_->ValueToText(dataTable_, c->ColumnDef.Name(), c->Value);
  if (!c->Relations || c->Relations->Get(0)) return SelectAllText(row);
  const LinkedColumn linked = LinkedOf(*database_, c->ColumnDef);
  QString joined;
  // The running measure grows by the width of the whole text so far after every append, so it
  // runs ahead of the text's real width: the cell stops taking texts well before it is full.
  int measure = 2;
  for (int32_t k = 1; k < c->Relations->Count(); ++k) {
    if (!c->Relations->Get(k)) continue;
    const QString text = database_->GetValueAsText(linked.table, linked.column, k);
    const QString shown = text.mid(LeadingTabs(text));
    if (shown.isEmpty()) continue;
    if (measure >= cellWidth) break;  // the cell is full
    if (!joined.isEmpty()) joined += QStringLiteral(" & ");
    joined += shown;
    measure += textWidth(joined) + 2;
  }
  return joined;
}

std::vector<TDropDownLine> TQueryCriteria::DropDownLines(int row) const {
  const TQueryCriterion* c = Criterion(row);
  if (c == nullptr || !c->IsLinkList() || !c->Relations) return {};
  std::vector<TDropDownLine> lines{TDropDownLine{SelectAllText(row), 1, 0}};
  std::vector<int> tabs{0};  // tab count of each line, parallel to `lines`
  const LinkedColumn linked = LinkedOf(*database_, c->ColumnDef);
  for (int32_t k = 1; k < c->Relations->Count(); ++k) {
    const QString text = database_->GetValueAsText(linked.table, linked.column, k);
    if (text.isEmpty()) continue;
    const int t = LeadingTabs(text);
    int level = 1;
    for (int j = static_cast<int>(lines.size()) - 1; j >= 0; --j) {
      if (tabs[static_cast<size_t>(j)] < t) {
        level = lines[static_cast<size_t>(j)].Level + 1;
        break;
      }
    }
    lines.push_back(TDropDownLine{text.mid(t), level, k});
    tabs.push_back(t);
  }
  return lines;
}

bool TQueryCriteria::ClickLine(int row, const std::vector<TDropDownLine>& lines, int line) {
  TQueryCriterion* c = Criterion(row);
  if (c == nullptr || !c->Relations || line < 0 || line >= static_cast<int>(lines.size()))
    return false;
  TBooleanChain& flags = *c->Relations;
  if (line == 0) {
    if (flags.Get(0)) return false;
    flags.Fill(flags.Count(), true);
    c->Active = false;
    return true;
  }
  if (c->HasOption(QLatin1Char('R'))) ResetCriteria(row);
  if (flags.Get(0)) flags.Fill(flags.Count(), false);
  const bool ticked = !flags.Get(lines[static_cast<size_t>(line)].Flag);
  const int level = lines[static_cast<size_t>(line)].Level;
  flags.Set(lines[static_cast<size_t>(line)].Flag, ticked);
  for (size_t j = static_cast<size_t>(line) + 1; j < lines.size() && lines[j].Level > level; ++j)
    flags.Set(lines[j].Flag, ticked);
  // Only records with a line can be ticked, so "all" and "none" count those.
  bool all = true, none = true;
  for (size_t j = 1; j < lines.size(); ++j) {
    if (flags.Get(lines[j].Flag))
      none = false;
    else
      all = false;
  }
  if (all || none) {
    flags.Fill(flags.Count(), true);
    c->Active = false;
  } else {
    flags.Set(0, false);
    c->Active = true;
  }
  return true;
}

TQueryCriteria::CommitResult TQueryCriteria::CommitText(int row, const QString& text) {
  CommitResult result;
  TQueryCriterion* c = Criterion(row);
  if (c == nullptr || c->IsLinkList()) {
    result.rejected = true;
    return result;
  }
  const uint8_t type = c->ColumnDef.TypeCode();
  const auto clear = [&] {
    c->Value = InitValue(type);
    if (c->Active) {
      c->Active = false;
      result.changed = true;
    }
  };
  if (text == SelectAllText(row)) {
    clear();
    return result;
  }
  TFieldValue value = InitValue(type);
  if (!database_->TextToValue(text, c->ColumnDef, value) || value.Type != type) {
    result.rejected = true;
    return result;
  }
  if (IsEmptyValue(value)) {
    clear();
    return result;
  }
  if (c->HasOption(QLatin1Char('R'))) {
    ResetCriteria(row);
    result.resetOthers = true;
  }
  c->Value = value;
  c->Active = true;
  result.changed = true;
  return result;
}

void TQueryCriteria::ResetCriteria(int exceptedRow) {
  for (int row = 1; row <= Count(); ++row) {
    if (row == exceptedRow) continue;
    TQueryCriterion& c = *rows_[static_cast<size_t>(row - 1)];
    if (c.Relations)
      c.Relations->Fill(c.Relations->Count(), true);
    else
      c.Value = InitValue(c.ColumnDef.TypeCode());
    c.Active = false;
  }
}

}  // namespace orlaventis
