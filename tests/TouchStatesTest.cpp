#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <climits>
#include <initializer_list>

#include "ClassicNormal.h"
#include "ClearDrawState.h"
#include "CoreBorder.h"
#include "CoreLinearity.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePenState.h"
#include "CorePrecise.h"
#include "PictureView.h"
#include "QNormal.h"
#include "RecordingWindowImp.h"
#include "RemainDrawState.h"

using namespace morvex_gui;
using Position = Normal::Position;

namespace {

const std::vector<std::string> kBaseStart = {"StartCommon", "StopRecord", "ClearAll"};

void Feed(State& state, std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
        state.Parse(line);
    }
}

std::vector<std::string> With(std::vector<std::string> names,
                              std::initializer_list<const char*> more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

std::string Set(const boost::dynamic_bitset<>& bits) {
    std::string text;
    for (size_t i = 0; i < bits.size(); ++i) {
        text += bits[i] ? '1' : '0';
    }
    return text;
}

void SetSetting(WindowImp& imp, const char* key, const char* value) {
    imp._settings.SetParameter(ConfigParameter(key, value));
}

}  // namespace

TEST(TouchStatesTest, CoreNormalStoresSlotsRedrawsAndLogsChangedReports) {
    RecordingWindowImp imp;
    auto state = boost::make_shared<CoreNormal>(&imp);
    ASSERT_EQ(state->SlotCount(), 5);
    EXPECT_EQ(state->_maxTouches, 5);

    state->Parse("( 1,3,99,99");  // the first report only starts the display
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormal"}));
    EXPECT_FALSE(state->_touchings.any());

    imp.Reset();
    state->Parse("xx ( 1,3,10,20 tail");
    EXPECT_EQ(Set(state->_touchings), "00010");
    EXPECT_EQ(state->_pos[3], Position(10, 20));
    EXPECT_EQ(imp.calls, (std::vector<std::string>{"UpdateScene",
                                                   "Log(<FONT COLOR=GREEN>( 1,3,10,20</FONT>)"}));

    imp.Reset();
    state->Parse("( 1,3,10,20");  // same text: nothing drawn, yet it becomes the previous report
    EXPECT_TRUE(imp.calls.empty());
    EXPECT_EQ(state->_lastPos[3], Position(10, 20));
    EXPECT_EQ(Set(state->_lastTouchings), "00010");

    state->Parse("( 2,9,1,2,0,3,4");  // id 9 wraps to slot 1
    EXPECT_EQ(Set(state->_touchings), "11000");
    EXPECT_EQ(state->_pos[1], Position(1, 2));
    EXPECT_EQ(state->_pos[3], Position(10, 20)) << "a lifted slot keeps its last position";

    imp.Reset();
    Feed(*state, {"( 0", "( 0,", "( 0,5"});  // the lift is shown once, whatever follows
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_EQ(imp.Count("Log"), 1);
}

TEST(TouchStatesTest, ReportsBeyondTheSlotsOrShortAreReadAsFarAsTheyFit) {
    RecordingWindowImp imp;
    CoreNormal state(&imp);
    // Ids 5, 6 and 7 fall on slots the five-finger state does not have.
    Feed(state, {"( 0", "( 5,5,1,1,6,2,2,7,3,3,12,4,4,0,9,9"});
    EXPECT_EQ(Set(state._touchings), "10001");
    EXPECT_EQ(state._pos[4], Position(4, 4));
    EXPECT_EQ(state._pos[0], Position(9, 9));

    // A count above the triples present reads what is there; the numbers
    // after the counted triples, and after the end of the match, are ignored.
    Feed(state, {"( 3,1,7,8,2,5", "( 1,2,1,1,3,2,2", "( 1,4,6,6, 0,5,5"});
    EXPECT_EQ(Set(state._touchings), "00001");
    EXPECT_EQ(state._pos[1], Position(7, 8));
    EXPECT_EQ(state._pos[2], Position(1, 1));
    EXPECT_EQ(state._pos[3], Position(0, 0));
    EXPECT_EQ(state._pos[4], Position(6, 6));
}

