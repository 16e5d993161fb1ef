#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QRectF>
#include <vector>

namespace morvex_gui_qtlib {

// The circles of a raster grid, one per node, painted by one item: thousands
// of ellipse items cost the view more to track and paint than the circles
// themselves. A circle is outlined in its colour with a one-wide pen and,
// when filled, filled with it; an empty rectangle draws nothing.
class RasterDots : public QGraphicsItem {
public:
    struct Dot {
        QRectF rect;
        QColor colour;
        bool filled = false;
    };

    RasterDots();

    // Gives the grid `rows` x `columns` nodes, each with an empty rectangle.
    void Build(int rows, int columns);
    int Rows() const { return _columns > 0 ? static_cast<int>(_dots.size()) / _columns : 0; }
    int Columns() const { return _columns; }

    // Changes the circle of one node; nodes outside the grid are ignored.
    void Set(int row, int column, const QRectF& rect, const QColor& colour, bool filled);
    // The circle of one node, or null outside the grid.
    const Dot* At(int row, int column) const;

    QRectF boundingRect() const override { return _reach; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    // Index of a node in _dots, or -1 outside the grid.
    int IndexOf(int row, int column) const;
    // Widens the area the item paints in to take in `rect`.
    void Reach(const QRectF& rect);

    std::vector<Dot> _dots;
    int _columns = 0;
    // Only grows: a circle that shrinks or moves is still repainted where it was.
    QRectF _reach;
};

}  // namespace morvex_gui_qtlib
