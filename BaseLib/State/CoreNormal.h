#pragma once

#include "Normal.h"

namespace morvex_gui {

// The plain touch report of the five-finger controller.
class CoreNormal : public Normal {
public:
    explicit CoreNormal(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
