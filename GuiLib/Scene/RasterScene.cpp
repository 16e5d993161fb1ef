#include "RasterScene.h"

#include <QGraphicsScene>
#include <algorithm>
#include <vector>

#include "CoreRaster.h"

namespace morvex_gui_qtlib {

namespace {

// Values between these limits keep the smallest black dot.
constexpr int kQuietLimit = 10;
constexpr double kMinimumRadius = 0.5;
constexpr double kColourCap = 255.0;

// Looks of values up to this size are summed once, step by step, and kept:
// a redraw then costs a look-up, not a loop as long as the value.
constexpr int kTableLimit = 4096;

struct Sums {
    double radius = 0;
    double red = 0;
    double green = 0;
    double blue = 0;
};

RasterScene::PointLook Finish(const Sums& sums) {
    const auto cap = [](double component) {
        return static_cast<int>(std::min(component, kColourCap));
    };
    const double radius = sums.radius <= kMinimumRadius ? kMinimumRadius : sums.radius;
    return {radius, QColor(cap(sums.red), cap(sums.green), cap(sums.blue), 255)};
}

// The sum of i for i = 10 .. n-1, for values beyond the table.
double StepSum(double n) {
    return n * (n - 1) / 2 - 45;
}

Sums ClosedFormSums(int value) {
    Sums sums;
    if (value > kQuietLimit) {
        const double v = value;
        sums.radius = 0.08 * (v - kQuietLimit);
        sums.red = 0.06 * StepSum(v);
        sums.green = 0.01 * StepSum(v);
    } else if (value < -kQuietLimit) {
        const double n = -static_cast<double>(value);
        sums.radius = 0.05 * (n - kQuietLimit);
        sums.blue = 0.02 * StepSum(n);
        sums.green = 0.005 * StepSum(n);
    }
    return sums;
}

// Index v + kTableLimit holds the look of v. Each entry adds one step to the
// previous one, so it carries exactly the rounding of the step-by-step sum.
std::vector<RasterScene::PointLook> BuildTable() {
    std::vector<RasterScene::PointLook> table(2 * kTableLimit + 1, Finish(Sums()));
    Sums positive;
    Sums negative;
    for (int v = kQuietLimit + 1; v <= kTableLimit; ++v) {
        const int i = v - 1;
        positive.radius += 0.08;
        positive.red += 0.06 * i;
        positive.green += 0.01 * i;
        negative.radius += 0.05;
        negative.blue += 0.02 * i;
        negative.green += 0.005 * i;
        table[kTableLimit + v] = Finish(positive);
        table[kTableLimit - v] = Finish(negative);
    }
    return table;
}

}  // namespace

RasterScene::RasterScene(QGraphicsScene* scene, morvex_gui::CoreRaster* state)
    : Scene(scene), _dots(nullptr), _columns(0.0), _rows(0.0), _state(state) {
    HoldState(state);
}

RasterScene::~RasterScene() = default;

RasterScene::PointLook RasterScene::LookOf(int value) {
    static const std::vector<PointLook> table = BuildTable();
    if (value >= -kTableLimit && value <= kTableLimit) {
        return table[value + kTableLimit];
    }
    return Finish(ClosedFormSums(value));
}

GridGeometry RasterScene::Geometry() const {
    return GridGeometry::Measure(_scene, _columns, _rows);
}

void RasterScene::Start() {
    const morvex_gui::CoreRaster::Frame& frame = _state->GetBuffers();
    _columns = frame.empty() ? 0.0 : static_cast<double>(frame[0].size());
    _rows = static_cast<double>(frame.size());
    const GridGeometry grid = Geometry();
    if (!grid.valid) {
        return;
    }
    const int rows = static_cast<int>(_rows);
    const int columns = static_cast<int>(_columns);
    _dots = new RasterDots;
    _dots->Build(rows, columns);
    const QRectF dot(-kMinimumRadius, -kMinimumRadius, 2 * kMinimumRadius, 2 * kMinimumRadius);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            _dots->Set(r, c, dot.translated(grid.Node(r, c)), Qt::black, false);
        }
    }
    _scene->addItem(_dots);
    // Added after the circles so the grid and its numbers lie over them.
    Layout(true);
}

void RasterScene::Layout(bool create) {
    _grid.Layout(_scene, Geometry(), static_cast<int>(_columns), static_cast<int>(_rows), create);
}

void RasterScene::Update() {
    Layout(false);
    const GridGeometry grid = Geometry();
    if (!grid.HasArea()) {
        return;
    }
    DrawFrame(grid);
}

void RasterScene::DrawFrame(const GridGeometry& grid) {
    const int rows = DrawableRows();
    for (int r = 0; r < rows; ++r) {
        const int columns = DrawableColumns(r);
        for (int c = 0; c < columns; ++c) {
            DrawPoint(FrameValue(r, c), r, c, grid.stepX, grid.stepY);
        }
    }
}

int RasterScene::DrawableRows() const {
    const size_t built = _dots != nullptr ? static_cast<size_t>(_dots->Rows()) : 0;
    return static_cast<int>(std::min(_state->GetBuffers().size(), built));
}

int RasterScene::DrawableColumns(int row) const {
    const size_t built = _dots != nullptr ? static_cast<size_t>(_dots->Columns()) : 0;
    return static_cast<int>(std::min(_state->GetBuffers()[row].size(), built));
}

int RasterScene::FrameValue(int row, int column) const {
    return _state->GetBuffers()[row][column];
}

const RasterDots::Dot* RasterScene::Node(int row, int column) const {
    return _dots != nullptr ? _dots->At(row, column) : nullptr;
}

void RasterScene::DrawPoint(int value, int row, int column, double stepX, double stepY) {
    if (_dots == nullptr) {
        return;
    }
    const PointLook look = LookOf(value);
    const double x = GridGeometry::kMargin + column * stepX;
    const double y = GridGeometry::kMargin + row * stepY;
    _dots->Set(row, column,
               QRectF(x - look.radius, y - look.radius, 2 * look.radius, 2 * look.radius),
               look.colour, true);
}

}  // namespace morvex_gui_qtlib
