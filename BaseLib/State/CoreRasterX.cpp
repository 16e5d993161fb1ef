#include "CoreRasterX.h"

namespace morvex_gui {

CoreRasterX::CoreRasterX(WindowImp* imp) : RawData(imp, "(-?\\d+)", "[XY](-?\\d++,?)+") {
    SetMode(kRasterXMode);
}

// Each displayed frame also goes to the recording of bridge data.
void CoreRasterX::Update() {
    if (UpdateFrame()) {
        RecordFrameSegment();
    }
}

}  // namespace morvex_gui
