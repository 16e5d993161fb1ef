#pragma once

#include "ChannelBars.h"
#include "Scene.h"

namespace morvex_gui_qtlib {

// The raster X and raster Y tests' display: both axes drawn and coloured by
// their limits, but only the tested axis fails the test. The first failure
// writes the "Fail" record and is reported once; a pass is never reported.
class RasterAxisScene : public Scene {
public:
    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    // A resize waits for the next frame, which lays everything out again.
    void OnResize() override {}
    void Layout(bool create) override;

    const ChannelBars& Bars() const { return _bars; }

protected:
    RasterAxisScene(QGraphicsScene* scene, morvex_gui::RawData* state,
                    ChannelBars::Axis testedAxis);

private:
    void JudgeAxis(ChannelBars::Axis axis);

    morvex_gui::RawData* _state;
    ChannelBars _bars;
    ChannelBars::Axis _testedAxis;
    bool _failed;
    bool _reported;
};

}  // namespace morvex_gui_qtlib
