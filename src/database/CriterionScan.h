// TCriterionScan: one query criterion tested against many items of a table, names looked up once.
#pragma once

#include "database/TableDatabase.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

namespace orlaventis {

struct TQueryCriterion;

// Answers, for record after record of `table`, exactly what
// CriterionMatches(criterion, database.GetValue(table, criterion.ColumnDef.Name(), record))
// answers, including the upper-casing of a string criterion's text (done when the first
// readable field is tested). The column is resolved once; link lists are tested in the stored
// bytes, string texts without copies, and dates by a precomputed day range of the wanted year.
// The database and the criterion are not owned and must outlive the scan; the criterion must
// not change while it is in use.
class TCriterionScan {
 public:
  TCriterionScan(const TTessaranObject& database, const QString& table, TQueryCriterion& criterion);
  TCriterionScan(const TCriterionScan&) = delete;
  TCriterionScan& operator=(const TCriterionScan&) = delete;

  bool Matches(int32_t record);

 private:
  enum class Kind : uint8_t { Generic, Never, LinkList, Year, Text };
  bool MatchesText(std::span<const uint8_t> field);

  const TTessaranObject& database_;
  TQueryCriterion& criterion_;
  TTessaranObject::ColumnHandle column_;
  Kind kind_ = Kind::Generic;
  TFieldValue value_;                   // Generic: the field read last
  std::vector<uint8_t> ticks_;          // LinkList: Relations flags, 1 = ticked
  int links_ = 0;                       // LinkList: slots to look at
  double firstDay_ = 0, lastDay_ = -1;  // Year: platform day numbers of the wanted year
  bool scrambled_ = false;              // Text: stored strings are scrambled
  bool upperDone_ = false;              // Text: the criterion's text was upper-cased
  std::string needle_;                  // Text: the upper-cased criterion text
  size_t textBytes_ = 0;                // Text: bytes of a field that make its text
};

}  // namespace orlaventis
