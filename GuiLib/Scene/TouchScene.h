#pragma once

#include <QBrush>
#include <QGraphicsScene>
#include <QPointF>
#include <algorithm>
#include <vector>

#include "Scene.h"
#include "TouchGeometry.h"

class QGraphicsLineItem;
class QPen;

namespace morvex_gui_qtlib {

// Base of the scenes that draw a touch report state (a Normal or one of its
// kind): the bound state, where the panel lies in the scene, and the walks
// over the report's touch slots that every such scene makes.
template <class StateT>
class TouchScene : public Scene {
public:
    // A pen contact lands in these slots and wipes the trails of the fingers,
    // which live in the slots below kFingerSlots.
    static constexpr size_t kPenTipSlot = 8;
    static constexpr size_t kPenEraserSlot = 9;
    static constexpr size_t kFingerSlots = 5;

    const TouchGeometry& Geometry() const { return _geometry; }

    void Start() override { Layout(true); }
    // Erases what the fingers drew, then fits the panel to the new size.
    void OnResize() override {
        Clear();
        Layout(false);
    }

protected:
    TouchScene(QGraphicsScene* scene, StateT* state) : Scene(scene), _state(state) {
        HoldState(state);
    }

    // Fits the panel to the graphics scene's current size.
    void FitPanel() { _geometry.Fit(_scene->sceneRect(), _state->_xRes, _state->_yRes); }
    // Fits the panel and places its outline `frame` drawn with `pen`;
    // `create` makes new outline items.
    void FitPanel(bool create, std::vector<QGraphicsLineItem*>& frame, const QPen& pen) {
        FitPanel();
        if (create) {
            frame.clear();
        }
        _geometry.PlaceFrame(_scene, frame, pen);
    }

    // Scene positions of a slot's latest and previous point, mirrored as the
    // panel is.
    QPointF MapPosition(size_t slot) const {
        return _geometry.Map(_state->_pos[slot], _state->_xReverse, _state->_yReverse);
    }
    QPointF MapLastPosition(size_t slot) const {
        return _geometry.Map(_state->_lastPos[slot], _state->_xReverse, _state->_yReverse);
    }

    // Calls `visit(slot)`, in slot order, for each slot below `limit` that
    // touches in this report and touched in the one before (a finger that has
    // just come down has no previous point), until `visit` returns false.
    template <class Visit>
    void ForEachMovingFinger(size_t limit, Visit visit) const {
        const size_t count = std::min({limit, _state->_lastTouchings.size(), ReportedSlots()});
        for (size_t slot = 0; slot < count; ++slot) {
            if (_state->_touchings[slot] && _state->_lastTouchings[slot] && !visit(slot)) {
                return;
            }
        }
    }
    // Calls `visit(slot)`, in slot order, for each slot that touches in this
    // report, until `visit` returns false.
    template <class Visit>
    void ForEachTouch(Visit visit) const {
        const size_t count = ReportedSlots();
        for (size_t slot = 0; slot < count; ++slot) {
            if (_state->_touchings[slot] && !visit(slot)) {
                return;
            }
        }
    }

    // Gives `brush` to each of `items` that contains `point`, in order, and
    // sets its flag in `hit`, until it meets one already hit; returns how many
    // it hit anew. Flags and items share their indices.
    template <class Item, class Flags>
    static int HitItemsAt(const std::vector<Item*>& items, Flags& hit, const QPointF& point,
                          const QBrush& brush) {
        int hits = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            Item* item = items[i];
            // The bounding rectangle rules out most items before the exact shape test.
            if (!item->boundingRect().contains(point) || !item->contains(point)) {
                continue;
            }
            if (hit[i]) {
                break;
            }
            hit[i] = true;
            item->setBrush(brush);
            ++hits;
        }
        return hits;
    }

    // A pen contact begins with this report.
    bool PenContactBegins() const {
        return PenTouches(_state->_touchings) && !PenTouches(_state->_lastTouchings);
    }

    StateT* _state;
    TouchGeometry _geometry;

private:
    // The slots of this report that the state keeps.
    size_t ReportedSlots() const {
        return std::min(_state->_touchings.size(),
                        static_cast<size_t>(std::max(0, _state->_maxTouches)));
    }
    template <class Bits>
    static bool PenTouches(const Bits& bits) {
        return bits.size() > kPenEraserSlot && (bits[kPenTipSlot] || bits[kPenEraserSlot]);
    }
};

}  // namespace morvex_gui_qtlib
