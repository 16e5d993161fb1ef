#pragma once

#include <vector>

#include "TouchScene.h"
#include "TrailRings.h"

class QGraphicsLineItem;

namespace morvex_gui {
class Normal;
}

namespace morvex_gui_qtlib {

// Draws each finger of a touch report as a coloured trail inside the panel's
// outline. Every trail is a ring of line items made once in Start, so a long
// session never adds items.
class NormalScene : public TouchScene<morvex_gui::Normal> {
public:
    static constexpr int kTrailLength = 5000;

    NormalScene(QGraphicsScene* scene, morvex_gui::Normal* state);
    ~NormalScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void Layout(bool create) override;
    // The trails are painted from one kept image: a rectangle round a frame's
    // changes is a plain copy, an exact region of them is not.
    bool RedrawsWholeFrames() const override { return true; }

    // The ring of line items of finger `slot`.
    const std::vector<QGraphicsLineItem*>& Trail(size_t slot) const { return _trails.Lines(slot); }

private:
    std::vector<QGraphicsLineItem*> _frame;
    TrailRings _trails;
};

}  // namespace morvex_gui_qtlib
