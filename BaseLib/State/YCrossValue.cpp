#include "YCrossValue.h"

#include "WindowImp.h"

namespace morvex_gui {

YCrossValue::YCrossValue(WindowImp* imp) : TuneTableValue(imp) {}

void YCrossValue::ChangeState() {
    // Not the parameter display: only the cross value receives the byte.
    ShowRegisterValue(&WindowImp::SetYCross);
}

}  // namespace morvex_gui
