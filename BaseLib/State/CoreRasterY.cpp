#include "CoreRasterY.h"

namespace morvex_gui {

CoreRasterY::CoreRasterY(WindowImp* imp) : RawData(imp, kRasterYMode) {}

void CoreRasterY::Update() {
    UpdateRecordedFrame();
}

}  // namespace morvex_gui
