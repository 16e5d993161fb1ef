#include "TrailLayer.h"

#include <QGraphicsScene>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <cmath>

#include "SegmentGroup.h"

namespace morvex_gui_qtlib {

namespace {
constexpr size_t kMaxChanges = 1024;
}

TrailLayer::TrailLayer() {
    // The paint needs only the exposed part of the kept image.
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void TrailLayer::Invalidate(const QRectF& area) {
    FollowSceneRect();
    if (area.isEmpty()) {
        return;
    }
    if (_changed.size() >= kMaxChanges) {
        // Long without a paint (a hidden view): one rectangle round them all.
        QRect all;
        for (const QRect& changed : _changed) {
            all |= changed;
        }
        _changed.assign(1, all);
    }
    _changed.push_back(area.toAlignedRect());
    update(area);
}

void TrailLayer::FollowSceneRect() {
    const QRectF sceneArea = scene() != nullptr ? scene()->sceneRect() : QRectF();
    if (sceneArea != _area) {
        prepareGeometryChange();
        _area = sceneArea;
        _changed.assign(1, _area.toAlignedRect());
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
        _changed.assign(1, _area.toAlignedRect());
    }
    return true;
}

void TrailLayer::Redraw(QPainter::RenderHints hints) {
    if (_changed.empty()) {
        return;
    }
    const std::vector<QRect> areas = JoinedChanges();
    _changed.clear();
    QPainter painter(&_image);
    painter.setRenderHints(hints);
    for (const QRect& area : areas) {
        Erase(area);
        // A rectangular clip keeps the copies on Qt's plain, single-threaded
        // path; a region would split every copy into spans for its thread pool.
        painter.setClipRect(area);
        PaintGroups(&painter, area);
    }
}

std::vector<QRect> TrailLayer::JoinedChanges() const {
    std::vector<QRect> joined;
    for (QRect area : _changed) {
        area &= _area.toAlignedRect();
        for (size_t i = 0; i < joined.size();) {
            if (joined[i].intersects(area)) {
                area |= joined[i];
                joined[i] = joined.back();
                joined.pop_back();
                i = 0;
            } else {
                ++i;
            }
        }
        if (!area.isEmpty()) {
            joined.push_back(area);
        }
    }
    return joined;
}

void TrailLayer::Erase(const QRect& area) {
    const qreal scale = _image.devicePixelRatio();
    const QRect pixels =
        QRect(QPoint(static_cast<int>(std::floor(area.left() * scale)),
                     static_cast<int>(std::floor(area.top() * scale))),
              QPoint(static_cast<int>(std::ceil((area.right() + 1) * scale)) - 1,
                     static_cast<int>(std::ceil((area.bottom() + 1) * scale)) - 1)) &
        _image.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(_image.scanLine(y));
        std::fill(line + pixels.left(), line + pixels.right() + 1, QRgb(0));
    }
}

void TrailLayer::PaintGroups(QPainter* painter, const QRectF& area) const {
    for (SegmentGroup* group : _groups) {
        if (group->Reach().intersects(area)) {
            group->PaintOn(painter, area);
        }
    }
}

}  // namespace morvex_gui_qtlib
