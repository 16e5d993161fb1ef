#include "NormalScene.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "Normal.h"
#include "SegmentGroup.h"
#include "SegmentItem.h"
#include "TouchPens.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kPenCount = 20;
constexpr int kTrailAlpha = 100;

const QPen& TrailPen(size_t slot) {
    static const std::vector<QPen> pens = [] {
        std::vector<QPen> table;
        for (int i = 0; i < kPenCount; ++i) {
            table.push_back(
                TouchPens::RoundPen(TouchPens::WithAlpha(TouchPens::SlotColour(i), kTrailAlpha)));
        }
        return table;
    }();
    return pens[slot % pens.size()];
}

}  // namespace

NormalScene::NormalScene(QGraphicsScene* scene, morvex_gui::Normal* state)
    : TouchScene(scene, state) {}

NormalScene::~NormalScene() = default;

void NormalScene::Layout(bool create) {
    FitPanel(create, _frame, TouchPens::DashedFrame());
}

void NormalScene::Start() {
    Layout(true);
    const int slotCount = std::max(0, _state->_maxTouches);
    _trails.assign(slotCount, {});
    _groups.assign(slotCount, {});
    _trailIndex.assign(slotCount, 0);
    _trailUsed.assign(slotCount, 0);
    for (int slot = 0; slot < slotCount; ++slot) {
        _trails[slot].reserve(kTrailLength);
        for (int i = 0; i < kTrailLength; ++i) {
            if (i % kGroupSize == 0) {
                _groups[slot].push_back(new SegmentGroup());
            }
            auto* item = new SegmentItem(QLineF(), _groups[slot].back());
            item->setPen(TrailPen(slot));
            item->setVisible(false);
            _trails[slot].push_back(item);
        }
        // Each group joins the scene with its segments already made and hidden.
        for (SegmentGroup* group : _groups[slot]) {
            _scene->addItem(group);
        }
    }
}

void NormalScene::Update() {
    if (!_geometry.IsDrawable()) {
        return;
    }
    if (PenContactBegins()) {
        for (size_t slot = 0; slot < kFingerSlots && slot < _trails.size(); ++slot) {
            ClearTrail(slot);
        }
    }
    ForEachMovingFinger(_trails.size(), [this](size_t slot) {
        DrawSegment(slot);
        return true;
    });
}

void NormalScene::DrawSegment(size_t slot) {
    int& index = _trailIndex[slot];
    if (index >= kTrailLength) {
        index = 0;
    }
    QGraphicsLineItem* item = _trails[slot][index];
    item->setLine(QLineF(MapPosition(slot), MapLastPosition(slot)));
    item->setVisible(true);
    _groups[slot][index / kGroupSize]->Cover(item->boundingRect());
    ++index;
    _trailUsed[slot] = std::max(_trailUsed[slot], index);
}

void NormalScene::ClearTrail(size_t slot) {
    for (int i = 0; i < _trailUsed[slot]; ++i) {
        _trails[slot][i]->setLine(QLineF());
        _trails[slot][i]->setVisible(false);
    }
    for (SegmentGroup* group : _groups[slot]) {
        group->Forget();
    }
    _trailIndex[slot] = 0;
    _trailUsed[slot] = 0;
}

void NormalScene::Clear() {
    for (size_t slot = 0; slot < _trails.size(); ++slot) {
        ClearTrail(slot);
    }
}

}  // namespace morvex_gui_qtlib
