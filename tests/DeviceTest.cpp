#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <boost/make_shared.hpp>

#include "BenchDevice.h"
#include "BridgePeer.h"
#include "CloseState.h"
#include "Device.h"
#include "EngineeringDevice.h"
#include "FileRegistry.h"
#include "RecordingWindowImp.h"
#include "RegistryView.h"
#include "SleepRecorder.h"

using morvex_gui::CloseState;
using morvex_gui::EngineeringDevice;
using morvex_gui::State;

namespace {

// The base device with no start-up sequence of its own.
using PlainDevice = BenchDevice<morvex_gui::Device>;

// Speed, then 8 data bits, no parity, two stop bits, raw, as one text.
std::string LineFormat(const BridgePeer& peer) {
    termios line{};
    peer.LineSettings(&line);
    const bool raw = (line.c_lflag & (ICANON | ECHO | ISIG)) == 0 && (line.c_oflag & OPOST) == 0 &&
                     (line.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF)) == 0;
    return std::to_string(cfgetospeed(&line)) + ((line.c_cflag & CSIZE) == CS8 ? " 8" : " ?") +
           ((line.c_cflag & PARENB) ? "E" : "N") + ((line.c_cflag & CSTOPB) ? "2" : "1") +
           (raw ? " raw" : " cooked");
}

std::string Format(speed_t speed) {
    return std::to_string(speed) + " 8N2 raw";
}

// 9600 baud, one stop bit, cooked: a port left so by another program. The
// device's own speed setting before open must not reach the line.
void MakeForeign(BridgePeer& peer) {
    termios line{};
    peer.LineSettings(&line);
    line.c_cflag &= ~CSTOPB;
    line.c_lflag |= ICANON | ECHO;
    line.c_iflag |= ICRNL;
    line.c_oflag |= OPOST | ONLCR;
    cfsetospeed(&line, B9600);
    cfsetispeed(&line, B9600);
    peer.SetLineSettings(line);
}

class DeviceTest : public ::testing::Test {
protected:
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
};

}  // namespace

TEST_F(DeviceTest, OpenSetsTheBridgeFormatAndOnlyTheTwoKnownSpeeds) {
    for (const auto& [text, speed] :
         {std::pair{"230400", B230400}, std::pair{"460800", B460800}, std::pair{"115200", B9600}}) {
        BridgePeer peer;
        MakeForeign(peer);
        PlainDevice device(&imp, &current);
        sleeps.Clear();
        ASSERT_TRUE(device.Open(peer.PortName(), text));
        EXPECT_EQ(LineFormat(peer), Format(speed)) << text;
        EXPECT_EQ(device.flowControl(), FLOW_HARDWARE) << "flow control is never set";
        EXPECT_EQ(sleeps.Pauses(), std::vector<unsigned>{100});
    }
    // A missing port fails and leaves the state alone, with no pause after it.
    const boost::shared_ptr<State> before = current;
    PlainDevice device(&imp, &current);
    sleeps.Clear();
    EXPECT_FALSE(device.Open("/dev/pts/does-not-exist", "230400"));
    EXPECT_FALSE(device.Open("COM77", "230400"));
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(current, before);
    EXPECT_TRUE(sleeps.Pauses().empty());
}

TEST_F(DeviceTest, CloseSendsQuitCommandAndDestructorDoesNot) {
    BridgePeer peer;
    {
        WireTap<PlainDevice> device(sleeps, &imp, &current);
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        sleeps.Clear();
        device.Close();
        EXPECT_FALSE(device.isOpen());
        device.Close();  // closed already: nothing reaches the wire, the pauses still happen
        EXPECT_EQ(sleeps.Transcript(),
                  (std::vector<std::string>{"Write(#q)", "Sleep(20)", "Sleep(100)", "Sleep(20)",
                                            "Sleep(100)"}));
        ASSERT_TRUE(peer.WaitForText("#q"));
        EXPECT_EQ(peer.Received(), "#q");
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

TEST(PortDiscoveryTest, ListsOnlyTheDriversVirtualPorts) {
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

    // The windows set the latency of their own port; an unknown name touches nothing.
    BridgePeer peer(QStringLiteral("COM8"));
    SetLatencyTimer("COM40", 3);
    EXPECT_EQ(peer.LatencyTimer(), "16");
}

TEST_F(DeviceTest, EngineeringPortOpensAt921600BothWaysClosesSilentlyAndFailsHarmlessly) {
    BridgePeer peer;
    EngineeringDevice port;
    const int baudBefore = port.baudRate();
    EXPECT_FALSE(port.Open("/dev/pts/does-not-exist"));
    EXPECT_FALSE(port.Open(QStringLiteral("COM77")));
    EXPECT_EQ(port.baudRate(), baudBefore) << "a failed open leaves the line settings alone";

    ASSERT_TRUE(port.Open(peer.PortName().toLatin1().constData()));
    EXPECT_EQ(port.openMode(), QIODevice::ReadWrite);
    EXPECT_EQ(LineFormat(peer), Format(B921600));
    port.write("ping", 4);
    EXPECT_TRUE(peer.WaitForText("ping"));
    peer.ClearReceived();
    port.Close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(peer.Received(), "") << "nothing is said to the bridge";
    ASSERT_TRUE(port.Open(peer.PortName()));
    EXPECT_EQ(port.openMode(), QIODevice::ReadOnly) << "the QString form only reads";
    port.Close();

    // A port that another device holds keeps that device's speed.
    PlainDevice holder(&imp, &current);
    ASSERT_TRUE(holder.Open(peer.PortName(), "230400"));
    EngineeringDevice second;
    EXPECT_FALSE(second.Open(peer.PortName()));
    EXPECT_EQ(second.baudRate(), baudBefore);
    EXPECT_EQ(LineFormat(peer), Format(B230400));
}
