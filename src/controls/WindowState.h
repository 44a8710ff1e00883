// Values kept on a top-level window for the controls inside it and inside the windows it parents.
#pragma once

#include <QVariant>

class QWidget;

namespace orlaventis {

// Keeps `value` under `name` on the window of `widget` (the widget itself when it is a window);
// the window holds it until it goes or the value is replaced. An invalid value removes it. Does
// nothing for a null widget. `name` is a property name of the window ("orlaventis..." by
// convention, so that it meets no framework property).
void SetWindowValue(QWidget* widget, const char* name, const QVariant& value);

// The value under `name` of the nearest window around `widget` that keeps one: the widget's own
// window first, then the window of that window's parent widget, and so on. An invalid value
// when none does, and for a null widget.
QVariant WindowValue(const QWidget* widget, const char* name);

}  // namespace orlaventis
