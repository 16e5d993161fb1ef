#pragma once

#include <QGraphicsLineItem>

namespace morvex_gui_qtlib {

// A line item whose bounding rectangle comes from its end points widened by
// the pen, instead of from the stroked outline Qt builds for every query.
// The graphics scene asks for it on each move, index update and repaint, so
// scenes that move many lines per frame use this item.
class SegmentItem : public QGraphicsLineItem {
public:
    explicit SegmentItem(const QLineF& line = QLineF(), QGraphicsItem* parent = nullptr);

    QRectF boundingRect() const override;
};

}  // namespace morvex_gui_qtlib
