#pragma once

#include <vector>

#include "TouchScene.h"
#include "TrailRings.h"

class QGraphicsEllipseItem;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

namespace morvex_gui {
class CoreNormalFlag;
}

namespace morvex_gui_qtlib {

// Finger trails with a dot at every new point, and along the bottom of the
// panel a legend of the controller's five status conditions, lit while set.
class NormalFlagScene : public TouchScene<morvex_gui::CoreNormalFlag> {
public:
    static constexpr int kTrailLength = 1000;

    NormalFlagScene(QGraphicsScene* scene, morvex_gui::CoreNormalFlag* state);
    ~NormalFlagScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void Layout(bool create) override;
    // The trails are painted from one kept image: a rectangle round a frame's
    // changes is a plain copy, an exact region of them is not.
    bool RedrawsWholeFrames() const override { return true; }

    // The rings of line and dot items of finger `slot`.
    const std::vector<QGraphicsLineItem*>& Trail(size_t slot) const { return _trails.Lines(slot); }
    const std::vector<QGraphicsEllipseItem*>& Dots(size_t slot) const { return _trails.Dots(slot); }
    const std::vector<QGraphicsRectItem*>& Legend() const { return _legend; }

private:
    void CreateLegend();
    void PlaceLegend();
    void ShowFlags();
    void DrawSegment(size_t slot);

    std::vector<QGraphicsRectItem*> _legend;
    std::vector<QGraphicsSimpleTextItem*> _labels;
    std::vector<QGraphicsLineItem*> _frame;
    // Per finger, a ring of segments with a dot at each.
    TrailRings _trails;
};

}  // namespace morvex_gui_qtlib
