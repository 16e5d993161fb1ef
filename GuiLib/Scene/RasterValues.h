#pragma once

#include <QBrush>
#include <QFont>
#include <QGraphicsItem>
#include <QPointF>
#include <QStaticText>
#include <vector>

namespace morvex_gui_qtlib {

// The value labels of a raster grid, one per node, painted by one item from
// text laid out once per number, in the default font and one brush. A label
// keeps its number while hidden.
class RasterValues : public QGraphicsItem {
public:
    struct Value {
        QPointF pos;
        int number = 0;
        bool shown = false;
        QStaticText glyphs;
    };

    explicit RasterValues(const QBrush& brush);

    // Gives the grid `rows` x `columns` hidden labels reading 0.
    void Build(int rows, int columns);
    // Changes one label; labels outside the grid are ignored.
    void SetNumber(int row, int column, int number);
    void Place(int row, int column, const QPointF& pos, bool shown);
    void Hide(int row, int column);
    // The label of one node, or null outside the grid.
    const Value* At(int row, int column) const;

    QRectF boundingRect() const override { return _reach; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    int IndexOf(int row, int column) const;
    // Widens the area the item paints in to take in a shown label.
    void Reach(const Value& value);
    QStaticText GlyphsOf(int number) const;

    QBrush _brush;
    QFont _font;
    std::vector<Value> _values;
    int _rows = 0;
    int _columns = 0;
    // Only grows: a label that is hidden or moved is repainted where it was.
    QRectF _reach;
};

}  // namespace morvex_gui_qtlib
