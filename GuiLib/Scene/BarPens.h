#pragma once

#include <QBrush>
#include <QColor>
#include <QPen>

namespace morvex_gui_qtlib {

// The pens of the level marks that the raw-data scenes draw per channel, so
// a passing and a failing channel look alike in every such scene.
class BarPens {
public:
    // A solid, round-capped mark of width 6 in `colour`.
    static QPen Mark(const QColor& colour);
    static const QPen& Pass();
    static const QPen& Fail();
    // The channel-number labels above the marks.
    static const QBrush& Label();
};

}  // namespace morvex_gui_qtlib
