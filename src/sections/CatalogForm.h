// TCatalogForm: the Catalog section, a picture browser over the catalogue of the chosen language.
#pragma once

#include "sections/SectionForm.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace orlaventis {

class TCatalog;
class TProportionalImage;
class TTessaranQueryGrid;
class TThumbnailGrid;

// The pictures the Catalog unpacked last: archive member names (letter case ignored, as in the
// archive index) with their decoded pictures, most recently used first, at most kCapacity
// pictures and, beside the newest one, at most kMaxBytes of picture data.
class TPictureCache {
 public:
  static constexpr int kCapacity = 30;
  static constexpr qint64 kMaxBytes = 64LL * 1024 * 1024;

  // The picture stored under `name` (moved to the front), or a null image when there is none.
  QImage Find(const QString& name);
  // The same without moving it: the order stays as it is.
  QImage Peek(const QString& name) const;
  // Stores `picture` under `name` at the front (a null picture is not stored), then drops the
  // least recently used entries beyond kCapacity or kMaxBytes (the new one always stays).
  void Insert(const QString& name, const QImage& picture);
  void Clear() { entries_.clear(); }

  int Count() const { return static_cast<int>(entries_.size()); }
  qint64 Bytes() const;  // the picture data held
  // The names, most recently used first.
  QStringList Names() const;

 private:
  // The index of the entry stored under `name`, -1 when there is none.
  std::ptrdiff_t IndexOf(const QString& name) const;

  std::vector<std::pair<QString, QImage>> entries_;
};

// What the next display of the Catalog does with its thumbnail page.
enum class ThumbPageMode : uint8_t {
  Valid,      // the page still shows the right pictures
  MovedUp,    // reload the cells from the last to the first
  MovedDown,  // reload the cells from the first to the last (also: a new selection)
};

// Where the thumbnail page stands for a position: the item cell 1 shows (0 without items), the
// selected cell (1-based) and how the page is to be reloaded.
struct ThumbPagePlacement {
  int32_t top = 0;
  int32_t cell = 1;
  ThumbPageMode mode = ThumbPageMode::MovedDown;
};

// The page of `cells` cells (at least 1) that shows item `current` of `count`, moved as little
// as possible from the page whose first item is `top` (below 1: the first item). A page moved
// towards the start reloads from its last cell, one moved towards the end from its first;
// an unmoved page keeps `mode`. Without items: top 0, cell 1, `mode`.
ThumbPagePlacement PlaceThumbPage(int32_t count, int32_t current, int32_t top, int32_t cells,
                                  ThumbPageMode mode);

