#include "CoreButtonRawdata.h"

namespace morvex_gui {

CoreButtonRawdata::CoreButtonRawdata(WindowImp* imp) : State(imp, "Button rawdata.*") {}

void CoreButtonRawdata::Update() {}

}  // namespace morvex_gui
