#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <boost/make_shared.hpp>

#include "BenchDevice.h"
#include "BridgePeer.h"
#include "CloseState.h"
#include "Device.h"
#include "EventPump.h"
#include "FileRegistry.h"
#include "RecordingWindowImp.h"
#include "RegistryView.h"
#include "SleepRecorder.h"

using morvex_gui::CloseState;
using morvex_gui::Device;
using morvex_gui::State;

namespace {

// The base device with no start-up sequence of its own.
using PlainDevice = BenchDevice<Device>;

using TappedDevice = WireTap<PlainDevice>;

struct LineFormat {
    speed_t speed;
    bool eightBits;
    bool parity;
    bool twoStopBits;
    bool raw;
};

LineFormat ReadLine(const BridgePeer& peer) {
    termios settings{};
    peer.LineSettings(&settings);
    return LineFormat{cfgetospeed(&settings), (settings.c_cflag & CSIZE) == CS8,
                      (settings.c_cflag & PARENB) != 0, (settings.c_cflag & CSTOPB) != 0,
                      (settings.c_lflag & (ICANON | ECHO)) == 0 && (settings.c_oflag & OPOST) == 0};
}

// Sets the pty to 9600 baud, one stop bit, cooked, as a port left by another program.
void MakeForeign(BridgePeer& peer) {
    termios settings{};
    peer.LineSettings(&settings);
    settings.c_cflag &= ~CSTOPB;
    settings.c_lflag |= ICANON | ECHO;
    settings.c_oflag |= OPOST;
    cfsetospeed(&settings, B9600);
    cfsetispeed(&settings, B9600);
    peer.SetLineSettings(settings);
}

class DeviceTest : public ::testing::Test {
protected:
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
};

}  // namespace

TEST_F(DeviceTest, OpensAtTheChosenSpeedWithEightDataBitsNoParityTwoStopBits) {
    for (const auto& [text, speed] : {std::pair{"230400", B230400}, std::pair{"460800", B460800}}) {
        BridgePeer peer;
        MakeForeign(peer);
        PlainDevice device(&imp, &current);
        ASSERT_TRUE(device.Open(peer.PortName(), text));
        EXPECT_TRUE(device.isOpen());
        EXPECT_EQ(device.portName(), peer.PortName());
        EXPECT_EQ(device.queryMode(), Win_QextSerialPort::EventDriven);
        const LineFormat line = ReadLine(peer);
        EXPECT_EQ(line.speed, speed) << text;
        EXPECT_TRUE(line.eightBits);
        EXPECT_FALSE(line.parity);
        EXPECT_TRUE(line.twoStopBits);
        EXPECT_TRUE(line.raw);
        EXPECT_EQ(device.flowControl(), FLOW_HARDWARE) << "flow control is never set";
    }
    EXPECT_EQ(sleeps.Pauses(), (std::vector<unsigned>{100, 100}));
}

TEST_F(DeviceTest, OtherSpeedTextsKeepTheCurrentSpeedButSetTheFormat) {
    BridgePeer peer;
    MakeForeign(peer);
    PlainDevice device(&imp, &current);
    ASSERT_TRUE(device.Open(peer.PortName(), "115200"));
    const LineFormat line = ReadLine(peer);
    EXPECT_EQ(line.speed, B9600);
    EXPECT_TRUE(line.twoStopBits);
    EXPECT_TRUE(line.raw);
}

TEST_F(DeviceTest, MissingPortFailsAndLeavesTheStateAlone) {
    const boost::shared_ptr<State> before = current;
    PlainDevice device(&imp, &current);
    EXPECT_FALSE(device.Open("/dev/pts/does-not-exist", "230400"));
    EXPECT_FALSE(device.Open("COM77", "230400"));
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(current, before);
    EXPECT_TRUE(sleeps.Pauses().empty()) << "nothing happens after a failed open";
    EXPECT_FALSE(device.OpenDirect("COM1"));
}

TEST_F(DeviceTest, CommandsLeaveAsTheirBytesWithTheirPause) {
    BridgePeer peer;
    TappedDevice device(sleeps, &imp, &current);
    ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
    sleeps.Clear();

    device.Send("n");
    device.NormalMode();
    device.GetBootloaderVersion();
    device.Write("w3A0100");
    device.SendWithMode("d", 12);
    EXPECT_EQ(sleeps.Transcript(), (std::vector<std::string>{
                                       "Write(n)", "Sleep(20)", "Write(n)", "Sleep(20)", "Write(V)",
                                       "Sleep(20)", "Write(w3A0100)", "Write(d)", "Sleep(20)"}));
    EXPECT_EQ(imp.Names(), (std::vector<std::string>{"ClearAll", "SetMode"}));
    EXPECT_EQ(imp.lastMode, 12);
    ASSERT_TRUE(peer.WaitForBytes(11));
    EXPECT_EQ(peer.Received(), "nnVw3A0100d");
}

