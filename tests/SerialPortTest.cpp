#include <dirent.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "BridgePeer.h"
#include "EventPump.h"
#include "MessageCapture.h"
#include "Win_QextSerialPort.h"

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
        // The direct observer is connected first, so it has run before the
        // queued read can reach the GUI thread.
        QObject::connect(
            &port, &QIODevice::readyRead, &_context,
            [this] { emittedOffGuiThread = QThread::currentThread() != qApp->thread(); },
            Qt::DirectConnection);
        QObject::connect(&port, &QIODevice::readyRead, &_context, [this] { ReadAll(); });
    }
    void ReadAll() {
        ++announcements;
        char buffer[8192];
        for (;;) {
            const qint64 count = _port.read(buffer, sizeof(buffer));
            if (count <= 0) {
                break;
            }
            text.append(buffer, static_cast<size_t>(count));
            largestRead = std::max(largestRead, count);
        }
    }

    Win_QextSerialPort& _port;
    QObject _context;
    std::string text;
    int announcements = 0;
    qint64 largestRead = 0;
    std::atomic<bool> emittedOffGuiThread{false};
};

speed_t OutputSpeed(const BridgePeer& peer) {
    termios settings{};
    peer.LineSettings(&settings);
    return cfgetospeed(&settings);
}

}  // namespace

TEST(SerialPortTest, IsNeverCopied) {
    static_assert(!std::is_copy_constructible_v<Win_QextSerialPort>);
    static_assert(!std::is_copy_assignable_v<Win_QextSerialPort>);
}

TEST(SerialPortTest, ClosedPortReportsNothingWaiting) {
    Win_QextSerialPort port(QStringLiteral("COM3"), QextSerialBase::EventDriven);
    EXPECT_EQ(port.bytesAvailable(), 0);
    EXPECT_EQ(port.size(), 0);
    EXPECT_EQ(port.lineStatus(), 0u);
    EXPECT_TRUE(port.isSequential());
    EXPECT_FALSE(port.waitForReadyRead(10));
}

