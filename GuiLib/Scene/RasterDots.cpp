#include "RasterDots.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <cmath>

namespace morvex_gui_qtlib {

namespace {

// Half the pen, the rounding onto pixels and the pixel Qt's ellipse takes
// past its right and bottom edges.
constexpr qreal kPaintMargin = 2.0;

// `rect` with its edges moved to the nearest whole device pixels, when the
// painter maps without rotation. Qt fills and outlines such a circle with a
// direct scan instead of flattening curves, several times faster; the circle
// moves by less than half a pixel.
QRectF OnWholePixels(const QRectF& rect, const QTransform& toDevice) {
    if (toDevice.type() > QTransform::TxScale) {
        return rect;
    }
    const qreal sx = toDevice.m11();
    const qreal sy = toDevice.m22();
    const qreal dx = toDevice.dx();
    const qreal dy = toDevice.dy();
    const qreal left = std::round(rect.left() * sx + dx);
    const qreal top = std::round(rect.top() * sy + dy);
    const qreal right = std::max(std::round(rect.right() * sx + dx), left + 1);
    const qreal bottom = std::max(std::round(rect.bottom() * sy + dy), top + 1);
    return QRectF(QPointF((left - dx) / sx, (top - dy) / sy),
                  QPointF((right - dx) / sx, (bottom - dy) / sy));
}

}  // namespace

RasterDots::RasterDots() {
    // The paint skips circles outside the exposed part.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void RasterDots::Build(int rows, int columns) {
    _columns = rows > 0 && columns > 0 ? columns : 0;
    _dots.assign(static_cast<size_t>(rows) * _columns, Dot{QRectF(), QColor(Qt::black), false});
    update();
}

int RasterDots::IndexOf(int row, int column) const {
    if (row < 0 || column < 0 || column >= _columns || row >= Rows()) {
        return -1;
    }
    return row * _columns + column;
}

const RasterDots::Dot* RasterDots::At(int row, int column) const {
    const int index = IndexOf(row, column);
    return index < 0 ? nullptr : &_dots[index];
}

void RasterDots::Set(int row, int column, const QRectF& rect, const QColor& colour, bool filled) {
    const int index = IndexOf(row, column);
    if (index < 0) {
        return;
    }
    Dot& dot = _dots[index];
    if (dot.rect == rect && dot.colour == colour && dot.filled == filled) {
        return;
    }
    Reach(dot.rect);
    Reach(rect);
    dot = Dot{rect, colour, filled};
    update();
}

void RasterDots::Reach(const QRectF& rect) {
    if (rect.isEmpty()) {
        return;
    }
    const QRectF painted = rect.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    if (!_reach.contains(painted)) {
        prepareGeometryChange();
        _reach |= painted;
    }
}

void RasterDots::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) {
    const QTransform toDevice = painter->deviceTransform();
    // Circles reaching into the exposed part, with their outline.
    const QRectF visible =
        option->exposedRect.adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin);
    QPen pen(Qt::black);
    QBrush fill(Qt::black, Qt::SolidPattern);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    bool filling = false;
    for (const Dot& dot : _dots) {
        // An empty ellipse draws nothing; neither does one outside the exposed part.
        if (dot.rect.isEmpty() || !dot.rect.intersects(visible)) {
            continue;
        }
        if (dot.colour != pen.color()) {
            pen.setColor(dot.colour);
            painter->setPen(pen);
            fill.setColor(dot.colour);
            if (filling) {
                painter->setBrush(fill);
            }
        }
        if (dot.filled != filling) {
            filling = dot.filled;
            painter->setBrush(filling ? fill : QBrush());
        }
        painter->drawEllipse(OnWholePixels(dot.rect, toDevice));
    }
}

}  // namespace morvex_gui_qtlib
