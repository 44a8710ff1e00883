// Fuzz target: the paint-and-trim tables from arbitrary bytes, loaded and walked choice by choice.
#include "FuzzInput.h"
#include "database/EnamelCascade.h"
#include "database/TableDatabase.h"

#include <algorithm>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("ol44.cat"), data, size);
  TTessaranObject db;
  if (!db.Open(path, path, QString(), QString())) return 0;
  TEnamelCascade cascade;
  if (cascade.Load(db) != TEnamelCascade::LoadResult::Ok) return 0;
  for (int model = 0; model < std::min<int>(cascade.Models().size(), 4); ++model) {
    cascade.ChooseModel(model);
    for (int option = 0; option < kEnamelOptionCount; ++option)
      for (int entry = 0; entry < 3; ++entry) {
        cascade.ChooseOption(static_cast<EnamelOption>(option), entry);
        (void)cascade.CarPictureName();
        (void)cascade.SeatPictureName();
      }
  }
  return 0;
}
