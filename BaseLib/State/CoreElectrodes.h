#pragma once

#include "State.h"

namespace morvex_gui {

// Waits for an electrode-count line; its first line only resets the display.
// The top-level "|" makes the pattern "the number of x" or "y electrodes: ...";
// either fits the replies it is meant for.
class CoreElectrodes : public State {
public:
    explicit CoreElectrodes(WindowImp* imp);
};

}  // namespace morvex_gui
