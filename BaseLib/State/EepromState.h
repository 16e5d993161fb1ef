#pragma once

#include "State.h"

namespace morvex_gui {

// The EEPROM dump (answer to "e"): the first row replaces the log, every later
// row is appended to it.
class EepromState : public State {
public:
    explicit EepromState(WindowImp* imp);
    void ChangeState() override;
    void Update() override;
    void Hook() override;
};

}  // namespace morvex_gui
