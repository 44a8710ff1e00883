// Tests of the Catalog section: browsing, paging, the picture cache, queries, zoom and the Busy guard.
#include "sections/CatalogForm.h"

#include "SlideFixture.h"
#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"
#include "database/Catalog.h"
#include "sections/MaxZoomWindow.h"
#include "sections/QueryGrid.h"
#include "sections/ThumbnailGrid.h"
#include "shell/LanguageFile.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <list>

using namespace orlaventis;

namespace {

// One picture item of the fixture catalogue.
struct Item {
  int group = 1;
  QString header;
};

// A distinct colour per item number (its red channel is unique up to 50 items).
QRgb ItemColour(int n) { return qRgb(5 * n, 250 - 4 * n, n % 2 ? 40 : 160); }

QString MemberName(int n) { return QStringLiteral("P%1").arg(n, 2, 10, QLatin1Char('0')); }


olvtool::ColumnSource Column(const QString& name, ColumnType type) {
  olvtool::ColumnSource column;
  column.name = name;
  column.type = type;
  return column;
}

// d/ol44.cat with "Picture Groups" (3 groups), "Picture Items" (Item Number "P01".., Header,
// Description of two lines) and "Picture Properties" with the rows Group (link list) and Title.
bool WriteCatalogue(const QString& folder, const std::vector<Item>& items) {
  olvtool::DatabaseSource db;
  olvtool::TableSource groups{"Picture Groups", {Column("Group", ColumnType::ctString)}, {{"Exterior"}, {"Interior"}, {"Engine"}}, true};
  olvtool::ColumnSource link = Column("Group", ColumnType::ctLinkList);
  link.linkTable = "Picture Groups";
  link.linkColumn = "Group";
  link.linkCount = 1;
  olvtool::TableSource table{"Picture Items",
                             {link, Column("Item Number", ColumnType::ctString), Column("Header", ColumnType::ctString),
                              Column("Description", ColumnType::ctString)},
                             {},
                             true};
  for (size_t i = 0; i < items.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    table.records.push_back({QString::number(items[i].group), MemberName(n), items[i].header,
                             QStringLiteral("About picture %1.\r\nSecond line.").arg(n)});
  }
  olvtool::TableSource properties{"Picture Properties",
                                  {Column("Table", ColumnType::ctString), Column("Show", ColumnType::ctString),
                                   Column("Definition", ColumnType::ctString), Column("Column", ColumnType::ctString),
                                   Column("Hint", ColumnType::ctString), Column("Select All Label", ColumnType::ctString),
                                   Column("Label", ColumnType::ctString)},
                                  {{"Picture Items", "Yes", "Q", "Group", "Choose groups", "All groups", "Group"},
                                   {"Picture Items", "Yes", "Q", "Header", "Words of the title", "All titles", "Title"}},
                                  true};
  db.tables = {groups, table, properties};
  QDir().mkpath(folder + "/d");
  QString error;
  if (olvtool::WriteDatabase(db, folder + "/d/ol44.cat", QString(), &error)) return true;
  qWarning() << error;
  return false;
}

// olvf.dat with "P01".. for `numbers`; `damaged` members cannot be unpacked.
bool WritePictures(const QString& folder, const std::vector<int>& numbers, const std::vector<int>& damaged = {}) {
  const auto members = [](const std::vector<int>& from) {
    std::vector<fixture::Member> out;
    for (int n : from) out.push_back({MemberName(n), fixture::PlainPng(ItemColour(n))});
    return out;
  };
  return fixture::WritePhotoArchive(folder, members(numbers), members(damaged));
}

std::vector<Item> Items(int count) {
  std::vector<Item> items;
  for (int n = 1; n <= count; ++n) items.push_back({1 + n % 3, QStringLiteral("Picture %1").arg(n)});
  return items;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> numbers;
  for (int n = from; n <= to; ++n) numbers.push_back(n);
  return numbers;
}

// A least-recently-used list kept the obvious way.
struct CacheModel {
  std::list<QString> names;
  void Touch(const QString& name) {
    names.remove_if([&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
    names.push_front(name);
    while (names.size() > 30) names.pop_back();
  }
  QStringList List() const { return QStringList(names.begin(), names.end()); }
};

}  // namespace

class TestCatalogForm : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TMainForm> main_;
  RecordedMessages messages_;

