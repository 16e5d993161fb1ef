#pragma once

#include "State.h"

namespace morvex_gui {

// The reset test: the controller restarted through its bootloader when the
// bootloader reports its information. Every such line is a pass; the bytes
// themselves are not judged, and no line means no verdict from here.
class CoreReset : public State {
public:
    explicit CoreReset(WindowImp* imp);
    void ChangeState() override;
    void Update() override;

private:
    void ReportBootloaderSeen();
};

}  // namespace morvex_gui
