// Tests of the language chooser and the About box.
#include "shell/AboutBox.h"
#include "shell/LanguageChooser.h"

#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "controls/Ticker.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "media/PictureDecoder.h"
#include "shell/LanguageFile.h"
#include "shell/MainForm.h"
#include "shell/Platform.h"
#include "shell/Translation.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace orlaventis;
using probes::Render;

namespace {

// A language file with the hot spots' hints in English and French.
QString WriteLanguageFile(const QTemporaryDir& dir) {
  const QString path = dir.filePath("olv.lng");
  testing::WriteLanguageFile(path, {{"33", "Francais", {{"18300", "", "Visitez l'editeur"}, {"18301", "", "Le fabricant"}}},
                                    {"44", "English", {{"18300", "", "Visit the publisher"}, {"18301", "", "The maker"}}}});
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

 private slots:
  void init() {
    LanguageId = 44;
    SetDisplayDepthOverride(32);
  }
  void cleanup() {
    delete AboutBox();
    SetUrlOpener({});
    SetProgramRegistry(nullptr);
    LanguageFilePath.clear();
  }

  void chooserSetsTheLanguage() {
    {
      TIntroForm chooser;  // closed without a choice: English stays
      chooser.show();
      chooser.close();
      QCOMPARE(LanguageId, 44);
    }
    TIntroForm chooser;
    QVERIFY(IntroForm() == &chooser && chooser.LingoLst->count() == 3);
    QCOMPARE(chooser.LingoLst->itemText(1), QString("French / Francaise"));
    QCOMPARE(chooser.LingoLst->currentIndex(), -1);  // nothing chosen at start
    chooser.show();
    // Indexes to languages; -1 (no choice) keeps the last one.
    for (const auto& [index, language] : {std::pair{1, 33}, {2, 44}, {0, 31}, {-1, 31}}) {
      chooser.LingoLstChange(index);
      QVERIFY(LanguageId == language && !chooser.isVisible());
    }
    // Arrows move through the closed list without choosing, Return chooses, Escape chooses nothing.
    chooser.show();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) QTest::keyClick(chooser.LingoLst, key);
    QVERIFY(chooser.isVisible() && chooser.LingoLst->currentIndex() == 1 && LanguageId == 31);
    QTest::keyClick(chooser.LingoLst, Qt::Key_Return);
    QVERIFY(!chooser.isVisible() && LanguageId == 33);
    chooser.show();
    QTest::keyClick(chooser.LingoLst, Qt::Key_Escape);
    QVERIFY(!chooser.isVisible() && LanguageId == 33);
  }

  void aboutBoxIsReusedAndClosesByKeys() {
    OpenAboutBox();
    TAboutBox* box = AboutBox();
    QVERIFY(box != nullptr && box->isVisible());
    KeyUp(box, Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(box->isVisible());
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier},
                                         {Qt::Key_Return, Qt::NoModifier}}) {
      KeyUp(box, key, modifiers);
      QVERIFY(!box->isVisible());
      OpenAboutBox();
      QVERIFY(AboutBox() == box && box->isVisible());  // created once
    }
    // Another window activated closes it; it comes back for the next use.
    QApplication::setActiveWindow(box);
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QVERIFY(!box->isVisible());
    OpenAboutBox();
    QVERIFY(AboutBox() == box && box->isVisible());
  }

  void aboutBoxTranslatedOnEveryShow() {
    LanguageFilePath = WriteLanguageFile(dir_);
    OpenAboutBox();
    TAboutBox* box = AboutBox();
    QStringList hints = {box->OstrandSBtn->toolTip(), box->TarnwickSBtn->toolTip()};
    box->close();
    LanguageId = 33;
    OpenAboutBox();
    hints << box->OstrandSBtn->toolTip() << box->TarnwickSBtn->toolTip();
    QCOMPARE(hints, (QStringList{"Visit the publisher", "The maker", "Visitez l'editeur", "Le fabricant"}));
  }

  // Deep displays draw the true-colour pictures, 256-colour displays the palette ones.
  void picturesByDepth() {
    TIntroForm deep;
    QVERIFY(!deep.IntroFormImg->Background().Image().isNull());
    const QImage chooser = Render(&deep);  // the picture, not the white form
    QVERIFY(qGray(chooser.pixel(141, 140)) < 220 && chooser.pixel(5, 260) == qRgb(255, 255, 255));
    OpenAboutBox();
    const QImage about = Render(AboutBox());
    QCOMPARE(about.pixel(0, 0), qRgb(0, 0, 0));  // the panel's black border
    delete AboutBox();
    SetDisplayDepthOverride(8);
    TIntroForm palette;
    OpenAboutBox();
    QVERIFY(palette.IntroFormImg->Background().Image() == LoadResourceBitmap("Intro256") && Render(AboutBox()) != about);
    QCOMPARE(AboutBox()->AboutBoxImage->Image(), LoadResourceBitmap("About256"));
    SetDisplayDepthOverride(16);
    TIntroForm sixteen;
    QVERIFY(sixteen.IntroFormImg->Background().Image() == LoadResourceBitmap("Intro") &&
            LoadResourceBitmap("Intro") != LoadResourceBitmap("Intro256"));
  }

  // The hot spots open their sites by a click; in a kiosk they are gone and a click there opens
  // nothing.
  void hotSpotsOpenTheWebSitesButNotInAKiosk() {
    std::vector<QUrl> opened;
    SetProgramRegistry(std::make_unique<IniRegistry>(QStringList{}));
    SetUrlOpener([&opened](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
    for (int kiosk : {0, 1}) {
      KioskMinutes = kiosk;
      delete AboutBox();  // built anew: the kiosk setting is read when the box is made
      OpenAboutBox();
      TAboutBox* box = AboutBox();
      QCOMPARE(box->OstrandSBtn->isHidden(), kiosk == 1);
      const QPoint publisher = box->OstrandSBtn->mapTo(box, box->OstrandSBtn->rect().center());
      QTest::mouseClick(box->childAt(publisher), Qt::LeftButton, {}, box->childAt(publisher)->mapFrom(box, publisher));
      QCOMPARE(box->isVisible(), kiosk == 1);
      OpenAboutBox();
      const QPoint maker = box->TarnwickSBtn->mapTo(box, box->TarnwickSBtn->rect().center());
      QTest::mouseClick(box->childAt(maker), Qt::LeftButton, {}, box->childAt(maker)->mapFrom(box, maker));
    }
    KioskMinutes = 0;
    QCOMPARE(opened, (std::vector<QUrl>{QUrl(kPublisherAddress), QUrl(kMakerAddress)}));
  }
};

QTEST_MAIN(TestShellForms)
#include "TestShellForms.moc"
