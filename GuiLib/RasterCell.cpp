#include "RasterCell.h"

#include <algorithm>

namespace morvex_gui_qtlib {

namespace {

constexpr int kDeadBand = 10;
constexpr float kMaxComponent = 255.0f;

int Component(float value) {
    return static_cast<int>(std::min(value, kMaxComponent));
}

}  // namespace

RasterCell RasterCell::FromValue(int value) {
    // Accumulated step by step in single precision, so the sizes and shades
    // match the raster the operators know.
    float radius = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    if (value > kDeadBand) {
        for (int i = kDeadBand; i < value; ++i) {
            radius += 0.08f;
            red += 0.06f * static_cast<float>(i);
            green += 0.01f * static_cast<float>(i);
        }
    }
    if (value < -kDeadBand) {
        for (int i = kDeadBand; i < -value; ++i) {
            radius += 0.005f;
            blue += 0.02f * static_cast<float>(i);
            green += 0.005f * static_cast<float>(i);
        }
    }
    RasterCell cell;
    cell._radius = radius;
    cell._color = QColor(Component(red), Component(green), Component(blue), 255);
    return cell;
}

}  // namespace morvex_gui_qtlib
