// What the section forms share: page texts, fonts, colours, design rectangles, and the slide cycle.
#pragma once

#include "shell/Layout.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;
class QTimer;
class QWidget;

namespace orlaventis {

class TiDbRecFile;
class TMainForm;
class TProportionalImage;

// The text of the first record whose key equals `key` exactly (letter case counts), walking
// visible positions 1 to VisibleCount; nullopt when `records` is null or holds no such record.
// A record without text gives an empty text.
std::optional<QString> FindRecordText(TiDbRecFile* records, const QString& key);

// Arial at `pixels` pixels high.
QFont ArialFont(int pixels);

// Gives `widget` the background `base` and the text colour `text` in every colour group (for
// edits, lists and labels alike: Base and Window, Text and WindowText).
void SetControlColours(QWidget* widget, const QColor& base, const QColor& text);

// A design rectangle (640 x 480 coordinates) scaled for the layout mode `mode`. Scroll areas
// (memo, outline, grid) are made after the frame has scaled the form and placed with this:
// scaling them with the rest would also scale their viewport and scroll bars, which they lay
// out themselves.
QRect ScaledDesignRect(const QRect& design, const ScreenLayout& mode);

// The section title: `HeaderLblBk`, the silver shadow at (171, 34), and `HeaderLbl`, the white
// title one pixel right of and below it; both 399 x 25, Arial 16 pixels italic, centred, with
// the translation tag `tag`. Made at design coordinates as children of `form`.
struct TitleLabels {
  QLabel* HeaderLblBk;
  QLabel* HeaderLbl;
};
TitleLabels MakeTitleLabels(QWidget* form, int tag, const QString& designText);

// Splits a record text into lines the way a string list takes a text: CR LF, a lone CR and a
// lone LF each end a line; a final line break adds no empty line; an empty text gives no lines.
QStringList SplitTextLines(const QString& text);

// Shows the pictures "i\i\1" .. "i\i\10" of the photo archive in turn in a picture control:
// one tick every 10 seconds, the first one at Start. A tick advances PictureNumber (10 wraps
// to 1) and, when the archive holds that member, unpacks it into the temporary folder,
// decodes it with the main form's decoder, deletes the file and gives the picture to the
// control (with its transition). A missing, unextractable or undecodable member leaves the
// previous picture; the number advances all the same. The timer keeps running while the form
// is hidden, until the cycle is destroyed.
class TSlideCycle : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSlideCount = 10;
  static constexpr int kIntervalMs = 10000;

  // `picture` (not owned) must live as long as the cycle; make both children of the same form.
  // The slides are unpacked through `main`, which outlives the cycle.
  TSlideCycle(TMainForm& main, TProportionalImage* picture, QObject* parent);

  // The look every slide picture shares: explode transition, blocks of 5, speed 1, effects on.
  static void SetSlideEffects(TProportionalImage& picture);

  // Shows the first picture at once and starts the 10-second timer.
  void Start();

  // One tick (TimerTimer of the forms). A tick that arrives while the previous one is still
  // unpacking (events run during inflation) is dropped.
  void TimerTimer();

  // 0 before the first tick, then 1 .. 10.
  int PictureNumber() const { return pictureNumber_; }
  QTimer* Timer() const { return timer_; }

 private:
  // Unpacks and decodes member `number`; a null image when any step fails.
  QImage LoadSlide(int number);

  TMainForm& main_;
  TProportionalImage* picture_;
  QTimer* timer_;  // child
  int pictureNumber_ = 0;
  bool busy_ = false;
};

}  // namespace orlaventis
