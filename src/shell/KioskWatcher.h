// TKioskWatcher: brings an unattended program back to its start after a time without input.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QTimer>

#include <functional>

namespace orlaventis {

// Watches every input the application receives (mouse, keys, wheel, touch, tablet) through an
// application event filter installed for the watcher's lifetime. After `idleMs` milliseconds
// without input `onIdle` runs once; the next input starts the wait again. A key press matching
// the first chord of `exitKeys` (empty: none) reaches no widget and queues `onExit`, so that it
// runs outside the key's delivery.
class TKioskWatcher final : public QObject {
  Q_OBJECT

 public:
  TKioskWatcher(int idleMs, const QKeySequence& exitKeys, std::function<void()> onIdle,
                std::function<void()> onExit, QObject* parent = nullptr);
  ~TKioskWatcher() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTimer timer_;
  QKeySequence exitKeys_;
  std::function<void()> onIdle_;
  std::function<void()> onExit_;
};

}  // namespace orlaventis
