#include "CoreDebug.h"

#include "TestGlobals.h"

namespace morvex_gui {

CoreDebug::CoreDebug(WindowImp* imp) : RawData(imp, "(-?\\d+)", "[XY](-?\\d++,?)+") {
    SetMode(g_jitterTest != 0 ? kJitterMode : kDebugMode);
}

// Each displayed frame also goes to the recording of bridge data.
void CoreDebug::Update() {
    if (UpdateFrame()) {
        RecordFrameSegment();
    }
}

}  // namespace morvex_gui
