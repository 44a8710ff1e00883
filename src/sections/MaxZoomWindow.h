// TMaxZoomWindow: the full-screen window that shows one picture as large as the screen allows.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QSize>

namespace orlaventis {

class TProportionalImage;

// A borderless black top-level window (transient for the main form; TSectionSet::ShowMaxZoom)
// covering the screen, whose only component ItemImage shows the picture; a click on it closes the
// window. It reacts to no key (Escape included), so only the click ends the zoom.
class TMaxZoomWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit TMaxZoomWindow(QWidget* parent = nullptr);

  TProportionalImage* ItemImage;  // child, fills the window

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};

// The Sx and Sy percentages (of the screen) that show a `picture`-sized picture on a `screen`-
// sized screen: twice its size when both doubled sides fit (2w < W and 2h < H), else its own
// size; rounded to the nearest integer, halves to even. (0, 0) for an empty screen.
QSize ZoomPercentages(QSize picture, QSize screen);

}  // namespace orlaventis
