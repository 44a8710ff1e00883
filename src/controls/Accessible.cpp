// What assistive technology learns of the program's own controls: roles, names, descriptions.
#include "controls/Accessible.h"

#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ItemAccessible.h"
#include "controls/Outline.h"
#include "controls/ProportionalImage.h"
#include "controls/StringGrid.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>

namespace orlaventis {
namespace {

constexpr char kPictureTitleProperty[] = "PictureTitle";
constexpr char kDecorativeProperty[] = "Decorative";
constexpr char kListItemProperty[] = "ListItem";  // absent: no list item; else selected or not
constexpr char kLabelRoleProperty[] = "AccessibleRole";

// A description that only repeats the name is said twice: readers get none instead.
QString UnlessName(const QString& description, const QString& name) {
  return description == name ? QString() : description;
}

// `first` and `second` on lines of their own; either alone when the other is empty.
QString JoinLines(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  return second.isEmpty() ? first : first + QLatin1Char('\n') + second;
}

class AccessibleButton final : public QAccessibleWidget {
 public:
  explicit AccessibleButton(TBaseBtn* button)
      : QAccessibleWidget(button, QAccessible::PushButton) {}

  QString text(QAccessible::Text t) const override {
    const auto* button = static_cast<const TBaseBtn*>(widget());
    if (t == QAccessible::Description)
      return UnlessName(QAccessibleWidget::text(t), text(QAccessible::Name));
    if (t != QAccessible::Name || !button->accessibleName().isEmpty())
      return QAccessibleWidget::text(t);
    return button->Caption().isEmpty() ? button->toolTip() : button->Caption();
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.pressed = static_cast<const TBaseBtn*>(widget())->ButtonIsDown();
    return s;
  }
  QStringList actionNames() const override {
    return widget()->isEnabled() ? QStringList{pressAction()} + QAccessibleWidget::actionNames()
                                 : QAccessibleWidget::actionNames();
  }
  // A press acts as a click would: the button's click callback, only while it is enabled.
  void doAction(const QString& name) override {
    auto* button = static_cast<TBaseBtn*>(widget());
    if (name != pressAction()) return QAccessibleWidget::doAction(name);
    if (button->isEnabled() && button->OnClick) button->OnClick(button);
  }
};

// A picture, or an entry of a list of pictures (SetListItem).
class AccessiblePicture final : public QAccessibleWidget {
 public:
  explicit AccessiblePicture(TProportionalImage* picture)
      : QAccessibleWidget(picture, QAccessible::Graphic) {}

  QAccessible::Role role() const override {
    return widget()->property(kListItemProperty).isValid() ? QAccessible::ListItem
                                                           : QAccessible::Graphic;
  }
  QString text(QAccessible::Text t) const override {
    const auto* picture = static_cast<const TProportionalImage*>(widget());
    if (t == QAccessible::Name && picture->accessibleName().isEmpty()) return picture->Text();
    if (t != QAccessible::Description) return QAccessibleWidget::text(t);
    return UnlessName(
        JoinLines(picture->property(kPictureTitleProperty).toString(), QAccessibleWidget::text(t)),
        text(QAccessible::Name));
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    const QVariant item = widget()->property(kListItemProperty);
    if (!item.isValid()) return s;
    s.selectable = true;
    s.selected = item.toBool();
    const QWidget* list = widget()->parentWidget();
    s.focused = s.selected && list != nullptr && list->hasFocus();
    return s;
  }
};

// A label in a role of its own (SetLabelRole): its text is its name.
class AccessibleLabel final : public QAccessibleWidget {
 public:
  AccessibleLabel(QLabel* label, QAccessible::Role role) : QAccessibleWidget(label, role) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return static_cast<const QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
};

// A list: its name tells which list it is; what is chosen is its value and, for the desktop's
// readers, which take no value from a list, its text; its one child, while it drops down, is the
// list of its entries.
class AccessibleList final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }
  // The text interface: the chosen entry, read only, no selection, the caret at its start.
  QString text(int start, int end) const override { return Chosen().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(Chosen().size()); }
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Chosen();
    if (t != QAccessible::Name || !List()->accessibleName().isEmpty())
      return QAccessibleWidget::text(t);
    if (const QWidget* parent = List()->parentWidget()) {
      for (const QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == List()) return label->text();
    }
    return List()->currentText();
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = List()->view()->isVisible();
    return s;
  }
  // The entries are a child only while they drop down: hidden, their items would still claim
  // the focus they had.
  int childCount() const override { return List()->view()->isVisible() ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 && childCount() == 1 ? QAccessible::queryAccessibleInterface(List()->view())
                                           : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && childCount() == 1 && child->object() == List()->view() ? 0 : -1;
  }
  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  // Either action opens the list, or closes it when it is open.
  void doAction(const QString& name) override {
    if (name != showMenuAction() && name != pressAction()) return;
    if (List()->view()->isVisible())
      List()->hidePopup();
    else
      List()->showPopup();
  }

 private:
  QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
  QString Chosen() const { return List()->currentText(); }
};

