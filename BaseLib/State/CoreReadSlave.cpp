#include "CoreReadSlave.h"

#include "WindowImp.h"

namespace morvex_gui {

CoreReadSlave::CoreReadSlave(WindowImp* imp)
    : State(imp, "Read register content: ([A-F0-9]{2}\\s)+") {}

void CoreReadSlave::ChangeState() {
    State::ChangeState();
    _imp->Log(_match);
}

}  // namespace morvex_gui
