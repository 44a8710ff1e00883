// olvtool verbs of the "picture" group: what the program's picture decoder makes of a file.
#include "Cli.h"
#include "InputFile.h"

#include "media/Messages.h"
#include "media/PictureDecoder.h"

namespace olvtool {

namespace {

const Verb& InfoVerb();

int Info(const QStringList& words) {
  Args args;
  QString error;
  if (!args.Parse(words, {}, {}, &error)) return UsageError(InfoVerb(), error);
  if (args.Positional().size() != 1) return UsageError(InfoVerb(), QStringLiteral("needs FILE"));
  const QString path = args.Positional()[0];
  const orlaventis::FileReadStatus status = InputFileStatus(path, orlaventis::kMaxPictureFileBytes);
  if (status != orlaventis::FileReadStatus::Ok) {
    Err(QStringLiteral("olvtool picture info: ") + FileProblem(path, status));
    return kBadInput;
  }
  orlaventis::RecordedMessages messages;
  orlaventis::TPMultiImage decoder;
  decoder.SetMessages(&messages);
  decoder.SetImageReadRes(orlaventis::TLoadResolution::lColorTrue);
  decoder.SetImageName(path);
  const QImage& picture = decoder.Picture();
  if (picture.isNull()) {
    const QString why = messages.All().isEmpty() ? QStringLiteral("not a picture of a known format")
                                                 : messages.All().join(QStringLiteral("; "));
    Err(QStringLiteral("olvtool picture info: %1: %2").arg(path, why));
    return kBadInput;
  }
  Out(QStringLiteral("format: %1").arg(decoder.FormatName()));
  Out(QStringLiteral("size: %1 x %2").arg(picture.width()).arg(picture.height()));
  Out(QStringLiteral("bits per pixel: %1").arg(picture.depth()));
  Out(picture.colorCount() > 0 ? QStringLiteral("colours: %1").arg(picture.colorCount())
                               : QStringLiteral("colours: true colour"));
  return kOk;
}

const Verb& InfoVerb() {
  static const Verb verb{
      QStringLiteral("picture"), QStringLiteral("info"), QStringLiteral("FILE"),
      QStringLiteral(
          "Decodes FILE as the program's picture decoder does (the extension picks the\n"
          "decoder, else the content) and prints its format name, size, bits per pixel\n"
          "and colour count.\n"
          "Exit codes: 0 decoded, 1 missing or refused file or not decodable, 2 bad usage."),
      Info};
  return verb;
}

}  // namespace

std::span<const Verb> PictureVerbs() { return {&InfoVerb(), 1}; }

}  // namespace olvtool
