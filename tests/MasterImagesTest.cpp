#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "MasterImages.h"

using morvex_gui::MasterImages;
using morvex_gui::MasterPages;

namespace {

constexpr int kPages = 112;
const std::string kEnd = ":00000001FF";

// One type-00 record with a correct checksum.
std::string Record(unsigned address, const std::vector<unsigned char>& data) {
    char head[16];
    std::snprintf(head, sizeof head, ":%02X%04X00", static_cast<unsigned>(data.size()), address);
    std::string line = head;
    unsigned sum = data.size() + (address >> 8) + (address & 0xFF);
    for (unsigned char byte : data) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        line += pair;
        sum += byte;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + check;
}

// `count` bytes from `address` (byte i has the value of its address's low
// byte), as records of 16 bytes.
std::vector<std::string> Image(unsigned address, unsigned count) {
    std::vector<std::string> lines;
    for (unsigned done = 0; done < count; done += 16) {
        std::vector<unsigned char> data;
        for (unsigned i = done; i < count && i < done + 16; ++i) {
            data.push_back(static_cast<unsigned char>((address + i) & 0xFF));
        }
        lines.push_back(Record(address + done, data));
    }
    return lines;
}

class MasterImagesTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::vector<std::string>& lines, const char* lineEnd = "\n") {
        std::string text;
        for (const std::string& line : lines) {
            text += line + lineEnd;
        }
        return WriteRaw(text);
    }

    std::string WriteRaw(const std::string& text) {
        const QString path = dir.filePath(QStringLiteral("image%1.hex").arg(++files));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path.toStdString();
    }

    // Load and Parse as the downloader does; the pages are left in `pages`.
    bool Read(const std::vector<std::string>& lines, int pageCount = kPages) {
        MasterImages image(pageCount);
        pages.clear();
        if (!image.Load(WriteFile(lines).c_str())) {
            return false;
        }
        const bool parsed = image.Parse(pages);
        error = image.ErrorText();
        return parsed;
    }

    static bool AllBlank(const std::vector<unsigned char>& page) {
        return page.size() == 128 &&
               std::all_of(page.begin(), page.end(), [](unsigned char b) { return b == 0xFF; });
    }

    QTemporaryDir dir;
    int files = 0;
    MasterPages pages;
    std::string error;
};

}  // namespace

TEST_F(MasterImagesTest, FillsFixedPagesAndBlanksWhatNoRecordSupplies) {
    // Three records from 0x0100: each lands at its own address.
    std::vector<std::string> lines = Image(0x0100, 40);
    lines.push_back(kEnd);
    lines.push_back(Record(0x0000, {0x11}));  // after the end record: not read
    ASSERT_TRUE(Read(lines));
    ASSERT_EQ(pages.size(), 112u);
    for (const auto& page : pages) {
        EXPECT_EQ(page.size(), 128u);
    }
    EXPECT_TRUE(AllBlank(pages[0]));
    EXPECT_TRUE(AllBlank(pages[1]));
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(pages[2][i], i) << i;
    }
    EXPECT_EQ(pages[2][40], 0xFF);
    EXPECT_TRUE(AllBlank(pages[3]));
    EXPECT_TRUE(AllBlank(pages[111]));
}

TEST_F(MasterImagesTest, GapStartingAtAPageBoundaryStartsANewPage) {
    std::vector<std::string> lines = Image(0x0000, 128);
    lines.push_back(Record(0x0100, {0xAB, 0xCD}));
    lines.push_back(kEnd);
    ASSERT_TRUE(Read(lines));
    ASSERT_EQ(pages.size(), 112u);
    EXPECT_EQ(pages[0][127], 127);
    EXPECT_TRUE(AllBlank(pages[1]));
    EXPECT_EQ(pages[2][0], 0xAB);
    EXPECT_EQ(pages[2][1], 0xCD);
    EXPECT_EQ(pages[2][2], 0xFF);
}

