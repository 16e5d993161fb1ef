#pragma once

#include <QBrush>
#include <QPen>
#include <vector>

class QGraphicsEllipseItem;
class QGraphicsLineItem;
class QGraphicsScene;
class QLineF;
class QRectF;

namespace morvex_gui_qtlib {

class SegmentGroup;
class TrailLayer;

// Per touch slot, a ring of trail segments, optionally with a dot at each
// segment, made once and then reused oldest first, so a long session never
// adds items. Each run of kGroupSize places of a ring hangs under one
// SegmentGroup, which keeps the run drawn; one TrailLayer paints them all.
class TrailRings {
public:
    static constexpr int kGroupSize = 16;

    // How one slot's ring is drawn; the ring has dots only where `dots` is set.
    struct Style {
        QPen line;
        bool dots = false;
        QPen dotPen;
        QBrush dotBrush;
    };

    explicit TrailRings(int length);

    // Makes one ring per style in `scene`, every item blank and hidden.
    void Create(QGraphicsScene* scene, const std::vector<Style>& styles);

    size_t SlotCount() const { return _lines.size(); }
    const std::vector<QGraphicsLineItem*>& Lines(size_t slot) const { return _lines.at(slot); }
    const std::vector<QGraphicsEllipseItem*>& Dots(size_t slot) const { return _dots.at(slot); }

    // Shows `line` at the slot's next place, the oldest once the ring is full.
    // The place's dot, where the ring has dots, is shown too: moved to `*dot`
    // when given, else where it was.
    void Draw(size_t slot, const QLineF& line, const QRectF* dot = nullptr);
    // Blanks and hides the items of the slots below `end`; their rings start over.
    void ClearBelow(size_t end);
    void ClearAll() { ClearBelow(SlotCount()); }

private:
    void Clear(size_t slot);
    // An item of `group` shown over `before` is now shown over `after`.
    void Changed(SegmentGroup* group, const QRectF& before, const QRectF& after);

    int _length;
    TrailLayer* _layer = nullptr;
    std::vector<std::vector<QGraphicsLineItem*>> _lines;
    std::vector<std::vector<QGraphicsEllipseItem*>> _dots;
    // Per slot, the parents of each run of kGroupSize consecutive places.
    std::vector<std::vector<SegmentGroup*>> _groups;
    // Per slot, the next place to draw.
    std::vector<int> _trailIndex;
    // Per slot, the places shown since its last clear; the rest are still blank.
    std::vector<int> _trailUsed;
};

}  // namespace morvex_gui_qtlib
