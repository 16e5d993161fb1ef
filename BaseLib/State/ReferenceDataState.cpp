#include "ReferenceDataState.h"

namespace morvex_gui {

ReferenceDataState::ReferenceDataState(WindowImp* imp, int count, int /*mode*/)
    : SingleRawData(imp, "(-?\\d+)", "H(R(-?\\d++,?)+)", count, 8) {}

}  // namespace morvex_gui
