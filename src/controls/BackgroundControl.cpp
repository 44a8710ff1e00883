// TBkControl: a control that paints nothing but its background (picture, fill and frame).
#include "controls/BackgroundControl.h"

#include "controls/Accessible.h"

#include <QPainter>

namespace orlaventis {

TBkControl::TBkControl(QWidget* parent) : QWidget(parent), background_(new TBackground(this)) {
  InstallAccessibleControls();
  resize(100, 100);
  connect(background_, &TBackground::BrushChanged, this, &TBkControl::Changed);
  connect(background_, &TBackground::PenChanged, this, &TBkControl::Changed);
  connect(background_, &TBackground::ImageChanged, this, &TBkControl::Changed);
  background_->OnChange = [this](QObject*) { Changed(); };
}

void TBkControl::SetBackground(const TBackground& background) { background_->Assign(background); }

void TBkControl::Changed() { update(); }

void TBkControl::paintEvent(QPaintEvent*) {
  if (isPainting_) return;
  isPainting_ = true;
  QPainter painter(this);
  background_->DrawImage(painter, width(), height());
  background_->DrawFrame(painter, width(), height());
  isPainting_ = false;
}

bool TBkControl::event(QEvent* event) {
  return RaiseMouseEvents(this, event) || QWidget::event(event);
}

}  // namespace orlaventis
