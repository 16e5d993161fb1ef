#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "ConfigParameter.h"
#include "CoreRaster.h"
#include "RecordingWindowImp.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"

using morvex_gui::CoreRaster;
using morvex_gui::State;
using morvex_gui::TuneMultiFinger;
using morvex_gui::TuneMultiFingerLift;
using morvex_gui::TuneQualification;
using Frame = CoreRaster::Frame;
using Names = std::vector<std::string>;

namespace {

void Set(morvex_gui::WindowImp& imp, const char* key, const std::string& value) {
    imp._settings.SetParameter(ConfigParameter(key, value));
}

// Reply lines of one frame: the first row as the "S" line, the others as "R" lines.
std::vector<std::string> FrameLines(const Frame& frame) {
    std::vector<std::string> lines;
    for (size_t r = 0; r < frame.size(); ++r) {
        std::string line = r == 0 ? "S" : "R";
        for (int value : frame[r]) {
            line += std::to_string(value) + ",";
        }
        lines.push_back(line);
    }
    return lines;
}

void Feed(State& state, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        state.Parse(line.c_str());
    }
}

// Three electrodes by two: rows of five numbers, frames of four rows.
Frame SmallFrame(int base) {
    Frame frame(4);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) {
            frame[r].push_back(base + 10 * r + c - 12);
        }
    }
    return frame;
}

class RasterStatesTest : public ::testing::Test {
protected:
    RasterStatesTest() {
        Set(imp, "x_electrodes", "3");
        Set(imp, "y_electrodes", "2");
    }
    RecordingWindowImp imp;
};

}  // namespace

TEST_F(RasterStatesTest, FirstFrameWritesThePassRecordLaterFramesRedraw) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    const std::vector<std::string> lines = FrameLines(SmallFrame(0));
    Feed(*state, {lines[0], lines[1], lines[2]});
    EXPECT_TRUE(imp.calls.empty());
    state->Parse(lines[3].c_str());
    EXPECT_EQ(imp.Names(), (Names{"SetResult", "StartTimer", "StartCommon", "StopRecord",
                                  "ClearAll", "StartRaster"}));
    imp.Reset();
    const std::vector<std::string> next = FrameLines(SmallFrame(100));
    Feed(*state, {"noise", next[0], next[1], next[2], "prefix " + next[3]});
    EXPECT_EQ(imp.Names(), (Names{"Log", "Log", "Log", "UpdateScene", "Log"}));
    EXPECT_EQ(imp.calls[0], "Log(<FONT COLOR=GREEN>" + next[0] + "</FONT>)");
    EXPECT_EQ(imp.calls[4], "Log(<FONT COLOR=BLUE>" + next[3] + "</FONT>)");
    EXPECT_EQ(state->GetBuffers(), SmallFrame(100));
}

TEST_F(RasterStatesTest, ALineCutShortAnywhereNeverCorruptsAFrame) {
    const std::vector<std::string> damagedFrame = FrameLines(SmallFrame(500));
    for (size_t row = 0; row < damagedFrame.size(); ++row) {
        for (size_t keep = 0; keep < damagedFrame[row].size(); ++keep) {
            RecordingWindowImp local;
            Set(local, "x_electrodes", "3");
            Set(local, "y_electrodes", "2");
            auto state = boost::make_shared<CoreRaster>(&local, 0);
            Feed(*state, FrameLines(SmallFrame(0)));
            std::vector<std::string> damaged = damagedFrame;
            damaged[row].resize(keep);
            Feed(*state, damaged);
            Feed(*state, FrameLines(SmallFrame(-30)));
            ASSERT_EQ(local.Count("UpdateScene"), 1) << "row " << row << " kept " << keep;
            ASSERT_EQ(state->GetBuffers(), SmallFrame(-30)) << "row " << row << " kept " << keep;
        }
    }
}

TEST_F(RasterStatesTest, OnlyAHeaderOfTheRightLengthOpensAFrameOfBoundedSize) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    const std::vector<std::string> lines = FrameLines(SmallFrame(0));
    // A stale row before any header, or rows after a short header, are dropped.
    Feed(*state, {"R9,9,9,9,9,", "S1,2,3,4,", lines[1], lines[2], lines[3]});
    EXPECT_TRUE(state->GetBuffers().empty());
    // A header in the middle of a frame starts the frame again.
    Feed(*state, {lines[0], lines[1], lines[0], lines[1], lines[2]});
    EXPECT_TRUE(imp.calls.empty());
    state->Parse(lines[3].c_str());
    EXPECT_EQ(state->GetBuffers(), SmallFrame(0));
    // Rows after a frame, or a long run inside one, never grow the buffer.
    for (int i = 0; i < 1000; ++i) {
        state->Parse(i == 500 ? "S0,0,0,0,0," : "R1,2,3,4,5,");
    }
    EXPECT_EQ(state->GetBuffers().size(), 4u);
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
}

