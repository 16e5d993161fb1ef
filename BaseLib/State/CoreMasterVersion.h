#pragma once

#include "State.h"

namespace morvex_gui {

// The bridge's answer to "v": logs the whole line, then hands the version word
// ("V..." or "BV...") to the window's version check.
class CoreMasterVersion : public State {
public:
    explicit CoreMasterVersion(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
