// TKioskWatcher: brings an unattended program back to its start after a time without input.
#include "shell/KioskWatcher.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace orlaventis {
namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: return true;
    default: return false;
  }
}

}  // namespace

TKioskWatcher::TKioskWatcher(int idleMs, const QKeySequence& exitKeys, std::function<void()> onIdle,
                             std::function<void()> onExit, QObject* parent)
    : QObject(parent), exitKeys_(exitKeys), onIdle_(std::move(onIdle)), onExit_(std::move(onExit)) {
  timer_.setSingleShot(true);
  timer_.setInterval(std::max(1, idleMs));
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (onIdle_) onIdle_();
  });
  QCoreApplication::instance()->installEventFilter(this);
  timer_.start();
}

TKioskWatcher::~TKioskWatcher() {
  if (QCoreApplication* application = QCoreApplication::instance())
    application->removeEventFilter(this);
}

bool TKioskWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (!IsInput(event->type())) return QObject::eventFilter(watched, event);
  timer_.start();
  if (event->type() == QEvent::KeyPress && !exitKeys_.isEmpty()) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    if (pressed == exitKeys_[0]) {
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (onExit_) onExit_();
          },
          Qt::QueuedConnection);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace orlaventis
