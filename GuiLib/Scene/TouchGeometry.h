#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <array>
#include <utility>
#include <vector>

class QGraphicsLineItem;
class QGraphicsScene;
class QPen;

namespace morvex_gui_qtlib {

// Where the panel's coordinate area lies in a touch scene: scaled to fit with
// a margin of 10 pixels on each side, aspect ratio kept, centred, optionally
// mirrored. A panel without a resolution, or a scene too small to hold it,
// gets scale 0 and nothing should be drawn.
class TouchGeometry {
public:
    static constexpr double kMargin = 20.0;  // both sides together

    void Fit(const QRectF& sceneRect, int xRes, int yRes);

    bool IsDrawable() const { return _scale > 0.0; }
    double Scale() const { return _scale; }
    double Left() const { return _left; }
    double Top() const { return _top; }
    double Right() const { return _right; }
    double Bottom() const { return _bottom; }
    double Width() const { return _right - _left; }
    double Height() const { return _bottom - _top; }
    // A mirrored scene coordinate is mirror minus the unmirrored one.
    double MirrorX() const { return _right + _left; }
    double MirrorY() const { return _bottom + _top; }

    QPointF Map(const std::pair<int, int>& position, bool mirrorX = false,
                bool mirrorY = false) const;

    // The panel's outline: left, top, bottom and right edge, in this order.
    std::array<QLineF, 4> FrameLines() const;
    // Adds the four outline items with `pen` when `frame` is empty, else moves
    // them; the outline is hidden while nothing can be drawn.
    void PlaceFrame(QGraphicsScene* scene, std::vector<QGraphicsLineItem*>& frame,
                    const QPen& pen) const;

private:
    double _scale = 0.0;
    double _left = 0.0;
    double _top = 0.0;
    double _right = 0.0;
    double _bottom = 0.0;
};

}  // namespace morvex_gui_qtlib
