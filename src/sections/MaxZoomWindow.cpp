// TMaxZoomWindow: the full-screen window that shows one picture as large as the screen allows.
#include "sections/MaxZoomWindow.h"

#include "controls/Accessible.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/ProportionalImage.h"
#include "shell/MainForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <memory>

namespace orlaventis {
namespace {

QPointer<TMaxZoomWindow>& ZoomWindow() {
  static QPointer<TMaxZoomWindow> window;
  return window;
}

}  // namespace

TMaxZoomWindow::TMaxZoomWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ItemImage(new TProportionalImage(this)) {
  setObjectName(QStringLiteral("MaxZoomWindow"));
  setWindowTitle(QStringLiteral("Orlaventis"));
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::black);
  colours.setColor(QPalette::WindowText, Qt::white);
  setPalette(colours);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(20);
  font.setBold(true);
  setFont(font);

  ItemImage->setObjectName(QStringLiteral("ItemImage"));
  SetControlCursor(ItemImage, kCursorZoomOut);
  ItemImage->Background().SetBrush(QBrush(Qt::black));
  ItemImage->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
  ItemImage->SetEffect(EffectStyle::esRandom);
  ItemImage->SetEffects(false);
  ItemImage->SetSx(100);
  ItemImage->SetSy(100);
  ItemImage->OnClick = [this](QObject*) { close(); };
}

void TMaxZoomWindow::keyPressEvent(QKeyEvent* event) {
  event->accept();
  const int key = event->key();
  const bool closing = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
  if (closing && !event->isAutoRepeat() && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) close();
}

void TMaxZoomWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ItemImage->setGeometry(rect());
}

TMaxZoomWindow* MaxZoomWindow() { return ZoomWindow().data(); }

QSize ZoomPercentages(QSize picture, QSize screen) {
  const double W = screen.width();
  const double H = screen.height();
  if (W <= 0 || H <= 0) return QSize(0, 0);
  const double w = picture.width();
  const double h = picture.height();
  const double factor = 2 * w < W && 2 * h < H ? 200.0 : 100.0;
  return QSize(Rnd(factor * w / W), Rnd(factor * h / H));
}

void ShowMaxZoom(const QImage& picture, const QString& name, const QString& title) {
  // Owned here, not by the main form (which may go while the window shows), and transient
  // for it, so that window managers keep it above the full-screen form.
  TMainForm* main = MainForm();
  auto window = std::make_unique<TMaxZoomWindow>();
  ZoomWindow() = window.get();
  if (main != nullptr && main->windowHandle() != nullptr) {
    window->winId();
    window->windowHandle()->setTransientParent(main->windowHandle());
  }
  const QSize screen = ScreenSize();
  window->setGeometry(QRect(main != nullptr ? main->geometry().topLeft() : QPoint(0, 0), screen));
  // On the real screen the window manager is asked for the whole screen, as for the main form;
  // a pretended screen size (--screen, tests) keeps the geometry above.
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr && primary->size() == screen) window->setWindowState(Qt::WindowFullScreen);
  const QSize percentages = ZoomPercentages(picture.size(), screen);
  window->ItemImage->SetSx(percentages.width());
  window->ItemImage->SetSy(percentages.height());
  window->ItemImage->SetImage(picture);
  window->ItemImage->setAccessibleName(name);
  SetPictureTitle(window->ItemImage, title);
  window->exec();
  window->ItemImage->SetImage(QImage());
  window.reset();
  ZoomWindow() = nullptr;
  // Without a window manager nothing hands the keyboard back: the main form stayed inactive,
  // keys reached no control and the focus mark stayed hidden until a mouse click.
  if (TMainForm* form = MainForm(); form != nullptr && form->isVisible()) form->activateWindow();
}

}  // namespace orlaventis
