#include <gtest/gtest.h>

#include <QCoreApplication>
#include <boost/make_shared.hpp>
#include <functional>
#include <typeinfo>

#include "BendingRawData.h"
#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreNormal.h"
#include "CoreParameterValue.h"
#include "CoreRaster.h"
#include "CoreScanParameters.h"
#include "EngineeringDevice.h"
#include "EventPump.h"
#include "RecordingWindowImp.h"
#include "SingleRawDataB.h"
#include "SingleRawDataX.h"
#include "SingleRawDataY.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"
#include "TuneInitDevice.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"
#include "ZeltoR_Device.h"

using namespace morvex_gui;

namespace {

constexpr int kX = 15;
constexpr int kY = 10;

class EngineeringDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("v"));
        SetSetting("x_electrodes", std::to_string(kX));
        SetSetting("y_electrodes", std::to_string(kY));
    }

    void SetSetting(const std::string& key, const std::string& value) {
        imp._settings.SetParameter(ConfigParameter(key, value));
    }

    // Runs an operation from a fresh current state and checks that the peer
    // received exactly the transcript's bytes. Returns the transcript.
    std::vector<std::string> Run(const std::function<void()>& operation) {
        current = boost::make_shared<CloseState>(&imp);
        replaced = current;
        previousBefore = device.PreviousState();
        sleeps.Clear();
        peer.ClearReceived();
        imp.Reset();
        operation();
        const std::vector<std::string> transcript = sleeps.Transcript();
        const std::string bytes = Concatenated(transcript);
        EXPECT_TRUE(peer.WaitForBytes(bytes.size()));
        EXPECT_EQ(peer.Received(), bytes);
        EXPECT_TRUE(imp.calls.empty()) << "no display clear and no display mode";
        return transcript;
    }

    // After Run: the new state replaced the old one, which is gone.
    void ExpectReplacedBy(const std::type_info& type) {
        ASSERT_TRUE(current);
        EXPECT_EQ(typeid(*current), type);
        EXPECT_TRUE(replaced.expired());
        EXPECT_EQ(device.PreviousState(), previousBefore) << "a replacing switch keeps nothing";
    }

    TempProgramDir dir;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    boost::weak_ptr<State> replaced;
    boost::shared_ptr<State> previousBefore;
    SleepRecorder sleeps;
    WireTap<TuneInitDevice> device{sleeps, &imp, &current};
};

struct DisplayCase {
    int index;
    const char* command;
    const std::type_info& state;
    int count;  // raw-data states: electrode count; -1 otherwise
    int mode;   // raw-data and raster states; -1 otherwise
};

int ModeOf(const boost::shared_ptr<State>& state) {
    if (auto raw = boost::dynamic_pointer_cast<SingleRawData>(state)) {
        return raw->GetMode();
    }
    if (auto raster = boost::dynamic_pointer_cast<CoreRaster>(state)) {
        return raster->GetMode();
    }
    return -1;
}

int CountOf(const boost::shared_ptr<State>& state) {
    auto raw = boost::dynamic_pointer_cast<SingleRawData>(state);
    return raw && typeid(*state) != typeid(SingleRawDataB) ? raw->GetCount() : -1;
}

}  // namespace

TEST_F(EngineeringDeviceTest, SingleCommandsKeepTheStateAndDrawingReplacesIt) {
    const std::vector<std::pair<std::function<void()>, const char*>> commands = {
        {[&] { device.StartLogging(); }, "N"},
        {[&] { device.DisableOffset(); }, "O"},
        {[&] { device.TuneInit(); }, "%"},
    };
    for (const auto& [operation, command] : commands) {
        boost::shared_ptr<State> before;
        EXPECT_EQ(Run([&] {
                      before = current;
                      operation();
                  }),
                  Wire({command}));
        EXPECT_EQ(current, before) << command;
    }

    EXPECT_EQ(Run([&] { device.DrawingState(); }), Wire({"G"}));
    ExpectReplacedBy(typeid(CoreNormal));
}

