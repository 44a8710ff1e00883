// Drawing basis of the controls: shared palettes, palette-safe picture drawing, GDI-style shapes,
// the program-wide screen cursor table and the base control with mouse-enter/leave events.
#include "controls/GraphicControl.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QtEndian>

#include <cmath>
#include <limits>

// The resource initialiser lives outside any namespace.
static void InitOrlaventisResources() { Q_INIT_RESOURCE(orlaventis); }

namespace orlaventis {
namespace {

constexpr qsizetype kFileHeaderSize = 14;
constexpr qsizetype kColorTableOffset = 40;  // the table always follows a 40-byte header
constexpr quint32 kMaxPaletteEntries = 65535;
constexpr char kCursorIdProperty[] = "orlaventisCursorId";

struct PaletteState {
  ColorTable pal16;
  ColorTable pal256;
  int depthOverride = 0;
};

PaletteState& Palettes() {
  static PaletteState state;
  return state;
}

QMap<int, QCursor>& CursorTable() {
  static QMap<int, QCursor> table;
  return table;
}

ColorTable LoadPalette(const QString& name) {
  QFile file(QStringLiteral(":/bitmaps/%1.bmp").arg(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ColorTableFromBmp(file.readAll());
}

// Stock cursors of the framework for the identifiers nobody installed.
QCursor StockCursor(int id) {
  switch (id) {
    case -1: return QCursor(Qt::BlankCursor);
    case -3: return QCursor(Qt::CrossCursor);
    case -4: return QCursor(Qt::IBeamCursor);
    case -6: return QCursor(Qt::SizeBDiagCursor);
    case -7: return QCursor(Qt::SizeVerCursor);
    case -8: return QCursor(Qt::SizeFDiagCursor);
    case -9: return QCursor(Qt::SizeHorCursor);
    case -10: return QCursor(Qt::UpArrowCursor);
    case -11: return QCursor(Qt::WaitCursor);
    case -12: return QCursor(Qt::DragMoveCursor);
    case -13: case -18: return QCursor(Qt::ForbiddenCursor);
    case -14: return QCursor(Qt::SplitHCursor);
    case -15: return QCursor(Qt::SplitVCursor);
    case -19: return QCursor(Qt::BusyCursor);
    case -20: return QCursor(Qt::WhatsThisCursor);
    case -21: return QCursor(Qt::PointingHandCursor);
    case -22: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
  }
}

}  // namespace

int Rnd(double v) {
  // The default floating-point rounding mode rounds halves to even.
  const double r = std::nearbyint(v);
  if (!(r > std::numeric_limits<int>::min() && r < std::numeric_limits<int>::max())) {
    return r > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
  }
  return static_cast<int>(r);
}

void InitResources() {
  static const bool done = [] {
    InitOrlaventisResources();
    return true;
  }();
  (void)done;
}

ColorTable ColorTableFromBmp(QByteArrayView bmp) {
  if (bmp.size() < kFileHeaderSize + 16 || bmp[0] != 'B' || bmp[1] != 'M') return {};
  const auto* info = reinterpret_cast<const uchar*>(bmp.data()) + kFileHeaderSize;
  const qsizetype infoSize = bmp.size() - kFileHeaderSize;
  const quint32 headerSize = qFromLittleEndian<quint32>(info);
  if (headerSize < 12 || headerSize > infoSize) return {};
  // Bit count: offset 14 of the 40-byte header, offset 10 of the old 12-byte one.
  const quint16 bitCount = qFromLittleEndian<quint16>(info + (headerSize >= 16 ? 14 : 10));
  quint64 count = 0;
  if (headerSize >= 36 && qFromLittleEndian<quint32>(info + 32) != 0) {
    count = qFromLittleEndian<quint32>(info + 32);
  } else if (bitCount < 32) {
    count = quint64{1} << bitCount;
  }
  if (count == 0 || count > kMaxPaletteEntries) return {};
  if (kColorTableOffset + 4 * count > static_cast<quint64>(infoSize)) return {};
  ColorTable table;
  table.reserve(static_cast<qsizetype>(count));
  for (quint64 i = 0; i < count; ++i) {
    const uchar* entry = info + kColorTableOffset + 4 * i;
    table.append(qRgb(entry[2], entry[1], entry[0]));
  }
  return table;
}

bool LoadPalettes() {
  InitResources();
  PaletteState& state = Palettes();
  state.pal16 = LoadPalette(QStringLiteral("PAL16"));
  state.pal256 = LoadPalette(QStringLiteral("PAL256"));
  return !state.pal16.isEmpty() && !state.pal256.isEmpty();
}

void FreePalettes() {
  Palettes().pal16.clear();
  Palettes().pal256.clear();
}

int DisplayDepth() {
  if (Palettes().depthOverride > 0) return Palettes().depthOverride;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->depth();
  }
  return 32;
}

void SetDisplayDepthOverride(int bitsPerPixel) { Palettes().depthOverride = qMax(0, bitsPerPixel); }

const ColorTable* DisplayPalette() {
  const int depth = DisplayDepth();
  const ColorTable* table = nullptr;
  if (depth < 8) {
    table = &Palettes().pal16;
  } else if (depth == 8) {
    table = &Palettes().pal256;
  }
  return table != nullptr && !table->isEmpty() ? table : nullptr;
}

QImage MapToPalette(const QImage& picture, const ColorTable& palette) {
  if (picture.isNull() || palette.isEmpty()) return picture;
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  QHash<QRgb, QRgb> nearest;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb colour = line[x] | 0xFF000000u;
      auto it = nearest.constFind(colour);
      if (it == nearest.constEnd()) {
        QRgb best = palette.front();
        int bestDistance = std::numeric_limits<int>::max();
        for (QRgb candidate : palette) {
          const int dr = qRed(candidate) - qRed(colour);
          const int dg = qGreen(candidate) - qGreen(colour);
          const int db = qBlue(candidate) - qBlue(colour);
          const int distance = dr * dr + dg * dg + db * db;
          if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
          }
        }
        it = nearest.insert(colour, best);
      }
      line[x] = (line[x] & 0xFF000000u) | (*it & 0x00FFFFFFu);
    }
  }
  return out;
}

