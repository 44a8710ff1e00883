// TBaseBtn: the program's push button drawn from its properties (face, shadow, pictures,
// caption with halo, 3-D frames), and the hand cursors every button shows.
#include "controls/BaseButton.h"

#include "controls/Accessible.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace orlaventis {
namespace {

constexpr QRgb kFrameGrey = 0x808080;
constexpr QRgb kFrameWhite = 0xFFFFFF;

bool IsPressKey(const QKeyEvent* event) {
  const int key = event->key();
  return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
         (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// GDI LineTo along a row or a column: the end point is not drawn.
void LineExcludingEnd(QPainter& painter, QPoint from, QPoint to) {
  const QPoint step((to.x() > from.x()) - (to.x() < from.x()),
                    (to.y() > from.y()) - (to.y() < from.y()));
  if (step.isNull()) return;
  painter.drawLine(from, to - step);
}

// A 3-D frame: `topLeft` colour along the top and left edges, `bottomRight` along the others.
void DrawFrame(QPainter& painter, QPen pen, int W, int H, QRgb topLeft, QRgb bottomRight) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  pen.setColor(QColor(topLeft));
  painter.setPen(pen);
  LineExcludingEnd(painter, QPoint(W - 1, 0), QPoint(0, 0));
  LineExcludingEnd(painter, QPoint(0, 0), QPoint(0, H - 1));
  pen.setColor(QColor(bottomRight));
  painter.setPen(pen);
  LineExcludingEnd(painter, QPoint(0, H - 1), QPoint(W - 1, H - 1));
  LineExcludingEnd(painter, QPoint(W - 1, H - 1), QPoint(W - 1, 0));
  painter.restore();
}

}  // namespace

TBaseBtn::TBaseBtn(QWidget* parent) : GGraphicControl(parent) {
  InstallAccessibleControls();
  resize(120, 40);
  SetControlCursor(this, kCursorHand);
}

void TBaseBtn::SetGlyphCentered(bool v) {
  if (glyphCentered_ == v) return;
  glyphCentered_ = v;
  if (v) glyphStretched_ = false;
  update();
}

void TBaseBtn::SetGlyphStretched(bool v) {
  if (glyphStretched_ == v) return;
  glyphStretched_ = v;
  if (v) glyphCentered_ = false;
  update();
}

void TBaseBtn::DrawGlyph(QPainter& painter, const QImage& glyph, double shiftX,
                         double shiftY) const {
  if (glyph.isNull()) return;
  const int W = width();
  const int H = height();
  if (glyphStretched_) {
    // The box's width and height are computed like its right and bottom edges, so a shift
    // both moves and enlarges the picture.
    const QRect box(Rnd((glyphXOffset_ + shiftX) * W), Rnd((glyphYOffset_ + shiftY) * H),
                    Rnd((glyphXOffset_ + glyphWidth_ + shiftX) * W),
                    Rnd((glyphYOffset_ + glyphHeight_ + shiftY) * H));
    StretchDrawPicture(&painter, box, glyph);
  } else if (glyphCentered_) {
    const QSizeF logical = glyph.deviceIndependentSize();  // a dense variant draws at this size
    DrawPicture(&painter, (W - Rnd(logical.width())) / 2 + Rnd(W * shiftX),
                (H - Rnd(logical.height())) / 2 + Rnd(H * shiftY), glyph);
  } else {
    DrawPicture(&painter, Rnd((glyphXOffset_ + shiftX) * W), Rnd((glyphYOffset_ + shiftY) * H),
                glyph);
  }
}

void TBaseBtn::PaintButton(QPainter& painter) const {
  const int W = width();
  const int H = height();
  const bool down = DownLook();
  const bool enabled = isEnabled();
  painter.setBrush(brush_);
  painter.setPen(pen_);
  painter.setFont(font_.Font);

  auto face = [&](double shiftX, double shiftY) {
    GdiRoundRect(painter, Rnd((faceXOffset_ + shiftX) * W), Rnd((faceYOffset_ + shiftY) * H),
                 Rnd((faceXOffset_ + faceWidth_ + shiftX) * W),
                 Rnd((faceYOffset_ + faceHeight_ + shiftY) * H), captionXRound_, captionYRound_);
  };

  if (!down && faceVisible_) {
    QBrush shadowBrush = brush_;
    shadowBrush.setColor(shadowColor_);
    QPen shadowPen = pen_;
    shadowPen.setColor(shadowColor_);
    painter.setBrush(shadowBrush);
    painter.setPen(shadowPen);
    face(shadowXOffset_, shadowYOffset_);
    painter.setBrush(brush_);
    painter.setPen(pen_);
  }

  if (enabled && down) {
    if (faceVisible_) face(shadowXOffset_, shadowYOffset_);
    const QImage* glyph = nullptr;
    if (!glyphDown_.isNull() && !glyphUpIsGlyphDown_) {
      glyph = &glyphDown_;
    } else if (glyphUpIsGlyphDown_ && !glyphUp_.isNull()) {
      glyph = &glyphUp_;
    }
    if (glyph != nullptr) DrawGlyph(painter, *glyph, shadowXOffset_, shadowYOffset_);
    if (!faceVisible_) DrawFrame(painter, pen_, W, H, kFrameGrey, kFrameWhite);
  } else if (enabled) {
    if (faceVisible_) face(0, 0);
    DrawGlyph(painter, glyphUp_, 0, 0);
  }
  if (enabled && !faceVisible_ && !down && buttonIsHot_) {
    DrawFrame(painter, pen_, W, H, kFrameWhite, kFrameGrey);
  }
  if (!enabled) {
    if (faceVisible_) face(0, 0);
    DrawGlyph(painter, glyphDisabled_, 0, 0);
  }

  if (caption_.isEmpty()) return;
  painter.setBrush(Qt::NoBrush);
  const QPoint point = down ? QPoint(Rnd((captionXOffset_ + shadowXOffset_) * W),
                                     Rnd((captionYOffset_ + shadowYOffset_) * H))
                            : QPoint(Rnd(W * captionXOffset_), Rnd(H * captionYOffset_));
  if (captionPenVisible_) {
    painter.setPen(captionPenColor_);
    GdiTextOut(painter, point.x() - 1, point.y() - 1, caption_);
  }
  painter.setPen(enabled ? font_.Color : QColor(kGrayText));
  GdiTextOut(painter, point.x(), point.y(), caption_);
}

void TBaseBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintButton(painter);
}

