#pragma once

#include "TuneTableValue.h"

namespace morvex_gui {

// The register byte read as the Y cross value.
class YCrossValue : public TuneTableValue {
public:
    explicit YCrossValue(WindowImp* imp);
    void ChangeState() override;
};

}  // namespace morvex_gui
