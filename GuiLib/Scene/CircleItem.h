#pragma once

#include <QGraphicsEllipseItem>

class QGraphicsScene;

namespace morvex_gui_qtlib {

// An ellipse item whose bounding rectangle is its rectangle widened by half
// the pen, instead of the stroked outline Qt builds again after every change
// of rectangle or pen. For scenes that resize and recolour many circles a frame.
class CircleItem : public QGraphicsEllipseItem {
public:
    explicit CircleItem(const QRectF& rect = QRectF(), QGraphicsItem* parent = nullptr);

    // Adds a circle to `scene`, as QGraphicsScene::addEllipse does.
    static CircleItem* Add(QGraphicsScene* scene, const QRectF& rect, const QPen& pen,
                           const QBrush& brush);

    QRectF boundingRect() const override;
};

}  // namespace morvex_gui_qtlib
