#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>
#include <typeinfo>

#include "BridgePeer.h"
#include "ButtonRawDataState.h"
#include "ButtonReferenceDataState.h"
#include "ButtonState.h"
#include "CloseState.h"
#include "CoreAttb.h"
#include "CoreBorder.h"
#include "CoreButtonRawdata.h"
#include "CoreControlRegister.h"
#include "CoreDebug.h"
#include "CoreDevice.h"
#include "CoreInformation.h"
#include "CoreLinearity.h"
#include "CoreMasterVersion.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePenState.h"
#include "CorePrecise.h"
#include "CoreRaster.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "CoreReadSlave.h"
#include "CoreReset.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "RecordingWindowImp.h"
#include "ReferenceDataState.h"
#include "ShortMessage.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"
#include "TuneMultiFingerLift.h"

using namespace morvex_gui;

namespace {

enum class Kind { Keeping, Replacing };

struct Switch {
    const char* name;
    std::function<void(CoreDevice&)> run;
    std::vector<std::string> wire;
    int displayMode;  // -1: no display mode is announced
    int timer;        // -1: no countdown is asked for
    const std::type_info& state;
    Kind kind;
};

class ModeSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("v"));
    }

    // Runs one switch from a fresh current state and checks the wire, the
    // display mode, the countdown, the new state's class and what was kept.
    void Check(const Switch& s) {
        SCOPED_TRACE(s.name);
        current = boost::make_shared<CloseState>(&imp);
        boost::weak_ptr<State> replaced = current;
        const boost::shared_ptr<State> previousBefore = device.PreviousState();
        sleeps.Clear();
        peer.ClearReceived();
        imp.Reset();
        imp.lastMode = -1;

        s.run(device);

        EXPECT_EQ(sleeps.Transcript(), s.wire);
        const std::string bytes = Concatenated(s.wire);
        EXPECT_TRUE(peer.WaitForBytes(bytes.size()));
        EXPECT_EQ(peer.Received(), bytes);
        EXPECT_EQ(imp.lastMode, s.displayMode);
        EXPECT_EQ(imp.Count("ClearAll"), s.displayMode < 0 ? 0 : 1);
        EXPECT_EQ(imp.Has("StartTimer(" + std::to_string(s.timer) + ")"), s.timer >= 0);
        ASSERT_TRUE(current);
        EXPECT_EQ(typeid(*current), s.state);
        if (s.kind == Kind::Keeping) {
            EXPECT_EQ(device.PreviousState(), replaced.lock());
        } else {
            EXPECT_EQ(device.PreviousState(), previousBefore);
            EXPECT_TRUE(replaced.expired()) << "a replacing switch releases the old state";
        }
    }

    TempProgramDir dir;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    WireTap<CoreDevice> device{sleeps, &imp, &current};
};

const std::vector<std::string> kResetWire =
    Wire({"@", "m5D", "200", "b", "100", "50", "m5C", "200", "k", "100"});

}  // namespace

