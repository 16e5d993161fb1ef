#pragma once

#include "State.h"

namespace morvex_gui {

// Shows the controller's control register (high and low byte as bits) once.
class CoreControlRegister : public State {
public:
    explicit CoreControlRegister(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
