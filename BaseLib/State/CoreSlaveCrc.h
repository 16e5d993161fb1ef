#pragma once

#include <map>
#include <string>

#include "State.h"

namespace morvex_gui {

// The controller's application checksum (answer to "m"): logged with the name
// of the released firmware it belongs to, or alone when it is not a release.
class CoreSlaveCrc : public State {
public:
    explicit CoreSlaveCrc(WindowImp* imp);
    void ChangeState() override;

private:
    // Checksum text exactly as the bridge prints it ("EA C8 ") -> firmware name.
    std::map<std::string, std::string> _crcNames;
};

}  // namespace morvex_gui
