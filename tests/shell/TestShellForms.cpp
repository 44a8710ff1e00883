// Tests of the language chooser and the About box.
#include "ProcessFactsRestorer.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "media/PictureDecoder.h"
#include "process/ProcessFacts.h"
#include "shell/AboutBox.h"
#include "shell/LanguageChooser.h"
#include "shell/LanguageFile.h"
#include "shell/MainForm.h"
#include "shell/Platform.h"
#include "shell/StartUp.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <optional>

using namespace orlaventis;
using probes::Render;

namespace {

// A language file with the hot spots' hints and a line of credits in English and French.
QString WriteLanguageFile(const QTemporaryDir& dir) {
  const QString path = dir.filePath("olv.lng");
  // clang-format off
  testing::WriteLanguageFile(path, {
      {"33", "Francais", {{"18300", "", "Visitez l'editeur"}, {"18301", "", "Le fabricant"},
                          {"18303", "Textes", ""}}},
      {"44", "English", {{"18300", "", "Visit the publisher"}, {"18301", "", "The maker"},
                         {"18303", "Texts", ""}}}});
  // clang-format on
  return path;
}
void KeyUp(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

class TestShellForms : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  TSettings settings_;               // new for each test function; outlives main_
  std::unique_ptr<TMainForm> main_;  // the About box's owner
  std::optional<fixture::ProcessFactsRestorer> facts_;  // from init() to cleanup()

 private slots:
  void init() {
    settings_ = TSettings();
    facts_.emplace();
    Process().displayDepthOverride = 32;
    main_ = std::make_unique<TMainForm>(settings_);
  }
  void cleanup() {
    main_.reset();
    facts_.reset();
  }
  void chooserSetsTheLanguage() {
    {
      TIntroForm chooser(settings_);  // closed without a choice: English stays
      chooser.show();
      chooser.close();
      QCOMPARE(settings_.LanguageId, 44);
    }
    TIntroForm chooser(settings_);
    QComboBox* list = chooser.LingoLst;
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->itemText(1), QString("French / Francaise"));
    QCOMPARE(list->currentIndex(), -1);  // nothing chosen at start
    chooser.show();
    // Indexes to languages; -1 (no choice) keeps the last one.
    for (const auto& [index, language] : {std::pair{1, 33}, {2, 44}, {0, 31}, {-1, 31}}) {
      chooser.LingoLstChange(index);
      QCOMPARE((std::pair{settings_.LanguageId, chooser.isVisible()}),
               (std::pair{language, false}));
    }
    // Arrows move through the closed list without choosing, Return chooses, Escape chooses nothing.
    chooser.show();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
      QTest::keyClick(list, key);
    QCOMPARE((std::tuple{chooser.isVisible(), list->currentIndex(), settings_.LanguageId}),
             (std::tuple{true, 1, 31}));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE((std::tuple{chooser.isVisible(), settings_.LanguageId}), (std::tuple{false, 33}));
    chooser.show();
    QTest::keyClick(list, Qt::Key_Escape);
    QCOMPARE((std::tuple{chooser.isVisible(), settings_.LanguageId}), (std::tuple{false, 33}));
  }
  void aboutBoxIsReusedAndClosesByKeys() {
    main_->OpenAboutBox();
    TAboutBox* box = main_->AboutBox;
    QVERIFY(box != nullptr);
    QVERIFY(box->isVisible());
    KeyUp(box, Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(box->isVisible());
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Escape, Qt::NoModifier},
                                         {Qt::Key_Enter, Qt::KeypadModifier},
                                         {Qt::Key_Return, Qt::NoModifier}}) {
      KeyUp(box, key, modifiers);
      QVERIFY(!box->isVisible());
      main_->OpenAboutBox();
      QVERIFY(main_->AboutBox == box);  // created once
      QVERIFY(box->isVisible());
    }
    // Another window activated closes it; it comes back for the next use.
    QApplication::setActiveWindow(box);
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QVERIFY(!box->isVisible());
    main_->OpenAboutBox();
    QVERIFY(main_->AboutBox == box);
    QVERIFY(box->isVisible());
  }
  void aboutBoxTranslatedOnEveryShow() {
    settings_.LanguageFilePath = WriteLanguageFile(dir_);
    main_->OpenAboutBox();
    TAboutBox* box = main_->AboutBox;
    QStringList hints = {box->OstrandSBtn->toolTip(), box->TarnwickSBtn->toolTip()};
    const QImage english = Render(box).copy(12, 180, 199, 16);  // the first line of credits
    box->close();
    settings_.LanguageId = 33;
    main_->OpenAboutBox();
    hints << box->OstrandSBtn->toolTip() << box->TarnwickSBtn->toolTip();
    QCOMPARE(hints, (QStringList{"Visit the publisher", "The maker", "Visitez l'editeur",
                                 "Le fabricant"}));
    QVERIFY(Render(box).copy(12, 180, 199, 16) != english);  // written over the picture in French
  }
  // Deep displays draw the true-colour pictures, 256-colour displays the palette ones.
  void picturesByDepth() {
    TIntroForm deep(settings_);
    QVERIFY(!deep.IntroFormImg->Background().Image().isNull());
    const QImage chooser = Render(&deep);  // the picture, not the white form
    QCOMPARE_LT(qGray(chooser.pixel(141, 140)), 220);
    QCOMPARE(chooser.pixel(5, 260), qRgb(255, 255, 255));
    main_->OpenAboutBox();
    const QImage about = Render(main_->AboutBox);
    QCOMPARE(about.pixel(0, 0), qRgb(0, 0, 0));  // the panel's black border
    delete main_->AboutBox;
    Process().displayDepthOverride = 8;
    TIntroForm palette(settings_);
    main_->OpenAboutBox();
    QCOMPARE(palette.IntroFormImg->Background().Image(), LoadResourceBitmap("Intro256"));
    QVERIFY(Render(main_->AboutBox) != about);
    QCOMPARE(main_->AboutBox->AboutBoxImage->Image(), LoadResourceBitmap("About256"));
    Process().displayDepthOverride = 16;
    TIntroForm sixteen(settings_);
    QCOMPARE(sixteen.IntroFormImg->Background().Image(), LoadResourceBitmap("Intro"));
    QVERIFY(LoadResourceBitmap("Intro") != LoadResourceBitmap("Intro256"));
  }
  // A hot spot opens the site the registry names for it by a click; one with no address, and
  // both in a kiosk, are gone and a click there opens nothing.
  void hotSpotsOpenTheRegisteredSitesButNotInAKiosk() {
    std::vector<QUrl> opened;
    Process().urlOpener = [&opened](const QUrl& url) {
      opened.push_back(url);
      return true;
    };
    const QString publisher = "PublisherAddress= https://publisher.example.org/ \n";
    const QString maker = "MakerAddress=https://maker.example.org/a?b=1\n";
    const QUrl publisherUrl("https://publisher.example.org/");
    const QUrl makerUrl("https://maker.example.org/a?b=1");
    struct Case {
      QString values;
      int kiosk;
      std::vector<bool> hidden;
      std::vector<QUrl> opens;
    };
    for (const Case& c : {Case{publisher + maker, 0, {false, false}, {publisherUrl, makerUrl}},
                          Case{maker, 0, {true, false}, {makerUrl}},
                          Case{publisher + maker, 1, {true, true}, {}}}) {
      auto registry = std::make_shared<IniRegistry>(QStringList{});
      registry->AddText("[HKEY_LOCAL_MACHINE\\Software\\Orlaventis]\n" + c.values);
      settings_.ProgramRegistry = registry;
      settings_.KioskMinutes = c.kiosk;
      opened.clear();
      delete main_->AboutBox;  // built anew: the addresses and the kiosk setting are read then
      main_->OpenAboutBox();
      TAboutBox* box = main_->AboutBox;
      const std::vector<bool> hidden{box->OstrandSBtn->isHidden(), box->TarnwickSBtn->isHidden()};
      QCOMPARE(hidden, c.hidden);
      for (TBaseBtn* spot : {box->OstrandSBtn, box->TarnwickSBtn}) {
        main_->OpenAboutBox();
        const QPoint at = spot->mapTo(box, spot->rect().center());
        QTest::mouseClick(box->childAt(at), Qt::LeftButton, {}, box->childAt(at)->mapFrom(box, at));
      }
      QCOMPARE(opened, c.opens);
    }
  }
  // A start's settings come from its command line first, then the registry; an unreadable
  // kiosk value leaves kiosk mode off.
  void startUpBuildsTheSettings() {
    const auto registry = [](const QString& values) {
      auto ini = std::make_shared<IniRegistry>(QStringList{});
      ini->AddText("[HKEY_LOCAL_MACHINE\\Software\\Orlaventis]\n" + values);
      return ini;
    };
    StartRequest request;
    request.dataFolder = dir_.path();
    const auto kiosk = registry("FillScreen= 1\nKiosk=15\nKioskExitKeys= Ctrl+Shift+Q \n");
    const TSettings registered = StartUp(request, kiosk);
    QCOMPARE(registered.ProgramRegistry, kiosk);  // kept for the help and web addresses
    const auto values = [](const TSettings& s) {
      return QList<QVariant>{s.FillScreen, s.KioskMinutes, s.KioskExitKeys, s.ChooseLanguage,
                             s.LanguageId};
    };
    QCOMPARE(values(registered), (QList<QVariant>{true, 15, "Ctrl+Shift+Q", true, 44}));
    request.language = 33, request.kioskMinutes = 2;
    const auto tooLongKiosk = registry("FillScreen=0\nKiosk=1441\n");
    const TSettings asked = StartUp(request, tooLongKiosk);
    QCOMPARE(values(asked), (QList<QVariant>{false, 2, QString(), false, 33}));
    request.kioskMinutes = 0, request.fillScreen = true;
    const TSettings tooLong = StartUp(request, tooLongKiosk);
    // 1441 minutes are no kiosk.
    QCOMPARE((std::pair{tooLong.FillScreen, tooLong.KioskMinutes}), (std::pair{true, 0}));
  }
};

QTEST_MAIN(TestShellForms)
#include "TestShellForms.moc"
