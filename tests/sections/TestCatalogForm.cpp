// Tests of the Catalog section: browsing, paging, the picture cache, queries, zoom, the Busy guard.
#include "sections/CatalogForm.h"

#include "SlideFixture.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "database/Catalog.h"
#include "database/DatabaseFixture.h"
#include "media/PictureDecoder.h"
#include "process/ProcessFacts.h"
#include "sections/MaxZoomWindow.h"
#include "sections/QueryGrid.h"
#include "sections/ThumbnailGrid.h"
#include "shell/LanguageFile.h"
#include "shell/PasswordDialog.h"

#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <list>

using namespace orlaventis;
using fixture::Centre;

namespace {

// A distinct colour per item number (its red channel is unique up to 50 items).
QRgb ItemColour(int n) { return qRgb(5 * n, 250 - 4 * n, n % 2 ? 40 : 160); }

// A real left click in the middle of `widget`, as a user gives it.
void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

QString MemberName(int n) { return QStringLiteral("P%1").arg(n, 2, 10, QLatin1Char('0')); }

// What the Catalog section holds, in words a failed comparison shows.
QString Held(auto* f) { return !f ? "no form" : f->Catalog() ? "a catalogue" : "no catalogue"; }

// d/ol44.cat with "Picture Groups" (3 groups), `count` "Picture Items" (group 1 + n % 3 or
// `groups[n - 1]`, Item Number "P01".., Header "Picture n", Description of two lines) and
// "Picture Properties" with the rows Group (link list) and Title; protected by `password`.
bool WriteCatalogue(const QString& folder, int count, const std::vector<int>& groups = {},
                    const QString& password = QString()) {
  using dbfixture::Col, dbfixture::Link;
  // clang-format off
  olvtool::TableSource groupTable{"Picture Groups", {Col("Group")},
                                  {{"Exterior"}, {"Interior"}, {"Engine"}}, true};
  olvtool::TableSource table{"Picture Items", {Link("Group", "Picture Groups", "Group", 1),
                             Col("Item Number"), Col("Header"), Col("Description")}, {}, true};
  olvtool::TableSource properties{"Picture Properties", {},
      {{"Picture Items", "Yes", "Q", "Group", "Choose groups", "All groups", "Group"},
       {"Picture Items", "Yes", "Q", "Header", "Words of the title", "All titles", "Title"}}, true};
  // clang-format on
  for (int n = 1; n <= count; ++n) {
    const int group = size_t(n) <= groups.size() ? groups[size_t(n - 1)] : 1 + n % 3;
    const QString title = QStringLiteral("Picture %1").arg(n);
    table.records.push_back({QString::number(group), MemberName(n), title,
                             QStringLiteral("About picture %1.\r\nSecond line.").arg(n)});
  }
  for (auto name : {"Table", "Show", "Definition", "Column", "Hint", "Select All Label", "Label"})
    properties.columns.push_back(Col(name));
  QString error;
  return olvtool::WriteDatabase({{groupTable, table, properties}, false, password},
                                folder + "/d/ol44.cat", {}, &error) ||
         (qWarning() << error, false);
}
// olvf.dat with "P01".. for `from` .. `to` except `missing`; `damaged` members cannot be unpacked;
// `noPictures` unpack (letting events run) to bytes that are no picture.
bool WritePictures(const QString& folder, int from, int to, const std::vector<int>& missing = {},
                   const std::vector<int>& damaged = {}, const std::vector<int>& noPictures = {}) {
  std::vector<fixture::Member> good, bad;
  for (int n = from; n <= to; ++n) {
    if (std::count(missing.begin(), missing.end(), n) != 0) continue;
    auto& into = std::count(damaged.begin(), damaged.end(), n) != 0 ? bad : good;
    into.push_back({MemberName(n), fixture::PlainPng(ItemColour(n))});
  }
  for (int n : noPictures) good.push_back({MemberName(n), QByteArray(4000, 'x')});
  return fixture::WriteArchive(folder + "/olvf.dat", good, bad);
}
// A least-recently-used list kept the obvious way.
struct CacheModel {
  std::list<QString> names;
  // Moves `name` (in any letter case) to the front; false when it is not there.
  bool Use(const QString& name) {
    const auto same = [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; };
    const auto it = std::find_if(names.begin(), names.end(), same);
    return it != names.end() && (names.splice(names.begin(), names, it), true);
  }
  void Touch(const QString& name) {
    if (!Use(name)) names.push_front(name);
    while (names.size() > 30) names.pop_back();
  }
  // Touches the members `from` .. `to`, in that order (downwards when `to` < `from`).
  CacheModel& Load(int from, int to) {
    for (int n = from;; n += to < from ? -1 : 1) {
      Touch(MemberName(n));
      if (n == to) return *this;
    }
  }
  QStringList List() const { return QStringList(names.begin(), names.end()); }
};

}  // namespace

