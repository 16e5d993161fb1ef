#pragma once

#include "State.h"

namespace morvex_gui {

// Shows the bytes read from a controller register once.
class CoreReadSlave : public State {
public:
    explicit CoreReadSlave(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
