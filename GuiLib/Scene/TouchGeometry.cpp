#include "TouchGeometry.h"
#include "SegmentItem.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

namespace morvex_gui_qtlib {

void TouchGeometry::Fit(const QRectF& sceneRect, int xRes, int yRes) {
    const double width = sceneRect.width();
    const double height = sceneRect.height();
    _scale = 0.0;
    if (xRes > 0 && yRes > 0) {
        _scale = std::max(0.0, std::min((width - kMargin) / xRes, (height - kMargin) / yRes));
    }
    const double panelWidth = xRes * _scale;
    const double panelHeight = yRes * _scale;
    _left = (width - panelWidth) * 0.5;
    _top = (height - panelHeight) * 0.5;
    _right = _left + panelWidth;
    _bottom = _top + panelHeight;
}

QPointF TouchGeometry::Map(const std::pair<int, int>& position, bool mirrorX, bool mirrorY) const {
    double x = position.first * _scale + _left;
    double y = position.second * _scale + _top;
    if (mirrorX) {
        x = MirrorX() - x;
    }
    if (mirrorY) {
        y = MirrorY() - y;
    }
    return QPointF(x, y);
}

std::array<QLineF, 4> TouchGeometry::FrameLines() const {
    return {QLineF(_left, _top, _left, _bottom), QLineF(_left, _top, _right, _top),
            QLineF(_right, _bottom, _left, _bottom), QLineF(_right, _bottom, _right, _top)};
}

void TouchGeometry::PlaceFrame(QGraphicsScene* scene, std::vector<QGraphicsLineItem*>& frame,
                               const QPen& pen) const {
    const std::array<QLineF, 4> lines = FrameLines();
    if (frame.empty()) {
        for (const QLineF& line : lines) {
            frame.push_back(SegmentItem::Add(scene, line, pen));
        }
    }
    for (size_t i = 0; i < lines.size() && i < frame.size(); ++i) {
        frame[i]->setLine(lines[i]);
        frame[i]->setVisible(IsDrawable());
    }
}

}  // namespace morvex_gui_qtlib
