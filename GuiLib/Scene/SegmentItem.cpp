#include "SegmentItem.h"

#include <QGraphicsScene>
#include <QPen>

namespace morvex_gui_qtlib {

SegmentItem::SegmentItem(const QLineF& line, QGraphicsItem* parent)
    : QGraphicsLineItem(line, parent) {}

SegmentItem* SegmentItem::Add(QGraphicsScene* scene, const QLineF& line, const QPen& pen) {
    auto* item = new SegmentItem(line);
    item->setPen(pen);
    scene->addItem(item);
    return item;
}

QRectF SegmentItem::boundingRect() const {
    const QLineF segment = line();
    const QRectF ends = QRectF(segment.p1(), segment.p2()).normalized();
    const QPen outline = pen();
    if (outline.style() == Qt::NoPen) {
        return ends;
    }
    // A square cap reaches half the width past each end in both directions,
    // so its corners lie at most width / sqrt(2) away: a full width covers
    // every cap and the thin, cosmetic case alike.
    const qreal margin = qMax<qreal>(outline.widthF(), 1.0);
    return ends.adjusted(-margin, -margin, margin, margin);
}

}  // namespace morvex_gui_qtlib
