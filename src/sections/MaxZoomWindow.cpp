// TMaxZoomWindow: the full-screen window that shows one picture as large as the screen allows.
#include "sections/MaxZoomWindow.h"

#include "controls/Accessible.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/ProportionalImage.h"

#include <QKeyEvent>

namespace orlaventis {

TMaxZoomWindow::TMaxZoomWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      ItemImage(new TProportionalImage(this)) {
  setObjectName(QStringLiteral("MaxZoomWindow"));
  setWindowTitle(QStringLiteral("Orlaventis"));
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(20);
  font.setBold(true);
  setFont(font);

  ItemImage->setObjectName(QStringLiteral("ItemImage"));
  SetControlCursor(ItemImage, kCursorZoomOut);
  ItemImage->Background().SetBrush(QBrush(Qt::black));
  ItemImage->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
  ItemImage->SetEffect(EffectStyle::esRandom);
  ItemImage->SetEffects(false);
  ItemImage->SetSx(100);
  ItemImage->SetSy(100);
  ItemImage->OnClick = [this](QObject*) { close(); };
  // The picture holds the keyboard, so that screen readers start on what the window shows.
  ItemImage->setFocusPolicy(Qt::StrongFocus);
  ItemImage->setFocus();
}

void TMaxZoomWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
  const int key = event->key();
  const bool closing = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
  if (closing && !event->isAutoRepeat() &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
    closingKey_ = key;
}

void TMaxZoomWindow::keyReleaseEvent(QKeyEvent* event) {
  event->accept();
  if (event->isAutoRepeat() || closingKey_ == 0 || event->key() != closingKey_) return;
  closingKey_ = 0;
  close();
}

void TMaxZoomWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ItemImage->setGeometry(rect());
}

QSize ZoomPercentages(QSize picture, QSize screen) {
  const double W = screen.width();
  const double H = screen.height();
  if (W <= 0 || H <= 0) return QSize(0, 0);
  const double w = picture.width();
  const double h = picture.height();
  const double factor = 2 * w < W && 2 * h < H ? 200.0 : 100.0;
  return QSize(Rnd(factor * w / W), Rnd(factor * h / H));
}

}  // namespace orlaventis