TEST_F(ModeSwitchTest, EverySwitchSendsItsCommandAndInstallsItsState) {
    const std::vector<Switch> table = {
        {"NormalState", [](CoreDevice& d) { d.NormalState(); }, Wire({"n"}), 0, -1,
         typeid(CoreNormal), Kind::Keeping},
        {"NormalFlagState", [](CoreDevice& d) { d.NormalFlagState(); }, Wire({"n"}), 0, -1,
         typeid(CoreNormalFlag), Kind::Replacing},
        {"LinearityState", [](CoreDevice& d) { d.LinearityState(); }, Wire({"n"}), 0, -1,
         typeid(CoreLinearity), Kind::Keeping},
        {"BorderState", [](CoreDevice& d) { d.BorderState(); }, Wire({"n"}), 0, -1,
         typeid(CoreBorder), Kind::Keeping},
        {"PreciseState", [](CoreDevice& d) { d.PreciseState(); }, Wire({"n"}), 0, -1,
         typeid(CorePrecise), Kind::Keeping},
        {"PictureViewState", [](CoreDevice& d) { d.PictureViewState(); }, Wire({"n"}), 0, -1,
         typeid(PictureView), Kind::Replacing},
        {"PenState", [](CoreDevice& d) { d.PenState(); }, Wire({"n"}), -1, -1, typeid(CorePenState),
         Kind::Replacing},
        {"DebugState", [](CoreDevice& d) { d.DebugState(); }, Wire({"d"}), 1, -1, typeid(CoreDebug),
         Kind::Keeping},
        {"JitterState", [](CoreDevice& d) { d.JitterState(); }, Wire({"d"}), 1, -1,
         typeid(CoreDebug), Kind::Keeping},
        {"RasterXState", [](CoreDevice& d) { d.RasterXState(); }, Wire({"d"}), 12, -1,
         typeid(CoreRasterX), Kind::Keeping},
        {"RasterYState", [](CoreDevice& d) { d.RasterYState(); }, Wire({"d"}), 13, -1,
         typeid(CoreRasterY), Kind::Keeping},
        {"EnterOpenShortState", [](CoreDevice& d) { d.EnterOpenShortState(); }, Wire({"d"}), -1, -1,
         typeid(OpenShortState), Kind::Keeping},
        {"ResetState", [](CoreDevice& d) { d.ResetState(); }, kResetWire, -1, 0, typeid(CoreReset),
         Kind::Keeping},
        {"AttbState", [](CoreDevice& d) { d.AttbState(); }, Wire({"~", "80", "rx"}), 1, 1,
         typeid(CoreAttb), Kind::Keeping},
        {"RasterState", [](CoreDevice& d) { d.RasterState(); }, Wire({"r"}), 1, 1,
         typeid(TuneMultiFingerLift), Kind::Keeping},
        {"RasterRXState", [](CoreDevice& d) { d.RasterRXState(); }, Wire({"rx"}), 1, 1,
         typeid(TuneMultiFingerLift), Kind::Keeping},
        {"RasterRYState", [](CoreDevice& d) { d.RasterRYState(); }, Wire({"rX"}), 1, 1,
         typeid(TuneMultiFingerLift), Kind::Keeping},
        {"RasterLiftYState", [](CoreDevice& d) { d.RasterLiftYState(); }, Wire({"rX"}), 1, -1,
         typeid(CoreRaster), Kind::Keeping},
        {"SingleRawDataState", [](CoreDevice& d) { d.SingleRawDataState(); }, Wire({"r"}), 1, -1,
         typeid(ReferenceDataState), Kind::Keeping},
        {"ButtonSingleRawDataState", [](CoreDevice& d) { d.ButtonSingleRawDataState(); },
         Wire({"w"}), 1, -1, typeid(ButtonReferenceDataState), Kind::Keeping},
        {"MasterVersionState", [](CoreDevice& d) { d.MasterVersionState(); }, Wire({"v"}), 3, -1,
         typeid(CoreMasterVersion), Kind::Replacing},
        {"SlaveVersionState", [](CoreDevice& d) { d.SlaveVersionState(); }, Wire({"a"}), 4, -1,
         typeid(CoreSlaveVersion), Kind::Replacing},
        {"InformationState", [](CoreDevice& d) { d.InformationState(); }, Wire({"i"}), 5, -1,
         typeid(CoreInformation), Kind::Replacing},
        {"ButtonRawdataState", [](CoreDevice& d) { d.ButtonRawdataState(); }, Wire({"b"}), 6, -1,
         typeid(CoreButtonRawdata), Kind::Keeping},
        {"UserReadButtons", [](CoreDevice& d) { d.UserReadButtons(); }, Wire({"K"}), -1, -1,
         typeid(ButtonState), Kind::Keeping},
        {"UserReadButtonRawData", [](CoreDevice& d) { d.UserReadButtonRawData(); }, Wire({"b"}), -1,
         -1, typeid(ButtonRawDataState), Kind::Keeping},
        {"UserReadslaveCrc", [](CoreDevice& d) { d.UserReadslaveCrc(); }, Wire({"m"}), -1, -1,
         typeid(CoreSlaveCrc), Kind::Replacing},
        {"UserReadEeprom", [](CoreDevice& d) { d.UserReadEeprom(); }, Wire({"e"}), -1, -1,
         typeid(EepromState), Kind::Replacing},
        {"UserReadEepromStructVersion", [](CoreDevice& d) { d.UserReadEepromStructVersion(); },
         Wire({"&"}), -1, -1, typeid(ShortMessage), Kind::Replacing},
        {"ReadControlRegister", [](CoreDevice& d) { d.ReadControlRegister(); }, Wire({"R"}), -1, -1,
         typeid(CoreControlRegister), Kind::Replacing},
        {"ReadSlaveBootloaderInfo", [](CoreDevice& d) { d.ReadSlaveBootloaderInfo(); },
         Wire({"@", "m5D", "200", "b", "100", "m5C", "200", "k", "100"}), -1, -1,
         typeid(ShortMessage), Kind::Replacing},
        {"DeviceInfoState", [](CoreDevice& d) { d.DeviceInfoState(); }, Wire({"$d"}), -1, -1,
         typeid(OpenState), Kind::Replacing},
        {"UserSetRegister", [](CoreDevice& d) { d.UserSetRegister("3A"); },
         Wire({"s3A", "50", "R"}), -1, -1, typeid(CoreControlRegister), Kind::Replacing},
        {"UserClearRegister", [](CoreDevice& d) { d.UserClearRegister("0B"); },
         Wire({"u0B", "50", "R"}), -1, -1, typeid(CoreControlRegister), Kind::Replacing},
        {"UserSetIntMode", [](CoreDevice& d) { d.UserSetIntMode("1"); }, Wire({"M1"}), -1, -1,
         typeid(ShortMessage), Kind::Replacing},
        {"UserSetPowerMode", [](CoreDevice& d) { d.UserSetPowerMode("2"); }, Wire({"P2"}), -1, -1,
         typeid(ShortMessage), Kind::Replacing},
        {"UserSetIntWidth", [](CoreDevice& d) { d.UserSetIntWidth("05"); }, Wire({"W05"}), -1, -1,
         typeid(ShortMessage), Kind::Replacing},
        {"UserSetSleepFrequency", [](CoreDevice& d) { d.UserSetSleepFrequency("7"); }, Wire({"f7"}),
         -1, -1, typeid(ShortMessage), Kind::Replacing},
        {"UserSetSleepDelay", [](CoreDevice& d) { d.UserSetSleepDelay("9"); }, Wire({"I9"}), -1, -1,
         typeid(ShortMessage), Kind::Replacing},
        {"I2cReadSlave", [](CoreDevice& d) { d.I2cReadSlave("5C02"); }, Wire({"r5C02"}), -1, -1,
         typeid(CoreReadSlave), Kind::Replacing},
    };
    for (const Switch& s : table) {
        Check(s);
    }
}

