// TThemeStyle: the program's own look for the standard widgets (scroll bars, drop-down lists,
// selections), with their metrics scaled for a filled screen.
#include "controls/ThemeStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPolygonF>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace orlaventis {
namespace {

constexpr int kDropButtonWidth = 18;  // a drop-down list's arrow button at scale 1

// A filled triangle pointing `direction`, centred in `box`, half as wide as its shorter side.
void DrawArrow(QPainter& painter, const QRectF& box, Qt::ArrowType direction,
               const QColor& colour) {
  const qreal half = std::max(2.0, std::min(box.width(), box.height()) * 0.25);
  // Pointing down, turned for the other directions.
  const QPolygonF down{QPointF(-half, -half / 2), QPointF(half, -half / 2), QPointF(0, half / 2)};
  const qreal angle = direction == Qt::UpArrow      ? 180
                      : direction == Qt::LeftArrow  ? 90
                      : direction == Qt::RightArrow ? -90
                                                    : 0;
  const QPolygonF triangle =
      QTransform().translate(box.center().x(), box.center().y()).rotate(angle).map(down);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(triangle);
  painter.restore();
}

void DrawScrollBar(const QStyle& style, const QStyleOptionSlider& bar, QPainter& painter,
                   const QWidget* widget) {
  painter.fillRect(bar.rect, kThemeTrack);
  const bool enabled = (bar.state & QStyle::State_Enabled) != 0 && bar.maximum > bar.minimum;
  const bool horizontal = bar.orientation == Qt::Horizontal;
  const struct {
    QStyle::SubControl sub;
    Qt::ArrowType direction;
  } buttons[] = {{QStyle::SC_ScrollBarSubLine, horizontal ? Qt::LeftArrow : Qt::UpArrow},
                 {QStyle::SC_ScrollBarAddLine, horizontal ? Qt::RightArrow : Qt::DownArrow}};
  for (const auto& button : buttons) {
    if ((bar.subControls & button.sub) == 0) continue;
    const QRect box = style.subControlRect(QStyle::CC_ScrollBar, &bar, button.sub, widget);
    const bool pressed = (bar.activeSubControls & button.sub) != 0 &&
                         (bar.state & QStyle::State_Sunken) != 0;
    painter.fillRect(box.adjusted(1, 1, -1, -1),
                     pressed ? kThemeButton.lighter(150) : kThemeButton);
    DrawArrow(painter, box, button.direction, enabled ? kThemeArrow : kThemeButton.lighter(160));
  }
  if (!enabled || (bar.subControls & QStyle::SC_ScrollBarSlider) == 0) return;
  const QRect handle =
      style.subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider, widget)
          .adjusted(1, 1, -1, -1);
  const bool dragged = (bar.activeSubControls & QStyle::SC_ScrollBarSlider) != 0 &&
                       (bar.state & QStyle::State_Sunken) != 0;
  painter.fillRect(handle, dragged ? kThemeHandle.lighter(140) : kThemeHandle);
  painter.setPen(kThemeHandleEdge);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(handle.adjusted(0, 0, -1, -1));
}

}  // namespace

TThemeStyle::TThemeStyle(double scale)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), scale_(std::max(1.0, scale)) {}

void TThemeStyle::SetScale(double scale) { scale_ = std::max(1.0, scale); }

int TThemeStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
  const int base = QProxyStyle::pixelMetric(metric, option, widget);
  switch (metric) {
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin: return static_cast<int>(std::lround(base * scale_));
    default: return base;
  }
}

int TThemeStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const {
  // A drop-down opens as a plain list (selection in the palette's highlight), not as a menu.
  if (hint == SH_ComboBox_Popup) return 0;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QRect TThemeStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl sub, const QWidget* widget) const {
  if (control != CC_ComboBox || option == nullptr)
    return QProxyStyle::subControlRect(control, option, sub, widget);
  const QRect r = option->rect;
  const int button = std::min(r.width(), static_cast<int>(std::lround(kDropButtonWidth * scale_)));
  switch (sub) {
    case SC_ComboBoxArrow: return QRect(r.right() - button + 1, r.top(), button, r.height());
    case SC_ComboBoxEditField:
      return QRect(r.left() + 3, r.top() + 1, std::max(0, r.width() - button - 4), r.height() - 2);
    default: return r;
  }
}

void TThemeStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
  if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
      control == CC_ScrollBar && bar != nullptr) {
    DrawScrollBar(*this, *bar, *painter, widget);
    return;
  }
  if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
      control == CC_ComboBox && combo != nullptr) {
    // Flat, in exactly the list's own colour, with a darker edge and the arrow in its text colour.
    const QColor face = combo->palette.color(QPalette::Button);
    painter->fillRect(combo->rect, face);
    painter->setPen(face.darker(170));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(combo->rect.adjusted(0, 0, -1, -1));
    const bool enabled = (combo->state & State_Enabled) != 0;
    DrawArrow(*painter, subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget), Qt::DownArrow,
              combo->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    return;
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void TThemeStyle::polish(QPalette& palette) {
  QProxyStyle::polish(palette);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Highlight, kThemeHighlight);
    palette.setColor(group, QPalette::HighlightedText, kThemeHighlightedText);
  }
}

void InstallThemeStyle(double scale) {
  if (auto* theme = dynamic_cast<TThemeStyle*>(QApplication::style())) {
    theme->SetScale(scale);
    return;
  }
  QApplication::setStyle(new TThemeStyle(scale));
}

double ThemeScale() {
  const auto* theme = dynamic_cast<const TThemeStyle*>(QApplication::style());
  return theme != nullptr ? theme->Scale() : 1.0;
}

}  // namespace orlaventis