namespace {
QImage PaletteSafe(const QImage& picture) {
  const ColorTable* palette = DisplayPalette();
  return palette != nullptr ? MapToPalette(picture, *palette) : picture;
}
}  // namespace

void DrawPicture(QPainter* painter, int x, int y, const QImage& picture) {
  if (painter == nullptr || picture.isNull()) return;
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter->drawImage(QPoint(x, y), PaletteSafe(picture));
  painter->restore();
}

void StretchDrawPicture(QPainter* painter, const QRect& box, const QImage& picture) {
  if (painter == nullptr || picture.isNull() || box.width() <= 0 || box.height() <= 0) return;
  // Without smooth transformation the painter samples the nearest source pixel (rows and
  // columns dropped or repeated, as COLORONCOLOR does) and renders only the visible part,
  // so a huge box costs no memory. On a dense screen the box covers more device pixels than
  // logical ones; there the picture is filtered from its own pixels instead, so that it is not
  // drawn blocky.
  painter->save();
  const QPaintDevice* device = painter->device();
  painter->setRenderHint(QPainter::SmoothPixmapTransform, device != nullptr && device->devicePixelRatioF() > 1.0);
  painter->drawImage(box, PaletteSafe(picture));
  painter->restore();
}

void GdiRectangle(QPainter& painter, int x1, int y1, int x2, int y2) {
  GdiRoundRect(painter, x1, y1, x2, y2, 0, 0);
}

void GdiRoundRect(QPainter& painter, int x1, int y1, int x2, int y2, int cornerW, int cornerH) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  painter.save();
  const bool rounded = cornerW > 0 && cornerH > 0;
  painter.setRenderHint(QPainter::Antialiasing, rounded);
  // An aliased 1-pixel outline of QRect(x1, y1, w - 1, h - 1) covers x1..x2-1; without a pen
  // the same shape fills x1..x2-2, as GDI does. Antialiased outlines sit on pixel centres.
  QRectF shape(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
  if (rounded && painter.pen().style() != Qt::NoPen) shape.translate(0.5, 0.5);
  if (rounded) {
    painter.drawRoundedRect(shape, cornerW / 2.0, cornerH / 2.0, Qt::AbsoluteSize);
  } else {
    painter.drawRect(shape);
  }
  painter.restore();
}

