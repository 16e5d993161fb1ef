#pragma once

#include "State.h"

namespace morvex_gui {

// The classic device's raster mode: it recognises its lines (the classic
// touch-report grammar) and runs the common start on the first; nothing more.
class ClassicRaster : public State {
public:
    explicit ClassicRaster(WindowImp* imp);

    void Update() override {}
};

}  // namespace morvex_gui