class TestCatalogForm : public fixture::SectionTest {
  Q_OBJECT

  TCatalogForm* Open(QSize screen = QSize(640, 480)) {
    main_ = fixture::StartMainForm(settings_, Folder(), 44, screen, makers_);
    if (main_) main_->GoToCatalog();
    return main_ ? dynamic_cast<TCatalogForm*>(Sections().Form(SectionId::Catalog)) : nullptr;
  }
  // A Catalog over `count` items, all with pictures.
  TCatalogForm* OpenWith(int count) {
    return WriteCatalogue(Folder(), count) && WritePictures(Folder(), 1, count) ? Open() : nullptr;
  }
  static QRgb CellCentre(TCatalogForm* f, int cell) { return Centre(f->PictureThumbs->Cell(cell)); }

  // The item whose picture shows in `colour`; 0 for none.
  static int ItemOf(QRgb colour) {
    for (int n = 1; n <= 50; ++n)
      if (ItemColour(n) == colour) return n;
    return 0;
  }
  // The item each cell shows, 0 for an empty one.
  static QList<int> PageItems(TCatalogForm* f) {
    QList<int> items;
    for (int cell = 1; cell <= 9; ++cell) items << ItemOf(CellCentre(f, cell));
    return items;
  }
  // The page from item `top` of `count`: top - 1 + cell in every cell, none past `count`.
  static QList<int> Page(int top, int count) {
    QList<int> items;
    for (int item = top; item < top + 9; ++item) items << (item <= count ? item : 0);
    return items;
  }
  // The current item, the page's top item and the selected cell.
  static QList<int> Where(TCatalogForm* f) {
    const TThumbnailGrid* g = f->PictureThumbs;
    return {f->Catalog()->CurrentItem, g->TopItem(), g->SelectedThumb()};
  }
  // First, Previous, Next and Last: "1" where enabled.
  static QString Steps(TCatalogForm* f) {
    QString out;
    for (TBaseBtn* b : {f->FirstBtn, f->PreviousBtn, f->NextBtn, f->LastBtn})
      out += b->isEnabled() ? '1' : '0';
    return out;
  }
  // The number edit and the count beside it.
  QString Counters(auto* f) { return f->CurItemEdit->text() + ' ' + f->TotalItemsLbl->text(); }

  // The current item, the number in the edit, the header and whose picture shows.
  static QString Showing(TCatalogForm* f) {
    return QString("item %1, edit %2, \"%3\", picture of %4")
        .arg(f->Catalog()->CurrentItem)
        .arg(f->CurItemEdit->text(), f->Header->text())
        .arg(ItemOf(Centre(f->SelectedPictureThumb)));
  }
  // Showing() when item `item` is current.
  auto Showing(int n) { return QString("item %1, edit %1, \"Picture %1\", picture of %1").arg(n); }
  // Closes the zoom window whenever one is open, and remembers that one was.
  struct ZoomWatch {
    QTimer timer;
    bool zoomed = false;
    explicit ZoomWatch(TSectionSet& s) {
      // `zoomed` stays set once a window was closed.
      timer.callOnTimeout([this, &s] { zoomed |= s.MaxZoomWindow && s.MaxZoomWindow->close(); });
      timer.start(0);
    }
  };

