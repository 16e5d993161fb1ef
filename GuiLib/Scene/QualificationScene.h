#pragma once

#include "RasterScene.h"

namespace morvex_gui {
class TuneQualification;
}

namespace morvex_gui_qtlib {

// The raster of the qualification mode with two rings on top: green at the
// finger position and red at the noise position of the tuning values.
class QualificationScene : public RasterScene {
public:
    QualificationScene(QGraphicsScene* scene, morvex_gui::TuneQualification* state);
    ~QualificationScene() override;

    void Update() override;
    void Layout(bool create) override;

    QGraphicsEllipseItem* FingerMarker() const { return _fingMarker; }
    QGraphicsEllipseItem* NoiseMarker() const { return _noiseMarker; }

private:
    void PlaceMarkers(const GridGeometry& grid);

    QGraphicsEllipseItem* _fingMarker;
    QGraphicsEllipseItem* _noiseMarker;
};

}  // namespace morvex_gui_qtlib
