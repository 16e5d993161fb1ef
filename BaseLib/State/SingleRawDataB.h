#pragma once

#include "SingleRawData.h"

namespace morvex_gui {

// Button raw data of the engineering device: eight values, judged against the button limits.
class SingleRawDataB : public SingleRawData {
public:
    explicit SingleRawDataB(WindowImp* imp);
};

}  // namespace morvex_gui
