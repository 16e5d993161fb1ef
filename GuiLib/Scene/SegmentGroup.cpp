#include "SegmentGroup.h"

#include <QGraphicsScene>

namespace morvex_gui_qtlib {

SegmentGroup::SegmentGroup() {
    // The segments lie within the reach: the view may skip the group whole.
    setFlag(QGraphicsItem::ItemContainsChildrenInShape);
}

void SegmentGroup::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}

void SegmentGroup::Cover(const QRectF& area) {
    if (!_reach.contains(area)) {
        SetReach(_reach.isNull() ? area : _reach.united(area));
    }
}

void SegmentGroup::Forget() {
    if (_reach.isNull()) {
        return;
    }
    if (QGraphicsScene* graphics = scene()) {
        graphics->update(sceneBoundingRect());
    }
    SetReach(QRectF());
}

void SegmentGroup::SetReach(const QRectF& reach) {
    // Qt wants prepareGeometryChange before a new bounding rectangle, to keep
    // its spatial index and to repaint what the item covered, which here means
    // every segment of the group. Without an index neither is needed: the
    // group paints nothing, each segment repaints its own area, and Forget
    // repaints the reach it drops.
    QGraphicsScene* graphics = scene();
    if (graphics == nullptr || graphics->itemIndexMethod() != QGraphicsScene::NoIndex) {
        prepareGeometryChange();
    }
    _reach = reach;
}

}  // namespace morvex_gui_qtlib
