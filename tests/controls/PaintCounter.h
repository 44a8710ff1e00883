// Test helper: counts the paint events a widget receives (install it as an event filter).
#pragma once

#include <QEvent>
#include <QObject>

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
};