TEST(SerialPortTest, DefaultsAndConstructorsStoreSettings) {
    Win_QextSerialPort plain;
    EXPECT_EQ(plain.portName(), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(plain.baudRate(), BAUD115200);
    EXPECT_EQ(plain.dataBits(), DATA_8);
    EXPECT_EQ(plain.parity(), PAR_NONE);
    EXPECT_EQ(plain.stopBits(), STOP_1);
    EXPECT_EQ(plain.flowControl(), FLOW_HARDWARE);
    EXPECT_EQ(plain.queryMode(), QextSerialBase::Polling);

    const PortSettings settings{BAUD9600, DATA_7, PAR_EVEN, STOP_2, FLOW_OFF, 100};
    Win_QextSerialPort configured(QStringLiteral("COM4"), settings, QextSerialBase::EventDriven);
    EXPECT_EQ(configured.baudRate(), BAUD9600);
    EXPECT_EQ(configured.dataBits(), DATA_7);
    EXPECT_EQ(configured.parity(), PAR_EVEN);
    EXPECT_EQ(configured.stopBits(), STOP_2);
    EXPECT_EQ(configured.flowControl(), FLOW_OFF);
    EXPECT_EQ(configured.queryMode(), QextSerialBase::EventDriven);
}

TEST(SerialPortTest, UnusableNamesFailWithoutLeakingAndCanBeRetried) {
    BridgePeer peer;
    QTemporaryDir dir;
    const QString plainFile = dir.filePath("not-a-tty");
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const int before = OpenDescriptorCount();
    for (const QString& name : {QStringLiteral("/dev/pts/does-not-exist"), QStringLiteral("COM99"),
                                plainFile, QStringLiteral("/dev/null")}) {
        Win_QextSerialPort port(name, QextSerialBase::EventDriven);
        EXPECT_FALSE(port.open(QIODevice::ReadWrite)) << name.toStdString();
        EXPECT_FALSE(port.isOpen());
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

TEST(SerialPortTest, PortNamesResolveThroughTheRegistryPortMap) {
    BridgePeer peer(QStringLiteral("COM12"));
    Win_QextSerialPort port(QStringLiteral("COM12"), QextSerialBase::EventDriven);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    EXPECT_EQ(port.portName(), QStringLiteral("COM12"));
    port.write("x", 1);
    EXPECT_TRUE(peer.WaitForText("x"));
}

TEST(SerialPortTest, SettersReachTheLineOnlyAfterOpen) {
    BridgePeer peer;
    termios cooked{};
    peer.LineSettings(&cooked);
    cooked.c_lflag |= ICANON | ECHO;
    cooked.c_iflag |= ICRNL;
    cooked.c_oflag |= OPOST | ONLCR;
    cfsetospeed(&cooked, B9600);
    cfsetispeed(&cooked, B9600);
    ASSERT_TRUE(peer.SetLineSettings(cooked));

    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    port.setBaudRate(BAUD460800);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    EXPECT_EQ(OutputSpeed(peer), B9600) << "a setter before open only stores";

    termios raw{};
    peer.LineSettings(&raw);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(raw.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF), 0u);
    EXPECT_EQ(raw.c_oflag & OPOST, 0u);

    port.setBaudRate(BAUD230400);
    EXPECT_EQ(OutputSpeed(peer), B230400);
    port.setBaudRate(BAUD460800);
    EXPECT_EQ(OutputSpeed(peer), B460800);
}

TEST(SerialPortTest, BaudRateTableStoresAndWarns) {
    BridgePeer peer;
    MessageCapture messages;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);

    port.setBaudRate(BAUD50);
    EXPECT_EQ(port.baudRate(), BAUD110) << "closed: stored as 110 baud, nothing printed";
    port.setBaudRate(BAUD76800);
    EXPECT_EQ(port.baudRate(), BAUD57600);
    EXPECT_TRUE(messages.Messages().empty());

    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    port.setBaudRate(BAUD230400);
    EXPECT_EQ(OutputSpeed(peer), B230400);
    EXPECT_TRUE(messages.Messages().empty()) << "230400 prints nothing";

    port.setBaudRate(BAUD921600);
    EXPECT_EQ(OutputSpeed(peer), B921600);
    EXPECT_TRUE(messages.Contains(
        "Win_QextSerialPort Portability Warning: POSIX does not support 921600 baud operation."));

    messages.Clear();
    port.setBaudRate(BAUD50);
    EXPECT_EQ(port.baudRate(), BAUD110);
    EXPECT_EQ(OutputSpeed(peer), B110);
    EXPECT_EQ(messages.Messages(),
              std::vector<std::string>{"Win_QextSerialPort: Windows does not support 50 baud "
                                       "operation.  Switching to 110 baud."});

    port.setBaudRate(BAUD1800);
    EXPECT_EQ(port.baudRate(), BAUD1200);
    EXPECT_EQ(OutputSpeed(peer), B1200);

    port.setBaudRate(99);
    EXPECT_EQ(port.baudRate(), 99) << "an unknown index is stored";
    EXPECT_EQ(OutputSpeed(peer), B1200) << "and changes nothing on the line";
}

TEST(SerialPortTest, StopAndDataBitClashesAreRefusedWithTheirMessages) {
    BridgePeer peer;
    MessageCapture messages;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    port.setStopBits(STOP_1);
    port.setDataBits(DATA_5);
    EXPECT_EQ(port.dataBits(), DATA_5);
    termios line{};

    port.setStopBits(STOP_2);
    EXPECT_TRUE(
        messages.Contains("Win_QextSerialPort: 2 stop bits cannot be used with 5 data bits"));
    EXPECT_EQ(port.stopBits(), STOP_1) << "index not stored";
    peer.LineSettings(&line);
    EXPECT_EQ(line.c_cflag & CSTOPB, 0u) << "line unchanged";

    messages.Clear();
    port.setDataBits(DATA_8);
    port.setStopBits(STOP_1_5);
    EXPECT_EQ(messages.Messages(),
              (std::vector<std::string>{
                  "Win_QextSerialPort Portability Warning: 1.5 stop bit operation is not "
                  "supported by POSIX.",
                  "Win_QextSerialPort: 1.5 stop bits can only be used with 5 data bits"}));
    EXPECT_EQ(port.stopBits(), STOP_1);

    port.setStopBits(STOP_2);
    peer.LineSettings(&line);
    EXPECT_NE(line.c_cflag & CSTOPB, 0u);
    messages.Clear();
    port.setDataBits(DATA_5);
    EXPECT_EQ(messages.Messages(),
              std::vector<std::string>{"Win_QextSerialPort: 5 Data bits cannot "
                                       "be used with 2 stop bits."});
    EXPECT_EQ(port.dataBits(), DATA_8);

    messages.Clear();
    port.setParity(PAR_MARK);
    EXPECT_TRUE(messages.Contains(
        "Win_QextSerialPort Portability Warning:  Mark parity is not supported by POSIX systems"));
    EXPECT_EQ(port.parity(), PAR_MARK);
    // (A pseudo-terminal keeps 8 bits without parity whatever it is told.)
}

TEST(SerialPortTest, ReadyReadComesFromTheEventThreadAndBytesAreExact) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    Reader reader(port);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));

    peer.SendRaw("Master version\r\nwith \r\n raw bytes\x01\xff");
    ASSERT_TRUE(PumpUntil([&] { return reader.text.size() >= 33; }));
    EXPECT_EQ(reader.text, std::string("Master version\r\nwith \r\n raw bytes\x01\xff"));
    EXPECT_TRUE(reader.emittedOffGuiThread);

    EXPECT_EQ(port.write("#q", 2), 2);
    ASSERT_TRUE(peer.WaitForBytes(2));
    EXPECT_EQ(peer.Received(), "#q") << "no line end, no translation";
}

