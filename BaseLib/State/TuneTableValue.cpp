#include "TuneTableValue.h"

#include "HexField.h"
#include "WindowImp.h"

namespace morvex_gui {

TuneTableValue::TuneTableValue(WindowImp* imp)
    : State(imp, "Read register content:\\s([0-9A-Fa-f]{2})\\s$") {}

void TuneTableValue::ChangeState() {
    ShowRegisterValue(&WindowImp::ParameterValue);
}

void TuneTableValue::ShowRegisterValue(void (WindowImp::*show)(int)) {
    State::ChangeState();
    (_imp->*show)(HexFieldValue(_result[1]));
}

}  // namespace morvex_gui