TEST_F(EngineeringDeviceTest, DisplayDataOfEveryParameter) {
    const std::vector<DisplayCase> table = {
        {0, "d", typeid(SingleRawDataX), kX, 0},
        {1, "o", typeid(SingleRawDataX), kX, 1},
        {2, "d", typeid(SingleRawDataY), kY, 0},
        {3, "o", typeid(SingleRawDataY), kY, 1},
        {4, "c", typeid(SingleRawDataX), kX, 2},
        {5, "c", typeid(SingleRawDataY), kY, 2},
        {6, "m", typeid(TuneMultiFinger), -1, -1},
        {7, "m", typeid(TuneMultiFinger), -1, -1},
        {8, "a", typeid(CoreRaster), -1, 0},
        {9, "f", typeid(TuneMultiFingerLift), -1, 0},
        {10, "aX", typeid(CoreRaster), -1, 0},
        {11, "fX", typeid(TuneMultiFingerLift), -1, 0},
        {12, "a", typeid(CoreRaster), -1, 0},
        {13, "a", typeid(CoreRaster), -1, 0},
        {14, "u", typeid(SingleRawDataB), -1, 0},
        {15, "b", typeid(BendingRawData), -1, -1},
        {16, "r", typeid(SingleRawDataX), kX, 7},
        {17, "r", typeid(SingleRawDataY), kY, 7},
        {18, "s", typeid(SingleRawDataX), kX, 4},
        {19, "x", typeid(SingleRawDataX), kX, 5},
        {20, "s", typeid(SingleRawDataY), kY, 4},
        {21, "x", typeid(SingleRawDataY), kY, 5},
        {22, "k", typeid(SingleRawDataX), kX, 0},
        {23, "h", typeid(SingleRawDataX), kX, 6},
        {24, "k", typeid(SingleRawDataY), kY, 0},
        {25, "h", typeid(SingleRawDataY), kY, 6},
        {26, "n", typeid(TuneQualification), -1, -1},
        {27, "n", typeid(TuneQualification), -1, -1},
        {28, "n", typeid(TuneQualification), -1, -1},
        {29, "n", typeid(TuneQualification), -1, -1},
    };
    for (const DisplayCase& c : table) {
        SCOPED_TRACE("index " + std::to_string(c.index));
        EXPECT_EQ(Run([&] { device.ReadDisplayData(c.index); }), Wire({c.command}));
        ExpectReplacedBy(c.state);
        EXPECT_EQ(CountOf(current), c.count);
        if (c.mode >= 0) {
            EXPECT_EQ(ModeOf(current), c.mode);
        }
    }
}

TEST_F(EngineeringDeviceTest, ElectrodeCountsAreReadAsLeadingNumbers) {
    const std::vector<std::pair<const char*, int>> texts = {
        {" 12", 12}, {"12 rows", 12}, {"+7", 7}, {"x12", 0}, {"", 0}, {"99999999999", 0}};
    for (const auto& [text, count] : texts) {
        SetSetting("x_electrodes", text);
        Run([&] { device.ReadDisplayData(0); });
        EXPECT_EQ(CountOf(current), count) << '"' << text << '"';
    }
}

TEST_F(EngineeringDeviceTest, ScanAndReadAskForTheRegisterWithTheSameCommand) {
    EXPECT_EQ(Run([&] { device.ScanParameter(0); }), Wire({"i6100"}));
    ExpectReplacedBy(typeid(CoreScanParameters));
    EXPECT_EQ(Run([&] { device.ScanParameter(22); }), Wire({"i7F00"}));
    EXPECT_EQ(Run([&] { device.ScanParameter(23); }), Wire({"i8000"}));
    ExpectReplacedBy(typeid(CoreScanParameters));
    EXPECT_EQ(Run([&] { device.ReadParameterValue(23); }), Wire({"i8000"}));
    ExpectReplacedBy(typeid(CoreParameterValue));
    EXPECT_EQ(Run([&] { device.ReadParameterValue(29); }), Wire({"i7600"}));
}

