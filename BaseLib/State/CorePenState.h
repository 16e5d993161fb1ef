#pragma once

#include "Normal.h"

namespace morvex_gui {

// The touch report of a controller with a pen: ids 254 and 255 of a single
// contact are the pen's two tips and go to slots 8 and 9.
class CorePenState : public Normal {
public:
    explicit CorePenState(WindowImp* imp);

    void Update() override;

protected:
    int SlotFor(int count, int id) const override;
};

}  // namespace morvex_gui
