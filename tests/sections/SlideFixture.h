// Content for the section tests: record files and picture archives made with our writers in a
// temporary program folder, a main form over it, and what the sections show.
#pragma once

#include "ProcessFactsRestorer.h"
#include "RecordFileWriter.h"
#include "controls/ProportionalImage.h"
#include "controls/Transitions.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "media/Messages.h"
#include "media/TempFolder.h"
#include "process/ProcessFacts.h"
#include "sections/AllSections.h"  // tests/sections
#include "sections/SectionForm.h"
#include "shell/ArchiveFixture.h"  // tests/shell
#include "shell/MainForm.h"
#include "shell/Translation.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <vector>

namespace fixture {

// A distinct, exactly reproducible colour for each slide number.
inline QRgb SlideColour(int n) { return qRgb(20 * n, 200 - 15 * n, 60 + 10 * n); }

// A picture of one colour (40 x 30 unless told), as PNG bytes.
inline QByteArray PlainPng(QRgb colour, QSize size = QSize(40, 30)) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  probes::Solid(size.width(), size.height(), colour).save(&buffer, "PNG");
  return bytes;
}
// olvf.dat holding "i\i\N" for each of `numbers`; `damaged` members cannot be unpacked.
inline bool WriteSlides(const QString& folder, const std::vector<int>& numbers,
                        const std::vector<int>& damaged = {}) {
  const auto members = [](const std::vector<int>& from) {
    std::vector<Member> out;
    for (int n : from) out.push_back({QStringLiteral("i\\i\\%1").arg(n), PlainPng(SlideColour(n))});
    return out;
  };
  return WriteArchive(folder + QStringLiteral("/olvf.dat"), members(numbers), members(damaged));
}
inline bool WriteRecords(const QString& folder, const std::vector<olvtool::RecordSource>& records) {
  QDir().mkpath(folder + QStringLiteral("/d"));
  QString error;
  return olvtool::WriteRecordFile(records, folder + QStringLiteral("/d/olv.dat"), &error);
}
// A main form with `settings` (which must outlive it) over the content of `folder` on a
// `screen`-sized screen (640 x 480 unless told), shown (which opens the Introduction), with
// instant transitions; null when it cannot start.
inline std::unique_ptr<orlaventis::TMainForm> StartMainForm(
    orlaventis::TSettings& settings, const QString& folder, int language,
    QSize screen = QSize(640, 480), const orlaventis::SectionMakers& makers = {}) {
  using namespace orlaventis;
  settings.ProgramFolder = folder;
  settings.TempFolder = folder + QStringLiteral("/T");
  Process().displayDepthOverride = 32;
  Process().screenSizeOverride = screen;
  settings.LanguageId = language;
  auto form = std::make_unique<TMainForm>(settings);
  SetInstantTransitions(form.get(), true);
  if (!form->FormCreate()) return nullptr;
  TSectionSet::Install(*form, makers);
  form->setGeometry(QRect(QPoint(0, 0), screen));
  form->show();
  // The Introduction starts its slides after its first paint.
  if (!QTest::qWaitForWindowExposed(form.get())) return nullptr;
  QCoreApplication::processEvents();
  return form;
}

using probes::PixelOf;

// The colour in the middle of a picture control as it shows itself.
inline QRgb Centre(orlaventis::TProportionalImage* picture) {
  return PixelOf(picture, QPoint(picture->width() / 2, picture->height() / 2));
}
// What each section test holds: a fresh program folder and settings per test function, the main
// form over them, and the messages shown to the user (recorded, with the section routines
// installed, from construction on).
struct SectionTest : QObject {
  // Puts the process facts back as each test found them (StartMainForm pretends a display depth).
  std::optional<ProcessFactsRestorer> facts_;
  std::unique_ptr<QTemporaryDir> dir_;
  orlaventis::TSettings settings_;  // outlives main_
  std::unique_ptr<orlaventis::TMainForm> main_;
  const std::shared_ptr<orlaventis::RecordedMessages> recorded_ =
      std::make_shared<orlaventis::RecordedMessages>();
  orlaventis::RecordedMessages& messages_ = *recorded_;

  // The sections a test's main form gets (a section without a maker gets the bare frame).
  orlaventis::SectionMakers makers_;

  SectionTest() { settings_.Messages = recorded_; }

  orlaventis::TSectionSet& Sections() const { return SectionsOf(*main_); }

  QString Folder() const { return dir_->path(); }
  // Files left in the main form's temporary folder.
  QStringList TempFiles() const {
    return QDir(main_->TempFolder()->Folder()).entryList(QDir::Files | QDir::NoDotAndDotDot);
  }
  // For init(): a new empty folder, new settings, no messages and the process facts the tests
  // started with; false when the folder cannot be made.
  bool Fresh() {
    main_.reset();
    facts_.emplace();  // puts back what the last test changed, and keeps it for the next
    settings_ = orlaventis::TSettings();
    settings_.Messages = recorded_;
    settings_.FarewellMs = 0;  // no pause when a test's main form closes
    dir_ = std::make_unique<QTemporaryDir>();
    messages_.Clear();
    return dir_->isValid();
  }
};

}  // namespace fixture