TEST_F(ModeSwitchTest, TwoKeepingSwitchesReleaseTheStateBeforeTheFirst) {
    boost::weak_ptr<State> first = current;
    device.DebugState();
    EXPECT_FALSE(first.expired());
    device.NormalState();
    EXPECT_TRUE(first.expired());
}

TEST_F(ModeSwitchTest, LiftModesAndCountsFromTheSettings) {
    const auto liftMode = [this] {
        auto lift = boost::dynamic_pointer_cast<TuneMultiFingerLift>(current);
        return lift ? lift->GetMode() : -1;
    };
    device.ActiveState(false);
    EXPECT_EQ(liftMode(), 3);
    device.ActiveState(true);
    EXPECT_EQ(liftMode(), 4);
    EXPECT_EQ(peer.WaitForText("rx") && peer.WaitForText("rX"), true);

    device.SingleRawDataState();
    auto single = boost::dynamic_pointer_cast<SingleRawData>(current);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->GetCount(), 0) << "a missing count is 0";

    imp._settings.SetParameter(ConfigParameter("button_reference_electrodes", "6"));
    device.ButtonSingleRawDataState();
    single = boost::dynamic_pointer_cast<SingleRawData>(current);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->GetCount(), 6);

    imp._settings.SetParameter(ConfigParameter("reference_electrodes", "twelve"));
    device.SingleRawDataState();
    EXPECT_EQ(boost::dynamic_pointer_cast<SingleRawData>(current)->GetCount(), 0);
}

TEST_F(ModeSwitchTest, WriteAndTimeOutKeepTheSameStateObject) {
    const boost::shared_ptr<State> before = current;
    sleeps.Clear();
    device.I2cWriteSlave("5C0201");
    device.I2cSetTimeOut("10");
    EXPECT_EQ(current, before);
    EXPECT_EQ(sleeps.Transcript(), Wire({"w5C0201", "T10"}));
}

TEST_F(ModeSwitchTest, StartUpSendsNineCommandsAndEndsInTheInformationState) {
    current = boost::make_shared<CloseState>(&imp);
    boost::weak_ptr<State> before = current;
    sleeps.Clear();
    device.EnterOpenState();
    EXPECT_EQ(sleeps.Transcript(),
              Wire({"#", "#q", "#", "#q", "200", "@", "o", "#", "200", "#", "200", "v"}));
    EXPECT_EQ(sleeps.TotalMs(), 780u);
    EXPECT_TRUE(boost::dynamic_pointer_cast<OpenState>(current));
    EXPECT_TRUE(boost::dynamic_pointer_cast<CloseState>(device.PreviousState()));
    EXPECT_TRUE(before.expired());
}
