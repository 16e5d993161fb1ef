#pragma once

#include "RawData.h"

namespace morvex_gui {

// The debug test, or the jitter test when that test item is running at construction.
class CoreDebug : public RawData {
public:
    explicit CoreDebug(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
