#include "SegmentGroup.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QPaintDevice>
#include <cmath>

namespace morvex_gui_qtlib {

namespace {

// A run whose reach is larger than this paints directly: a finger that
// jumps across the panel would otherwise keep a panel-sized image per run.
constexpr qint64 kMaxImagePixels = 512 * 512;
// All groups together keep at most this many image bytes; beyond it, runs
// paint directly.
constexpr qint64 kMaxImageBytes = 256LL * 1024 * 1024;
qint64 imageBytesInUse = 0;

bool IsWhole(qreal value) {
    return std::abs(value - std::round(value)) < 1e-9;
}

qreal DeviceScale(const QPainter* painter) {
    return painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
}

}  // namespace

SegmentGroup::SegmentGroup() {
    // The trail layer paints the group; the view passes over it and its places.
    setFlag(QGraphicsItem::ItemContainsChildrenInShape);
}

SegmentGroup::~SegmentGroup() {
    DropImage();
}

void SegmentGroup::Hold(QGraphicsLineItem* line, QGraphicsEllipseItem* dot) {
    line->setFlag(QGraphicsItem::ItemHasNoContents);
    if (dot != nullptr) {
        dot->setFlag(QGraphicsItem::ItemHasNoContents);
    }
    _places.push_back({line, dot});
}

void SegmentGroup::Changed(const QRectF& before, const QRectF& after) {
    _imageValid = false;
    if (!before.isEmpty()) {
        // A reused place left its old area: the reach shrinks to what is
        // shown, or a ring that wrapped often would reach everywhere.
        _reach = ShownArea();
    } else if (!after.isEmpty() && !_reach.contains(after)) {
        _reach = _reach.isNull() ? after : _reach.united(after);
    }
}

QRectF SegmentGroup::ShownArea() const {
    QRectF shown;
    for (const Place& place : _places) {
        if (place.line->isVisible()) {
            shown |= place.line->boundingRect();
        }
        if (place.dot != nullptr && place.dot->isVisible()) {
            shown |= place.dot->boundingRect();
        }
    }
    return shown;
}

QRectF SegmentGroup::Forget() {
    const QRectF reach = _reach;
    _reach = QRectF();
    DropImage();
    return reach;
}

void SegmentGroup::PaintOn(QPainter* painter, const QRectF& area) {
    if (_reach.isNull()) {
        return;
    }
    if (PaintsOnWholePixels(painter) &&
        (_imageValid || Render(DeviceScale(painter), painter->renderHints()))) {
        const QRectF shown(_imageArea);
        painter->drawImage(shown, _image,
                           QRectF(QPointF(0, 0), shown.size() * _image.devicePixelRatio()));
        return;
    }
    PaintPlaces(painter, area);
}

void SegmentGroup::PaintPlaces(QPainter* painter, const QRectF& area) const {
    for (const Place& place : _places) {
        if (place.dot != nullptr && place.dot->isVisible() &&
            place.dot->boundingRect().intersects(area)) {
            painter->setPen(place.dot->pen());
            painter->setBrush(place.dot->brush());
            painter->drawEllipse(place.dot->rect());
        }
        if (place.line->isVisible() && place.line->boundingRect().intersects(area)) {
            painter->setPen(place.line->pen());
            painter->drawLine(place.line->line());
        }
    }
}

bool SegmentGroup::PaintsOnWholePixels(const QPainter* painter) {
    const qreal scale = DeviceScale(painter);
    const QTransform& toDevice = painter->deviceTransform();
    return toDevice.type() <= QTransform::TxScale && toDevice.m11() == scale &&
           toDevice.m22() == scale && IsWhole(toDevice.dx()) && IsWhole(toDevice.dy());
}

bool SegmentGroup::Render(qreal scale, QPainter::RenderHints hints) {
    const QRect area = _reach.toAlignedRect();
    const QSize pixels(static_cast<int>(std::ceil(area.width() * scale)),
                       static_cast<int>(std::ceil(area.height() * scale)));
    if (area.isEmpty() || qint64(pixels.width()) * pixels.height() > kMaxImagePixels) {
        DropImage();
        return false;
    }
    // Kept while large enough, so a growing run does not allocate each time.
    if (_image.width() < pixels.width() || _image.height() < pixels.height() ||
        _image.devicePixelRatio() != scale) {
        DropImage();
        const QSize roomy((pixels.width() + 31) / 32 * 32, (pixels.height() + 31) / 32 * 32);
        const qint64 bytes = 4LL * roomy.width() * roomy.height();
        if (imageBytesInUse + bytes > kMaxImageBytes) {
            return false;
        }
        _image = QImage(roomy, QImage::Format_ARGB32_Premultiplied);
        _image.setDevicePixelRatio(scale);
        imageBytesInUse += bytes;
    }
    _image.fill(Qt::transparent);
    _imageArea = area;
    QPainter painter(&_image);
    painter.setRenderHints(hints);
    painter.translate(-area.topLeft());
    PaintPlaces(&painter, _reach);
    _imageValid = true;
    return true;
}

void SegmentGroup::DropImage() {
    if (!_image.isNull()) {
        imageBytesInUse -= 4LL * _image.width() * _image.height();
        _image = QImage();
    }
    _imageValid = false;
}

}  // namespace morvex_gui_qtlib
