// Layout modes: the design size that all forms follow, chosen from the screen size.
#include "shell/Layout.h"

namespace orlaventis {

std::optional<LayoutModeValue> ChooseLayoutMode(int width, int height) {
  const double byWidth = width / 640.0;
  const double byHeight = height / 480.0;
  if (byWidth >= byHeight) {  // the height limits the layout
    if (height < 480) return std::nullopt;
    if (height < 768) return 3;
    if (height < 864) return 4;
    return 5;
  }
  if (width < 640) return std::nullopt;
  if (width < 1024) return 0;
  if (width < 1152) return 1;
  return 2;
}

LayoutDesign DesignForLayoutMode(const ScreenLayout& layout) {
  const LayoutModeValue mode = layout.mode;
  const QSize fill = layout.fillScreen;
  // Never below the 1024 x 768 design the mode stands for.
  if (mode == 2 && fill.width() > 1024)
    return {fill.width(), 640, QSize(fill.width(), fill.width() * 3 / 4), QStringLiteral("10x7")};
  if (mode == 5 && fill.height() > 768)
    return {fill.height(), 480, QSize(fill.height() * 4 / 3, fill.height()),
            QStringLiteral("10x7")};
  switch (mode) {
    case 1: return {800, 640, QSize(800, 600), QStringLiteral("8x6")};
    case 2: return {1024, 640, QSize(1024, 768), QStringLiteral("10x7")};
    case 4: return {600, 480, QSize(800, 600), QStringLiteral("8x6")};
    case 5: return {768, 480, QSize(1024, 768), QStringLiteral("10x7")};
    default: return {1, 1, QSize(640, 480), QStringLiteral("6x4")};
  }
}

double FillScale(const ScreenLayout& layout) {
  if (!layout.Filling() || (layout.mode != 2 && layout.mode != 5)) return 1.0;
  const LayoutDesign design = DesignForLayoutMode(layout);
  return double(design.numerator) / design.denominator * 640.0 / 1024.0;
}

int ScaleForLayout(int value, const ScreenLayout& layout) {
  const LayoutDesign design = DesignForLayoutMode(layout);
  const long long product = static_cast<long long>(value) * design.numerator;
  const long long half = design.denominator / 2;
  const long long scaled = product >= 0 ? (product + half) / design.denominator
                                        : -((-product + half) / design.denominator);
  return static_cast<int>(scaled);
}

}  // namespace orlaventis
