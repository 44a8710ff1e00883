// What assistive technology learns of the program's own controls: roles, names, descriptions.
#pragma once

#include <QAccessible>
#include <QString>

class QAccessibleInterface;
class QLabel;
class QWidget;

namespace orlaventis {

// Makes the program's own controls known to screen readers: bitmap buttons (TBaseBtn) as push
// buttons named by their accessible name, else their caption, else their hint, that can be
// pressed; picture controls (TProportionalImage) as graphics named by their accessible name,
// else their caption text, described by their title (SetPictureTitle) and hint; backgrounds
// (TBkControl) as unnamed panes; lists (QComboBox) named by their accessible name, else the
// label that has them as buddy (QLabel::setBuddy), with the chosen entry as value; outlines
// (TOutline) as trees of their items and string grids (TStringGrid) as tables of their cells (see
// ItemAccessible.h). Descriptions
// fall back to the hint as for every widget, so they follow translation. Idempotent; the
// controls' constructors call it.
void InstallAccessibleControls();

// Marks `widget` as an entry of the list its parent is for screen readers (role list item,
// selectable; `selected` when it is the list's chosen entry, then focused while the list has the
// keyboard). Null `widget`: nothing.
void SetListItem(QWidget* widget, bool selected);
// Gives `label` a role of its own for screen readers (a form's heading, a status line whose every
// new text readers say), named by its text. Readers take the role when they first meet the label,
// which its first text makes happen: call it before the label has one. Null `label`: nothing.
void SetLabelRole(QLabel* label, QAccessible::Role role);

// Marks `widget` as a decorative copy of another control (a title's shadow): containers made by
// NewAccessibleContainer leave it out. Null `widget`: nothing.
void SetDecorative(QWidget* widget);
// An interface (owned by the caller, for an accessibility factory) for a container such as a
// form, in `role`: its child widgets as Qt lists them, less the decorative ones.
QAccessibleInterface* NewAccessibleContainer(QWidget* container,
                                             QAccessible::Role role = QAccessible::Client);

// What screen readers get as `widget`'s name and description now; empty while no reader listens.
struct AccessibleTexts {
  QString name;
  QString description;
};
AccessibleTexts AccessibleTextsOf(QWidget* widget);
// Raises a name- and a description-changed event for `widget` where what readers get differs from
// `before` (taken with AccessibleTextsOf): readers cache both and re-read only on an event.
void AnnounceTextChanges(QWidget* widget, const AccessibleTexts& before);

// Sets `widget`'s accessible name and, when it changed, tells screen readers (which announce a
// changed name of the control they are on). Null `widget`: nothing.
void AnnounceName(QWidget* widget, const QString& name);

// Sets the title of what `picture` shows (an item's title, a chosen combination; empty: none).
// Screen readers get it as the first line of the picture's description. A different title
// raises a description-changed event. Null `picture`: nothing.
void SetPictureTitle(QWidget* picture, const QString& title);

}  // namespace orlaventis
