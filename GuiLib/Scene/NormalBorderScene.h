#pragma once

#include <vector>

#include "TouchScene.h"

class QGraphicsRectItem;

namespace morvex_gui {
class CoreBorder;
}

namespace morvex_gui_qtlib {

// The border test: a ring of square cells along the panel's edges, each turned
// white by a touch. Once every cell is white, the next touch passes the test.
class NormalBorderScene : public TouchScene<morvex_gui::CoreBorder> {
public:
    NormalBorderScene(QGraphicsScene* scene, morvex_gui::CoreBorder* state);
    ~NormalBorderScene() override;

    void Update() override;
    void Layout(bool create) override;

    const std::vector<QGraphicsRectItem*>& Cells() const { return _cells; }
    int HitCount() const { return _hitCount; }

private:
    void BuildCells();
    void AddCell(double x, double y, double size);
    // Restores the hits of a rebuild that made the same cells; other cells
    // start over.
    void RestoreHits();
    void HitCellsAt(const QPointF& point);

    std::vector<QGraphicsRectItem*> _cells;
    // Per cell, in _cells order: touched since the test began.
    std::vector<bool> _cellHit;
    bool _done;
    bool _passed;
    int _hitCount;
};

}  // namespace morvex_gui_qtlib