struct ChangeCase {
    const char* value;  // "parameter_value"
    int index;
    bool increase;
    int step;
    std::vector<std::string> wire;
};

TEST_F(EngineeringDeviceTest, ChangesStayInTheRangeAndClimbTheLadders) {
    const std::vector<ChangeCase> cases = {
        // An ordinary step, and the displayed value is not what counts.
        {"40", 0, true, 10, Wire({"i610A"})},
        {"40", 0, false, 1, Wire({"e6101"})},
        // Ladder 1, 2, 4, ... 32: one rung per call, whatever the step.
        {"1", 12, true, 10, Wire({"i6D01"})},
        {"1", 12, false, 1, Wire({"e6D00"})},
        {"8", 12, true, 1, Wire({"i6D08"})},
        {"32", 12, true, 1, Wire({"i6D00"})},
        {"6", 12, true, 1, Wire({"e6D05"})},
        {"6", 12, false, 10, Wire({"e6D05"})},
        {"0", 12, false, 1, Wire({"i6D01"})},
        // Ladder 1, 3, 5, ... 11.
        {"11", 13, true, 1, Wire({"i6E00"})},
        {"11", 13, false, 1, Wire({"e6E02"})},
        {"4", 13, true, 1, Wire({"e6E03"})},
        // Outside what the register holds: pulled back whatever was asked.
        {"300", 0, true, 1, Wire({"e612D"})},
        {"-5", 0, false, 1, Wire({"i6105"})},
        {"100", 18, false, 1, Wire({"i77FF", "i779D"})},
        {"4696", 19, true, 10, Wire({"e79FF", "e79FF", "e795A"})},
        {"4351", 21, true, 1, Wire({"e7DFF"})},
        // At the edge of the register's own range the step shrinks to fit.
        {"0", 0, false, 10, Wire({"e6100"})},
        {"250", 0, true, 10, Wire({"i6105"})},
        {"515", 20, false, 10, Wire({"e7B03"})},
        {"4090", 19, true, 10, Wire({"i7906"})},
        {"95", 16, true, 10, Wire({"i7105"})},
        // Above the own range but inside the outer one: only a step down to
        // the range moves it.
        {"30", 15, true, 1, Wire({"i7000"})},
        {"30", 15, false, 1, Wire({"e7000"})},
        {"30", 15, false, 10, Wire({"e700A"})},
        // The qualification registers are bounded by the electrode counts.
        {"14", 26, true, 10, Wire({"i7301"})},
        {"9", 27, true, 10, Wire({"i7401"})},
        {"3", 29, false, 10, Wire({"e7603"})},
        // A value that is no number counts as 0.
        {"n/a", 0, true, 1, Wire({"i6101"})},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(std::string("value ") + c.value + " index " + std::to_string(c.index) +
                     (c.increase ? " up " : " down ") + std::to_string(c.step));
        SetSetting("parameter_value", c.value);
        EXPECT_EQ(Run([&] { device.ChangeParameterValue(c.index, 77, c.increase, c.step); }),
                  c.wire);
        ExpectReplacedBy(typeid(CoreParameterValue));
    }
}

TEST_F(EngineeringDeviceTest, TwoChangesBeforeTheReplyStartFromTheSameValue) {
    SetSetting("parameter_value", "2");
    EXPECT_EQ(Run([&] {
                  device.ChangeParameterValue(12, 2, true, 1);
                  device.ChangeParameterValue(12, 4, true, 1);
              }),
              Wire({"i6D02", "i6D02"}));
}

