#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "ButtonState.h"
#include "CoreAttb.h"
#include "CoreControlRegister.h"
#include "CoreMasterVersion.h"
#include "CoreParameterValue.h"
#include "CoreReadSlave.h"
#include "CoreReset.h"
#include "CoreScanParameters.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "LogCapture.h"
#include "MasterVersion.h"
#include "OpenState.h"
#include "RecordingWindowImp.h"
#include "ShortMessage.h"
#include "TuneTableValue.h"
#include "XCrossValue.h"
#include "YCrossValue.h"

using namespace morvex_gui;

namespace {

using Calls = std::vector<std::string>;
const Calls kDisplayReset = {"StartCommon", "StopRecord", "ClearAll"};

template <typename StateT>
boost::shared_ptr<StateT> Feed(RecordingWindowImp& imp, const Calls& lines) {
    auto state = boost::make_shared<StateT>(&imp);
    for (const auto& line : lines) {
        state->Parse(line.c_str());
    }
    return state;
}

std::string Setting(RecordingWindowImp& imp, const char* key) {
    return imp._settings.GetValue(key);
}

}  // namespace

// ---- Device information on connect ---------------------------------------

// The bridge's answers to the start-up sequence ("#", "#q", ..., "@", "o", "#",
// "#", "v"), as they arrive after "v", with the noise a real link brings.
const Calls kStartupTranscript = {
    "Master version: I2C master for Q71 Morvex ABC BV5.3",
    "Slave version: ZT2207 V8.2\x1b[0m",
    "The CRC of the application of the slave: 0x 49 33 ",
    "The number of x electrodes: 0x1A",
    "The number of y electrodes: 0x10",
    "the reference rawdata number: 0x08",
    "the button reference rawdata number: 0x04",
    "The number of vertical squares: 0x0B",
    "The number of horizontal squares: 0x0C",
    "\x01\xff garbage ~~",
    "Read register content: 15 ",
    "The eeprom structure version: 0x15",
    "I2C_TIME_OUT",
};

TEST(OpenStateTest, StartupTranscriptReachesTheWindowAndTheSettings) {
    RecordingWindowImp imp;
    auto state = Feed<OpenState>(imp, kStartupTranscript);

    const Calls expected = {// First line: information first, then the display reset.
                            "ReadMasterVersion(5.3)",
                            "DisplayMasterVersion(ABC BV5.3)",
                            "StartCommon",
                            "StopRecord",
                            "ClearAll",
                            "DisplaySlaveVersion(ZT2207 V8.2)",
                            "DisplaySlaveCrc(49 33 )",
                            "DisplayElectrodesX(26)",
                            "DisplayElectrodesY(16)",
                            "FlushButtonStatus",
                            "DisplayEepromStructVersion(v2.1, true)"};
    EXPECT_EQ(imp.calls, expected);

    EXPECT_EQ(Setting(imp, "x_electrodes"), "25");
    EXPECT_EQ(Setting(imp, "y_electrodes"), "15");
    EXPECT_EQ(Setting(imp, "reference_electrodes"), "7");
    EXPECT_EQ(Setting(imp, "button_reference_electrodes"), "4");
    EXPECT_EQ(Setting(imp, "vertical_squares"), "11");
    EXPECT_EQ(Setting(imp, "horizontal_squares"), "12");
    EXPECT_EQ(state->RegisterContent(), "15");

    // The checksum's firmware name comes with the checksum query ("m").
    imp.Reset();
    Feed<CoreSlaveCrc>(imp, {"The CRC of the application of the slave: 0x 49 33 "});
    EXPECT_TRUE(imp.Has("Log(49 33 ZT_MP8.2)"));
}

TEST(OpenStateTest, LinesThatFitNoInformationPatternOnlyResetTheDisplay) {
    RecordingWindowImp imp;
    Feed<OpenState>(imp, {"I2C_TIME_OUT"});
    EXPECT_EQ(imp.calls, kDisplayReset);

    // No maker's name, and no version word beginning with V: nothing is shown.
    imp.Reset();
    Feed<OpenState>(imp, {"x", "Master version: I2C master for Q71 ABC BV5.3",
                          "Master version: I2C master for Q71 Morvex ABC 5.3"});
    EXPECT_EQ(imp.calls, kDisplayReset);
}

