// TMaxZoomWindow: the full-screen window that shows one picture as large as the screen allows.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QSize>

namespace orlaventis {

class TProportionalImage;

// A borderless black top-level window (transient for the main form; TSectionSet::ShowMaxZoom)
// covering the screen, whose only component ItemImage shows the picture and holds the keyboard;
// a click on it, Escape, Return or Enter close the window.
class TMaxZoomWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit TMaxZoomWindow(QWidget* parent = nullptr);

  TProportionalImage* ItemImage;  // child, fills the window

 protected:
  // Escape, Return or Enter close the window when released after being pressed in it: every
  // event of the key then reaches the window before it goes (the desktop's accessibility bridge
  // holds a copy of each key event until the window it was meant for has had it), and the
  // release of the Return that opened the window does not close it.
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int closingKey_ = 0;  // the closing key pressed in this window, until its release
};

// The Sx and Sy percentages (of the screen) that show a `picture`-sized picture on a `screen`-
// sized screen: twice its size when both doubled sides fit (2w < W and 2h < H), else its own
// size; rounded to the nearest integer, halves to even. (0, 0) for an empty screen.
QSize ZoomPercentages(QSize picture, QSize screen);

}  // namespace orlaventis
