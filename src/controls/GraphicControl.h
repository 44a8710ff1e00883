// Drawing basis of the controls: shared palettes, palette-safe picture drawing, GDI-style shapes,
// the program-wide screen cursor table and the base control with mouse-enter/leave events.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QWidget>

#include <functional>

class QMouseEvent;
class QPainter;

namespace orlaventis {

// A colour table; an empty table means "no palette".
using ColorTable = QList<QRgb>;

// A font together with its colour (the framework's font object carries both).
struct TFont {
  QFont Font;
  QColor Color = Qt::black;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// rnd(v): nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
int Rnd(double v);

// Makes the program's resources (":/bitmaps/...", ":/cursors/...") available. Idempotent;
// LoadPalettes calls it, so does anything that loads a resource before LoadPalettes ran.
void InitResources();

// Colours of a BMP file's colour table: the count is biClrUsed when the info header is at
// least 36 bytes long and biClrUsed is not 0, else 2^biBitCount; entries are read from offset
// 40 of the info header (4-byte BGR0 entries). Returns an empty table when `bmpFile` is not a
// BMP, the header is short, the count exceeds 65535 or the table runs past the data.
ColorTable ColorTableFromBmp(QByteArrayView bmpFile);

// Builds the 16- and 256-colour palettes from ":/bitmaps/PAL16.bmp" and ":/bitmaps/PAL256.bmp".
// A missing or damaged resource leaves that palette empty. Returns true when both were built.
bool LoadPalettes();

// Discards both palettes. Safe to call twice; DisplayPalette then returns nullptr.
void FreePalettes();

// The bits per pixel of the display: the override when one is set (the --depth option),
// else the primary screen's depth (32 without a screen).
int DisplayDepth();
// Pretends a display depth (0 removes the override).
void SetDisplayDepthOverride(int bitsPerPixel);

// The palette for the current display: the 16-colour table below 8 bits per pixel, the
// 256-colour table at exactly 8, nullptr above (and nullptr for a palette that is not loaded).
// The table stays owned by this module and lives until FreePalettes.
const ColorTable* DisplayPalette();

// `picture` with every pixel replaced by its nearest colour of `palette` (alpha kept).
QImage MapToPalette(const QImage& picture, const ColorTable& palette);

// Draws `picture` at (x, y) in its own size. Does nothing for a null painter or an empty
// picture. On palette displays the picture is mapped to DisplayPalette first.
void DrawPicture(QPainter* painter, int x, int y, const QImage& picture);

// Draws `picture` stretched into `box` (x, y, width, height) by nearest-neighbour sampling
// (rows and columns are dropped or repeated, never blended). Same guards as DrawPicture;
// an empty box draws nothing.
void StretchDrawPicture(QPainter* painter, const QRect& box, const QImage& picture);

// GDI Rectangle(x1, y1, x2, y2): the outline in the painter's pen covers x1..x2-1 and
// y1..y2-1, the inside is filled with the painter's brush.
void GdiRectangle(QPainter& painter, int x1, int y1, int x2, int y2);
// GDI RoundRect: like GdiRectangle with corner ellipses `cornerW` x `cornerH` (0: square).
void GdiRoundRect(QPainter& painter, int x1, int y1, int x2, int y2, int cornerW, int cornerH);
// GDI TextOut: `text` with its top-left corner at (x, y), in the painter's font and pen.
void GdiTextOut(QPainter& painter, int x, int y, const QString& text);

// Screen cursor identifiers of the program.
inline constexpr int kCursorHand = -19;
inline constexpr int kCursorHandNoFingers = -20;
inline constexpr int kCursorZoomIn = -24;
inline constexpr int kCursorZoomOut = -25;
inline constexpr int kCursorHelp = -26;

// The program-wide screen cursor table. Unset identifiers give the framework's stock cursor
// for that number (0 and unknown numbers: the arrow).
QCursor ScreenCursor(int id);
// Installs `cursor` under `id`; every control showing `id` (SetControlCursor) switches to it.
void SetScreenCursor(int id, const QCursor& cursor);
// Shows the cursor `id` of the screen table over `widget`, now and after later installs.
void SetControlCursor(QWidget* widget, int id);
// The identifier given to SetControlCursor (0 when none).
int ControlCursor(const QWidget* widget);
// Loads ":/cursors/<name>.png"; its hotspot comes from the PNG text keys "HotspotX" and
// "HotspotY" (the image centre when absent). Returns the arrow when the resource is missing.
QCursor LoadResourceCursor(const QString& name);

// Callback with the raising object as its only parameter.
using GMouseInOutEvent = std::function<void(QObject* Sender)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;
// Mouse event callback: the raising object and the event.
using TMouseEvent = std::function<void(QObject* Sender, QMouseEvent* event)>;

// Shows the hourglass over the whole application for its lifetime (a scope guard for long work
// on the user-interface thread).
class TWaitCursor {
 public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

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
