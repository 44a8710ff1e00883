// TRunState: what the main form works out and writes while the program runs.
#pragma once

#include "shell/Layout.h"

#include <QSize>
#include <QString>

namespace orlaventis {

// Written by the main form (FormCreate and the close sequence), read by the forms.
struct TRunState {
  // Which design size the forms follow (Layout.h); chosen by the main form's FormCreate.
  LayoutModeValue LayoutMode = 0;
  // The screen the forms fill (empty: they keep the design sizes); set by FormCreate.
  QSize FillScreenSize;
  // True from the end of FormCreate until the close sequence starts.
  bool MainFormReady = false;
  // Program folder + "d/olv.lng"; set by FormCreate.
  QString LanguageFilePath;

  // The layout the forms follow.
  ScreenLayout Layout() const { return {LayoutMode, FillScreenSize}; }
};

}  // namespace orlaventis
