#pragma once

#include <vector>

#include "Scene.h"

class QGraphicsLineItem;

namespace morvex_gui {
class BendingRawData;
}

namespace morvex_gui_qtlib {

// The bending display: per X electrode a green line at its raw value and a red
// one at its bending value (U), left of the centre; the Y electrodes with their
// V values to the right. It judges nothing.
class BendingDebugScene : public Scene {
public:
    BendingDebugScene(QGraphicsScene* scene, morvex_gui::BendingRawData* state);

    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    void OnResize() override;
    void Layout(bool create) override;

    const std::vector<QGraphicsLineItem*>& XLines() const { return _xLines; }
    const std::vector<QGraphicsLineItem*>& YLines() const { return _yLines; }
    const std::vector<QGraphicsLineItem*>& ULines() const { return _uLines; }
    const std::vector<QGraphicsLineItem*>& VLines() const { return _vLines; }

private:
    struct Geometry {
        double cx;
        double cy;
        double step;
    };

    Geometry Measure(size_t channels) const;
    void CreateSide(const Geometry& geometry, double direction, int electrodes,
                    const std::vector<int>& raw, const std::vector<int>& bending,
                    std::vector<QGraphicsLineItem*>& rawLines,
                    std::vector<QGraphicsLineItem*>& bendingLines);
    static void MoveSide(const Geometry& geometry, double direction, const std::vector<int>& raw,
                         const std::vector<int>& bending,
                         const std::vector<QGraphicsLineItem*>& rawLines,
                         const std::vector<QGraphicsLineItem*>& bendingLines);

    std::vector<QGraphicsLineItem*> _xLines;
    std::vector<QGraphicsLineItem*> _yLines;
    std::vector<QGraphicsLineItem*> _uLines;
    std::vector<QGraphicsLineItem*> _vLines;
    morvex_gui::BendingRawData* _state;
    QGraphicsLineItem* _vAxis;
    QGraphicsLineItem* _hAxis;
};

}  // namespace morvex_gui_qtlib
