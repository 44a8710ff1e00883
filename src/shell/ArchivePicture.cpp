// Pictures taken from the program's archives: unpack one member, decode it, delete the file.
#include "shell/ArchivePicture.h"

#include "database/ContentContract.h"
#include "media/ArchiveIndex.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"
#include "shell/MainForm.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace orlaventis {
namespace {

const std::optional<TArchiveIndex>& IndexOf(const TMainForm& main, PictureArchive archive) {
  return archive == PictureArchive::Photos ? main.PhotoArchiveIndex() : main.EnamelArchiveIndex();
}

}  // namespace

QString PictureArchiveFileName(PictureArchive archive) {
  return archive == PictureArchive::Photos ? QString(content::kPhotoArchive)
                                           : QString(content::kEnamelArchive);
}

QImage LoadArchivePicture(TMainForm& main, PictureArchive archive, const QString& member,
                          const QString& fileName) {
  return LoadArchiveThumbnail(main, archive, member, fileName, {});
}

QImage LoadArchiveThumbnail(TMainForm& main, PictureArchive archive, const QString& member,
                            const QString& fileName, const PictureSizeRule& sizeFor) {
  if (!IndexOf(main, archive)) return {};
  const std::optional<ArchiveEntry> found = IndexOf(main, archive)->Find(member);
  if (!found) return {};
  const ArchiveEntry& entry = *found;
  const QString archivePath = main.Settings().DataPath(PictureArchiveFileName(archive));
  // Messages name the member and its archive: the temporary file means nothing to a reader.
  const QString source = member + QStringLiteral(" in ") + archivePath;
  // Kept here: events run while the member inflates, and the main form may go meanwhile.
  const std::shared_ptr<UserMessages> messages = main.Settings().Messages;
  const QPointer<TMainForm> alive(&main);
  const QString file = main.TempFolder()->FilePath(fileName);
  if (file.isEmpty()) {
    messages->Problem(
        AboutFile(QStringLiteral("The picture's name is not a plain file name"), source));
    return {};
  }
  const bool extracted = ExtractArchiveEntry(archivePath, entry, file, ProcessEventsProgress());
  if (!extracted)
    messages->Problem(AboutFile(QStringLiteral("The picture cannot be unpacked"), source));
  QImage picture;
  // Events ran while the member inflated: the main form may be gone now.
  if (extracted && QFileInfo(file).isFile() && alive) {
    TPMultiImage& decoder = main.anImage();
    decoder.SetImageName(QString());
    decoder.SetSizeRule(sizeFor);
    decoder.SetImageName(file, source);
    decoder.SetSizeRule({});
    picture = decoder.Picture();
    decoder.SetImageName(QString());
  }
  QFile::remove(file);
  return picture;
}

}  // namespace orlaventis
