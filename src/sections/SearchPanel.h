// TSearchPanel: the search over the whole work, laid over the section in front.
#pragma once

#include "database/SearchIndex.h"
#include "sections/SectionForm.h"

#include <QFrame>
#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class QKeyEvent;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace orlaventis {

// Rows of the language file for the search: the search button's hint, the name of the search
// (the panel, its edit, the button for screen readers), the line shown when nothing is found,
// and the edit's placeholder.
inline constexpr int kSearchButtonTag = 800;
inline constexpr int kSearchNameTag = 801;
inline constexpr int kNothingFoundTag = 802;
inline constexpr int kSearchPromptTag = 803;

// One panel per main form (its child), made on first use (TSectionSet::OpenSearch). The edit keeps
// the keyboard: typing updates the results (grouped by kind under a heading with the number found,
// the best first), Up / Down / Page Up / Page Down move through them, Enter goes to the current
// one, Escape closes. A click on a result goes there. Going there shows the section of the result
// (closing the one the panel lay over), then: a picture in the Catalog, a topic in Production, a
// paint or trim name in the Colours lists; the panel closes. It closes too when its section hides.
// The index of the current language's texts is built when the panel first opens.
class TSearchPanel final : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kShownPerKind = 50;  // results listed per kind; the heading counts all

  // A child of the main form of `sections`, which outlives the panel.
  explicit TSearchPanel(TSectionSet& sections);

  QLineEdit* SearchEdit;
  QListWidget* ResultList;

  // Lays the panel over `section`, shows it in front with the edit's text selected and the
  // keyboard in the edit.
  void Open(TSectionForm& section);
  // Hides the panel and hands the keyboard back to its section.
  void Close();
  // Fills the list from the edit's text, the first result current.
  void ShowResults();
  // Goes to the result of list row `row` (headings and rows outside the list do nothing).
  void GoToResult(int row);
  // The index; null until the panel first opened.
  const TSearchIndex* Index() const { return index_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildIndex();
  // Gives the first picture rows of the list shown by ShowResults round `generation` their
  // thumbnails, from the cache or unpacked; stops when the list is refilled meanwhile.
  void LoadThumbnails(int generation);
  // Makes the next result row from the current one `delta` rows on (headings skipped) current.
  void Step(int delta);

  TSectionSet& sections_;
  const TSettings& settings_;
  std::unique_ptr<TSearchIndex> index_;
  // A plain widget pointer: the section is watched while it is destroyed, when it is no
  // longer a TSectionForm.
  QPointer<QWidget> over_;
  QPointer<QWidget> returnTo_;  // the control that had the keyboard when the panel opened
  QString
      newCounts_;  // what a new search found ("Photos (44), ..."), until its first result is said
  std::array<QString, kSearchKinds> headings_;
  QString nothingFound_;
  int generation_ = 0;  // ShowResults rounds
  // Thumbnails by archive member, at most kThumbnailCache (then emptied).
  static constexpr int kThumbnailCache = 200;
  QHash<QString, QIcon> thumbnails_;
};

// Gives a section form its search button (above the Info button, at design coordinates) and
// the keys that open the panel: Ctrl+F, and "/" where no text field takes it.
void AddSearchButton(TSectionForm& form, TSectionSet& sections);
// Whether a key press asks for the search (Ctrl+F, or "/"): the frame opens the panel for such
// keys that reach it unused while its window does not take them as shortcuts.
bool IsSearchKey(const QKeyEvent* event);

}  // namespace orlaventis
