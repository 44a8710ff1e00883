// Tests of the Enamel and Fabrics section: the six lists, the car and seat pictures, failures.
#include "sections/EnamelAndFabricsForm.h"

#include "SlideFixture.h"
#include "controls/BaseButton.h"
#include "database/EnamelFixture.h"
#include "shell/LanguageFile.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace orlaventis;
using fixture::Centre;

namespace {

// A distinct colour per picture member.
QRgb MemberColour(const QString& member) {
  const uint h = qHash(member);
  return qRgb(40 + h % 200, 40 + (h / 200) % 200, 40 + (h / 40000) % 200);
}
// The entries of `lists`, one list after the other.
QStringList Items(auto*... lists) {
  QStringList items;
  for (const QComboBox* list : {static_cast<const QComboBox*>(lists)...})
    for (int i = 0; i < list->count(); ++i) items.append(list->itemText(i));
  return items;
}

bool Light(QRgb c) { return qGray(c) > 200; }

// The car pictures of the sample, but not Grey on White; the seats, but not Leather Ebony; and one
// member that is not a picture at all.
const QStringList kCars = {"i\\e\\RD_WH", "i\\e\\RD_BK", "i\\e\\BL_BL", "i\\e\\IV_BK"};
const QStringList kSeats = {"i\\f\\CLT1", "i\\f\\CLG2", "i\\f\\LEB3",
                            "i\\f\\LER4", "i\\f\\LET1", "i\\f\\LEG2"};

}  // namespace

class TestEnamelAndFabricsForm : public fixture::SectionTest {
  Q_OBJECT

