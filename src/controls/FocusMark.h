// TFocusMark: the frame drawn around the control that has the keyboard focus while the user
// works with the keyboard.
#pragma once

#include <QPointer>
#include <QWidget>

class QPainter;

namespace orlaventis {

// A frame laid over its parent (the area, e.g. a section form) around whichever control inside
// the area has the focus: two pixels, black outside and dotted silver inside, so that it reads
// on the black forms and on light pictures alike. It shows only while the keyboard is in use:
// from any key press until the next mouse press anywhere in the program, so a mouse user never
// sees it. The area itself having the focus shows nothing. The mark ignores the mouse and
// never takes the focus; it is owned by the area. Whether the keyboard is in use is kept on the
// area's window, shared by the marks of that window.
class TFocusMark final : public QWidget {
  Q_OBJECT

 public:
  explicit TFocusMark(QWidget* area);
  ~TFocusMark() override;

  // The control the mark surrounds now; null while it is hidden.
  QWidget* Marked() const { return marked_.data(); }

  // True from the last key press in the program until the next mouse press, as the focus marks
  // of the nearest window around `control` saw them (see WindowValue); false when no mark of
  // such a window saw any.
  static bool KeyboardInUse(const QWidget* control);
  // Draws the mark's frame along the inside of `box` (controls that mark a part of themselves,
  // such as a line of a list, draw it this way).
  static void Draw(QPainter& painter, const QRect& box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Moves the mark around the focused control of the area, or hides it.
  void Follow();

  QPointer<QWidget> marked_;
};

}  // namespace orlaventis
