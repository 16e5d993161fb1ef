#include "NormalBorderScene.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "CoreBorder.h"
#include "SceneItems.h"
#include "TouchPens.h"

namespace morvex_gui_qtlib {

namespace {

const QBrush& FillBrush() {
    static const QBrush brush(QColor(85, 170, 127, 255));
    return brush;
}

const QBrush& HitBrush() {
    static const QBrush brush(Qt::white);
    return brush;
}

}  // namespace

NormalBorderScene::NormalBorderScene(QGraphicsScene* scene, morvex_gui::CoreBorder* state)
    : TouchScene(scene, state), _done(false), _passed(false), _hitCount(0) {}

NormalBorderScene::~NormalBorderScene() = default;

void NormalBorderScene::Layout(bool) {
    FitPanel();
    const size_t previousCount = _cells.size();
    RemoveItems(_scene, _cells);
    BuildCells();
    if (_cells.size() != previousCount) {
        _cellHit.assign(_cells.size(), false);
    }
    RestoreHits();
}

void NormalBorderScene::BuildCells() {
    const double size = _state->_borderWidth;
    // Without a positive width there is no ring to build.
    if (size <= 0 || !_geometry.IsDrawable()) {
        return;
    }
    const double left = _geometry.Left();
    const double top = _geometry.Top();
    const double right = _geometry.Right();
    const double bottom = _geometry.Bottom();
    const double across = _geometry.Width() / size - 1;
    const double down = _geometry.Height() / size - 1;
    // Top row from the left corner, bottom row from the right corner, then the
    // left column from the bottom corner and the right column from the top.
    for (int i = 0; i < across; ++i) {
        AddCell(left + i * size, top, size);
        AddCell(right - (i + 1) * size, bottom - size, size);
    }
    for (int j = 0; j < down; ++j) {
        AddCell(left, bottom - (j + 1) * size, size);
        AddCell(right - size, top + j * size, size);
    }
}

void NormalBorderScene::AddCell(double x, double y, double size) {
    _cells.push_back(
        _scene->addRect(QRectF(x, y, size, size), TouchPens::SolidFrame(), FillBrush()));
}

void NormalBorderScene::RestoreHits() {
    _hitCount = static_cast<int>(std::count(_cellHit.begin(), _cellHit.end(), true));
    for (size_t i = 0; i < _cells.size(); ++i) {
        if (_cellHit[i]) {
            _cells[i]->setBrush(HitBrush());
        }
    }
    _done = !_passed && !_cells.empty() && _hitCount == static_cast<int>(_cells.size());
}

void NormalBorderScene::Update() {
    ForEachTouch([this](size_t slot) {
        if (_hitCount == static_cast<int>(_cells.size())) {
            // Every cell is white: this touch confirms the pass, once.
            if (_done) {
                _done = false;
                _passed = true;
                SendTestResult(true);
            }
            return false;
        }
        HitCellsAt(MapPosition(slot));
        return true;
    });
}

void NormalBorderScene::HitCellsAt(const QPointF& point) {
    const int hits = HitItemsAt(_cells, _cellHit, point, HitBrush());
    _hitCount += hits;
    if (hits > 0 && _hitCount == static_cast<int>(_cells.size()) && !_passed) {
        _done = true;
    }
}

}  // namespace morvex_gui_qtlib
