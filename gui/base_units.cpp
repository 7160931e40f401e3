#include "gui/base_units.h"

#include <QFontMetrics>
#include <QStyle>
#include <QWidget>

#include <cmath>

namespace nimbrel {

BaseUnits measureBaseUnits(const QFont& font, const QWidget& widget) {
    QFontMetrics metrics(font);
    // Summed letter by letter: the average advance of the 52 Latin letters, without kerning.
    int sum = 0;
    for (char c = 'A'; c <= 'Z'; ++c) sum += metrics.horizontalAdvance(QLatin1Char(c));
    for (char c = 'a'; c <= 'z'; ++c) sum += metrics.horizontalAdvance(QLatin1Char(c));
    BaseUnits units;
    units.x = static_cast<int>(std::lround(sum / 52.0));
    units.y = metrics.height();
    units.scrollBarWidth = widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &widget);
    return units;
}

}  // namespace nimbrel
