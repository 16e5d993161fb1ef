#pragma once

#include <vector>

#include "TouchScene.h"

class QGraphicsLineItem;

namespace morvex_gui {
class Normal;
}

namespace morvex_gui_qtlib {

class SegmentGroup;

// Draws each finger of a touch report as a coloured trail inside the panel's
// outline. Every trail is a ring of line items made once in Start, so a long
// session never adds items.
class NormalScene : public TouchScene<morvex_gui::Normal> {
public:
    static constexpr int kTrailLength = 5000;
    // Trail items per group; see SegmentGroup.
    static constexpr int kGroupSize = 50;

    NormalScene(QGraphicsScene* scene, morvex_gui::Normal* state);
    ~NormalScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void Layout(bool create) override;

    // The ring of line items of finger `slot`.
    const std::vector<QGraphicsLineItem*>& Trail(size_t slot) const { return _trails.at(slot); }

private:
    void ClearTrail(size_t slot);
    void DrawSegment(size_t slot);

    std::vector<QGraphicsLineItem*> _frame;
    std::vector<std::vector<QGraphicsLineItem*>> _trails;
    // Per slot, the parents of each run of kGroupSize consecutive trail items.
    std::vector<std::vector<SegmentGroup*>> _groups;
    std::vector<int> _trailIndex;
    // Items of each trail shown since its last clear; the rest are still blank.
    std::vector<int> _trailUsed;
};

}  // namespace morvex_gui_qtlib
