#include "NormalScene.h"

#include <QGraphicsLineItem>
#include <algorithm>

#include "Normal.h"
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
    : TouchScene(scene, state), _trails(kTrailLength) {}

NormalScene::~NormalScene() = default;

void NormalScene::Layout(bool create) {
    FitPanel(create, _frame, TouchPens::DashedFrame());
}

void NormalScene::Start() {
    Layout(true);
    std::vector<TrailRings::Style> styles(std::max(0, _state->_maxTouches));
    for (size_t slot = 0; slot < styles.size(); ++slot) {
        styles[slot].line = TrailPen(slot);
    }
    _trails.Create(_scene, styles);
}

void NormalScene::Update() {
    if (!_geometry.IsDrawable()) {
        return;
    }
    if (PenContactBegins()) {
        _trails.ClearBelow(kFingerSlots);
    }
    ForEachMovingFinger(_trails.SlotCount(), [this](size_t slot) {
        _trails.Draw(slot, QLineF(MapPosition(slot), MapLastPosition(slot)));
        return true;
    });
}

void NormalScene::Clear() {
    _trails.ClearAll();
}

}  // namespace morvex_gui_qtlib
