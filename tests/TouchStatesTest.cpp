#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <climits>
#include <functional>

#include "ClassicNormal.h"
#include "ClearDrawState.h"
#include "CoreBorder.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePenState.h"
#include "QNormal.h"
#include "RecordingWindowImp.h"
#include "RemainDrawState.h"

using namespace morvex_gui;
using Position = Normal::Position;

namespace {

std::string Bits(const boost::dynamic_bitset<>& bits) {
    std::string text;
    boost::to_string(bits, text);
    return {text.rbegin(), text.rend()};  // slot 0 first
}

// One report after the line that starts the display: the touched slots and
// one slot's position.
struct Report {
    const char* name;
    std::function<boost::shared_ptr<Normal>(WindowImp*)> make;
    const char* first;
    const char* line;
    const char* touched;
    int slot;
    Position position;
};

template <class StateT>
boost::shared_ptr<Normal> Make(WindowImp* imp) {
    return boost::make_shared<StateT>(imp);
}

const char* const kPenStart = "( 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";

// clang-format off
const Report kReports[] = {
    {"id wraps to its slot", Make<CoreNormal>, "( 0", "( 2,9,1,2,0,3,4", "11000", 1, {1, 2}},
    {"ids beyond the slots", Make<CoreNormal>, "( 0", "( 5,5,1,1,6,2,2,7,3,3,12,4,4,0,9,9",
     "10001", 4, {4, 4}},
    {"pen 254", Make<CorePenState>, kPenStart, "( 1,254,30,40,0,0,0,0,0,0,0,0,0,0,0,0",
     "0000000010", 8, {30, 40}},
    {"pen 255", Make<CorePenState>, kPenStart, "( 1,255,50,60,0,0,0,0,0,0,0,0,0,0,0,0",
     "0000000001", 9, {50, 60}},
    {"pen, two contacts", Make<CorePenState>, kPenStart, "( 2,254,1,2,255,3,4,0,0,0,0,0,0,0,0,0",
     "0000001100", 7, {3, 4}},
    {"pen, too short", Make<CorePenState>, kPenStart, "( 1,2,3,4,5,6,7,8,9", "0000000000", 0,
     {0, 0}},
    {"classic", Make<ClassicNormal>, "$ +00000 ,", "$ +00010 ,+00000 ,+00000 ,+00123 ,-00045 ,",
     "0100000000", 1, {123, -45}},
    {"unsigned pairs", Make<QNormal>, "( 0", "( 2 10 20 30 40 50 60", "11000000000000000000", 1,
     {30, 40}},
    {"status digits", Make<CoreNormalFlag>, "( 0", "( 2,0,10,20,1,30F1A", "10000", 0, {10, 20}},
};
// clang-format on

}  // namespace

TEST(TouchStatesTest, ReportsFillTheirSlots) {
    for (const Report& r : kReports) {
        SCOPED_TRACE(r.name);
        RecordingWindowImp imp;
        auto state = r.make(&imp);
        ParseEach(*state, {r.first, r.line});
        EXPECT_EQ(Bits(state->_touchings), r.touched);
        EXPECT_EQ(state->_pos[r.slot], r.position);
    }
}

// Mirroring and widths are drawn by the scene tests; here how the texts are read.
TEST(TouchStatesTest, SettingsGiveResolutionAndMirroring) {
    RecordingWindowImp imp;
    EXPECT_EQ(CoreNormal(&imp)._xRes, 800);  // nothing set: defaults, written back
    EXPECT_EQ(imp._settings.GetValue("y_res"), "600");
    imp.Set({{"x_res", " 1024px"}, {"y_res", "abc"}, {"x_reverse", "true"}});
    CoreBorder state(&imp);
    EXPECT_EQ(state._xRes, 1024);
    EXPECT_EQ(state._yRes, 0);
    EXPECT_FALSE(state._xReverse) << "only the exact word True mirrors";
}

TEST(TouchStatesTest, PatternlessStatesClearOrKeepTheDisplayOnce) {
    RecordingWindowImp imp;
    ClearDrawState clear(&imp);
    RemainDrawState remain(&imp);
    ParseEach(clear, {"", "anything", "( 1,0,1,1"});
    ParseEach(remain, {"x", "y"});
    EXPECT_EQ(imp.Names(),
              (std::vector<std::string>{"StartCommon", "StopRecord", "ClearAll", "ClearAll",
                                        "StartCommon", "StopRecord", "ClearAll"}));
}

TEST(TouchStatesTest, NumberScanSkipsOutOfRangeNumbersAndKeepsSigns) {
    const std::string text = "a-12--5 99999999999 2147483647,-2147483648 -x 007";
    std::vector<int> numbers;
    Normal::ScanNumbers(text.data(), text.data() + text.size(), true, numbers);
    EXPECT_EQ(numbers, (std::vector<int>{-12, -5, INT_MAX, INT_MIN, 7}));
}
