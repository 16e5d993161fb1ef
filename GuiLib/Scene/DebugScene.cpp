#include "DebugScene.h"

#include <QString>
#include <algorithm>
#include <chrono>

#include "MeanAbsoluteDeviation.h"
#include "RawData.h"
#include "TestGlobals.h"

namespace morvex_gui_qtlib {

namespace {

// Redraws after creation that draw nothing, while the panel settles.
constexpr int kSettlingRedraws = 10;

std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

DebugScene::MillisecondClock g_clock = &SteadyMilliseconds;

}  // namespace

void DebugScene::SetClock(MillisecondClock clock) {
    g_clock = clock != nullptr ? clock : &SteadyMilliseconds;
}

DebugScene::DebugScene(QGraphicsScene* scene, morvex_gui::RawData* state)
    : Scene(scene),
      _state(state),
      _bars(scene),
      _sampleIndex(0),
      _historyFull(false),
      _restarting(true),
      _failed(false),
      _reported(false) {
    HoldState(state);
    InitTrack(_xTrack, ChannelBars::kXAxis, state->GetXData().size());
    InitTrack(_yTrack, ChannelBars::kYAxis, state->GetYData().size());
    state->XRecord() = "X,";
    state->YRecord() = "Y,";
    state->XOnOffRecord() = "X_ON/OFF,";
    state->YOnOffRecord() = "Y_ON/OFF,";
    state->SetDisconnectionTest(g_disconnectionTest);
}

void DebugScene::InitTrack(AxisTrack& track, ChannelBars::Axis axis, size_t channels) {
    track.axis = axis;
    track.history.assign(channels, {});
    track.baseline.assign(channels, 0.0);
    track.unchanged.assign(channels, true);
}

std::string& DebugScene::Record(const AxisTrack& track) {
    return track.axis == ChannelBars::kXAxis ? _state->XRecord() : _state->YRecord();
}

std::string& DebugScene::OnOffRecord(const AxisTrack& track) {
    return track.axis == ChannelBars::kXAxis ? _state->XOnOffRecord() : _state->YOnOffRecord();
}

void DebugScene::Layout(bool create) {
    _bars.Layout(*_state, create);
}

void DebugScene::Start() {
    _bars.Start(*_state);
}

void DebugScene::Update() {
    _state->XRecord() = "X,";
    _state->YRecord() = "Y,";
    Layout(false);
    if (SkipWhileRestarting()) {
        return;
    }
    JudgeAxis(_xTrack);
    JudgeAxis(_yTrack);
    if (g_jitterTest != 0) {
        AdvanceSample();
    }
    if (_failed && !_reported) {
        ReportFailure();
    }
}

bool DebugScene::SkipWhileRestarting() {
    if (!_restarting) {
        return false;
    }
    if (_sampleIndex < kSettlingRedraws) {
        ++_sampleIndex;
        return true;
    }
    _restarting = false;
    _sampleIndex = 0;
    return false;
}

void DebugScene::JudgeAxis(AxisTrack& track) {
    const size_t count =
        std::min(ChannelBars::ChannelCount(*_state, track.axis), track.history.size());
    const bool jitter = g_jitterTest != 0;
    bool periodEnd = false;
    for (size_t i = 0; i < count; ++i) {
        const double reading = ChannelBars::Reading(*_state, track.axis, i);
        const double half = reading * 0.5;
        const bool last = i + 1 == count;
        bool fail = false;
        if (!jitter) {
            fail = _bars.IsOutsideLimits(*_state, track.axis, i, reading);
        } else {
            fail = JudgeJitter(track, i, half, last);
            if (g_disconnectionTest == 1) {
                fail = CheckOnOff(track, i, half, last, periodEnd) || fail;
            }
        }
        _failed = _failed || fail;
        _bars.ShowChannel(track.axis, i, reading, fail, _extraDisplay);
    }
}

bool DebugScene::JudgeJitter(AxisTrack& track, size_t channel, double half, bool last) {
    track.history[channel][_sampleIndex] = half;
    if (!_historyFull) {
        return false;
    }
    const double jitter = 2.0 * MeanAbsoluteDeviation(track.history[channel].data());
    std::string& record = Record(track);
    record += QString::number(jitter, 'g', 6).toStdString();
    if (!last) {
        record += ',';
    }
    const double threshold =
        track.axis == ChannelBars::kXAxis ? g_jitterXThreshold : g_jitterYThreshold;
    return threshold < jitter;
}

bool DebugScene::CheckOnOff(AxisTrack& track, size_t channel, double half, bool last,
                            bool& periodEnd) {
    if (!track.captured) {
        // A new period: every channel's value now is its baseline.
        track.baseline[channel] = half;
        track.unchanged[channel] = true;
        if (channel == 0) {
            track.clockStart = g_clock();
        }
        track.captured = track.captured || last;
        return false;
    }
    if (half != track.baseline[channel]) {
        track.unchanged[channel] = false;
    }
    if (channel == 0 &&
        g_clock() - track.clockStart >= static_cast<std::int64_t>(g_disconnectTestPeriod) * 1000) {
        OnOffRecord(track) = track.axis == ChannelBars::kXAxis ? "X_ON/OFF," : "Y_ON/OFF,";
        periodEnd = true;
    }
    if (!periodEnd) {
        return false;
    }
    const bool off = track.unchanged[channel];
    std::string& record = OnOffRecord(track);
    record += off ? '0' : '1';
    if (!last) {
        record += ',';
    } else {
        track.captured = false;
    }
    return off;
}

void DebugScene::AdvanceSample() {
    if (!_historyFull && _sampleIndex == kJitterSamples - 1) {
        _historyFull = true;
    }
    if (++_sampleIndex == kJitterSamples) {
        _sampleIndex = 0;
    }
}

void DebugScene::ReportFailure() {
    _state->logResult("Fail");
    SendTestResult(false);
    _reported = true;
}

}  // namespace morvex_gui_qtlib
