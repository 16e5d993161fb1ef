#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "IntelHex.h"
#include "MasterImages.h"
#include "SlaveImages.h"
#include "TempProgramDir.h"

using intel_hex::Record;
using morvex_gui::MasterImages;
using morvex_gui::MasterPages;
using morvex_gui::SlaveImages;

namespace {

constexpr int kPages = 112;
const std::vector<unsigned char> kSentinelPage(1, 0x5A);

class ImageReadersTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::vector<std::string>& lines, const char* lineEnd = "\n") {
        QByteArray text;
        for (const std::string& line : lines) {
            text += QByteArray::fromStdString(line) + lineEnd;
        }
        const QString name = QStringLiteral("image%1").arg(++files);
        dir.Write(name, text);
        return dir.File(name).toStdString();
    }

    // Load and Parse as the downloader does; a refused image leaves the
    // sentinel page alone in `pages`.
    bool ReadMaster(const std::vector<std::string>& lines, const char* lineEnd = "\n") {
        MasterImages image(kPages);
        pages.assign(1, kSentinelPage);
        const bool read = image.Load(WriteFile(lines, lineEnd).c_str()) && image.Parse(pages);
        error = image.ErrorText();
        if (read) {
            pages.erase(pages.begin());
        }
        return read;
    }

    // The flat image, so each byte can be checked by its address.
    std::vector<unsigned char> Flat() const {
        std::vector<unsigned char> bytes;
        for (const auto& page : pages) {
            bytes.insert(bytes.end(), page.begin(), page.end());
        }
        return bytes;
    }

    bool BuildSlave(SlaveImages& image, const std::vector<std::string>& lines,
                    std::vector<std::string>& commands) {
        return image.Load(WriteFile(lines, "\r\n").c_str()) && image.BuildCommands(&commands);
    }

    TempProgramDir dir;
    int files = 0;
    MasterPages pages;
    std::string error;
};

std::string SlaveRecord(const std::string& kind, char fill = '7') {
    return "$" + kind + std::string(284, fill);
}

std::string CommandFor(const std::string& recordLine, char suffix) {
    return "w" + recordLine.substr(1) + suffix;
}

}  // namespace

TEST_F(ImageReadersTest, MasterRecordsLandAtTheirAddressesWithBlanksBetween) {
    std::vector<unsigned char> forty(40);
    for (int i = 0; i < 40; ++i) {
        forty[i] = static_cast<unsigned char>(i);
    }
    // Out of order, lower case, CR LF; what follows the end record is not read.
    ASSERT_TRUE(ReadMaster({Record(0x0128, {0xAB}), Record(0x0100, forty), ":01000000ab54",
                            intel_hex::kEnd, "garbage"},
                           "\r\n"))
        << error;
    ASSERT_EQ(pages.size(), 112u);
    const std::vector<unsigned char> bytes = Flat();
    ASSERT_EQ(bytes.size(), 112u * 128);
    EXPECT_EQ(bytes[0], 0xAB) << "lower-case digits";
    EXPECT_EQ(std::count(bytes.begin() + 1, bytes.begin() + 0x100, 0xFF), 0xFF);
    EXPECT_TRUE(std::equal(forty.begin(), forty.end(), bytes.begin() + 0x100));
    EXPECT_EQ(bytes[0x128], 0xAB);
    EXPECT_EQ(std::count(bytes.begin() + 0x129, bytes.end(), 0xFF), 112 * 128 - 0x129);

    // Exactly the page count fits.
    ASSERT_TRUE(ReadMaster({Record(112 * 128 - 1, {7})}));
    EXPECT_EQ(pages.back().back(), 7);
}

TEST_F(ImageReadersTest, RandomImageInRandomRecordsReadsBackIdentical) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 5; ++round) {
        std::vector<unsigned char> image(112 * 128);
        for (unsigned char& byte : image) {
            byte = static_cast<unsigned char>(random());
        }
        std::vector<std::string> records;
        for (size_t at = 0; at < image.size();) {
            const size_t size = std::min<size_t>(1 + random() % 32, image.size() - at);
            records.push_back(
                Record(static_cast<unsigned>(at), {image.begin() + static_cast<long>(at),
                                                   image.begin() + static_cast<long>(at + size)}));
            at += size;
        }
        std::shuffle(records.begin(), records.end(), random);
        records.push_back(intel_hex::kEnd);
        ASSERT_TRUE(ReadMaster(records)) << error;
        EXPECT_EQ(Flat(), image) << "round " << round;
    }
}

TEST_F(ImageReadersTest, DamagedMasterImageIsRefusedNamingTheLineAndLeavesNoPages) {
    std::string badChecksum = Record(0x10, {1, 2});
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    const struct {
        std::vector<std::string> lines;
        const char* error;
    } cases[] = {
        {{":020000040000FA", Record(0, {1})}, "Line 1 is not a data record with a 16-bit address."},
        {{Record(0, {1}), badChecksum}, "Line 2 has a wrong checksum."},
        {{":040000000102F9"}, "Line 1 has a byte count that does not match its data."},
        {{Record(0, {1, 2}), Record(1, {3})}, "Line 2 overlaps an earlier record."},
        {{Record(112 * 128, {0})}, "Line 1 lies outside the image."},
        {{Record(0xFFF0, {1, 2, 3})}, "Line 1 lies outside the image."},
        {{Record(0, {1}), ""}, "Line 2 is not a data record with a 16-bit address."},
        {{Record(0, {1}) + " "}, "Line 1 is not a data record with a 16-bit address."},
        {{":00000000"}, "Line 1 is not a data record with a 16-bit address."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadMaster(c.lines)) << c.error;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(pages, MasterPages(1, kSentinelPage)) << c.error;
    }
    MasterImages onlyEnd(kPages);
    EXPECT_FALSE(onlyEnd.Load(WriteFile({intel_hex::kEnd}).c_str()));
    MasterImages missing(kPages);
    EXPECT_FALSE(missing.Load(dir.File("none.hex").toStdString().c_str()));
    EXPECT_EQ(missing.ErrorText(), "The file cannot be opened.");
}

