// TBaseBtn: the program's push button drawn from its properties (face, shadow, pictures,
// caption with halo, 3-D frames), and the hand cursors every button shows.
#pragma once

#include "controls/Drawing.h"
#include "controls/GraphicControl.h"

#include <QBrush>
#include <QImage>
#include <QPen>

#include <functional>

namespace orlaventis {

class TBaseBtn : public GGraphicControl, public TMouseEvents {
  Q_OBJECT
 public:
  // 120 x 40, cursor -19 (installs the hand cursors).
  explicit TBaseBtn(QWidget* parent = nullptr);

  // Fractions are fractions of the current width (X) or height (Y). Every setter stores a
  // different value and repaints; the same value changes nothing (fractions compare exactly).
  const QBrush& Brush() const { return brush_; }
  void SetBrush(const QBrush& v) { Set(brush_, v); }
  const QPen& Pen() const { return pen_; }
  void SetPen(const QPen& v) { Set(pen_, v); }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v) { Set(font_, v); }
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& v) { Set(caption_, v); }

  bool ButtonIsDown() const { return buttonIsDown_; }
  void SetButtonIsDown(bool v) { Set(buttonIsDown_, v); }
  bool ButtonIsHot() const { return buttonIsHot_; }
  void SetButtonIsHot(bool v) { Set(buttonIsHot_, v); }
  QColor CaptionPenColor() const { return captionPenColor_; }
  void SetCaptionPenColor(QColor v) { Set(captionPenColor_, v); }
  bool CaptionPenVisible() const { return captionPenVisible_; }
  void SetCaptionPenVisible(bool v) { Set(captionPenVisible_, v); }
  double CaptionXOffset() const { return captionXOffset_; }
  void SetCaptionXOffset(double v) { Set(captionXOffset_, v); }
  double CaptionYOffset() const { return captionYOffset_; }
  void SetCaptionYOffset(double v) { Set(captionYOffset_, v); }
  int CaptionXRound() const { return captionXRound_; }
  void SetCaptionXRound(int v) { Set(captionXRound_, v); }
  int CaptionYRound() const { return captionYRound_; }
  void SetCaptionYRound(int v) { Set(captionYRound_, v); }
  double FaceHeight() const { return faceHeight_; }
  void SetFaceHeight(double v) { Set(faceHeight_, v); }
  bool FaceVisible() const { return faceVisible_; }
  void SetFaceVisible(bool v) { Set(faceVisible_, v); }
  double FaceWidth() const { return faceWidth_; }
  void SetFaceWidth(double v) { Set(faceWidth_, v); }
  double FaceXOffset() const { return faceXOffset_; }
  void SetFaceXOffset(double v) { Set(faceXOffset_, v); }
  double FaceYOffset() const { return faceYOffset_; }
  void SetFaceYOffset(double v) { Set(faceYOffset_, v); }
  // GlyphCentered and GlyphStretched are never both true: setting one true clears the other.
  bool GlyphCentered() const { return glyphCentered_; }
  void SetGlyphCentered(bool v);
  bool GlyphStretched() const { return glyphStretched_; }
  void SetGlyphStretched(bool v);
  double GlyphHeight() const { return glyphHeight_; }
  void SetGlyphHeight(double v) { Set(glyphHeight_, v); }
  double GlyphWidth() const { return glyphWidth_; }
  void SetGlyphWidth(double v) { Set(glyphWidth_, v); }
  double GlyphXOffset() const { return glyphXOffset_; }
  void SetGlyphXOffset(double v) { Set(glyphXOffset_, v); }
  double GlyphYOffset() const { return glyphYOffset_; }
  void SetGlyphYOffset(double v) { Set(glyphYOffset_, v); }
  bool GlyphUpIsGlyphDown() const { return glyphUpIsGlyphDown_; }
  void SetGlyphUpIsGlyphDown(bool v) { Set(glyphUpIsGlyphDown_, v); }
  QColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(QColor v) { Set(shadowColor_, v); }
  double ShadowXOffset() const { return shadowXOffset_; }
  void SetShadowXOffset(double v) { Set(shadowXOffset_, v); }
  double ShadowYOffset() const { return shadowYOffset_; }
  void SetShadowYOffset(double v) { Set(shadowYOffset_, v); }

  // The pictures are copied in; a new picture does not repaint by itself.
  const QImage& GlyphUp() const { return glyphUp_; }
  void SetGlyphUp(const QImage& v) { glyphUp_ = v; }
  const QImage& GlyphDown() const { return glyphDown_; }
  void SetGlyphDown(const QImage& v) { glyphDown_ = v; }
  const QImage& GlyphDisabled() const { return glyphDisabled_; }
  void SetGlyphDisabled(const QImage& v) { glyphDisabled_ = v; }

  // Keys, once the owner lets the button take the focus (setFocusPolicy): Space, Return or Enter
  // without modifiers show the down look while held and click on release, as the mouse does;
  // every other key goes on to the parent.

  // True while a mouse button pressed on the button is held (never while disabled: a disabled
  // button ignores the mouse; hiding or disabling it ends the press).
  bool MousePressed() const { return MouseHeld(); }

  // Draws the button as it looks now onto `painter` (W x H from the current size).
  void PaintButton(QPainter& painter) const;

  // The grey of disabled captions.
  static constexpr QRgb kGrayText = 0x808080;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  template <typename T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    update();
  }
  bool DownLook() const { return MouseHeld() || keyHeld_ || buttonIsDown_; }
  void SetKeyHeld(bool held);
  void DrawGlyph(QPainter& painter, const QImage& glyph, double shiftX, double shiftY) const;

  QBrush brush_{Qt::white};
  QPen pen_{Qt::black};
  TFont font_;
  QString caption_;
  bool buttonIsDown_ = false;
  bool buttonIsHot_ = false;
  QColor captionPenColor_{Qt::black};
  bool captionPenVisible_ = false;
  double captionXOffset_ = 0;
  double captionYOffset_ = 0;
  int captionXRound_ = 0;
  int captionYRound_ = 0;
  double faceHeight_ = 0.5;
  bool faceVisible_ = true;
  double faceWidth_ = 0.8;
  double faceXOffset_ = 0;
  double faceYOffset_ = 0;
  bool glyphCentered_ = false;
  QImage glyphDisabled_;
  QImage glyphDown_;
  double glyphHeight_ = 0.8;
  bool glyphStretched_ = false;
  QImage glyphUp_;
  bool glyphUpIsGlyphDown_ = false;
  double glyphWidth_ = 0.2;
  double glyphXOffset_ = 0;
  double glyphYOffset_ = 0;
  QColor shadowColor_{QRgb(0x808080)};
  double shadowXOffset_ = 0;
  double shadowYOffset_ = 0;
  bool keyHeld_ = false;  // a press key went down on the focused button and is not yet released
};

}  // namespace orlaventis
