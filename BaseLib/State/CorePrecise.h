#pragma once

#include "Normal.h"

namespace morvex_gui {

// The precision test item: the touch report, the item's countdown and the
// precision scene, which judges.
class CorePrecise : public Normal {
public:
    explicit CorePrecise(WindowImp* imp);

    void ChangeState() override;
    void Update() override;
    // Puts the last report into the "precise" measurement log.
    virtual void LogData();
};

}  // namespace morvex_gui
