#pragma once

#include "RawData.h"

namespace morvex_gui {

// The raster Y test: the frames of the debug test, judged on the Y channels.
class CoreRasterY : public RawData {
public:
    explicit CoreRasterY(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
