#pragma once

#include <QLineF>
#include <QRectF>
#include <vector>

#include "Scene.h"

class QGraphicsLineItem;
class QGraphicsRectItem;

namespace morvex_gui {
class OpenShortState;
}

namespace morvex_gui_qtlib {

// The open/short test's display: one square per sensor square and a short red
// stroke across every boundary the state reports as defective. The first
// defect writes the "Fail" record and is reported once; a pass is never
// reported (the state wrote "Pass" when the test started).
class OpenShortScene : public Scene {
public:
    OpenShortScene(QGraphicsScene* scene, morvex_gui::OpenShortState* state);

    void Start() override;
    void Update() override;
    // The squares follow the rectangle at the next frame.
    void OnResize() override {}
    void Layout(bool create) override;

    // _cells[x][y]: column x, row y.
    const std::vector<std::vector<QGraphicsRectItem*> >& Cells() const { return _cells; }
    const std::vector<QGraphicsLineItem*>& Markers() const { return _markers; }

private:
    struct Grid {
        double cellWidth;
        double cellHeight;
    };

    Grid Measure() const;
    QRectF SquareRect(const Grid& grid, int x, int y) const;
    void PlaceCells(const Grid& grid);
    // Fills _wantedLines with the markers the state's defects call for.
    void MeasureMarkers(const Grid& grid);

    morvex_gui::OpenShortState* _state;
    std::vector<std::vector<QGraphicsRectItem*> > _cells;
    std::vector<QGraphicsLineItem*> _markers;
    // The lines _markers show, and the lines the latest frame asks for.
    std::vector<QLineF> _markerLines;
    std::vector<QLineF> _wantedLines;
    bool _defectFound;
    bool _failReported;
};

}  // namespace morvex_gui_qtlib
