#include "CoreDebug.h"

#include "TestGlobals.h"

namespace morvex_gui {

CoreDebug::CoreDebug(WindowImp* imp) : RawData(imp, g_jitterTest != 0 ? kJitterMode : kDebugMode) {}

void CoreDebug::Update() {
    UpdateRecordedFrame();
}

}  // namespace morvex_gui
