#pragma once

#include <QGraphicsLineItem>

class QGraphicsScene;

namespace morvex_gui_qtlib {

// A line item whose bounding rectangle comes from its end points widened by
// the pen, instead of from the stroked outline Qt builds for every query.
// The graphics scene asks for it on each move, index update and repaint, so
// scenes that move many lines per frame use this item.
class SegmentItem : public QGraphicsLineItem {
public:
    explicit SegmentItem(const QLineF& line = QLineF(), QGraphicsItem* parent = nullptr);

    // Adds a segment with `line` and `pen` to `scene`, as QGraphicsScene::addLine does.
    static SegmentItem* Add(QGraphicsScene* scene, const QLineF& line, const QPen& pen);

    QRectF boundingRect() const override;
};

}  // namespace morvex_gui_qtlib
