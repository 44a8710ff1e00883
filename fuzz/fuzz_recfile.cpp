// Fuzz target: open a record file from arbitrary bytes and read every record.
#include "FuzzInput.h"
#include "database/RecordFile.h"

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("fuzz.dat"), data, size);
  TiDbRecFile file;
  file.Open(path);
  file.SelectAll();
  for (int i = 1; i <= file.VisibleCount(); ++i) {
    const TiDbRec r = file.GetRecord(i);
    (void)r.KeyText();
    (void)r.TextText();
  }
  for (int i : {file.VisibleCount() / 2, 1, file.VisibleCount() + 1}) (void)file.GetRecord(i);
  return 0;
}
