#pragma once

#include "State.h"

namespace morvex_gui {

// Fits every line; only the first one runs the common start, so the display
// keeps what it shows.
class RemainDrawState : public State {
public:
    explicit RemainDrawState(WindowImp* imp);
};

}  // namespace morvex_gui
