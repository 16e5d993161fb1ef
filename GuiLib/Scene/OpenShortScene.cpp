#include "OpenShortScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "BarPens.h"
#include "OpenShortState.h"
#include "SceneItems.h"
#include "SegmentItem.h"

namespace morvex_gui_qtlib {

namespace {

// Room round the grid, and the inset of a square within its cell.
constexpr double kMargin = 30.0;
constexpr double kSquareInset = 2.0;
constexpr double kSquareGap = 4.0;
// A marker spans 0.8 to 1.2 cells: across the boundary at the cell's middle.
constexpr double kMarkerFrom = 0.8;
constexpr double kMarkerTo = 1.2;
constexpr double kMiddle = 0.5;

const QPen& MarkerPen() {
    static const QPen pen = BarPens::Mark(QColor(255, 0, 0, 200));
    return pen;
}

const QBrush& SquareBrush() {
    static const QBrush brush(QColor(0, 100, 0, 160), Qt::SolidPattern);
    return brush;
}

}  // namespace

OpenShortScene::OpenShortScene(QGraphicsScene* scene, morvex_gui::OpenShortState* state)
    : Scene(scene), _state(state), _defectFound(false), _failReported(false) {
    HoldState(state);
}

OpenShortScene::Grid OpenShortScene::Measure() const {
    const QRectF rect = _scene->sceneRect();
    return Grid{(rect.width() - 2 * kMargin) / _state->GetXSquares(),
                (rect.height() - 2 * kMargin) / _state->GetYSquares()};
}

QRectF OpenShortScene::SquareRect(const Grid& grid, int x, int y) const {
    return QRectF(
        x * grid.cellWidth + kMargin + kSquareInset, y * grid.cellHeight + kMargin + kSquareInset,
        std::max(0.0, grid.cellWidth - kSquareGap), std::max(0.0, grid.cellHeight - kSquareGap));
}

void OpenShortScene::Start() {
    Layout(true);
}

void OpenShortScene::Layout(bool create) {
    const Grid grid = Measure();
    const int columns = _state->GetXSquares();
    const int rows = _state->GetYSquares();
    if (create) {
        _cells.assign(columns, std::vector<QGraphicsRectItem*>(rows, nullptr));
        for (int x = 0; x < columns; ++x) {
            for (int y = 0; y < rows; ++y) {
                _cells[x][y] =
                    _scene->addRect(SquareRect(grid, x, y), BarPens::Pass(), SquareBrush());
            }
        }
        return;
    }
    PlaceCells(grid);
    RemoveItems(_scene, _markers);
    _markerLines.clear();
}

void OpenShortScene::PlaceCells(const Grid& grid) {
    for (size_t x = 0; x < _cells.size(); ++x) {
        for (size_t y = 0; y < _cells[x].size(); ++y) {
            _cells[x][y]->setRect(SquareRect(grid, static_cast<int>(x), static_cast<int>(y)));
            _cells[x][y]->setBrush(SquareBrush());
        }
    }
}

void OpenShortScene::MeasureMarkers(const Grid& grid) {
    _wantedLines.clear();
    for (const auto& cell : _state->GetOpenCells()) {
        const double left = kMargin + cell.first * grid.cellWidth;
        const double y = kMargin + cell.second * grid.cellHeight + kMiddle * grid.cellHeight;
        _wantedLines.emplace_back(left + kMarkerFrom * grid.cellWidth, y,
                                  left + kMarkerTo * grid.cellWidth, y);
    }
    for (const auto& cell : _state->GetShortCells()) {
        const double x = kMargin + cell.first * grid.cellWidth + kMiddle * grid.cellWidth;
        const double top = kMargin + cell.second * grid.cellHeight;
        _wantedLines.emplace_back(x, top + kMarkerFrom * grid.cellHeight, x,
                                  top + kMarkerTo * grid.cellHeight);
    }
}

void OpenShortScene::Update() {
    const Grid grid = Measure();
    PlaceCells(grid);
    MeasureMarkers(grid);
    // The same defects usually come back frame after frame: the markers then
    // stay as they are instead of being removed and created again.
    if (_wantedLines != _markerLines) {
        RemoveItems(_scene, _markers);
        for (const QLineF& line : _wantedLines) {
            _markers.push_back(SegmentItem::Add(_scene, line, MarkerPen()));
        }
        _markerLines.swap(_wantedLines);
    }
    _defectFound = _defectFound || !_markers.empty();
    if (_defectFound && !_failReported) {
        _state->logResult("Fail");
        SendTestResult(false);
        _failReported = true;
    }
}

}  // namespace morvex_gui_qtlib
