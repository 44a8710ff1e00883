// Content text shown as its characters: labels that never read markup, hints shown as typed.
#include "controls/PlainText.h"

#include <QHelpEvent>
#include <QLabel>
#include <QRect>
#include <QTextDocument>
#include <QToolTip>

namespace orlaventis {

QLabel* NewPlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  return label;
}

void ShowPlainHint(const QPoint& globalPos, const QString& text, QWidget* widget, int msecs) {
  if (text.isEmpty()) {
    QToolTip::hideText();
    return;
  }
  // The hint window guesses the format and has no plain setting: escaped, every character of
  // the text shows as itself, line breaks included.
  QToolTip::showText(globalPos, Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal), widget,
                     QRect(), msecs);
}

bool PlainHints::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->toolTip().isEmpty()) return false;
  ShowPlainHint(static_cast<QHelpEvent*>(event)->globalPos(), widget->toolTip(), widget, kHintMs);
  return true;
}

}  // namespace orlaventis
