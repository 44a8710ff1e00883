// Paints the pictures of the demo reference work: slides, catalogue photos, car and seat views,
// backgrounds.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

namespace olvtool {

// The body styles the painter can draw.
enum class BodyKind { Saloon2, Saloon4, Coupe, CoupeGt, Estate, Convertible };

// "s2", "s4", "c", "cgt", "e", "cab" (the keys of the items) or "coupe", "estate", "cabriolet"
// (the bodies of the models); Saloon4 for others.
BodyKind BodyKindFromKey(const QString& key);

// What a car looks like.
struct CarLook {
  BodyKind body = BodyKind::Saloon4;
  QColor coach = QColor(0x1F, 0x3C, 0x72);
  QColor roof;  // invalid: the coach colour
  bool metallic = false;
  int year = 1960;      // whitewalls and chrome detail change with the years
  int rallyNumber = 0;  // above 0: rally roundels and spotlights
};

// The scenery behind a photo.
enum class Backdrop {
  Studio,
  City,
  Country,
  Coast,
  Mountains,
  Night,
  Forest,
  Track,
  Factory,
  Show
};

// "studio", "city", ... as in the content sources; Studio for anything else.
Backdrop BackdropFromKey(const QString& key);

// One catalogue photo.
struct PhotoRecipe {
  QString scene;  // side, three, front, rear, wheel, badge, grille, lamp, dash, seat, engine,
                  // factory, rally, brochure, show
  Backdrop backdrop = Backdrop::Studio;
  CarLook car;
  QString material;  // seat scenes: "cloth", "vinyl", "leather", "velour"
  QColor trim = QColor(0x76, 0x78, 0x7C);
  uint32_t seed = 1;  // varies placement, lighting and small details
};

// Every routine below needs a QGuiApplication when it draws text (brochures, slides, badges); they
// may run on several threads at once.
// They return a finished RGB32 picture of `size`; a size below 16 x 16 gives a null image.

// Slide 1 to 10 of the introduction and production sections, with its `title` set in the picture.
QImage PaintSlide(int number, const QString& title, QSize size);

// A catalogue photo.
QImage PaintPhoto(const PhotoRecipe& recipe, QSize size);

// The car from the side on a neutral studio floor, for the colour section.
QImage PaintCarSideView(const CarLook& car, QSize size);

// A seat upholstered in `material` ("cloth", "vinyl", "leather", "velour") of `colour`.
QImage PaintSeat(const QString& material, const QColor& colour, QSize size);

// A dark section background; `prefix` is "ibk", "nbk", "pbk" or "ebk".
QImage PaintBackground(const QString& prefix, QSize size);

}  // namespace olvtool
