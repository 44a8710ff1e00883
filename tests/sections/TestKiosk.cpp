// Tests of kiosk mode on the demo content: the return to the start after a short time without
// input, the hidden Exit button, the refused Alt+F4 and the publisher's exit keys.
#include "controls/BaseButton.h"
#include "controls/Transitions.h"
#include "database/Catalog.h"
#include "media/ProgramFolder.h"
#include "media/TempFolder.h"
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/QueryGrid.h"
#include "shell/AboutBox.h"
#include "shell/MainForm.h"
#include "shell/Translation.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace orlaventis;

class TestKiosk : public QObject {
  Q_OBJECT

  QTemporaryDir temp_;

 private slots:
  void initTestCase() {
    SetInstantTransitions(true);
    SetProgramFolder(QStringLiteral(ORLAVENTIS_DEMO_CONTENT));
    SetTempFolder(temp_.filePath("T"));
    SetScreenSizeOverride(QSize(640, 480));
    InstallSectionRoutines(SectionFormRoutines());
    RegisterIntroductionForm();
    RegisterCatalogForm();
    RegisterEnamelAndFabricsForm();
    FarewellMs = 0;
    LanguageId = 44;
  }

  void idleReturnsToTheStartAndOnlyTheExitKeysEnd() {
    KioskMinutes = 1;
    KioskExitKeys = "Ctrl+Shift+Q";
    TMainForm form;
    QVERIFY(form.FormCreate());
    form.setGeometry(0, 0, 640, 480);
    form.show();
    TSectionForm* intro = SectionForm(SectionId::Introduction);
    QVERIFY(intro->MenuBtn[5]->isHidden() && !intro->MenuBtn[4]->isHidden());

    // Another model with its own lists, then a narrower query, the third picture, the About box
    // and an open drop-down list.
    QTest::mouseClick(intro->MenuBtn[3], Qt::LeftButton);
    auto* colours = static_cast<TEnamelAndFabricsForm*>(SectionForm(SectionId::EnamelAndFabrics));
    QTest::keyClick(colours->ModelsComboBox, Qt::Key_Down);
    QCOMPARE(colours->Cascade().Model(), 2);
    QTest::mouseClick(colours->MenuBtn[2], Qt::LeftButton);
    auto* catalog = static_cast<TCatalogForm*>(SectionForm(SectionId::Catalog));
    const int all = catalog->Catalog->ItemCount;
    TTessaranQueryGrid* grid = catalog->TessaranQueryGrid;
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(1).center());
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    QTest::mouseClick(grid->DropDownList(), Qt::LeftButton, {}, QPoint(22, 37));  // ticks the first group alone
    QTest::mouseClick(catalog->NextBtn, Qt::LeftButton);
    QTest::mouseClick(catalog->NextBtn, Qt::LeftButton);
    QVERIFY(catalog->Catalog->ItemCount < all && catalog->Catalog->CurrentItem == 3);
    QTest::mouseClick(catalog->InfoBtn, Qt::LeftButton);
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    QVERIFY(AboutBox() != nullptr && AboutBox()->isVisible() && grid->DropDownList()->isVisible());

    form.StartKiosk(200);
    QTRY_VERIFY_WITH_TIMEOUT(intro->isVisible(), 20000);
    QVERIFY(catalog->isHidden() && colours->isHidden() && AboutBox()->isHidden() && !grid->DropDownList()->isVisible());
    QCOMPARE((QList<int>{catalog->Catalog->ItemCount, catalog->Catalog->CurrentItem, colours->Cascade().Model(),
                         colours->ModelsComboBox->currentIndex()}),
             (QList<int>{all, 1, 1, 0}));

    // Alt+F4 and a close request change nothing; the exit keys end the program the usual way.
    QTest::keyClick(intro, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(!form.close() && form.isVisible() && form.CloseSequenceRuns() == 0);
    QTest::keyClick(intro, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(form.CloseSequenceRuns(), 1);
    KioskMinutes = 0;
  }
};

QTEST_MAIN(TestKiosk)
#include "TestKiosk.moc"
