#include "MultiFingerScene.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "CircleItem.h"
#include "TuneMultiFinger.h"

namespace morvex_gui_qtlib {

namespace {

constexpr double kMarkRadius = 5.0;

const QPen& MarkPen() {
    static const QPen pen(QBrush(QColor(255, 0, 0, 20), Qt::SolidPattern), 2.0, Qt::SolidLine,
                          Qt::RoundCap, Qt::BevelJoin);
    return pen;
}

const QBrush& MarkBrush() {
    static const QBrush brush(QColor(255, 0, 0, 160), Qt::SolidPattern);
    return brush;
}

int Smaller(size_t flags, double built) {
    return static_cast<int>(std::min(static_cast<double>(flags), built));
}

}  // namespace

MultiFingerScene::MultiFingerScene(QGraphicsScene* scene, morvex_gui::TuneMultiFinger* state)
    : Scene(scene), _state(state), _shownMarks(0), _columns(0.0), _rows(0.0) {
    HoldState(state);
}

MultiFingerScene::~MultiFingerScene() = default;

void MultiFingerScene::Start() {
    Layout(true);
}

void MultiFingerScene::OnResize() {
    Layout(false);
}

GridGeometry MultiFingerScene::Geometry() const {
    return GridGeometry::Measure(_scene, _columns, _rows);
}

void MultiFingerScene::Layout(bool create) {
    if (create) {
        // The state starts the scene right after a complete pair, before it
        // empties the flags, so both sets are full here.
        _columns = static_cast<double>(_state->GetXData().size());
        _rows = static_cast<double>(_state->GetYData().size());
    }
    _grid.Layout(_scene, Geometry(), static_cast<int>(_columns), static_cast<int>(_rows), create);
}

void MultiFingerScene::Update() {
    const GridGeometry grid = Geometry();
    size_t shown = 0;
    if (grid.valid) {
        const std::vector<int>& xFlags = _state->GetXData();
        const std::vector<int>& yFlags = _state->GetYData();
        const int columns = Smaller(xFlags.size(), _columns);
        const int rows = Smaller(yFlags.size(), _rows);
        for (int c = 0; c < columns; ++c) {
            if (xFlags[c] != 1) {
                continue;
            }
            for (int r = 0; r < rows; ++r) {
                if (yFlags[r] == 1) {
                    PlaceMark(shown++, grid.Node(r, c));
                }
            }
        }
    }
    for (size_t i = shown; i < _shownMarks; ++i) {
        _marks[i]->hide();
    }
    _shownMarks = shown;
}

void MultiFingerScene::PlaceMark(size_t index, const QPointF& centre) {
    const QRectF square(centre.x() - kMarkRadius, centre.y() - kMarkRadius, 2 * kMarkRadius,
                        2 * kMarkRadius);
    if (index < _marks.size()) {
        _marks[index]->setRect(square);
        _marks[index]->show();
        return;
    }
    _marks.push_back(CircleItem::Add(_scene, square, MarkPen(), MarkBrush()));
}

std::vector<QGraphicsEllipseItem*> MultiFingerScene::ShownMarks() const {
    return std::vector<QGraphicsEllipseItem*>(_marks.begin(), _marks.begin() + _shownMarks);
}

}  // namespace morvex_gui_qtlib
