#include "RemainDrawState.h"

namespace morvex_gui {

RemainDrawState::RemainDrawState(WindowImp* imp) : State(imp, "") {}

}  // namespace morvex_gui
