#pragma once

#include "RawData.h"

namespace morvex_gui {

// The raster X test: the frames of the debug test, judged on the X channels.
class CoreRasterX : public RawData {
public:
    explicit CoreRasterX(WindowImp* imp);

    void Update() override;
};

}  // namespace morvex_gui
