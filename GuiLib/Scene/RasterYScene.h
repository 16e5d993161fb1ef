#pragma once

#include "RasterAxisScene.h"

namespace morvex_gui_qtlib {

// The raster Y test: only the Y channels fail it.
class RasterYScene : public RasterAxisScene {
public:
    RasterYScene(QGraphicsScene* scene, morvex_gui::RawData* state);
};

}  // namespace morvex_gui_qtlib
