#include "NormalLinearityScene.h"

#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <algorithm>

#include "CoreLinearity.h"
#include "SceneItems.h"
#include "SegmentItem.h"
#include "TouchPens.h"

namespace morvex_gui_qtlib {

namespace {

QPoint Truncated(double x, double y) {
    return QPoint(static_cast<int>(x), static_cast<int>(y));
}

}  // namespace

NormalLinearityScene::NormalLinearityScene(QGraphicsScene* scene, morvex_gui::CoreLinearity* state)
    : TouchScene(scene, state), _cornerHit{}, _bandWidth(0), _decided(false) {
    _pen.setColor(Qt::red);
    _pen.setStyle(Qt::SolidLine);
    _pen.setCapStyle(Qt::RoundCap);
    _pen.setCosmetic(true);
}

NormalLinearityScene::~NormalLinearityScene() = default;

void NormalLinearityScene::Layout(bool create) {
    FitPanel(create, _frame, TouchPens::SolidFrame());
    // The verdict is not reset here: a resize must not open a second one.
    _bandWidth = _state->GetLineWidth();
    BuildPolygons();
    PlaceBands(create);
}

void NormalLinearityScene::BuildPolygons() {
    const double l = _geometry.Left();
    const double t = _geometry.Top();
    const double r = _geometry.Right();
    const double b = _geometry.Bottom();
    const double w = _bandWidth;
    const QPolygon topLeft({Truncated(l, t + w), Truncated(l, t), Truncated(l + w, t)});
    const QPolygon bottomRight({Truncated(r, b - w), Truncated(r, b), Truncated(r - w, b)});
    const QPolygon bottomLeft({Truncated(l, b - w), Truncated(l, b), Truncated(l + w, b)});
    const QPolygon topRight({Truncated(r, t + w), Truncated(r, t), Truncated(r - w, t)});
    _band1 = topLeft + bottomRight;
    _band2 = bottomLeft + topRight;
    _corners = {topLeft, bottomLeft, bottomRight, topRight};
}

void NormalLinearityScene::PlaceBands(bool create) {
    if (create) {
        _bands = {_scene->addPolygon(QPolygonF(_band1)), _scene->addPolygon(QPolygonF(_band2))};
    }
    const QPolygon* outlines[] = {&_band1, &_band2};
    for (size_t i = 0; i < _bands.size(); ++i) {
        _bands[i]->setPolygon(QPolygonF(*outlines[i]));
        _bands[i]->setVisible(_geometry.IsDrawable());
        _bandShapes[i] = _bands[i]->shape();
    }
}

void NormalLinearityScene::Start() {
    Layout(true);
    const size_t slotCount = std::max(0, _state->_maxTouches);
    _segments.assign(slotCount, {});
    _nextSegment.assign(slotCount, 0);
}

void NormalLinearityScene::Update() {
    if (!_geometry.IsDrawable()) {
        return;
    }
    ForEachMovingFinger(_segments.size(), [this](size_t slot) { return JudgePoint(slot); });
}

bool NormalLinearityScene::JudgePoint(size_t slot) {
    const QPointF to = MapPosition(slot);
    const QPointF from = MapLastPosition(slot);
    const bool inside = InsideBand(to);
    _pen.setColor(inside ? Qt::green : Qt::red);
    if (inside) {
        MarkCorners(to);
        if (AllCornersHit() && !_decided) {
            Decide(true);
            return false;
        }
    } else if (!_decided) {
        Decide(false);
        return false;
    }
    AddSegment(slot, QLineF(to, from));
    return true;
}

bool NormalLinearityScene::InsideBand(const QPointF& point) const {
    for (size_t i = 0; i < _bands.size(); ++i) {
        if (_bandShapes[i].contains(point)) {
            return true;
        }
    }
    return false;
}

void NormalLinearityScene::MarkCorners(const QPointF& point) {
    const QPoint truncated = Truncated(point.x(), point.y());
    for (size_t i = 0; i < _corners.size() && i < _cornerHit.size(); ++i) {
        if (_corners[i].containsPoint(truncated, Qt::WindingFill)) {
            _cornerHit[i] = true;
        }
    }
}

bool NormalLinearityScene::AllCornersHit() const {
    return std::all_of(_cornerHit.begin(), _cornerHit.end(), [](bool hit) { return hit; });
}

void NormalLinearityScene::Decide(bool pass) {
    _decided = true;
    SendTestResult(pass);
}

void NormalLinearityScene::AddSegment(size_t slot, const QLineF& line) {
    std::vector<QGraphicsLineItem*>& segments = _segments[slot];
    if (segments.size() < kSegmentsPerSlot) {
        segments.push_back(SegmentItem::Add(_scene, line, _pen));
        return;
    }
    size_t& next = _nextSegment[slot];
    next %= kSegmentsPerSlot;
    segments[next]->setLine(line);
    segments[next]->setPen(_pen);
    ++next;
}

size_t NormalLinearityScene::SegmentCount(size_t slot) const {
    return slot < _segments.size() ? _segments[slot].size() : 0;
}

void NormalLinearityScene::Clear() {
    for (size_t slot = 0; slot < _segments.size(); ++slot) {
        RemoveItems(_scene, _segments[slot]);
        _nextSegment[slot] = 0;
    }
}

}  // namespace morvex_gui_qtlib
