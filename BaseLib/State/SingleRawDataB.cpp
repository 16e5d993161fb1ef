#include "SingleRawDataB.h"

namespace morvex_gui {

SingleRawDataB::SingleRawDataB(WindowImp* imp)
    : SingleRawData(imp, "(-?\\d+)", "The button rawdata: (-?\\d++,?)+", 8, 0) {}

}  // namespace morvex_gui
