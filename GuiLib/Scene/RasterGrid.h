#pragma once

#include <QPointF>
#include <vector>

class QGraphicsLineItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;

namespace morvex_gui_qtlib {

// Where the nodes of a columns x rows grid lie in the scene rectangle less a
// margin on each side. A grid needs two nodes each way; with fewer there is
// no step and nothing is drawn.
struct GridGeometry {
    static constexpr double kMargin = 30.0;

    static GridGeometry Measure(const QGraphicsScene* scene, double columns, double rows);

    QPointF Node(int row, int column) const {
        return QPointF(kMargin + column * stepX, kMargin + row * stepY);
    }
    // Room to draw in: a grid and a drawing area of positive size.
    bool HasArea() const { return valid && width > 0 && height > 0; }

    bool valid = false;
    double width = 0;
    double height = 0;
    double stepX = 0;
    double stepY = 0;
};

// The dotted grid lines and the row and column numbers that lie over the
// nodes of the raster-style scenes. Items belong to the graphics scene.
class RasterGrid {
public:
    // Adds the items (create) or moves the existing ones to the geometry.
    void Layout(QGraphicsScene* scene, const GridGeometry& grid, int columns, int rows,
                bool create);

    const std::vector<QGraphicsLineItem*>& HorizontalLines() const { return _hLines; }
    const std::vector<QGraphicsLineItem*>& VerticalLines() const { return _vLines; }
    const std::vector<QGraphicsSimpleTextItem*>& RowLabels() const { return _rowLabels; }
    const std::vector<QGraphicsSimpleTextItem*>& ColumnLabels() const { return _columnLabels; }

private:
    void LayoutRows(QGraphicsScene* scene, const GridGeometry& grid, int rows, bool create);
    void LayoutColumns(QGraphicsScene* scene, const GridGeometry& grid, int columns, bool create);

    std::vector<QGraphicsLineItem*> _hLines;
    std::vector<QGraphicsLineItem*> _vLines;
    std::vector<QGraphicsSimpleTextItem*> _rowLabels;
    std::vector<QGraphicsSimpleTextItem*> _columnLabels;
};

}  // namespace morvex_gui_qtlib
