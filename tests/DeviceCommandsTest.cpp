// Each bridge device's operations that no window test already sends, from a
// fresh current state: the bytes and pauses, the display mode and countdown
// announced, the state left. A keeping switch holds the state it replaced alive.

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <functional>
#include <sstream>

#include "BenchDevice.h"
#include "BridgePeer.h"
#include "ClassicDevice.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "CoreRaster.h"
#include "RecordingWindowImp.h"
#include "SingleRawData.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"
#include "TuneInitDevice.h"
#include "TypeName.h"
#include "ZeltoR_Device.h"

using namespace morvex_gui;

namespace {

enum Leaves { kKeeps, kReplaces };

template <class DeviceT>
struct Row {
    const char* name;
    std::function<void(DeviceT&)> run;
    std::vector<std::string> wire;
    const char* state = nullptr;  // class of the state left; null: the current one stays
    Leaves leaves = kReplaces;
    int displayMode = -1;  // -1: none announced
    int timer = -1;        // -1: no countdown
};

// Names an operation by its call: OP(UserSetRegister("3A")).
#define OP(call) #call, [](auto& d) { d.call; }

template <class... Steps>
std::vector<std::string> W(Steps... steps) {
    return Wire({steps...});
}

template <class DeviceT>
struct Bench {
    explicit Bench(const std::string& startUp) {
        EXPECT_TRUE(device.Open(peer.PortName(), "230400"));
        EXPECT_TRUE(peer.WaitForText(startUp)) << "the start-up sequence";
    }

    void Check(const Row<DeviceT>& row) {
        SCOPED_TRACE(row.name);
        current = boost::make_shared<CloseState>(&imp);
        const boost::weak_ptr<State> replaced = current;
        const State* before = current.get();
        sleeps.Clear();
        peer.ClearReceived();
        imp.Reset();
        imp.lastMode = -1;

        row.run(device);

        EXPECT_EQ(sleeps.Transcript(), row.wire);
        const std::string bytes = Concatenated(row.wire);
        EXPECT_TRUE(peer.WaitForBytes(bytes.size()));
        EXPECT_EQ(peer.Received(), bytes);
        EXPECT_EQ(imp.lastMode, row.displayMode);
        EXPECT_EQ(imp.Count("ClearAll"), row.displayMode < 0 ? 0 : 1);
        EXPECT_EQ(imp.Has("StartTimer(" + std::to_string(row.timer) + ")"), row.timer >= 0);
        ASSERT_TRUE(current);
        if (row.state == nullptr) {
            EXPECT_EQ(current.get(), before);
            return;
        }
        EXPECT_EQ(TypeName(*current), row.state);
        EXPECT_EQ(replaced.expired(), row.leaves == kReplaces);
    }
    void Check(const std::vector<Row<DeviceT>>& table) {
        for (const Row<DeviceT>& row : table) {
            Check(row);
        }
    }
    void Set(const std::string& key, const std::string& value) {
        imp._settings.SetParameter(ConfigParameter(key, value));
    }

    TempProgramDir dir;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    WireTap<DeviceT> device{sleeps, &imp, &current};
};

const std::vector<std::string> kBootloaderInfo =
    W("@", "m5D", "200", "b", "100", "m5C", "200", "k", "100");

// The operations that the mass-production and the open/short device share.
template <class DeviceT>
std::vector<Row<DeviceT>> SharedRows() {
    return {
        {OP(I2cMode()), W("@")},
        {OP(EnterMasterBootloader()), W("@", "G")},
        {OP(EnterSlaveBootloader()), W("@", "m5D", "200", "b", "100")},
        {OP(ExitSlaveBootloader()), W("m5C", "200", "k", "100")},
        {OP(I2cWriteSlave("5C0201")), W("w5C0201")},
        {OP(I2cSetTimeOut("10")), W("T10")},
        {OP(PictureViewState()), W("n"), "PictureView", kReplaces, 0},
        {OP(PenState()), W("n"), "CorePenState", kReplaces},
        {OP(InformationState()), W("i"), "CoreInformation", kReplaces, 5},
        {OP(UserReadslaveCrc()), W("m"), "CoreSlaveCrc", kReplaces},
        {OP(UserReadEeprom()), W("e"), "EepromState", kReplaces},
        {OP(UserReadEepromStructVersion()), W("&"), "ShortMessage", kReplaces},
        {OP(ReadControlRegister()), W("R"), "CoreControlRegister", kReplaces},
        {OP(ReadSlaveBootloaderInfo()), kBootloaderInfo, "ShortMessage", kReplaces},
        {OP(DeviceInfoState()), W("$d"), "OpenState", kReplaces},
        {OP(UserSetRegister("3A")), W("s3A", "50", "R"), "CoreControlRegister", kReplaces},
        {OP(UserClearRegister("0B")), W("u0B", "50", "R"), "CoreControlRegister", kReplaces},
        {OP(UserSetIntMode("1")), W("M1"), "ShortMessage", kReplaces},
        {OP(UserSetPowerMode("2")), W("P2"), "ShortMessage", kReplaces},
        {OP(UserSetIntWidth("05")), W("W05"), "ShortMessage", kReplaces},
        {OP(UserSetSleepFrequency("7")), W("f7"), "ShortMessage", kReplaces},
        {OP(UserSetSleepDelay("9")), W("I9"), "ShortMessage", kReplaces},
        {OP(I2cReadSlave("5C02")), W("r5C02"), "CoreReadSlave", kReplaces},
    };
}

std::vector<std::string> Twice(const std::vector<std::string>& once) {
    std::vector<std::string> wire = once;
    wire.insert(wire.end(), once.begin(), once.end());
    return wire;
}

}  // namespace

