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
#include "PictureView.h"
#include "QNormal.h"
#include "RecordingWindowImp.h"
#include "RemainDrawState.h"

using namespace morvex_gui;
using Position = Normal::Position;

namespace {

const std::vector<std::string> kBaseStart = {"StartCommon", "StopRecord", "ClearAll"};

std::vector<std::string> With(std::vector<std::string> names, std::vector<std::string> more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

std::string Bits(const boost::dynamic_bitset<>& bits) {
    std::string text;
    for (size_t i = 0; i < bits.size(); ++i) {
        text += bits[i] ? '1' : '0';
    }
    return text;
}

void Feed(State& state, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
        state.Parse(line.c_str());
    }
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
        Feed(*state, {r.first, r.line});
        EXPECT_EQ(Bits(state->_touchings), r.touched);
        EXPECT_EQ(state->_pos[r.slot], r.position);
    }
}

TEST(TouchStatesTest, CoreNormalRedrawsAndLogsOnlyChangedReports) {
    RecordingWindowImp imp;
    auto state = boost::make_shared<CoreNormal>(&imp);
    state->Parse("( 1,3,99,99");  // the first report only starts the display
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormal"}));
    EXPECT_FALSE(state->_touchings.any());

    imp.Reset();
    state->Parse("xx ( 1,3,10,20 tail");
    EXPECT_EQ(imp.calls, (std::vector<std::string>{"UpdateScene",
                                                   "Log(<FONT COLOR=GREEN>( 1,3,10,20</FONT>)"}));
    imp.Reset();
    state->Parse("( 1,3,10,20");  // same text: nothing drawn
    EXPECT_TRUE(imp.calls.empty());
    Feed(*state, {"( 0", "( 0,", "( 0,5"});  // the lift is shown once
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_EQ(state->_pos[3], Position(10, 20)) << "a lifted slot keeps its last position";
}

TEST(TouchStatesTest, SettingsGiveResolutionMirroringAndWidths) {
    RecordingWindowImp imp;
    CoreNormal defaults(&imp);  // nothing set: defaults, written back
    EXPECT_EQ(defaults._xRes, 800);
    EXPECT_EQ(imp._settings.GetValue("y_res"), "600");
    for (const auto& [key, value] : std::map<std::string, std::string>{{"x_res", " 1024px"},
                                                                       {"y_res", "abc"},
                                                                       {"x_reverse", "true"},
                                                                       {"y_reverse", "True"},
                                                                       {"border_width", "40"},
                                                                       {"circle_radius", "25"}}) {
        imp._settings.SetParameter(ConfigParameter(key, value));
    }
    CoreBorder state(&imp);
    EXPECT_EQ(state._xRes, 1024);
    EXPECT_EQ(state._yRes, 0);
    EXPECT_FALSE(state._xReverse) << "only the exact word True mirrors";
    EXPECT_TRUE(state._yReverse);
    EXPECT_EQ(state._borderWidth, 40);
    EXPECT_EQ(state.GetCircleRadius(), 25);
}

TEST(TouchStatesTest, PatternlessStatesClearOrKeepTheDisplayOnce) {
    RecordingWindowImp imp;
    ClearDrawState clear(&imp);
    Feed(clear, {"", "anything", "( 1,0,1,1"});
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"ClearAll"}));
    imp.Reset();
    RemainDrawState remain(&imp);
    Feed(remain, {"x", "y"});
    EXPECT_EQ(imp.Names(), kBaseStart);
}

TEST(TouchStatesTest, NumberScanSkipsOutOfRangeNumbersAndKeepsSigns) {
    const std::string text = "a-12--5 99999999999 2147483647,-2147483648 -x 007";
    std::vector<int> numbers;
    Normal::ScanNumbers(text.data(), text.data() + text.size(), true, numbers);
    EXPECT_EQ(numbers, (std::vector<int>{-12, -5, INT_MAX, INT_MIN, 7}));
}

TEST(TouchStatesTest, StatusByteBecomesFiveConditionBitsAndRedrawsTheLegend) {
    RecordingWindowImp imp;
    CoreNormalFlag state(&imp);
    state.Parse("( 1,0,1,1F00");
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormalFlag"}));
    for (const auto& [line, flag] : std::vector<std::pair<const char*, int>>{
             {"( 0F10", 1}, {"( 0F01", 16}, {"( 0F1F", 31}, {"( 0FE0", 0}, {"( 0F14", 5}}) {
        state.Parse(line);
        EXPECT_EQ(state._flag, flag) << line;
    }
    state.Parse("( 0");  // no status byte: the legend keeps its state
    EXPECT_EQ(state._flag, 5);
}

TEST(TouchStatesTest, PictureSwipesAndZoomsByTheResolutionsThresholds) {
    RecordingWindowImp imp;
    imp._settings.SetParameter(ConfigParameter("x_res", "800"));
    PictureView state(&imp);
    state.Parse("( 0");
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartPicture"}));
    EXPECT_EQ(state.GetSwipeThreshold(), 200);
    EXPECT_EQ(state.GetZoomThreshold(), 53);
    const auto one = [](int x) { return "( 1,0," + std::to_string(x) + ",300"; };
    Feed(state, {one(100), one(200), one(300)});
    EXPECT_EQ(imp.Count("UpdateScene"), 0) << "200 of travel is not yet a swipe";
    Feed(state, {one(350)});
    EXPECT_TRUE(state.IsSwipe());
    EXPECT_TRUE(state.GetSwipeForward());

    const auto two = [](int d) { return "( 2,0,400,300,1," + std::to_string(400 + d) + ",300"; };
    int distance = 400;
    Feed(state, {"( 0", two(distance)});
    for (int step = 0; step < 6; ++step) {  // five closing steps reach 0.2; a sixth stays
        distance -= 60;
        Feed(state, {two(distance)});
    }
    EXPECT_FLOAT_EQ(state.GetScale(), 0.2f);
    EXPECT_EQ(imp.Count("UpdateScene"), 7);
}
