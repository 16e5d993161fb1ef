#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// The button raw-data test: a line of exactly eight values.
class ButtonRawDataState : public SingleRawData {
public:
    ButtonRawDataState(WindowImp* imp, int count, int mode);
};

}  // namespace morvex_gui
