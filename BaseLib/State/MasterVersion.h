#pragma once

#include "State.h"

namespace morvex_gui {

// Shows a bridge banner line ("Q71", any character, " Morvex" and the rest).
class MasterVersion : public State {
public:
    explicit MasterVersion(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