TEST_F(MasterImagesTest, ImageOfExactlyThePageCountFitsAndOneMoreByteDoesNot) {
    std::vector<std::string> full = Image(0x0000, 112 * 128);
    ASSERT_TRUE(Read(full));
    ASSERT_EQ(pages.size(), 112u);
    EXPECT_EQ(pages[111][0], (111 * 128) & 0xFF);
    EXPECT_EQ(pages[111][127], 0xFF & (112 * 128 - 1));

    full.push_back(Record(112 * 128, {0x00}));
    EXPECT_FALSE(Read(full));
    EXPECT_TRUE(pages.empty());
    EXPECT_NE(error.find("112 pages"), std::string::npos) << error;

    // A record far beyond the image is refused the same way.
    EXPECT_FALSE(Read({Record(0xFFF0, {1, 2, 3})}));
    EXPECT_TRUE(pages.empty());
}

TEST_F(MasterImagesTest, RecordsAreTakenInFileOrderAndNeverOverwrite) {
    ASSERT_TRUE(Read({Record(0x0010, {1, 2}), Record(0x0000, {3, 4}), kEnd}));
    EXPECT_TRUE(std::all_of(pages[0].begin(), pages[0].begin() + 16,
                            [](unsigned char b) { return b == 0xFF; }));
    EXPECT_EQ(pages[0][16], 1);
    EXPECT_EQ(pages[0][17], 2);
    EXPECT_EQ(pages[0][18], 3);
    EXPECT_EQ(pages[0][19], 4);
}

TEST_F(MasterImagesTest, ChecksumIsNotVerifiedAndTheByteCountMovesTheAddress) {
    // Count 04 with two data bytes and a wrong checksum: the address still
    // advances by four, so the next record at 4 follows directly.
    ASSERT_TRUE(Read({":040000000102EE", ":0100040007F4", kEnd}));
    EXPECT_EQ(pages[0][0], 0x01);
    EXPECT_EQ(pages[0][1], 0x02);
    EXPECT_EQ(pages[0][2], 0x07);
    EXPECT_EQ(pages[0][3], 0xFF);
}

TEST_F(MasterImagesTest, LowerCaseDigitsAndCrLfLineEndsReadTheSame) {
    std::vector<std::string> lines = {":02001000abcdee", ":00000001ff"};
    MasterImages crlf(kPages);
    ASSERT_TRUE(crlf.Load(WriteFile(lines, "\r\n").c_str()));
    EXPECT_EQ(crlf.Lines(), std::vector<std::string>{":02001000abcdee"});
    MasterPages fromCrlf;
    ASSERT_TRUE(crlf.Parse(fromCrlf));
    ASSERT_TRUE(Read(lines));
    EXPECT_EQ(fromCrlf, pages);
    EXPECT_EQ(pages[0][16], 0xAB);
    EXPECT_EQ(pages[0][17], 0xCD);
}

TEST_F(MasterImagesTest, BrokenFilesAreRefusedWithAReasonAndNoPages) {
    // Only the end record: nothing to read.
    MasterImages onlyEnd(kPages);
    EXPECT_FALSE(onlyEnd.Load(WriteFile({kEnd}).c_str()));
    EXPECT_FALSE(onlyEnd.ErrorText().empty());

    MasterImages missing(kPages);
    EXPECT_FALSE(missing.Load(dir.filePath("none.hex").toStdString().c_str()));
    EXPECT_EQ(missing.ErrorText(), "The file cannot be opened.");

    // An extended address record, a blank line and any other text are refused.
    EXPECT_FALSE(Read({":020000040000FA", Record(0, {1}), kEnd}));
    EXPECT_EQ(error, "Line 1 is not a data record with a 16-bit address.");
    EXPECT_TRUE(pages.empty());

    std::vector<std::string> blankAtEnd = Image(0, 300);
    blankAtEnd.push_back("");  // a file without end record, left with a blank line
    EXPECT_FALSE(Read(blankAtEnd));
    EXPECT_TRUE(pages.empty()) << "no page of a broken image is handed out";

    EXPECT_FALSE(Read({Record(0, {1}), "garbage", kEnd}));
    EXPECT_FALSE(Read({":0100000001FE ", kEnd})) << "trailing blank";
    EXPECT_FALSE(Read({":00000000", kEnd})) << "a record needs a data byte";
}
