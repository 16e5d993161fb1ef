#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// One X raw-data line of the engineering device, shown as the mode chooses.
class SingleRawDataX : public SingleRawData {
public:
    SingleRawDataX(WindowImp* imp, int count, int mode);
};

}  // namespace morvex_gui
