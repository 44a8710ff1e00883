// Fuzz target: open a table database from arbitrary bytes and read every field as value and text.
#include "FuzzInput.h"
#include "database/TableDatabase.h"

#include <algorithm>

using namespace orlaventis;

namespace {
struct WrongAnswer : PasswordPrompt {
  std::optional<QString> AskPassword(const QString&) override { return QStringLiteral("x"); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("fuzz.db"), data, size);
  WrongAnswer prompt;
  TTessaranObject db(&prompt);
  db.Open(path, path, QString(), QString());
  // Lookups work on whatever was read, even after a failed Open.
  for (int t = 1; t <= std::min(db.TableCount(), 16); ++t) {
    const QString table = db.TableName(t);
    const int records = std::min(db.RecordCount(table), 64);
    for (int c = 1; c <= std::min(db.ColumnCount(t), 32); ++c) {
      const QString column = db.ColumnName(table, c);
      for (int r = 0; r <= records + 1; ++r) {
        const TFieldValue v = db.GetValue(table, column, r);
        (void)db.GetValueAsText(table, column, r);
        (void)db.ValueToText(table, column, v);
        TFieldValue converted = v;
        (void)db.TextToValue(QStringLiteral("12,5"), db.GetColumnDef(table, column), converted);
      }
      (void)db.FindRecord(table, column, QStringLiteral("Red"));
      (void)db.FindRecord(table, column, QString());
    }
  }
  return 0;
}
