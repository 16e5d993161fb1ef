#pragma once

#include "Normal.h"

namespace morvex_gui {

// The linearity test item: the touch report, the item's countdown and the
// linearity scene, which judges.
class CoreLinearity : public Normal {
public:
    explicit CoreLinearity(WindowImp* imp);

    void ChangeState() override;
    void Update() override;
    // Puts the last report into the "linearity" measurement log.
    virtual void LogData();
};

}  // namespace morvex_gui
