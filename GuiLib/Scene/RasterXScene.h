#pragma once

#include "RasterAxisScene.h"

namespace morvex_gui_qtlib {

// The raster X test: only the X channels fail it.
class RasterXScene : public RasterAxisScene {
public:
    RasterXScene(QGraphicsScene* scene, morvex_gui::RawData* state);
};

}  // namespace morvex_gui_qtlib
