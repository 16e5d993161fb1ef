#pragma once

#include <array>
#include <vector>

#include "TouchScene.h"

class QGraphicsEllipseItem;
class QGraphicsLineItem;

namespace morvex_gui {
class CorePrecise;
}

namespace morvex_gui_qtlib {

// The precision test: twelve green target circles in four columns and three
// rows across the panel, each turned red by a touch. Once all twelve are red,
// the next touch passes the test.
class NormalPreciseScene : public TouchScene<morvex_gui::CorePrecise> {
public:
    static constexpr int kColumns = 4;
    static constexpr int kRows = 3;
    static constexpr int kTargets = kColumns * kRows;

    NormalPreciseScene(QGraphicsScene* scene, morvex_gui::CorePrecise* state);
    ~NormalPreciseScene() override;

    void Update() override;
    void Layout(bool create) override;

    const std::vector<QGraphicsEllipseItem*>& Targets() const { return _targets; }
    int HitCount() const { return _hitCount; }

private:
    void BuildTargets();
    void HitTargetsAt(const QPointF& point);

    std::vector<QGraphicsLineItem*> _outline;
    std::vector<QGraphicsEllipseItem*> _targets;
    // Per target, row by row: touched since the test began; survives rebuilds.
    std::array<bool, kTargets> _targetHit;
    int _hitCount;
    bool _passed;
};

}  // namespace morvex_gui_qtlib