TEST(OpenStateTest, BootloaderLineRequestsMasterDownloadOnly) {
    RecordingWindowImp imp;
    Feed<OpenState>(imp, {"I2C_TIME_OUT", "Master_Bootloader_BV12"});
    Calls expected = kDisplayReset;
    expected.push_back("RequestMasterDownload");
    EXPECT_EQ(imp.calls, expected);
}

TEST(OpenStateTest, StructureVersionIsComparedWithTheRegisterReadBefore) {
    struct Case {
        Calls lines;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {{"The eeprom structure version: 0x15"}, "v2.1, false"},
        {{"Read register content: 15", "The eeprom structure version: 0x15"}, "v2.1, true"},
        {{"Register content: 14", "The eeprom structure version: 0x15"}, "v2.0, false"},
        {{"Read register content: 1a", "The eeprom structure version: 0x15"}, "v2.6, false"},
        // Letter case counts as a difference.
        {{"Read register content: 1a", "The eeprom structure version: 0x1A"}, "v2.6, false"},
        {{"The eeprom structure version: 0x07"}, "v .7, false"},
        {{"The eeprom structure version: 0x64"}, "v1.00, false"},
    };
    for (const auto& c : cases) {
        RecordingWindowImp imp;
        Feed<OpenState>(imp, c.lines);
        EXPECT_EQ(imp.Count("DisplayEepromStructVersion"), 1) << c.lines[0];
        EXPECT_TRUE(imp.Has("DisplayEepromStructVersion(" + c.shown + ")")) << c.lines[0];
    }
}

TEST(OpenStateTest, ZeroChannelCountsAreStoredAsZeroNotMinusOne) {
    RecordingWindowImp imp;
    LogCapture log;
    Feed<OpenState>(imp,
                    {"The number of x electrodes: 0x00", "The number of y electrodes: 0x00",
                     "the reference rawdata number: 0x00", "The number of x electrodes: 0x01"});
    EXPECT_TRUE(imp.Has("DisplayElectrodesX(0)"));
    EXPECT_TRUE(imp.Has("DisplayElectrodesY(0)"));
    EXPECT_EQ(Setting(imp, "y_electrodes"), "0");
    EXPECT_EQ(Setting(imp, "reference_electrodes"), "0");
    // A later report replaces the earlier value.
    EXPECT_EQ(Setting(imp, "x_electrodes"), "0");
    EXPECT_TRUE(imp.Has("DisplayElectrodesX(1)"));
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST(OpenStateTest, NackWordSwitchesTheDeviceOffWithoutStartingTheState) {
    RecordingWindowImp imp;
    auto state = Feed<OpenState>(imp, {"Slave version: I2C_MTX_NACK_DATA"});
    EXPECT_EQ(imp.calls, Calls{"DeviceOff"});
    EXPECT_TRUE(state->IsInitialize());
}

// ---- ATTB and reset --------------------------------------------------------

TEST(CoreAttbTest, TwentiethNotToggleLineFailsAndEveryLaterOne) {
    CoreAttb::ResetNotToggleCount();
    RecordingWindowImp imp;
    auto state = boost::make_shared<CoreAttb>(&imp);
    for (int line = 1; line <= 19; ++line) {
        state->Parse("ATTb not toggle");
        state->Parse("ATTb toggled");
    }
    EXPECT_EQ(CoreAttb::NotToggleCount(), 19);
    EXPECT_EQ(imp.Count("sendTestResult"), 0);

    state->Parse("xx ATTb not toggle xx");
    EXPECT_EQ(imp.calls.back(), "sendTestResult(false)");
    state->Parse("ATTb not toggle");
    EXPECT_EQ(imp.Count("sendTestResult(false)"), 2);
}

TEST(CoreAttbTest, CountIsSharedUntilTheNextFirstLine) {
    CoreAttb::ResetNotToggleCount();
    RecordingWindowImp imp;
    auto first = Feed<CoreAttb>(imp, Calls(10, "ATTb not toggle"));
    auto second = boost::make_shared<CoreAttb>(&imp);
    EXPECT_EQ(CoreAttb::NotToggleCount(), 10);
    // The first line of a new object starts the count again at one.
    second->Parse("ATTb not toggle");
    EXPECT_EQ(CoreAttb::NotToggleCount(), 1);
    // The old object keeps counting into the same total.
    first->Parse("ATTb not toggle");
    EXPECT_EQ(CoreAttb::NotToggleCount(), 2);
}

TEST(CoreResetTest, EveryBootloaderLinePassesLowerCaseDoesNot) {
    RecordingWindowImp imp;
    Feed<CoreReset>(imp,
                    {"Bootloader information: 12 34 ab CD ", "Bootloader information: 12 34 AB CD ",
                     "Bootloader information: 00 00 00 00 "});
    Calls expected = kDisplayReset;
    expected.insert(expected.end(), {"sendTestResult(true)", "sendTestResult(true)"});
    EXPECT_EQ(imp.calls, expected);
}

// ---- Versions, checksum, registers, EEPROM --------------------------------

TEST(VersionStatesTest, VersionsAreLoggedAndHandedOnOnce) {
    RecordingWindowImp imp;
    Feed<CoreMasterVersion>(imp, {"> Master version: I2C master for Q71 Morvex ABC BV5.3",
                                  "Master version: I2C master for Q71 Morvex ABC V6.0"});
    Calls expected = kDisplayReset;
    expected.insert(expected.end(), {"Log(Master version: I2C master for Q71 Morvex ABC BV5.3)",
                                     "ReadMasterVersion(BV5.3)"});
    EXPECT_EQ(imp.calls, expected);

    imp.Reset();
    Feed<CoreSlaveVersion>(imp, {"Slave version: ZT V8.2\x1b[0m", "Slave version: other"});
    EXPECT_EQ(imp.calls.back(), "DisplaySlaveVersion(ZT V8.2)");
    EXPECT_EQ(imp.Count("DisplaySlaveVersion"), 1);

    imp.Reset();
    Feed<MasterVersion>(imp, {"Q71x Morvex bridge"});
    EXPECT_EQ(imp.calls.back(), "ShowMasterVersion(Q71x Morvex bridge)");
}

TEST(VersionStatesTest, ChecksumGetsItsFirmwareNameOnlyWhenExact) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0x EA C8 ", "Log(EA C8 MP9.0)"},
        {"0x 66 B8 ", "Log(66 B8 ZT_MP7.0)"},
        {"0x ea c8 ", "Log(ea c8 )"},
        {"0x 12 34 ", "Log(12 34 )"},
    };
    for (const auto& c : cases) {
        RecordingWindowImp imp;
        Feed<CoreSlaveCrc>(imp, {"The CRC of the application of the slave: " + c.first});
        EXPECT_EQ(imp.calls.back(), c.second);
    }
}