TEST_F(EngineeringDeviceTest, ParameterOutsideTheListSendsNothingAndKeepsTheState) {
    for (int index : {-1, 30, 31, 1000}) {
        SCOPED_TRACE(index);
        SetSetting("parameter_value", "5");
        boost::shared_ptr<State> before;
        // A known command after the refused ones shows that nothing else left.
        EXPECT_EQ(Run([&] {
                      before = current;
                      device.ReadDisplayData(index);
                      device.ScanParameter(index);
                      device.ReadParameterValue(index);
                      device.ChangeParameterValue(index, 5, true, 1);
                      device.ChangeParameterValue(index, 5, false, 10);
                      device.TuneInit();
                  }),
                  Wire({"%"}));
        EXPECT_EQ(current, before);
    }
}

// --- the bare 921600-baud port ---

namespace {

struct PortLine {
    speed_t speed;
    bool eightBits;
    bool parity;
    bool twoStopBits;
};

PortLine ReadLine(const BridgePeer& peer) {
    termios settings{};
    peer.LineSettings(&settings);
    return PortLine{cfgetospeed(&settings), (settings.c_cflag & CSIZE) == CS8,
                    (settings.c_cflag & PARENB) != 0, (settings.c_cflag & CSTOPB) != 0};
}

void ExpectFastLine(const BridgePeer& peer) {
    const PortLine line = ReadLine(peer);
    EXPECT_EQ(line.speed, static_cast<speed_t>(B921600));
    EXPECT_TRUE(line.eightBits);
    EXPECT_FALSE(line.parity);
    EXPECT_TRUE(line.twoStopBits);
}

}  // namespace

TEST(EngineeringPortTest, OpensAt921600ForReadingAndWritingAndClosesSilently) {
    BridgePeer peer;
    EngineeringDevice port;
    const QByteArray name = peer.PortName().toLatin1();
    ASSERT_TRUE(port.Open(name.constData()));
    EXPECT_EQ(port.openMode(), QIODevice::ReadWrite);
    EXPECT_EQ(port.queryMode(), QextSerialBase::EventDriven);
    EXPECT_EQ(port.baudRate(), BAUD921600);
    ExpectFastLine(peer);

    // The line carries data at that speed both ways.
    port.write("ping", 4);
    EXPECT_TRUE(peer.WaitForText("ping"));
    peer.SendLine("pong");
    ASSERT_TRUE(peer.WaitUntilSent());
    QByteArray reply;
    PumpUntil([&] {
        reply += port.readAll();
        return reply.contains('\r');
    });
    EXPECT_EQ(reply, QByteArray("pong\r"));

    peer.ClearReceived();
    port.Close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(peer.Received(), "") << "nothing is said to the bridge";
}

TEST(EngineeringPortTest, OpenByQStringIsReadOnly) {
    BridgePeer peer;
    EngineeringDevice port;
    ASSERT_TRUE(port.Open(peer.PortName()));
    EXPECT_EQ(port.openMode(), QIODevice::ReadOnly);
    EXPECT_FALSE(port.isWritable());
    ExpectFastLine(peer);
}

TEST(EngineeringPortTest, FailedOpenLeavesTheLineSettingsAlone) {
    EngineeringDevice missing;
    const int baudBefore = missing.baudRate();
    EXPECT_FALSE(missing.Open("/dev/pts/does-not-exist"));
    EXPECT_FALSE(missing.Open(QStringLiteral("COM77")));
    EXPECT_EQ(missing.baudRate(), baudBefore);

    // A port that another device holds keeps that device's speed.
    SleepRecorder sleeps;
    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    ZeltoR_Device holder(&imp, &current);
    ASSERT_TRUE(holder.Open(peer.PortName(), "230400"));
    EngineeringDevice second;
    EXPECT_FALSE(second.Open(peer.PortName()));
    EXPECT_EQ(second.baudRate(), baudBefore);
    EXPECT_EQ(ReadLine(peer).speed, static_cast<speed_t>(B230400));
}
