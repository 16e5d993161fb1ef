#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "ConfigParameter.h"
#include "CoreRaster.h"
#include "LineSplitter.h"
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

namespace {

void Set(RecordingWindowImp& imp, const char* key, const std::string& value) {
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
    Frame frame;
    for (int r = 0; r < 4; ++r) {
        std::vector<int> row;
        for (int c = 0; c < 5; ++c) {
            row.push_back(base + 10 * r + c - 12);
        }
        frame.push_back(row);
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

TEST_F(RasterStatesTest, FirstCompleteFrameWritesPassRecordStartsTimerAndScene) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    EXPECT_EQ(state->GetNumbersPerLine(), 5);
    EXPECT_EQ(state->GetLinesPerFrame(), 4);
    const std::vector<std::string> lines = FrameLines(SmallFrame(0));
    Feed(*state, {lines[0], lines[1], lines[2]});
    EXPECT_TRUE(imp.calls.empty());
    EXPECT_TRUE(state->IsInitialize());

    state->Parse(lines[3].c_str());
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"SetResult", "StartTimer", "StartCommon",
                                                     "StopRecord", "ClearAll", "StartRaster"}));
    EXPECT_TRUE(imp.Has("StartTimer(1)"));
    EXPECT_EQ(state->GetBuffers(), SmallFrame(0));
    EXPECT_EQ(imp._results["raster"],
              "Raster: ,Pass\r\n-12,-11,-10,-9,-8,\r\n-2,-1,0,1,2,\r\n8,9,10,11,12,\r\n"
              "18,19,20,21,22,\r\n");
    EXPECT_FALSE(state->IsInitialize());
}

TEST_F(RasterStatesTest, LaterLinesLogGreenAndTheCompletingLineRedrawsThenLogsBlue) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, FrameLines(SmallFrame(0)));
    imp.Reset();
    const std::vector<std::string> lines = FrameLines(SmallFrame(100));
    Feed(*state, {"noise", lines[0], lines[1], lines[2], "prefix " + lines[3]});
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"Log", "Log", "Log", "UpdateScene", "Log"}));
    EXPECT_EQ(imp.calls[0], "Log(<FONT COLOR=GREEN>" + lines[0] + "</FONT>)");
    EXPECT_EQ(imp.calls[4], "Log(<FONT COLOR=BLUE>" + lines[3] + "</FONT>)");
    EXPECT_EQ(state->GetBuffers(), SmallFrame(100));
}

TEST_F(RasterStatesTest, FramesAssembleFromAStreamCutAtAnyPoint) {
    std::string stream;
    for (int base : {0, 40, -40}) {
        for (const std::string& line : FrameLines(SmallFrame(base))) {
            stream += line + "\r\n";
        }
    }
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        RecordingWindowImp local;
        Set(local, "x_electrodes", "3");
        Set(local, "y_electrodes", "2");
        auto state = boost::make_shared<CoreRaster>(&local, 0);
        std::string pending;
        for (const std::string& chunk : {stream.substr(0, cut), stream.substr(cut)}) {
            pending += chunk;
            std::vector<std::string> lines;
            SplitLines(pending, lines);
            Feed(*state, lines);
        }
        ASSERT_EQ(local.Count("StartRaster"), 1) << "cut at " << cut;
        ASSERT_EQ(local.Count("UpdateScene"), 2) << "cut at " << cut;
        ASSERT_EQ(state->GetBuffers(), SmallFrame(-40)) << "cut at " << cut;
    }
}

TEST_F(RasterStatesTest, ALineCutShortAnywhereNeverCorruptsAFrame) {
    const std::vector<std::string> good = FrameLines(SmallFrame(0));
    const std::vector<std::string> damagedFrame = FrameLines(SmallFrame(500));
    const std::vector<std::string> next = FrameLines(SmallFrame(-30));
    for (size_t row = 0; row < damagedFrame.size(); ++row) {
        for (size_t keep = 0; keep < damagedFrame[row].size(); ++keep) {
            RecordingWindowImp local;
            Set(local, "x_electrodes", "3");
            Set(local, "y_electrodes", "2");
            auto state = boost::make_shared<CoreRaster>(&local, 0);
            Feed(*state, good);
            std::vector<std::string> damaged = damagedFrame;
            damaged[row].resize(keep);
            Feed(*state, damaged);
            ASSERT_EQ(local.Count("UpdateScene"), 0) << "row " << row << " kept " << keep;
            Feed(*state, next);
            ASSERT_EQ(local.Count("UpdateScene"), 1) << "row " << row << " kept " << keep;
            ASSERT_EQ(state->GetBuffers(), SmallFrame(-30)) << "row " << row << " kept " << keep;
        }
    }
}

