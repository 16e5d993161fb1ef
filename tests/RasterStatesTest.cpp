#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "ConfigParameter.h"
#include "CoreRaster.h"
#include "RecordingWindowImp.h"

using morvex_gui::CoreRaster;
using morvex_gui::State;
using Frame = CoreRaster::Frame;

namespace {

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
    RasterStatesTest() { imp.Set({{"x_electrodes", "3"}, {"y_electrodes", "2"}}); }
    RecordingWindowImp imp;
};

}  // namespace

TEST_F(RasterStatesTest, ALineCutShortAnywhereNeverCorruptsAFrame) {
    const std::vector<std::string> damagedFrame = FrameLines(SmallFrame(500));
    for (size_t row = 0; row < damagedFrame.size(); ++row) {
        for (size_t keep = 0; keep < damagedFrame[row].size(); ++keep) {
            RecordingWindowImp local;
            local.Set({{"x_electrodes", "3"}, {"y_electrodes", "2"}});
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

TEST(RasterRecordTest, RecordKeyAndHeaderFollowTheMode) {
    for (const auto& [mode, key, header] : {std::tuple{1, "raster x", "Raster X: ,"},
                                            {2, "raster y", "Raster Y: ,"},
                                            {7, "raster", "Raster: ,"}}) {
        RecordingWindowImp local;  // no electrode counts: frames of two rows of two
        auto state = boost::make_shared<CoreRaster>(&local, mode);
        Feed(*state, {"S1,-2,", "R3,4,"});
        state->logResult("Fail");
        EXPECT_EQ(local._results, (std::map<std::string, std::string>{
                                      {key, std::string(header) + "Fail\r\n1,-2,\r\n3,4,\r\n"}}));
    }
}
