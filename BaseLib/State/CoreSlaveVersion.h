#pragma once

#include "State.h"

namespace morvex_gui {

// The controller's answer to "a": logs the line and shows the version text,
// which runs to the end of the line or to an escape character.
class CoreSlaveVersion : public State {
public:
    explicit CoreSlaveVersion(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
