// Tests of the section frame with the main form: sizing by layout mode, navigation, reuse,
// translation, Alt+F4 and the close sequence.
#include "ProcessFactsRestorer.h"
#include "sections/SectionForm.h"

#include "ProcessFactsRestorer.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/FocusMark.h"
#include "controls/WidgetProbes.h"  // tests/controls
#include "media/Messages.h"
#include "process/ProcessFacts.h"
#include "sections/MaxZoomWindow.h"
#include "sections/SectionSet.h"
#include "shell/AboutBox.h"
#include "shell/LanguageFile.h"
#include "shell/MainForm.h"
#include "shell/Platform.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <optional>

using namespace orlaventis;

namespace {

// A section that counts how often its start-up runs and keeps a bit of state.
class CountingSection : public TSectionForm {
 public:
  using TSectionForm::TSectionForm;
  static inline int created = 0;
  // How many other section forms were visible when this one was last shown.
  static inline int othersVisibleAtShow = -1;
  int visits = 0;
  QPlainTextEdit* memo = nullptr;
  // Runs inside the start-up, as a section's own loading would.
  static inline std::function<void()> duringContent;

 protected:
  void showEvent(QShowEvent* event) override {
    othersVisibleAtShow = 0;
    for (SectionId s : kSectionOrder)
      othersVisibleAtShow += Sections().Form(s) != nullptr && Sections().Form(s) != this &&
                             Sections().Form(s)->isVisible();
    TSectionForm::showEvent(event);
  }
  void CreateComponents() override {
    memo = new QPlainTextEdit(this);
    memo->setGeometry(200, 300, 400, 100);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
  void CreateContent() override {
    ++created;
    if (duringContent) duringContent();
  }
};

using probes::PixelOf;

}  // namespace

class TestSectionForm : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  TSettings settings_;  // new for each test function; outlives form_
  std::unique_ptr<TMainForm> form_;
  TSectionSet* sections_ = nullptr;                     // form_'s
  std::optional<fixture::ProcessFactsRestorer> facts_;  // from init() to cleanup()

  // A main form on a pretended screen, its sections counting their start-ups.
  TMainForm& StartMainForm(QSize screen) {
    Process().screenSizeOverride = screen;
    form_ = std::make_unique<TMainForm>(settings_);
    [&] { QVERIFY(form_->FormCreate()); }();
    SectionMakers counting;
    for (SectionId s : kSectionOrder)
      counting[size_t(s)] = [s](TSectionSet& set) { return new CountingSection(s, set); };
    sections_ = &TSectionSet::Install(*form_, counting);
    form_->setGeometry(QRect(QPoint(0, 0), screen));
    form_->show();  // FormShow opens the Introduction
    return *form_;
  }
  // The Introduction as opened on a pretended screen.
  auto* Intro(QSize s) { return StartMainForm(s), sections_->Form(SectionId::Introduction); }

