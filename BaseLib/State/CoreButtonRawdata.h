#pragma once

#include "State.h"

namespace morvex_gui {

// The button raw-data mode: the first line resets the display, nothing is drawn.
class CoreButtonRawdata : public State {
public:
    explicit CoreButtonRawdata(WindowImp* imp);
    void Update() override;
};

}  // namespace morvex_gui
