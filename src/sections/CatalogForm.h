// TCatalogForm: the Catalog section, a picture browser over the catalogue of the chosen language.
#pragma once

#include "sections/SectionForm.h"

#include <QImage>
#include <QString>
#include <QStringList>

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
  // Stores `picture` under `name` at the front (a null picture is not stored), then drops the
  // least recently used entries beyond kCapacity or kMaxBytes (the new one always stays).
  void Insert(const QString& name, const QImage& picture);
  void Clear() { entries_.clear(); }

  int Count() const { return static_cast<int>(entries_.size()); }
  qint64 Bytes() const;  // the picture data held
  // The names, most recently used first.
  QStringList Names() const;

 private:
  std::vector<std::pair<QString, QImage>> entries_;
};

// The third section. The query grid at the top narrows the catalogue's items; the current
// picture shows with its title and description, the page of 3 x 3 thumbnails around it can be
// stepped through one by one or by page, and a click on the picture opens the zoom window.
// Without a catalogue (missing or unreadable file, no query definition) the section shows only
// its menu. Created by the section frame on the first visit.
class TCatalogForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TCatalogForm(QWidget* parent);
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

  // What the next Update does with the thumbnail page.
  enum : uint8_t {
    kPageValid = 0,      // the page still shows the right pictures
    kPageMovedUp = 1,    // reload the cells from the last to the first
    kPageMovedDown = 2,  // reload the cells from the first to the last (also: a new selection)
  };
  uint8_t ThumbPageMode = kPageMovedDown;
  // True while LoadThumbnailPage (or the zoom's unpacking) lets pending events run; every user
  // handler but PictureThumbsSelectThumb then ignores input, and a query asked for meanwhile
  // runs when it ends.
  bool Busy = false;
  // Null when the catalogue could not be opened or the query grid could not be bound.
  std::unique_ptr<TCatalog> Catalog;
  TPictureCache PictureCache;    // whole pictures: the current one and the zoom's
  TPictureCache ThumbnailCache;  // the thumbnail page's pictures, decoded at cell size

  // Recomputes the selection from the query grid's active rows and shows the first picture
  // (the query grid's OnSelectionChanged). Requested while Busy, it runs once the page is loaded.
  void PerformQuery();
  // Refreshes the whole display from the catalogue: the counters, the thumbnail page (loading
  // it as ThumbPageMode says), the current picture, its title and description, and which
  // controls are enabled. ThumbPageMode is kPageMovedDown afterwards.
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

  // The current picture's record number in "Picture Items", 0 when there is none.
  int32_t CurrentRecord() const;
  // The picture of archive member `name`: from the cache, else unpacked from the photo archive
  // into the temporary folder, decoded by the main form's decoder and cached. A null image when
  // the member is missing, its name is no plain file name, or it cannot be unpacked or decoded.
  QImage GetCachedPicture(const QString& name);
  // The same for a thumbnail cell: decoded at the size the cell shows it at (scaled from the
  // whole picture when that is cached), cached in ThumbnailCache.
  QImage GetCachedThumbnail(const QString& name);

 protected:
  void CreateComponents() override;
  void CreateContent() override;
  bool WantsBackground() const override;
  bool KeepsGlyphsOnPaletteDisplays() const override { return true; }
  bool MenuEnabled() const override { return !Busy; }
  void showEvent(QShowEvent* event) override;
  // Keys the focused control leaves alone, each doing what its button or the scroll bar does:
  // Left and Right step one picture, Home and End go to the first and last, Page Up and Page
  // Down move one page, Enter opens the zoom (the number edit keeps its Enter, which enters the
  // number). Everything else goes to the frame.
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Fills every cell of the page from TopItem on; direction 1 from the last cell to the first,
  // 2 from the first to the last. Lets pending events run after each cell, under Busy.
  void LoadThumbnailPage(int direction);
  // Clears Busy and queues the query deferred while it was set.
  void EndBusy();
  void Step(int32_t selectedIndex);
  // Writes the current number and the total after the labels' translated prefixes.
  void ShowCounters(bool hasRecord);
  TBaseBtn* MakeStepButton(const char* name, int tag, const QRect& box, const QString& hint,
                           const QString& glyphs);

  bool queryPending_ = false;
};

// Makes the section frame create a TCatalogForm for the Catalog (the program calls this once at
// start, before the main form opens its first section).
void RegisterCatalogForm();

}  // namespace orlaventis
