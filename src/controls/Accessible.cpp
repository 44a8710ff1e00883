// What assistive technology learns of the program's own controls: roles, names, descriptions.
#include "controls/Accessible.h"

#include "controls/BackgroundControl.h"
#include "controls/BaseButton.h"
#include "controls/ProportionalImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>

namespace orlaventis {
namespace {

constexpr char kPictureTitleProperty[] = "PictureTitle";

// `first` and `second` on lines of their own; either alone when the other is empty.
QString JoinLines(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  return second.isEmpty() ? first : first + QLatin1Char('\n') + second;
}

class AccessibleButton final : public QAccessibleWidget {
 public:
  explicit AccessibleButton(TBaseBtn* button) : QAccessibleWidget(button, QAccessible::PushButton) {}

  QString text(QAccessible::Text t) const override {
    const auto* button = static_cast<const TBaseBtn*>(widget());
    if (t != QAccessible::Name || !button->accessibleName().isEmpty()) return QAccessibleWidget::text(t);
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
  explicit AccessiblePicture(TProportionalImage* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {}

  QString text(QAccessible::Text t) const override {
    const auto* picture = static_cast<const TProportionalImage*>(widget());
    if (t == QAccessible::Name && picture->accessibleName().isEmpty()) return picture->Text();
    if (t != QAccessible::Description) return QAccessibleWidget::text(t);
    return JoinLines(picture->property(kPictureTitleProperty).toString(), QAccessibleWidget::text(t));
  }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* button = qobject_cast<TBaseBtn*>(object)) return new AccessibleButton(button);
  if (auto* picture = qobject_cast<TProportionalImage*>(object)) return new AccessiblePicture(picture);
  if (auto* background = qobject_cast<TBkControl*>(object)) return new QAccessibleWidget(background, QAccessible::Pane);
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
