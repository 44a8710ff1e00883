// GGraphicControl: the base control that reports the mouse entering and leaving it, the click
// and mouse callbacks every control raises (TMouseEvents) and their callback types.
#pragma once

#include <QWidget>

#include <functional>

class QEvent;
class QMouseEvent;
class QObject;

namespace orlaventis {

// Callback with the raising object as its only parameter.
using GMouseInOutEvent = std::function<void(QObject* Sender)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;
// Mouse event callback: the raising object and the event.
using TMouseEvent = std::function<void(QObject* Sender, QMouseEvent* event)>;

// The click and mouse callbacks of a control. A click is a left press and release on the
// control (released inside it); it is raised before OnMouseUp. A double click raises OnDblClick
// and no second click: the press that opened it already counted as one.
class TMouseEvents {
 public:
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  // Raises the callbacks for a mouse press, release, move or double click on `control` and
  // returns true. Returns false for any other event, and for every mouse event while `control`
  // is disabled, so that the framework drops it. Hiding or disabling the control, and the end
  // of its mouse grab (a lost activation included), end a press without a click.
  bool RaiseMouseEvents(QWidget* control, QEvent* event);

  // True from a press or double click on the control until the release or the end of the grab.
  bool MouseHeld() const { return held_; }

 private:
  bool held_ = false;
  bool leftArmed_ = false;  // a left press that a release inside the control makes a click
};

// A control that reports the mouse entering and leaving it.
class GGraphicControl : public QWidget {
  Q_OBJECT
 public:
  explicit GGraphicControl(QWidget* parent = nullptr);

  GMouseInOutEvent OnMouseIn;
  GMouseInOutEvent OnMouseOut;

 protected:
  // Raise OnMouseIn / OnMouseOut when assigned.
  virtual void DoMouseIn();
  virtual void DoMouseOut();

  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace orlaventis
