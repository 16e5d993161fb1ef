#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "BendingRawData.h"
#include "ButtonReferenceDataState.h"
#include "CoreDebug.h"
#include "RecordingWindowImp.h"
#include "TempProgramDir.h"
#include "TuneDebug.h"

using namespace morvex_gui;

namespace {

// "X5,5,5" style line of `count` equal values.
std::string Line(char axis, int count, int value = 5) {
    std::string line(1, axis);
    for (int i = 0; i < count; ++i) {
        line += (i ? "," : "") + std::to_string(value);
    }
    return line;
}

void FeedFrames(State& state, int frames, int xCount = 16, int yCount = 12) {
    for (int i = 0; i < frames; ++i) {
        state.Parse(Line('X', xCount).c_str());
        state.Parse(Line('Y', yCount).c_str());
    }
}

class RawDataStatesTest : public ::testing::Test {
protected:
    TempProgramDir dir;
    RecordingWindowImp imp;
};

}  // namespace

TEST_F(RawDataStatesTest, DebugFramesNeedAnXLineAndStableCountsASecondYLineAppends) {
    CoreDebug state(&imp);
    for (int i = 0; i < 6; ++i) {
        state.Parse("Y1,2");
    }
    FeedFrames(state, 3);
    state.Parse("X1,2,3");
    state.Parse("Y4,5");
    EXPECT_TRUE(imp.calls.empty()) << "counts changed: the stability count restarts";
    FeedFrames(state, 3, 3, 2);
    EXPECT_TRUE(state.IsInitialize());
    FeedFrames(state, 1, 3, 2);
    EXPECT_EQ(imp.Count("StartDebug"), 1);

    imp.Reset();
    state.Parse("X1,2,3");
    state.Parse("Y4,5");
    state.Parse("Y6");
    EXPECT_EQ(state.GetYData(), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(imp.Count("UpdateScene"), 1) << "the grown Y count is not redrawn";
    EXPECT_EQ(imp.Count("Log"), 2) << "but it is still logged";
    EXPECT_TRUE(imp.Has("RecordSegment(X1,2,3\r\nY4,5)"));
}

TEST_F(RawDataStatesTest, LimitsComeFromWholeNumberSettingsOrTheFileOfTheCounts) {
    imp.Set({{"rawdata_max", "12.5"}, {"rawdata_min", "-40"}});
    imp.Set({{"x_electrodes", "2"}, {"y_electrodes", "1"}});
    {
        CoreDebug defaults(&imp);
        EXPECT_EQ(defaults.GetRawdataMax(), 80);
        EXPECT_EQ(defaults.GetRawdataMin(), -40);
    }
    dir.Write("X2Y1.txt", "10,20,\r\n-10,-20,\r\n30,\r\n-30,");
    CoreDebug state(&imp);
    int limit = 0;
    EXPECT_TRUE(state.GetLimit(2, 0, limit));
    EXPECT_EQ(limit, 30);
    EXPECT_FALSE(state.GetLimit(2, 1, limit));
    EXPECT_FALSE(state.GetLimit(4, 0, limit));
}

TEST_F(RawDataStatesTest, TuneDebugReadsWordsFromARegisterDump) {
    TuneDebug state(&imp);
    const char* dump = "Read register content: 01 00 FF FF 05 00 ";
    state.Parse(dump);
    EXPECT_TRUE(state.IsInitialize()) << "x_cross missing: never starts";

    imp.Set({{"x_cross", "2"}, {"y_cross", "1"}});
    state.Parse("Read register content: 01 00 ");
    EXPECT_TRUE(state.IsInitialize());
    state.Parse(dump);
    EXPECT_FALSE(state.IsInitialize());
    EXPECT_EQ(state.GetXData(), (std::vector<int>{1, -1}));
    EXPECT_EQ(state.GetYData(), std::vector<int>{5});
    state.Parse("Read register content: 02 00 ");  // too short a dump: nothing read
    EXPECT_EQ(imp.Names(),
              (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll", "StartDebug"}));
}

TEST_F(RawDataStatesTest, ButtonReferenceRecordsOnlyItsOwnStep) {
    ButtonReferenceDataState button(&imp, 2, 7);
    button.Parse("The button reference rawdata: 4,5");
    button.logResult("Pass", 3);
    button.logResult("Pass", 2);
    EXPECT_EQ(imp._results, (std::map<std::string, std::string>{
                                {"Button Single Raw", "Button Single Raw: ,Pass\r\n 4,5\r\n"}}));
}

TEST_F(RawDataStatesTest, BendingFrameCompletesOnlyWithAllFourLinesOfTheRightLength) {
    imp.Set({{"x_electrodes", "3"}, {"y_electrodes", "2"}});
    BendingRawData state(&imp);
    const std::vector<const char*> frame = {"X1,2,3", "Y4,5", "U6,7,8", "V8,9"};
    for (const char* line : {"RAW DATA", "X1,2,3", "Y4,5", "BENDING DATA", "U6,7", "V8,9"}) {
        state.Parse(line);  // one short: the frame stays incomplete
    }
    EXPECT_TRUE(state.IsInitialize());
    state.Parse(frame[2]);
    state.Parse(frame[3]);
    EXPECT_EQ(imp.Count("StartBendingDebug"), 1);

    imp.Reset();
    for (size_t i = 1; i < frame.size(); ++i) {
        state.Parse(frame[i]);
    }
    EXPECT_TRUE(imp.calls.empty()) << "a frame must begin with its X line";
    for (const char* line : frame) {
        state.Parse(line);
    }
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"UpdateScene", "Log"}));
}
