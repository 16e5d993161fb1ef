#include "CoreRasterY.h"

namespace morvex_gui {

CoreRasterY::CoreRasterY(WindowImp* imp) : RawData(imp, "(-?\\d+)", "[XY](-?\\d++,?)+") {
    SetMode(kRasterYMode);
}

// Each displayed frame also goes to the recording of bridge data.
void CoreRasterY::Update() {
    if (UpdateFrame()) {
        RecordFrameSegment();
    }
}

}  // namespace morvex_gui
