#include "NormalScene.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "Normal.h"
#include "SegmentGroup.h"
#include "SegmentItem.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kPenCount = 20;
constexpr int kTrailAlpha = 100;
constexpr size_t kPenTipSlot = 8;
constexpr size_t kPenEraserSlot = 9;
// A pen contact wipes the finger trails, which live in the first five slotCount.
constexpr size_t kFingerSlots = 5;

const QPen& FramePen() {
    static const QPen pen(QBrush(Qt::darkGray), 1, Qt::DashDotLine, Qt::SquareCap, Qt::BevelJoin);
    return pen;
}

const QPen& TrailPen(size_t slot) {
    static const std::vector<QPen> pens = [] {
        std::vector<QPen> table;
        for (int i = 0; i < kPenCount; ++i) {
            QColor colour = NormalScene::SlotColour(i);
            colour.setAlpha(kTrailAlpha);
            table.emplace_back(QBrush(colour), 2, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
        }
        return table;
    }();
    return pens[slot % pens.size()];
}

bool PenBits(const boost::dynamic_bitset<>& bits) {
    return bits.size() > kPenEraserSlot && (bits[kPenTipSlot] || bits[kPenEraserSlot]);
}

}  // namespace

NormalScene::NormalScene(QGraphicsScene* scene, morvex_gui::Normal* state)
    : Scene(scene), _state(state) {
    HoldState(state);
}

NormalScene::~NormalScene() = default;

QColor NormalScene::SlotColour(int slot) {
    static const QColor colours[] = {QColor(0, 255, 0),    QColor(255, 0, 0),   QColor(0, 0, 255),
                                     QColor(255, 255, 0),  QColor(0, 255, 255), QColor(255, 0, 255),
                                     QColor(150, 150, 0),  QColor(150, 0, 150), QColor(0, 150, 150),
                                     QColor(150, 150, 150)};
    constexpr int count = sizeof colours / sizeof colours[0];
    return colours[((slot % count) + count) % count];
}

void NormalScene::Layout(bool create) {
    _geometry.Fit(_scene->sceneRect(), _state->_xRes, _state->_yRes);
    if (create) {
        _frame.clear();
    }
    _geometry.PlaceFrame(_scene, _frame, FramePen());
}

void NormalScene::Start() {
    Layout(true);
    const int slotCount = std::max(0, _state->_maxTouches);
    _trails.assign(slotCount, {});
    _groups.assign(slotCount, {});
    _trailIndex.assign(slotCount, 0);
    _trailUsed.assign(slotCount, 0);
    for (int slot = 0; slot < slotCount; ++slot) {
        _trails[slot].reserve(kTrailLength);
        for (int i = 0; i < kTrailLength; ++i) {
            if (i % kGroupSize == 0) {
                _groups[slot].push_back(new SegmentGroup());
            }
            auto* item = new SegmentItem(QLineF(), _groups[slot].back());
            item->setPen(TrailPen(slot));
            item->setVisible(false);
            _trails[slot].push_back(item);
        }
        // Each group joins the scene with its segments already made and hidden.
        for (SegmentGroup* group : _groups[slot]) {
            _scene->addItem(group);
        }
    }
}

void NormalScene::Update() {
    if (!_geometry.IsDrawable()) {
        return;
    }
    const boost::dynamic_bitset<>& now = _state->_touchings;
    const boost::dynamic_bitset<>& before = _state->_lastTouchings;
    if (PenBits(now) && !PenBits(before)) {
        for (size_t slot = 0; slot < kFingerSlots && slot < _trails.size(); ++slot) {
            ClearTrail(slot);
        }
    }
    const size_t slotCount = std::min({now.size(), before.size(), _trails.size(),
                                       static_cast<size_t>(std::max(0, _state->_maxTouches))});
    for (size_t slot = 0; slot < slotCount; ++slot) {
        if (now[slot] && before[slot]) {
            DrawSegment(slot);
        }
    }
}

void NormalScene::DrawSegment(size_t slot) {
    int& index = _trailIndex[slot];
    if (index >= kTrailLength) {
        index = 0;
    }
    const bool mirrorX = _state->_xReverse;
    const bool mirrorY = _state->_yReverse;
    const QPointF to = _geometry.Map(_state->_pos[slot], mirrorX, mirrorY);
    const QPointF from = _geometry.Map(_state->_lastPos[slot], mirrorX, mirrorY);
    QGraphicsLineItem* item = _trails[slot][index];
    item->setLine(QLineF(to, from));
    item->setVisible(true);
    _groups[slot][index / kGroupSize]->Cover(item->boundingRect());
    ++index;
    _trailUsed[slot] = std::max(_trailUsed[slot], index);
}

void NormalScene::ClearTrail(size_t slot) {
    for (int i = 0; i < _trailUsed[slot]; ++i) {
        _trails[slot][i]->setLine(QLineF());
        _trails[slot][i]->setVisible(false);
    }
    for (SegmentGroup* group : _groups[slot]) {
        group->Forget();
    }
    _trailIndex[slot] = 0;
    _trailUsed[slot] = 0;
}

void NormalScene::Clear() {
    for (size_t slot = 0; slot < _trails.size(); ++slot) {
        ClearTrail(slot);
    }
}

void NormalScene::OnResize() {
    Clear();
    Layout(false);
}

}  // namespace morvex_gui_qtlib