 private slots:
  void initTestCase() {
    // English menu texts, and the Introduction's background for the 640 x 480 design only, its
    // name in other capitals than the program asks for.
    QVERIFY(dir_.isValid());
    QVERIFY(QDir().mkpath(dir_.filePath("d")));
    QVERIFY(QDir().mkpath(dir_.filePath("i/b")));
    // clang-format off
    QVERIFY(testing::WriteLanguageFile(dir_.filePath("d/olv.lng"), {{"44", "English", {
        {"10", "Orlaventis in English", ""}, {"100", "Introduction", "To the introduction"},
        {"300", "Photos", "To the photos"}}}}));
    // clang-format on
    QVERIFY(probes::Solid(640, 480, qRgb(200, 30, 40)).save(dir_.filePath("i/b/IBK6x4"), "BMP"));
  }
  void init() {
    settings_ = TSettings();
    settings_.FarewellMs = 0;
    settings_.ProgramFolder = dir_.path();
    CountingSection::created = 0;
    facts_.emplace();
    Process().displayDepthOverride = 32;
  }
  void cleanup() {
    CountingSection::duringContent = nullptr;
    form_.reset();
    facts_.reset();
  }
  void layoutModeFour() {
    TSectionForm* in = Intro(QSize(1024, 768));
    QVERIFY(in != nullptr);
    QCOMPARE((std::tuple{in->isVisible(), int(settings_.LayoutMode)}), (std::tuple{true, 4}));
    // 800 x 600, centred on the 1024 x 768 main form; controls and fonts scaled by 600/480.
    QCOMPARE((QList<QRect>{in->geometry(), in->MenuBtn[5]->geometry(), in->Bk->geometry()}),
             (QList<QRect>{{112, 84, 800, 600}, {6, 513, 100, 31}, {0, 0, 800, 600}}));
    QCOMPARE(in->MenuBtn[0]->Font().Font.pixelSize(), 14);
    // A scroll area is scaled as one control: its viewport and scroll bar still fit inside it.
    auto* memo = static_cast<CountingSection*>(in)->memo;
    QCOMPARE(memo->geometry(), QRect(250, 375, 500, 125));
    QWidget* bar = memo->verticalScrollBar();
    QVERIFY(memo->rect().contains(memo->viewport()->geometry()));
    QCOMPARE_GT(bar->height(), 100);
    QVERIFY(memo->rect().contains(QRect(bar->mapTo(memo, QPoint(0, 0)), bar->size())));
    // The own button stays down; the others are up; glyphs are drawn on deep displays.
    QCOMPARE((QList{in->MenuBtn[0]->ButtonIsDown(), in->MenuBtn[1]->ButtonIsDown()}),
             (QList{true, false}));
    QVERIFY2(qGray(PixelOf(in->MenuBtn[1], QPoint(40, 4))) > 150, "the up glyph's face shows");
    QVERIFY(qGray(PixelOf(in, QPoint(400, 100))) < 10);  // black form, no background file
    QVERIFY(PixelOf(in->InfoBtn, QPoint(82, 47)) != qRgb(176, 200, 200));  // art fills the face
    // The caption exactly: no display name of the application's that the platform would append.
    QCOMPARE(form_->windowTitle(), "Orlaventis 1.0 release 4");
    QCOMPARE(qApp->applicationDisplayName(), qApp->applicationName());
  }
  // Mode 3 is unscaled; a palette display draws plain faces instead of glyphs.
  void layoutModeThreeIsUnscaled() {
    Process().displayDepthOverride = 8;
    TSectionForm* in = Intro(QSize(800, 600));
    QVERIFY(in != nullptr);
    QCOMPARE(int(settings_.LayoutMode), 3);
    QCOMPARE((QList<QRect>{in->geometry(), in->MenuBtn[2]->geometry()}),
             (QList<QRect>{{80, 60, 640, 480}, {5, 290, 80, 25}}));
    // "i/b/ibk6x4" is the background of modes 0 and 3; its (200, 30, 40) reduced to the 256
    // colours.
    QCOMPARE(PixelOf(in, QPoint(400, 100)), qRgb(204, 0, 51));
    for (TBaseBtn* b : in->MenuBtn)
      QCOMPARE((QList{b->GlyphUp().isNull(), b->GlyphDown().isNull(), b->FaceVisible()}),
               (QList{true, true, true}));
  }
  void navigationReusesFormsWithTheirState() {
    TSectionForm* in = Intro(QSize(1024, 768));
    QVERIFY(in != nullptr);
    QCOMPARE(CountingSection::created, 1);
    // The own button changes nothing.
    in->MenuButtonClick(in->MenuBtn[0]);
    QVERIFY(in->isVisible());
    QVERIFY(sections_->Form(SectionId::Production) == nullptr);
    in->MenuButtonClick(in->MenuBtn[1]);
    auto* production = static_cast<CountingSection*>(sections_->Form(SectionId::Production));
    QVERIFY(production != nullptr);
    QVERIFY(production->MenuBtn[1]->ButtonIsDown());
    // Shown before the Introduction hid; that one is hidden, not destroyed.
    QCOMPARE((QList{CountingSection::othersVisibleAtShow, CountingSection::created}),
             (QList{1, 2}));
    QCOMPARE((QList{production->isVisible(), in->isVisible()}), (QList{true, false}));
    production->visits = 7;
    CountingSection::othersVisibleAtShow = -1;
    production->MenuButtonClick(production->MenuBtn[0]);
    QCOMPARE(CountingSection::othersVisibleAtShow, 1);
    QVERIFY(sections_->Form(SectionId::Introduction) == in);
    QCOMPARE((QList{in->isVisible(), production->isVisible()}), (QList{true, false}));
    in->MenuButtonClick(in->MenuBtn[1]);
    QVERIFY(sections_->Form(SectionId::Production) == production);
    QVERIFY(production->isVisible());
    // The start-up did not run again.
    QCOMPARE((QList<int>{production->visits, CountingSection::created}), (QList<int>{7, 2}));
  }
  // Clicks that arrive while a section is built (its loading lets events run) are ignored, and
  // the hourglass shows over the program meanwhile.
  void menuClicksDuringABuildAreIgnored() {
    TSectionForm* in = Intro(QSize(640, 480));
    QVERIFY(in != nullptr);
    // Translated on the first visit; Production has no row: its design text stays.
    QCOMPARE((QStringList{in->windowTitle(), in->MenuBtn[0]->Caption(), in->MenuBtn[0]->toolTip(),
                          in->MenuBtn[2]->Caption(), in->MenuBtn[1]->Caption()}),
             (QStringList{"Orlaventis in English", "Introduction", "To the introduction", "Photos",
                          "Productie"}));
    Qt::CursorShape during = Qt::ArrowCursor;
    CountingSection::duringContent = [&] {
      if (const QCursor* cursor = QGuiApplication::overrideCursor()) during = cursor->shape();
      QCoreApplication::processEvents();
    };
    // The second click of a quick double click on "Productie", then a click on "Kleuren", both
    // still queued when the first click starts building the Production section.
    for (TBaseBtn* button : {in->MenuBtn[1], in->MenuBtn[3]}) {
      for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const auto held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        const QPointF at(5, 5), global = button->mapToGlobal(at);
        auto* event = new QMouseEvent(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::postEvent(button, event);  // the queue owns it
      }
    }
    QTest::mouseClick(in->MenuBtn[1], Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    QCOMPARE(CountingSection::created, 2);
    QCOMPARE(during, Qt::WaitCursor);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(sections_->Form(SectionId::EnamelAndFabrics) == nullptr);
    QVERIFY(sections_->Form(SectionId::Production)->isVisible());
    QCOMPARE((std::tuple{in->isVisible(), form_->findChildren<CountingSection*>().size()}),
             (std::tuple{false, qsizetype(2)}));
  }
  // Without a registered address the content's own help page opens; a registered one wins and
  // gets the language in place of any it carried. The program steps aside only for a browser that
  // started; one that did not is named in a message. A kiosk opens nothing and never minimises.
  void helpOpensThePageOrSaysWhatFailed() {
    std::vector<QUrl> opened;
    bool starts = false;
    Process().urlOpener = [&](const QUrl& url) {
      opened.push_back(url);
      return starts;
    };
    std::vector<ProcessStart> started;
    Process().launcher = [&started](const ProcessStart& start) {
      started.push_back(start);
      return false;
    };
    const auto recorded = std::make_shared<RecordedMessages>();
    RecordedMessages& messages = *recorded;
    settings_.Messages = recorded;
    IniRegistry registered{QStringList{}};
    registered.AddText(
        "[HKEY_LOCAL_MACHINE\\Software\\Orlaventis]\n"
        "HelpAddress=https://help.example/olv?lang=31&v=2\n");
    for (bool withAddress : {false, true}) {
      form_.reset();
      const IniRegistry none{QStringList{}};
      settings_.ProgramRegistry = std::make_shared<IniRegistry>(withAddress ? registered : none);
      TSectionForm* in = Intro(QSize(640, 480));
      starts = withAddress;
      if (withAddress)
        QTest::keyClick(in, Qt::Key_F1);  // the key does what the button does
      else
        QTest::mouseClick(in->MenuBtn[4], Qt::LeftButton);
      QCOMPARE(bool(form_->windowState() & Qt::WindowMinimized), starts);
    }
    QCOMPARE(opened.size(), size_t(2));
    QVERIFY2(opened[0].isLocalFile(), qPrintable(opened[0].toString()));
    QCOMPARE(opened[0].toLocalFile(), settings_.DataPath("help\\index.html"));
    QCOMPARE(opened[1].host() + QUrlQuery(opened[1]).queryItemValue("v"), QString("help.example2"));
    for (QUrl url : opened) QCOMPARE(QUrlQuery(url).allQueryItemValues("lang"), QStringList{"44"});
    const QString lost = "No web browser could be started: the desktop has no default browser.\n";
    QCOMPARE(messages.Errors(), QStringList{lost + opened[0].toString()});

    // A registered browser command that fails is named.
    messages.Clear();
    form_.reset();
    IniRegistry browser{QStringList{}};
    browser.AddText(
        "[HKEY_CLASSES_ROOT\\.html]\n@=htmlfile\n"
        "[HKEY_CLASSES_ROOT\\htmlfile\\Shell\\Open\\Command]\n@=/opt/no-such-browser \"%1\"\n");
    settings_.ProgramRegistry = std::make_shared<IniRegistry>(browser);
    QTest::mouseClick(Intro(QSize(640, 480))->MenuBtn[4], Qt::LeftButton);
    QCOMPARE((std::tuple{started.size(), bool(form_->windowState() & Qt::WindowMinimized)}),
             (std::tuple{size_t(1), false}));
    QCOMPARE(messages.Errors().size(), 1);
    const QString failed = "The web browser could not be started:\n/opt/no-such-browser\n";
    QVERIFY2(messages.Errors()[0].startsWith(failed), qPrintable(messages.All().join('|')));

    // Kiosk: no Help button, F1 and a click where it was do nothing, the arrows step over it.
    settings_.KioskMinutes = 1;
    form_.reset();
    messages.Clear();
    TSectionForm* in = Intro(QSize(640, 480));
    QCOMPARE((QList{in->MenuBtn[4]->isHidden(), in->MenuBtn[5]->isHidden()}), (QList{true, true}));
    QTest::keyClick(in, Qt::Key_F1);
    QTest::mouseClick(in, Qt::LeftButton, {}, in->MenuBtn[4]->geometry().center());
    form_->FormMinimize();
    settings_.KioskMinutes = 0;
    QCOMPARE((std::tuple{opened.size(), started.size(), messages.All()}),
             (std::tuple{size_t(2), size_t(1), QStringList()}));
    QVERIFY(!(form_->windowState() & Qt::WindowMinimized));
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    in->MenuBtn[3]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(in->MenuBtn[3], Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), in->InfoBtn);
    QTest::keyClick(in->InfoBtn, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), in->MenuBtn[3]);
  }
  // The menu column by keys: Down from the form takes the own button, the arrows go round the
  // column, Tab goes on to the section; the mark surrounds the focus until the mouse is used.
  // Enter, Space and the digits press buttons; a new section's own button takes the focus.
  void keyboardDrivesTheMenuColumn() {
    TSectionForm* in = Intro(QSize(640, 480));
    QVERIFY(in != nullptr);
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    // After a zoom window closed by a key, keys at the window move the focus and show the mark.
    QTimer::singleShot(0, [this] { QTest::keyClick(sections_->MaxZoomWindow, Qt::Key_Escape); });
    sections_->ShowMaxZoom(QImage(8, 8, QImage::Format_RGB32));
    const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
      QTest::keyClick(form_->windowHandle(), key, modifiers);
      return QApplication::focusWidget();
    };
    QList<QWidget*> walked;
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Tab,
                        Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Backtab})
      walked << press(key);
    auto* search = in->findChild<QWidget*>("SearchBtn");
    QWidget* memo = static_cast<CountingSection*>(in)->memo;
    const auto& menu = in->MenuBtn;
    QCOMPARE(walked, (QList<QWidget*>{menu[0], menu[1], menu[0], in->InfoBtn, menu[5], in->InfoBtn,
                                      search, memo, search, in->InfoBtn}));
    QVERIFY(in->FocusMark->isVisible());
    QCOMPARE(in->FocusMark->geometry(), in->InfoBtn->geometry().adjusted(-2, -2, 2, 2));
    QTest::mouseClick(in, Qt::LeftButton, {}, QPoint(300, 20));
    QCOMPARE((QList{in->FocusMark->isVisible(), in->InfoBtn->hasFocus()}), (QList{false, true}));
    press(Qt::Key_Down), press(Qt::Key_Down), press(Qt::Key_Return);
    TSectionForm* production = sections_->Form(SectionId::Production);
    QVERIFY(production != nullptr);
    QVERIFY(production->FocusMark->Marked() == production->MenuBtn[1]);
    TSectionForm* catalog = (press(Qt::Key_3), sections_->Form(SectionId::Catalog));
    QVERIFY(catalog != nullptr);
    QCOMPARE((QList{catalog->MenuBtn[2]->hasFocus(), production->isVisible()}),
             (QList{true, false}));
    QVERIFY((press(Qt::Key_Up), press(Qt::Key_Space)) == production->MenuBtn[1]);
    QVERIFY(production->isVisible());
    QCOMPARE((QList{press(Qt::Key_1, Qt::ControlModifier), press(Qt::Key_1)}),
             (QList<QWidget*>{production->MenuBtn[1], in->MenuBtn[0]}));
    // The mouse leaves no focus in the column and no mark.
    QTest::mouseClick(in->MenuBtn[1], Qt::LeftButton);
    QVERIFY(QApplication::focusWidget() == production);
    QVERIFY(!production->FocusMark->isVisible());
  }
  void altF4InASectionEndsTheProgram() {
    TMainForm& form = StartMainForm(QSize(640, 480));
    form.GoToCatalog();
    TSectionForm* catalog = sections_->Form(SectionId::Catalog);
    QVERIFY(catalog != nullptr);
    QTest::keyClick(catalog, Qt::Key_F4, Qt::AltModifier);
    QCOMPARE((std::tuple{form.CloseSequenceRuns(), form.isVisible(), catalog->isVisible()}),
             (std::tuple{1, false, false}));
    QVERIFY(!settings_.MainFormReady);
    QVERIFY(form.RecordFile() == nullptr);
    // Other keys, and F4 with more than Alt, do nothing.
    QKeyEvent ctrlAltF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier);
    QVERIFY(!IsAltF4(&ctrlAltF4));
  }
  void closeSequenceRunsOnce() {
    settings_.FarewellMs = 300;
    TSectionForm* in = Intro(QSize(640, 480));
    TMainForm* form = form_.get();
    // A second close request while the About box shows.
    QTimer::singleShot(50, form, [form] { form->close(); });
    in->MenuButtonClick(in->MenuBtn[5]);  // "Stoppen"
    settings_.FarewellMs = 0;
    // The About box was shown on the way out, then closed.
    QCOMPARE(form->CloseSequenceRuns(), 1);
    QVERIFY(form->AboutBox != nullptr);
    QVERIFY(!form->AboutBox->isVisible());
    form->close();
    QCOMPARE(form->CloseSequenceRuns(), 1);
  }
};

QTEST_MAIN(TestSectionForm)
#include "TestSectionForm.moc"
