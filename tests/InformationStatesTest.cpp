#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>

#include "ButtonState.h"
#include "CoreAttb.h"
#include "CoreControlRegister.h"
#include "CoreParameterValue.h"
#include "CoreScanParameters.h"
#include "CoreSlaveCrc.h"
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

template <typename StateT>
boost::shared_ptr<StateT> Feed(RecordingWindowImp& imp, const Calls& lines) {
    auto state = boost::make_shared<StateT>(&imp);
    for (const auto& line : lines) {
        state->Parse(line.c_str());
    }
    return state;
}

std::string Counts(const RecordingWindowImp& imp) {
    std::string counts;
    for (const char* key :
         {"x_electrodes", "y_electrodes", "reference_electrodes", "button_reference_electrodes",
          "vertical_squares", "horizontal_squares"}) {
        counts += imp._settings.GetValue(key) + ",";
    }
    return counts;
}

}  // namespace

// The bridge's answers to the start-up sequence ("#", "#q", ..., "@", "o", "#",
// "#", "v"), as they arrive after "v", with the noise a real link brings.
TEST(OpenStateTest, StartupTranscriptReachesTheWindowAndTheSettings) {
    RecordingWindowImp imp;
    auto state = Feed<OpenState>(
        imp,
        {"Master version: I2C master for Q71 Morvex ABC BV5.3", "Slave version: ZT2207 V8.2\x1b[0m",
         "The CRC of the application of the slave: 0x 49 33 ", "The number of x electrodes: 0x1A",
         "The number of y electrodes: 0x10", "the reference rawdata number: 0x08",
         "the button reference rawdata number: 0x04", "The number of vertical squares: 0x0B",
         "The number of horizontal squares: 0x0C", "\x01\xff garbage ~~",
         "Read register content: 15 ", "The eeprom structure version: 0x15", "I2C_TIME_OUT"});
    // clang-format off
    EXPECT_EQ(imp.calls, (Calls{  // information first, then the display reset
        "ReadMasterVersion(5.3)", "DisplayMasterVersion(ABC BV5.3)", "StartCommon", "StopRecord",
        "ClearAll", "DisplaySlaveVersion(ZT2207 V8.2)", "DisplaySlaveCrc(49 33 )",
        "DisplayElectrodesX(26)", "DisplayElectrodesY(16)", "FlushButtonStatus",
        "DisplayEepromStructVersion(v2.1, true)"}));
    // clang-format on
    EXPECT_EQ(Counts(imp), "25,15,7,4,11,12,");
    EXPECT_EQ(state->RegisterContent(), "15");
}

TEST(OpenStateTest, StructureVersionIsComparedWithTheRegisterReadBefore) {
    const std::pair<Calls, std::string> cases[] = {
        {{"The eeprom structure version: 0x15"}, "v2.1, false"},
        // Letter case counts as a difference.
        {{"Read register content: 1a", "The eeprom structure version: 0x1A"}, "v2.6, false"},
        {{"The eeprom structure version: 0x64"}, "v1.00, false"},
    };
    for (const auto& [lines, shown] : cases) {
        RecordingWindowImp imp;
        Feed<OpenState>(imp, lines);
        EXPECT_TRUE(imp.Has("DisplayEepromStructVersion(" + shown + ")")) << lines[0];
    }
}

