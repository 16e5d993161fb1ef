#pragma once

#include <vector>

#include "SingleDebugScene.h"

class QGraphicsSimpleTextItem;

namespace morvex_gui_qtlib {

// The single-channel display of the zero-crossing mode: on top of the base
// drawing and verdict it marks up to five channels where the line crosses from
// negative to non-negative with a jump greater than the threshold.
class SingleDebugZeroScene : public SingleDebugScene {
public:
    SingleDebugZeroScene(QGraphicsScene* scene, morvex_gui::SingleRawData* state);

    void Update() override;
    void Layout(bool create) override;

    const std::vector<QGraphicsLineItem*>& MarkerLines() const { return _markerLines; }
    const std::vector<QGraphicsSimpleTextItem*>& MarkerLabels() const { return _markerLabels; }
    const std::vector<int>& Crossings() const { return _crossings; }

private:
    void FindCrossings();
    void PlaceMarkers();

    std::vector<QGraphicsLineItem*> _markerLines;
    std::vector<QGraphicsSimpleTextItem*> _markerLabels;
    std::vector<int> _crossings;
};

}  // namespace morvex_gui_qtlib