TEST_F(DeviceTest, CloseSendsQuitCommandAndDestructorDoesNot) {
    BridgePeer peer;
    {
        TappedDevice device(sleeps, &imp, &current);
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        sleeps.Clear();
        device.Close();
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(sleeps.Transcript(),
                  (std::vector<std::string>{"Write(#q)", "Sleep(20)", "Sleep(100)"}));
        ASSERT_TRUE(peer.WaitForText("#q"));
        EXPECT_EQ(peer.Received(), "#q");

        device.Close();  // closed already: nothing reaches the wire, the pauses still happen
        EXPECT_EQ(sleeps.TotalMs(), 240u);
    }
    peer.ClearReceived();
    {
        PlainDevice device(&imp, &current);
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
    }
    PlainDevice again(&imp, &current);
    EXPECT_TRUE(again.Open(peer.PortName(), "230400")) << "the destructor released the port";
    EXPECT_FALSE(peer.WaitForBytes(1, 100)) << "the destructor sends nothing";
}

TEST_F(DeviceTest, RepliesRaiseReadyReadAfterOpen) {
    BridgePeer peer;
    peer.Expect("V", "Master_Bootloader_V12\r");
    PlainDevice device(&imp, &current);
    int announced = 0;
    QObject::connect(&device, &QIODevice::readyRead, &device, [&] { ++announced; });
    ASSERT_TRUE(device.Open(peer.PortName(), "460800"));
    device.GetBootloaderVersion();
    QByteArray reply;
    PumpUntil([&] {
        reply += device.readAll();
        return reply.endsWith('\r') && announced > 0;
    });
    EXPECT_EQ(reply, QByteArray("Master_Bootloader_V12\r"));
    EXPECT_GE(announced, 1);
}

TEST(EnumeratePortsTest, ListsOnlyTheDriversVirtualPortsAndAppends) {
    QTemporaryDir dir;
    const QString file = dir.filePath("registry.ini");
    qputenv("MORVEX_REGISTRY_FILE", file.toLocal8Bit());
    platform::FileRegistry registry(file);
    registry.WriteValue(platform::kSerialCommKey, "\\Device\\VCP0", "COM5");
    registry.WriteValue(platform::kSerialCommKey, "\\Device\\Serial0", "COM1");
    registry.WriteValue(platform::kSerialCommKey, "\\Device\\VCP12", "/dev/ttyUSB3");
    registry.WriteValue(platform::kSerialCommKey, "\\Device\\VCP3x", "COM9");
    registry.WriteValue(platform::kSerialCommKey, "\\Device\\VCP", "COM10");

    QStringList ports{"kept"};
    EnumeratePorts(&ports);
    EXPECT_EQ(ports, (QStringList{"kept", "COM5", "/dev/ttyUSB3"}));

    qputenv("MORVEX_REGISTRY_FILE", dir.filePath("missing.ini").toLocal8Bit());
    QStringList none{"kept"};
    EnumeratePorts(&none);
    EXPECT_EQ(none, QStringList{"kept"});
    qunsetenv("MORVEX_REGISTRY_FILE");
}

TEST(EnumeratePortsTest, SeesTheBridgePeer) {
    BridgePeer peer;
    QStringList ports;
    EnumeratePorts(&ports);
    EXPECT_EQ(ports, QStringList{peer.PortName()});
    peer.Unlist();
    ports.clear();
    EnumeratePorts(&ports);
    EXPECT_TRUE(ports.isEmpty());
}

TEST(SetLatencyTimerTest, SetsTheMatchingDeviceOnly) {
    BridgePeer first(QStringLiteral("COM7"));
    BridgePeer second(QStringLiteral("COM8"));
    SetLatencyTimer("COM7", 3);
    EXPECT_EQ(first.LatencyTimer(), "3");
    EXPECT_EQ(second.LatencyTimer(), "16");
    SetLatencyTimer("COM40", 3);
    EXPECT_EQ(second.LatencyTimer(), "16");
}
