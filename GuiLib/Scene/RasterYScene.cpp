#include "RasterYScene.h"

namespace morvex_gui_qtlib {

RasterYScene::RasterYScene(QGraphicsScene* scene, morvex_gui::RawData* state)
    : RasterAxisScene(scene, state, ChannelBars::kYAxis) {}

}  // namespace morvex_gui_qtlib
