#include "MultiFingerLiftScene.h"

#include <QBrush>
#include <QGraphicsScene>
#include <algorithm>
#include <cmath>

#include "TuneMultiFingerLift.h"

namespace morvex_gui_qtlib {

namespace {

// The cells [lo, hi) of `count` that lie inside `lead` cells before and
// `trail` cells after. Wide arithmetic: the margins come from settings.
struct Span {
    long long lo;
    long long hi;
    bool Contains(int index) const { return lo <= index && index < hi; }
};

Span Inside(int lead, int trail, int count) {
    long long lo = lead < count ? lead : static_cast<long long>(count) - 1;
    long long hi = static_cast<long long>(count) - trail;
    return {std::max(lo, 0LL), std::max(hi, 0LL)};
}

bool OutsideLimits(int value, int max, int min) {
    return value >= max || value <= min;
}

}  // namespace

bool CheckRasterCell(int value, int centreMax, int centreMin, int edgeMax, int edgeMin,
                     int edgeCounter, int left, int right, int up, int down, int column, int row,
                     int columns, int rows, int mode) {
    if (mode == 3 || mode == 4) {
        const bool inside =
            Inside(up, down, rows).Contains(row) && Inside(left, right, columns).Contains(column);
        return inside && value == 0;
    }
    const bool centre = mode == 2 ? Inside(edgeCounter, edgeCounter, rows).Contains(row)
                                  : Inside(edgeCounter, edgeCounter, columns).Contains(column);
    return centre ? OutsideLimits(value, centreMax, centreMin)
                  : OutsideLimits(value, edgeMax, edgeMin);
}

MultiFingerLiftScene::MultiFingerLiftScene(QGraphicsScene* scene,
                                           morvex_gui::TuneMultiFingerLift* state, int mode)
    : RasterScene(scene, state), _values(nullptr), _failed(false), _mode(mode), _updates(0) {}

MultiFingerLiftScene::~MultiFingerLiftScene() = default;

const morvex_gui::TuneMultiFingerLift& MultiFingerLiftScene::LiftState() const {
    // The constructor takes only a lift state.
    return *static_cast<const morvex_gui::TuneMultiFingerLift*>(_state);
}

void MultiFingerLiftScene::Layout(bool create) {
    RasterScene::Layout(create);
    const GridGeometry grid = Geometry();
    if (!create || !grid.valid) {
        return;
    }
    const int rows = static_cast<int>(_rows);
    const int columns = static_cast<int>(_columns);
    // Added after the grid, so the values lie over its lines and numbers.
    _values = new RasterValues(QBrush(Qt::magenta, Qt::SolidPattern));
    _values->Build(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            _values->Place(r, c, grid.Node(r, c), false);
        }
    }
    _scene->addItem(_values);
}

const RasterValues::Value* MultiFingerLiftScene::ValueLabel(int row, int column) const {
    return _values != nullptr ? _values->At(row, column) : nullptr;
}

void MultiFingerLiftScene::Update() {
    Layout(false);
    const GridGeometry grid = Geometry();
    if (!grid.HasArea()) {
        return;
    }
    if (++_updates <= kSettlingUpdates) {
        return;
    }
    const double centreCells = IsActiveMode() ? CentreCells() : 0.0;
    int zeroCells = 0;
    const int rows = DrawableRows();
    for (int r = 0; r < rows; ++r) {
        const int columns = DrawableColumns(r);
        for (int c = 0; c < columns; ++c) {
            const int value = FrameValue(r, c);
            if (!CellCounts(value, r, c)) {
                HideCell(r, c, grid);
            } else if (_failed) {
                ShowOffendingCell(value, r, c, grid);
            } else if (!IsActiveMode() || ++zeroCells >= centreCells) {
                // The failing frame itself draws nothing further.
                Fail();
                return;
            }
        }
    }
    if (_failed) {
        SendTestResult(false);
    }
}

bool MultiFingerLiftScene::CellCounts(int value, int row, int column) const {
    const morvex_gui::TuneMultiFingerLift& state = LiftState();
    return CheckRasterCell(
        value, state.GetThresholdMax(), state.GetThresholdMin(), state.GetThresholdEdgeMax(),
        state.GetThresholdEdgeMin(), state.GetThresholdEdgeCounter(), state.GetActiveLEdgeCounter(),
        state.GetActiveREdgeCounter(), state.GetActiveUEdgeCounter(), state.GetActiveDEdgeCounter(),
        column, row, static_cast<int>(_columns), static_cast<int>(_rows), _mode);
}

double MultiFingerLiftScene::CentreCells() const {
    const morvex_gui::TuneMultiFingerLift& state = LiftState();
    const double across = std::trunc(_columns - static_cast<double>(state.GetActiveLEdgeCounter()) -
                                     state.GetActiveREdgeCounter());
    const double down = std::trunc(_rows - static_cast<double>(state.GetActiveUEdgeCounter()) -
                                   state.GetActiveDEdgeCounter());
    return std::max(across, 0.0) * std::max(down, 0.0);
}

void MultiFingerLiftScene::HideCell(int row, int column, const GridGeometry& grid) {
    if (_dots != nullptr) {
        const QPointF centre = grid.Node(row, column);
        _dots->Set(row, column, QRectF(centre.x() - 0.5, centre.y() - 0.5, 0, 0), Qt::black, false);
    }
    if (_values != nullptr) {
        _values->Hide(row, column);
    }
}

void MultiFingerLiftScene::ShowOffendingCell(int value, int row, int column,
                                             const GridGeometry& grid) {
    DrawPoint(value, row, column, grid.stepX, grid.stepY);
    if (_values == nullptr) {
        return;
    }
    if (_extraDisplay) {
        _values->SetNumber(row, column, value);
    }
    _values->Place(row, column, grid.Node(row, column), _extraDisplay);
}

void MultiFingerLiftScene::Fail() {
    _failed = true;
    _state->logResult("Fail");
    SendTestResult(false);
}

}  // namespace morvex_gui_qtlib
