// Tests of LoadArchivePicture: which archive, refused names, damaged members, events while
// unpacking.
#include "ProcessFactsRestorer.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"
#include "process/ProcessFacts.h"
#include "shell/ArchiveFixture.h"  // tests/shell
#include "shell/ArchivePicture.h"
#include "shell/MainForm.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace orlaventis;

namespace {

// A 40 x 30 picture of one colour as BMP bytes.
QByteArray Bmp(QRgb colour) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  const bool saved = buffer.open(QIODevice::WriteOnly) &&
                     probes::Solid(40, 30, colour).save(&buffer, "BMP");
  return saved ? bytes : QByteArray();
}

constexpr QRgb kPhotoColour = 0xff2050a0;
constexpr QRgb kEnamelColour = 0xffa03010;
const QString kMember = QStringLiteral("i\\x\\1");

}  // namespace

class TestArchivePicture : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  TSettings settings_;  // outlives main_
  std::unique_ptr<TMainForm> main_;
  std::optional<fixture::ProcessFactsRestorer> facts_;  // from init() to cleanup()

  QString Folder() const { return dir_->path(); }
  QStringList TempFiles() const {
    return QDir(main_->TempFolder()->Folder()).entryList(QDir::Files | QDir::NoDotAndDotDot);
  }
  // The temporary files and the name the decoder holds: both empty after each load.
  std::tuple<QStringList, QString> Left() const {
    return {TempFiles(), main_->anImage().ImageName()};
  }
  // The member `name` of the photo archive, unpacked as `file`.
  QImage Photo(const QString& name, const QString& file) {
    return LoadArchivePicture(*main_, PictureArchive::Photos, name, file);
  }
  // Both archives hold "i\x\1" in their own colour (packed: BMP packs well, so the member is
  // inflated); the photo archive also holds a member that is no picture and a damaged one.
  bool WriteArchives() {
    return fixture::WriteArchive(Folder() + "/olve.dat", {{kMember, Bmp(kEnamelColour)}}) &&
           fixture::WriteArchive(
               Folder() + "/olvf.dat",
               {{kMember, Bmp(kPhotoColour)}, {QStringLiteral("text"), QByteArray(500, 'x')}},
               {{QStringLiteral("damaged"), Bmp(kPhotoColour)}});
  }
  bool StartMainForm() {
    settings_.ProgramFolder = Folder();
    settings_.TempFolder = Folder() + "/T";
    Process().displayDepthOverride = 32;
    Process().screenSizeOverride = QSize(640, 480);
    main_ = std::make_unique<TMainForm>(settings_);
    return main_->FormCreate();
  }

 private Q_SLOTS:
  void init() {
    facts_.emplace();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QVERIFY(WriteArchives());
    QVERIFY(StartMainForm());
  }
  void cleanup() {
    main_.reset();
    facts_.reset();
  }
  // The member comes from the archive asked for, by its name in any letter case; the file is
  // gone and the decoder named nothing afterwards.
  void loadsFromTheNamedArchiveAndFailuresLeaveNothing() {
    const QImage photo = Photo(kMember, "1");
    const QImage car = LoadArchivePicture(*main_, PictureArchive::Enamel, "I\\X\\1", "1");
    QCOMPARE(photo.size(), QSize(40, 30));
    QCOMPARE((QList{photo.pixel(20, 15), car.pixel(20, 15)}), (QList{kPhotoColour, kEnamelColour}));
    QCOMPARE(Left(), (std::tuple{QStringList(), QString()}));
    QVERIFY(main_->anImage().Picture().isNull());
    // A name the decoder still holds from before (its file gone) does not hide the new file.
    main_->anImage().SetImageName(main_->TempFolder()->FilePath("same"));
    QVERIFY(main_->anImage().Picture().isNull());
    QCOMPARE(Photo(kMember, "same").pixel(0, 0), kPhotoColour);
    QCOMPARE(main_->anImage().ImageName(), QString());

    // Every failure gives a null picture, writes nothing outside the temporary folder and leaves
    // nothing in it.
    const auto recorded = std::make_shared<RecordedMessages>();
    const RecordedMessages& messages = *recorded;
    settings_.Messages = recorded;
    QVERIFY(Photo("i\\x\\2", "2").isNull());
    for (const char* bad : {"", "..", "..\\escaped", "../escaped", "a/b"})
      QVERIFY2(Photo(kMember, bad).isNull(), bad);
    QVERIFY(QDir(Folder()).entryList({"*escaped*"}, QDir::AllEntries | QDir::System).isEmpty());
    // Unpacked but no picture; a block that does not inflate.
    for (const char* name : {"text", "damaged"}) QVERIFY(Photo(name, name).isNull());
    QCOMPARE(Left(), (std::tuple{QStringList(), QString()}));
    // What failed is named: the member and its archive.
    const QString photos = settings_.DataPath("olvf.dat");
    QVERIFY(messages.Problems().contains("The picture cannot be unpacked\ndamaged in " + photos));
    QVERIFY(messages.Problems().contains(
        "The picture's name is not a plain file name\ni\\x\\1 in " + photos));
    // No archive at all (no index).
    main_.reset();
    QVERIFY(QFile::remove(Folder() + "/olve.dat"));
    QVERIFY(StartMainForm());
    QVERIFY(!main_->EnamelArchiveIndex().has_value());
    QVERIFY(LoadArchivePicture(*main_, PictureArchive::Enamel, kMember, "1").isNull());
    QVERIFY(!Photo(kMember, "1").isNull());
  }
  // Pending events run while the member inflates; when one of them ends the main form, the
  // result is null and the file still goes.
  void eventsRunWhileInflating() {
    bool ran = false;
    QMetaObject::invokeMethod(
        this, [&ran] { ran = true; }, Qt::QueuedConnection);
    QVERIFY(!ran);
    QVERIFY(!Photo(kMember, "1").isNull());
    QVERIFY(ran);
    const QString folder = main_->TempFolder()->Folder();
    QMetaObject::invokeMethod(
        this, [this] { main_.reset(); }, Qt::QueuedConnection);
    QVERIFY(Photo(kMember, "1").isNull());
    QVERIFY(main_ == nullptr);
    QVERIFY(!QFile::exists(folder + "1"));
  }
};

QTEST_MAIN(TestArchivePicture)
#include "TestArchivePicture.moc"
