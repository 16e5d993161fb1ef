#include "ClassicDebug.h"

namespace morvex_gui {

ClassicDebug::ClassicDebug(WindowImp* imp)
    : RawData(imp, "([\\+-]\\d{5})", "[XY]([\\+-]\\d{5} ,)+") {
    SetMode(kDebugMode);
}

void ClassicDebug::ChangeState() {
    State::ChangeState();
}

}  // namespace morvex_gui
