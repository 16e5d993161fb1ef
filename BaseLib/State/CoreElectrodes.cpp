#include "CoreElectrodes.h"

namespace morvex_gui {

CoreElectrodes::CoreElectrodes(WindowImp* imp)
    : State(imp, "the number of x|y electrodes:\\s(\\S){4}\\s") {}

}  // namespace morvex_gui