TEST(DeviceCommandsTest, CoreDevice) {
    Bench<CoreDevice> bench("##q##q@o##v");
    bench.Check(SharedRows<CoreDevice>());
    bench.Check({
        // The pauses around the bytes that the windows' roads send.
        {OP(Write("w3A0100")), {"Write(w3A0100)"}},
        {OP(PowerOn()), W("@", "o", "#", "200")},
        {OP(PowerOff()), W("@", "c", "#", "200")},
        {OP(EnterOpenState()),
         W("#", "#q", "#", "#q", "200", "@", "o", "#", "200", "#", "200", "v"), "OpenState",
         kReplaces},
        {OP(SendHashZ()), W("#", "#", "#z")},
        {OP(GetBootloaderVersion()), W("V")},
        {OP(GetEepromInformation()),
         Twice(W("a", "80", "m", "80", "@", "80", "w3A010000", "80", "s", "80", "w3A", "80", "s",
                 "80", "r0000", "50", "#", "200", "Z"))},
        {OP(SendWithMode("d", 12)), W("d"), nullptr, kKeeps, 12},
        {OP(SendZ()), W("Z")},
        {OP(ChangeRawdataFlags(1)), W("u3", "uB", "uC", "s3")},
        {OP(ChangeRawdataFlags(4)), {}},
        {OP(ChangeRawdataFlags(-1)), {}},
        {OP(Quit()), W("#q"), "CloseState", kKeeps},
        {OP(NormalFlagState()), W("n"), "CoreNormalFlag", kReplaces, 0},
        {OP(BorderState()), W("n"), "CoreBorder", kKeeps, 0},
        {OP(PreciseState()), W("n"), "CorePrecise", kKeeps, 0},
        {OP(ResetState()), W("@", "m5D", "200", "b", "100", "50", "m5C", "200", "k", "100"),
         "CoreReset", kKeeps, -1, 0},
        {OP(AttbState()), W("~", "80", "rx"), "CoreAttb", kKeeps, 1, 1},
        {OP(RasterRXState()), W("rx"), "TuneMultiFingerLift", kKeeps, 1, 1},
        {OP(ActiveState(true)), W("rX"), "TuneMultiFingerLift", kKeeps, 1, 1},
        {OP(ButtonRawdataState()), W("b"), "CoreButtonRawdata", kKeeps, 6},
    });
}

TEST(DeviceCommandsTest, CoreDeviceKeepsOneReplacedStateAndCountsFromTheSettings) {
    Bench<CoreDevice> bench("##q##q@o##v");
    boost::weak_ptr<State> first = bench.current;
    bench.device.DebugState();
    EXPECT_FALSE(first.expired());
    bench.device.NormalState();
    EXPECT_TRUE(first.expired()) << "the second keeping switch releases the first one's state";

    const auto count = [&] {
        return boost::dynamic_pointer_cast<SingleRawData>(bench.current)->GetCount();
    };
    bench.device.SingleRawDataState();
    EXPECT_EQ(count(), 0) << "a missing count is 0";
    bench.Set("button_reference_electrodes", "6");
    bench.device.ButtonSingleRawDataState();
    EXPECT_EQ(count(), 6);
    bench.Set("reference_electrodes", "twelve");
    bench.device.SingleRawDataState();
    EXPECT_EQ(count(), 0);
}

