// Content for the Introduction and Production tests: record files and slide archives made with
// our writers in a temporary program folder, and a main form over it.
#pragma once

#include "ArchiveWriter.h"
#include "RecordFileWriter.h"
#include "controls/GraphicControl.h"
#include "controls/Transitions.h"
#include "shell/MainForm.h"
#include "media/TempFolder.h"
#include "shell/Translation.h"
#include "media/ProgramFolder.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QtEndian>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>
#include <vector>

namespace fixture {

// A distinct, exactly reproducible colour for each slide number.
inline QRgb SlideColour(int number) { return qRgb(20 * number, 200 - 15 * number, 60 + 10 * number); }

// A 40 x 30 picture of one colour, as PNG bytes.
inline QByteArray PlainPng(QRgb colour) {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  return bytes;
}

inline QByteArray SlidePng(int number) { return PlainPng(SlideColour(number)); }

// One member of a picture archive: its name in the index and its bytes.
struct Member {
  QString name;
  QByteArray bytes;
};

// olvf.dat in `folder` holding the `good` members, and the `damaged` ones with a zlib block whose
// middle byte is flipped (they can never be unpacked).
inline bool WritePhotoArchive(const QString& folder, const std::vector<Member>& good,
                              const std::vector<Member>& damaged = {}) {
  olvtool::ArchiveWriter writer;
  const QDateTime time(QDate(2001, 5, 6), QTime(7, 8, 10));
  for (const Member& member : good) {
    if (!writer.Add(member.name, member.bytes, time)) return false;
  }
  QByteArray archive = writer.Build();
  if (!damaged.empty()) {
    // Hand-made: the blocks of the good members, then the damaged ones, then one index.
    const qint32 indexLength = qFromLittleEndian<qint32>(archive.constData() + archive.size() - 4);
    QByteArray index = archive.mid(archive.size() - 4 - indexLength, indexLength);
    QByteArray blocks = archive.left(archive.size() - 4 - indexLength);
    for (const Member& member : damaged) {
      QByteArray packed = olvtool::ZlibPack(member.bytes);
      packed[packed.size() / 2] = char(packed[packed.size() / 2] ^ 0x5A);
      if (!index.isEmpty()) index += "\r\n";
      index += QStringLiteral("%1=0;%2;%3;%4;")
                   .arg(member.name)
                   .arg(member.bytes.size())
                   .arg(packed.size())
                   .arg(blocks.size())
                   .toLatin1();
      blocks += packed;
    }
    archive = olvtool::AssembleArchive(blocks, index);
  }
  QFile file(folder + QStringLiteral("/olvf.dat"));
  return file.open(QIODevice::WriteOnly) && file.write(archive) == archive.size();
}

// olvf.dat holding "i\i\N" for each of `numbers`; `damaged` members cannot be unpacked.
inline bool WriteSlides(const QString& folder, const std::vector<int>& numbers,
                        const std::vector<int>& damaged = {}) {
  const auto members = [](const std::vector<int>& from) {
    std::vector<Member> out;
    for (int n : from) out.push_back({QStringLiteral("i\\i\\%1").arg(n), SlidePng(n)});
    return out;
  };
  return WritePhotoArchive(folder, members(numbers), members(damaged));
}

inline bool WriteRecords(const QString& folder, const std::vector<olvtool::RecordSource>& records) {
  QDir().mkpath(folder + QStringLiteral("/d"));
  QString error;
  return olvtool::WriteRecordFile(records, folder + QStringLiteral("/d/olv.dat"), &error);
}

// Files left in the temporary folder.
inline QStringList TempFiles() {
  return QDir(orlaventis::TempFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

// A main form over the content of `folder` on a 640 x 480 screen, shown (which opens the
// Introduction), with instant transitions.
inline std::unique_ptr<orlaventis::TMainForm> StartMainForm(const QString& folder, int language) {
  using namespace orlaventis;
  SetInstantTransitions(true);
  SetProgramFolder(folder);
  SetTempFolder(folder + QStringLiteral("/T"));
  SetDisplayDepthOverride(32);
  SetScreenSizeOverride(QSize(640, 480));
  LanguageId = language;
  auto form = std::make_unique<TMainForm>();
  if (!form->FormCreate()) return nullptr;
  form->setGeometry(0, 0, 640, 480);
  form->show();
  // The Introduction starts its slides after its first paint.
  if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
  QCoreApplication::processEvents();
  return form;
}

// The pixel at `at` of `widget` as it paints itself (children included).
inline QRgb PixelOf(QWidget* widget, QPoint at) {
  QImage image(widget->size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  widget->render(&image);
  return image.pixel(at);
}

}  // namespace fixture