TEST(RegisterStatesTest, RegisterRepliesAreLoggedOnce) {
    RecordingWindowImp imp;
    Feed<CoreControlRegister>(imp, {"R H:00010010 L:10000001 end", "H:11111111 L:00000000"});
    EXPECT_EQ(imp.calls.back(), "Log(H:00010010 L:10000001)");
    EXPECT_EQ(imp.Count("Log"), 1);

    imp.Reset();
    Feed<CoreReadSlave>(imp, {"Read register content: 0A 1F ", "Read register content: 0a "});
    EXPECT_EQ(imp.calls.back(), "Log(Read register content: 0A 1F )");
}

TEST(RegisterStatesTest, EepromDumpLogsFirstRowAndAppendsTheRest) {
    RecordingWindowImp imp;
    const std::string bytes = "00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff ";
    Feed<EepromState>(
        imp, {"+00000 : " + bytes, "+00016 : " + bytes, "+00032 : short row", "+00032 : " + bytes});
    Calls expected = kDisplayReset;
    expected.insert(expected.end(),
                    {"Log(+00000 : " + bytes + ")", "LogAppend(+00016 : " + bytes + ")",
                     "LogAppend(+00032 : " + bytes + ")"});
    EXPECT_EQ(imp.calls, expected);
}

TEST(RegisterStatesTest, ParameterBytesAfterTheRegisterByteReadAsOneNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"the data = 5A 00 7F ", "127"},
        {"the data = 00 01 00", "256"},
        {"the data  = 5A 01 F4", "500"},
        {"the data = 5A 3C ", "60"},
    };
    for (const auto& c : cases) {
        RecordingWindowImp imp;
        Feed<CoreParameterValue>(imp, {c.first});
        EXPECT_EQ(imp.calls.back(), "ParameterValue(" + c.second + ")") << c.first;
        imp.Reset();
        Feed<CoreScanParameters>(imp, {c.first});
        EXPECT_EQ(imp.calls.back(), "ScanParameters(" + c.second + ")") << c.first;
    }
    RecordingWindowImp imp;
    Feed<CoreParameterValue>(imp, {"the data = 00 7F"});
    EXPECT_TRUE(imp.calls.empty());
}

