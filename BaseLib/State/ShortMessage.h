#pragma once

#include "State.h"

namespace morvex_gui {

// The one-line answer to a register write, the EEPROM structure version query
// or the bootloader information query: the first answer is shown, nothing else.
// It does not check that the answer belongs to the command that was sent.
class ShortMessage : public State {
public:
    explicit ShortMessage(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
