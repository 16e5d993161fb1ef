#pragma once

#include <QColor>

#include "RasterDots.h"
#include "RasterGrid.h"
#include "Scene.h"

namespace morvex_gui {
class CoreRaster;
}

namespace morvex_gui_qtlib {

// A raster frame as a grid of circles, one per number: large positive values
// grow red, large negative ones blue, small ones stay a black dot. Judges nothing.
class RasterScene : public Scene {
public:
    // Size and colour of the circle that shows one value.
    struct PointLook {
        double radius;
        QColor colour;
    };

    RasterScene(QGraphicsScene* scene, morvex_gui::CoreRaster* state);
    ~RasterScene() override;

    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    void Layout(bool create) override;
    virtual void DrawPoint(int value, int row, int column, double stepX, double stepY);

    static PointLook LookOf(int value);

    // The circle of one cell, or null outside the grid that Start built.
    const RasterDots::Dot* Node(int row, int column) const;

protected:
    GridGeometry Geometry() const;
    // Rows and cells of the current frame that also have a circle.
    int DrawableRows() const;
    int DrawableColumns(int row) const;
    int FrameValue(int row, int column) const;
    // DrawPoint for every cell of the frame that has a circle.
    void DrawFrame(const GridGeometry& grid);

    // The circles of all cells, one item; null until Start builds a grid.
    RasterDots* _dots;
    double _columns;
    double _rows;
    RasterGrid _grid;
    morvex_gui::CoreRaster* _state;
};

}  // namespace morvex_gui_qtlib
