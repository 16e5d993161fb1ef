#include <gtest/gtest.h>

#include "RecordingWindowImp.h"
#include "State.h"

using morvex_gui::State;

namespace {

// A state with a small grammar that counts its dispatches and keeps what it read.
class ProbeState : public State {
public:
    explicit ProbeState(morvex_gui::WindowImp* imp, const char* pattern = "Value: (.*)",
                        const char* numbers = "(-?\\d+)")
        : State(imp, pattern), _numbers(numbers) {}
    void ChangeState() override {
        State::ChangeState();
        ++changes;
    }
    void Update() override {
        numbers.clear();
        texts.clear();
        ExtractNumberTexts(texts, numbers, _numbers);
        firstGroup = _result[1].str();
    }
    int changes = 0;
    std::vector<int> numbers;
    std::vector<std::string> texts;
    std::string firstGroup;

private:
    boost::regex _numbers;
};

}  // namespace

TEST(StateTest, FirstFittingLineStartsLaterOnesUpdateAnErrorWordSwitchesOff) {
    RecordingWindowImp imp;
    ProbeState state(&imp);
    state.Parse("noise");
    state.Parse("Value: I2C_MTX_NACK_DATA");
    EXPECT_EQ(imp.calls, std::vector<std::string>{"DeviceOff"});
    EXPECT_EQ(state.changes, 0);

    state.Parse("Value: 1");
    state.Parse("unrelated");
    state.Parse("prefix Value: kept text");
    EXPECT_EQ(state.changes, 1);
    EXPECT_EQ(imp.Names(),
              (std::vector<std::string>{"DeviceOff", "StartCommon", "StopRecord", "ClearAll"}));
    EXPECT_EQ(state.GetMatch(), "Value: kept text");
    {
        // Sub-matches stay valid after the caller's buffer is gone.
        std::string line = "Value: own copy";
        state.Parse(line.c_str());
        line.assign(line.size(), 'X');
    }
    EXPECT_EQ(state.firstGroup, "own copy");
}

TEST(StateTest, SignedNumbersReadAsTheirPatternFindsThem) {
    // The common number pattern and the same pattern spelt differently, which
    // takes the general road, must read every line alike.
    RecordingWindowImp imp;
    ProbeState common(&imp, ".*");
    ProbeState spelt(&imp, ".*", "(-?[0-9]+)");
    common.Parse("start");
    spelt.Parse("start");
    for (const char* line :
         {"X1,-2,,-,--3,5-3,-0,007,-007", "2147483647,2147483648,-2147483648,-2147483649",
          "99999999999999999999999,4", "x-12y 3-", "R-20,19,-1,0,\r"}) {
        common.Parse(line);
        spelt.Parse(line);
        EXPECT_EQ(common.numbers, spelt.numbers) << line;
        EXPECT_EQ(common.texts, spelt.texts) << line;
    }
    common.Parse("5-3,-0,-007");
    EXPECT_EQ(common.numbers, (std::vector<int>{5, -3, 0, -7}));
    EXPECT_EQ(common.texts.back(), "-007");
}
