#include "ButtonReferenceDataState.h"

namespace morvex_gui {

ButtonReferenceDataState::ButtonReferenceDataState(WindowImp* imp, int count, int /*mode*/)
    : SingleRawData(imp, "(-?\\d+)", "The button reference rawdata: ((-?\\d++,?)+)", count, 3) {}

}  // namespace morvex_gui
