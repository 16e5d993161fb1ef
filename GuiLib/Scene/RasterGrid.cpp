#include "RasterGrid.h"
#include "LabelItem.h"
#include "SegmentItem.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>

namespace morvex_gui_qtlib {

namespace {

const QPen& GridPen() {
    static const QPen pen(QBrush(Qt::darkGreen, Qt::SolidPattern), 1.0, Qt::DotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

// Lines sit half a pixel before the node so the dots meet the circles' centres.
constexpr double kLineOffset = 0.5;

QGraphicsSimpleTextItem* AddLabel(QGraphicsScene* scene, int number) {
    QGraphicsSimpleTextItem* label = LabelItem::Add(scene, QString::number(number));
    label->setBrush(QBrush(Qt::darkGreen, Qt::SolidPattern));
    return label;
}

}  // namespace

GridGeometry GridGeometry::Measure(const QGraphicsScene* scene, double columns, double rows) {
    GridGeometry grid;
    const QRectF rect = scene->sceneRect();
    grid.width = rect.width() - 2 * kMargin;
    grid.height = rect.height() - 2 * kMargin;
    grid.valid = columns >= 2 && rows >= 2;
    if (grid.valid) {
        grid.stepX = grid.width / (columns - 1);
        grid.stepY = grid.height / (rows - 1);
    }
    return grid;
}

void RasterGrid::Layout(QGraphicsScene* scene, const GridGeometry& grid, int columns, int rows,
                        bool create) {
    if (!grid.valid) {
        return;
    }
    LayoutRows(scene, grid, rows, create);
    LayoutColumns(scene, grid, columns, create);
}

void RasterGrid::LayoutRows(QGraphicsScene* scene, const GridGeometry& grid, int rows,
                            bool create) {
    const double left = GridGeometry::kMargin;
    for (int r = 0; r < rows; ++r) {
        const double y = GridGeometry::kMargin + r * grid.stepY - kLineOffset;
        const QLineF line(left, y, left + grid.width, y);
        if (create) {
            _hLines.push_back(SegmentItem::Add(scene, line, GridPen()));
        } else if (r < static_cast<int>(_hLines.size())) {
            _hLines[r]->setLine(line);
        }
        if (r == 0) {
            continue;
        }
        if (create) {
            _rowLabels.push_back(AddLabel(scene, r));
        }
        if (r - 1 < static_cast<int>(_rowLabels.size())) {
            _rowLabels[r - 1]->setPos(15, 20 + r * grid.stepY);
        }
    }
}

void RasterGrid::LayoutColumns(QGraphicsScene* scene, const GridGeometry& grid, int columns,
                               bool create) {
    const double top = GridGeometry::kMargin;
    for (int c = 0; c < columns; ++c) {
        const double x = GridGeometry::kMargin + c * grid.stepX - kLineOffset;
        const QLineF line(x, top, x, top + grid.height);
        if (create) {
            _vLines.push_back(SegmentItem::Add(scene, line, GridPen()));
        } else if (c < static_cast<int>(_vLines.size())) {
            _vLines[c]->setLine(line);
        }
        if (c == 0) {
            continue;
        }
        if (create) {
            _columnLabels.push_back(AddLabel(scene, c));
        }
        if (c - 1 < static_cast<int>(_columnLabels.size())) {
            _columnLabels[c - 1]->setPos(20 + c * grid.stepX, 15);
        }
    }
}

}  // namespace morvex_gui_qtlib
