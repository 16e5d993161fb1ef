#include "RasterValues.h"

#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>

#include "LabelItem.h"

namespace morvex_gui_qtlib {

namespace {
// Room for glyphs that reach a little past their text's box.
constexpr qreal kPaintMargin = 2.0;
}  // namespace

RasterValues::RasterValues(const QBrush& brush) : _brush(brush) {
    // The paint skips labels outside the exposed part.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

QStaticText RasterValues::GlyphsOf(int number) const {
    return LabelItem::Glyphs(QString::number(number), _font);
}

void RasterValues::Build(int rows, int columns) {
    const bool any = rows > 0 && columns > 0;
    _rows = any ? rows : 0;
    _columns = any ? columns : 0;
    _values.assign(static_cast<size_t>(_rows) * _columns, Value{QPointF(), 0, false, GlyphsOf(0)});
    update();
}

int RasterValues::IndexOf(int row, int column) const {
    if (row < 0 || column < 0 || row >= _rows || column >= _columns) {
        return -1;
    }
    return row * _columns + column;
}

const RasterValues::Value* RasterValues::At(int row, int column) const {
    const int index = IndexOf(row, column);
    return index < 0 ? nullptr : &_values[index];
}

void RasterValues::SetNumber(int row, int column, int number) {
    const int index = IndexOf(row, column);
    if (index < 0 || _values[index].number == number) {
        return;
    }
    Value& value = _values[index];
    Reach(value);
    value.number = number;
    value.glyphs = GlyphsOf(number);
    Reach(value);
    if (value.shown) {
        update();
    }
}

void RasterValues::Place(int row, int column, const QPointF& pos, bool shown) {
    const int index = IndexOf(row, column);
    if (index < 0 || (_values[index].pos == pos && _values[index].shown == shown)) {
        return;
    }
    Value& value = _values[index];
    Reach(value);
    value.pos = pos;
    value.shown = shown;
    Reach(value);
    update();
}

void RasterValues::Hide(int row, int column) {
    if (const Value* value = At(row, column)) {
        Place(row, column, value->pos, false);
    }
}

void RasterValues::Reach(const Value& value) {
    if (!value.shown) {
        return;
    }
    const QRectF painted = QRectF(value.pos, value.glyphs.size())
                               .adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    if (!_reach.contains(painted)) {
        prepareGeometryChange();
        _reach |= painted;
    }
}

void RasterValues::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) {
    // The same font, pen and origin as a simple text item's own drawing.
    painter->setFont(_font);
    QPen textPen;
    textPen.setBrush(_brush);
    painter->setPen(textPen);
    painter->setBrush(Qt::NoBrush);
    const QRectF visible =
        option->exposedRect.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    for (const Value& value : _values) {
        if (value.shown && visible.intersects(QRectF(value.pos, value.glyphs.size()))) {
            painter->drawStaticText(value.pos, value.glyphs);
        }
    }
}

}  // namespace morvex_gui_qtlib
