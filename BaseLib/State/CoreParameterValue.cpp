#include "CoreParameterValue.h"

#include "HexField.h"
#include "WindowImp.h"

namespace morvex_gui {

CoreParameterValue::CoreParameterValue(WindowImp* imp) : State(imp, kParameterDataPattern) {}

void CoreParameterValue::ChangeState() {
    State::ChangeState();
    _imp->ParameterValue(ParameterDataValue(_result));
}

}  // namespace morvex_gui
