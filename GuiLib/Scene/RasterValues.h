#pragma once

#include <QBrush>
#include <QFont>
#include <QGraphicsItem>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <vector>

namespace morvex_gui_qtlib {

// The value labels of a raster grid, one per node, in the default font and
// one brush, painted by one item as one run of glyphs: numbers are set from
// the glyphs of their digits and sign, so no text is laid out however many
// different values a frame holds. A label keeps its number while hidden.
class RasterValues : public QGraphicsItem {
public:
    struct Value {
        QPointF pos;
        int number = 0;
        bool shown = false;
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
    // The digits 0 to 9, then the minus sign.
    static constexpr int kSymbols = 11;

    int IndexOf(int row, int column) const;
    // The area a shown label's text covers.
    QRectF TextArea(const Value& value) const;
    // Widens the area the item paints in to take in a shown label.
    void Reach(const Value& value);
    // Appends the glyphs of one label, placed as a text layout would place them.
    void AddGlyphs(const Value& value, QList<quint32>* glyphs, QList<QPointF>* positions) const;

    QBrush _brush;
    QFont _font;
    QRawFont _rawFont;
    std::array<quint32, kSymbols> _glyphs{};
    std::array<qreal, kSymbols> _advances{};
    std::vector<Value> _values;
    int _rows = 0;
    int _columns = 0;
    // Only grows: a label that is hidden or moved is repainted where it was.
    QRectF _reach;
};

}  // namespace morvex_gui_qtlib