// A scroll area's viewport: it has the keyboard whenever its area has, but readers follow one
// focused object, the area.
class AccessibleViewport final : public QAccessibleWidget {
 public:
  explicit AccessibleViewport(QWidget* viewport) : QAccessibleWidget(viewport) {}
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.focused = false;
    return s;
  }
};

// A container listing its child widgets as QAccessibleWidget does, less the decorative ones.
class AccessibleContainer final : public QAccessibleWidget {
 public:
  AccessibleContainer(QWidget* container, QAccessible::Role role)
      : QAccessibleWidget(container, role) {}

  // Focused only while it holds the keyboard itself, not through a focus proxy: readers follow
  // the one focused object.
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.focused = QApplication::focusWidget() == widget();
    return s;
  }
  int childCount() const override { return static_cast<int>(Children().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> children = Children();
    if (index < 0 || index >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children[index]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    return static_cast<int>(Children().indexOf(qobject_cast<QWidget*>(child->object())));
  }

 private:
  QList<QWidget*> Children() const {
    QList<QWidget*> children = widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    children.removeIf([](const QWidget* w) {
      return w->isWindow() || qobject_cast<const QMenu*>(w) != nullptr ||
             w->property(kDecorativeProperty).toBool();
    });
    return children;
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* button = qobject_cast<TBaseBtn*>(object)) return new AccessibleButton(button);
  if (auto* picture = qobject_cast<TProportionalImage*>(object))
    return new AccessiblePicture(picture);
  if (auto* background = qobject_cast<TBkControl*>(object))
    return new QAccessibleWidget(background, QAccessible::Pane);
  if (auto* list = qobject_cast<QComboBox*>(object)) return new AccessibleList(list);
  if (auto* label = qobject_cast<QLabel*>(object);
      label != nullptr && label->property(kLabelRoleProperty).isValid())
    return new AccessibleLabel(
        label, static_cast<QAccessible::Role>(label->property(kLabelRoleProperty).toInt()));
  if (auto* outline = qobject_cast<TOutline*>(object)) return NewAccessibleOutline(outline);
  if (auto* grid = qobject_cast<TStringGrid*>(object)) return NewAccessibleGrid(grid);
  if (auto* viewport = qobject_cast<QWidget*>(object)) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(viewport->parentWidget());
    if (area != nullptr && area->viewport() == viewport) return new AccessibleViewport(viewport);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleControls() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

void SetDecorative(QWidget* widget) {
  if (widget != nullptr) widget->setProperty(kDecorativeProperty, true);
}

void SetListItem(QWidget* widget, bool selected) {
  if (widget != nullptr) widget->setProperty(kListItemProperty, selected);
}

void SetLabelRole(QLabel* label, QAccessible::Role role) {
  if (label != nullptr) label->setProperty(kLabelRoleProperty, static_cast<int>(role));
}

QAccessibleInterface* NewAccessibleContainer(QWidget* container, QAccessible::Role role) {
  return new AccessibleContainer(container, role);
}

AccessibleTexts AccessibleTextsOf(QWidget* widget) {
  QAccessibleInterface* iface = widget != nullptr && QAccessible::isActive()
                                    ? QAccessible::queryAccessibleInterface(widget)
                                    : nullptr;
  if (iface == nullptr) return {};
  return {iface->text(QAccessible::Name), iface->text(QAccessible::Description)};
}

void AnnounceTextChanges(QWidget* widget, const AccessibleTexts& before) {
  if (widget == nullptr || !QAccessible::isActive()) return;
  const AccessibleTexts now = AccessibleTextsOf(widget);
  if (now.name != before.name) {
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
  if (now.description != before.description) {
    QAccessibleEvent event(widget, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void AnnounceName(QWidget* widget, const QString& name) {
  // Setting a name raises the framework's own name-changed event, even for the same name.
  if (widget == nullptr || widget->accessibleName() == name) return;
  widget->setAccessibleName(name);
}

void SetPictureTitle(QWidget* picture, const QString& title) {
  if (picture == nullptr || picture->property(kPictureTitleProperty).toString() == title) return;
  picture->setProperty(kPictureTitleProperty, title);
  QAccessibleEvent event(picture, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

}  // namespace orlaventis
