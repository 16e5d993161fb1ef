#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>

#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "RecordingWindowImp.h"
#include "SleepRecorder.h"

using morvex_gui::CloseState;
using morvex_gui::CoreDevice;
using morvex_gui::State;

namespace {

using TappedCoreDevice = WireTap<CoreDevice>;

class CoreDeviceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("v"));
        peer.ClearReceived();
        sleeps.Clear();
        imp.Reset();
    }

    // Runs an operation and checks its wire transcript, that the peer got
    // the same bytes, and that the current state stayed the same object.
    void ExpectWire(const std::function<void()>& operation,
                    const std::vector<std::string>& expected) {
        const boost::shared_ptr<State> before = current;
        const boost::shared_ptr<State> previous = device.PreviousState();
        sleeps.Clear();
        peer.ClearReceived();
        operation();
        EXPECT_EQ(sleeps.Transcript(), expected);
        const std::string bytes = Concatenated(expected);
        EXPECT_TRUE(peer.WaitForBytes(bytes.size()));
        EXPECT_EQ(peer.Received(), bytes);
        EXPECT_EQ(current, before);
        EXPECT_EQ(device.PreviousState(), previous);
        EXPECT_TRUE(imp.calls.empty()) << "no display mode is passed";
    }

    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    TappedCoreDevice device{sleeps, &imp, &current};
};

}  // namespace

TEST_F(CoreDeviceCommandsTest, ModeAndPowerCommands) {
    ExpectWire([&] { device.UserMode(); }, Wire({"#"}));
    ExpectWire([&] { device.I2cMode(); }, Wire({"@"}));
    ExpectWire([&] { device.PowerOn(); }, Wire({"@", "o", "#", "200"}));
    ExpectWire([&] { device.PowerOff(); }, Wire({"@", "c", "#", "200"}));
    ExpectWire([&] { device.SendZ(); }, Wire({"Z"}));
    ExpectWire([&] { device.CheckOffsetRegister(); }, Wire({"v", "*"}));
}

TEST_F(CoreDeviceCommandsTest, CalibrationAndBootloaders) {
    ExpectWire([&] { device.SendHashZ(); }, Wire({"#", "#", "#z"}));
    ExpectWire([&] { device.EnterMasterBootloader(); }, Wire({"@", "G"}));
    ExpectWire([&] { device.EnterSlaveBootloader(); }, Wire({"@", "m5D", "200", "b", "100"}));
    ExpectWire([&] { device.ExitSlaveBootloader(); }, Wire({"m5C", "200", "k", "100"}));
}

TEST_F(CoreDeviceCommandsTest, EepromInformationSendsTwoBlocksBackToBack) {
    const std::initializer_list<std::string> block = {
        "a",   "80", "m", "80", "@",     "80", "w3A010000", "80",  "s", "80",
        "w3A", "80", "s", "80", "r0000", "50", "#",         "200", "Z"};
    std::vector<std::string> expected = Wire(block);
    const std::vector<std::string> second = Wire(block);
    expected.insert(expected.end(), second.begin(), second.end());
    ExpectWire([&] { device.GetEepromInformation(); }, expected);
    EXPECT_EQ(sleeps.TotalMs(), 2020u);
    EXPECT_EQ(peer.Received(), "am@w3A010000sw3Asr0000#Zam@w3A010000sw3Asr0000#Z");
}

TEST_F(CoreDeviceCommandsTest, RawDataFlags) {
    ExpectWire([&] { device.ClearRawdataFlags(); }, Wire({"u3", "uB", "uC"}));
    ExpectWire([&] { device.ChangeRawdataFlags(0); }, Wire({"u3", "uB", "uC"}));
    ExpectWire([&] { device.ChangeRawdataFlags(1); }, Wire({"u3", "uB", "uC", "s3"}));
    ExpectWire([&] { device.ChangeRawdataFlags(2); }, Wire({"u3", "uB", "uC", "sB"}));
    ExpectWire([&] { device.ChangeRawdataFlags(3); }, Wire({"u3", "uB", "uC", "sC"}));
    ExpectWire([&] { device.ChangeRawdataFlags(4); }, {});
    ExpectWire([&] { device.ChangeRawdataFlags(-1); }, {});
}

TEST_F(CoreDeviceCommandsTest, QuitKeepsTheReplacedStateAsPrevious) {
    boost::shared_ptr<State> before = current;
    device.Quit();
    EXPECT_EQ(sleeps.Transcript(), Wire({"#q"}));
    EXPECT_NE(current, before);
    EXPECT_TRUE(boost::dynamic_pointer_cast<CloseState>(current));
    EXPECT_EQ(device.PreviousState(), before);

    const boost::weak_ptr<State> first = before;
    const boost::weak_ptr<State> second = current;
    before.reset();
    device.Quit();
    EXPECT_EQ(device.PreviousState(), second.lock());
    EXPECT_TRUE(first.expired()) << "two keeping switches release the state before the first";
}

TEST(CoreDeviceOpenTest, OpenRunsTheStartUpSequence) {
    BridgePeer peer;
    RecordingWindowImp imp;
    SleepRecorder sleeps;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    const boost::weak_ptr<State> windowFirst = current;
    TappedCoreDevice device(sleeps, &imp, &current);

    ASSERT_TRUE(device.Open(peer.PortName(), "460800"));
    std::vector<std::string> expected = {"Sleep(100)"};
    const std::vector<std::string> startUp =
        Wire({"#", "#q", "#", "#q", "200", "@", "o", "#", "200", "#", "200", "v"});
    expected.insert(expected.end(), startUp.begin(), startUp.end());
    EXPECT_EQ(sleeps.Transcript(), expected);
    EXPECT_EQ(sleeps.TotalMs(), 100u + 780u);
    ASSERT_TRUE(peer.WaitForText("##q##q@o##v"));
    EXPECT_EQ(peer.Received(), "##q##q@o##v");

    EXPECT_TRUE(windowFirst.expired()) << "the window's first state is gone";
    ASSERT_TRUE(current);
    ASSERT_TRUE(device.PreviousState());
    EXPECT_NE(device.PreviousState(), current);
    EXPECT_TRUE(boost::dynamic_pointer_cast<CloseState>(device.PreviousState()))
        << "the idle state of the first Quit is kept";
}

TEST(CoreDeviceOpenTest, CommandsOnAClosedPortStillPause) {
    RecordingWindowImp imp;
    SleepRecorder sleeps;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    CoreDevice device(&imp, &current);
    device.PowerOn();
    EXPECT_EQ(sleeps.Pauses(), (std::vector<unsigned>{20, 20, 20, 200}));
    EXPECT_FALSE(device.isOpen());
}
