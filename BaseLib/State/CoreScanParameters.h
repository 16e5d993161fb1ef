#pragma once

#include "State.h"

namespace morvex_gui {

// One step of the parameter scan: the value (one or two bytes after the register
// byte, read as one hex number) goes to the scan.
class CoreScanParameters : public State {
public:
    explicit CoreScanParameters(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
