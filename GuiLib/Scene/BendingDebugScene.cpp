#include "BendingDebugScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QPen>
#include <algorithm>

#include "BendingRawData.h"
#include "SegmentItem.h"

namespace morvex_gui_qtlib {

namespace {

constexpr double kMargin = 10.0;
// Redrawn lines keep this much room from the cell's inner edge.
constexpr double kRedrawInset = 2.0;

QPen LinePen(const QColor& colour) {
    return QPen(QBrush(colour, Qt::SolidPattern), 2, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
}

const QPen& RawPen() {
    static const QPen pen = LinePen(QColor(0, 255, 0, 160));
    return pen;
}

const QPen& BendingPen() {
    static const QPen pen = LinePen(QColor(255, 0, 0, 120));
    return pen;
}

const QPen& AxisPen() {
    static const QPen pen(QBrush(Qt::white, Qt::SolidPattern), 1, Qt::DashDotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

constexpr double kLeft = -1.0;
constexpr double kRight = 1.0;

}  // namespace

BendingDebugScene::BendingDebugScene(QGraphicsScene* scene, morvex_gui::BendingRawData* state)
    : Scene(scene), _state(state), _vAxis(nullptr), _hAxis(nullptr) {
    HoldState(state);
}

BendingDebugScene::Geometry BendingDebugScene::Measure(size_t channels) const {
    const QRectF rect = _scene->sceneRect();
    const double step =
        channels == 0 ? 0.0 : (rect.width() * 0.5 - kMargin) / static_cast<double>(channels);
    return Geometry{rect.width() * 0.5, rect.height() * 0.5, step};
}

void BendingDebugScene::Layout(bool create) {
    const QRectF rect = _scene->sceneRect();
    const double cx = rect.width() * 0.5;
    const double cy = rect.height() * 0.5;
    if (create) {
        _hAxis = SegmentItem::Add(_scene, QLineF(0, cy, rect.width(), cy), AxisPen());
        _vAxis = SegmentItem::Add(_scene, QLineF(cx, 0, cx, rect.height()), AxisPen());
    } else if (_hAxis != nullptr) {
        _hAxis->setLine(0, cy, rect.width(), cy);
        _vAxis->setLine(cx, 0, cx, rect.height());
    }
}

void BendingDebugScene::OnResize() {
    Layout(false);
}

void BendingDebugScene::Start() {
    _xLines.clear();
    _yLines.clear();
    _uLines.clear();
    _vLines.clear();
    const int xElectrodes = std::max(0, _state->GetXElectrodes());
    const int yElectrodes = std::max(0, _state->GetYElectrodes());
    Layout(true);
    const Geometry geometry = Measure(static_cast<size_t>(std::max(xElectrodes, yElectrodes)));
    if (geometry.step <= 0.0) {
        return;
    }
    CreateSide(geometry, kLeft, xElectrodes, _state->GetXValues(), _state->GetUValues(), _xLines,
               _uLines);
    CreateSide(geometry, kRight, yElectrodes, _state->GetYValues(), _state->GetVValues(), _yLines,
               _vLines);
}

void BendingDebugScene::CreateSide(const Geometry& geometry, double direction, int electrodes,
                                   const std::vector<int>& raw, const std::vector<int>& bending,
                                   std::vector<QGraphicsLineItem*>& rawLines,
                                   std::vector<QGraphicsLineItem*>& bendingLines) {
    const size_t count = std::min({static_cast<size_t>(electrodes), raw.size(), bending.size()});
    for (size_t i = 0; i < count; ++i) {
        const double x1 = geometry.cx + direction * static_cast<double>(i) * geometry.step;
        const double x2 = geometry.cx + direction * static_cast<double>(i + 1) * geometry.step;
        const double rawY = geometry.cy - raw[i] / 2;
        const double bendingY = geometry.cy - bending[i] / 2;
        rawLines.push_back(SegmentItem::Add(_scene, QLineF(x1, rawY, x2, rawY), RawPen()));
        bendingLines.push_back(
            SegmentItem::Add(_scene, QLineF(x1, bendingY, x2, bendingY), BendingPen()));
    }
}

void BendingDebugScene::Update() {
    const Geometry geometry =
        Measure(std::max(_state->GetXValues().size(), _state->GetYValues().size()));
    if (geometry.step == 0.0) {
        return;
    }
    MoveSide(geometry, kLeft, _state->GetXValues(), _state->GetUValues(), _xLines, _uLines);
    MoveSide(geometry, kRight, _state->GetYValues(), _state->GetVValues(), _yLines, _vLines);
}

// Lines without a value in this frame stay where they are.
void BendingDebugScene::MoveSide(const Geometry& geometry, double direction,
                                 const std::vector<int>& raw, const std::vector<int>& bending,
                                 const std::vector<QGraphicsLineItem*>& rawLines,
                                 const std::vector<QGraphicsLineItem*>& bendingLines) {
    for (size_t i = 0; i < rawLines.size(); ++i) {
        const double x1 =
            geometry.cx + direction * (static_cast<double>(i) * geometry.step + kRedrawInset);
        const double x2 = geometry.cx + direction * static_cast<double>(i + 1) * geometry.step;
        if (i < raw.size()) {
            const double y = geometry.cy - raw[i] * 0.5;
            rawLines[i]->setLine(x1, y, x2, y);
        }
        if (i < bending.size()) {
            const double y = geometry.cy - bending[i] * 0.5;
            bendingLines[i]->setLine(x1, y, x2, y);
        }
    }
}

}  // namespace morvex_gui_qtlib
