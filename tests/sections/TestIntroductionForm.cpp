// Tests of the Introduction section: its text by language, the slide cycle, the timer.
#include "sections/IntroductionForm.h"

#include "SlideFixture.h"
#include "sections/SlideCycle.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

using namespace orlaventis;
using fixture::SlideColour;

class TestIntroductionForm : public fixture::SectionTest {
  Q_OBJECT

  TIntroductionForm* Start(int language) {
    main_ = fixture::StartMainForm(settings_, Folder(), language, QSize(640, 480), makers_);
    return main_ ? dynamic_cast<TIntroductionForm*>(Sections().Form(SectionId::Introduction))
                 : nullptr;
  }
  static QRgb SlideCentre(TIntroductionForm* form) { return fixture::Centre(form->SlidePicture); }
  // The memo's text, or words saying that there is no form.
  static QString Text(auto* f) { return f ? f->IntroductionText->toPlainText() : "(no form)"; }

 private slots:
  void initTestCase() {
    makers_[0] = [](TSectionSet& s) { return new TIntroductionForm(s); };
  }

  void init() {
    QVERIFY(Fresh());
    QVERIFY(fixture::WriteRecords(
        Folder(), {
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
    QCOMPARE(Text(form), "Welcome.\n\nSecond paragraph.");
    QVERIFY(form->IntroductionText->isReadOnly());
    // The memo is black; the header's shadow lies one pixel up and left.
    QCOMPARE(qGray(fixture::PixelOf(form->IntroductionText, QPoint(200, 120))), 0);
    QCOMPARE(form->HeaderLblBk->geometry().translated(1, 1), form->HeaderLbl->geometry());
    main_.reset();
    form = Start(31);  // CR LF ends a line
    QCOMPARE(Text(form), "Welkom.\n\nTweede alinea.");
    main_.reset();
    // A language without an introduction ("intro_33" differs in case): empty memo, the rest works.
    form = Start(33);
    QCOMPARE((std::tuple{Text(form), SlideCentre(form)}), (std::tuple{QString(), SlideColour(1)}));
  }
  void missingRecordFileAndArchive() {
    QFile::remove(Folder() + "/d/olv.dat");
    TIntroductionForm* form = Start(44);
    QCOMPARE(Text(form), QString());
    QVERIFY(form->SlidePicture->Image().isNull());
    form->TimerTimer();
    QCOMPARE((std::tuple{form->PictureNumber(), messages_.All()}), (std::tuple{2, QStringList()}));
  }
  // Picture 1 at once, then 2 .. 10 on each tick, then 1 again; a slide that is missing or
  // cannot be unpacked leaves the previous one while the number advances.
  void slidesInOrder_data() {
    QTest::addColumn<QList<int>>("present");
    QTest::addColumn<QList<int>>("damaged");
    QTest::addColumn<QList<int>>("shown");  // the slide shown after each tick
    QTest::newRow("all ten") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<int>{}
                             << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2};
    QTest::newRow("3 .. 10 missing, 5 damaged")
        << QList<int>{1, 2} << QList<int>{5} << QList<int>{2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 2};
  }
  void slidesInOrder() {
    QFETCH(QList<int>, present);
    QFETCH(QList<int>, damaged);
    QFETCH(QList<int>, shown);
    QVERIFY(fixture::WriteSlides(Folder(), {present.begin(), present.end()},
                                 {damaged.begin(), damaged.end()}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QCOMPARE((std::pair{form->PictureNumber(), SlideCentre(form)}), (std::pair{1, SlideColour(1)}));
    for (int tick = 0; tick < shown.size(); ++tick) {
      form->TimerTimer();
      QCOMPARE(form->PictureNumber(), (tick + 1) % 10 + 1);
      QCOMPARE(SlideCentre(form), SlideColour(shown[tick]));
      QVERIFY2(TempFiles().isEmpty(), "every unpacked slide is deleted");
    }
    // No box; a member that cannot be unpacked is named once, with its archive.
    QStringList problems;
    const QString archive = settings_.DataPath("olvf.dat");
    for (int n : damaged)
      problems
          << QString("problem: The picture cannot be unpacked\ni\\i\\%1 in %2").arg(n).arg(archive);
    QCOMPARE(messages_.All(), problems);
    QVERIFY(form->SlidePicture->Effects());
    QCOMPARE(form->SlidePicture->Effect(), EffectStyle::esExplode);
  }
  void timerRunsWhileHidden() {
    QVERIFY(fixture::WriteSlides(Folder(), {1, 2, 3}));
    TIntroductionForm* form = Start(44);
    QVERIFY(form != nullptr);
    QTimer* timer = form->Slides().Timer();
    main_->GoToCatalog();
    form->close();
    QCOMPARE((QList{form->isVisible(), timer->isActive()}), (QList{false, true}));
    // A tick while hidden advances the number; the new picture shows on return.
    form->TimerTimer();
    QCOMPARE(form->PictureNumber(), 2);
    main_->GoToIntroduction();
    QVERIFY(Sections().Form(SectionId::Introduction) == form);
    QCOMPARE((std::pair{form->isVisible(), SlideCentre(form)}), (std::pair{true, SlideColour(2)}));
  }
};

QTEST_MAIN(TestIntroductionForm)
#include "TestIntroductionForm.moc"
