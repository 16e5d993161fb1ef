#pragma once

#include <QColor>
#include <QPen>

namespace morvex_gui_qtlib {

// The pens and colours the touch scenes share, so every touch mode draws a
// finger and the panel's outline alike.
class TouchPens {
public:
    // The colour of finger `slot` (ten, repeating).
    static QColor SlotColour(int slot);
    // `colour` with the alpha `alpha`.
    static QColor WithAlpha(QColor colour, int alpha);
    // A solid, round-capped pen of width 2: trails, dots and legend boxes.
    static QPen RoundPen(const QColor& colour);
    // The panel's outline in the trail scenes: dark grey, dash-dot.
    static const QPen& DashedFrame();
    // The panel's outline and the target outlines in the test scenes: dark
    // grey, solid.
    static const QPen& SolidFrame();
};

}  // namespace morvex_gui_qtlib
