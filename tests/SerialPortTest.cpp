#include <dirent.h>
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <type_traits>

#include "BridgePeer.h"
#include "EventPump.h"
#include "LogCapture.h"
#include "Win_QextSerialPort.h"

// Copying would share the handle and close it twice.
static_assert(!std::is_copy_constructible_v<Win_QextSerialPort>);
static_assert(!std::is_copy_assignable_v<Win_QextSerialPort>);

namespace {

int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) {
            ++count;
        }
        closedir(dir);
    }
    return count;
}

// Reads everything a port announces, in the GUI thread, as the windows do.
struct Reader {
    explicit Reader(Win_QextSerialPort& port) : _port(port) {
        QObject::connect(&port, &QIODevice::readyRead, &_context, [this] {
            ++announcements;
            text += _port.readAll().toStdString();
        });
    }

    Win_QextSerialPort& _port;
    QObject _context;
    std::string text;
    int announcements = 0;
};

}  // namespace

TEST(SerialPortTest, UnusableNamesFailWithoutLeakingAndAPortOpensOnlyOnce) {
    BridgePeer peer;
    QTemporaryDir dir;
    const QString plainFile = dir.filePath("not-a-tty");
    QFile(plainFile).open(QIODevice::WriteOnly);
    const int before = OpenDescriptorCount();
    for (const QString& name : {QStringLiteral("/dev/pts/does-not-exist"), QStringLiteral("COM99"),
                                plainFile, QStringLiteral("/dev/null")}) {
        Win_QextSerialPort port(name, QextSerialBase::EventDriven);
        EXPECT_FALSE(port.open(QIODevice::ReadWrite)) << name.toStdString();
        EXPECT_EQ(port.bytesAvailable(), 0);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);

    Win_QextSerialPort first(peer.PortName(), QextSerialBase::EventDriven);
    ASSERT_TRUE(first.open(QIODevice::ReadWrite));
    Win_QextSerialPort second(peer.PortName(), QextSerialBase::EventDriven);
    EXPECT_FALSE(second.open(QIODevice::ReadWrite)) << "a port in use must not open twice";
    EXPECT_FALSE(first.open(QIODevice::ReadWrite)) << "an open port does not open again";
    EXPECT_TRUE(first.isOpen());
    first.close();
    EXPECT_TRUE(second.open(QIODevice::ReadWrite)) << "free again after close";
}

TEST(SerialPortTest, WriteOwnsNoCallerBytesAfterItReturns) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    std::string buffer(200000, ' ');
    for (size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<char>('a' + i % 26);
    }
    const std::string expected = buffer + "end";
    EXPECT_EQ(port.write(buffer.data(), static_cast<qint64>(buffer.size())),
              static_cast<qint64>(buffer.size()));
    std::fill(buffer.begin(), buffer.end(), '!');
    EXPECT_EQ(port.write("end", 3), 3);
    ASSERT_TRUE(peer.WaitForBytes(expected.size(), 5000));
    EXPECT_TRUE(peer.Received() == expected);
}

TEST(SerialPortTest, PulledAdapterEndsTheEventThreadAndTheComNameCanReopen) {
    BridgePeer peer(QStringLiteral("COM12"));
    Win_QextSerialPort port(QStringLiteral("COM12"), QextSerialBase::EventDriven);
    Reader reader(port);
    LogCapture operationLog;
    QSignalSpy hungUp(&port, &Win_QextSerialPort::hungUp);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    EXPECT_EQ(port.portName(), QStringLiteral("COM12"));
    peer.SendLine("last words");
    ASSERT_TRUE(PumpUntil([&] { return reader.text == "last words\r"; }));

    peer.HangUp();
    // The window hears of it; the error goes to the operation log, not the console.
    ASSERT_TRUE(PumpUntil([&] { return hungUp.count() == 1; }));
    EXPECT_TRUE(operationLog.Contains("Comm event overlapped error") ||
                operationLog.Contains("WaitCommEvent error"));
    ASSERT_TRUE(PumpUntil([&] { return port.write("n", 1) == -1; }));
    EXPECT_EQ(port.lastError(), static_cast<unsigned long>(E_WRITE_FAILED));
    port.close();
    EXPECT_FALSE(port.open(QIODevice::ReadWrite)) << "the device is gone";

    peer.Reconnect();
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    peer.SendLine("back again");
    ASSERT_TRUE(PumpUntil([&] { return reader.text.find("back again\r") != std::string::npos; }));
}

TEST(SerialPortTest, CloseStopsTheEventThreadAndLaterBytesRaiseNothing) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    Reader reader(port);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(port.open(QIODevice::ReadWrite));
        port.close();
    }
    peer.SendLine("nobody listens");
    ASSERT_TRUE(peer.WaitUntilSent());
    PumpFor(50);
    EXPECT_EQ(reader.announcements, 0);
}
