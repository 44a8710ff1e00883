// TThemeStyle: the program's own look for the standard widgets (scroll bars, drop-down lists,
// selections), with their metrics scaled for a filled screen.
#pragma once

#include <QColor>
#include <QProxyStyle>

namespace orlaventis {

// The program's colours for what the desktop would draw otherwise.
inline const QColor kThemeTrack{24, 24, 24};          // scroll-bar track
inline const QColor kThemeButton{64, 64, 64};         // scroll-bar arrow buttons
inline const QColor kThemeArrow{208, 208, 208};       // arrows on dark buttons
inline const QColor kThemeHandle{128, 0, 0};          // scroll-bar handle (maroon)
inline const QColor kThemeHandleEdge{192, 192, 192};  // its silver edge
inline const QColor kThemeHighlight{224, 168, 64};    // selections: the gold of the current section
inline const QColor kThemeHighlightedText{0, 0, 0};

// A style over Fusion that draws scroll bars dark with visible arrows, drop-down lists flat in
// their own Button colour (a list shows exactly the colour its form gives it) with an arrow in
// its ButtonText colour, opens drop-down lists as plain lists, and gives every palette the
// program's highlight. The scroll-bar extent, its shortest handle and the drop-down button's
// width are Fusion's times Scale.
class TThemeStyle final : public QProxyStyle {
 public:
  // `scale` below 1 counts as 1.
  explicit TThemeStyle(double scale = 1.0);

  double Scale() const { return scale_; }
  // Widgets made afterwards take the new metrics.
  void SetScale(double scale);

  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                const QWidget* widget = nullptr,
                QStyleHintReturn* returnData = nullptr) const override;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
  void polish(QPalette& palette) override;
  using QProxyStyle::polish;

 private:
  double scale_ = 1.0;
};

// Installs a TThemeStyle of `scale` on the application, or gives the one installed that scale.
void InstallThemeStyle(double scale);
// The scale of the installed TThemeStyle; 1 without one.
double ThemeScale();

}  // namespace orlaventis
