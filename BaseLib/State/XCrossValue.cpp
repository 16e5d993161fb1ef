#include "XCrossValue.h"

#include "WindowImp.h"

namespace morvex_gui {

XCrossValue::XCrossValue(WindowImp* imp) : TuneTableValue(imp) {}

void XCrossValue::ChangeState() {
    // Not the parameter display: only the cross value receives the byte.
    ShowRegisterValue(&WindowImp::SetXCross);
}

}  // namespace morvex_gui
