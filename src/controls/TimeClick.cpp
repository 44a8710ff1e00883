// GTimeClick: an idle-priority thread that runs a beat on the user-interface thread.
#include "controls/TimeClick.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

namespace orlaventis {

// State shared by the worker, the beats queued on the user-interface thread and Stop; the
// queued beats hold it too, so none of them touches a clock that has gone.
struct GTimeClick::Shared {
  QMutex mutex;
  QWaitCondition wake;
  std::function<void()> callback;  // detached (empty) once stopping has begun
  bool stop = false;
  bool inBeat = false;  // user-interface thread only
};

GTimeClick::GTimeClick(quint16 intervalMs, std::function<void()> callback, QObject* context)
    : shared_(std::make_shared<Shared>()), interval_(intervalMs), context_(context) {
  shared_->callback = std::move(callback);
  start(QThread::IdlePriority);
}

GTimeClick::~GTimeClick() { Stop(); }

void GTimeClick::run() {
  const std::shared_ptr<Shared> shared = shared_;
  {
    QMutexLocker lock(&shared->mutex);
    if (!shared->callback || context_ == nullptr) return;
  }
  for (;;) {
    {
      QMutexLocker lock(&shared->mutex);
      if (shared->stop) return;
    }
    // The callback is read again on the user-interface thread under the lock that Stop
    // takes, so a beat never runs once the callback was detached.
    QMetaObject::invokeMethod(
        context_,
        [shared] {
          std::function<void()> beat;
          {
            QMutexLocker lock(&shared->mutex);
            if (shared->stop || !shared->callback) return;
            beat = shared->callback;
          }
          shared->inBeat = true;
          beat();
          shared->inBeat = false;
        },
        Qt::BlockingQueuedConnection);
    QMutexLocker lock(&shared->mutex);
    if (shared->stop) return;
    shared->wake.wait(&shared->mutex, interval_);
  }
}

bool GTimeClick::Stop() {
  {
    QMutexLocker lock(&shared_->mutex);
    shared_->callback = nullptr;
    shared_->stop = true;
    shared_->wake.wakeAll();
  }
  // Inside our own beat the worker waits for this very call: it ends when the beat returns.
  if (shared_->inBeat) return false;
  const bool pump = context_ != nullptr && QThread::currentThread() == context_->thread();
  // The worker may be waiting for a beat queued to this thread; delivering it lets the
  // worker go on (the beat sees the stop and returns at once) instead of deadlocking.
  while (!wait(5)) {
    if (pump) QCoreApplication::sendPostedEvents(context_, QEvent::MetaCall);
  }
  return true;
}

void GTimeClick::Dispose(std::unique_ptr<GTimeClick> clock) {
  if (clock == nullptr || clock->Stop()) return;
  GTimeClick* ending = clock.release();
  connect(ending, &QThread::finished, ending, &QObject::deleteLater);
}

}  // namespace orlaventis
