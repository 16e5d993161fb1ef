#pragma once

#include <utility>
#include <vector>

#include "RawData.h"

namespace morvex_gui {

// The open/short test of a sensor of h x v squares. An "X" line carries one
// value per pair of horizontally adjacent squares (open test), a "Y" line one
// per pair of vertically adjacent squares (short test). After four stable
// frames of the grid's size the test starts; every later frame is judged into
// defect lists of (r, c) pairs.
class OpenShortState : public RawData {
public:
    using Cells = std::vector<std::pair<int, int> >;

    explicit OpenShortState(WindowImp* imp);

    void ChangeState() override;
    void Update() override;

    // Whole-frame shift test: part 0 open, 1 short. True when every deviation
    // from the base values has the same strict sign; the pairs are then judged
    // by the shift tolerance instead.
    bool DetectShift(int part);

    int GetXSquares() const { return _xSquares; }
    int GetYSquares() const { return _ySquares; }
    const Cells& GetOpenCells() const { return _openCells; }
    const Cells& GetShortCells() const { return _shortCells; }
    const std::vector<std::vector<int> >& GetOpenData() const { return _openData; }
    const std::vector<std::vector<int> >& GetShortData() const { return _shortData; }

private:
    // One of the two tests: where its values sit in the frame and the table.
    struct Test {
        int part;
        int rows;     // r runs 0 .. rows - 1
        int columns;  // c runs 0 .. columns - 1, i = columns * r + c
        int baseRow;  // threshold rows: base, tolerance, shift tolerance
        const std::vector<int>* values;
        std::vector<std::vector<int> >* matrix;
        Cells* cells;
        bool* checked;
        bool* shifted;
    };

    Test OpenTest();
    Test ShortTest();
    int SquaresSetting(const char* key, int fallback) const;
    bool FrameFitsGrid() const;
    void JudgeTest(const Test& test);
    bool IsOutsideTolerance(const Test& test, int index, int value);
    bool HasBases(const Test& test, std::vector<int>& deviations);
    void JudgeByShiftTolerance(const Test& test, const std::vector<int>& deviations);
    void ReportMissingLimit(const Test& test, int index);

    int _xSquares;
    int _ySquares;
    std::vector<std::vector<int> > _openData;
    std::vector<std::vector<int> > _shortData;
    Cells _openCells;
    Cells _shortCells;
    bool _openChecked;
    bool _openShifted;
    bool _shortChecked;
    bool _shortShifted;
    bool _missingLimitReported[2];
    std::vector<int> _deviations;
};

}  // namespace morvex_gui