TEST(SerialPortTest, WriteOwnsNoCallerBytesAfterItReturns) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    std::string expected;
    std::vector<char> buffer(200000);
    for (size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<char>('a' + i % 26);
    }
    expected.assign(buffer.begin(), buffer.end());
    EXPECT_EQ(port.write(buffer.data(), static_cast<qint64>(buffer.size())),
              static_cast<qint64>(buffer.size()));
    std::fill(buffer.begin(), buffer.end(), '!');
    EXPECT_EQ(port.write("end", 3), 3);
    port.flush();
    ASSERT_TRUE(peer.WaitForBytes(expected.size() + 3, 5000));
    EXPECT_TRUE(peer.Received() == expected + "end");
}

TEST(SerialPortTest, MegabyteOfRepliesArrivesCompleteAndInOrder) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    Reader reader(port);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));

    std::vector<std::string> lines;
    std::string expected;
    while (expected.size() < (1u << 20)) {
        lines.push_back("S " + std::to_string(lines.size()) + " 0123 4567 89AB CDEF 0011 2233");
        expected += lines.back() + '\r';
    }
    peer.Stream(lines);
    ASSERT_TRUE(PumpUntil([&] { return reader.text.size() >= expected.size(); }, 30000))
        << reader.text.size() << " of " << expected.size();
    EXPECT_TRUE(reader.text == expected) << "bytes lost or out of order";
}

TEST(SerialPortTest, BytesArrivingWhileTheGuiThreadBlocksAreKept) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const std::string block(300000, 'r');
    peer.SendRaw(block);
    ASSERT_TRUE(peer.WaitUntilSent(5000)) << "the port keeps draining the tty";
    ASSERT_TRUE(
        PumpUntil([&] { return port.bytesAvailable() == static_cast<qint64>(block.size()); }));
    char buffer[8192];
    EXPECT_EQ(port.read(buffer, sizeof(buffer)), 8192) << "one read can return a large block";
}

TEST(SerialPortTest, PulledAdapterEndsTheEventThreadAndTheNameCanReopen) {
    BridgePeer peer(QStringLiteral("COM5"));
    MessageCapture messages;
    Win_QextSerialPort port(QStringLiteral("COM5"), QextSerialBase::EventDriven);
    Reader reader(port);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    peer.SendLine("last words");
    ASSERT_TRUE(PumpUntil([&] { return reader.text == "last words\r"; }));

    peer.HangUp();
    ASSERT_TRUE(PumpUntil([&] {
        return messages.Contains("Comm event overlapped error") ||
               messages.Contains("WaitCommEvent error");
    }));
    EXPECT_EQ(port.write("n", 1), -1);
    EXPECT_EQ(port.lastError(), static_cast<unsigned long>(E_WRITE_FAILED));

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.open(QIODevice::ReadWrite)) << "the device is gone";

    peer.Reconnect();
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const int announcementsBefore = reader.announcements;
    peer.SendLine("back again");
    ASSERT_TRUE(PumpUntil([&] { return reader.text.find("back again\r") != std::string::npos; }));
    EXPECT_GT(reader.announcements, announcementsBefore);
}

TEST(SerialPortTest, CloseStopsTheEventThreadAndLaterBytesRaiseNothing) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::EventDriven);
    Reader reader(port);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(port.open(QIODevice::ReadWrite));
        port.close();
    }
    EXPECT_FALSE(port.isOpen());
    peer.SendLine("nobody listens");
    ASSERT_TRUE(peer.WaitUntilSent());
    QCoreApplication::processEvents();
    QThread::msleep(50);
    QCoreApplication::processEvents();
    EXPECT_EQ(reader.announcements, 0);
}

TEST(SerialPortTest, PollingModeReadsWithItsTimeout) {
    BridgePeer peer;
    Win_QextSerialPort port(peer.PortName(), QextSerialBase::Polling);
    port.setTimeout(50);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    QElapsedTimer timer;
    timer.start();
    char buffer[16] = {};
    EXPECT_EQ(port.read(buffer, sizeof(buffer)), 0);
    EXPECT_GE(timer.elapsed(), 40) << "an empty read waits for the time-out";

    peer.SendLine("abc\ndef");
    ASSERT_TRUE(peer.WaitUntilSent());
    ASSERT_TRUE(PumpUntil([&] { return port.bytesAvailable() >= 8; }));
    char line[32] = {};
    EXPECT_EQ(port.readLine(line, sizeof(line)), 4);
    EXPECT_STREQ(line, "abc\n");
    EXPECT_EQ(port.readLine(line, 1), -1);
}
