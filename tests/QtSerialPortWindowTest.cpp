#include <gtest/gtest.h>

#include <QIODevice>
#include <QPushButton>
#include <boost/make_shared.hpp>
#include <functional>

#include "QtSerialPortWindow.h"
#include "State.h"

using morvex_gui::State;
using morvex_gui_qtlib::QtSerialPortWindow;

namespace {

// A port stand-in: bytes fed by the test come out of one read each, as from
// the serial port's input queue.
class FeedDevice : public QIODevice {
public:
    FeedDevice() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    void Feed(const QByteArray& bytes) {
        _data += bytes;
        emit readyRead();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return _data.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, _data.size());
        std::memcpy(data, _data.constData(), static_cast<size_t>(n));
        _data.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray _data;
};

// Records the lines it is given; a hook lets a line switch the mode.
class RecordingState : public State {
public:
    RecordingState(std::vector<std::string>* log, std::string name)
        : State(nullptr, ""), _log(log), _name(std::move(name)) {}
    void Parse(const char* data) override {
        if (onParse) {
            onParse();
        }
        _log->push_back(_name + ":" + data);  // touches this after the hook ran
    }
    std::function<void()> onParse;

private:
    std::vector<std::string>* _log;
    std::string _name;
};

// The base's own read slot: the lines of the last read stay in Lines().
class BaseReader : public QtSerialPortWindow {
public:
    BaseReader() {
        _overflowButton = new QPushButton(QStringLiteral("Overflow"), this);
        SetPortDevice(&port);
        CreateDevice();
    }
    bool Overflowed() const { return _overflowButton->styleSheet().contains("background:red"); }

    FeedDevice port;
};

// A derived window's read slot: read, then hand the lines to the state.
class TestWindow : public BaseReader {
public:
    void ReadSerialPort() override {
        if (ReadPort()) {
            ParseLines(current);
        }
    }

    boost::shared_ptr<State> current;
};

TEST(QtSerialPortWindowTest, ALineSplitAcrossReadsComesOutWhole) {
    BaseReader window;
    window.port.Feed(QByteArray("12\r34", 5));
    EXPECT_EQ(window.Lines(), std::vector<std::string>{"12"});
    EXPECT_EQ(window.PendingLength(), 2);
    window.port.Feed("\r");
    EXPECT_EQ(window.Lines(), std::vector<std::string>{"34"});
    EXPECT_EQ(window.PendingLength(), 0);
}

TEST(QtSerialPortWindowTest, NothingAvailableChangesNothing) {
    BaseReader window;
    window.port.Feed("a\rb");
    emit window.port.readyRead();
    EXPECT_EQ(window.Lines(), std::vector<std::string>{"a"});
    EXPECT_EQ(window.PendingLength(), 1);
    EXPECT_EQ(window.BytesAvailable(), 0);
}

TEST(QtSerialPortWindowTest, OneReadOf4096BytesIsAnOverflow) {
    BaseReader window;
    window.port.Feed(QByteArray(4094, 'x') + "\r");
    window.port.Feed("y");  // 4095 bytes in all: accepted
    EXPECT_FALSE(window.Overflowed());
    EXPECT_EQ(window.PendingLength(), 1);

    window.port.Feed(QByteArray(2000, 'z') + "\r" + QByteArray(2095, 'z'));
    EXPECT_TRUE(window.Overflowed());
    EXPECT_EQ(window.PendingLength(), 0);
    EXPECT_TRUE(window.Lines().empty());
}

TEST(QtSerialPortWindowTest, PendingTextThatWouldPassTheBufferIsAnOverflow) {
    BaseReader window;
    window.port.Feed(QByteArray(4000, 'a'));
    window.port.Feed(QByteArray(4000, 'b'));
    EXPECT_EQ(window.PendingLength(), 8000);
    EXPECT_FALSE(window.Overflowed());

    window.port.Feed(QByteArray(300, 'c'));
    EXPECT_TRUE(window.Overflowed());
    EXPECT_EQ(window.PendingLength(), 0);

    // Reading goes on with the next bytes.
    window.port.Feed("ok\r");
    EXPECT_EQ(window.Lines(), std::vector<std::string>{"ok"});
}

TEST(QtSerialPortWindowTest, EachLineReachesTheStateCurrentWhenItComesUp) {
    TestWindow window;
    std::vector<std::string> log;
    auto first = boost::make_shared<RecordingState>(&log, "first");
    auto second = boost::make_shared<RecordingState>(&log, "second");
    window.current = first;
    // The first line switches the mode; the holder drops the running state.
    first->onParse = [&] {
        window.current = second;
        first.reset();
    };
    window.port.Feed("v1.0\rframe 1\rfra");
    window.port.Feed("me 2\r");
    const std::vector<std::string> expected{"first:v1.0", "second:frame 1", "second:frame 2"};
    EXPECT_EQ(log, expected);
}

TEST(QtSerialPortWindowTest, ANestedReadDoesNotPullLinesFromUnderTheLoop) {
    TestWindow window;
    std::vector<std::string> log;
    auto state = boost::make_shared<RecordingState>(&log, "s");
    window.current = state;
    bool nested = false;
    // A modal box opened by a state lets the next read run inside Parse.
    state->onParse = [&] {
        if (!nested) {
            nested = true;
            window.port.Feed("inner\r");
        }
    };
    window.port.Feed("a\rb\r");
    const std::vector<std::string> expected{"s:inner", "s:a", "s:b"};
    EXPECT_EQ(log, expected);
}

}  // namespace
