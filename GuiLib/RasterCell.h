#pragma once

#include <QColor>

namespace morvex_gui_qtlib {

// One circle of the draw widget's raster: grows and warms with a positive
// reading above 10, grows slowly and cools with a negative one below -10.
struct RasterCell {
    float _radius = 0.0f;
    QColor _color = QColor(0, 0, 0);

    static RasterCell FromValue(int value);
};

}  // namespace morvex_gui_qtlib
