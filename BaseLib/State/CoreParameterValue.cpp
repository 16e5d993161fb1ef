#include "CoreParameterValue.h"

#include "HexField.h"
#include "WindowImp.h"

namespace morvex_gui {

CoreParameterValue::CoreParameterValue(WindowImp* imp)
    : State(imp, "the data\\s+=\\s\\S{2}\\s([0-9A-Fa-f]{2})\\s([0-9A-Fa-f]{2})?") {}

void CoreParameterValue::ChangeState() {
    State::ChangeState();
    // The optional second byte continues the first: "01" "F4" reads 0x01F4.
    _imp->ParameterValue(HexFieldValue(_result[2], HexFieldValue(_result[1])));
}

}  // namespace morvex_gui
