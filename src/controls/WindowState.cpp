// Values kept on a top-level window for the controls inside it and inside the windows it parents.
#include "controls/WindowState.h"

#include <QWidget>

namespace orlaventis {

void SetWindowValue(QWidget* widget, const char* name, const QVariant& value) {
  if (widget != nullptr) widget->window()->setProperty(name, value);
}

QVariant WindowValue(const QWidget* widget, const char* name) {
  for (const QWidget* window = widget != nullptr ? widget->window() : nullptr; window != nullptr;
       window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr) {
    const QVariant value = window->property(name);
    if (value.isValid()) return value;
  }
  return {};
}

}  // namespace orlaventis
