// TFocusMark: the frame drawn around the control that has the keyboard focus while the user
// works with the keyboard.
#include "controls/FocusMark.h"

#include "controls/WindowState.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace orlaventis {
namespace {

constexpr int kMarkWidth = 2;
constexpr QRgb kSilver = 0xC0C0C0;  // the halo colour of the menu captions
constexpr char kKeyboardInUseProperty[] = "orlaventisKeyboardInUse";

}  // namespace

TFocusMark::TFocusMark(QWidget* area) : QWidget(area) {
  setObjectName(QStringLiteral("FocusMark"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
  qApp->installEventFilter(this);
  connect(qApp, &QApplication::focusChanged, this, &TFocusMark::Follow);
}

TFocusMark::~TFocusMark() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool TFocusMark::KeyboardInUse(const QWidget* control) {
  return WindowValue(control, kKeyboardInUseProperty).toBool();
}

bool TFocusMark::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      SetWindowValue(parentWidget(), kKeyboardInUseProperty, true);
      Follow();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      SetWindowValue(parentWidget(), kKeyboardInUseProperty, false);
      Follow();
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
      if (watched == marked_) Follow();
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

void TFocusMark::Follow() {
  QWidget* area = parentWidget();
  QWidget* focus = QApplication::focusWidget();
  const bool shown = KeyboardInUse(area) && focus != nullptr && focus != area && focus != this &&
                     area->isAncestorOf(focus) && focus->isVisibleTo(area);
  marked_ = shown ? focus : nullptr;
  if (!shown) {
    hide();
    return;
  }
  const QRect around(focus->mapTo(area, QPoint(0, 0)), focus->size());
  setGeometry(
      around.adjusted(-kMarkWidth, -kMarkWidth, kMarkWidth, kMarkWidth).intersected(area->rect()));
  show();
  raise();
  update();
}

void TFocusMark::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Draw(painter, rect());
}

void TFocusMark::Draw(QPainter& painter, const QRect& box) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QRect outer = box.adjusted(0, 0, -1, -1);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(outer);
  QPen dots(QColor(kSilver), 1);
  dots.setDashPattern({1.0, 1.0});
  painter.setPen(dots);
  painter.drawRect(outer.adjusted(1, 1, -1, -1));
  painter.restore();
}

}  // namespace orlaventis
