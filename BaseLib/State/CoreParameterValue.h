#pragma once

#include "State.h"

namespace morvex_gui {

// A tuning parameter read back from the controller: one or two bytes after the
// register byte, read as one hex number, go to the parameter display.
class CoreParameterValue : public State {
public:
    explicit CoreParameterValue(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
