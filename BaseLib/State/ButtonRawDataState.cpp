#include "ButtonRawDataState.h"

namespace morvex_gui {

ButtonRawDataState::ButtonRawDataState(WindowImp* imp, int count, int mode)
    : SingleRawData(imp, "(-?\\d+)", "The button rawdata: ((-?\\d++,?){8})", count, mode) {}

}  // namespace morvex_gui
