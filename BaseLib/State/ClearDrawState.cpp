#include "ClearDrawState.h"

#include "WindowImp.h"

namespace morvex_gui {

ClearDrawState::ClearDrawState(WindowImp* imp) : State(imp, "") {}

void ClearDrawState::ChangeState() {
    State::ChangeState();
    _imp->ClearAll();
}

}  // namespace morvex_gui