TEST(RasterRecordTest, RecordKeyHeaderAndFrameSizeFollowModeAndCounts) {
    for (int mode : {1, 2, 7}) {
        RecordingWindowImp local;  // no electrode counts: frames of two rows of two
        auto state = boost::make_shared<CoreRaster>(&local, mode);
        Feed(*state, {"S1,-2,", "R3,4,"});
        state->logResult("Fail");
        const char* key = mode == 1 ? "raster x" : mode == 2 ? "raster y" : "raster";
        const std::string header = mode == 1   ? "Raster X: ,"
                                   : mode == 2 ? "Raster Y: ,"
                                               : "Raster: ,";
        EXPECT_EQ(local._results.size(), 1u);
        EXPECT_EQ(local._results[key], header + "Fail\r\n1,-2,\r\n3,4,\r\n");
    }
}

TEST(MultiFingerLiftTest, LimitsComeFromTheModesSettingsWhenTheFirstFrameIsComplete) {
    // mode, scene operation, key of the upper limit (empty: the active mode's edge counters)
    const std::tuple<int, const char*, const char*> modes[] = {
        {0, "StartMultiFingerLift(", "raster_max"},
        {1, "StartMultiFingerLiftRX(", "raster_x_max"},
        {2, "StartMultiFingerLiftRY(", "raster_y_max"},
        {3, "StartMultiFingerLiftActive(", ""}};
    for (const auto& [mode, call, maxKey] : modes) {
        SCOPED_TRACE(mode);
        RecordingWindowImp imp;
        int value = 1;
        for (const char* key : {"raster_max", "raster_min", "raster_x_max", "raster_y_max",
                                "active_l_edge_counter", "active_d_edge_counter"}) {
            Set(imp, key, std::to_string(value++));
        }
        auto state = boost::make_shared<TuneMultiFingerLift>(&imp, mode);
        Feed(*state, {"S1,2,", "R3,4,"});
        EXPECT_EQ(imp.calls.back().rfind(call, 0), 0u) << imp.calls.back();
        EXPECT_TRUE(imp._results.empty());
        if (*maxKey != '\0') {
            EXPECT_EQ(std::to_string(state->GetThresholdMax()), imp._settings.GetValue(maxKey));
        } else {
            EXPECT_EQ(state->GetThresholdMax(), 0);
            EXPECT_EQ(state->GetActiveLEdgeCounter(), 5);
            EXPECT_EQ(state->GetActiveDEdgeCounter(), 6);
        }
        imp.Reset();
        Feed(*state, {"S5,6,", "R7,8,"});
        EXPECT_EQ(imp.Names(), (Names{"Log", "UpdateScene", "Log"}));
        EXPECT_EQ(imp.calls[2], "Log(<FONT COLOR=BLUE>R7,8,</FONT>)");
    }
}

TEST_F(RasterStatesTest, QualificationReadsTheTuningValuesWithEveryCompleteFrame) {
    Set(imp, "fingX_value", "2");
    Set(imp, "noiseY_value", "x");
    auto state = boost::make_shared<TuneQualification>(&imp);
    Feed(*state, FrameLines(SmallFrame(0)));
    EXPECT_EQ(imp.Names().back(), "StartQualification");
    EXPECT_EQ(state->GetFingXValue(), 2);
    EXPECT_EQ(state->GetNoiseYValue(), 0);

    Set(imp, "fingX_value", "3");
    const std::vector<std::string> lines = FrameLines(SmallFrame(1));
    Feed(*state, {lines[0], lines[1], lines[2]});
    EXPECT_EQ(state->GetFingXValue(), 2);
    imp.Reset();
    state->Parse(lines[3].c_str());
    EXPECT_EQ(state->GetFingXValue(), 3);
    EXPECT_EQ(imp.Names(), (Names{"UpdateScene", "Log"}));
}

TEST(MultiFingerStateTest, PairIsCompleteOnlyWhenBothFlagSetsAreFull) {
    RecordingWindowImp imp;
    Set(imp, "x_electrodes", "4");
    Set(imp, "y_electrodes", "3");
    auto state = boost::make_shared<TuneMultiFinger>(&imp);
    // An X line begins a pair and drops the Y flags that came before it.
    Feed(*state, {"Y1,0,1,", "X0,1,0,1,"});
    EXPECT_TRUE(imp.calls.empty());
    state->Parse("Y1,0,1");
    EXPECT_EQ(imp.Names().back(), "StartMultiFinger");

    imp.Reset();
    Feed(*state, {"X1,1,0,0,", "Y0,0,1,"});
    EXPECT_EQ(imp.calls,
              (Names{"UpdateScene", "Log(<FONT COLOR=lawngreen>X1,1,0,0,<br />Y0,0,1,</FONT>)"}));
    imp.Reset();
    Feed(*state, {"X1,1,", "Y0,0,1,"});  // a short X line never completes a pair
    EXPECT_TRUE(imp.calls.empty());
}
