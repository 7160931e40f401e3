#pragma once

class QFont;
class QWidget;

namespace nimbrel {

/// What every control's position and size is computed from: the average character width
/// and the line height of the window font, and the width of a vertical scroll bar.
struct BaseUnits {
    int x = 0;
    int y = 0;
    int scrollBarWidth = 0;
};

/// Base units of font, with the scroll-bar width of widget's style.
BaseUnits measureBaseUnits(const QFont& font, const QWidget& widget);

}  // namespace nimbrel
