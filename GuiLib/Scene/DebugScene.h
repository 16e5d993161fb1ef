#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ChannelBars.h"
#include "MeanAbsoluteDeviation.h"
#include "Scene.h"

namespace morvex_gui_qtlib {

// The debug and jitter tests' display. The debug test judges each channel
// against its limits; the jitter test judges the spread of each channel over
// its last ten samples and, with the disconnection test on, whether a channel
// moves at all within the test period. The first failure writes the "Fail"
// record and is reported once. The first ten redraws only settle the display.
class DebugScene : public Scene {
public:
    // Monotonic milliseconds; the disconnection test's period is measured on it.
    using MillisecondClock = std::int64_t (*)();

    DebugScene(QGraphicsScene* scene, morvex_gui::RawData* state);

    void Start() override;
    void Update() override;
    bool RedrawsWholeFrames() const override { return true; }
    void OnResize() override {}
    void Layout(bool create) override;

    const ChannelBars& Bars() const { return _bars; }

    // Replaces the clock (tests); null restores the steady clock.
    static void SetClock(MillisecondClock clock);

private:
    // What one side (X or Y) remembers between redraws.
    struct AxisTrack {
        ChannelBars::Axis axis;
        std::vector<std::array<double, kJitterSamples> > history;
        std::vector<double> baseline;
        std::vector<bool> unchanged;
        bool captured = false;
        std::int64_t clockStart = 0;
    };

    void InitTrack(AxisTrack& track, ChannelBars::Axis axis, size_t channels);
    bool SkipWhileRestarting();
    void JudgeAxis(AxisTrack& track);
    bool JudgeJitter(AxisTrack& track, size_t channel, double half, bool last);
    // The ON/OFF check of one channel; true when the channel failed it.
    bool CheckOnOff(AxisTrack& track, size_t channel, double half, bool last, bool& periodEnd);
    std::string& Record(const AxisTrack& track);
    std::string& OnOffRecord(const AxisTrack& track);
    void AdvanceSample();
    void ReportFailure();

    morvex_gui::RawData* _state;
    ChannelBars _bars;
    AxisTrack _xTrack;
    AxisTrack _yTrack;
    int _sampleIndex;
    bool _historyFull;
    bool _restarting;
    bool _failed;
    bool _reported;
};

}  // namespace morvex_gui_qtlib
