#include "CoreMasterVersion.h"

#include "WindowImp.h"

namespace morvex_gui {

CoreMasterVersion::CoreMasterVersion(WindowImp* imp)
    : State(imp, "Master version: I2C master for (\\S+) Morvex \\S+ (B?V\\S+)") {}

void CoreMasterVersion::ChangeState() {
    State::ChangeState();
    _imp->Log(_match);
    _imp->ReadMasterVersion(_result[2].str().c_str());
}

}  // namespace morvex_gui
