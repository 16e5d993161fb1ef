#include "NormalPreciseScene.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "CircleItem.h"
#include "CorePrecise.h"
#include "SceneItems.h"
#include "TouchPens.h"

namespace morvex_gui_qtlib {

namespace {

const QBrush& TargetBrush() {
    static const QBrush brush(Qt::green);
    return brush;
}

const QBrush& HitBrush() {
    static const QBrush brush(Qt::red);
    return brush;
}

}  // namespace

NormalPreciseScene::NormalPreciseScene(QGraphicsScene* scene, morvex_gui::CorePrecise* state)
    : TouchScene(scene, state), _targetHit{}, _hitCount(0), _passed(false) {}

NormalPreciseScene::~NormalPreciseScene() = default;

void NormalPreciseScene::Layout(bool create) {
    FitPanel(create, _outline, TouchPens::SolidFrame());
    RemoveItems(_scene, _targets);
    BuildTargets();
}

void NormalPreciseScene::BuildTargets() {
    const double diameter = 2.0 * _state->GetCircleRadius();
    // Targets of no size could never be hit; without them nothing is drawn.
    if (diameter <= 0 || !_geometry.IsDrawable()) {
        return;
    }
    const double columnStep = (_geometry.Width() - diameter) / (kColumns - 1);
    const double rowStep = (_geometry.Height() - diameter) / (kRows - 1);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QRectF square(_geometry.Left() + column * columnStep,
                                _geometry.Top() + row * rowStep, diameter, diameter);
            const bool hit = _targetHit[_targets.size()];
            _targets.push_back(CircleItem::Add(_scene, square, TouchPens::SolidFrame(),
                                               hit ? HitBrush() : TargetBrush()));
        }
    }
}

void NormalPreciseScene::Update() {
    ForEachTouch([this](size_t slot) {
        if (_hitCount == kTargets) {
            // Every target is red: this touch confirms the pass, once.
            if (!_passed) {
                _passed = true;
                SendTestResult(true);
            }
            return false;
        }
        // The targets ignore the panel's mirroring.
        HitTargetsAt(_geometry.Map(_state->_pos[slot]));
        return true;
    });
}

void NormalPreciseScene::HitTargetsAt(const QPointF& point) {
    _hitCount += HitItemsAt(_targets, _targetHit, point, HitBrush());
}

}  // namespace morvex_gui_qtlib