TEST_F(RasterStatesTest, OnlyAHeaderOfTheRightLengthOpensAFrame) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    const std::vector<std::string> lines = FrameLines(SmallFrame(0));
    // A stale row before any header is not kept.
    state->Parse("R9,9,9,9,9,");
    EXPECT_TRUE(state->GetBuffers().empty());
    // A short header opens nothing: its rows are dropped.
    Feed(*state, {"S1,2,3,4,", lines[1], lines[2], lines[3]});
    EXPECT_TRUE(state->GetBuffers().empty());
    EXPECT_TRUE(imp.calls.empty());
    // A header in the middle of a frame starts the frame again.
    Feed(*state, {lines[0], lines[1], lines[0], lines[1], lines[2]});
    EXPECT_TRUE(imp.calls.empty());
    state->Parse(lines[3].c_str());
    EXPECT_EQ(imp.Count("StartRaster"), 1);
    EXPECT_EQ(state->GetBuffers(), SmallFrame(0));
}

TEST_F(RasterStatesTest, RowsAfterAFrameNeitherGrowTheBufferNorReplaceTheFrame) {
    auto state = boost::make_shared<CoreRaster>(&imp, 0);
    Feed(*state, FrameLines(SmallFrame(0)));
    for (int i = 0; i < 1000; ++i) {
        state->Parse("R1,2,3,4,5,");
    }
    EXPECT_EQ(state->GetBuffers(), SmallFrame(0));
    EXPECT_EQ(imp.Count("UpdateScene"), 0);
    // A long run of rows inside a frame stops at the frame's size.
    state->Parse("S0,0,0,0,0,");
    for (int i = 0; i < 1000; ++i) {
        state->Parse("R1,2,3,4,5,");
    }
    EXPECT_EQ(state->GetBuffers().size(), 4u);
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
}

TEST_F(RasterStatesTest, MissingElectrodeCountsGiveFramesOfTwoRowsOfTwo) {
    RecordingWindowImp bare;
    auto state = boost::make_shared<CoreRaster>(&bare, 0);
    Feed(*state, {"S1,2,", "R3,4,"});
    EXPECT_EQ(state->GetBuffers(), (Frame{{1, 2}, {3, 4}}));
    EXPECT_EQ(bare._results["raster"], "Raster: ,Pass\r\n1,2,\r\n3,4,\r\n");
}

TEST_F(RasterStatesTest, RecordKeyAndHeaderFollowTheMode) {
    for (int mode : {1, 2, 7}) {
        RecordingWindowImp local;
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

namespace {

struct LiftCase {
    int mode;
    const char* startCall;
    const char* maxKey;
    const char* edgeKey;
};

class LiftLimitsTest : public ::testing::TestWithParam<LiftCase> {};

}  // namespace

TEST_P(LiftLimitsTest, LimitsComeFromTheModesSettingsWhenTheFirstFrameIsComplete) {
    const LiftCase& c = GetParam();
    RecordingWindowImp imp;
    const char* keys[] = {"raster_max",
                          "raster_min",
                          "raster_x_max",
                          "raster_x_min",
                          "raster_x_edge_max",
                          "raster_x_edge_min",
                          "raster_x_edge_counter",
                          "raster_y_max",
                          "raster_y_min",
                          "raster_y_edge_max",
                          "raster_y_edge_min",
                          "raster_y_edge_counter",
                          "active_l_edge_counter",
                          "active_r_edge_counter",
                          "active_u_edge_counter",
                          "active_d_edge_counter"};
    int value = 1;
    for (const char* key : keys) {
        Set(imp, key, std::to_string(value++));
    }
    auto state = boost::make_shared<TuneMultiFingerLift>(&imp, c.mode);
    state->Parse("S1,2,");
    EXPECT_EQ(state->GetThresholdMax(), 0);
    state->Parse("R3,4,");

    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll",
                                                     imp.Names().back()}));
    EXPECT_EQ(imp.calls.back().rfind(c.startCall, 0), 0u) << imp.calls.back();
    EXPECT_TRUE(imp._results.empty());
    const bool active = c.mode == 3 || c.mode == 4;
    if (active) {
        const std::string& call = imp.calls.back();
        EXPECT_EQ(call.substr(call.size() - 4), ", " + std::to_string(c.mode) + ")");
        EXPECT_EQ(state->GetThresholdMax(), 0);
        EXPECT_EQ(state->GetThresholdMin(), 0);
        EXPECT_EQ(state->GetActiveLEdgeCounter(), 13);
        EXPECT_EQ(state->GetActiveREdgeCounter(), 14);
        EXPECT_EQ(state->GetActiveUEdgeCounter(), 15);
        EXPECT_EQ(state->GetActiveDEdgeCounter(), 16);
    } else {
        EXPECT_EQ(std::to_string(state->GetThresholdMax()), imp._settings.GetValue(c.maxKey));
        EXPECT_EQ(state->GetThresholdMin(), state->GetThresholdMax() + 1);
        EXPECT_EQ(std::to_string(state->GetThresholdEdgeMax()), imp._settings.GetValue(c.edgeKey));
        EXPECT_EQ(state->GetThresholdEdgeMin(), state->GetThresholdEdgeMax() + 1);
        EXPECT_EQ(state->GetThresholdEdgeCounter(), state->GetThresholdEdgeMax() + 2);
        EXPECT_EQ(state->GetActiveLEdgeCounter(), 0);
    }

    imp.Reset();
    Feed(*state, {"S5,6,", "R7,8,"});
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"Log", "UpdateScene", "Log"}));
    EXPECT_EQ(imp.calls[2], "Log(<FONT COLOR=BLUE>R7,8,</FONT>)");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LiftLimitsTest,
    ::testing::Values(LiftCase{0, "StartMultiFingerLift(", "raster_max", "raster_x_edge_max"},
                      LiftCase{9, "StartMultiFingerLift(", "raster_max", "raster_x_edge_max"},
                      LiftCase{1, "StartMultiFingerLiftRX(", "raster_x_max", "raster_x_edge_max"},
                      LiftCase{2, "StartMultiFingerLiftRY(", "raster_y_max", "raster_y_edge_max"},
                      LiftCase{3, "StartMultiFingerLiftActive(", "", ""},
                      LiftCase{4, "StartMultiFingerLiftActive(", "", ""}));

