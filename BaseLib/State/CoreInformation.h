#pragma once

#include "State.h"

namespace morvex_gui {

// Waits for the controller information dump; its first line only resets the display.
class CoreInformation : public State {
public:
    explicit CoreInformation(WindowImp* imp);
};

}  // namespace morvex_gui
