// The program's screen cursors: their identifiers, the screen cursor table, the cursor each
// control shows, cursors from the resources and the hourglass over long work.
#pragma once

#include <QCursor>
#include <QString>

class QWidget;

namespace orlaventis {

// Screen cursor identifiers of the program.
inline constexpr int kCursorHand = -19;
inline constexpr int kCursorHandNoFingers = -20;
inline constexpr int kCursorZoomIn = -24;
inline constexpr int kCursorZoomOut = -25;
inline constexpr int kCursorHelp = -26;

// The screen cursor of `id`: the program's own cursors (the identifiers above) from its
// resources, any other identifier the framework's stock cursor for that number (0 and unknown
// numbers: the arrow).
QCursor ScreenCursor(int id);
// Shows the screen cursor `id` over `widget`.
void SetControlCursor(QWidget* widget, int id);
// The identifier given to SetControlCursor (0 when none).
int ControlCursor(const QWidget* widget);
// Loads ":/cursors/<name>.png"; its hotspot comes from the PNG text keys "HotspotX" and
// "HotspotY" (the image centre when absent). Returns the arrow when the resource is missing.
QCursor LoadResourceCursor(const QString& name);

// Shows the hourglass over the whole application for its lifetime (a scope guard for long work
// on the user-interface thread).
class TWaitCursor {
 public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace orlaventis