bool TBaseBtn::event(QEvent* event) {
  // A held mouse button shows the down look until it is released or the press ends otherwise.
  const bool held = MouseHeld();
  const bool handled = RaiseMouseEvents(this, event);
  if (MouseHeld() != held || event->type() == QEvent::EnabledChange) update();
  return handled || GGraphicControl::event(event);
}

void TBaseBtn::SetKeyHeld(bool held) {
  if (keyHeld_ == held) return;
  keyHeld_ = held;
  update();
}

void TBaseBtn::keyPressEvent(QKeyEvent* event) {
  if (!IsPressKey(event) || !isEnabled()) {
    GGraphicControl::keyPressEvent(event);
    return;
  }
  SetKeyHeld(true);
}

void TBaseBtn::keyReleaseEvent(QKeyEvent* event) {
  if (!IsPressKey(event) || event->isAutoRepeat() || !keyHeld_) {
    GGraphicControl::keyReleaseEvent(event);
    return;
  }
  // The click comes on release, so that a window it opens does not receive the release.
  SetKeyHeld(false);
  if (isEnabled() && OnClick) OnClick(this);
}

void TBaseBtn::focusOutEvent(QFocusEvent* event) {
  SetKeyHeld(false);
  GGraphicControl::focusOutEvent(event);
}

}  // namespace orlaventis
