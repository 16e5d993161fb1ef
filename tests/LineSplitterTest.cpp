#include <gtest/gtest.h>

#include <cstring>

#include "LineSplitter.h"

namespace {

struct Split {
    std::vector<std::string> lines;
    std::string rest;
};

Split SplitBuffer(const std::string& text) {
    char buffer[64] = {};
    std::memcpy(buffer, text.data(), text.size());
    int length = static_cast<int>(text.size());
    Split result;
    SplitLines(buffer, &length, &result.lines);
    result.rest.assign(buffer, length);
    return result;
}

}  // namespace

TEST(LineSplitterTest, BufferFormCutsCompleteLinesAndKeepsTheTail) {
    auto s = SplitBuffer("abc\rdef\r");
    EXPECT_EQ(s.lines, (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(s.rest, "");

    s = SplitBuffer("abc\rde");
    EXPECT_EQ(s.lines, (std::vector<std::string>{"abc"}));
    EXPECT_EQ(s.rest, "de");

    s = SplitBuffer("abc");
    EXPECT_TRUE(s.lines.empty());
    EXPECT_EQ(s.rest, "abc");

    s = SplitBuffer("\r\r");
    EXPECT_EQ(s.lines, (std::vector<std::string>{"", ""}));

    s = SplitBuffer("a\r\nb\r");
    EXPECT_EQ(s.lines, (std::vector<std::string>{"a", "\nb"}));

    s = SplitBuffer("");
    EXPECT_TRUE(s.lines.empty());
    EXPECT_EQ(s.rest, "");
}

TEST(LineSplitterTest, TailJoinsTheNextReadAcrossACarriageReturnBoundary) {
    char buffer[32] = "de";
    int length = 2;
    std::vector<std::string> lines;
    std::memcpy(buffer + length, "x", 1);
    length += 1;
    SplitLines(buffer, &length, &lines);
    EXPECT_TRUE(lines.empty());
    // The carriage return arrives alone in the next read.
    buffer[length++] = '\r';
    SplitLines(buffer, &length, &lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"dex"}));
    EXPECT_EQ(length, 0);
}

TEST(LineSplitterTest, TextForm) {
    std::string text = "one\rtwo\rthr";
    std::vector<std::string> lines;
    SplitLines(text, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(text, "thr");
    text += "ee\r";
    SplitLines(text, lines);
    EXPECT_EQ(lines.back(), "three");
    EXPECT_TRUE(text.empty());
}

TEST(LineSplitterTest, TokenFunctions) {
    const boost::regex hexByte("([0-9A-Fa-f]{2})");
    std::vector<short> words;
    ParseHexWords("34 12 FF FF AB", words, hexByte);
    EXPECT_EQ(words, (std::vector<short>{0x1234, -1}));

    std::vector<unsigned char> bytes;
    ParseHexBytes("0A ff 1FF", bytes, boost::regex("[0-9A-Fa-f]+"));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0x0A, 0xFF, 0xFF}));

    std::vector<std::string> tokens;
    Tokenize("a1 b22 c333", tokens, boost::regex("\\d+"));
    EXPECT_EQ(tokens, (std::vector<std::string>{"1", "22", "333"}));
}
