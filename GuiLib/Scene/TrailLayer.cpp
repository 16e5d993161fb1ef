#include "TrailLayer.h"

#include <QGraphicsScene>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <cmath>

#include "SegmentGroup.h"

namespace morvex_gui_qtlib {

TrailLayer::TrailLayer() {
    // The paint needs only the exposed part of the kept image.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void TrailLayer::Invalidate(const QRectF& area) {
    FollowSceneRect();
    if (area.isEmpty()) {
        return;
    }
    _changed += area.toAlignedRect();
    update(area);
}

void TrailLayer::FollowSceneRect() {
    const QRectF sceneArea = scene() != nullptr ? scene()->sceneRect() : QRectF();
    if (sceneArea != _area) {
        prepareGeometryChange();
        _area = sceneArea;
        _changed = _area.toAlignedRect();
    }
}

void TrailLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) {
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    if (!SegmentGroup::PaintsOnWholePixels(painter) || !FitImage(scale)) {
        PaintGroups(painter, option->exposedRect);
        return;
    }
    Redraw(painter->renderHints());
    const QRectF exposed = option->exposedRect & _area;
    painter->drawImage(exposed, _image, QRectF(exposed.topLeft() * scale, exposed.size() * scale));
}

bool TrailLayer::FitImage(qreal scale) {
    const QSize pixels(static_cast<int>(std::ceil(_area.width() * scale)),
                       static_cast<int>(std::ceil(_area.height() * scale)));
    if (pixels.isEmpty() || _area.topLeft() != QPointF(0, 0)) {
        return false;
    }
    if (_image.size() != pixels || _image.devicePixelRatio() != scale) {
        _image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        _image.setDevicePixelRatio(scale);
        _changed = _area.toAlignedRect();
    }
    return true;
}

void TrailLayer::Redraw(QPainter::RenderHints hints) {
    if (_changed.isEmpty()) {
        return;
    }
    QPainter painter(&_image);
    painter.setRenderHints(hints);
    painter.setClipRegion(_changed);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(_changed.boundingRect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect bounds = _changed.boundingRect();
    for (SegmentGroup* group : _groups) {
        const QRect reach = group->Reach().toAlignedRect();
        if (reach.intersects(bounds) && _changed.intersects(reach)) {
            group->PaintOn(&painter);
        }
    }
    _changed = QRegion();
}

void TrailLayer::PaintGroups(QPainter* painter, const QRectF& area) const {
    for (SegmentGroup* group : _groups) {
        if (group->Reach().intersects(area)) {
            group->PaintOn(painter);
        }
    }
}

}  // namespace morvex_gui_qtlib
