#include "MultiFingerLiftScene.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "LabelItem.h"
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
    : RasterScene(scene, state), _failed(false), _mode(mode), _updates(0) {}

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
    _labels.assign(rows, std::vector<QGraphicsSimpleTextItem*>());
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            QGraphicsSimpleTextItem* label = LabelItem::Add(_scene, QStringLiteral("0"));
            label->setBrush(QBrush(Qt::magenta, Qt::SolidPattern));
            label->setPos(grid.Node(r, c));
            label->hide();
            _labels[r].push_back(label);
        }
    }
}

QGraphicsSimpleTextItem* MultiFingerLiftScene::ValueLabel(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(_labels.size()) || column < 0 ||
        column >= static_cast<int>(_labels[row].size())) {
        return nullptr;
    }
    return _labels[row][column];
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
    if (QGraphicsEllipseItem* node = Node(row, column)) {
        const QPointF centre = grid.Node(row, column);
        node->setRect(centre.x() - 0.5, centre.y() - 0.5, 0, 0);
        if (node->brush().style() != Qt::NoBrush) {
            node->setPen(QPen());
            node->setBrush(QBrush());
        }
    }
    if (QGraphicsSimpleTextItem* label = ValueLabel(row, column)) {
        label->hide();
    }
}

void MultiFingerLiftScene::ShowOffendingCell(int value, int row, int column,
                                             const GridGeometry& grid) {
    DrawPoint(value, row, column, grid.stepX, grid.stepY);
    QGraphicsSimpleTextItem* label = ValueLabel(row, column);
    if (label == nullptr) {
        return;
    }
    if (_extraDisplay) {
        label->setText(QString::number(value));
    }
    label->setVisible(_extraDisplay);
    label->setPos(grid.Node(row, column));
}

void MultiFingerLiftScene::Fail() {
    _failed = true;
    _state->logResult("Fail");
    SendTestResult(false);
}

}  // namespace morvex_gui_qtlib
