#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>
#include <type_traits>
#include <typeinfo>

#include "BenchDevice.h"
#include "BridgePeer.h"
#include "ClassicDebug.h"
#include "ClassicDevice.h"
#include "ClassicNormal.h"
#include "ClassicRaster.h"
#include "CloseState.h"
#include "RecordingWindowImp.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"

using namespace morvex_gui;

namespace {

static_assert(std::is_abstract_v<ClassicDevice>,
              "the bridge's quit and bootloader commands are left to a subclass");

using BenchClassicDevice = BenchDevice<ClassicDevice>;

class ClassicDeviceTest : public ::testing::Test {
protected:
    TempProgramDir dir;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    WireTap<BenchClassicDevice> device{sleeps, &imp, &current};
};

struct ClassicMode {
    const char* name;
    std::function<void(ClassicDevice&)> run;
    const char* command;
    int displayMode;
    const std::type_info& state;
};

}  // namespace

TEST_F(ClassicDeviceTest, OpeningSendsNothingAndKeepsTheState) {
    const boost::shared_ptr<State> before = current;
    ASSERT_TRUE(device.Open(peer.PortName(), "460800"));
    EXPECT_EQ(sleeps.Transcript(), std::vector<std::string>{"Sleep(100)"});
    EXPECT_EQ(current, before);
    // A marker command shows that nothing went before it.
    device.Send("n");
    EXPECT_TRUE(peer.WaitForBytes(1));
    EXPECT_EQ(peer.Received(), "n");
}

TEST_F(ClassicDeviceTest, ThreeModesClearTheDisplayAndReplaceTheState) {
    ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
    const std::vector<ClassicMode> modes = {
        {"NormalState", [](ClassicDevice& d) { d.NormalState(); }, "n", 7, typeid(ClassicNormal)},
        {"DebugState", [](ClassicDevice& d) { d.DebugState(); }, "d", 8, typeid(ClassicDebug)},
        {"RasterState", [](ClassicDevice& d) { d.RasterState(); }, "r", 9, typeid(ClassicRaster)},
    };
    for (const ClassicMode& mode : modes) {
        SCOPED_TRACE(mode.name);
        current = boost::make_shared<CloseState>(&imp);
        boost::weak_ptr<State> replaced = current;
        sleeps.Clear();
        peer.ClearReceived();
        imp.Reset();

        mode.run(device);

        EXPECT_EQ(sleeps.Transcript(), Wire({mode.command}));
        EXPECT_TRUE(peer.WaitForBytes(1));
        EXPECT_EQ(peer.Received(), mode.command);
        EXPECT_EQ(imp.Names(), (std::vector<std::string>{"ClearAll", "SetMode"}));
        EXPECT_EQ(imp.lastMode, mode.displayMode);
        ASSERT_TRUE(current);
        EXPECT_EQ(typeid(*current), mode.state);
        EXPECT_TRUE(replaced.expired());
        EXPECT_FALSE(device.PreviousState());
    }
}
