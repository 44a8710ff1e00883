// What assistive technology learns of the program's own controls: roles, names, descriptions.
#include "controls/Accessible.h"

#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ItemAccessible.h"
#include "controls/Outline.h"
#include "controls/ProportionalImage.h"
#include "controls/StringGrid.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QVariant>

namespace orlaventis {
namespace {

constexpr char kPictureTitleProperty[] = "PictureTitle";
constexpr char kDecorativeProperty[] = "Decorative";

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

class AccessiblePicture final : public QAccessibleWidget {
 public:
  explicit AccessiblePicture(TProportionalImage* picture)
      : QAccessibleWidget(picture, QAccessible::Graphic) {}

  QString text(QAccessible::Text t) const override {
    const auto* picture = static_cast<const TProportionalImage*>(widget());
    if (t == QAccessible::Name && picture->accessibleName().isEmpty()) return picture->Text();
    if (t != QAccessible::Description) return QAccessibleWidget::text(t);
    return JoinLines(picture->property(kPictureTitleProperty).toString(),
                     QAccessibleWidget::text(t));
  }
};

// A list: its name tells which list it is, its value what is chosen; its one child is the list
// of entries that it drops down.
class AccessibleList final : public QAccessibleWidget {
 public:
  explicit AccessibleList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return List()->currentText();
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
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == List()->view() ? 0 : -1;
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
};

// A container listing its child widgets as QAccessibleWidget does, less the decorative ones.
class AccessibleContainer final : public QAccessibleWidget {
 public:
  explicit AccessibleContainer(QWidget* container) : QAccessibleWidget(container) {}

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
  if (auto* outline = qobject_cast<TOutline*>(object)) return NewAccessibleOutline(outline);
  if (auto* grid = qobject_cast<TStringGrid*>(object)) return NewAccessibleGrid(grid);
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

QAccessibleInterface* NewAccessibleContainer(QWidget* container) {
  return new AccessibleContainer(container);
}

void AnnounceName(QWidget* widget, const QString& name) {
  if (widget == nullptr || widget->accessibleName() == name) return;
  widget->setAccessibleName(name);
  QAccessibleEvent event(widget, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void SetPictureTitle(QWidget* picture, const QString& title) {
  if (picture == nullptr || picture->property(kPictureTitleProperty).toString() == title) return;
  picture->setProperty(kPictureTitleProperty, title);
  QAccessibleEvent event(picture, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

}  // namespace orlaventis
