#include "QualificationScene.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QPen>

#include "CircleItem.h"
#include "TuneQualification.h"

namespace morvex_gui_qtlib {

namespace {

constexpr double kFingerRadius = 10.0;
constexpr double kNoiseRadius = 8.0;

QRectF Ring(double x, double y, double radius) {
    return QRectF(x - radius, y - radius, 2 * radius, 2 * radius);
}

}  // namespace

QualificationScene::QualificationScene(QGraphicsScene* scene, morvex_gui::TuneQualification* state)
    : RasterScene(scene, state), _fingMarker(nullptr), _noiseMarker(nullptr) {}

QualificationScene::~QualificationScene() = default;

void QualificationScene::Layout(bool create) {
    RasterScene::Layout(create);
    if (!create) {
        return;
    }
    // Added last so the rings lie over the circles and the grid; they stay
    // invisible points until the first redraw places them.
    const QRectF point(GridGeometry::kMargin - 0.5, GridGeometry::kMargin - 0.5, 0, 0);
    _fingMarker = CircleItem::Add(_scene, point, QPen(Qt::green), QBrush());
    _noiseMarker = CircleItem::Add(_scene, point, QPen(Qt::red), QBrush());
}

void QualificationScene::Update() {
    Layout(false);
    const GridGeometry grid = Geometry();
    if (!grid.valid) {
        return;
    }
    if (grid.HasArea()) {
        DrawFrame(grid);
    }
    PlaceMarkers(grid);
}

void QualificationScene::PlaceMarkers(const GridGeometry& grid) {
    if (_fingMarker == nullptr || _noiseMarker == nullptr) {
        return;
    }
    const auto& state = *static_cast<const morvex_gui::TuneQualification*>(_state);
    _fingMarker->setRect(Ring(GridGeometry::kMargin + state.GetFingXValue() * grid.stepX,
                              GridGeometry::kMargin + state.GetFingYValue() * grid.stepY,
                              kFingerRadius));
    _noiseMarker->setRect(Ring(GridGeometry::kMargin + state.GetNoiseXValue() * grid.stepX,
                               GridGeometry::kMargin + state.GetNoiseYValue() * grid.stepY,
                               kNoiseRadius));
}

}  // namespace morvex_gui_qtlib
