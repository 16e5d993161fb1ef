#pragma once

#include "State.h"

namespace morvex_gui {

// The idle state: its empty pattern fits every line, so the first line after
// start-up or Quit clears the window once and later lines do nothing.
class CloseState : public State {
public:
    explicit CloseState(WindowImp* imp);
};

}  // namespace morvex_gui