  // Replaces the edit's text by typing, then presses Return.
  static void TypeEnter(QLineEdit* edit, const QString& text) {
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

 private slots:
  void initTestCase() {
    makers_[2] = [](TSectionSet& s) { return new TCatalogForm(s); };
  }

  void init() {
    QVERIFY(Fresh());
    QDir().mkpath(Folder() + "/d");
    // clang-format off
    QVERIFY(testing::WriteLanguageFile(Folder() + "/d/olv.lng", {{"44", "English", {
        {"3011", "Picture", ""}, {"3012", "of ", ""}, {"3013", "", "First picture"},
        {"3018", "", "Type a picture number"}, {"700", "", "About"}}}}));
    // clang-format on
  }
  void cleanup() { main_.reset(); }

  // The page follows the current item, moving as little as it can.
  void placesThePage() {
    using enum ThumbPageMode;
    // Count, current item, page top and mode in; the placed top, selected cell and mode out.
    const struct {
      const char* name;
      int count, current, top;
      ThumbPageMode mode;
      ThumbPagePlacement placed;
    } cases[] = {{"no items", 0, 0, 5, Valid, {0, 1, Valid}},
                 {"first page, no page yet", 12, 1, 0, MovedDown, {1, 1, MovedDown}},
                 {"on the page", 12, 5, 1, Valid, {1, 5, Valid}},
                 {"last cell", 12, 9, 1, Valid, {1, 9, Valid}},
                 {"one past the page", 12, 10, 1, Valid, {2, 9, MovedDown}},
                 {"to the last", 12, 12, 2, Valid, {4, 9, MovedDown}},
                 {"before the page", 12, 1, 4, Valid, {1, 1, MovedUp}},
                 {"one before the page", 12, 3, 4, Valid, {3, 1, MovedUp}},
                 {"typed, on the page", 12, 7, 4, MovedDown, {4, 4, MovedDown}},
                 {"new selection below the old top", 4, 1, 12, MovedDown, {1, 1, MovedUp}}};
    for (const auto& c : cases) {
      const auto text = [&c](const ThumbPagePlacement& p) {
        return QString("%1: top %2, cell %3, mode %4")
            .arg(c.name)
            .arg(p.top)
            .arg(p.cell)
            .arg(int(p.mode));
      };
      QCOMPARE(text(PlaceThumbPage(c.count, c.current, c.top, 9, c.mode)), text(c.placed));
    }
  }
  void browsesOneByOneAndByPage() {
    std::vector<int> groups(12, 1);
    groups.push_back(0);  // item 13 belongs to no group: never selected
    QVERIFY(WriteCatalogue(Folder(), 13, groups));
    QVERIFY(WritePictures(Folder(), 1, 13));
    TCatalogForm* f = Open();
    QCOMPARE(Held(f), "a catalogue");
    QCOMPARE(Where(f) << f->Catalog()->ItemCount, (QList<int>{1, 1, 1, 12}));
    // Translated label texts keep the counts behind them.
    QCOMPARE(
        (QStringList{f->CurItemLbl->text(), Counters(f), f->FirstBtn->toolTip(),
                     f->CurItemEdit->toolTip(), f->InfoBtn->toolTip()}),
        (QStringList{"Picture", "1 of 12", "First picture", "Type a picture number", "About"}));
    QCOMPARE((std::tuple{PageItems(f), Showing(f)}), (std::tuple{Page(1, 12), Showing(1)}));
    QCOMPARE(f->Description->toPlainText() + Steps(f), "About picture 1.\nSecond line.0011");
    // Cells loaded first to last: the last one is the most recently used.
    CacheModel model;
    QCOMPARE(f->ThumbnailCache().Names(), model.Load(1, 9).List());
    QVERIFY(TempFiles().isEmpty());
    // Previous on the first picture does nothing (8 steps then end on 9); within the page nothing
    // is unpacked again.
    Click(f->PreviousBtn);
    for (int i = 0; i < 8; ++i) Click(f->NextBtn);
    QCOMPARE(Where(f) << f->PictureThumbs->ScrollBar()->value(), (QList<int>{9, 1, 9, 9}));
    QCOMPARE(Showing(f), Showing(9));
    QCOMPARE(f->ThumbnailCache().Names(), model.List());
    // 9 -> 10 scrolls the page by one, filling it first to last.
    Click(f->NextBtn);
    QCOMPARE(Where(f) + PageItems(f), QList<int>({10, 2, 9}) + Page(2, 12));
    QCOMPARE(f->ThumbnailCache().Names(), model.Load(2, 10).List());
    // Back to 1: picture 1 becomes the first cell, the cells fill from the last to the first.
    Click(f->FirstBtn);
    QCOMPARE(Where(f), (QList<int>{1, 1, 1}));
    QCOMPARE(f->ThumbnailCache().Names(), model.Load(9, 1).List());
    // Last, then Next does nothing; the counters and buttons follow.
    Click(f->LastBtn);
    QCOMPARE(Where(f) + PageItems(f), QList<int>({12, 4, 9}) + Page(4, 12));
    Click(f->NextBtn);
    QCOMPARE(Counters(f) + Steps(f), QString("12 of 121100"));
    // A picked cell moves there without reloading the page.
    const QStringList before = f->ThumbnailCache().Names();
    QTest::mouseClick(f->PictureThumbs->Cell(2), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(Showing(f), Showing(5));
    QCOMPARE(f->ThumbnailCache().Names(), before);
    // A typed number reloads the page even when it is on it; other input changes nothing.
    TypeEnter(f->CurItemEdit, "7");
    QCOMPARE(Where(f), (QList<int>{7, 4, 4}));
    QCOMPARE(f->ThumbnailCache().Names().first(), QString("P12"));
    // A refused number leaves the position and the edit shows it again.
    for (const QString typed : {"13", "0", "999", "-5", "three"}) {
      TypeEnter(f->CurItemEdit, typed);
      QCOMPARE((QList{f->Catalog()->CurrentItem, f->CurItemEdit->text().toInt()}), (QList{7, 7}));
    }
    TypeEnter(f->CurItemEdit, "$2");  // a hexadecimal number
    QCOMPARE(Where(f), (QList<int>{2, 2, 1}));
    // A page step on the scroll bar goes to the item it points at.
    f->PictureThumbs->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE((std::tuple{f->PictureThumbs->TopItem(), Showing(f)}), (std::tuple{3, Showing(11)}));
    QCOMPARE(TempFiles() + messages_.All(), QStringList());
  }
  // Keys on the form step, page and zoom as the buttons and the scroll bar do.
  void keysBrowseAndZoom() {
    TCatalogForm* f = OpenWith(30);
    QVERIFY(f != nullptr);
    QList<int> seen;
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_End, Qt::Key_Home,
                        Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_A})
      seen << (QTest::keyClick(f, key), f->Catalog()->CurrentItem);
    QCOMPARE(seen, QList<int>({2, 3, 2, 30, 1, 10, 19, 10, 10}));
    QCOMPARE(Showing(f), Showing(10));
    QRgb zoomed = 0;
    QTimer::singleShot(0, [&] {
      if (TMaxZoomWindow* window = Sections().MaxZoomWindow) {
        zoomed = Centre(window->ItemImage);
        QTest::keyClick(window, Qt::Key_Return);
      }
    });
    QTest::keyClick(f, Qt::Key_Return);
    QCOMPARE(zoomed, ItemColour(10));
    QVERIFY(Sections().MaxZoomWindow == nullptr);
  }
  // A real double click on Next moves one picture; the step buttons' round icons leave the
  // background around them showing.
  void doubleClickStepsOnceAndIconsAreTransparent() {
    TCatalogForm* f = OpenWith(13);
    QVERIFY(f != nullptr);
    QTest::mouseClick(f->NextBtn, Qt::LeftButton);
    QTest::mouseDClick(f->NextBtn, Qt::LeftButton);
    QTest::mouseRelease(f->NextBtn, Qt::LeftButton);
    QCOMPARE(f->Catalog()->CurrentItem, 2);
    constexpr QRgb kGround = 0xFF00A000;
    for (TBaseBtn* button :
         {f->FirstBtn, f->PreviousBtn, f->NextBtn, f->LastBtn, f->ResetSelectionsBtn}) {
      QImage image(button->size(), QImage::Format_RGB32);
      image.fill(kGround);
      button->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);  // over the ground only
      const QRect r = image.rect();
      for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        QCOMPARE(image.pixel(corner), kGround);
      QVERIFY(image.pixel(r.center()) != kGround);              // the plate, centred
      QCOMPARE(probes::CountColour(image, probes::kWhite), 0);  // no light rim around the plate
    }
  }
  // Filling 2048 x 1536, the small controls halved look as in the 1024 x 768 design at 1280 x 1024.
  void filledScreenEnlargesTheControls() {
    QList<QImage> design;
    for (const bool fill : {false, true}) {
      settings_.FillScreen = fill;
      main_.reset();
      TCatalogForm* f = Open(fill ? QSize(2048, 1536) : QSize(1280, 1024));
      QVERIFY(f != nullptr);
      for (int i = 0;
           QWidget * control : QList<QWidget*>{f->FirstBtn, f->ResetSelectionsBtn, f->InfoBtn,
                                               f->TessaranQueryGrid->DropDownButton()}) {
        if (!fill) design << probes::Render(control, probes::kBlack);
        const QImage was = design[i++], halved = probes::Render(control, probes::kBlack)
                                                     .scaled(was.size(), Qt::IgnoreAspectRatio,
                                                             Qt::SmoothTransformation);
        const int w = was.width(), n = w * was.height();
        qint64 difference = 0;  // in grey levels, over every pixel
        for (int p = 0; p < n; ++p)
          difference += qAbs(qGray(halved.pixel(p % w, p / w)) - qGray(was.pixel(p % w, p / w)));
        QVERIFY2(difference < 8 * n, qPrintable(control->objectName()));
      }
    }
  }
  void queriesNarrowTheSelection() {
    TCatalogForm* f = OpenWith(12);
    QCOMPARE(Held(f), "a catalogue");
    TQueryCriteria& criteria = f->TessaranQueryGrid->Criteria();
    QCOMPARE(criteria.Count(), 2);
    // Title: anywhere in the text, regardless of letter case; the row then shows capitals.
    QVERIFY(criteria.CommitText(2, "ure 1").changed);
    f->PerformQuery();
    QCOMPARE((QStringList{f->Header->text(), criteria.Criterion(2)->Value.String(), Counters(f)}),
             (QStringList{"Picture 1", "URE 1", "1 of 4"}));  // 1, 10, 11, 12
    QCOMPARE((QList<QRgb>{CellCentre(f, 2), CellCentre(f, 4), CellCentre(f, 5)}),
             (QList<QRgb>{ItemColour(10), ItemColour(12), qRgb(0, 0, 0)}));
    // Nothing selected: zero counters, empty cells and picture, every step disabled.
    QVERIFY(criteria.CommitText(2, "zzz").changed);
    f->PerformQuery();
    QCOMPARE(Counters(f) + Steps(f) + f->Header->text(), QString("0 of 00000"));
    QCOMPARE(CellCentre(f, 1), qRgb(0, 0, 128));  // cell 1 stays selected: navy
    for (int cell = 2; cell <= 9; ++cell) QCOMPARE(CellCentre(f, cell), qRgb(0, 0, 0));
    QVERIFY(f->SelectedPictureThumb->Image().isNull());
    Click(f->NextBtn);
    Click(f->LastBtn);
    Click(f->SelectedPictureThumb);
    QCOMPARE(f->Catalog()->CurrentItem, 0);
    QVERIFY(f->ResetSelectionsBtn->isEnabled());
    // The reset button selects everything again.
    Click(f->ResetSelectionsBtn);
    QVERIFY(!criteria.Criterion(2)->Active);
    QCOMPARE((std::pair{PageItems(f), Counters(f)}), (std::pair{Page(1, 12), QString("1 of 12")}));
    // Group: ticking one group of the list keeps that group's items (every third one).
    QVERIFY(criteria.ClickLine(1, criteria.DropDownLines(1), 3));  // "Engine", group 3
    f->PerformQuery();
    QCOMPARE(f->Header->text() + ' ' + Counters(f), "Picture 2 1 of 4");  // 2, 5, 8, 11
    Click(f->LastBtn);
    QCOMPARE(f->Header->text() + ' ' + Counters(f), QString("Picture 11 4 of 4"));
    // The selection button hides and shows the grid with the reset button.
    const auto shown = [f] {
      return QList<bool>{!f->TessaranQueryGrid->isHidden(), !f->ResetSelectionsBtn->isHidden(),
                         f->ShowSelectionBtn->ButtonIsDown()};
    };
    Click(f->ShowSelectionBtn);
    QCOMPARE(shown(), (QList<bool>{false, false, false}));
    Click(f->ShowSelectionBtn);
    QCOMPARE(shown(), (QList<bool>{true, true, true}));
  }
  void withoutCatalogueOnlyTheMenuWorks() {
    // A background that must not be loaded, and a catalogue cut short.
    QDir().mkpath(Folder() + "/i/b");
    QVERIFY(probes::Solid(640, 480, qRgb(0, 0, 255)).save(Folder() + "/i/b/pbk6x4", "BMP"));
    QVERIFY(WriteCatalogue(Folder(), 12));
    QVERIFY(QFile::resize(Folder() + "/d/ol44.cat", 64));
    QVERIFY(WritePictures(Folder(), 1, 12));
    for (const bool present : {true, false}) {
      if (!present) QVERIFY(QFile::remove(Folder() + "/d/ol44.cat"));
      TCatalogForm* f = Open();
      QCOMPARE(Held(f), "no catalogue");
      QVERIFY(f->Bk->Background().Image().isNull());
      QCOMPARE(Counters(f) + Steps(f), QString("0 of 00000"));
      QCOMPARE(f->PictureThumbs->findChildren<TProportionalImage*>().size(), 0);
      QCOMPARE((QList<bool>{f->ShowSelectionBtn->isEnabled(), f->ResetSelectionsBtn->isEnabled(),
                            f->CurItemEdit->isEnabled()}),
               (QList<bool>{false, false, false}));
      Click(f->NextBtn);
      Click(f->PictureThumbs);  // no cells to pick
      Click(f->ResetSelectionsBtn);
      Click(f->SelectedPictureThumb);
      TypeEnter(f->CurItemEdit, "1");
      // Without a catalogue the selection button only hides the grid (called directly: the
      // button is disabled, so no real click reaches it).
      f->ShowSelectionBtnClick();
      f->ShowSelectionBtnClick();
      QCOMPARE(f->PictureCache().Names(), QStringList());
      QVERIFY(f->TessaranQueryGrid->isHidden());
      main_.reset();
    }
  }
  void missingAndDamagedPicturesLeaveEmptyCells() {
    QVERIFY(WriteCatalogue(Folder(), 9));
    QVERIFY(WritePictures(Folder(), 1, 9, {3}, {5}));  // 3 is missing, 5 damaged
    TCatalogForm* f = Open();
    QCOMPARE(Held(f), "a catalogue");
    QCOMPARE((QList<QRgb>{CellCentre(f, 2), CellCentre(f, 3), CellCentre(f, 5), CellCentre(f, 6)}),
             (QList<QRgb>{ItemColour(2), qRgb(0, 0, 0), qRgb(0, 0, 0), ItemColour(6)}));
    QCOMPARE(f->ThumbnailCache().Names().join(' '), QString("P09 P08 P07 P06 P04 P02 P01"));
    QVERIFY(TempFiles().isEmpty());
    // The zoom shows the current picture, taken from the cache (now its most recently used entry).
    Click(f->NextBtn);
    QRgb centre = 0;
    QTimer::singleShot(0, [&] {
      if (TMaxZoomWindow* window = Sections().MaxZoomWindow) {
        centre = Centre(window->ItemImage);
        QTest::mouseClick(window->ItemImage, Qt::LeftButton, {}, QPoint(10, 10));
      }
    });
    QTest::mouseClick(f->SelectedPictureThumb, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(centre, ItemColour(2));
    QVERIFY(Sections().MaxZoomWindow == nullptr);
    QCOMPARE(f->PictureCache().Names().first(), QString("P02"));
    // The zoom click on a picture that cannot be had opens nothing.
    ZoomWatch watch(Sections());
    TypeEnter(f->CurItemEdit, "5");
    QVERIFY(f->SelectedPictureThumb->Image().isNull());
    Click(f->SelectedPictureThumb);
    QCoreApplication::processEvents();
    QCOMPARE((QList{watch.zoomed, f->Busy()}), (QList{false, false}));
  }
  void busyGuardsInputWhileThePageLoads() {
    TCatalogForm* f = OpenWith(20);
    QCOMPARE(Held(f), "a catalogue");
    // Input that arrives between two cells: only a picked thumbnail is acted on at once.
    bool busy = false;
    std::unique_ptr<ZoomWatch> watch;
    QTimer::singleShot(0, [&] {
      busy = f->Busy();
      watch = std::make_unique<ZoomWatch>(Sections());
      Click(f->NextBtn);
      Click(f->FirstBtn);
      Click(f->SelectedPictureThumb);
      Click(f->ResetSelectionsBtn);
      Click(f->MenuBtn[0]);
      TypeEnter(f->CurItemEdit, "3");
      Click(f->PictureThumbs->Cell(4));  // item 15, on the page being loaded
    });
    Click(f->LastBtn);  // page 12 .. 20, loaded cell by cell
    QVERIFY(busy);
    QVERIFY(watch != nullptr);
    QVERIFY(!watch->zoomed);
    watch.reset();
    QCOMPARE((QList{f->Busy(), f->isVisible()}), (QList{false, true}));  // no menu action
    QCOMPARE(Where(f), (QList<int>{15, 12, 4}));
    // The display ends on the picked picture, not on the one the load started for.
    QCOMPARE((std::tuple{PageItems(f), Showing(f), Steps(f)}),
             (std::tuple{Page(12, 20), Showing(15), QString("1111")}));
    // A query change during a load runs once the page is complete.
    QTimer::singleShot(0, [&] {
      QVERIFY(f->TessaranQueryGrid->Criteria().CommitText(2, "Picture 2").changed);
      f->PerformQuery();
      QCOMPARE(f->Catalog()->ItemCount, 20);  // not yet
    });
    Click(f->FirstBtn);
    QCOMPARE(f->Catalog()->CurrentItem, 1);
    // The deferred query is a queued call to the form: deliver it, no waiting.
    QCoreApplication::sendPostedEvents(f, QEvent::MetaCall);
    QCOMPARE(f->Header->text() + ' ' + Counters(f), QString("Picture 2 1 of 2"));  // 2 and 20
    QVERIFY(!f->Busy());
  }
  // A query committed while the zoom unpacks its picture runs as soon as the unpacking ends.
  void queryDuringTheZoomRunsWhenItEnds() {
    QVERIFY(WriteCatalogue(Folder(), 12));
    QVERIFY(WritePictures(Folder(), 2, 12, {}, {}, {1}));  // 1 is never cached
    TCatalogForm* f = Open();
    QCOMPARE(Held(f), "a catalogue");
    TTessaranQueryGrid* grid = f->TessaranQueryGrid;
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(2).center());  // Title
    QTest::mouseClick(grid->TextButton(), Qt::LeftButton);
    QTest::keyClicks(grid->Editor(), "ure 1");
    bool deferred = false;
    QTimer::singleShot(0, [&] {
      QTest::keyClick(grid->Editor(), Qt::Key_Return);
      deferred = f->Busy() && f->Catalog()->ItemCount == 12;
    });
    QTest::mouseClick(f->SelectedPictureThumb, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(deferred);
    QCoreApplication::sendPostedEvents(f, QEvent::MetaCall);  // the queued query, no waiting
    QCOMPARE(f->Catalog()->ItemCount, 4);                     // 1, 10, 11, 12
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(1).center());
    QTest::mouseClick(grid->DropDownButton(), Qt::LeftButton);
    QTest::keyClick(grid->DropDownList(), Qt::Key_F4, Qt::AltModifier);  // open list: quits
    QCOMPARE((QList{main_->isVisible(), grid->DropDownList()->isVisible()}), (QList{false, false}));
  }
  // A protected catalogue asks for its password; typed right, the Catalog opens.
  void passwordProtectedCatalogue() {
    QVERIFY(WriteCatalogue(Folder(), 5, {}, "Vaudrel"));
    QVERIFY(WritePictures(Folder(), 1, 5));
    main_ = fixture::StartMainForm(settings_, Folder(), 44, QSize(640, 480), makers_);
    QVERIFY(main_ != nullptr);
    Process().unattended = false;  // the offscreen platform counts as unattended: this test answers
    QTimer answer;
    answer.callOnTimeout([&] {
      if (auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget())) {
        QTest::keyClicks(dialog->Edit(), "Vaudrel");
        QTest::keyClick(dialog->Edit(), Qt::Key_Return);
      }
    });
    answer.start(0);
    QTest::mouseClick(Sections().Form(SectionId::Introduction)->MenuBtn[2], Qt::LeftButton);
    answer.stop();
    Process().unattended = std::nullopt;
    auto* f = dynamic_cast<TCatalogForm*>(Sections().Form(SectionId::Catalog));
    QCOMPARE(Held(f), "a catalogue");
    QCOMPARE(f->Header->text(), QString("Picture 1"));
  }
  void scaledLayoutAndPaletteDisplay() {
    QVERIFY(WriteCatalogue(Folder(), 12));
    QVERIFY(WritePictures(Folder(), 1, 12));
    main_ = fixture::StartMainForm(settings_, Folder(), 44, QSize(1024, 768), makers_);
    QVERIFY(main_ != nullptr);
    settings_.LayoutMode = 5;  // the 1024 x 768 design, scaled by 768 / 480
    Process().displayDepthOverride = 8;
    main_->GoToCatalog();
    auto* f = dynamic_cast<TCatalogForm*>(Sections().Form(SectionId::Catalog));
    settings_.LayoutMode = 0;
    Process().displayDepthOverride = 32;
    QCOMPARE(Held(f), "a catalogue");
    QCOMPARE(f->PictureThumbs->Cell(5)->geometry(), QRect(133, 145, 133, 145));  // 17-pixel bar
    QCOMPARE(CellCentre(f, 5), ItemColour(5));
    // On a 256-colour display the Catalog keeps the menu glyphs and takes the 256-colour door.
    QCOMPARE((QList{f->MenuBtn[0]->GlyphUp().isNull(), f->MenuBtn[0]->FaceVisible()}),
             (QList{false, false}));
    QCOMPARE(f->ShowSelectionBtn->GlyphUp(), LoadResourceBitmap("Door256"));
  }
  void cacheKeepsTheThirtyMostRecent() {
    // The cache against the obvious model, names in changing letter case.
    TPictureCache cache;
    CacheModel model;
    QRandomGenerator random(7);
    const QImage picture(4, 4, QImage::Format_RGB32);
    for (int step = 0; step < 2000; ++step) {
      QString name = MemberName(1 + random.bounded(45));
      if (random.bounded(2)) name = name.toLower();
      const bool cached = model.Use(name);
      QCOMPARE(cache.Find(name).isNull(), !cached);
      if (!cached) cache.Insert(name, picture), model.Touch(name);
      QCOMPARE(cache.Names(), model.List());
    }
    cache.Insert("null", QImage());
    QVERIFY(!cache.Names().contains("null"));
    // In the form: 31 different pictures leave 30; the least recently used one is gone.
    TCatalogForm* f = OpenWith(40);
    QCOMPARE(Held(f), "a catalogue");
    const QImage first = f->PictureThumbs->GetThumbPicture(2);
    Click(f->LastBtn);                // 32 .. 40, first to last
    TypeEnter(f->CurItemEdit, "20");  // 20 .. 28, last to first
    TypeEnter(f->CurItemEdit, "5");   // 5 .. 13, last to first
    QCOMPARE(f->ThumbnailCache().Names(),
             CacheModel().Load(1, 9).Load(32, 40).Load(28, 20).Load(13, 5).List());
    QCOMPARE(f->ThumbnailCache().Count(), 30);  // P01, the least recently used, is gone
    // A cached picture is the very same picture when it shows again.
    Click(f->FirstBtn);
    QCOMPARE(f->PictureThumbs->GetThumbPicture(2).cacheKey(), first.cacheKey());
  }
  void cacheHoldsWhatIsShownWithinItsBytes() {
    TPictureCache cache;
    const QImage big(2048, 2048, QImage::Format_RGB32);  // 16 MiB each: four fit in 64 MiB
    for (int n = 1; n <= 6; ++n) cache.Insert(MemberName(n), big);
    QCOMPARE(cache.Names(), (QStringList{"P06", "P05", "P04", "P03"}));
    cache.Insert("huge", QImage(4300, 4300, QImage::Format_RGB32));  // beyond the cap: kept alone
    QCOMPARE(cache.Names(), QStringList{"huge"});
    // A photo larger than the screen (640 x 480) is kept at the size it can show.
    QVERIFY(WriteCatalogue(Folder(), 1));
    QVERIFY(fixture::WriteArchive(
        Folder() + "/olvf.dat", {{MemberName(1), fixture::PlainPng(ItemColour(1), {1600, 600})}}));
    TCatalogForm* f = Open();
    QVERIFY(f != nullptr);
    QCOMPARE(f->PictureCache().Peek(MemberName(1)).size(), QSize(640, 240));
  }
  // On a ratio-2 screen (test_catalog_form_dense) the photo and its thumbnail are drawn from the
  // photo's own pixels: an enlarged ratio-1 drawing would repeat every pixel in 2 x 2 blocks.
  void denseScreenDrawsPhotosFromTheirPixels() {
    if (qApp->devicePixelRatio() < 2) QSKIP("needs QT_SCALE_FACTOR=2 (test_catalog_form_dense)");
    QImage noise(640, 480, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y)
      for (int x = 0; x < noise.width(); ++x)
        noise.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(noise.save(&buffer, "PNG"));
    QVERIFY(WriteCatalogue(Folder(), 1));
    QVERIFY(fixture::WriteArchive(Folder() + "/olvf.dat", {{MemberName(1), png}}));
    TCatalogForm* f = Open();
    QCOMPARE(Held(f), "a catalogue");
    QCOMPARE(f->NextBtn->GlyphUp().devicePixelRatio(), 2.0);  // the icon drawn for dense screens
    for (QWidget* shown : QList<QWidget*>{f->SelectedPictureThumb, f->PictureThumbs->Cell(1)}) {
      const QImage drawn = shown->grab().toImage();
      QCOMPARE(drawn.size(), shown->size() * 2);
      const QRect photo(drawn.width() / 4 & ~1, drawn.height() / 4 & ~1, drawn.width() / 2,
                        drawn.height() / 2);
      int uniform = 0, blocks = 0;
      for (int y = photo.top(); y < photo.bottom(); y += 2)
        for (int x = photo.left(); x < photo.right(); x += 2, ++blocks) {
          const QRgb c = drawn.pixel(x, y);
          uniform += drawn.pixel(x + 1, y) == c && drawn.pixel(x, y + 1) == c &&
                     drawn.pixel(x + 1, y + 1) == c;
        }
      QCOMPARE_GT(blocks, 100);
      QVERIFY2(uniform * 4 < blocks,
               qPrintable(QString("%1 of %2 blocks repeat one pixel").arg(uniform).arg(blocks)));
    }
  }
};

QTEST_MAIN(TestCatalogForm)
#include "TestCatalogForm.moc"