TEST_F(RasterStatesTest, QualificationReadsTheTuningValuesWithEveryCompleteFrame) {
    Set(imp, "fingX_value", "2");
    Set(imp, "fingY_value", "1");
    Set(imp, "noiseX_value", "4");
    Set(imp, "noiseY_value", "x");
    auto state = boost::make_shared<TuneQualification>(&imp);
    Feed(*state, FrameLines(SmallFrame(0)));
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll",
                                                     "StartQualification"}));
    EXPECT_EQ(state->GetFingXValue(), 2);
    EXPECT_EQ(state->GetFingYValue(), 1);
    EXPECT_EQ(state->GetNoiseXValue(), 4);
    EXPECT_EQ(state->GetNoiseYValue(), 0);

    Set(imp, "fingX_value", "3");
    const std::vector<std::string> lines = FrameLines(SmallFrame(1));
    Feed(*state, {lines[0], lines[1], lines[2]});
    EXPECT_EQ(state->GetFingXValue(), 2);
    imp.Reset();
    state->Parse(lines[3].c_str());
    EXPECT_EQ(state->GetFingXValue(), 3);
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"UpdateScene", "Log"}));
    EXPECT_TRUE(imp._results.empty());
}

namespace {

// Keeps the flags that the scene operation would see.
struct MultiFingerSpy : RecordingWindowImp {
    void StartMultiFinger(TuneMultiFinger* state) override {
        RecordingWindowImp::StartMultiFinger(state);
        xAtStart = state->GetXData();
        yAtStart = state->GetYData();
    }
    std::vector<int> xAtStart;
    std::vector<int> yAtStart;
};

}  // namespace

TEST(MultiFingerStateTest, PairIsCompleteOnlyWhenBothFlagSetsAreFull) {
    MultiFingerSpy imp;
    Set(imp, "x_electrodes", "4");
    Set(imp, "y_electrodes", "3");
    auto state = boost::make_shared<TuneMultiFinger>(&imp);
    // An X line begins a pair and drops the Y flags that came before it.
    state->Parse("Y1,0,1,");
    state->Parse("X0,1,0,1,");
    EXPECT_TRUE(imp.calls.empty());
    EXPECT_TRUE(state->GetYData().empty());

    state->Parse("Y1,0,1");
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll",
                                                     "StartMultiFinger"}));
    EXPECT_EQ(imp.xAtStart, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(imp.yAtStart, (std::vector<int>{1, 0, 1}));
    EXPECT_TRUE(state->GetXData().empty());
    EXPECT_TRUE(state->GetYData().empty());

    imp.Reset();
    state->Parse("X1,1,0,0,");
    EXPECT_TRUE(imp.calls.empty());
    state->Parse("Y0,0,1,");
    EXPECT_EQ(imp.calls,
              (std::vector<std::string>{
                  "UpdateScene", "Log(<FONT COLOR=lawngreen>X1,1,0,0,<br />Y0,0,1,</FONT>)"}));
    EXPECT_TRUE(state->GetXData().empty());

    // A short X line never completes a pair.
    imp.Reset();
    Feed(*state, {"X1,1,", "Y0,0,1,"});
    EXPECT_TRUE(imp.calls.empty());
}
