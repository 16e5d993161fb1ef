#pragma once

#include <vector>

#include "RasterGrid.h"
#include "Scene.h"

class QGraphicsEllipseItem;

namespace morvex_gui {
class TuneMultiFinger;
}

namespace morvex_gui_qtlib {

// Where fingers are: a dotted grid of X columns and Y rows with a red disc on
// every crossing whose X flag and Y flag are both 1. Judges nothing.
class MultiFingerScene : public Scene {
public:
    MultiFingerScene(QGraphicsScene* scene, morvex_gui::TuneMultiFinger* state);
    ~MultiFingerScene() override;

    void Start() override;
    void Update() override;
    void OnResize() override;
    void Layout(bool create) override;

    // The discs shown for the last pair, in drawing order (columns outer).
    std::vector<QGraphicsEllipseItem*> ShownMarks() const;

private:
    GridGeometry Geometry() const;
    // Shows disc `index` of the pool at a crossing, adding it when the pool is short.
    void PlaceMark(size_t index, const QPointF& centre);

    morvex_gui::TuneMultiFinger* _state;
    // Discs are kept and moved between frames; only the first _shownMarks are visible.
    std::vector<QGraphicsEllipseItem*> _marks;
    size_t _shownMarks;
    RasterGrid _grid;
    double _columns;
    double _rows;
};

}  // namespace morvex_gui_qtlib
