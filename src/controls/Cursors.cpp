// The program's screen cursors: their identifiers, the screen cursor table, the cursor each
// control shows, cursors from the resources and the hourglass over long work.
#include "controls/Cursors.h"

#include "controls/Resources.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QWidget>

namespace orlaventis {
namespace {

constexpr char kCursorIdProperty[] = "orlaventisCursorId";

// The program's own cursors, drawn in its resources. Read on first use, when the application
// (and so the screen's density) is known, and never changed.
const QMap<int, QCursor>& ProgramCursors() {
  static const QMap<int, QCursor> table = {
      {kCursorHand, LoadResourceCursor(QStringLiteral("HandCursor"))},
      {kCursorHandNoFingers, LoadResourceCursor(QStringLiteral("HandNoFingersCursor"))},
      {kCursorZoomIn, LoadResourceCursor(QStringLiteral("ZoomIn"))},
      {kCursorZoomOut, LoadResourceCursor(QStringLiteral("ZoomOut"))},
      {kCursorHelp, LoadResourceCursor(QStringLiteral("Help"))},
  };
  return table;
}

// Stock cursors of the framework for the identifiers the program draws no cursor of its own for.
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
    case -13:
    case -18: return QCursor(Qt::ForbiddenCursor);
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

QCursor ScreenCursor(int id) {
  const QMap<int, QCursor>& own = ProgramCursors();
  const auto it = own.constFind(id);
  return it != own.constEnd() ? *it : StockCursor(id);
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
  QImage image((dense ? QStringLiteral(":/cursors/%1@2x.png") : QStringLiteral(":/cursors/%1.png"))
                   .arg(name));
  if (image.isNull()) return QCursor(Qt::ArrowCursor);
  image.setDevicePixelRatio(dense ? 2.0 : 1.0);
  bool okX = false;
  bool okY = false;
  const int hotX = image.text(QStringLiteral("HotspotX")).toInt(&okX);
  const int hotY = image.text(QStringLiteral("HotspotY")).toInt(&okY);
  return okX && okY ? QCursor(QPixmap::fromImage(image), hotX, hotY)
                    : QCursor(QPixmap::fromImage(image));
}

TWaitCursor::TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

TWaitCursor::~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace orlaventis
