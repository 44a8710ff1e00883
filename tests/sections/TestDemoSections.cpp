// Tests of the sections on the demo content: what screen readers get in each language, and
// kiosk mode (the return to the start, the refused close, the publisher's exit keys).
#include "ProcessFactsRestorer.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "controls/Transitions.h"
#include "database/Catalog.h"
#include "sections/AllSections.h"  // tests/sections
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/MaxZoomWindow.h"
#include "sections/ProductionForm.h"
#include "sections/QueryGrid.h"
#include "sections/SearchPanel.h"
#include "sections/SectionSet.h"
#include "shell/AboutBox.h"
#include "shell/Translation.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace orlaventis;

namespace {

// Every visible control under `node` without a name (static texts name themselves; frames and
// panes only hold others; the framework's own parts of a scroll area are none), and every line
// of a text that is or starts with one of the Dutch texts in `dutch`.
void Walk(QAccessibleInterface* node, const QSet<QString>& dutch, QStringList& faults) {
  if (node->state().invisible) return;
  // A list's and a table's rows are nodes without an object of their own.
  const QObject* object = node->object() ? node->object()
                                         : (node->parent() ? node->parent()->object() : nullptr);
  const QString what =
      (object ? object->objectName() + '/' + object->metaObject()->className() : QString()) + ": ";
  const bool holder = node->role() == QAccessible::Pane || node->role() == QAccessible::Border ||
                      (node->object() != nullptr && node->object()->objectName().startsWith("qt_"));
  if (!holder && node->role() != QAccessible::StaticText &&
      node->text(QAccessible::Name).trimmed().isEmpty())
    faults << what + "no name";
  for (const QString& text :
       (node->text(QAccessible::Name) + '\n' + node->text(QAccessible::Description)).split('\n'))
    if (dutch.contains(text) || dutch.contains(text.section(' ', 0, 0))) faults << what + text;
  for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), dutch, faults);
}

}  // namespace

class TestDemoSections : public QObject {
  Q_OBJECT

  QTemporaryDir temp_;
  TSettings settings_;  // new for each test function; outlives form_
  fixture::ProcessFactsRestorer facts_;
  std::unique_ptr<TMainForm> form_;
  TSectionSet& Sections() const { return fixture::SectionsOf(*form_); }

  TMainForm& Start(int language) {
    settings_.LanguageId = language;
    form_.reset();  // one main form at a time
    form_ = std::make_unique<TMainForm>(settings_);
    SetInstantTransitions(form_.get(), true);
    [&] { QVERIFY(form_->FormCreate()); }();
    TSectionSet::Install(*form_, fixture::AllSections());
    form_->setGeometry(0, 0, 640, 480);
    form_->show();
    return *form_;
  }

 private slots:
  void initTestCase() { Process().screenSizeOverride = QSize(640, 480); }
  void init() {
    settings_ = TSettings();
    settings_.FarewellMs = 0;
    settings_.ProgramFolder = QStringLiteral(ORLAVENTIS_DEMO_CONTENT);
    settings_.TempFolder = temp_.filePath("T");
  }
  void cleanup() { settings_.MainFormReady = false, form_.reset(); }

