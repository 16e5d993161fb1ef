#pragma once

#include "State.h"

namespace morvex_gui {

// Fits every line; the first one clears the display, later ones do nothing.
class ClearDrawState : public State {
public:
    explicit ClearDrawState(WindowImp* imp);

    void ChangeState() override;
};

}  // namespace morvex_gui
