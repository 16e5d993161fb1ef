#pragma once

#include "State.h"

namespace morvex_gui {

// Waits for a slave version word; its first line only resets the display.
class SlaveVersion : public State {
public:
    explicit SlaveVersion(WindowImp* imp);
};

}  // namespace morvex_gui
