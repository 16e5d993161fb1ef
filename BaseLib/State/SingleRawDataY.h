#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// One Y raw-data line of the engineering device, shown as the mode chooses.
class SingleRawDataY : public SingleRawData {
public:
    SingleRawDataY(WindowImp* imp, int count, int mode);
};

}  // namespace morvex_gui
