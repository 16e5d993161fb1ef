#pragma once

#include "RasterScene.h"
#include "RasterValues.h"

namespace morvex_gui {
class TuneMultiFingerLift;
}

namespace morvex_gui_qtlib {

// True for a cell that counts against the panel. Modes 0 and 1 split the
// columns into an edge band of edgeCounter cells on each side and a centre,
// mode 2 the rows; each part has its own inclusive limits. Modes 3 and 4 count
// a zero inside the frame less left/right columns and up/down rows.
bool CheckRasterCell(int value, int centreMax, int centreMin, int edgeMax, int edgeMin,
                     int edgeCounter, int left, int right, int up, int down, int column, int row,
                     int columns, int rows, int mode);

// Judges the lift and active-edge tests. After three settling frames the first
// frame with an offending cell (or, in the active modes, an all-zero centre)
// writes the "Fail" record and reports failure; from then on only the
// offending cells are drawn and the failure is repeated after every frame.
class MultiFingerLiftScene : public RasterScene {
public:
    MultiFingerLiftScene(QGraphicsScene* scene, morvex_gui::TuneMultiFingerLift* state, int mode);
    ~MultiFingerLiftScene() override;

    void Update() override;
    void Layout(bool create) override;

    bool HasFailed() const { return _failed; }
    int GetMode() const { return _mode; }
    // The value label of one cell, or null outside the grid.
    const RasterValues::Value* ValueLabel(int row, int column) const;

private:
    static constexpr int kSettlingUpdates = 3;

    bool IsActiveMode() const { return _mode == 3 || _mode == 4; }
    const morvex_gui::TuneMultiFingerLift& LiftState() const;
    bool CellCounts(int value, int row, int column) const;
    // Cells inside the active-mode margins, all of which must read 0 to fail.
    double CentreCells() const;
    void HideCell(int row, int column, const GridGeometry& grid);
    void ShowOffendingCell(int value, int row, int column, const GridGeometry& grid);
    void Fail();

    // The value labels of all cells, one item over the grid; null until laid out.
    RasterValues* _values;
    bool _failed;
    int _mode;
    int _updates;
};

}  // namespace morvex_gui_qtlib
