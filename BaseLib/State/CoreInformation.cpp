#include "CoreInformation.h"

namespace morvex_gui {

CoreInformation::CoreInformation(WindowImp* imp) : State(imp, "27 16.*") {}

}  // namespace morvex_gui
