#include <gtest/gtest.h>

#include <QBuffer>
#include <boost/make_shared.hpp>
#include <cstring>
#include <functional>

#include "LineDispatch.h"
#include "LineSplitter.h"
#include "LogCapture.h"
#include "ReplyReader.h"
#include "State.h"

using morvex_gui::OverflowRule;
using morvex_gui::ReadResult;
using morvex_gui::ReplyReader;
using Lines = std::vector<std::string>;

namespace {

// A port stand-in: what the test feeds comes out of the next read, as from the
// serial port's input queue.
class FeedDevice : public QBuffer {
public:
    FeedDevice() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    void Feed(const std::string& bytes) {
        buffer().append(bytes.data(), static_cast<qsizetype>(bytes.size()));
        emit readyRead();
    }
};

// Records the lines it is given, after a hook that may read again or throw.
class RecordingState : public morvex_gui::State {
public:
    explicit RecordingState(Lines* log) : State(nullptr, ""), _log(log) {}
    void Parse(const char* data) override {
        onParse(data);
        _log->push_back(data);
    }
    std::function<void(const std::string&)> onParse;

private:
    Lines* _log;
};

Lines SplitBuffer(const std::string& text, std::string* rest) {
    char buffer[64] = {};
    std::memcpy(buffer, text.data(), text.size());
    int length = static_cast<int>(text.size());
    Lines lines;
    SplitLines(buffer, &length, &lines);
    rest->assign(buffer, static_cast<size_t>(length));
    return lines;
}

}  // namespace

TEST(ReplyReaderTest, SplitLinesCutsAtEveryCarriageReturnAndKeepsTheTail) {
    const struct {
        std::string buffer;
        Lines lines;
        std::string rest;
    } cases[] = {
        {"abc\rdef\r", {"abc", "def"}, ""},
        {"abc\rde", {"abc"}, "de"},
        {"abc", {}, "abc"},
        {"\r\r", {"", ""}, ""},
        {"a\r\nb\r", {"a", "\nb"}, ""},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        std::string rest;
        EXPECT_EQ(SplitBuffer(c.buffer, &rest), c.lines) << c.buffer;
        EXPECT_EQ(rest, c.rest) << c.buffer;
    }
}

// Each row: the reads in order; the result, lines and pending text of the last.
TEST(ReplyReaderTest, TheOverflowRuleIsTheCallersChoice) {
    const std::string run(3000, 'a');
    const std::string big = std::string(4095, '.') + "\r";
    const struct {
        OverflowRule rule;
        std::vector<std::string> reads;
        ReadResult result;
        size_t lines;
        int pending;
    } cases[] = {
        {OverflowRule::DropBurst, {"12\r34"}, ReadResult::Read, 1, 2},
        {OverflowRule::DropBurst, {"12\r34", "\r"}, ReadResult::Read, 1, 0},
        {OverflowRule::DropBurst, {big.substr(1)}, ReadResult::Read, 1, 0},
        {OverflowRule::DropBurst, {"half", big}, ReadResult::Overflow, 0, 0},
        {OverflowRule::DropBurst, {run, run, run}, ReadResult::Overflow, 0, 0},
        {OverflowRule::KeepBurst, {"half", big}, ReadResult::Read, 1, 0},
        {OverflowRule::KeepBurst, {run, run, run}, ReadResult::Overflow, 0, 3000},
        {OverflowRule::KeepBurst, {run, run, "x\r" + run}, ReadResult::Overflow, 1, 3000},
        {OverflowRule::KeepBurst, {""}, ReadResult::Nothing, 0, 0},
        // Nothing waiting leaves the last read's lines and the half line.
        {OverflowRule::DropBurst, {"12\r34", ""}, ReadResult::Nothing, 1, 2},
        // One read takes all the port holds, in reads under the rule.
        {OverflowRule::DropBurst,
         {std::string(9000, 'q') + "\rtail\r"},
         ReadResult::Overflow,
         2,
         0},
        {OverflowRule::KeepBurst,
         {std::string(9000, 'q') + "\rtail\r"},
         ReadResult::Overflow,
         2,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reads.size() * 100 + c.lines * 10 + (c.rule == OverflowRule::DropBurst));
        FeedDevice port;
        ReplyReader reader(c.rule);
        ReadResult result = ReadResult::Nothing;
        for (const std::string& read : c.reads) {
            port.Feed(read);
            result = reader.Read(port);
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(reader.Lines().size(), c.lines);
        EXPECT_EQ(reader.PendingLength(), c.pending);
    }
}

// A modal box opened by a state lets the next read run inside Parse: the
// nested read must not pull lines from under the loop. A line that makes a
// pattern give up is logged and skipped.
TEST(ReplyReaderTest, TheLoopWalksItsOwnLinesAndSkipsALineThatThrows) {
    LogCapture operationLog;
    FeedDevice port;
    ReplyReader reader(OverflowRule::DropBurst);
    Lines log;
    auto state = boost::make_shared<RecordingState>(&log);
    const boost::shared_ptr<morvex_gui::State> current = state;
    QObject::connect(&port, &QIODevice::readyRead, [&] {
        if (reader.Read(port) != ReadResult::Nothing) {
            morvex_gui::DispatchLines(reader.Lines(), current);
        }
    });
    state->onParse = [&](const std::string& line) {
        if (line == "a") {
            port.Feed("inner\r");
        }
        if (line.front() == '(') {
            throw std::runtime_error("pattern too complex");
        }
    };
    port.Feed("a\r( 29999999999999\rb\r");
    EXPECT_EQ(log, (Lines{"inner", "a", "b"}));
    EXPECT_TRUE(operationLog.Contains("pattern too complex"));
    EXPECT_TRUE(operationLog.Contains("( 29999999999999"));
}
