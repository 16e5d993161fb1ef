#pragma once

#include "State.h"

namespace morvex_gui {

// A single register byte read for the tuning table, shown as the parameter
// value. The cross-value states reuse its pattern and send the byte elsewhere.
class TuneTableValue : public State {
public:
    explicit TuneTableValue(WindowImp* imp);
    void ChangeState() override;

protected:
    // The first matching line hands the byte to `show` of the GUI interface.
    void ShowRegisterValue(void (WindowImp::*show)(int));
};

}  // namespace morvex_gui