TEST(RegisterStatesTest, TableValuesGoToTheirOwnDisplay) {
    RecordingWindowImp imp;
    Feed<TuneTableValue>(imp, {"Read register content: 1f"});
    EXPECT_TRUE(imp.calls.empty()) << "the blank before the line end is required";
    Feed<TuneTableValue>(imp, {"Read register content: 1f "});
    Feed<XCrossValue>(imp, {"Read register content: 0A "});
    Feed<YCrossValue>(imp, {"Read register content: FF "});
    EXPECT_EQ(imp.Count("ParameterValue"), 1);
    EXPECT_TRUE(imp.Has("ParameterValue(31)"));
    EXPECT_TRUE(imp.Has("SetXCross(10)"));
    EXPECT_TRUE(imp.Has("SetYCross(255)"));
}

TEST(ShortMessageTest, OnlyTheFirstAnswerIsShownWithoutItsSurroundings) {
    RecordingWindowImp imp;
    Feed<ShortMessage>(imp, {"INT mode register: 0a", "Power mode register: 01"});
    EXPECT_EQ(imp.calls.back(), "Log(INT mode register: 0a)");
    EXPECT_EQ(imp.Count("Log"), 1);

    imp.Reset();
    Feed<ShortMessage>(
        imp, {"Bootloader information: 12 34 ab CD ", "Bootloader information: 12 34 AB CD \t"});
    EXPECT_EQ(imp.calls.back(), "Log(Bootloader information: 12 34 AB CD )");

    imp.Reset();
    Feed<ShortMessage>(imp, {">> The eeprom structure version: 0x21 <<"});
    EXPECT_EQ(imp.calls.back(), "Log(The eeprom structure version: 0x21)");
}

// ---- Buttons ---------------------------------------------------------------

TEST(ButtonStateTest, ButtonNumberAboveEightIsCutAndWrittenBack) {
    RecordingWindowImp imp;
    imp._settings.SetParameter(ConfigParameter("button_number", "12"));
    ButtonState state(&imp);
    EXPECT_EQ(state.ButtonNumber(), 8);
    EXPECT_EQ(Setting(imp, "button_number"), "8");
}

TEST(ButtonStateTest, MissingOrZeroButtonNumberIsAConfigurationError) {
    for (const char* value : {"", "0", "-2", "none"}) {
        RecordingWindowImp imp;
        if (*value != '\0') {
            imp._settings.SetParameter(ConfigParameter("button_number", value));
        }
        LogCapture log;
        auto state = Feed<ButtonState>(imp, {"HThe button: 0,0,0,0,0,0,0,0"});
        EXPECT_EQ(state->ButtonNumber(), 0) << value;
        ASSERT_EQ(log.Lines().size(), 1u) << value;
        EXPECT_NE(log.Lines()[0].find("button_number"), std::string::npos);
        // Shown after the scene start, which clears the log.
        EXPECT_EQ(imp.Names().back(), "Log");
        EXPECT_NE(imp.calls.back().find("button_number"), std::string::npos);
    }
}

TEST(ButtonStateTest, StartsTimerAndSceneThenUpdatesOnlyOnChange) {
    RecordingWindowImp imp;
    imp._settings.SetParameter(ConfigParameter("button_number", "3"));
    auto state = Feed<ButtonState>(imp, {"HThe button: 1,1,1,1,1,1,1,1"});
    Calls expected = kDisplayReset;
    expected.insert(expected.end(), {"StartTimer", "StartButtonNormal"});
    EXPECT_EQ(imp.Names(), expected);
    EXPECT_TRUE(imp.Has("StartTimer(0)"));
    EXPECT_TRUE(state->Buttons().empty()) << "the first line only starts the scene";

    imp.Reset();
    for (const char* line : {"HThe button: 0,0,0,0,0,1,0,0", "HThe button: 0,0,0,0,0,1,0,0",
                             "HThe button: 0,0,0,0,0,1,0,0", "HThe button: 0,0,0,0,0,1,1,0"}) {
        state->Parse(line);
    }
    EXPECT_EQ(imp.calls, (Calls{"UpdateScene", "Log(0,0,0,0,0,1,0,0)", "UpdateScene",
                                "Log(0,0,0,0,0,1,1,0)"}));
    EXPECT_EQ(state->Buttons(), (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 0}));
}
