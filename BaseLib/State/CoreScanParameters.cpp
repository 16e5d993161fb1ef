#include "CoreScanParameters.h"

#include "HexField.h"
#include "WindowImp.h"

namespace morvex_gui {

CoreScanParameters::CoreScanParameters(WindowImp* imp) : State(imp, kParameterDataPattern) {}

void CoreScanParameters::ChangeState() {
    State::ChangeState();
    _imp->ScanParameters(ParameterDataValue(_result));
}

}  // namespace morvex_gui
