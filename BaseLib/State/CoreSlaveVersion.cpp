#include "CoreSlaveVersion.h"

#include "WindowImp.h"

namespace morvex_gui {

CoreSlaveVersion::CoreSlaveVersion(WindowImp* imp) : State(imp, "Slave version: ([^\\x1b]+)") {}

void CoreSlaveVersion::ChangeState() {
    State::ChangeState();
    _imp->Log(_match);
    _imp->DisplaySlaveVersion(_result[1].str().c_str());
}

}  // namespace morvex_gui
