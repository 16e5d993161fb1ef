#pragma once

#include "Normal.h"

namespace morvex_gui {

// The older report: signed five-digit (x, y) pairs without count or ids; pair k
// is finger k, and a pair of zeros means no touch.
class ClassicNormal : public Normal {
public:
    explicit ClassicNormal(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
