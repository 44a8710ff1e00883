// GTimeClick: an idle-priority thread that runs a beat on the user-interface thread.
#pragma once

#include <QThread>

#include <functional>
#include <memory>

namespace orlaventis {

class GTimeClick : public QThread {
  Q_OBJECT
 public:
  // Starts at idle priority at once. Each beat runs `callback` on the thread of `context`
  // (the user-interface thread) and waits until it has finished there, then pauses
  // `intervalMs`. Without a callback the thread ends at once. `context` must outlive the
  // beats; Stop before it goes.
  GTimeClick(quint16 intervalMs, std::function<void()> callback, QObject* context);
  // Stops (see Stop).
  ~GTimeClick() override;

  quint16 Interval() const { return interval_; }

  // Detaches the callback, asks the thread to end and waits for it. No beat starts after
  // the callback is detached; a beat already running completes first. Called from inside
  // one of this thread's own beats, it does not wait (the thread ends when the beat
  // returns) and returns false; otherwise returns true once the thread has ended.
  bool Stop();

  // Stops and frees `clock`; a clock stopped from inside its own beat frees itself when its
  // thread has ended.
  static void Dispose(std::unique_ptr<GTimeClick> clock);

 protected:
  void run() override;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  quint16 interval_;
  QObject* context_;
};

}  // namespace orlaventis