TEST_F(ImageReadersTest, OnlyAWholeEndRecordEndsTheImageAndNoLineThrows) {
    const std::string first = Record(0, {1, 2, 3, 4});
    const std::string second = Record(4, {5, 6, 7, 8});
    ASSERT_EQ(second, ":0400040005060708DE");
    ASSERT_TRUE(ReadMaster({first, second, intel_hex::kEnd})) << error;
    const std::vector<unsigned char> bytes = Flat();
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 9),
              (std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 8, 0xFF}));

    const struct {
        std::vector<std::string> lines;
        const char* error;
    } cases[] = {
        {{first, ":0400040105060708DE", intel_hex::kEnd}, "Line 2 is not a valid end record."},
        {{first, second, ":00000001FE"}, "Line 3 is not a valid end record."},
        {{first, second, ":0100000100FE"}, "Line 3 is not a valid end record."},
        {{first, std::string(intel_hex::kEnd) + '\0' + second},
         "Line 2 is not a valid end record."},
        {{first, second + "\r" + intel_hex::kEnd, intel_hex::kEnd},
         "Line 2 is not a data record with a 16-bit address."},
        {{first, ":10000000" + std::string(100000, 'A'), intel_hex::kEnd},
         "Line 2 is longer than any record."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadMaster(c.lines)) << c.error;
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(pages == MasterPages(1, kSentinelPage)) << c.error;
    }
}

TEST_F(ImageReadersTest, SlaveRecordsAndDelaysBecomeCommandsInFileOrder) {
    const std::string r1 = SlaveRecord("01"), r2 = SlaveRecord("02"), r3 = SlaveRecord("06");
    SlaveImages image;
    std::vector<std::string> commands;
    ASSERT_TRUE(BuildSlave(image,
                           {"! VERSION 47", r1, r2, "", "; note", r3, "  wait !delay here", "   \t",
                            "! trailing comment"},
                           commands));
    EXPECT_EQ(image.GetVersion(), "47");
    EXPECT_EQ(commands, (std::vector<std::string>{CommandFor(r1, 'l'), CommandFor(r2, 's'),
                                                  CommandFor(r3, 'l'), ""}));
    std::vector<std::string> fast;
    image.BuildCommandsHighSpeed(&fast);
    EXPECT_EQ(fast, commands);

    SlaveImages upgrade;
    ASSERT_TRUE(BuildSlave(upgrade, {"! VERSION 47_to_48", r1, "! VERSION 48", r3}, fast));
    EXPECT_EQ(upgrade.GetVersion() + upgrade.TargetVersion(), "4748");
    EXPECT_EQ(upgrade.VersionIndex(), 5) << "four commands were there before";
}

TEST_F(ImageReadersTest, FirstRecordGivesTheVersionAndTheKindTheSuffix) {
    const struct {
        const char* firstLine;
        const char* version;
        char suffix;
    } cases[] = {{"03", "47", 's'}, {"05", "48", 's'}, {"04", "", 's'}, {"01", "", 'l'},
                 {"06", "", 'l'},   {"16", "", 'l'},   {"F6", "", 'l'}, {"00", "", 's'},
                 {"10", "", 's'},   {"61", "", 's'}};
    for (const auto& c : cases) {
        SlaveImages image;
        std::vector<std::string> commands;
        ASSERT_TRUE(BuildSlave(image, {SlaveRecord(c.firstLine)}, commands));
        EXPECT_EQ(image.GetVersion(), c.version) << c.firstLine;
        EXPECT_EQ(commands.at(0), CommandFor(SlaveRecord(c.firstLine), c.suffix)) << c.firstLine;
    }
}

TEST_F(ImageReadersTest, DamagedSlaveImageIsRefusedNamingTheLine) {
    const struct {
        std::vector<std::string> lines;
        const char* error;
    } cases[] = {
        {{"! VERSION 47", "$01" + std::string(282, '0')}, "Line 2 is not a record"},
        {{"! VERSION 47", "$01" + std::string(286, '0')}, "Line 2 is not a record"},
        {{"! VERSION 47", SlaveRecord("01", 'a')}, "Line 2 is not a record"},
        {{"! VERSION 47", SlaveRecord("A6", 'Z')}, "Line 2 is not a record"},
        {{"! VERSION 47", SlaveRecord("01"), SlaveRecord("01") + " "}, "Line 3 is not a record"},
        {{"! VERSION 47", SlaveRecord("01"), "  ", "", SlaveRecord("02")},
         "Line 5 holds a record after the end of the image."},
    };
    for (const auto& c : cases) {
        SlaveImages image;
        std::vector<std::string> commands{"kept"};
        EXPECT_FALSE(BuildSlave(image, c.lines, commands)) << c.error;
        EXPECT_EQ(image.ErrorText().rfind(c.error, 0), 0u) << image.ErrorText();
        EXPECT_EQ(commands, std::vector<std::string>{"kept"}) << "nothing appended";
    }
    SlaveImages startsWithBlanks;
    EXPECT_FALSE(startsWithBlanks.Load(WriteFile({"  ", SlaveRecord("01")}).c_str()));
}
