// Mode switches that release a state while something still runs on it or
// shows it. Built with AddressSanitizer, a state touched after its release
// fails the test run. The states are never watched through weak pointers
// here: a weak reference would keep the memory of a shared allocation and
// hide exactly the fault these tests look for.

#include <gtest/gtest.h>

#include <QObject>
#include <string>

#include "ReferenceDataScene.h"
#include "ReplyRoad.h"
#include "TestGlobals.h"
#include "TypeName.h"

using morvex_gui_qtlib::DisplayView;

namespace {

class ObjectLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_jitterTest = 0;
        ASSERT_TRUE(road.Open());
    }

    // The next verdict starts the next item: the slave version, a replacing
    // switch, runs inside the emission, on the same call stack.
    void SwitchToSlaveVersionOnVerdict() {
        QObject::connect(
            road.view, qOverload<bool>(&DisplayView::testResult), &context,
            [this](bool) {
                if (++switches == 1) {
                    road.device.SlaveVersionState();
                }
            },
            Qt::DirectConnection);
    }

    std::string Current() const { return TypeName(*road.current); }
    std::string Scene() const {
        const auto scene = road.view->GetScene();
        return scene ? TypeName(*scene) : std::string();
    }

    ReplyRoad road;
    QObject context;
    int switches = 0;
};

}  // namespace

TEST_F(ObjectLifetimeTest, AScenesVerdictThatSwitchesModesLeavesSceneAndStateWhole) {
    road.Set("reference_electrodes", "4");
    road.Set("singleraw_threshold", "100");
    road.device.SingleRawDataState();
    SwitchToSlaveVersionOnVerdict();

    // The second line's redraw gives the verdict; the scene and the state both
    // go on after the switch has released them from the view and the holder,
    // and the next line of the same read already belongs to the new state.
    ASSERT_TRUE(road.Deliver("HR1,2,3,4\rHR100,120,100,150\rSlave version: V3.2\r"));
    EXPECT_EQ(road.Verdicts(), std::vector<bool>{true});
    EXPECT_EQ(Current(), "CoreSlaveVersion");
    EXPECT_EQ(road.Results().at("Single Raw"), "Single Raw: ,Pass\r\n100,120,100,150\r\n");
    EXPECT_TRUE(road.peer.WaitForText("ra"));
    EXPECT_EQ(road.peer.Received(), "ra");
    EXPECT_EQ(road.LogText(), "Slave version: V3.2");
}

TEST_F(ObjectLifetimeTest, ASceneStillShowingAReleasedStateResizesAndRedraws) {
    road.Set("x_electrodes", "2");
    road.Set("y_electrodes", "1");
    road.device.DebugState();
    // Four frames start the display, ten more only settle it; the last
    // settling frame is out of limits and not judged yet.
    ASSERT_TRUE(road.Deliver(Repeat(Frame({0, 0}, {0}), 13) + Frame({999, 0}, {0})));
    ASSERT_EQ(Scene(), "DebugScene");
    EXPECT_TRUE(road.Verdicts().empty());

    // A replacing switch that leaves the display alone: the debug state's
    // last owner is now its scene.
    road.device.UserReadslaveCrc();
    ASSERT_EQ(Current(), "CoreSlaveCrc");
    ASSERT_EQ(Scene(), "DebugScene");

    road.resize(640, 480);
    road.PumpUntil([&] { return road.view->width() == 640; });
    road.imp.UpdateScene();
    EXPECT_EQ(road.Verdicts(), std::vector<bool>{false}) << "the scene judged the state's frame";
    EXPECT_EQ(road.Results().at("debug"), "Debug: ,Fail\r\nX,999,0\r\nY,0\r\n");

    // The new state's reply replaces the scene, and with it the last owner.
    ASSERT_TRUE(road.Deliver("The CRC of the application of the slave: 0x EA C8 \r"));
    EXPECT_NE(Scene(), "DebugScene");
    EXPECT_EQ(road.LogText(), "EA C8 MP9.0");
    road.resize(800, 600);
    road.PumpUntil([&] { return road.view->width() == 800; });
    road.imp.UpdateScene();
}

TEST_F(ObjectLifetimeTest, AReferenceSceneFollowsAResizeAfterItsStateWasReleased) {
    road.Set("reference_electrodes", "4");
    road.Set("singleraw_threshold", "40");
    road.device.SingleRawDataState();
    ASSERT_TRUE(road.Deliver("HR1,2,3,4\r"));
    auto* scene = road.Current<morvex_gui_qtlib::ReferenceDataScene>();
    ASSERT_NE(scene, nullptr);

    road.device.DeviceInfoState();  // replacing, no display clear
    road.resize(700, 500);
    ASSERT_TRUE(road.PumpUntil([&] { return road.view->height() == 500; }));
    // The threshold line follows the new height through the released state.
    EXPECT_DOUBLE_EQ(scene->ThresholdLine()->line().y1(), 500 * 0.5 - 40 / 2);
}
