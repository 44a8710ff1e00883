// olvtool verbs of the "archive" group: pack a folder, list an archive, extract one member.
#include "ArchiveWriter.h"
#include "Cli.h"
#include "InputFile.h"

#include "media/Archive.h"
#include "media/PictureDecoder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace olvtool {

namespace {

const Verb& VerbNamed(const QString& name);

int Pack(const QStringList& words) {
  const Verb& verb = VerbNamed(QStringLiteral("pack"));
  Args args;
  QString error;
  if (!args.Parse(words, {}, {}, &error)) return UsageError(verb, error);
  if (args.Positional().size() != 2)
    return UsageError(verb, QStringLiteral("needs FOLDER and OUT"));
  const QString folder = args.Positional()[0];
  const QString out = args.Positional()[1];
  if (!QFileInfo(folder).isDir()) {
    Err(QStringLiteral("olvtool archive pack: %1: not a folder").arg(folder));
    return kBadInput;
  }
  const QDir root(QFileInfo(folder).absoluteFilePath());
  QStringList files;
  // FIFOs, devices and sockets are listed too, so that one is refused rather than left out.
  QDirIterator it(root.absolutePath(),
                  QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << root.relativeFilePath(it.next());
  std::sort(files.begin(), files.end());
  ArchiveWriter writer;
  for (const QString& relative : files) {
    const QString path = root.filePath(relative);
    // No member the program would unpack is larger than a picture it decodes.
    const orlaventis::FileContents file =
        orlaventis::ReadRegularFile(path, orlaventis::kMaxPictureFileBytes);
    if (file.status != orlaventis::FileReadStatus::Ok) {
      Err(QStringLiteral("olvtool archive pack: ") + FileProblem(Printable(path), file.status));
      return kBadInput;
    }
    const QDateTime time = QFileInfo(path).lastModified();
    QString name = relative;
    name.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!writer.Add(name, file.bytes, time, MemberPacking::Smaller, &error)) {
      Err(QStringLiteral("olvtool archive pack: %1: %2").arg(path, error));
      return kBadInput;
    }
  }
  if (!writer.Write(out, &error)) {
    Err(QStringLiteral("olvtool archive pack: %1").arg(error));
    return kBadInput;
  }
  Out(QStringLiteral("%1: %2 member(s)").arg(out).arg(writer.Count()));
  return kOk;
}

// The index of ARCHIVE, or an error message and nullopt.
std::optional<QStringList> IndexOrError(const QString& verb, const QString& archive) {
  using orlaventis::FileReadStatus;
  FileReadStatus status = InputFileStatus(archive, kMaxArchiveBytes);
  std::optional<QStringList> index;
  if (status == FileReadStatus::Ok) index = orlaventis::BuildArchiveIndex(archive);
  // No index after a good look: the file went, or something else took its place, in between.
  if (status == FileReadStatus::Ok && !index) status = FileReadStatus::Missing;
  if (!index) Err(QStringLiteral("olvtool archive %1: ").arg(verb) + FileProblem(archive, status));
  return index;
}

QString TimeText(double days) {
  return orlaventis::DaysToDateTime(days).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

int List(const QStringList& words) {
  const Verb& verb = VerbNamed(QStringLiteral("list"));
  Args args;
  QString error;
  if (!args.Parse(words, {}, {QStringLiteral("json")}, &error)) return UsageError(verb, error);
  if (args.Positional().size() != 1) return UsageError(verb, QStringLiteral("needs ARCHIVE"));
  const std::optional<QStringList> index =
      IndexOrError(QStringLiteral("list"), args.Positional()[0]);
  if (!index) return kBadInput;
  QJsonArray members;
  for (const QString& line : *index) {
    const orlaventis::ArchiveEntry e = orlaventis::ParseArchiveEntry(line);
    if (args.Has(QStringLiteral("json"))) {
      members.append(QJsonObject{{QStringLiteral("name"), e.Name},
                                 {QStringLiteral("time"), TimeText(e.TimeStamp)},
                                 {QStringLiteral("unpacked"), e.UnpackedSize},
                                 {QStringLiteral("packed"), e.PackedSize},
                                 {QStringLiteral("offset"), e.Offset}});
    } else {
      Out(QStringLiteral("%1\t%2\t%3\t%4\t%5")
              .arg(Printable(e.Name), TimeText(e.TimeStamp))
              .arg(e.UnpackedSize)
              .arg(e.PackedSize)
              .arg(e.Offset));
    }
  }
  if (args.Has(QStringLiteral("json")))
    Out(QString::fromUtf8(QJsonDocument(members).toJson(QJsonDocument::Indented)).trimmed());
  return kOk;
}

int Extract(const QStringList& words) {
  const Verb& verb = VerbNamed(QStringLiteral("extract"));
  Args args;
  QString error;
  if (!args.Parse(words, {}, {}, &error)) return UsageError(verb, error);
  if (args.Positional().size() != 3)
    return UsageError(verb, QStringLiteral("needs ARCHIVE, NAME and OUT"));
  const QString archive = args.Positional()[0];
  const QString name = args.Positional()[1];
  const std::optional<QStringList> index = IndexOrError(QStringLiteral("extract"), archive);
  if (!index) return kBadInput;
  if (!orlaventis::ArchiveContains(index, name)) {
    Err(QStringLiteral("olvtool archive extract: %1: no member \"%2\"").arg(archive, name));
    return kBadInput;
  }
  const orlaventis::ArchiveEntry entry = orlaventis::FindArchiveEntry(index, name);
  if (!orlaventis::ExtractArchiveEntry(archive, entry, args.Positional()[2])) {
    Err(QStringLiteral(
            "olvtool archive extract: %1: member \"%2\" is damaged or %3 cannot be written")
            .arg(archive, name, args.Positional()[2]));
    return kBadInput;
  }
  return kOk;
}

const std::vector<Verb>& Verbs() {
  static const std::vector<Verb> verbs = {
      {QStringLiteral("archive"), QStringLiteral("pack"), QStringLiteral("FOLDER OUT"),
       QStringLiteral(
           "Packs every file below FOLDER into the picture archive OUT. Member names are the\n"
           "relative paths with \"\\\" separators; each member is stored or zlib-packed,\n"
           "whichever is smaller; its time stamp is the file's modification time.\n"
           "Exit codes: 0 written, 1 unreadable file or unwritable OUT, 2 bad usage."),
       Pack},
      {QStringLiteral("archive"), QStringLiteral("list"), QStringLiteral("ARCHIVE [--json]"),
       QStringLiteral(
           "Lists the index of ARCHIVE: name, time stamp, unpacked size, packed size, offset\n"
           "(tab-separated, or a JSON array with --json). An unreadable index lists nothing.\n"
           "Exit codes: 0 listed, 1 missing or refused file, 2 bad usage."),
       List},
      {QStringLiteral("archive"), QStringLiteral("extract"), QStringLiteral("ARCHIVE NAME OUT"),
       QStringLiteral(
           "Unpacks member NAME (letter case ignored) of ARCHIVE into the file OUT, with the\n"
           "member's time stamp, exactly as the program does.\n"
           "Exit codes: 0 extracted, 1 missing archive or member, damaged member or OUT not\n"
           "writable, 2 bad usage."),
       Extract},
  };
  return verbs;
}

const Verb& VerbNamed(const QString& name) {
  const std::vector<Verb>& verbs = Verbs();
  return *std::find_if(verbs.begin(), verbs.end(), [&](const Verb& v) { return v.name == name; });
}

}  // namespace

std::span<const Verb> ArchiveVerbs() { return Verbs(); }

}  // namespace olvtool
