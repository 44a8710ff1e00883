// Fuzz target: archive index parsing and member extraction from damaged archives.
#include "FuzzInput.h"
#include "media/Archive.h"
#include "media/ArchiveIndex.h"

#include <cstdlib>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString archive = WriteFuzzInput(QStringLiteral("a.dat"), data, size),
                out = archive + QStringLiteral(".out");
  const std::optional<QStringList> index = BuildArchiveIndex(archive);
  if (!index || *index != ParseArchiveIndex(bytes))
    std::abort();  // the file and memory readers must agree
  // The hashed index holds the same lines and finds the same first line for every name.
  const std::optional<TArchiveIndex> hashed = TArchiveIndex::Read(archive);
  if (!hashed || hashed->Count() != index->size()) std::abort();
  const auto sameEntry = [&](const QString& name) {
    const ArchiveEntry a = FindArchiveEntry(hashed, name), b = FindArchiveEntry(index, name);
    return a.Name == b.Name && a.Offset == b.Offset && a.PackedSize == b.PackedSize;
  };
  for (int i = 0; i < hashed->Count(); ++i) {
    const QString name = ArchiveLineName(index->at(i));
    if (hashed->Line(i) != index->at(i) || !sameEntry(name) || !sameEntry(name.toUpper()))
      std::abort();
  }

  int extracted = 0;
  for (const QString& line : *index) {
    const ArchiveEntry entry = ParseArchiveEntry(line);
    const ArchiveEntry found = FindArchiveEntry(index, entry.Name);
    if (!entry.Name.isEmpty() && found.Name.compare(entry.Name, Qt::CaseInsensitive) != 0)
      std::abort();
    const QByteArray member = ReadArchiveMember(bytes, entry);
    if (!member.isEmpty() && member.size() != entry.UnpackedSize) std::abort();
    if (extracted++ >= 3) continue;  // file extraction is slow; a few per input suffice
    // The file holds the member after a successful extraction; a failed one leaves nothing behind.
    const bool ok = ExtractArchiveEntry(archive, entry, out);
    QFile f(out);
    if (ok != !member.isEmpty() || f.exists() != ok ||
        (ok && (!f.open(QIODevice::ReadOnly) || f.readAll() != member)))
      std::abort();
    f.remove();
  }
  // The raw input as a zlib stream of a size taken from its first bytes.
  QByteArray inflated;
  if (size >= 2) InflateMember(bytes.sliced(2), inflated, (data[0] | (data[1] << 8)) + 1);
  return 0;
}
