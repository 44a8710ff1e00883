// GGraphicControl: the base control that reports the mouse entering and leaving it, the click
// and mouse callbacks every control raises (TMouseEvents) and their callback types.
#include "controls/GraphicControl.h"

#include <QEvent>
#include <QMouseEvent>

namespace orlaventis {

bool TMouseEvents::RaiseMouseEvents(QWidget* control, QEvent* event) {
  switch (event->type()) {
    case QEvent::Hide:
    case QEvent::EnabledChange:
    case QEvent::UngrabMouse:
    case QEvent::WindowDeactivate:
      // The release may never come here now: the press ends without a click.
      if (event->type() != QEvent::EnabledChange || !control->isEnabled()) {
        held_ = false;
        leftArmed_ = false;
      }
      return false;
    default: break;
  }
  auto* mouse = dynamic_cast<QMouseEvent*>(event);
  if (mouse == nullptr || !control->isEnabled()) return false;
  const bool left = mouse->button() == Qt::LeftButton;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (left) leftArmed_ = true;
      if (OnMouseDown) OnMouseDown(control, mouse);
      held_ = true;
      return true;
    case QEvent::MouseButtonDblClick:
      // The second press of a double click: the first already clicked.
      leftArmed_ = false;
      if (left && OnDblClick) OnDblClick(control);
      if (OnMouseDown) OnMouseDown(control, mouse);
      held_ = true;
      return true;
    case QEvent::MouseButtonRelease: {
      const bool click = leftArmed_ && left &&
                         control->rect().contains(mouse->position().toPoint());
      if (left) leftArmed_ = false;
      if (click && OnClick) OnClick(control);
      if (OnMouseUp) OnMouseUp(control, mouse);
      held_ = false;
      return true;
    }
    case QEvent::MouseMove:
      if (OnMouseMove) OnMouseMove(control, mouse);
      return true;
    default: return false;
  }
}

GGraphicControl::GGraphicControl(QWidget* parent) : QWidget(parent) {}

void GGraphicControl::DoMouseIn() {
  if (OnMouseIn) OnMouseIn(this);
}

void GGraphicControl::DoMouseOut() {
  if (OnMouseOut) OnMouseOut(this);
}

void GGraphicControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  DoMouseIn();
}

void GGraphicControl::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  DoMouseOut();
}

}  // namespace orlaventis
