#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>
#include <typeinfo>

#include "BridgePeer.h"
#include "ButtonRawDataState.h"
#include "ButtonState.h"
#include "CloseState.h"
#include "CoreButtonRawdata.h"
#include "CoreControlRegister.h"
#include "CoreDebug.h"
#include "CoreInformation.h"
#include "CoreMasterVersion.h"
#include "CoreNormal.h"
#include "CorePenState.h"
#include "CoreRaster.h"
#include "CoreReadSlave.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "RecordingWindowImp.h"
#include "ShortMessage.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"
#include "ZeltoR_Device.h"

using namespace morvex_gui;

namespace {

struct Operation {
    const char* name;
    std::function<void(ZeltoR_Device&)> run;
    std::vector<std::string> wire;
    int displayMode;              // -1: no display mode is announced
    const std::type_info* state;  // nullptr: the current state stays
};

const std::vector<std::string> kBootloaderWire =
    Wire({"@", "m5D", "200", "b", "100", "m5C", "200", "k", "100"});

class OpenShortDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Open());
        // The start-up bytes must have reached the peer before a check clears them.
        ASSERT_TRUE(peer.WaitForText("V##vvZ"));
    }

    bool Open() {
        sleeps.Clear();
        return device.Open(peer.PortName(), "230400");
    }

    // Runs one operation from a fresh current state; checks the wire, the
    // display mode, the new state and that nothing was kept.
    void Check(const Operation& op) {
        SCOPED_TRACE(op.name);
        current = boost::make_shared<CloseState>(&imp);
        boost::weak_ptr<State> replaced = current;
        const boost::shared_ptr<State> before = current;
        sleeps.Clear();
        peer.ClearReceived();
        imp.Reset();
        imp.lastMode = -1;

        op.run(device);

        EXPECT_EQ(sleeps.Transcript(), op.wire);
        const std::string bytes = Concatenated(op.wire);
        EXPECT_TRUE(peer.WaitForBytes(bytes.size()));
        EXPECT_EQ(peer.Received(), bytes);
        EXPECT_EQ(imp.lastMode, op.displayMode);
        EXPECT_EQ(imp.Count("ClearAll"), op.displayMode < 0 ? 0 : 1);
        EXPECT_EQ(imp.Count("StartTimer"), 0);
        EXPECT_FALSE(device.PreviousState());
        ASSERT_TRUE(current);
        if (op.state == nullptr) {
            EXPECT_EQ(current, before);
            return;
        }
        EXPECT_EQ(typeid(*current), *op.state);
        EXPECT_NE(current, before);
        // Only this test's own reference keeps the replaced state alive.
        EXPECT_EQ(before.use_count(), 1);
    }

    TempProgramDir dir;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    WireTap<ZeltoR_Device> device{sleeps, &imp, &current};
};

}  // namespace

TEST_F(OpenShortDeviceTest, OpeningSendsItsSequenceAndReadsTheDeviceInformation) {
    EXPECT_TRUE(peer.WaitForText("V##vvZ"));
    EXPECT_EQ(peer.Received(), "V##vvZ");

    peer.ClearReceived();
    current = boost::make_shared<CloseState>(&imp);
    boost::weak_ptr<State> before = current;
    sleeps.Clear();
    device.EnterOpenState();
    EXPECT_EQ(sleeps.Transcript(), Wire({"V", "#", "#", "v", "v", "Z"}));
    EXPECT_EQ(sleeps.TotalMs(), 120u);
    EXPECT_TRUE(peer.WaitForBytes(6));
    EXPECT_EQ(peer.Received(), "V##vvZ");
    EXPECT_EQ(typeid(*current), typeid(OpenState));
    EXPECT_TRUE(before.expired());
    EXPECT_FALSE(device.PreviousState());
}

TEST_F(OpenShortDeviceTest, TheWholeOpenIsOneFixedTranscript) {
    peer.ClearReceived();
    device.Close();
    ASSERT_TRUE(peer.WaitForText("#q"));
    peer.ClearReceived();
    ASSERT_TRUE(Open());
    std::vector<std::string> expected = {"Sleep(100)"};
    const std::vector<std::string> start = Wire({"V", "#", "#", "v", "v", "Z"});
    expected.insert(expected.end(), start.begin(), start.end());
    EXPECT_EQ(sleeps.Transcript(), expected);
    EXPECT_TRUE(peer.WaitForText("V##vvZ"));
    EXPECT_EQ(peer.Received(), "V##vvZ");
}

