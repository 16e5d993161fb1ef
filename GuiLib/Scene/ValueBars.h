#pragma once

#include <cstddef>
#include <vector>

class QGraphicsLineItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;

namespace morvex_gui_qtlib {

// The row of level marks of the one-line scenes (reference data, single-channel
// debug): one mark per value from left to right, values at half scale above the
// horizontal centre line, each with a number label above it.
class ValueBars {
public:
    explicit ValueBars(QGraphicsScene* scene);

    // Geometry of `count` values in the current scene rectangle.
    void Measure(int count);
    bool HasRoom(int count) const;
    // The marks (pass colour) and labels (channel numbers) of the first values.
    void Create(const std::vector<int>& values, int count);

    // Moves mark i to half the value and colours it; with showValue its label
    // shows the value above the mark, otherwise it is hidden. A value without
    // a mark is left alone.
    void Show(size_t index, int value, bool failed, bool showValue);
    void Colour(size_t index, bool failed);

    size_t Size() const { return _bars.size(); }
    QGraphicsLineItem* Bar(size_t index) const;
    QGraphicsSimpleTextItem* Label(size_t index) const;

    double Width() const { return _width; }
    double Height() const { return _height; }
    double CentreY() const { return _cy; }
    double Step() const { return _step; }
    // x where value i's mark begins.
    double MarkLeft(size_t index) const;

private:
    QGraphicsScene* _scene;
    std::vector<QGraphicsLineItem*> _bars;
    std::vector<QGraphicsSimpleTextItem*> _labels;
    double _width;
    double _height;
    double _cy;
    double _step;
};

}  // namespace morvex_gui_qtlib
