// The program's resources (bitmaps, cursors, form pictures) that this library links in.
#include "controls/Resources.h"

#include <QtCore/qglobal.h>

// The resource initialiser lives outside any namespace.
static void InitOrlaventisResources() { Q_INIT_RESOURCE(orlaventis); }

namespace orlaventis {

void InitResources() {
  static const bool done = [] {
    InitOrlaventisResources();
    return true;
  }();
  (void)done;
}

}  // namespace orlaventis
