// Fuzz target: open a record file from arbitrary bytes and read every record.
#include "database/RecordFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("fuzz.dat"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  TiDbRecFile file;
  file.Open(path);
  file.SelectAll();
  for (int i = 1; i <= file.VisibleCount(); ++i) {
    const TiDbRec r = file.GetRecord(i);
    (void)r.KeyText();
    (void)r.TextText();
  }
  (void)file.GetRecord(file.VisibleCount() / 2);
  (void)file.GetRecord(1);
  (void)file.GetRecord(file.VisibleCount() + 1);
  return 0;
}
