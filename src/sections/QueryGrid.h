// TTessaranQueryGrid: the two-column grid in which the user narrows the picture catalogue.
#pragma once

#include "database/QueryCriteria.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class QScrollBar;
class QToolButton;

namespace orlaventis {

class TTessaranObject;
class TQueryDropDown;

// A grid of criterion rows: the label on the left, what is chosen on the right (or the row's
// select-all text). A link-list row opens a drop-down check list, any other row an inline editor.
// The rules live in TQueryCriteria (Criteria()); this widget draws them and routes the user's
// clicks and keys. Keys: Up and Down select the row above or below; Enter, Space, F4 or Alt+Down
// open the row (as a click on its button). In the open drop-down list Up and Down move a marked
// line, Space ticks it (as a click on its check), Right and Left unfold and fold it, and Escape,
// Enter or F4 close the list. Escape in the editor leaves it without committing. Child
// controls are owned through Qt parents (the drop-down list is a popup parented to the grid).
// The inline editor commits its text on Return, Up, Down, when the grid scrolls and when the
// focus moves elsewhere in its window; its own context menu or another window taking the focus
// for a while commits nothing. Screen readers see a table of the rows, each named "label: what
// is chosen", followed by the child controls and the open list (QueryGridAccessible.h); they
// hear the marked line, its ticks, each change of a row's value (once) and the current row when
// the grid takes the focus or the row changes.
class TTessaranQueryGrid : public QWidget {
  Q_OBJECT

 public:
  explicit TTessaranQueryGrid(QWidget* parent = nullptr);
  ~TTessaranQueryGrid() override;

  // Builds the rows from `definitionTable` for `dataTable` (see TQueryCriteria::LoadDefinition);
  // the grid then is (row height + 1) × min(rows, visibleRows) + 2 pixels high, the label
  // column as wide as the widest label + 10 and the value column fills the rest. The database
  // is not owned and must outlive the definition. False leaves an empty grid.
  bool LoadDefinition(TTessaranObject* database, const QString& dataTable, int visibleRows,
                      const QString& definitionTable);
  // Frees every row, forgets the database and hides the child controls.
  void ClearDefinition();
  // Every row but `exceptedRow` (0: none) selects everything again; raises nothing.
  void ResetCriteria(int exceptedRow);
  // Hides both buttons, the drop-down list and the editor (without committing).
  void CloseEditors();

  TQueryCriteria& Criteria() { return criteria_; }
  const TQueryCriteria& Criteria() const { return criteria_; }
  bool Loaded() const { return criteria_.Loaded(); }
  int CurrentRow() const { return currentRow_; }
  int RowCount() const { return criteria_.Count(); }

  // Row height in pixels (15 unless set); set it before LoadDefinition.
  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  // The select-all text of rows without their own; "Select All".
  const QString& DefaultText() const { return defaultText_; }
  // Width of the label column (grows with the labels at load).
  int LabelColumnWidth() const { return labelWidth_; }

  // Glyphs; a null image keeps the previous one.
  void SetCheckmarkGlyph(const QImage& glyph);
  void SetUnCheckmarkGlyph(const QImage& glyph);
  void SetDropDownGlyph(const QImage& glyph);
  void SetTextGlyph(const QImage& glyph);
  const QImage& CheckmarkGlyph() const { return checkGlyph_; }
  const QImage& UnCheckmarkGlyph() const { return uncheckGlyph_; }

  // Makes the right-hand cell of `row` current (1..RowCount; others ignored) and places its
  // button; then OpenCurrentRow opens its drop-down list or editor, as a click on the button.
  void SelectRow(int row);
  void OpenCurrentRow();
  // The rectangle of a row's right-hand cell in grid coordinates (empty for a hidden row).
  QRect CellRect(int row) const;
  // What `row` has chosen, whole (not cut to the cell); empty for a row out of range.
  QString RowValueText(int row) const;

  // Child controls, for the Catalog section (hiding) and tests (driving them).
  QLineEdit* Editor() const { return editor_; }
  QWidget* DropDownList() const;
  QToolButton* DropDownButton() const { return dropButton_; }
  QToolButton* TextButton() const { return textButton_; }

 signals:
  // Raised after each user change of a row's active state or value.
  void SelectionChanged();

 public:
  // Colours: the label column, the value cells, and the texts on each.
  QColor FixedColor{Qt::black};
  QColor FixedFontColor{Qt::white};
  QColor Color{Qt::white};
  QColor FontColor{Qt::black};

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TQueryDropDown;
  int RowAt(int y) const;  // criterion row under y, 0 when none
  void PlaceButton();
  void ToggleDropDown();
  void OpenEditor();
  void CommitEditor();
  void DropDownLineClicked(int line);  // a check glyph click in the open list
  void RaiseChanged();                 // SelectionChanged, then AnnounceRowChanges
  // Tells screen readers of each row whose value text changed since they last heard it (a
  // value and a name change), once per change.
  void AnnounceRowChanges();
  void RaiseRowFocus();  // a focus event naming the current row
  void ScrollTo(int topRow);
  void LayoutColumns();

  TQueryCriteria criteria_;
  QString defaultText_;
  int currentRow_ = 0;
  int topRow_ = 1;
  int visibleRows_ = 1;
  int rowHeight_ = 15;
  int labelWidth_ = 64;
  QImage checkGlyph_, uncheckGlyph_, dropGlyph_, textGlyph_;
  QToolButton* dropButton_ = nullptr;
  QToolButton* textButton_ = nullptr;
  QLineEdit* editor_ = nullptr;
  QScrollBar* scrollBar_ = nullptr;
  // A top-level popup without a Qt parent: the Catalog disables the grid while it reloads its
  // page after a tick, and a disabled child popup would close under the user's pointer.
  std::unique_ptr<TQueryDropDown> dropDown_;
  int editorRow_ = 0;                  // row the editor was opened for, 0 when closed
  bool committing_ = false;            // guards focus-out re-entry while a commit hides the editor
  bool rowFocusPending_ = false;       // a focus-in asked for the row's focus event
  std::vector<QString> spokenValues_;  // per row: the value screen readers last heard
};

}  // namespace orlaventis
