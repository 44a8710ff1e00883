// Fuzz target: archive index parsing and member extraction from damaged archives.
#include "media/Archive.h"
#include "media/ArchiveIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

using namespace orlaventis;

namespace {

QTemporaryDir* Folder() {
  static QTemporaryDir dir;
  return &dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList fromMemory = ParseArchiveIndex(bytes);

  const QString archive = Folder()->filePath(QStringLiteral("a.dat"));
  {
    QFile f(archive);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(bytes.data(), bytes.size());
  }
  const std::optional<QStringList> index = BuildArchiveIndex(archive);
  if (!index || *index != fromMemory) std::abort();  // the file and memory readers must agree
  // The hashed index holds the same lines and finds the same first line for every name.
  const std::optional<TArchiveIndex> hashed = TArchiveIndex::Read(archive);
  if (!hashed || hashed->Count() != index->size()) std::abort();
  const auto sameEntry = [&](const QString& name) {
    const ArchiveEntry a = FindArchiveEntry(hashed, name), b = FindArchiveEntry(index, name);
    return a.Name == b.Name && a.Offset == b.Offset && a.PackedSize == b.PackedSize;
  };
  for (int i = 0; i < hashed->Count(); ++i) {
    const QString name = ArchiveLineName(index->at(i));
    if (hashed->Line(i) != index->at(i) || !sameEntry(name) || !sameEntry(name.toUpper())) std::abort();
  }

  int extracted = 0;
  for (const QString& line : *index) {
    const ArchiveEntry entry = ParseArchiveEntry(line);
    const ArchiveEntry found = FindArchiveEntry(index, entry.Name);
    if (!entry.Name.isEmpty() && found.Name.compare(entry.Name, Qt::CaseInsensitive) != 0) std::abort();
    const QByteArray member = ReadArchiveMember(bytes, entry);
    if (!member.isEmpty() && member.size() != entry.UnpackedSize) std::abort();
    if (extracted++ >= 3) continue;  // file extraction is slow; a few per input suffice
    const QString out = Folder()->filePath(QStringLiteral("out"));
    const bool ok = ExtractArchiveEntry(archive, entry, out);
    if (ok != !member.isEmpty()) std::abort();
    if (ok) {
      QFile f(out);
      if (!f.open(QIODevice::ReadOnly) || f.readAll() != member) std::abort();
    } else if (QFile::exists(out)) {
      std::abort();  // a failed extraction leaves nothing behind
    }
    QFile::remove(out);
  }
  // The raw input as a zlib stream of a size taken from its first bytes.
  if (size >= 2) {
    QByteArray out;
    InflateMember(bytes.sliced(2), out, (data[0] | (data[1] << 8)) + 1);
  }
  return 0;
}
