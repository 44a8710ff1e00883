// TProductionForm: the Production section, with its topic outline, table and slides.
#pragma once

#include "controls/Outline.h"
#include "controls/StringGrid.h"
#include "sections/SectionForm.h"

#include <QString>
#include <QStringList>

class QLabel;
class QPainter;

namespace orlaventis {

class TProportionalImage;
class TSlideCycle;

// The Production section: the topic outline of the current language (record
// "Production_Content_" + LanguageId + "|||") on the right, the table of the chosen topic on
// the left, and the slide cycle beneath the outline. Created by the section frame on the first
// visit; its timer runs until it is destroyed.
class TProductionForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TProductionForm(TSectionSet& sections);

  QLabel* HeaderLblBk = nullptr;
  QLabel* HeaderLbl = nullptr;
  QLabel* ProductionLstHeader = nullptr;
  TProportionalImage* SlidePicture = nullptr;
  TStringGrid* ProductionLst = nullptr;      // made in CreateContent
  TOutline* ProductionContentLst = nullptr;  // made in CreateContent

  // Fills the outline from the record file and shows the table of item 2.
  void LoadContents();
  // Shows the table of the selected topic, or empties the table when the selected item is no
  // topic or its table record is missing.
  void ProductionContentLstClick();
  // Fills the table: caption above it, `columnCaptions` (cells joined by "@") as the fixed
  // row when not empty, then every non-empty line of `rows`. Null `rows` empties the table.
  void ShowTable(const QString& caption, const QString& columnCaptions, const QStringList* rows);
  // Fits a table that would overflow its grid by a little: smaller rows, narrower padding;
  // a larger one scrolls.
  void FitTable();
  // Draws the outline line in `rect`; a topic too wide for the line ends in an ellipsis.
  void ProductionContentLstDrawItem(QPainter& painter, const QRect& rect);
  // The whole text of a topic that does not fit its line (the outline's tool tip), else empty.
  QString ProductionContentLstHint(int index) const;

  // The slide timer's handler: the next picture (see TSlideCycle).
  void TimerTimer();
  int PictureNumber() const;
  TSlideCycle& Slides() { return *slides_; }

  // The outline fully expanded again, item 2 selected and its table shown.
  void ResetState() override;
  // A search result of this section: see TSectionForm.
  void ShowSearchEntry(const TSearchEntry& entry) override;

 protected:
  void CreateComponents() override;
  void CreateContent() override;

 private:
  void SplitIntoRow(QString text, int row);

  TSlideCycle* slides_ = nullptr;  // child
};

}  // namespace orlaventis
