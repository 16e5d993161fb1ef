#include "RasterValues.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>
#include <charconv>

namespace morvex_gui_qtlib {

namespace {

// Room for glyphs that reach a little past their text's box.
constexpr qreal kPaintMargin = 2.0;
// Long enough for any int in decimal.
constexpr size_t kNumberChars = 12;

int SymbolOf(char c) {
    return c == '-' ? 10 : c - '0';
}

}  // namespace

RasterValues::RasterValues(const QBrush& brush)
    : _brush(brush), _rawFont(QRawFont::fromFont(_font)) {
    // The paint skips labels outside the exposed part.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
    const QList<quint32> glyphs = _rawFont.glyphIndexesForString(QStringLiteral("0123456789-"));
    const QList<QPointF> advances = _rawFont.advancesForGlyphIndexes(glyphs);
    for (int i = 0; i < kSymbols && i < glyphs.size() && i < advances.size(); ++i) {
        _glyphs[i] = glyphs[i];
        _advances[i] = advances[i].x();
    }
}

void RasterValues::Build(int rows, int columns) {
    const bool any = rows > 0 && columns > 0;
    _rows = any ? rows : 0;
    _columns = any ? columns : 0;
    _values.assign(static_cast<size_t>(_rows) * _columns, Value());
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

QRectF RasterValues::TextArea(const Value& value) const {
    char digits[kNumberChars];
    const char* end = std::to_chars(digits, digits + kNumberChars, value.number).ptr;
    qreal width = 0;
    for (const char* c = digits; c < end; ++c) {
        width += _advances[SymbolOf(*c)];
    }
    return QRectF(value.pos.x(), value.pos.y(), width, _rawFont.ascent() + _rawFont.descent());
}

void RasterValues::Reach(const Value& value) {
    if (!value.shown) {
        return;
    }
    const QRectF painted =
        TextArea(value).adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    if (!_reach.contains(painted)) {
        prepareGeometryChange();
        _reach |= painted;
    }
}

void RasterValues::AddGlyphs(const Value& value, QList<quint32>* glyphs,
                             QList<QPointF>* positions) const {
    char digits[kNumberChars];
    const char* end = std::to_chars(digits, digits + kNumberChars, value.number).ptr;
    // A text's first line has its baseline one ascent below the top.
    const qreal baseline = value.pos.y() + _rawFont.ascent();
    qreal x = value.pos.x();
    for (const char* c = digits; c < end; ++c) {
        const int symbol = SymbolOf(*c);
        glyphs->append(_glyphs[symbol]);
        positions->append(QPointF(x, baseline));
        x += _advances[symbol];
    }
}

void RasterValues::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) {
    const QRectF visible =
        option->exposedRect.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (const Value& value : _values) {
        if (value.shown && visible.intersects(TextArea(value))) {
            AddGlyphs(value, &glyphs, &positions);
        }
    }
    if (glyphs.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(_rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    // The same pen as a simple text item's own drawing.
    QPen textPen;
    textPen.setBrush(_brush);
    painter->setPen(textPen);
    painter->setBrush(Qt::NoBrush);
    painter->drawGlyphRun(QPointF(0, 0), run);
}

}  // namespace morvex_gui_qtlib