  QString Folder() const { return dir_->path(); }

  TCatalogForm* Open() {
    main_ = fixture::StartMainForm(Folder(), 44);
    if (!main_) return nullptr;
    main_->GoToCatalog();
    return dynamic_cast<TCatalogForm*>(SectionForm(SectionId::Catalog));
  }

  // The colour in the middle of a picture control as it shows itself.
  static QRgb Centre(TProportionalImage* picture) {
    return fixture::PixelOf(picture, QPoint(picture->width() / 2, picture->height() / 2));
  }
  static QRgb CellCentre(TCatalogForm* form, int cell) { return Centre(form->PictureThumbs->Cell(cell)); }

  // Every cell shows the picture of item top - 1 + cell (none past `count`).
  static bool PageShows(TCatalogForm* form, int top, int count) {
    for (int cell = 1; cell <= 9; ++cell) {
      const int item = top - 1 + cell;
      const QRgb expected = item <= count ? ItemColour(item) : qRgb(0, 0, 0);
      if (CellCentre(form, cell) != expected) {
        qWarning() << "cell" << cell << "shows" << Qt::hex << CellCentre(form, cell);
        return false;
      }
    }
    return true;
  }

  static void ReleaseEnter(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    QTest::keyRelease(edit, Qt::Key_Return);
  }

 private slots:
  void initTestCase() {
    InstallMessages(&messages_);
    InstallSectionRoutines(SectionFormRoutines());
    RegisterCatalogForm();
    FarewellMs = 0;
  }

  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    messages_.Clear();
    QDir().mkpath(Folder() + "/d");
    QVERIFY(testing::WriteLanguageFile(Folder() + "/d/olv.lng",
                                       {{"44", "English", {{"3011", "Picture", ""}, {"3012", "of ", ""}, {"3013", "", "First picture"}}}}));
  }

  void cleanup() { main_.reset(); }

  void browsesOneByOneAndByPage() {
    std::vector<Item> items = Items(13);
    items[12].group = 0;  // belongs to no group: never selected
    QVERIFY(WriteCatalogue(Folder(), items));
    QVERIFY(WritePictures(Folder(), Range(1, 13)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr);
    QVERIFY(form->Catalog != nullptr);
    QCOMPARE(form->Catalog->ItemCount, 12);
    QCOMPARE(form->Catalog->CurrentItem, 1);
    // Translated label texts keep the counts behind them.
    QCOMPARE(form->CurItemLbl->text(), QString("Picture"));
    QCOMPARE(form->TotalItemsLbl->text(), QString("of 12"));
    QCOMPARE(form->CurItemEdit->text(), QString("1"));
    QCOMPARE(form->FirstBtn->toolTip(), QString("First picture"));
    QCOMPARE(form->CurItemEdit->toolTip(), QString("Geef een fotonummer op"));
    QVERIFY(PageShows(form, 1, 12));
    QCOMPARE(Centre(form->SelectedPictureThumb), ItemColour(1));
    QCOMPARE(form->Header->text(), QString("Picture 1"));
    QCOMPARE(form->Description->toPlainText(), QString("About picture 1.\nSecond line."));
    QVERIFY(!form->FirstBtn->isEnabled());
    QVERIFY(!form->PreviousBtn->isEnabled());
    QVERIFY(form->NextBtn->isEnabled());
    QVERIFY(form->LastBtn->isEnabled());
    QCOMPARE(form->ThumbPageMode, TCatalogForm::kPageMovedDown);
    // Cells loaded first to last: the last one is the most recently used.
    CacheModel model;
    for (int n = 1; n <= 9; ++n) model.Touch(MemberName(n));
    QCOMPARE(form->PictureCache.Names(), model.List());
    QVERIFY(fixture::TempFiles().isEmpty());

    // Previous on the first picture does nothing.
    form->PreviousBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 1);
    // Within the page nothing is unpacked or looked up again.
    for (int i = 0; i < 8; ++i) form->NextBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 9);
    QCOMPARE(form->PictureThumbs->SelectedThumb(), 9);
    QCOMPARE(form->PictureThumbs->ScrollBar()->value(), 9);
    QCOMPARE(form->PictureCache.Names(), model.List());
    QCOMPARE(Centre(form->SelectedPictureThumb), ItemColour(9));
    QCOMPARE(form->Header->text(), QString("Picture 9"));

