// Fuzz target: one text source of an authoring project from arbitrary bytes (the first byte picks
// which), the others those of a small valid project, checked and made into databases.
#include "ProjectBuild.h"

#include <QFile>

#include <cstdlib>

namespace {

QByteArray Content(const char* name) {
  QFile f(QStringLiteral(OLVTOOL_CONTENT_DIR "/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A project whose every source is valid: the demo's language, records and catalogue texts, a
// paint and trim of one colour and one item.
olvtool::ProjectSources ValidSources() {
  olvtool::ProjectSources s;
  s.language = Content("language.json");
  s.records = Content("records.json");
  s.catalogue = Content("catalogue.json");
  s.help = QByteArray("<html></html>");
  s.enamel = QByteArray(
      R"({"coach_colours": [["RD", "Red"]], "roof_colours": [], "fabric_materials": [["CL", "Cloth"]],
    "fabric_colours": [["01", "Red"]], "model_years": [1960, 1961], "models": [{"name": "M", "body": "s4", "years": [1960, 1961]}],
    "eras": [{"years": [1960, 1961], "paint": [["RD", null, [1]]], "trim": [["CL", ["01"], [1]]]}]})");
  s.items = QByteArray(
      "Item Number\tYear\tPhoto\tHeader 31\tHeader 33\tHeader 44\nA1\t1960\tp/a.jpg\ta\tb\tc\n");
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const olvtool::ProjectSources kValid = [] {
    const olvtool::ProjectSources s = ValidSources();
    olvtool::DemoDatabases databases;
    olvtool::EnamelNeeds needs;
    QStringList problems;
    if (!olvtool::CheckProjectSources(s, &databases, &needs, &problems))
      std::abort();  // the baseline must pass
    return s;
  }();
  if (size == 0) return 0;
  olvtool::ProjectSources s = kValid;
  const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
  switch (data[0] % 6) {
    case 0: s.language = bytes; break;
    case 1: s.records = bytes; break;
    case 2: s.catalogue = bytes; break;
    case 3: s.enamel = bytes; break;
    case 4: s.items = bytes; break;
    default: s.items = bytes, s.itemsFile = QStringLiteral("items.csv"); break;
  }
  olvtool::DemoDatabases databases;
  olvtool::EnamelNeeds needs;
  QStringList problems;
  // A refusal always names a problem: failing in silence is what a publisher cannot act on.
  if (!olvtool::CheckProjectSources(s, &databases, &needs, &problems)) {
    if (problems.isEmpty()) std::abort();
    return 0;
  }
  // What the checks accept, the writers write: a text that fits no field must be found up front,
  // with its place, never by a writer after.
  QString error;
  if (!olvtool::BuildDatabase(databases.language, true, &error) ||
      !olvtool::BuildRecordFile(databases.records, &error))
    std::abort();
  for (const auto& [language, catalogue] : databases.catalogues)
    if (!olvtool::BuildDatabase(catalogue, true, &error)) std::abort();
  return 0;
}
