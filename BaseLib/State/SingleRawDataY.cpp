#include "SingleRawDataY.h"

namespace morvex_gui {

SingleRawDataY::SingleRawDataY(WindowImp* imp, int count, int mode)
    : SingleRawData(imp, "(-?\\d+)", "Y(-?\\d++,?)+", count, mode) {}

}  // namespace morvex_gui
