#include "RasterAxisScene.h"

#include "RawData.h"

namespace morvex_gui_qtlib {

RasterAxisScene::RasterAxisScene(QGraphicsScene* scene, morvex_gui::RawData* state,
                                 ChannelBars::Axis testedAxis)
    : Scene(scene),
      _state(state),
      _bars(scene),
      _testedAxis(testedAxis),
      _failed(false),
      _reported(false) {
    HoldState(state);
}

void RasterAxisScene::Start() {
    _bars.Start(*_state);
}

void RasterAxisScene::Layout(bool create) {
    _bars.Layout(*_state, create);
}

void RasterAxisScene::Update() {
    Layout(false);
    JudgeAxis(ChannelBars::kXAxis);
    JudgeAxis(ChannelBars::kYAxis);
    if (_failed && !_reported) {
        _state->logResult("Fail");
        SendTestResult(false);
        _reported = true;
    }
}

void RasterAxisScene::JudgeAxis(ChannelBars::Axis axis) {
    const size_t count = ChannelBars::ChannelCount(*_state, axis);
    for (size_t i = 0; i < count; ++i) {
        const double reading = ChannelBars::Reading(*_state, axis, i);
        const bool fail = _bars.IsOutsideLimits(*_state, axis, i, reading);
        if (fail && axis == _testedAxis) {
            _failed = true;
        }
        _bars.ShowChannel(axis, i, reading, fail, _extraDisplay);
    }
}

}  // namespace morvex_gui_qtlib