TEST(DeviceCommandsTest, OpenShortDevice) {
    Bench<ZeltoR_Device> bench("V##vvZ");
    bench.Check(SharedRows<ZeltoR_Device>());
    bench.Check({
        {OP(EnterOpenState()), W("V", "#", "#", "v", "v", "Z"), "OpenState", kReplaces},
        {OP(UserMode()), W("#", "#")},
        {OP(SendHashZ()), W("#z")},
        {OP(Quit()), W("#q"), "OpenState", kReplaces},
        {OP(NormalState()), W("n"), "CoreNormal", kReplaces, 0},
        {OP(DebugState()), W("d"), "CoreDebug", kReplaces, 1},
        {OP(RasterState()), W("r"), "CoreRaster", kReplaces, 1},
        {OP(MasterVersionState()), W("v"), "CoreMasterVersion", kReplaces, 3},
        {OP(SlaveVersionState()), W("a"), "CoreSlaveVersion", kReplaces, 4},
        {OP(ButtonRawdataState()), W("b"), "CoreButtonRawdata", kReplaces, 6},
        {OP(UserReadButtons()), W("K"), "ButtonState", kReplaces},
        {OP(UserReadButtonRawData()), W("b"), "ButtonRawDataState", kReplaces},
        {OP(EnterOpenShortState()), W("d"), "OpenShortState", kReplaces},
    });
}

TEST(DeviceCommandsTest, ClassicDeviceOpensSilentlyAndReplacesOnEachMode) {
    static_assert(std::is_abstract_v<ClassicDevice>, "quit and bootloader are left to a subclass");
    Bench<BenchDevice<ClassicDevice>> bench("");
    EXPECT_EQ(bench.sleeps.Transcript(), std::vector<std::string>{"Sleep(100)"});
    EXPECT_TRUE(boost::dynamic_pointer_cast<CloseState>(bench.current)) << "no state installed";
    bench.device.Send("n");  // a marker: nothing went before it
    ASSERT_TRUE(bench.peer.WaitForBytes(1));
    EXPECT_EQ(bench.peer.Received(), "n");
    bench.Check({
        {OP(NormalState()), W("n"), "ClassicNormal", kReplaces, 7},
        {OP(DebugState()), W("d"), "ClassicDebug", kReplaces, 8},
        {OP(RasterState()), W("r"), "ClassicRaster", kReplaces, 9},
    });
}

// --- the engineering device's parameter and display operations ---

namespace {

constexpr int kX = 15;
constexpr int kY = 10;

struct EngineeringBench : Bench<TuneInitDevice> {
    EngineeringBench() : Bench("v") {
        Set("x_electrodes", std::to_string(kX));
        Set("y_electrodes", std::to_string(kY));
    }
    int Count() const {
        auto raw = boost::dynamic_pointer_cast<SingleRawData>(current);
        return raw && TypeName(*current) != "SingleRawDataB" ? raw->GetCount() : -1;
    }
    int Mode() const {
        if (auto raw = boost::dynamic_pointer_cast<SingleRawData>(current)) {
            return raw->GetMode();
        }
        auto raster = boost::dynamic_pointer_cast<CoreRaster>(current);
        return raster ? raster->GetMode() : -1;
    }
};

}  // namespace

TEST(DeviceCommandsTest, EngineeringDevice) {
    EngineeringBench bench;
    // The window's tune panel reads every parameter end to end; a scan and a read
    // of the same register share the command and differ in the state they leave.
    bench.Check({
        {OP(StartLogging()), W("N")},
        {OP(DisableOffset()), W("O")},
        {OP(TuneInit()), W("%")},
        {OP(DrawingState()), W("G"), "CoreNormal", kReplaces},
        {OP(ScanParameter(0)), W("i6100"), "CoreScanParameters", kReplaces},
        {OP(ScanParameter(23)), W("i8000"), "CoreScanParameters", kReplaces},
        {OP(ReadParameterValue(23)), W("i8000"), "CoreParameterValue", kReplaces},
    });

    // Index by index: the command, the state and the mode of a raw-data or raster state.
    const char* const table[] = {
        "d SingleRawDataX 0",      "o SingleRawDataX 1",    "d SingleRawDataY 0",
        "o SingleRawDataY 1",      "c SingleRawDataX 2",    "c SingleRawDataY 2",
        "m TuneMultiFinger -1",    "m TuneMultiFinger -1",  "a CoreRaster 0",
        "f TuneMultiFingerLift 0", "aX CoreRaster 0",       "fX TuneMultiFingerLift 0",
        "a CoreRaster 0",          "a CoreRaster 0",        "u SingleRawDataB 0",
        "b BendingRawData -1",     "r SingleRawDataX 7",    "r SingleRawDataY 7",
        "s SingleRawDataX 4",      "x SingleRawDataX 5",    "s SingleRawDataY 4",
        "x SingleRawDataY 5",      "k SingleRawDataX 0",    "h SingleRawDataX 6",
        "k SingleRawDataY 0",      "h SingleRawDataY 6",    "n TuneQualification 0",
        "n TuneQualification 0",   "n TuneQualification 0", "n TuneQualification 0"};
    for (int index = 0; index < static_cast<int>(std::size(table)); ++index) {
        std::istringstream row(table[index]);
        std::string command, state;
        int mode = 0;
        row >> command >> state >> mode;
        const std::string name = "ReadDisplayData(" + std::to_string(index) + ")";
        bench.Check({name.c_str(), [index](TuneInitDevice& d) { d.ReadDisplayData(index); },
                     W(command), state.c_str(), kReplaces});
        EXPECT_EQ(bench.Count(), state.back() == 'X' ? kX : state.back() == 'Y' ? kY : -1) << name;
        EXPECT_EQ(bench.Mode(), mode) << name;
    }

    // Electrode counts are read as leading numbers.
    for (const auto& [text, count] : std::vector<std::pair<const char*, int>>{
             {" 12", 12}, {"12 rows", 12}, {"+7", 7}, {"x12", 0}, {"", 0}, {"99999999999", 0}}) {
        bench.Set("x_electrodes", text);
        bench.device.ReadDisplayData(0);
        EXPECT_EQ(bench.Count(), count) << '"' << text << '"';
    }
}