TEST(OpenStateTest, ZeroChannelCountsAreStoredAsZeroNotMinusOne) {
    RecordingWindowImp imp;
    LogCapture log;
    Feed<OpenState>(imp, {"The number of x electrodes: 0x00", "The number of y electrodes: 0x00",
                          "the reference rawdata number: 0x00"});
    EXPECT_TRUE(imp.Has("DisplayElectrodesX(0)"));
    EXPECT_EQ(Counts(imp), "0,0,0,0,0,0,");
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST(CoreAttbTest, CountIsSharedUntilTheNextFirstLine) {
    CoreAttb::ResetNotToggleCount();
    RecordingWindowImp imp;
    auto first = Feed<CoreAttb>(imp, Calls(10, "ATTb not toggle"));
    EXPECT_EQ(CoreAttb::NotToggleCount(), 10);
    // The first line of a new object starts the count again at one; the old
    // object keeps counting into the same total.
    Feed<CoreAttb>(imp, {"ATTb not toggle"});
    EXPECT_EQ(CoreAttb::NotToggleCount(), 1);
    first->Parse("ATTb not toggle");
    EXPECT_EQ(CoreAttb::NotToggleCount(), 2);
}

namespace {

// Replies shown once: versions, checksum, registers, EEPROM.
struct Reply {
    std::function<boost::shared_ptr<State>(WindowImp*)> make;
    Calls lines;
    std::string last;  // the last call the lines make
};

template <class StateT>
boost::shared_ptr<State> Make(WindowImp* imp) {
    return boost::make_shared<StateT>(imp);
}

const std::string kBytes = "00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff ";
const std::string kCrc = "The CRC of the application of the slave: ";

// clang-format off
const Reply kReplies[] = {
    {Make<MasterVersion>, {"Q71x Morvex bridge"}, "ShowMasterVersion(Q71x Morvex bridge)"},
    {Make<CoreSlaveCrc>, {kCrc + "0x EA C8 "}, "Log(EA C8 MP9.0)"},
    {Make<CoreSlaveCrc>, {kCrc + "0x 66 B8 "}, "Log(66 B8 ZT_MP7.0)"},
    {Make<CoreSlaveCrc>, {kCrc + "0x ea c8 "}, "Log(ea c8 )"},  // a name only when exact
    {Make<CoreControlRegister>, {"R H:00010010 L:10000001 end", "H:11111111 L:00000000"},
     "Log(H:00010010 L:10000001)"},
    {Make<CoreParameterValue>, {"the data  = 5A 01 F4"}, "ParameterValue(500)"},
    {Make<CoreScanParameters>, {"the data = 5A 3C "}, "ScanParameters(60)"},
    // The blank before the line end is required.
    {Make<TuneTableValue>, {"Read register content: 1f", "Read register content: 1f "},
     "ParameterValue(31)"},
    {Make<XCrossValue>, {"Read register content: 0A "}, "SetXCross(10)"},
    {Make<YCrossValue>, {"Read register content: FF "}, "SetYCross(255)"},
    {Make<ShortMessage>, {"INT mode register: 0a", "Power mode register: 01"},
     "Log(INT mode register: 0a)"},
    {Make<ShortMessage>, {"Bootloader information: 12 34 ab CD ",
      "Bootloader information: 12 34 AB CD \t"}, "Log(Bootloader information: 12 34 AB CD )"},
    {Make<EepromState>, {"+00000 : " + kBytes, "+00016 : " + kBytes, "+00032 : short row"},
     "LogAppend(+00016 : " + kBytes + ")"},
};
// clang-format on

}  // namespace

TEST(ReplyStatesTest, EachReplyReachesItsDisplay) {
    for (const Reply& reply : kReplies) {
        RecordingWindowImp imp;
        const auto state = reply.make(&imp);
        for (const std::string& line : reply.lines) {
            state->Parse(line.c_str());
        }
        EXPECT_EQ(imp.calls.empty() ? "" : imp.calls.back(), reply.last) << reply.lines[0];
    }
    RecordingWindowImp imp;
    Feed<CoreParameterValue>(imp, {"the data = 00 7F"});
    EXPECT_TRUE(imp.calls.empty());
}

TEST(ButtonStateTest, MissingOrZeroButtonNumberIsAConfigurationError) {
    for (const char* value : {"", "0", "-2", "none"}) {
        RecordingWindowImp imp;
        imp.Set({{"button_number", value}});
        LogCapture log;
        auto state = Feed<ButtonState>(imp, {"HThe button: 0,0,0,0,0,0,0,0"});
        EXPECT_EQ(state->ButtonNumber(), 0) << value;
        EXPECT_EQ(log.Lines().size(), 1u) << value;
        EXPECT_TRUE(log.Contains("button_number")) << value;
        // Shown after the scene start, which clears the log.
        EXPECT_EQ(imp.calls.back().rfind("Log(", 0), 0u) << value;
    }
}
