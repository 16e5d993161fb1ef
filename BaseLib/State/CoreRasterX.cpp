#include "CoreRasterX.h"

namespace morvex_gui {

CoreRasterX::CoreRasterX(WindowImp* imp) : RawData(imp, kRasterXMode) {}

void CoreRasterX::Update() {
    UpdateRecordedFrame();
}

}  // namespace morvex_gui
