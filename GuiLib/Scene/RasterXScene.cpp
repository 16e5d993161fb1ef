#include "RasterXScene.h"

namespace morvex_gui_qtlib {

RasterXScene::RasterXScene(QGraphicsScene* scene, morvex_gui::RawData* state)
    : RasterAxisScene(scene, state, ChannelBars::kXAxis) {}

}  // namespace morvex_gui_qtlib