  // Each section in each language: every control named, no Dutch outside the Dutch program.
  void everyControlNamedInItsLanguage() {
    QFile file(QStringLiteral(ORLAVENTIS_LANGUAGE_SOURCE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(file.readAll())["rows"].toArray();
    QStringList faults;
    for (int language : {31, 33, 44}) {
      QSet<QString> dutch;  // Dutch captions and hints unlike their translation
      for (int i = 1; language != 31 && i <= 2; ++i)
        for (const QJsonValue& row : rows)
          if (row[i].toString() != row[i + (language == 33 ? 2 : 4)].toString())
            dutch << row[i].toString();
      TMainForm& form = Start(language);
      for (SectionId section : kSectionOrder) {
        form.GoTo(section);
        for (SectionId other : kSectionOrder)
          if (other != section && Sections().Form(other)) Sections().Form(other)->close();
        faults << QString::number(language) + ':';
        Walk(QAccessible::queryAccessibleInterface(&form), dutch, faults);
      }
      QTest::keyClick(Sections().Form(SectionId::EnamelAndFabrics), Qt::Key_F, Qt::ControlModifier);
      QTest::keyClicks(Sections().SearchPanel->SearchEdit, "coupe");  // panel, headings, results
      Walk(QAccessible::queryAccessibleInterface(&form), dutch, faults);
      form_->OpenAboutBox();
      Walk(QAccessible::queryAccessibleInterface(form_->AboutBox), dutch, faults);
    }
    QCOMPARE(faults.join(' '), QString("31: 31: 31: 31: 33: 33: 33: 33: 44: 44: 44: 44:"));
  }
  // The search by keys: a picture outside the Catalog's narrowed query (which is reset), a topic
  // and a paint code, each going to its place; the button and Escape; the kiosk reset closes it.
  void searchGoesToEachKind() {
    TMainForm& form = Start(44);
    QTest::keyClick(Sections().Form(SectionId::Introduction), Qt::Key_3);
    auto* catalog = static_cast<TCatalogForm*>(Sections().Form(SectionId::Catalog));
    TTessaranQueryGrid* grid = catalog->TessaranQueryGrid;
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(1).center());
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    QTest::mouseClick(grid->DropDownList(), Qt::LeftButton, {}, QPoint(22, 37));  // group 1 only
    const int narrowed = catalog->Catalog()->ItemCount;
    QTest::keyClick(catalog, Qt::Key_F, Qt::ControlModifier);
    TSearchPanel* panel = Sections().SearchPanel;
    QTest::keyClicks(panel->SearchEdit, "COUPE");
    QVERIFY(panel->isVisible());
    const auto result = [panel](int row) { return panel->ResultList->item(row)->text(); };
    QVERIFY2(result(0).startsWith("Photos ("), qPrintable(result(0)));
    QVERIFY2(result(1).contains("Coupé"), qPrintable(result(1)));
    panel->SearchEdit->clear();
    QTest::keyClicks(panel->SearchEdit, "v15 engi");
    QTest::keyClick(panel->SearchEdit, Qt::Key_Down);
    QTest::keyClick(panel->SearchEdit, Qt::Key_Return);
    QVERIFY(panel->isHidden());
    QCOMPARE_GT(catalog->Catalog()->ItemCount, narrowed);
    const QString number = catalog->Catalog()->Database->GetValueAsText(
        "Picture Items", "Item Number", catalog->CurrentRecord());
    QCOMPARE(number + ' ' + catalog->Header->text(),
             QString("F1091 Engine bay of a 1962 four-door saloon: the V15"));
    QTest::keyClick(catalog, Qt::Key_Slash);
    QTest::keyClicks(panel->SearchEdit, "RECOG");
    QTest::keyClick(panel->SearchEdit, Qt::Key_Enter);
    auto* production = static_cast<TProductionForm*>(Sections().Form(SectionId::Production));
    QCOMPARE((QList{production->isVisible(), catalog->isHidden()}), (QList{true, true}));
    QCOMPARE(production->ProductionLstHeader->text(), QString("Recognition points by year"));
    QTest::mouseClick(production->findChild<TBaseBtn*>("SearchBtn"), Qt::LeftButton);
    QCOMPARE((std::tuple{panel->isVisible(), panel->SearchEdit->selectedText()}),
             (std::tuple{true, QString("RECOG")}));
    QTest::keyClick(panel->SearchEdit, Qt::Key_Escape);
    QCOMPARE((QList{panel->isHidden(), production->isVisible()}), (QList{true, true}));
    QTest::keyClick(production, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(panel->SearchEdit, "bm3");
    QTest::mouseClick(panel->ResultList->viewport(), Qt::LeftButton, {},
                      panel->ResultList->visualItemRect(panel->ResultList->item(1)).center());
    auto* colours =
        static_cast<TEnamelAndFabricsForm*>(Sections().Form(SectionId::EnamelAndFabrics));
    QCOMPARE((std::tuple{colours->isVisible(), colours->CoachColorsComboBox->currentText()}),
             (std::tuple{true, QString("Monaco Blue")}));
    QTest::keyClick(colours, Qt::Key_F, Qt::ControlModifier);
    form.StartKiosk(200);
    QTRY_VERIFY_WITH_TIMEOUT(panel->isHidden() && panel->SearchEdit->text().isEmpty(), 20000);
  }
  // Another Production topic, another model, a narrower query at its third picture (which screen
  // readers hear by its position, title and hint), the About box and an open drop-down list: after
  // the idle time all is as at the start, the car described by the first choice. Only the exit
  // keys end the program.
  void kioskReturnsToTheStart() {
    settings_.KioskMinutes = 1;
    settings_.KioskExitKeys = "Ctrl+Shift+Q";
    TMainForm& form = Start(44);
    TSectionForm* intro = Sections().Form(SectionId::Introduction);
    QCOMPARE((QList{intro->MenuBtn[5]->isHidden(), intro->MenuBtn[4]->isHidden()}),
             (QList{true, true}));
    QTest::mouseClick(intro->MenuBtn[1], Qt::LeftButton);
    auto* production = static_cast<TProductionForm*>(Sections().Form(SectionId::Production));
    TOutline* topics = production->ProductionContentLst;
    const QString firstTable = production->ProductionLstHeader->text();
    QTest::keyClick(topics, Qt::Key_Down);
    QTest::keyClick(topics, Qt::Key_Down);
    QCOMPARE_GT(topics->SelectedItem(), 2);
    QVERIFY(production->ProductionLstHeader->text() != firstTable);
    QTest::mouseClick(intro->MenuBtn[3], Qt::LeftButton);
    auto* colours =
        static_cast<TEnamelAndFabricsForm*>(Sections().Form(SectionId::EnamelAndFabrics));
    QTest::keyClick(colours->ModelsComboBox, Qt::Key_Down);
    QTest::mouseClick(colours->MenuBtn[2], Qt::LeftButton);
    auto* catalog = static_cast<TCatalogForm*>(Sections().Form(SectionId::Catalog));
    const int all = catalog->Catalog()->ItemCount;
    TTessaranQueryGrid* grid = catalog->TessaranQueryGrid;
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(1).center());
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    QTest::mouseClick(grid->DropDownList(), Qt::LeftButton, {}, QPoint(22, 37));  // group 1 only
    for (int i = 0; i < 2; ++i) QTest::mouseClick(catalog->NextBtn, Qt::LeftButton);
    QAccessibleInterface* picture =
        QAccessible::queryAccessibleInterface(catalog->SelectedPictureThumb);
    QCOMPARE(picture->text(QAccessible::Name) + '|' + picture->text(QAccessible::Description),
             QString("Picture 3 of %1|%2\nClick or press Enter to enlarge the picture")
                 .arg(catalog->Catalog()->ItemCount)
                 .arg(catalog->Header->text()));
    QTest::mouseClick(catalog->InfoBtn, Qt::LeftButton);
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    const auto state = [&] {
      return QList<int>{catalog->Catalog()->ItemCount < all, catalog->Catalog()->CurrentItem,
                        colours->Cascade().Model(),          form_->AboutBox->isVisible(),
                        grid->DropDownList()->isVisible(),   catalog->isVisible()};
    };
    QCOMPARE(state(), (QList<int>{1, 3, 2, 1, 1, 1}));
    form.showMinimized();  // as the desktop may leave it
    form.StartKiosk(200);
    QTRY_VERIFY_WITH_TIMEOUT(intro->isVisible(), 20000);
    QCOMPARE(state() << form.isMinimized(), (QList<int>{0, 1, 1, 0, 0, 0, 0}));
    QCOMPARE((std::tuple{topics->SelectedItem(), production->ProductionLstHeader->text()}),
             (std::tuple{2, firstTable}));
    QStringList choice;
    for (QComboBox* list : {colours->ModelsComboBox, colours->ModelyearsComboBox,
                            colours->CoachColorsComboBox, colours->RoofColorsComboBox})
      choice << list->currentText();
    QAccessibleInterface* car = QAccessible::queryAccessibleInterface(colours->CarImage);
    QCOMPARE(car->text(QAccessible::Description), choice.join(", "));

    // The zoom window (modal) is closed too, and the Catalog's click that opened it returns.
    QTest::mouseClick(intro->MenuBtn[2], Qt::LeftButton);
    form.StartKiosk(1000);
    bool zoomed = false;
    QTimer::singleShot(0, [&] { zoomed = Sections().MaxZoomWindow != nullptr; });
    QTest::mouseClick(catalog->SelectedPictureThumb, Qt::LeftButton);
    QVERIFY(zoomed);
    QVERIFY(Sections().MaxZoomWindow == nullptr);
    QCOMPARE((QList{intro->isVisible(), catalog->isHidden()}), (QList{true, true}));

    // A message box left open is answered, and the wait in it returns.
    form.StartKiosk(200);
    bool answered = false;
    QTimer::singleShot(0, [&] {
      QMessageBox::information(nullptr, "Orlaventis", "The picture cannot be unpacked");
      answered = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered && QApplication::activeModalWidget() == nullptr, 20000);
    QTest::keyClick(intro, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(!form.close());
    QCOMPARE((std::tuple{form.isVisible(), form.CloseSequenceRuns()}), (std::tuple{true, 0}));
    QTest::keyClick(intro, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(form.CloseSequenceRuns(), 1);
  }
};

QTEST_MAIN(TestDemoSections)
#include "TestDemoSections.moc"