void GdiTextOut(QPainter& painter, int x, int y, const QString& text) {
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

QCursor ScreenCursor(int id) {
  const auto it = CursorTable().constFind(id);
  return it != CursorTable().constEnd() ? *it : StockCursor(id);
}

void SetScreenCursor(int id, const QCursor& cursor) {
  CursorTable().insert(id, cursor);
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  for (QWidget* widget : QApplication::allWidgets()) {
    if (ControlCursor(widget) == id) widget->setCursor(cursor);
  }
}

void SetControlCursor(QWidget* widget, int id) {
  if (widget == nullptr) return;
  widget->setProperty(kCursorIdProperty, id);
  widget->setCursor(ScreenCursor(id));
}

int ControlCursor(const QWidget* widget) {
  return widget != nullptr ? widget->property(kCursorIdProperty).toInt() : 0;
}

QCursor LoadResourceCursor(const QString& name) {
  InitResources();
  // A dense screen takes the variant drawn at twice the pixels; the hotspot stays logical.
  const auto* gui = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
  const bool dense = gui != nullptr && gui->devicePixelRatio() > 1.0 &&
                     QFile::exists(QStringLiteral(":/cursors/%1@2x.png").arg(name));
  QImage image((dense ? QStringLiteral(":/cursors/%1@2x.png") : QStringLiteral(":/cursors/%1.png")).arg(name));
  if (image.isNull()) return QCursor(Qt::ArrowCursor);
  image.setDevicePixelRatio(dense ? 2.0 : 1.0);
  bool okX = false;
  bool okY = false;
  const int hotX = image.text(QStringLiteral("HotspotX")).toInt(&okX);
  const int hotY = image.text(QStringLiteral("HotspotY")).toInt(&okY);
  return okX && okY ? QCursor(QPixmap::fromImage(image), hotX, hotY)
                    : QCursor(QPixmap::fromImage(image));
}

bool TMouseEvents::RaiseMouseEvents(QWidget* control, QEvent* event) {
  switch (event->type()) {
    case QEvent::Hide:
    case QEvent::EnabledChange:
    case QEvent::UngrabMouse:
    case QEvent::WindowDeactivate:
      // The release may never come here now: the press ends without a click.
      if (event->type() != QEvent::EnabledChange || !control->isEnabled()) {
        held_ = false;
        leftArmed_ = false;
      }
      return false;
    default:
      break;
  }
  auto* mouse = dynamic_cast<QMouseEvent*>(event);
  if (mouse == nullptr || !control->isEnabled()) return false;
  const bool left = mouse->button() == Qt::LeftButton;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (left) leftArmed_ = true;
      if (OnMouseDown) OnMouseDown(control, mouse);
      held_ = true;
      return true;
    case QEvent::MouseButtonDblClick:
      // The second press of a double click: the first already clicked.
      leftArmed_ = false;
      if (left && OnDblClick) OnDblClick(control);
      if (OnMouseDown) OnMouseDown(control, mouse);
      held_ = true;
      return true;
    case QEvent::MouseButtonRelease: {
      const bool click = leftArmed_ && left && control->rect().contains(mouse->position().toPoint());
      if (left) leftArmed_ = false;
      if (click && OnClick) OnClick(control);
      if (OnMouseUp) OnMouseUp(control, mouse);
      held_ = false;
      return true;
    }
    case QEvent::MouseMove:
      if (OnMouseMove) OnMouseMove(control, mouse);
      return true;
    default:
      return false;
  }
}

GGraphicControl::GGraphicControl(QWidget* parent) : QWidget(parent) {}

void GGraphicControl::DoMouseIn() {
  if (OnMouseIn) OnMouseIn(this);
}

void GGraphicControl::DoMouseOut() {
  if (OnMouseOut) OnMouseOut(this);
}

void GGraphicControl::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  DoMouseIn();
}

void GGraphicControl::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  DoMouseOut();
}

TWaitCursor::TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

TWaitCursor::~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace orlaventis
