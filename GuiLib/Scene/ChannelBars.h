#pragma once

#include <cstddef>
#include <vector>

class QGraphicsLineItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;

namespace morvex_gui {
class RawData;
}

namespace morvex_gui_qtlib {

// The split raw-data display of the debug and raster X/Y scenes: X channels
// leftwards from the vertical centre line, Y channels rightwards, values at
// half scale above the horizontal centre line. Each channel has a level mark,
// its number above the mark and its upper and lower limit marks. Judging lives
// here too, so every scene judges a channel the same way whether or not the
// view is wide enough to draw it.
class ChannelBars {
public:
    enum Axis { kXAxis = 0, kYAxis = 1 };

    explicit ChannelBars(QGraphicsScene* scene);

    // Centre lines and limit marks; create adds them, otherwise they are moved.
    void Layout(const morvex_gui::RawData& state, bool create);
    // Layout(true), then the level marks and labels when the channels fit.
    void Start(const morvex_gui::RawData& state);

    // Channels of the axis that have both a stored count and a value.
    static size_t ChannelCount(const morvex_gui::RawData& state, Axis axis);
    // The channel's value less its reference, where the GUI holds one.
    static double Reading(const morvex_gui::RawData& state, Axis axis, size_t channel);
    // Outside [lower, upper] of the threshold table; a channel without limits
    // counts as outside, and the first such channel is logged.
    bool IsOutsideLimits(const morvex_gui::RawData& state, Axis axis, size_t channel,
                         double reading);

    // Moves the channel's mark to half the reading and colours it; nothing
    // happens for a channel that has no mark.
    void ShowChannel(Axis axis, size_t channel, double reading, bool failed, bool showLabel);

    size_t BarCount(Axis axis) const { return _sides[axis].bars.size(); }
    double Step() const { return _step; }
    // The drawn items, null where there is none.
    QGraphicsLineItem* Bar(Axis axis, size_t channel) const;
    QGraphicsSimpleTextItem* Label(Axis axis, size_t channel) const;
    // Upper limit of channel i at 2i, lower at 2i + 1.
    QGraphicsLineItem* LimitLine(Axis axis, size_t index) const;

private:
    struct Side {
        std::vector<QGraphicsLineItem*> bars;
        std::vector<QGraphicsSimpleTextItem*> labels;
        // Upper limit of channel i at 2i, lower at 2i + 1.
        std::vector<QGraphicsLineItem*> limitLines;
    };

    void Measure(const morvex_gui::RawData& state);
    // +1 for Y (rightwards), -1 for X (leftwards).
    static double Direction(Axis axis) { return axis == kXAxis ? -1.0 : 1.0; }
    double CellEdge(Axis axis, double cells) const;
    void LayoutAxes(bool create);
    void LayoutLimits(const morvex_gui::RawData& state, Axis axis, bool create);
    void PlaceLimit(Side& side, size_t index, size_t channel, Axis axis, bool present, int limit,
                    bool create);
    void CreateBars(const morvex_gui::RawData& state, Axis axis);

    QGraphicsScene* _scene;
    QGraphicsLineItem* _vAxis;
    QGraphicsLineItem* _hAxis;
    Side _sides[2];
    double _width;
    double _height;
    double _cx;
    double _cy;
    double _step;
    bool _missingLimitLogged;
};

}  // namespace morvex_gui_qtlib
