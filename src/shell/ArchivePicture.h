// Pictures taken from the program's archives: unpack one member, decode it, delete the file.
#pragma once

#include "media/PictureDecoder.h"

#include <QImage>
#include <QString>

namespace orlaventis {

class TMainForm;

// The two picture archives beside the program, each indexed by the main form.
enum class PictureArchive {
  Photos,  // content::kPhotoArchive, TMainForm::PhotoArchiveIndex: slides and catalogue photos
  Enamel,  // content::kEnamelArchive, TMainForm::EnamelArchiveIndex: car and seat pictures
};

// The archive's file name in the program folder (content::kPhotoArchive, kEnamelArchive).
QString PictureArchiveFileName(PictureArchive archive);

// Unpacks member `member` (looked up, letter case ignored, in the index `main` keeps of
// `archive`) into the main form's temporary folder as `fileName`, decodes that file through the
// main form's `anImage` and deletes it. The decoder's ImageName is set empty before the file is
// named (so a name left from an earlier load cannot hide the new file) and empty again
// afterwards.
//
// Returns the decoded picture, or a null image when the archive has no index or no such member,
// `fileName` is no plain file name (TTempFolder::FilePath: nothing is written outside the
// temporary folder), the member cannot be unpacked, the file is no picture the decoder reads,
// or the main form went away while the member inflated. The file is deleted in every case.
//
// Pending events run while the member inflates (ProcessEventsProgress), so any handler, the
// caller's own included, may run before this returns: a caller checks afterwards that it still
// exists and that the picture still belongs to what it shows.
QImage LoadArchivePicture(TMainForm& main, PictureArchive archive, const QString& member,
                          const QString& fileName);

// LoadArchivePicture decoding at the size `sizeFor` gives for the picture's full size (see
// DecodePictureScaled), the colours mapped after scaling: a thumbnail for a small cell.
QImage LoadArchiveThumbnail(TMainForm& main, PictureArchive archive, const QString& member,
                            const QString& fileName, const PictureSizeRule& sizeFor);

}  // namespace orlaventis
