#pragma once

#include <array>
#include <vector>

#include "Scene.h"
#include "TouchGeometry.h"

class QGraphicsEllipseItem;
class QGraphicsLineItem;

namespace morvex_gui {
class CorePrecise;
}

namespace morvex_gui_qtlib {

// The precision test: twelve green target circles in four columns and three
// rows across the panel, each turned red by a touch. Once all twelve are red,
// the next touch passes the test.
class NormalPreciseScene : public Scene {
public:
    static constexpr int kColumns = 4;
    static constexpr int kRows = 3;
    static constexpr int kTargets = kColumns * kRows;

    NormalPreciseScene(QGraphicsScene* scene, morvex_gui::CorePrecise* state);
    ~NormalPreciseScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void OnResize() override;
    void Layout(bool create) override;

    const TouchGeometry& Geometry() const { return _geometry; }
    const std::vector<QGraphicsEllipseItem*>& Targets() const { return _targets; }
    int HitCount() const { return _hitCount; }

private:
    void RemoveTargets();
    void BuildTargets();
    void HitTargetsAt(const QPointF& point);

    morvex_gui::CorePrecise* _state;
    std::vector<QGraphicsLineItem*> _outline;
    std::vector<QGraphicsEllipseItem*> _targets;
    // Per target, row by row: touched since the test began; survives rebuilds.
    std::array<bool, kTargets> _targetHit;
    TouchGeometry _geometry;
    int _hitCount;
    bool _passed;
};

}  // namespace morvex_gui_qtlib
