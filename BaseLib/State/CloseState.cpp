#include "CloseState.h"

namespace morvex_gui {

CloseState::CloseState(WindowImp* imp) : State(imp, "") {}

}  // namespace morvex_gui