// The third section. The query grid at the top narrows the catalogue's items; the current
// picture shows with its title and description, the page of 3 x 3 thumbnails around it can be
// stepped through one by one or by page, and a click on the picture opens the zoom window.
// Without a catalogue (missing or unreadable file, no query definition) the section shows only
// its menu. Created by the section frame on the first visit.
class TCatalogForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TCatalogForm(TSectionSet& sections);
  ~TCatalogForm() override;  // FormDestroy

  // Components (children of the form).
  TTessaranQueryGrid* TessaranQueryGrid = nullptr;  // made in CreateContent
  TBaseBtn* ShowSelectionBtn = nullptr;
  TBaseBtn* ResetSelectionsBtn = nullptr;
  QLabel* Header = nullptr;
  TProportionalImage* SelectedPictureThumb = nullptr;
  QPlainTextEdit* Description = nullptr;  // made in CreateContent
  QLabel* CurItemLbl = nullptr;
  QLineEdit* CurItemEdit = nullptr;
  QLabel* TotalItemsLbl = nullptr;
  TThumbnailGrid* PictureThumbs = nullptr;
  TBaseBtn* FirstBtn = nullptr;
  TBaseBtn* PreviousBtn = nullptr;
  TBaseBtn* NextBtn = nullptr;
  TBaseBtn* LastBtn = nullptr;

  // True while LoadThumbnailPage (or the zoom's unpacking) lets pending events run; every user
  // handler but PictureThumbsSelectThumb then ignores input, and a query asked for meanwhile
  // runs when it ends.
  bool Busy() const { return busy_; }
  // Null when the catalogue could not be opened or the query grid could not be bound.
  const TCatalog* Catalog() const { return catalog_.get(); }
  // Whole pictures: the current one and the zoom's.
  const TPictureCache& PictureCache() const { return pictureCache_; }
  // The thumbnail page's pictures, decoded at cell size.
  const TPictureCache& ThumbnailCache() const { return thumbnailCache_; }

  // Recomputes the selection from the query grid's active rows and shows the first picture
  // (the query grid's SelectionChanged). Requested while Busy, it runs once the page is loaded.
  void PerformQuery();
  // Refreshes the whole display from the catalogue: the counters, the thumbnail page (loading
  // it as the page mode says), the current picture, its title and description, and which
  // controls are enabled. The page mode is MovedDown afterwards.
  void Update();

  // Steps; each moves only when the catalogue accepts the position (no wrap-around).
  void FirstBtnClick();
  void PreviousBtnClick();
  void NextBtnClick();
  void LastBtnClick();
  // The grid reports item `item` (a cell or a scroll position). Acts also while Busy.
  void PictureThumbsSelectThumb(QObject* sender, int32_t item);
  // Goes to the number typed in CurItemEdit (the current one when it is no number) and always
  // reloads the thumbnail page. A number outside 1..ItemCount changes nothing but the edit,
  // which shows the current number again.
  void CurGroupOrItemEditExit();
  void ResetSelectionsBtnClick();
  void ShowSelectionBtnClick();
  // Opens the current picture in the zoom window (modal) when it can be had.
  void SelectedPictureThumbClick();
  // Closes the query grid's editors, shows it with every criterion reset and the first picture.
  void ResetState() override;
  // A search result of this section: see TSectionForm.
  void ShowSearchEntry(const TSearchEntry& entry) override;
  // Shows the picture of `record` (a record of the items table), first resetting the query
  // when the picture lies outside it. Does nothing while Busy; a record no query can select
  // leaves the reset query on its first picture.
  void ShowRecord(int32_t record);

  // The current picture's record number in the items table (content::kPictureItemsTable), 0 when
  // there is none.
  int32_t CurrentRecord() const;
  // The picture of archive member `name`: from the cache, else unpacked from the photo archive
  // into the temporary folder, decoded by the main form's decoder and cached. A null image when
  // the member is missing, its name is no plain file name, or it cannot be unpacked or decoded.
  QImage GetCachedPicture(const QString& name);
  // The same for a thumbnail cell: decoded at the size the cell shows it at (scaled from the
  // whole picture when that is cached), cached in ThumbnailCache().
  QImage GetCachedThumbnail(const QString& name);

 protected:
  void CreateComponents() override;
  void CreateContent() override;
  bool WantsBackground() const override;
  bool KeepsGlyphsOnPaletteDisplays() const override { return true; }
  bool MenuEnabled() const override { return !busy_; }
  void showEvent(QShowEvent* event) override;
  // Keys the focused control leaves alone, each doing what its button or the scroll bar does:
  // Left and Right step one picture, Home and End go to the first and last, Page Up and Page
  // Down move one page, Enter opens the zoom (the number edit keeps its Enter, which enters the
  // number). Everything else goes to the frame.
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Places the thumbnail page around the current item (PlaceThumbPage) and selects its cell;
  // returns the current record, 0 when there is none.
  int32_t PlaceCurrentItem();
  // Loads the page as the page mode says and shows the picture of `record` (none when 0) with
  // its title and description; unpacking runs under Busy. False when the form was destroyed
  // meanwhile or a nested Update showed a newer position (which then did the rest).
  bool ShowPicture(int32_t record);
  // Enables the steps that can move and the controls that need a catalogue.
  void EnableSteps();
  // Fills every cell of the page from TopItem on, from the last cell to the first when
  // `direction` is MovedUp, else from the first to the last. Lets pending events run after each
  // cell, under Busy.
  void LoadThumbnailPage(ThumbPageMode direction);
  // Clears Busy and queues the query deferred while it was set.
  void EndBusy();
  void Step(int32_t selectedIndex);
  // Writes the current number and the total after the labels' translated prefixes.
  void ShowCounters(bool hasRecord);
  TBaseBtn* MakeStepButton(const char* name, int tag, const QRect& box, const QString& hint,
                           const QString& glyphs);

  bool busy_ = false;
  bool queryPending_ = false;
  ThumbPageMode pageMode_ = ThumbPageMode::MovedDown;
  std::unique_ptr<TCatalog> catalog_;
  TPictureCache pictureCache_;
  TPictureCache thumbnailCache_;
  // The context of the connections from the children to this form: destroyed with this part
  // of the form, before QWidget tears the children down (which may still make them signal).
  QObject alive_;
};

}  // namespace orlaventis