TEST_F(OpenShortDeviceTest, EveryOperationSendsItsCommandAndReplaces) {
    const std::type_info* none = nullptr;
    const std::vector<Operation> table = {
        {"UserMode", [](ZeltoR_Device& d) { d.UserMode(); }, Wire({"#", "#"}), -1, none},
        {"I2cMode", [](ZeltoR_Device& d) { d.I2cMode(); }, Wire({"@"}), -1, none},
        {"SendHashZ", [](ZeltoR_Device& d) { d.SendHashZ(); }, Wire({"#z"}), -1, none},
        {"EnterMasterBootloader", [](ZeltoR_Device& d) { d.EnterMasterBootloader(); },
         Wire({"@", "G"}), -1, none},
        {"EnterSlaveBootloader", [](ZeltoR_Device& d) { d.EnterSlaveBootloader(); },
         Wire({"@", "m5D", "200", "b", "100"}), -1, none},
        {"ExitSlaveBootloader", [](ZeltoR_Device& d) { d.ExitSlaveBootloader(); },
         Wire({"m5C", "200", "k", "100"}), -1, none},
        {"I2cWriteSlave", [](ZeltoR_Device& d) { d.I2cWriteSlave("5C0201"); }, Wire({"w5C0201"}),
         -1, none},
        {"I2cSetTimeOut", [](ZeltoR_Device& d) { d.I2cSetTimeOut("10"); }, Wire({"T10"}), -1, none},
        {"Quit", [](ZeltoR_Device& d) { d.Quit(); }, Wire({"#q"}), -1, &typeid(OpenState)},
        {"NormalState", [](ZeltoR_Device& d) { d.NormalState(); }, Wire({"n"}), 0,
         &typeid(CoreNormal)},
        {"PictureViewState", [](ZeltoR_Device& d) { d.PictureViewState(); }, Wire({"n"}), 0,
         &typeid(PictureView)},
        {"PenState", [](ZeltoR_Device& d) { d.PenState(); }, Wire({"n"}), -1,
         &typeid(CorePenState)},
        {"DebugState", [](ZeltoR_Device& d) { d.DebugState(); }, Wire({"d"}), 1,
         &typeid(CoreDebug)},
        {"RasterState", [](ZeltoR_Device& d) { d.RasterState(); }, Wire({"r"}), 1,
         &typeid(CoreRaster)},
        {"MasterVersionState", [](ZeltoR_Device& d) { d.MasterVersionState(); }, Wire({"v"}), 3,
         &typeid(CoreMasterVersion)},
        {"SlaveVersionState", [](ZeltoR_Device& d) { d.SlaveVersionState(); }, Wire({"a"}), 4,
         &typeid(CoreSlaveVersion)},
        {"InformationState", [](ZeltoR_Device& d) { d.InformationState(); }, Wire({"i"}), 5,
         &typeid(CoreInformation)},
        {"ButtonRawdataState", [](ZeltoR_Device& d) { d.ButtonRawdataState(); }, Wire({"b"}), 6,
         &typeid(CoreButtonRawdata)},
        {"ReadSlaveBootloaderInfo", [](ZeltoR_Device& d) { d.ReadSlaveBootloaderInfo(); },
         kBootloaderWire, -1, &typeid(ShortMessage)},
        {"DeviceInfoState", [](ZeltoR_Device& d) { d.DeviceInfoState(); }, Wire({"$d"}), -1,
         &typeid(OpenState)},
        {"ReadControlRegister", [](ZeltoR_Device& d) { d.ReadControlRegister(); }, Wire({"R"}), -1,
         &typeid(CoreControlRegister)},
        {"UserReadEeprom", [](ZeltoR_Device& d) { d.UserReadEeprom(); }, Wire({"e"}), -1,
         &typeid(EepromState)},
        {"UserReadButtons", [](ZeltoR_Device& d) { d.UserReadButtons(); }, Wire({"K"}), -1,
         &typeid(ButtonState)},
        {"UserReadButtonRawData", [](ZeltoR_Device& d) { d.UserReadButtonRawData(); }, Wire({"b"}),
         -1, &typeid(ButtonRawDataState)},
        {"UserReadslaveCrc", [](ZeltoR_Device& d) { d.UserReadslaveCrc(); }, Wire({"m"}), -1,
         &typeid(CoreSlaveCrc)},
        {"UserReadEepromStructVersion", [](ZeltoR_Device& d) { d.UserReadEepromStructVersion(); },
         Wire({"&"}), -1, &typeid(ShortMessage)},
        {"EnterOpenShortState", [](ZeltoR_Device& d) { d.EnterOpenShortState(); }, Wire({"d"}), -1,
         &typeid(OpenShortState)},
        {"UserSetRegister", [](ZeltoR_Device& d) { d.UserSetRegister("3A"); },
         Wire({"s3A", "50", "R"}), -1, &typeid(CoreControlRegister)},
        {"UserClearRegister", [](ZeltoR_Device& d) { d.UserClearRegister("0B"); },
         Wire({"u0B", "50", "R"}), -1, &typeid(CoreControlRegister)},
        {"UserSetIntMode", [](ZeltoR_Device& d) { d.UserSetIntMode("1"); }, Wire({"M1"}), -1,
         &typeid(ShortMessage)},
        {"UserSetPowerMode", [](ZeltoR_Device& d) { d.UserSetPowerMode("2"); }, Wire({"P2"}), -1,
         &typeid(ShortMessage)},
        {"UserSetIntWidth", [](ZeltoR_Device& d) { d.UserSetIntWidth("05"); }, Wire({"W05"}), -1,
         &typeid(ShortMessage)},
        {"UserSetSleepFrequency", [](ZeltoR_Device& d) { d.UserSetSleepFrequency("7"); },
         Wire({"f7"}), -1, &typeid(ShortMessage)},
        {"UserSetSleepDelay", [](ZeltoR_Device& d) { d.UserSetSleepDelay("9"); }, Wire({"I9"}), -1,
         &typeid(ShortMessage)},
        {"I2cReadSlave", [](ZeltoR_Device& d) { d.I2cReadSlave("5C02"); }, Wire({"r5C02"}), -1,
         &typeid(CoreReadSlave)},
    };
    for (const Operation& op : table) {
        Check(op);
    }
}

TEST_F(OpenShortDeviceTest, RasterUsesThePlainRasterStateInMode0) {
    device.RasterState();
    auto raster = boost::dynamic_pointer_cast<CoreRaster>(current);
    ASSERT_TRUE(raster);
    EXPECT_EQ(raster->GetMode(), 0);
}
