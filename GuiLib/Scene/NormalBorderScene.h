#pragma once

#include <vector>

#include "Scene.h"
#include "TouchGeometry.h"

class QGraphicsRectItem;

namespace morvex_gui {
class CoreBorder;
}

namespace morvex_gui_qtlib {

// The border test: a ring of square cells along the panel's edges, each turned
// white by a touch. Once every cell is white, the next touch passes the test.
class NormalBorderScene : public Scene {
public:
    NormalBorderScene(QGraphicsScene* scene, morvex_gui::CoreBorder* state);
    ~NormalBorderScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void OnResize() override;
    void Layout(bool create) override;

    const TouchGeometry& Geometry() const { return _geometry; }
    const std::vector<QGraphicsRectItem*>& Cells() const { return _cells; }
    int HitCount() const { return _hitCount; }

private:
    void RemoveCells();
    void BuildCells();
    void AddCell(double x, double y, double size);
    // Restores the hits of a rebuild that made the same cells; other cells
    // start over.
    void RestoreHits();
    void HitCellsAt(const QPointF& point);

    morvex_gui::CoreBorder* _state;
    std::vector<QGraphicsRectItem*> _cells;
    // Per cell, in _cells order: touched since the test began.
    std::vector<bool> _cellHit;
    bool _done;
    bool _passed;
    int _hitCount;
    TouchGeometry _geometry;
};

}  // namespace morvex_gui_qtlib
