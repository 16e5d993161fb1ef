#include "TrailRings.h"

#include <QGraphicsScene>
#include <algorithm>

#include "CircleItem.h"
#include "SegmentGroup.h"
#include "SegmentItem.h"
#include "TrailLayer.h"

namespace morvex_gui_qtlib {

namespace {

// Where `item` shows on screen; empty while it is hidden.
QRectF ShownArea(const QGraphicsItem& item) {
    return item.isVisible() ? item.boundingRect() : QRectF();
}

}  // namespace

TrailRings::TrailRings(int length) : _length(length) {}

void TrailRings::Create(QGraphicsScene* scene, const std::vector<Style>& styles) {
    const size_t slotCount = styles.size();
    _lines.assign(slotCount, {});
    _dots.assign(slotCount, {});
    _groups.assign(slotCount, {});
    _trailIndex.assign(slotCount, 0);
    _trailUsed.assign(slotCount, 0);
    _layer = new TrailLayer();
    scene->addItem(_layer);
    for (size_t slot = 0; slot < slotCount; ++slot) {
        const Style& style = styles[slot];
        _lines[slot].reserve(_length);
        if (style.dots) {
            _dots[slot].reserve(_length);
        }
        for (int i = 0; i < _length; ++i) {
            if (i % kGroupSize == 0) {
                _groups[slot].push_back(new SegmentGroup());
            }
            SegmentGroup* group = _groups[slot].back();
            CircleItem* dot = nullptr;
            if (style.dots) {
                dot = new CircleItem(QRectF(), group);
                dot->setPen(style.dotPen);
                dot->setBrush(style.dotBrush);
                dot->setVisible(false);
                _dots[slot].push_back(dot);
            }
            auto* line = new SegmentItem(QLineF(), group);
            line->setPen(style.line);
            line->setVisible(false);
            _lines[slot].push_back(line);
            group->Hold(line, dot);
        }
        // Each group joins the scene with its items already made and hidden.
        for (SegmentGroup* group : _groups[slot]) {
            scene->addItem(group);
            _layer->Add(group);
        }
    }
}

void TrailRings::Draw(size_t slot, const QLineF& line, const QRectF* dot) {
    int& index = _trailIndex[slot];
    if (index >= _length) {
        index = 0;
    }
    SegmentGroup* group = _groups[slot][index / kGroupSize];
    QGraphicsLineItem* segment = _lines[slot][index];
    const QRectF lineBefore = ShownArea(*segment);
    segment->setLine(line);
    segment->setVisible(true);
    Changed(group, lineBefore, segment->boundingRect());
    if (!_dots[slot].empty()) {
        QGraphicsEllipseItem* mark = _dots[slot][index];
        const QRectF dotBefore = ShownArea(*mark);
        if (dot != nullptr) {
            mark->setRect(*dot);
        }
        mark->setVisible(true);
        Changed(group, dotBefore, mark->boundingRect());
    }
    ++index;
    _trailUsed[slot] = std::max(_trailUsed[slot], index);
}

void TrailRings::Changed(SegmentGroup* group, const QRectF& before, const QRectF& after) {
    group->Changed(before, after);
    _layer->Invalidate(before);
    _layer->Invalidate(after);
}

void TrailRings::ClearBelow(size_t end) {
    for (size_t slot = 0; slot < end && slot < SlotCount(); ++slot) {
        Clear(slot);
    }
}

void TrailRings::Clear(size_t slot) {
    const bool dots = !_dots[slot].empty();
    for (int i = 0; i < _trailUsed[slot]; ++i) {
        if (dots) {
            _dots[slot][i]->setRect(QRectF());
            _dots[slot][i]->setVisible(false);
        }
        _lines[slot][i]->setLine(QLineF());
        _lines[slot][i]->setVisible(false);
    }
    for (SegmentGroup* group : _groups[slot]) {
        _layer->Invalidate(group->Forget());
    }
    _trailIndex[slot] = 0;
    _trailUsed[slot] = 0;
}

}  // namespace morvex_gui_qtlib
