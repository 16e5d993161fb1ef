#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "CloseState.h"
#include "RecordingWindowImp.h"

using morvex_gui::CloseState;
using morvex_gui::State;

namespace {

// A state with a small grammar that counts its dispatches and keeps numbers.
class ProbeState : public State {
public:
    explicit ProbeState(morvex_gui::WindowImp* imp, const char* pattern = "Value: (.*)")
        : State(imp, pattern) {}
    void ChangeState() override {
        State::ChangeState();
        ++changes;
    }
    void Update() override {
        ++updates;
        numbers.clear();
        ExtractNumbers(numbers, boost::regex("(-?\\d+)"));
        firstGroup = _result[1].str();
    }
    int changes = 0;
    int updates = 0;
    std::vector<int> numbers;
    std::string firstGroup;
};

}  // namespace

TEST(StateTest, FirstFittingLineStartsLaterOnesUpdate) {
    RecordingWindowImp imp;
    ProbeState state(&imp);
    state.Parse("noise");
    EXPECT_EQ(state.changes, 0);
    EXPECT_TRUE(imp.calls.empty());

    state.Parse("Value: 1");
    EXPECT_EQ(state.changes, 1);
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll"}));

    state.Parse("unrelated");
    state.Parse("prefix Value:  2, 1, 100, -5");
    EXPECT_EQ(state.changes, 1);
    EXPECT_EQ(state.updates, 1);
    EXPECT_EQ(state.numbers, (std::vector<int>{2, 1, 100, -5}));
    EXPECT_EQ(state.GetMatch(), "Value:  2, 1, 100, -5");
}

TEST(StateTest, ErrorWordSwitchesTheDeviceOffAndLeavesTheStateAlone) {
    RecordingWindowImp imp;
    ProbeState state(&imp);
    state.Parse("Value: I2C_MTX_NACK_DATA");
    state.Parse("xx I2C_MTX_NACK_DATA yy");
    EXPECT_EQ(imp.Count("DeviceOff"), 2);
    EXPECT_EQ(state.changes, 0);
    EXPECT_TRUE(state.IsInitialize());
}

namespace {

// Reads the numbers of a line with a pattern of the caller's choice.
class NumberReader : public State {
public:
    explicit NumberReader(const char* pattern) : State(nullptr, ".*"), _numbers(pattern) {}
    std::pair<std::vector<std::string>, std::vector<int>> Read(const char* line) {
        Parse(line);
        std::pair<std::vector<std::string>, std::vector<int>> found;
        ExtractNumberTexts(found.first, found.second, _numbers);
        return found;
    }
    void ChangeState() override { _initialize = false; }

private:
    boost::regex _numbers;
};

}  // namespace

TEST(StateTest, SignedNumbersReadAsTheirPatternFindsThem) {
    // The common number pattern and the same pattern spelt differently, which
    // takes the general road, must read every line alike.
    NumberReader common("(-?\\d+)");
    NumberReader spelt("(-?[0-9]+)");
    for (const char* line :
         {"X1,-2,,-,--3,5-3,-0,007,-007", "2147483647,2147483648,-2147483648,-2147483649",
          "99999999999999999999999,4", "-", "abc", "x-12y 3-", "R-20,19,-1,0,\r", ""}) {
        EXPECT_EQ(common.Read(line), spelt.Read(line)) << line;
    }
    EXPECT_EQ(common.Read("5-3,-0,007").second, (std::vector<int>{5, -3, 0, 7}));
    EXPECT_EQ(common.Read("-007").first, std::vector<std::string>{"-007"});
}

TEST(StateTest, SubMatchesStayValidAfterTheCallersBufferIsGone) {
    RecordingWindowImp imp;
    ProbeState state(&imp);
    state.Parse("Value: a");
    {
        std::string line = "Value: kept text";
        state.Parse(line.c_str());
        line.assign(line.size(), 'X');
    }
    EXPECT_EQ(state.firstGroup, "kept text");
}

TEST(StateTest, CloseStateClearsOnceOnAnyLine) {
    RecordingWindowImp imp;
    auto state = boost::make_shared<CloseState>(&imp);
    state->Parse("");
    state->Parse("anything at all");
    state->Parse("more");
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll"}));
    state->Parse("I2C_MTX_NACK_DATA");
    EXPECT_EQ(imp.Count("DeviceOff"), 1);
}
