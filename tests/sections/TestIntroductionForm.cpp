// Tests of the Introduction section: its text by language, the slide cycle, the timer.
#include "sections/IntroductionForm.h"

#include "SlideFixture.h"
#include "controls/ProportionalImage.h"
#include "sections/SlideCycle.h"
#include "media/Messages.h"
#include "media/ProgramFolder.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTest>
#include <QTimer>

using namespace orlaventis;

class TestIntroductionForm : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TMainForm> main_;
  RecordedMessages messages_;

  QString Folder() const { return dir_->path(); }

  TIntroductionForm* Start(int language) {
    main_ = fixture::StartMainForm(Folder(), language);
    if (!main_) return nullptr;
    return dynamic_cast<TIntroductionForm*>(SectionForm(SectionId::Introduction));
  }

  // The colour in the middle of the slide, as the control shows it.
  static QRgb SlideCentre(TIntroductionForm* form) {
    TProportionalImage* picture = form->SlidePicture;
    return fixture::PixelOf(picture, QPoint(picture->width() / 2, picture->height() / 2));
  }

 private slots:
  void initTestCase() {
    InstallMessages(&messages_);
    InstallSectionRoutines(SectionFormRoutines());
    RegisterIntroductionForm();
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    messages_.Clear();
    QVERIFY(fixture::WriteRecords(Folder(), {
        {1, "Intro_31|||", "Welkom.\r\n\r\nTweede alinea."},
        {2, "Intro_44|||", "Welcome.\n\nSecond paragraph."},
        {3, "Intro_44|||", "A later record with the same key is never shown."},
        {4, "intro_33|||", "Letter case counts in keys."},
    }));
  }

  void cleanup() { main_.reset(); }

  void textByLanguage() {
    QVERIFY(fixture::WriteSlides(Folder(), {1}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QCOMPARE(form->IntroductionText->toPlainText(), QString("Welcome.\n\nSecond paragraph."));
    QVERIFY(form->IntroductionText->isReadOnly());
    QCOMPARE(form->IntroductionText->contextMenuPolicy(), Qt::CustomContextMenu);
    // The memo is black with white text at its design place.
    QCOMPARE(form->IntroductionText->geometry(), QRect(128, 310, 485, 131));
    QCOMPARE(qGray(fixture::PixelOf(form->IntroductionText, QPoint(200, 120))), 0);
    QCOMPARE(form->HeaderLbl->property("Tag").toInt(), 1000);
    QCOMPARE(form->HeaderLblBk->geometry().translated(1, 1), form->HeaderLbl->geometry());
    main_.reset();

    form = Start(31);
    QVERIFY(form != nullptr);
    QCOMPARE(form->IntroductionText->document()->blockCount(), 3);  // CR LF ends a line
    QCOMPARE(form->IntroductionText->document()->findBlockByNumber(2).text(), QString("Tweede alinea."));
  }

  void languageWithoutIntroductionShowsEmptyMemo() {
    QVERIFY(fixture::WriteSlides(Folder(), {1}));
    TIntroductionForm* form = Start(33);  // only "intro_33|||" exists
    QVERIFY(form != nullptr);
    QVERIFY(form->IntroductionText->toPlainText().isEmpty());
    QCOMPARE(SlideCentre(form), fixture::SlideColour(1));  // the rest of the form still works
  }

  void missingRecordFileAndArchive() {
    QFile::remove(Folder() + "/d/olv.dat");
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QVERIFY(form->IntroductionText->toPlainText().isEmpty());
    QCOMPARE(form->PictureNumber(), 1);
    QVERIFY(form->SlidePicture->Image().isNull());
    form->TimerTimer();
    QCOMPARE(form->PictureNumber(), 2);
    QVERIFY(messages_.All().isEmpty());
  }

  void allTenSlidesInOrder() {
    QVERIFY(fixture::WriteSlides(Folder(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    // Picture 1 at once, then 2 .. 10, then 1 again.
    QCOMPARE(form->PictureNumber(), 1);
    QCOMPARE(SlideCentre(form), fixture::SlideColour(1));
    for (int expected : {2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}) {
      form->TimerTimer();
      QCOMPARE(form->PictureNumber(), expected);
      QCOMPARE(SlideCentre(form), fixture::SlideColour(expected));
      QVERIFY2(fixture::TempFiles().isEmpty(), "every unpacked slide is deleted");
    }
    // The explode transition with blocks of 5 at speed 1.
    QCOMPARE(form->SlidePicture->Effect(), EffectStyle::esExplode);
    QVERIFY(form->SlidePicture->Effects());
    QCOMPARE(form->SlidePicture->EffectSize(), 5);
    QCOMPARE(int(form->SlidePicture->EffectSpeed()), 1);
  }

  void missingMembersAreSkippedWhileTheNumberAdvances() {
    QVERIFY(fixture::WriteSlides(Folder(), {1, 2}, {5}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QCOMPARE(SlideCentre(form), fixture::SlideColour(1));
    form->TimerTimer();
    QCOMPARE(SlideCentre(form), fixture::SlideColour(2));
    // 3 .. 10 are missing (5 cannot be unpacked): picture 2 stays.
    for (int expected = 3; expected <= 10; ++expected) {
      form->TimerTimer();
      QCOMPARE(form->PictureNumber(), expected);
      QCOMPARE(SlideCentre(form), fixture::SlideColour(2));
    }
    QVERIFY(fixture::TempFiles().isEmpty());
    form->TimerTimer();
    QCOMPARE(form->PictureNumber(), 1);
    QCOMPARE(SlideCentre(form), fixture::SlideColour(1));
    // No box; the member that cannot be unpacked is named once, with its archive.
    QCOMPARE(messages_.All(), QStringList{"problem: The picture cannot be unpacked\ni\\i\\5 in " + DataPath("olvf.dat")});
  }

  void timerRunsWhileHidden() {
    QVERIFY(fixture::WriteSlides(Folder(), {1, 2, 3}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QTimer* timer = form->Slides().Timer();
    QCOMPARE(timer->interval(), 10000);
    QVERIFY(timer->isActive());
    main_->GoToCatalog();
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(timer->isActive());
    // A tick while hidden advances the number; the new picture shows on return.
    form->TimerTimer();
    QCOMPARE(form->PictureNumber(), 2);
    main_->GoToIntroduction();
    QCOMPARE(SectionForm(SectionId::Introduction), form);
    QVERIFY(form->isVisible());
    QCOMPARE(SlideCentre(form), fixture::SlideColour(2));
  }
};

QTEST_MAIN(TestIntroductionForm)
#include "TestIntroductionForm.moc"
