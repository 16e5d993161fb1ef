#include "CircleItem.h"

#include <QGraphicsScene>
#include <QPen>

namespace morvex_gui_qtlib {

namespace {
constexpr int kFullCircle = 360 * 16;
}

CircleItem::CircleItem(const QRectF& rect, QGraphicsItem* parent)
    : QGraphicsEllipseItem(rect, parent) {}

CircleItem* CircleItem::Add(QGraphicsScene* scene, const QRectF& rect, const QPen& pen,
                            const QBrush& brush) {
    auto* item = new CircleItem(rect);
    item->setPen(pen);
    item->setBrush(brush);
    scene->addItem(item);
    return item;
}

QRectF CircleItem::boundingRect() const {
    if (spanAngle() != kFullCircle) {
        return QGraphicsEllipseItem::boundingRect();
    }
    const QRectF area = rect().normalized();
    const QPen outline = pen();
    if (outline.style() == Qt::NoPen) {
        return area;
    }
    // The outline is centred on the ellipse; thin, cosmetic pens still cover a pixel.
    const qreal margin = qMax<qreal>(outline.widthF(), 1.0) / 2;
    return area.adjusted(-margin, -margin, margin, margin);
}

}  // namespace morvex_gui_qtlib
