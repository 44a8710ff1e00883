// Layout modes: the design size that all forms follow, chosen from the screen size.
#pragma once

#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace orlaventis {

// 0 and 3: the 640 x 480 design; 1 and 4: 800 x 600; 2 and 5: 1024 x 768. Modes 0 to 2 are
// chosen when the width limits the layout (scaling by width / 640), 3 to 5 when the height does
// (scaling by height / 480).
using LayoutModeValue = std::uint8_t;

// The layout mode for a screen of `width` x `height` pixels; nullopt when the limiting side is
// below 640 x 480 (the program then ends with exit code 1).
std::optional<LayoutModeValue> ChooseLayoutMode(int width, int height);

// What a layout mode means for a form designed at 640 x 480.
struct LayoutDesign {
  int numerator = 1;  // controls, positions and fonts are scaled by numerator / denominator
  int denominator = 1;
  QSize formSize{640, 480};
  QString suffix;  // of background picture names: "6x4", "8x6" or "10x7"
};

// The layout a run follows: its mode and, when it fills the screen (an opt-in that lets large
// screens use their whole width or height), the size of the screen to fill.
struct ScreenLayout {
  LayoutModeValue mode = 0;
  QSize fillScreen;  // empty: not filling (the three design sizes only)
  bool Filling() const { return !fillScreen.isEmpty(); }
};

// The design of `layout`; modes above 5 count as 0. While filling a screen, the 1024 x 768 modes
// (2 and 5) scale the 640 x 480 design further, by the screen's limiting side.
LayoutDesign DesignForLayoutMode(const ScreenLayout& layout);

// How much larger than in the design size it stands for `layout` draws the pictures of controls
// (glyphs, icons, the Info tile, the About box): the filled screen's factor over the 1024 x 768
// design, 1 when the screen is not filled.
double FillScale(const ScreenLayout& layout);

// `value` scaled by the layout's ratio, rounded to the nearest integer (halves away from zero).
int ScaleForLayout(int value, const ScreenLayout& layout);

}  // namespace orlaventis