TEST(TouchStatesTest, PenStateMapsThePenIdsOfASingleContact) {
    RecordingWindowImp imp;
    CorePenState state(&imp);
    ASSERT_EQ(state.SlotCount(), 10);
    state.Parse("( 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");  // 16 numbers make a report
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormal"}));
    state.Parse("( 1,2,3,4,5,6,7,8,9");  // too short to fit the pattern
    EXPECT_FALSE(state._touchings.any());

    state.Parse("( 1,254,30,40,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(Set(state._touchings), "0000000010");
    EXPECT_EQ(state._pos[8], Position(30, 40));
    state.Parse("( 1,255,50,60,0,0,0,0,0,0,0,0,0,0,0,0");
    EXPECT_EQ(Set(state._touchings), "0000000001");
    state.Parse("( 2,254,1,2,255,3,4,0,0,0,0,0,0,0,0,0");  // two contacts: ordinary ids
    EXPECT_EQ(Set(state._touchings), "0000001100");
    EXPECT_EQ(state._pos[6], Position(1, 2));
    EXPECT_EQ(state._pos[7], Position(3, 4));
}

TEST(TouchStatesTest, ClassicReportReadsSignedPairsWithoutCount) {
    RecordingWindowImp imp;
    ClassicNormal state(&imp);
    state.Parse("$ +00000 ,");
    state.Parse("$ +00010 ,+00000 ,+00000 ,+00123 ,-00045 ,");
    EXPECT_EQ(Set(state._touchings), "0100000000");
    EXPECT_EQ(state._pos[0], Position(0, 0));
    EXPECT_EQ(state._pos[1], Position(123, -45));
    EXPECT_EQ(imp.Count("Log"), 1);

    // Twelve pairs: the two beyond the ten slots are dropped.
    std::string line = "$ +00001 ,";
    for (int k = 1; k <= 12; ++k) {
        line += "+0000" + std::to_string(k % 10) + " ,+00007 ,";
    }
    state.Parse(line.c_str());
    EXPECT_EQ(Set(state._touchings), "1111111111");
    EXPECT_EQ(state._pos[9], Position(0, 7));
}

TEST(TouchStatesTest, QNormalReadsUnsignedPairsUpToTwentySlots) {
    RecordingWindowImp imp;
    QNormal state(&imp);
    ASSERT_EQ(state.SlotCount(), 20);
    state.Parse("( 0");
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormal"}));
    state.Parse("( 2 10 20 30 40 50 60");
    EXPECT_EQ(state._touchings.count(), 2u);
    EXPECT_EQ(state._pos[1], Position(30, 40));
    EXPECT_EQ(state._pos[2], Position(0, 0));

    std::string line = "( 25";
    for (int k = 0; k < 25; ++k) {
        line += " " + std::to_string(k) + " 1";
    }
    state.Parse(line.c_str());
    EXPECT_TRUE(state._touchings.all());
    EXPECT_EQ(state._pos[19], Position(19, 1));
}

TEST(TouchStatesTest, SettingsGiveResolutionMirroringAndWidths) {
    RecordingWindowImp imp;
    {
        CoreNormal state(&imp);  // nothing set: defaults, written back
        EXPECT_EQ(state._xRes, 800);
        EXPECT_EQ(state._yRes, 600);
        EXPECT_FALSE(state._xReverse);
        EXPECT_EQ(state._borderWidth, 0);
        EXPECT_EQ(imp._settings.GetValue("x_res"), "800");
        EXPECT_EQ(imp._settings.GetValue("y_res"), "600");
    }
    SetSetting(imp, "x_res", " 1024px");
    SetSetting(imp, "y_res", "abc");
    SetSetting(imp, "x_reverse", "true");
    SetSetting(imp, "y_reverse", "True");
    SetSetting(imp, "border_width", "40");
    SetSetting(imp, "line_width", "30");
    SetSetting(imp, "circle_radius", "25");
    CoreBorder state(&imp);
    EXPECT_EQ(state._xRes, 1024);
    EXPECT_EQ(state._yRes, 0);
    EXPECT_EQ(imp._settings.GetValue("x_res"), "1024");
    EXPECT_FALSE(state._xReverse) << "only the exact word True mirrors";
    EXPECT_TRUE(state._yReverse);
    EXPECT_EQ(state._borderWidth, 40);
    EXPECT_EQ(state.GetLineWidth(), 30);
    EXPECT_EQ(state.GetCircleRadius(), 25);
}

TEST(TouchStatesTest, TestItemStatesStartTheirCountdownAndSceneAndLogInTheirColour) {
    struct Case {
        boost::shared_ptr<Normal> state;
        const char* scene;
        const char* colour;
    };
    RecordingWindowImp imp;
    const Case cases[] = {
        {boost::make_shared<CoreLinearity>(&imp), "StartNormalLinearity", "LAWNGREEN"},
        {boost::make_shared<CoreBorder>(&imp), "StartNormalBorder", "GREEN"},
        {boost::make_shared<CorePrecise>(&imp), "StartNormalPrecise", "LAWNGREEN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scene);
        imp.Reset();
        c.state->Parse("( 1,0,5,5");
        EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartTimer", c.scene}));
        EXPECT_TRUE(imp.Has("StartTimer(0)"));
        EXPECT_FALSE(c.state->_touchings.any()) << "the first line is not read";
        imp.Reset();
        Feed(*c.state, {"( 1,0,5,5", "( 1,0,5,5"});
        EXPECT_EQ(imp.calls,
                  (std::vector<std::string>{"UpdateScene", std::string("Log(<FONT COLOR=") +
                                                               c.colour + ">( 1,0,5,5</FONT>)"}));
    }
    // Nothing reads the measurement logs; calling them must still be harmless.
    static_cast<CoreLinearity&>(*cases[0].state).LogData();
    static_cast<CorePrecise&>(*cases[2].state).LogData();
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
    numbers.clear();
    Normal::ScanNumbers(text.data(), text.data() + 7, false, numbers);
    EXPECT_EQ(numbers, (std::vector<int>{12, 5}));
}

// ---- status flags ----

namespace {

// Notes, at each redraw request, whether it was the legend's.
class FlagWatchImp : public RecordingWindowImp {
public:
    void UpdateScene() override {
        RecordingWindowImp::UpdateScene();
        legendRedraws.push_back(state != nullptr && state->_flagChanged);
    }
    CoreNormalFlag* state = nullptr;
    std::vector<bool> legendRedraws;
};

}  // namespace

TEST(TouchStatesTest, StatusByteBecomesFiveConditionBits) {
    RecordingWindowImp imp;
    CoreNormalFlag state(&imp);
    state.Parse("( 0F00");
    const std::pair<const char*, int> cases[] = {
        {"( 0F10", 1}, {"( 0F01", 16}, {"( 0F1F", 31}, {"( 0FE0", 0}, {"( 0F14", 5}};
    for (const auto& c : cases) {
        state.Parse(c.first);
        EXPECT_EQ(state._flag, c.second) << c.first;
    }
    state.Parse("( 0");  // no status byte: the legend keeps its state
    EXPECT_EQ(state._flag, 5);
    EXPECT_EQ(state._lastFlag, "14");
}

TEST(TouchStatesTest, FlagStateRedrawsTrailsThenLegendAndLogsEveryLine) {
    FlagWatchImp imp;
    SetSetting(imp, "x_res", "1000");
    CoreNormalFlag state(&imp);
    imp.state = &state;
    SetSetting(imp, "x_res", "640");  // changed after the switch: the first line rereads it
    SetSetting(imp, "x_reverse", "True");

    state.Parse("( 1,0,1,1F00");
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartNormalFlag"}));
    EXPECT_EQ(state._xRes, 640);
    EXPECT_TRUE(state._xReverse);
    EXPECT_EQ(state._lastLine, "( 1,0,1,1F00");

    imp.Reset();
    state.Parse("( 1,0,5,6F10");  // fingers and status both change
    EXPECT_EQ(imp.legendRedraws, (std::vector<bool>{false, true}));
    EXPECT_EQ(state._pos[0], Position(5, 6));
    EXPECT_EQ(
        imp.calls.back(),
        "Log(<FONT COLOR=GREEN>( 1,0,5,6F10</FONT><br /><FONT COLOR=BLUE>( 1,0,5,6F10</FONT>)");

    imp.Reset();
    imp.legendRedraws.clear();
    state.Parse("( 1,0,5,6F10");  // nothing new: no redraw, but the log is rewritten
    state.Parse("( 0F10");        // the lift: the trails' redraw only
    state.Parse("( 0F11");        // no finger now or before, new status: the legend alone
    EXPECT_EQ(imp.legendRedraws, (std::vector<bool>{false, true}));
    EXPECT_EQ(imp.Count("Log"), 3);
    EXPECT_EQ(imp.calls.back(),
              "Log(<FONT COLOR=GREEN>( 0F10</FONT><br /><FONT COLOR=BLUE>( 0F11</FONT>)");
}

TEST(TouchStatesTest, StatusDigitsNeverCompleteAShortTriple) {
    RecordingWindowImp imp;
    CoreNormalFlag state(&imp);
    state.Parse("( 0");
    state.Parse("( 2,0,10,20,1,30F1A");
    EXPECT_EQ(Set(state._touchings), "10000") << "the 1 of F1A is no coordinate";
    EXPECT_EQ(state._pos[1], Position(0, 0));
    EXPECT_EQ(state._flag, (1 << 0) | (1 << 1) | (1 << 3));  // 0x1A: noise, bending, palm
}

// ---- picture gestures ----

namespace {

std::string OneFinger(int x) {
    return "( 1,0," + std::to_string(x) + ",300";
}

std::string TwoFingers(int distance) {
    return "( 2,0,400,300,1," + std::to_string(400 + distance) + ",300";
}

}  // namespace

TEST(TouchStatesTest, PictureThresholdsFollowTheResolutionWhenSet) {
    RecordingWindowImp imp;
    PictureView defaults(&imp);
    defaults.Parse("( 0");
    EXPECT_EQ(defaults.GetSwipeThreshold(), 1000);
    EXPECT_EQ(defaults.GetZoomThreshold(), 500);
    EXPECT_EQ(imp.Names(), With(kBaseStart, {"StartPicture"}));

    SetSetting(imp, "x_res", "800");
    PictureView state(&imp);
    state.Parse("( 0");
    EXPECT_EQ(state.GetSwipeThreshold(), 200);
    EXPECT_EQ(state.GetZoomThreshold(), 53);
}

TEST(TouchStatesTest, OneFingerSwipesOnceTheTravelPassesTheThreshold) {
    RecordingWindowImp imp;
    SetSetting(imp, "x_res", "800");
    PictureView state(&imp);
    state.Parse("( 0");
    for (int x = 100; x <= 300; x += 50) {
        state.Parse(OneFinger(x).c_str());
    }
    EXPECT_EQ(imp.Count("UpdateScene"), 0) << "200 of travel is not yet a swipe";
    state.Parse(OneFinger(350).c_str());
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    EXPECT_TRUE(state.IsSwipe());
    EXPECT_TRUE(state.GetSwipeForward());
    EXPECT_FLOAT_EQ(state.GetScale(), 1.0f);

    // The next gesture measures from where the finger is now.
    Feed(state, {"( 0", OneFinger(340).c_str(), OneFinger(200).c_str()});
    EXPECT_EQ(imp.Count("UpdateScene"), 1);
    state.Parse(OneFinger(130).c_str());
    EXPECT_EQ(imp.Count("UpdateScene"), 2);
    EXPECT_FALSE(state.GetSwipeForward());
    // An id beyond the five slots is dropped, not stored.
    state.Parse("( 1,6,1,1");
    EXPECT_FALSE(state._touchings.any());
}

TEST(TouchStatesTest, PinchZoomsInWholeStepsAndNeverShrinksBelowOneStep) {
    RecordingWindowImp imp;
    SetSetting(imp, "x_res", "800");
    PictureView state(&imp);
    state.Parse("( 0");
    Feed(state, {TwoFingers(100).c_str(), TwoFingers(120).c_str(), TwoFingers(160).c_str()});
    EXPECT_FLOAT_EQ(state.GetScale(), 1.2f);
    EXPECT_FALSE(state.IsSwipe());
    EXPECT_EQ(imp.Count("UpdateScene"), 1);

    // Each pinch that closes by more than the threshold is one step down.
    int distance = 160;
    for (int step = 0; step < 10; ++step) {
        distance = distance == 160 ? 100 : 160;
        state.Parse(TwoFingers(distance).c_str());
    }
    EXPECT_EQ(imp.Count("UpdateScene"), 11);
    EXPECT_FLOAT_EQ(state.GetScale(), 1.2f) << "alternating pinches cancel out";

    // Five closing steps reach 0.2; a sixth leaves it there.
    distance = 400;
    Feed(state, {"( 0", TwoFingers(distance).c_str()});
    for (int step = 0; step < 6; ++step) {
        distance -= 60;
        state.Parse(TwoFingers(distance).c_str());
    }
    EXPECT_EQ(imp.Count("UpdateScene"), 17);
    EXPECT_FLOAT_EQ(state.GetScale(), 0.2f);
}
