// TProportionalImage: a picture scaled in proportion over a background, with a caption box,
// composed off screen and shown at once, through a raster operation or a block transition.
#pragma once

#include "controls/Background.h"
#include "controls/Drawing.h"
#include "controls/GraphicControl.h"
#include "controls/Transitions.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace orlaventis {

enum class TRasterOperation : std::uint8_t {
  roBLACKNESS,
  roDSTINVERT,
  roMERGECOPY,
  roMERGEPAINT,
  roNOTSRCCOPY,
  roNOTSRCERASE,
  roPATCOPY,
  roPATINVERT,
  roPATPAINT,
  roSRCAND,
  roSRCCOPY,
  roSRCERASE,
  roSRCINVERT,
  roSRCPAINT,
  roWHITENESS
};

// One pixel of a raster operation: source s, destination d, pattern p (RGB bits; the result's
// alpha is opaque). A value outside the fifteen operations means roSRCAND.
QRgb ApplyRasterOperation(TRasterOperation op, QRgb s, QRgb d, QRgb p);

// Size rules of the picture, all sizes in pixels, percentages as given.
struct ProportionalRules {
  int Sx = 90;
  int Sy = 90;
  bool SxIsStatic = false;
  bool SyIsStatic = false;
  int StaticSx = 0;
  int StaticSy = 0;
};
// The box (x, y, w, h) of a `picture`-sized picture in a `control`-sized control: the picture
// fills Sx percent of the width unless that makes it taller than Sy percent of the height,
// keeping its proportions; a static flag replaces the width (SxIsStatic, which wins) or the
// height by the same computation with StaticSx and StaticSy; centred. An empty box (or a
// picture without pixels) means nothing is drawn.
QRect ProportionalBox(QSize control, QSize picture, const ProportionalRules& rules);

class TProportionalImage : public QWidget, public TMouseEvents {
  Q_OBJECT
 public:
  // 100 x 100, black canvas until the first paint.
  explicit TProportionalImage(QWidget* parent = nullptr);

  // Changes of the background's brush, pen or draw style repaint at once; a new background
  // picture shows at the next paint.
  TBackground& Background() { return *background_; }
  const TBackground& Background() const { return *background_; }
  void SetBackground(const TBackground& background);

  // Setters below store a different value and repaint at once; the same value does nothing.
  EffectStyle Effect() const { return effect_; }
  void SetEffect(EffectStyle v) { Set(effect_, v); }
  bool Effects() const { return effects_; }
  void SetEffects(bool v) { Set(effects_, v); }
  int EffectSize() const { return effectSize_; }
  void SetEffectSize(int v) { Set(effectSize_, v); }
  // 0 counts as 1 when the transition runs.
  std::uint8_t EffectSpeed() const { return effectSpeed_; }
  void SetEffectSpeed(std::uint8_t v) { Set(effectSpeed_, v); }
  TRasterOperation RasterOperation() const { return rasterOperation_; }
  void SetRasterOperation(TRasterOperation v) { Set(rasterOperation_, v); }
  int Sx() const { return rules_.Sx; }
  void SetSx(int v) { Set(rules_.Sx, v); }
  int Sy() const { return rules_.Sy; }
  void SetSy(int v) { Set(rules_.Sy, v); }
  bool SxIsStatic() const { return rules_.SxIsStatic; }
  void SetSxIsStatic(bool v) { Set(rules_.SxIsStatic, v); }
  bool SyIsStatic() const { return rules_.SyIsStatic; }
  void SetSyIsStatic(bool v) { Set(rules_.SyIsStatic, v); }
  int StaticSx() const { return rules_.StaticSx; }
  void SetStaticSx(int v) { Set(rules_.StaticSx, v); }
  int StaticSy() const { return rules_.StaticSy; }
  void SetStaticSy(int v) { Set(rules_.StaticSy, v); }

  // The picture: the setter marks it new and repaints at once, also for the same picture. With
  // Effects on, the transition's first frame shows at once and the rest follows from the event
  // loop (TTransitionPlayer), or all of it at once when the control's window makes transitions
  // instant (InstantTransitions).
  const QImage& Image() const { return image_; }
  void SetImage(const QImage& picture);
  // Caption at the bottom: a different text marks the picture new and repaints at once.
  const QString& Text() const { return text_; }
  void SetText(const QString& text);
  // The next paint treats the picture as new; every paint clears it, and so does a change while
  // the control is hidden.
  bool NewImage() const { return newImage_; }
  void SetNewImage(bool v) { newImage_ = v; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v) { Set(font_, v); }

  // The control's canvas: what it shows on screen, in device pixels (the widget's size times
  // its device-pixel ratio).
  const QImage& Canvas() const { return canvas_; }

  // Composes and puts the picture on the canvas now, then shows it (when visible). A transition
  // still running first ends on its whole picture.
  void Changed();

  // True while a transition is under way: its later frames come from the event loop.
  bool TransitionRunning() const { return transition_->Running(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  template <typename T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  // The whole paint: compose off screen, put on the canvas; `present` shows the canvas.
  void Paint(bool present);
  // Shows the canvas now (a synchronous repaint that does not recompose).
  void Present();
  QImage Compose() const;
  QSize DeviceSize() const;  // the widget's size in device pixels
  void PutWithRasterOperation(const QImage& composed);
  // What a composition depends on beyond the properties whose setters recompose at once.
  struct ComposedInputs {
    QSize size;
    qint64 backgroundPicture = 0;
    const void* palette = nullptr;
    bool operator==(const ComposedInputs&) const = default;
  };
  ComposedInputs CurrentInputs() const;

  TBackground* background_;  // child QObject
  bool isPainting_ = false;
  bool presenting_ = false;
  EffectStyle effect_ = EffectStyle::esRandom;
  bool effects_ = false;
  int effectSize_ = 1;
  std::uint8_t effectSpeed_ = 1;
  QImage image_;
  bool newImage_ = false;
  TRasterOperation rasterOperation_ = TRasterOperation::roSRCCOPY;
  ProportionalRules rules_;
  QString text_;
  TFont font_;
  QImage canvas_;
  // True while canvas_ holds the composition of composedInputs_ and nothing changed since, so
  // a paint the platform asks for only shows the canvas.
  bool composedValid_ = false;
  ComposedInputs composedInputs_;
  // Copies onto canvas_; declared after it so that it goes first.
  std::unique_ptr<TTransitionPlayer> transition_;
};

}  // namespace orlaventis
