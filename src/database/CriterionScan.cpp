// TCriterionScan: one query criterion tested against many items of a table, names looked up once.
#include "database/CriterionScan.h"

#include "database/Bytes.h"
#include "database/DayNumbers.h"
#include "database/QueryCriteria.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace orlaventis {
namespace {

// Day numbers within this distance of zero are dates for certain, so their year follows from
// the whole days alone; others go through DayNumberToDateTime.
constexpr double kSafeDays = 1.0e6;
const QDate kDayZero(1899, 12, 30);

uint8_t AsciiUpper(uint8_t b) { return b >= 'a' && b <= 'z' ? static_cast<uint8_t>(b - 32) : b; }

int YearOf(double dayNumber) {
  const QDateTime when = DayNumberToDateTime(dayNumber);
  return when.isValid() ? when.date().year() : 0;
}

}  // namespace

TCriterionScan::TCriterionScan(const TTessaranObject& database, const QString& table,
                               TQueryCriterion& criterion)
    : database_(database), criterion_(criterion) {
  column_ = database.ResolveColumn(table, criterion.ColumnDef.Name());
  if (!column_.IsValid() || !criterion.Value.IsRead()) {
    kind_ = Kind::Never;  // every field reads as not read, or nothing is wanted
    return;
  }
  const TColumnDef def = database.HandleColumnDef(column_);
  switch (def.Type()) {
    case ColumnType::ctLinkList: {
      if (!criterion.Relations) {
        kind_ = Kind::Never;
        return;
      }
      kind_ = Kind::LinkList;
      // A value holds the first 50 stored links and zeros after them.
      links_ = std::min({std::clamp(criterion.ColumnDef.LinkCount(), 0, kMaxLinks),
                         std::clamp(def.LinkCount(), 0, kMaxLinks)});
      ticks_.resize(static_cast<size_t>(criterion.Relations->Count()));
      for (size_t k = 0; k < ticks_.size(); ++k)
        ticks_[k] = criterion.Relations->Get(static_cast<int32_t>(k)) ? 1 : 0;
      break;
    }
    case ColumnType::ctDateTime: {
      const double wanted = criterion.Value.Float64();
      if (!std::isfinite(wanted) || std::fabs(wanted) > kSafeDays) break;  // generic
      kind_ = Kind::Year;
      const int year = YearOf(wanted);
      firstDay_ = static_cast<double>(kDayZero.daysTo(QDate(year, 1, 1)));
      lastDay_ = static_cast<double>(kDayZero.daysTo(QDate(year, 12, 31)));
      break;
    }
    case ColumnType::ctString:
      kind_ = Kind::Text;
      scrambled_ = database.Header().TextScrambled();
      textBytes_ = static_cast<size_t>(std::min<int>(def.StringSize(), kShortTextLength));
      break;
    default: break;
  }
}

bool TCriterionScan::MatchesText(std::span<const uint8_t> field) {
  if (!upperDone_) {
    // CriterionMatches upper-cases the stored text when it first compares a read field.
    TFieldValue& wanted = criterion_.Value;
    const size_t length = wanted.StringBytes().size();
    for (size_t i = 0; i < length; ++i) wanted.Data[i] = AsciiUpper(wanted.Data[i]);
    const std::span<const uint8_t> text = wanted.StringBytes();
    needle_.assign(text.begin(), text.end());
    upperDone_ = true;
  }
  if (needle_.empty()) return false;
  char upper[kShortTextLength];
  size_t n = 0;
  for (; n < textBytes_; ++n) {
    const uint8_t b = scrambled_ ? UnscrambleStringByte(field[n]) : field[n];
    if (b == 0) break;
    upper[n] = static_cast<char>(AsciiUpper(b));
  }
  return std::string_view(upper, n).find(needle_) != std::string_view::npos;
}

bool TCriterionScan::Matches(int32_t record) {
  switch (kind_) {
    case Kind::Never: return false;
    case Kind::Generic:
      database_.ReadValue(column_, record, value_);
      return CriterionMatches(criterion_, value_);
    case Kind::LinkList: {
      const std::span<const uint8_t> field = database_.FieldData(column_, record);
      if (field.empty()) return false;
      for (int k = 0; k < links_; ++k) {
        const int32_t link = LoadLE<int32_t>(field.data() + 4 * k);
        if (link < 1) break;
        if (static_cast<size_t>(link) < ticks_.size() && ticks_[static_cast<size_t>(link)] != 0)
          return true;
      }
      return false;
    }
    case Kind::Year: {
      const std::span<const uint8_t> field = database_.FieldData(column_, record);
      if (field.size() < 8) return false;
      const double day = LoadLE<double>(field.data());
      if (!std::isfinite(day) || std::fabs(day) > kSafeDays) {
        database_.ReadValue(column_, record, value_);
        return CriterionMatches(criterion_, value_);
      }
      const double platform = std::trunc(day - kDayNumberOffset);
      return platform >= firstDay_ && platform <= lastDay_;
    }
    case Kind::Text: {
      const std::span<const uint8_t> field = database_.FieldData(column_, record);
      return !field.empty() && MatchesText(field);
    }
  }
  return false;
}

}  // namespace orlaventis
