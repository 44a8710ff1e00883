// Fuzz target: the route of an unpacked picture: the temporary file's name check, then the
// decoder object loading that file by its extension under the program's size limits.
#include "FuzzInput.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdlib>

using namespace orlaventis;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);  // image format plugins are found through it
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Byte 0: the extension; byte 1: how many of the next bytes name the file; the rest: content.
  static const char* const kExtensions[] = {".PCX", ".BMP", ".JPG", ".PNG",
                                            ".GIF", ".TIF", ".THB", ".XYZ"};
  const size_t nameLength = std::min<size_t>(data[1], size - 2);
  const QString file =
      WriteFuzzInput(QStringLiteral("picture") + QLatin1String(kExtensions[data[0] % 8]),
                     data + 2 + nameLength, size - 2 - nameLength);
  if (file.isEmpty()) return 0;
  TTempFolder folder(QString(), QFileInfo(file).path());  // the folder the file lies in
  const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data + 2),
                                         static_cast<qsizetype>(nameLength));
  const QString path = folder.FilePath(name);
  if (!path.isEmpty() &&
      (!IsPlainFileName(name) || QFileInfo(path).absolutePath() != QFileInfo(file).absolutePath()))
    std::abort();  // a name that passes must stay a file directly inside the folder
  RecordedMessages messages;
  TPMultiImage decoder;
  decoder.SetMessages(&messages);
  decoder.SetImageReadRes(static_cast<TLoadResolution>((data[0] / 8) % 6));
  decoder.SetImageName(file, name);
  const QImage& picture = decoder.Picture();
  if (!picture.isNull() &&
      (picture.sizeInBytes() > kPictureAllocationLimit || !messages.Errors().isEmpty()))
    std::abort();
  return 0;
}
