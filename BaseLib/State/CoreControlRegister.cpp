#include "CoreControlRegister.h"

#include "WindowImp.h"

namespace morvex_gui {

CoreControlRegister::CoreControlRegister(WindowImp* imp) : State(imp, "H:[01]{8} L:[01]{8}") {}

void CoreControlRegister::ChangeState() {
    State::ChangeState();
    _imp->Log(_match);
}

}  // namespace morvex_gui
