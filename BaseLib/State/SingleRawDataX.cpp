#include "SingleRawDataX.h"

namespace morvex_gui {

SingleRawDataX::SingleRawDataX(WindowImp* imp, int count, int mode)
    : SingleRawData(imp, "(-?\\d+)", "X(-?\\d++,?)+", count, mode) {}

}  // namespace morvex_gui
