// Content text shown as its characters: labels that never read markup, hints shown as typed.
#pragma once

#include <QObject>

class QLabel;
class QPoint;
class QString;
class QWidget;

namespace orlaventis {

// A label owned by `parent` that shows `text` exactly as its characters, never as markup:
// a text from the content can neither format itself nor make the label load a file.
QLabel* NewPlainLabel(const QString& text, QWidget* parent);

// Shows `text` as the hint of `widget` at `globalPos`, exactly as its characters, for `msecs`
// milliseconds (negative: the framework's duration); an empty text hides the hint.
void ShowPlainHint(const QPoint& globalPos, const QString& text, QWidget* widget, int msecs = -1);

// An event filter for the application: every widget's hint shows as typed (ShowPlainHint), for
// kHintMs whatever its length (the framework's own duration grows with the text). Widgets
// without a hint of their own are left to their own handling.
class PlainHints final : public QObject {
 public:
  static constexpr int kHintMs = 5000;
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace orlaventis
