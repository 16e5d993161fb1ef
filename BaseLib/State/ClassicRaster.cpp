#include "ClassicRaster.h"

namespace morvex_gui {

ClassicRaster::ClassicRaster(WindowImp* imp) : State(imp, "\\$\\s([\\+-]\\d{5}\\s,?)+") {}

}  // namespace morvex_gui