TEST(DeviceCommandsTest, EngineeringChangesStayInTheRangeClimbTheLaddersAndKnowTheirList) {
    // Each case: "parameter_value", the parameter's index, the signed step, the commands sent.
    const std::vector<std::string> cases = {
        // An ordinary step; the displayed value is not what counts.
        "40 0 +10 i610A", "40 0 -1 e6101",
        // Ladder 1, 2, 4, ... 32: one rung per call, whatever the step.
        "1 12 +10 i6D01", "1 12 -1 e6D00", "8 12 +1 i6D08", "32 12 +1 i6D00", "6 12 +1 e6D05",
        "6 12 -10 e6D05", "0 12 -1 i6D01",
        // Ladder 1, 3, 5, ... 11.
        "11 13 +1 i6E00", "11 13 -1 e6E02", "4 13 +1 e6E03",
        // Outside what the register holds: pulled back whatever was asked.
        "300 0 +1 e612D", "-5 0 -1 i6105", "100 18 -1 i77FF i779D", "4696 19 +10 e79FF e79FF e795A",
        "4351 21 +1 e7DFF",
        // At the edge of the register's own range the step shrinks to fit.
        "0 0 -10 e6100", "250 0 +10 i6105", "515 20 -10 e7B03", "4090 19 +10 i7906",
        "95 16 +10 i7105",
        // Above the own range but inside the outer one: only a step down moves it.
        "30 15 +1 i7000", "30 15 -1 e7000", "30 15 -10 e700A",
        // The qualification registers are bounded by the electrode counts.
        "14 26 +10 i7301", "9 27 +10 i7401", "3 29 -10 e7603",
        // A value that is no number counts as 0.
        "n/a 0 +1 i6101"};
    EngineeringBench bench;
    for (const std::string& text : cases) {
        std::istringstream in(text);
        std::string value, command;
        int index = 0, step = 0;
        in >> value >> index >> step;
        std::vector<std::string> wire;
        while (in >> command) {
            wire.insert(wire.end(), {"Write(" + command + ")", "Sleep(20)"});
        }
        bench.Set("parameter_value", value);
        bench.Check({text.c_str(),
                     [&](TuneInitDevice& d) {
                         d.ChangeParameterValue(index, 77, step > 0, std::abs(step));
                     },
                     wire, "CoreParameterValue", kReplaces});
    }

    bench.Set("parameter_value", "2");
    bench.Check({"two changes before the reply start from the same value",
                 [](TuneInitDevice& d) {
                     d.ChangeParameterValue(12, 2, true, 1);
                     d.ChangeParameterValue(12, 4, true, 1);
                 },
                 W("i6D02", "i6D02"), "CoreParameterValue", kReplaces});

    // An index outside the list sends nothing at all.
    bench.Set("parameter_value", "5");
    for (int index : {-1, 30, 31, 1000}) {
        const std::string name = "index " + std::to_string(index);
        // A known command after the refused ones shows that nothing else left.
        bench.Check({name.c_str(),
                     [index](TuneInitDevice& d) {
                         d.ReadDisplayData(index);
                         d.ScanParameter(index);
                         d.ReadParameterValue(index);
                         d.ChangeParameterValue(index, 5, true, 1);
                         d.ChangeParameterValue(index, 5, false, 10);
                         d.TuneInit();
                     },
                     W("%")});
    }
}
