#pragma once

#include "Normal.h"

namespace morvex_gui {

// The border test item: the touch report, the item's countdown and the border
// scene, which judges.
class CoreBorder : public Normal {
public:
    explicit CoreBorder(WindowImp* imp);

    void ChangeState() override;
    void Update() override;
};

}  // namespace morvex_gui
