#include "TuneTableValue.h"

#include "HexField.h"
#include "WindowImp.h"

namespace morvex_gui {

TuneTableValue::TuneTableValue(WindowImp* imp)
    : State(imp, "Read register content:\\s([0-9A-Fa-f]{2})\\s$") {}

void TuneTableValue::ChangeState() {
    State::ChangeState();
    _imp->ParameterValue(RegisterValue());
}

int TuneTableValue::RegisterValue() const {
    return HexFieldValue(_result[1]);
}

}  // namespace morvex_gui
