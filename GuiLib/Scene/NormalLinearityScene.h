#pragma once

#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <array>
#include <vector>

#include "TouchScene.h"

class QGraphicsLineItem;
class QGraphicsPolygonItem;

namespace morvex_gui {
class CoreLinearity;
}

namespace morvex_gui_qtlib {

// The linearity test: two bands along the panel's diagonals. The first touch
// point outside both fails the test; a finger that has reached all four
// corner triangles inside the bands passes it. One verdict per scene.
class NormalLinearityScene : public TouchScene<morvex_gui::CoreLinearity> {
public:
    // Segments kept per finger; older ones are reused, as the trails do.
    static constexpr size_t kSegmentsPerSlot = 5000;

    NormalLinearityScene(QGraphicsScene* scene, morvex_gui::CoreLinearity* state);
    ~NormalLinearityScene() override;

    void Start() override;
    void Update() override;
    void Clear() override;
    void Layout(bool create) override;

    const QPolygon& Band(int index) const { return index == 0 ? _band1 : _band2; }
    // Corner areas: top-left, bottom-left, bottom-right, top-right.
    const std::vector<QPolygon>& Corners() const { return _corners; }
    size_t SegmentCount(size_t slot) const;

private:
    void BuildPolygons();
    void PlaceBands(bool create);
    bool InsideBand(const QPointF& point) const;
    void MarkCorners(const QPointF& point);
    bool AllCornersHit() const;
    // Returns false once the verdict ended this update.
    bool JudgePoint(size_t slot);
    void AddSegment(size_t slot, const QLineF& line);
    void Decide(bool pass);

    std::vector<QGraphicsLineItem*> _frame;
    std::vector<std::vector<QGraphicsLineItem*>> _segments;
    std::vector<size_t> _nextSegment;
    QPolygon _band1;
    QPolygon _band2;
    std::vector<QGraphicsPolygonItem*> _bands;
    // The band items' shapes, kept so a touch point is not tested against a
    // freshly stroked outline each time.
    std::array<QPainterPath, 2> _bandShapes;
    std::vector<QPolygon> _corners;
    std::array<bool, 4> _cornerHit;
    int _bandWidth;
    bool _decided;
    QPen _pen;
};

}  // namespace morvex_gui_qtlib
