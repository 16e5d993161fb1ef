#include "MasterVersion.h"

#include "WindowImp.h"

namespace morvex_gui {

MasterVersion::MasterVersion(WindowImp* imp) : State(imp, "Q71. Morvex.*") {}

void MasterVersion::ChangeState() {
    State::ChangeState();
    _imp->ShowMasterVersion(_match);
}

}  // namespace morvex_gui