    // 9 -> 10 scrolls the page by one, filling it first to last.
    form->NextBtnClick();
    QCOMPARE(form->PictureThumbs->TopItem(), 2);
    QCOMPARE(form->PictureThumbs->SelectedThumb(), 9);
    QVERIFY(PageShows(form, 2, 12));
    for (int n = 2; n <= 10; ++n) model.Touch(MemberName(n));
    QCOMPARE(form->PictureCache.Names(), model.List());

    // Back to 1: picture 1 becomes the first cell, the cells fill from the last to the first.
    form->FirstBtnClick();
    QCOMPARE(form->PictureThumbs->TopItem(), 1);
    QCOMPARE(form->PictureThumbs->SelectedThumb(), 1);
    for (int n = 9; n >= 1; --n) model.Touch(MemberName(n));
    QCOMPARE(form->PictureCache.Names(), model.List());
    QCOMPARE(form->PictureCache.Names().first(), QString("P01"));

    // Last, then Next does nothing; the counters and buttons follow.
    form->LastBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 12);
    QCOMPARE(form->PictureThumbs->TopItem(), 4);
    QVERIFY(PageShows(form, 4, 12));
    form->NextBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 12);
    QVERIFY(form->FirstBtn->isEnabled());
    QVERIFY(!form->NextBtn->isEnabled());
    QVERIFY(!form->LastBtn->isEnabled());
    QCOMPARE(form->TotalItemsLbl->text(), QString("of 12"));

    // A picked cell moves there without reloading the page.
    const QStringList before = form->PictureCache.Names();
    QTest::mouseClick(form->PictureThumbs->Cell(2), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(form->Catalog->CurrentItem, 5);
    QCOMPARE(form->PictureCache.Names(), before);
    QCOMPARE(Centre(form->SelectedPictureThumb), ItemColour(5));

    // A typed number reloads the page even when it is on it; other input changes nothing.
    ReleaseEnter(form->CurItemEdit, "7");
    QCOMPARE(form->Catalog->CurrentItem, 7);
    QCOMPARE(form->PictureThumbs->TopItem(), 4);
    QCOMPARE(form->PictureCache.Names().first(), QString("P12"));
    ReleaseEnter(form->CurItemEdit, "13");
    QCOMPARE(form->Catalog->CurrentItem, 7);
    ReleaseEnter(form->CurItemEdit, "0");
    QCOMPARE(form->Catalog->CurrentItem, 7);
    ReleaseEnter(form->CurItemEdit, "three");  // not a number: the current one
    QCOMPARE(form->Catalog->CurrentItem, 7);
    QCOMPARE(form->CurItemEdit->text(), QString("7"));
    ReleaseEnter(form->CurItemEdit, "$2");  // a hexadecimal number
    QCOMPARE(form->Catalog->CurrentItem, 2);
    QCOMPARE(form->PictureThumbs->TopItem(), 2);

    // A page step on the scroll bar goes to the item it points at.
    form->PictureThumbs->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(form->Catalog->CurrentItem, 11);
    QCOMPARE(form->PictureThumbs->TopItem(), 3);
    QCOMPARE(form->Header->text(), QString("Picture 11"));
    QVERIFY(fixture::TempFiles().isEmpty());
    QVERIFY(messages_.All().isEmpty());
  }

  void queriesNarrowTheSelection() {
    QVERIFY(WriteCatalogue(Folder(), Items(12)));
    QVERIFY(WritePictures(Folder(), Range(1, 12)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    TQueryCriteria& criteria = form->TessaranQueryGrid->Criteria();
    QCOMPARE(criteria.Count(), 2);

    // Title: anywhere in the text, regardless of letter case; the row then shows capitals.
    QVERIFY(criteria.CommitText(2, "ure 1").changed);
    form->PerformQuery();
    QCOMPARE(form->Catalog->ItemCount, 4);  // 1, 10, 11, 12
    QCOMPARE(form->Header->text(), QString("Picture 1"));
    QCOMPARE(criteria.Criterion(2)->Value.String(), QString("URE 1"));
    QCOMPARE(CellCentre(form, 2), ItemColour(10));
    QCOMPARE(CellCentre(form, 4), ItemColour(12));
    QCOMPARE(CellCentre(form, 5), qRgb(0, 0, 0));
    QCOMPARE(form->TotalItemsLbl->text(), QString("of 4"));

    // Nothing selected: zero counters, empty cells and picture, every step disabled.
    QVERIFY(criteria.CommitText(2, "zzz").changed);
    form->PerformQuery();
    QCOMPARE(form->Catalog->ItemCount, 0);
    QCOMPARE(form->CurItemEdit->text(), QString("0"));
    QCOMPARE(form->TotalItemsLbl->text(), QString("of 0"));
    // Cell 1 stays selected: its empty background is navy.
    QCOMPARE(CellCentre(form, 1), qRgb(0, 0, 128));
    for (int cell = 2; cell <= 9; ++cell) QCOMPARE(CellCentre(form, cell), qRgb(0, 0, 0));
    QVERIFY(form->SelectedPictureThumb->Image().isNull());
    QVERIFY(form->Header->text().isEmpty());
    QVERIFY(form->Description->toPlainText().isEmpty());
    for (TBaseBtn* button : {form->FirstBtn, form->PreviousBtn, form->NextBtn, form->LastBtn}) {
      QVERIFY(!button->isEnabled());
    }
    form->NextBtnClick();
    form->LastBtnClick();
    form->SelectedPictureThumbClick();
    QCOMPARE(form->Catalog->CurrentItem, 0);
    QVERIFY(form->ResetSelectionsBtn->isEnabled());

    // The reset button selects everything again.
    form->ResetSelectionsBtnClick();
    QCOMPARE(form->Catalog->ItemCount, 12);
    QVERIFY(!criteria.Criterion(2)->Active);
    QCOMPARE(form->TotalItemsLbl->text(), QString("of 12"));
    QVERIFY(PageShows(form, 1, 12));

    // Group: ticking one group of the list keeps that group's items (every third one).
    const std::vector<TDropDownLine> lines = criteria.DropDownLines(1);
    QCOMPARE(lines.size(), size_t(4));
    QVERIFY(criteria.ClickLine(1, lines, 3));  // "Engine", group 3
    form->PerformQuery();
    QCOMPARE(form->Catalog->ItemCount, 4);  // 2, 5, 8, 11
    QCOMPARE(form->Header->text(), QString("Picture 2"));
    form->LastBtnClick();
    QCOMPARE(form->Header->text(), QString("Picture 11"));

    // The selection button hides and shows the grid with the reset button.
    form->ShowSelectionBtnClick();
    QVERIFY(form->TessaranQueryGrid->isHidden());
    QVERIFY(form->ResetSelectionsBtn->isHidden());
    QVERIFY(!form->ShowSelectionBtn->ButtonIsDown());
    form->ShowSelectionBtnClick();
    QVERIFY(!form->TessaranQueryGrid->isHidden());
    QVERIFY(form->ShowSelectionBtn->ButtonIsDown());
  }

  // Several values can be ticked in a row: the list stays open while the page reloads.
  void dropDownStaysOpenAcrossTicks() {
    QVERIFY(WriteCatalogue(Folder(), Items(12)));
    QVERIFY(WritePictures(Folder(), Range(1, 12)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    TTessaranQueryGrid* grid = form->TessaranQueryGrid;
    QVERIFY(grid->Criteria().Criterion(1)->IsLinkList());
    grid->OpenCurrentRow();
    QWidget* list = grid->DropDownList();
    QVERIFY(list->isVisible());
    const int w = grid->DefaultRowHeight();
    const int before = form->Catalog->ItemCount;
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w + w / 2, w + w / 2));
    QVERIFY(form->Catalog->ItemCount < before);
    QVERIFY(list->isVisible());
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(w + w / 2, 2 * w + w / 2));
    QVERIFY(list->isVisible());
  }

  void withoutCatalogueOnlyTheMenuWorks() {
    // A background that must not be loaded, and a catalogue cut short.
    QDir().mkpath(Folder() + "/i/b");
    QImage background(640, 480, QImage::Format_RGB32);
    background.fill(qRgb(0, 0, 255));
    QVERIFY(background.save(Folder() + "/i/b/pbk6x4", "BMP"));
    QVERIFY(WriteCatalogue(Folder(), Items(12)));
    QFile cut(Folder() + "/d/ol44.cat");
    QVERIFY(cut.open(QIODevice::ReadWrite));
    QVERIFY(cut.resize(64));
    cut.close();
    QVERIFY(WritePictures(Folder(), Range(1, 12)));

    for (const bool present : {true, false}) {
      if (!present) QVERIFY(QFile::remove(Folder() + "/d/ol44.cat"));
      TCatalogForm* form = Open();
      QVERIFY(form != nullptr);
      QVERIFY(form->Catalog == nullptr);
      QVERIFY(form->Bk->Background().Image().isNull());
      QCOMPARE(form->CurItemEdit->text(), QString("0"));
      QCOMPARE(form->TotalItemsLbl->text(), QString("of 0"));
      QCOMPARE(form->PictureThumbs->findChildren<TProportionalImage*>().size(), 0);
      for (TBaseBtn* button : {form->FirstBtn, form->PreviousBtn, form->NextBtn, form->LastBtn,
                               form->ShowSelectionBtn, form->ResetSelectionsBtn}) {
        QVERIFY(!button->isEnabled());
      }
      QVERIFY(!form->CurItemEdit->isEnabled());
      form->NextBtnClick();
      form->PictureThumbsSelectThumb(form->PictureThumbs, 1);
      form->ResetSelectionsBtnClick();
      form->SelectedPictureThumbClick();
      ReleaseEnter(form->CurItemEdit, "1");
      QVERIFY(form->PictureCache.Names().isEmpty());
      // Without a catalogue the selection button only hides the grid.
      form->ShowSelectionBtnClick();
      form->ShowSelectionBtnClick();
      QVERIFY(form->TessaranQueryGrid->isHidden());
      main_.reset();
    }
  }

  void missingAndDamagedPicturesLeaveEmptyCells() {
    QVERIFY(WriteCatalogue(Folder(), Items(9)));
    QVERIFY(WritePictures(Folder(), {1, 2, 4, 6, 7, 8, 9}, {5}));  // 3 is missing, 5 damaged
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    QCOMPARE(CellCentre(form, 2), ItemColour(2));
    QCOMPARE(CellCentre(form, 3), qRgb(0, 0, 0));
    QCOMPARE(CellCentre(form, 5), qRgb(0, 0, 0));
    QCOMPARE(CellCentre(form, 6), ItemColour(6));
    QCOMPARE(form->PictureCache.Count(), 7);
    QVERIFY(!form->PictureCache.Names().contains("P05"));
    QVERIFY(fixture::TempFiles().isEmpty());

    // The zoom click on a picture that cannot be had opens nothing.
    bool zoomed = false;
    QTimer closer;
    closer.callOnTimeout([&] {
      if (TMaxZoomWindow* window = MaxZoomWindow()) {
        zoomed = true;
        window->close();
      }
    });
    closer.start(0);
    form->LastBtnClick();
    form->PreviousBtnClick();
    form->PreviousBtnClick();
    form->PreviousBtnClick();
    form->PreviousBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 5);
    QVERIFY(form->SelectedPictureThumb->Image().isNull());
    form->SelectedPictureThumbClick();
    QCoreApplication::processEvents();
    QVERIFY(!zoomed);
    QVERIFY(!form->Busy);
  }

  void zoomShowsTheCurrentPicture() {
    QVERIFY(WriteCatalogue(Folder(), Items(3)));
    QVERIFY(WritePictures(Folder(), Range(1, 3)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    form->NextBtnClick();
    bool shown = false;
    QRgb centre = 0;
    QSize percentages;
    QTimer::singleShot(0, [&] {
      TMaxZoomWindow* window = MaxZoomWindow();
      if (window == nullptr) return;
      shown = true;
      centre = Centre(window->ItemImage);
      percentages = QSize(window->ItemImage->Sx(), window->ItemImage->Sy());
      QTest::mouseClick(window->ItemImage, Qt::LeftButton, {}, QPoint(10, 10));
    });
    QTest::mouseClick(form->SelectedPictureThumb, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(shown);
    QVERIFY(MaxZoomWindow() == nullptr);
    QCOMPARE(centre, ItemColour(2));
    QCOMPARE(percentages, QSize(12, 12));  // 40 x 30 on 640 x 480, doubled: 12.5 to the even 12
    // The picture came from the cache, now the most recently used entry.
    QCOMPARE(form->PictureCache.Names().first(), QString("P02"));
    QCOMPARE(form->PictureCache.Count(), 3);
  }

  void busyGuardsInputWhileThePageLoads() {
    QVERIFY(WriteCatalogue(Folder(), Items(20)));
    QVERIFY(WritePictures(Folder(), Range(1, 20)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);

    // Input that arrives between two cells: only a picked thumbnail is acted on at once.
    bool ran = false;
    bool busy = false;
    bool zoomed = false;
    QTimer closer;
    closer.callOnTimeout([&] {
      if (TMaxZoomWindow* window = MaxZoomWindow()) {
        zoomed = true;
        window->close();
      }
    });
    QTimer::singleShot(0, [&] {
      ran = true;
      busy = form->Busy;
      closer.start(0);
      form->NextBtnClick();
      form->FirstBtnClick();
      form->SelectedPictureThumbClick();
      form->ResetSelectionsBtnClick();
      form->MenuButtonClick(form->MenuBtn[0]);
      ReleaseEnter(form->CurItemEdit, "3");
      form->PictureThumbsSelectThumb(form->PictureThumbs, 15);  // on the page being loaded
    });
    form->LastBtnClick();  // page 12 .. 20, loaded cell by cell
    closer.stop();
    QVERIFY(ran);
    QVERIFY(busy);
    QVERIFY(!zoomed);
    QVERIFY(!form->Busy);
    QVERIFY(form->isVisible());  // the menu did not act
    QCOMPARE(form->Catalog->CurrentItem, 15);
    QCOMPARE(form->PictureThumbs->TopItem(), 12);
    QCOMPARE(form->PictureThumbs->SelectedThumb(), 4);
    QVERIFY(PageShows(form, 12, 20));
    // The display ends on the picked picture, not on the one the load started for.
    QCOMPARE(form->Header->text(), QString("Picture 15"));
    QCOMPARE(Centre(form->SelectedPictureThumb), ItemColour(15));
    QCOMPARE(form->CurItemEdit->text(), QString("15"));
    QVERIFY(form->PreviousBtn->isEnabled() && form->NextBtn->isEnabled());

    // A query change during a load runs once the page is complete.
    QTimer::singleShot(0, [&] {
      QVERIFY(form->TessaranQueryGrid->Criteria().CommitText(2, "Picture 2").changed);
      form->PerformQuery();
      QCOMPARE(form->Catalog->ItemCount, 20);  // not yet
    });
    form->FirstBtnClick();
    QCOMPARE(form->Catalog->CurrentItem, 1);
    // The deferred query is a queued call to the form: deliver it, no waiting.
    QCoreApplication::sendPostedEvents(form, QEvent::MetaCall);
    QCOMPARE(form->Catalog->ItemCount, 2);  // 2 and 20
    QCOMPARE(form->Header->text(), QString("Picture 2"));
    QVERIFY(!form->Busy);
  }

  void scaledLayoutAndPaletteDisplay() {
    QVERIFY(WriteCatalogue(Folder(), Items(12)));
    QVERIFY(WritePictures(Folder(), Range(1, 12)));
    main_ = fixture::StartMainForm(Folder(), 44);
    QVERIFY(main_ != nullptr);
    main_->setGeometry(0, 0, 1024, 768);
    LayoutMode = 5;  // the 1024 x 768 design, scaled by 768 / 480
    SetDisplayDepthOverride(8);
    main_->GoToCatalog();
    auto* form = dynamic_cast<TCatalogForm*>(SectionForm(SectionId::Catalog));
    LayoutMode = 0;
    SetDisplayDepthOverride(32);
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    QCOMPARE(form->size(), QSize(1024, 768));
    QCOMPARE(form->TessaranQueryGrid->DefaultRowHeight(), 24);
    QCOMPARE(form->PictureThumbs->geometry(), QRect(570, 240, 418, 437));
    // The scroll bar keeps its 17 pixels; the cells share the rest.
    QCOMPARE(form->PictureThumbs->ScrollBar()->geometry(), QRect(401, 0, 17, 437));
    QCOMPARE(form->PictureThumbs->Cell(5)->geometry(), QRect(133, 145, 133, 145));
    QCOMPARE(CellCentre(form, 5), ItemColour(5));
    // On a 256-colour display the Catalog keeps the menu glyphs and takes the 256-colour door.
    QVERIFY(!form->MenuBtn[0]->GlyphUp().isNull());
    QVERIFY(!form->MenuBtn[0]->FaceVisible());
    QCOMPARE(form->ShowSelectionBtn->GlyphUp(), LoadResourceBitmap("Door256"));
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
      const bool cached = std::any_of(model.names.begin(), model.names.end(), [&](const QString& n) {
        return n.compare(name, Qt::CaseInsensitive) == 0;
      });
      if (cached) {
        QVERIFY(!cache.Find(name).isNull());
        const auto it = std::find_if(model.names.begin(), model.names.end(), [&](const QString& n) {
          return n.compare(name, Qt::CaseInsensitive) == 0;
        });
        model.names.splice(model.names.begin(), model.names, it);
      } else {
        QVERIFY(cache.Find(name).isNull());
        cache.Insert(name, picture);
        model.Touch(name);
      }
      QCOMPARE(cache.Names(), model.List());
    }
    cache.Insert("null", QImage());
    QVERIFY(!cache.Names().contains("null"));

    // In the form: 31 different pictures leave 30; the least recently used one is gone.
    QVERIFY(WriteCatalogue(Folder(), Items(40)));
    QVERIFY(WritePictures(Folder(), Range(1, 40)));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr && form->Catalog != nullptr);
    const QImage first = form->PictureThumbs->GetThumbPicture(2);
    form->LastBtnClick();                    // 32 .. 40, first to last
    ReleaseEnter(form->CurItemEdit, "20");  // 20 .. 28, last to first
    ReleaseEnter(form->CurItemEdit, "5");   // 5 .. 13, last to first
    CacheModel pages;
    for (int n = 1; n <= 9; ++n) pages.Touch(MemberName(n));
    for (int n = 32; n <= 40; ++n) pages.Touch(MemberName(n));
    for (int n = 28; n >= 20; --n) pages.Touch(MemberName(n));
    for (int n = 13; n >= 5; --n) pages.Touch(MemberName(n));
    QCOMPARE(form->PictureCache.Count(), 30);
    QCOMPARE(form->PictureCache.Names(), pages.List());
    QVERIFY(!form->PictureCache.Names().contains("P01"));
    // A cached picture is the very same picture when it shows again.
    form->FirstBtnClick();
    QCOMPARE(form->PictureThumbs->GetThumbPicture(2).cacheKey(), first.cacheKey());
  }

  void cacheHoldsWhatIsShownWithinItsBytes() {
    TPictureCache cache;
    const QImage big(2048, 2048, QImage::Format_RGB32);  // 16 MiB each: four fit in 64 MiB
    for (int n = 1; n <= 6; ++n) cache.Insert(MemberName(n), big);
    QCOMPARE(cache.Names(), (QStringList{MemberName(6), MemberName(5), MemberName(4), MemberName(3)}));
    cache.Insert("huge", QImage(4300, 4300, QImage::Format_RGB32));  // beyond the cap: kept alone
    QCOMPARE(cache.Names(), QStringList{"huge"});
    // A photo larger than the screen (640 x 480) is kept at the size it can show.
    QImage wide(1600, 600, QImage::Format_RGB32);
    wide.fill(ItemColour(1));
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && wide.save(&buffer, "PNG"));
    QVERIFY(WriteCatalogue(Folder(), Items(1)));
    QVERIFY(fixture::WritePhotoArchive(Folder(), {{MemberName(1), png}}));
    TCatalogForm* form = Open();
    QVERIFY(form != nullptr);
    QCOMPARE(form->PictureCache.Find(MemberName(1)).size(), QSize(640, 240));
  }
};

QTEST_MAIN(TestCatalogForm)
#include "TestCatalogForm.moc"
