#pragma once

#include "TuneTableValue.h"

namespace morvex_gui {

// The register byte read as the X cross value.
class XCrossValue : public TuneTableValue {
public:
    explicit XCrossValue(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
