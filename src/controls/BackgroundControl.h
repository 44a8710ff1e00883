// TBkControl: a control that paints nothing but its background (picture, fill and frame).
#pragma once

#include "controls/Background.h"
#include "controls/GraphicControl.h"

#include <QWidget>

namespace orlaventis {

class TBkControl : public QWidget, public TMouseEvents {
  Q_OBJECT
 public:
  explicit TBkControl(QWidget* parent = nullptr);

  // The owned background; changes of its brush, pen, picture or draw style invalidate the
  // control (the platform repaints it later).
  TBackground& Background() { return *background_; }
  const TBackground& Background() const { return *background_; }
  // Copies `background` into the owned one.
  void SetBackground(const TBackground& background);

  // Invalidates the control.
  void Changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  TBackground* background_;  // child QObject
  bool isPainting_ = false;
};

}  // namespace orlaventis