  bool WriteCatalogue(const fixture::EnamelData& d = fixture::SampleEnamel(), int language = 44) {
    QDir().mkpath(Folder() + QStringLiteral("/d"));
    QString e;
    return olvtool::WriteDatabase(fixture::EnamelDatabase(d),
                                  Folder() + QString("/d/ol%1.cat").arg(language), QString(), &e);
  }
  bool WriteArchive(const QStringList& members, const QStringList& broken = {}) {
    olvtool::ArchiveWriter writer;
    const QDateTime time(QDate(2001, 5, 6), QTime(7, 8, 10));
    for (const QString& m : members) {
      const QSize size = m.startsWith(QStringLiteral("i\\e\\")) ? QSize(60, 30) : QSize(30, 30);
      // Packed, so that pending events run while a member inflates, as with real pictures.
      const QByteArray png = fixture::PlainPng(MemberColour(m), size);
      if (!writer.Add(m, png, time, olvtool::MemberPacking::Packed)) return false;
    }
    for (const QString& m : broken) writer.Add(m, QByteArray("not a picture"), time);
    QString error;
    return writer.Write(Folder() + QStringLiteral("/olve.dat"), &error);
  }
  TEnamelAndFabricsForm* Start(int language = 44, QSize screen = QSize(640, 480)) {
    main_ = fixture::StartMainForm(settings_, Folder(), language, screen, makers_);
    if (!main_) return nullptr;
    main_->GoToEnamelAndFabrics();
    return dynamic_cast<TEnamelAndFabricsForm*>(Sections().Form(SectionId::EnamelAndFabrics));
  }
  // Moves `list` from its current entry to `index` by arrow keys, one entry at a time, as a user
  // would (the keys are counted up front: a choice may refill the list meanwhile).
  static void Choose(QComboBox* list, int index) {
    for (int steps = index - list->currentIndex(); steps != 0; steps += steps > 0 ? -1 : 1)
      QTest::keyClick(list, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
  }
  // A catalogue of the sample and all pictures, shown.
  TEnamelAndFabricsForm* StartSample() {
    return WriteCatalogue() && WriteArchive(kCars + kSeats) ? Start() : nullptr;
  }
  // The colours in the middle of the car and the seat pictures.
  static QList<QRgb> Shown(auto* f) { return {Centre(f->CarImage), Centre(f->ChairImage)}; }
  static QList<bool> NoPictures(auto* f) {
    return {f->CarImage->Image().isNull(), f->ChairImage->Image().isNull()};
  }

  // Picks entry `index` as a user does with the keyboard: the list's drop-down opened with F4,
  // moved to the entry and taken with Return (also when it is the entry already chosen).
  static void Pick(QComboBox* list, int index) {
    QTest::keyClick(list, Qt::Key_F4);
    QAbstractItemView* view = list->view();
    QVERIFY(view->isVisible());
    while (view->currentIndex().row() < index) QTest::keyClick(view, Qt::Key_Down);
    while (view->currentIndex().row() > index) QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(!view->isVisible());
  }

 private slots:
  void initTestCase() {
    makers_[3] = [](TSectionSet& s) { return new TEnamelAndFabricsForm(s); };
  }

  void init() { QVERIFY(Fresh()); }

  void cleanup() { main_.reset(); }

  // The form as created: first entries down the chain, both pictures, the lists' colours.
  void createsWithFirstChoices() {
    TEnamelAndFabricsForm* f = StartSample();
    QVERIFY(f != nullptr);
    QCOMPARE((std::pair{f->DatabaseOpen(), messages_.All()}), (std::pair{true, QStringList{}}));
    QList<QStringList> items;
    for (QComboBox* list :
         {f->ModelsComboBox, f->ModelyearsComboBox, f->CoachColorsComboBox, f->RoofColorsComboBox,
          f->FabricMaterialsComboBox, f->FabricColorsComboBox})
      items << (Items(list) << QString::number(list->currentIndex()));
    // clang-format off
    QCOMPARE(items, (QList<QStringList>{{"Berline", "Cabriolet", "Break", "0"},
        {"1961", "1962", "1964", "0"}, {"Red", "Blue", "0"}, {"White", "Black", "0"},
        {"Cloth", "0"}, {"Tan", "Silver", "0"}}));
    // clang-format on
    QCOMPARE((std::tuple{f->RoofColorsComboBox->isEnabled(), TempFiles()}),
             (std::tuple{true, QStringList()}));
    // Screen readers: the title heard once, the first list named by its label, valued by its entry.
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(f);
    QStringList heard;
    for (int i = 0; i < pane->childCount(); ++i)
      heard << pane->child(i)->text(QAccessible::Name) + QLatin1Char('=') +
                   pane->child(i)->text(QAccessible::Value);
    QCOMPARE(heard.filter(f->HeaderLbl->text()).size(), 1);
    QVERIFY2(heard.contains(f->ModelsLabel->text() + "=Berline"), qPrintable(heard.join('|')));
    // The pictures, drawn by the controls.
    QCOMPARE(Shown(f), (QList{MemberColour("i\\e\\RD_WH"), MemberColour("i\\f\\CLT1")}));
    // The lists: exactly maroon with white text; open, they select in gold, not the desktop's blue.
    const QImage shot = probes::Render(f->CoachColorsComboBox);
    QCOMPARE(shot.pixel(100, shot.height() / 2), qRgb(128, 0, 0));
    QVERIFY(probes::CountPixels(shot, QRect(0, 0, 60, shot.height() - 1), Light) > 5);
    QTest::keyClick(f->CoachColorsComboBox, Qt::Key_F4);
    const QRgb chosen = probes::PixelOf(f->CoachColorsComboBox->view()->viewport(), {2, 2});
    QTest::keyClick(f->CoachColorsComboBox->view(), Qt::Key_Escape);
    QCOMPARE_GT(qRed(chosen), 200);
    QCOMPARE_LT(qBlue(chosen), 100);
  }
  // Scroll bars: a dark track with light arrows, twice as wide on a screen filled at twice the
  // 1024 x 768 design.
  void scrollBarsDarkAndScaledOnAFilledScreen() {
    QVERIFY(WriteCatalogue());
    const auto extent = [this](QSize screen) {
      main_.reset();
      return Start(44, screen) != nullptr ? QScrollBar(Qt::Vertical).sizeHint().width() : 0;
    };
    const int designExtent = extent(QSize(1024, 768));
    settings_.FillScreen = true;
    QCOMPARE_GT(designExtent, 0);
    QCOMPARE(extent(QSize(2048, 1536)), 2 * designExtent);
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 10);
    const int e = 2 * designExtent;
    bar.resize(e, 200);
    const QImage shot = probes::Render(&bar);
    QVERIFY(qGray(shot.pixel(e / 2, 150)) < 60);
    QVERIFY(probes::CountPixels(shot, {0, 0, e, e}, [](QRgb c) { return qGray(c) > 150; }) > 4);
  }
  // Choosing left to right recomputes everything to the right; another model resets it. A choice
  // made while a picture unpacks (events run meanwhile) shows its own pictures; the member that
  // was unpacking when it came is not shown over them.
  void cascadeThroughTheLists() {
    TEnamelAndFabricsForm* f = StartSample();
    QVERIFY(f != nullptr);
    QComboBox *models = f->ModelsComboBox, *years = f->ModelyearsComboBox;
    QComboBox *coach = f->CoachColorsComboBox, *roof = f->RoofColorsComboBox;
    QComboBox *material = f->FabricMaterialsComboBox, *fabric = f->FabricColorsComboBox;
    // Runs inside the black roof's car extraction.
    QMetaObject::invokeMethod(
        f, [coach] { Choose(coach, 1); }, Qt::QueuedConnection);
    Choose(roof, 1);
    QCOMPARE(Items(roof, fabric), QStringList({"Blue", "Silver"}));
    QCOMPARE(Shown(f), (QList{MemberColour("i\\e\\BL_BL"), MemberColour("i\\f\\CLG2")}));
    Choose(coach, 0);
    // Black roof: leather, and exactly the colours before the first 0.
    Choose(roof, 1);
    QCOMPARE(Centre(f->CarImage), MemberColour("i\\e\\RD_BK"));
    QCOMPARE(Items(material, fabric), QStringList({"Leather", "Navy", "Crimson"}));
    Choose(fabric, 1);
    QCOMPARE(Centre(f->ChairImage), MemberColour("i\\f\\LER4"));
    QCOMPARE(roof->currentIndex(), 1);  // lists to the left keep their choice
    // A coach colour without a separate roof: the roof list holds the coach colour, disabled;
    // the car picture uses the coach code twice; materials of all its items.
    Choose(coach, 1);
    QVERIFY(!roof->isEnabled());
    QCOMPARE(Centre(f->CarImage), MemberColour("i\\e\\BL_BL"));
    QCOMPARE(Items(roof, material), QStringList({"Blue", "Cloth", "Leather"}));
    // Only this coach colour's leather colours, nothing of the black roof chosen before.
    Choose(material, 1);
    QCOMPARE(Items(fabric), QStringList({"Ebony"}));
    // The seat picture LEK5 is missing: the seat area is cleared, without a message.
    QVERIFY(f->ChairImage->Image().isNull());
    QCOMPARE((std::tuple{Centre(f->ChairImage), messages_.All()}),
             (std::tuple{qRgb(0, 0, 0), QStringList()}));
    // The car picture stays while only the trim changes.
    QCOMPARE(Centre(f->CarImage), MemberColour("i\\e\\BL_BL"));
    // Back to a coach colour with roofs: the roof list is enabled again.
    Choose(coach, 0);
    QVERIFY(roof->isEnabled());
    QCOMPARE(Items(roof), QStringList({"White", "Black"}));
    // 1962: Grey on White, whose car picture is missing.
    Choose(years, 1);
    QCOMPARE(Items(coach), QStringList({"Grey"}));
    QCOMPARE(Shown(f), (QList{qRgb(0, 0, 0), MemberColour("i\\f\\CLT1")}));
    // 1964 has an item without a coach colour: empty lists to the right, no pictures.
    Choose(years, 2);
    QCOMPARE((QList{coach->count(), roof->count(), fabric->count()}), (QList<int>{0, 0, 0}));
    QCOMPARE(NoPictures(f), (QList{true, true}));
    // Another model: every list right of it back at its first entry.
    Choose(models, 1);
    QCOMPARE(Items(years, coach, fabric), QStringList({"1963", "Ivory", "Tan", "Silver", "Navy"}));
    QCOMPARE(Shown(f), (QList{MemberColour("i\\e\\IV_BK"), MemberColour("i\\f\\LET1")}));
    Choose(models, 2);  // no items at all
    QCOMPARE((std::tuple{years->count(), f->CarImage->Image().isNull()}), (std::tuple{0, true}));
    // Leaving and coming back keeps the choices.
    main_->GoTo(SectionId::Introduction);
    f->close();
    main_->GoTo(SectionId::EnamelAndFabrics);
    QVERIFY(Sections().Form(SectionId::EnamelAndFabrics) == f);
    QCOMPARE((std::tuple{models->currentIndex(), TempFiles()}), (std::tuple{2, QStringList()}));
  }
  // Tab walks the menu column and the search button, then the six lists in their order.
  void listsInOrderByTab() {
    TEnamelAndFabricsForm* f = StartSample();
    QVERIFY(f != nullptr);
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QList<QWidget*> walked, expected{f->MenuBtn.begin(), f->MenuBtn.end()};
    expected << f->InfoBtn << f->findChild<QWidget*>("SearchBtn") << f->ModelsComboBox
             << f->ModelyearsComboBox << f->CoachColorsComboBox << f->RoofColorsComboBox
             << f->FabricMaterialsComboBox << f->FabricColorsComboBox;
    f->setFocus();
    while (walked.size() < expected.size())
      walked << (QTest::keyClick(qApp->focusWidget(), Qt::Key_Tab), qApp->focusWidget());
    QCOMPARE(walked, expected);
    QTest::keyClick(f->FabricColorsComboBox, Qt::Key_F4, Qt::AltModifier);  // ends the program
    QVERIFY(!main_->isVisible());
  }
  // Opened from the menu with no language row for the lists' tag: the labels are translated,
  // the lists keep their items. Picking the chosen entry again changes nothing to its right.
  void userPicksInATranslatedForm() {
    QCOMPARE((QList{WriteCatalogue(), WriteArchive(kCars + kSeats)}), (QList{true, true}));
    QVERIFY(testing::WriteLanguageFile(
        Folder() + "/d/olv.lng",
        {{"44", "English", {{"4011", "Model", ""}, {"4012", "Model year", ""}}}}));
    main_ = fixture::StartMainForm(settings_, Folder(), 44, QSize(640, 480), makers_);
    QVERIFY(main_ != nullptr);
    QTest::mouseClick(Sections().Form(SectionId::Introduction)->MenuBtn[3], Qt::LeftButton);
    auto* f = dynamic_cast<TEnamelAndFabricsForm*>(Sections().Form(SectionId::EnamelAndFabrics));
    QVERIFY(f != nullptr);
    QVERIFY(f->isVisible());
    QCOMPARE(QStringList(f->ModelyearsLabel->text()) +
                 Items(f->ModelyearsComboBox, f->FabricColorsComboBox),
             QStringList({"Model year", "1961", "1962", "1964", "Tan", "Silver"}));
    Pick(f->RoofColorsComboBox, 1);  // Black roof: leather in Navy or Crimson
    Pick(f->FabricColorsComboBox, 1);
    for (auto* same : {f->RoofColorsComboBox, f->ModelyearsComboBox, f->ModelsComboBox})
      Pick(same, same->currentIndex());
    QCOMPARE(f->RoofColorsComboBox->currentIndex(), 1);
    QCOMPARE(f->FabricColorsComboBox->currentText(), QString("Crimson"));
    QCOMPARE(Centre(f->ChairImage), MemberColour("i\\f\\LER4"));
    Pick(f->CoachColorsComboBox, 1);  // another choice still resets what lies to its right
    QCOMPARE(Items(f->RoofColorsComboBox), QStringList({"Blue"}));
    QTest::keyClick(f->RoofColorsComboBox, Qt::Key_F4);
    QTest::keyClick(f->RoofColorsComboBox->view(), Qt::Key_F4, Qt::AltModifier);  // open: quits
    QVERIFY(!main_->isVisible());
  }
  // A member that does not decode, codes that would leave the temporary folder: cleared pictures.
  void badPicturesAndCodes() {
    fixture::EnamelData data = fixture::SampleEnamel();
    data.roofs[0].second = QStringLiteral("..\\..\\x");  // Red on White names a path
    QVERIFY(WriteCatalogue(data));
    QVERIFY(WriteArchive({"i\\e\\RD_BK"}, {"i\\f\\CLT1", "i\\e\\RD_..\\..\\x"}));
    TEnamelAndFabricsForm* f = Start();
    QVERIFY(f != nullptr);
    QCOMPARE(NoPictures(f), (QList{true, true}));
    QCOMPARE((std::tuple{Centre(f->ChairImage), TempFiles()}),
             (std::tuple{qRgb(0, 0, 0), QStringList()}));
    QVERIFY(!QFileInfo::exists(Folder() + "/x"));
    Choose(f->RoofColorsComboBox, 1);
    QCOMPARE(Centre(f->CarImage), MemberColour("i\\e\\RD_BK"));
  }
  // No catalogue: nothing filled, nothing reported, handlers do nothing, no background.
  void missingCatalogue() {
    QVERIFY(WriteArchive(kCars));
    QDir().mkpath(Folder() + QStringLiteral("/i/b"));
    QVERIFY(probes::Solid(640, 480, qRgb(0, 90, 0)).save(Folder() + "/i/b/ebk6x4", "BMP"));
    TEnamelAndFabricsForm* f = Start();
    QVERIFY(f != nullptr);
    QVERIFY(!f->DatabaseOpen());
    QTest::keyClick(f->ModelsComboBox, Qt::Key_Down);
    QTest::keyClick(f->FabricColorsComboBox, Qt::Key_Down);
    QCOMPARE(f->ModelsComboBox->count() + f->ModelyearsComboBox->count(), 0);  // both empty
    QCOMPARE(messages_.All(), QStringList());
    QCOMPARE(fixture::PixelOf(f, QPoint(630, 20)), qRgb(0, 0, 0));
    main_.reset();
    // With a catalogue the same background shows; the catalogue is the chosen language's.
    fixture::EnamelData dutch = fixture::SampleEnamel();
    dutch.models = QStringList({"Sedan NL", "Cabrio NL", "Combi NL"});
    QCOMPARE((QList{WriteCatalogue(dutch, 31), WriteCatalogue()}), (QList{true, true}));
    f = Start(31);
    QVERIFY(f != nullptr);
    QCOMPARE(fixture::PixelOf(f, QPoint(630, 20)), qRgb(0, 90, 0));
    QCOMPARE(f->ModelsComboBox->itemText(0), QString("Sedan NL"));
  }
  // An empty model table or an item whose model cannot be read: "Error" with the file, then an
  // empty form.
  void damagedCatalogueSaysError() {
    fixture::EnamelData data = fixture::SampleEnamel();
    data.models.clear();
    QCOMPARE((QList{WriteCatalogue(data), WriteArchive(kCars)}), (QList{true, true}));
    TEnamelAndFabricsForm* f = Start();
    QCOMPARE(messages_.All(),
             QStringList({"information: Error\n" + settings_.DataPath("d\\ol44.cat")}));
    QVERIFY(f != nullptr);
    QVERIFY(!f->DatabaseOpen());
    QCOMPARE((std::pair{f->isVisible(), f->ModelyearsComboBox->count()}), (std::pair{true, 0}));
    QTest::keyClick(f->ModelsComboBox, Qt::Key_Down);
    QCOMPARE(messages_.All().size(), 1);
  }
  // On a 1024 x 768 screen (800 x 600 design) the lists' text grows with their labels.
  void listTextScalesWithTheLayout() {
    QCOMPARE((QList{WriteCatalogue(), WriteArchive(kCars)}), (QList{true, true}));
    TEnamelAndFabricsForm* f = Start(44, QSize(1024, 768));
    QVERIFY(f != nullptr);
    QCOMPARE(int(settings_.LayoutMode), 4);
    QCOMPARE(
        (QList{f->CoachColorsLabel->font().pixelSize(), f->CoachColorsComboBox->font().pixelSize(),
               f->CoachColorsComboBox->view()->font().pixelSize()}),
        (QList{14, 14, 14}));
    // The drawn text of the list is as tall as that of a label in the same font.
    const auto inkRows = [](QWidget* widget) {
      const QImage shot = probes::Render(widget, qRgb(0, 0, 0));
      int rows = 0;
      for (int y = 0; y < shot.height(); ++y)
        rows += probes::CountPixels(shot, QRect(0, y, shot.width() * 2 / 3, 1), Light) > 0;
      return rows;
    };
    f->CoachColorsLabel->setText(f->CoachColorsComboBox->currentText());
    QCOMPARE_GT(inkRows(f->CoachColorsLabel), 5);
    QCOMPARE_LE(std::abs(inkRows(f->CoachColorsComboBox) - inkRows(f->CoachColorsLabel)), 1);
  }
};

QTEST_MAIN(TestEnamelAndFabricsForm)
#include "TestEnamelAndFabricsForm.moc"
