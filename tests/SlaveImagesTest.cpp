#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "SlaveImages.h"

using morvex_gui::SlaveImages;

namespace {

// A record line of the given kind: "$", the kind's two characters, then
// 284 characters of A-Z and 0-9.
std::string RecordLine(const std::string& kind, char fill = '7') {
    return "$" + kind + std::string(284, fill);
}

std::string CommandFor(const std::string& recordLine, char suffix) {
    return "w" + recordLine.substr(1) + suffix;
}

class SlaveImagesTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\r\n";
        }
        const QString path = dir.filePath(QStringLiteral("image%1.vmx").arg(++files));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path.toStdString();
    }

    // Loads the lines into `image` and builds its commands.
    std::vector<std::string> Build(SlaveImages& image, const std::vector<std::string>& lines) {
        std::vector<std::string> commands;
        EXPECT_TRUE(image.Load(WriteFile(lines).c_str()));
        EXPECT_TRUE(image.BuildCommands(&commands));
        return commands;
    }

    QTemporaryDir dir;
    int files = 0;
};

}  // namespace

TEST_F(SlaveImagesTest, VersionLineRecordsAndDelaysBecomeCommandsInFileOrder) {
    const std::string r1 = RecordLine("01"), r2 = RecordLine("02"), r3 = RecordLine("06");
    const std::string r4 = RecordLine("A6", 'Z');
    SlaveImages image;
    const std::vector<std::string> commands =
        Build(image, {"! VERSION 47", r1, r2, r3, "  wait !delay here", r4});
    EXPECT_EQ(image.GetVersion(), "47");
    EXPECT_FALSE(image.IsUpgrade());
    EXPECT_EQ(image.VersionIndex(), 0);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0], CommandFor(r1, 'l'));
    EXPECT_EQ(commands[0].size(), 288u);
    EXPECT_EQ(commands[1], CommandFor(r2, 's'));
    EXPECT_EQ(commands[2], CommandFor(r3, 'l'));
    EXPECT_EQ(commands[3], "");
    EXPECT_EQ(commands[4], CommandFor(r4, 'l'));
}

TEST_F(SlaveImagesTest, UpgradeLineGivesSourceAndTargetAndLaterMarksTheirPlace) {
    SlaveImages image;
    const std::vector<std::string> commands =
        Build(image, {"! VERSION 47_to_48", RecordLine("01"), RecordLine("02"), "! VERSION 48",
                      RecordLine("03")});
    EXPECT_EQ(image.GetVersion(), "47");
    EXPECT_EQ(image.TargetVersion(), "48");
    EXPECT_TRUE(image.IsUpgrade());
    EXPECT_EQ(image.VersionIndex(), 2);
    EXPECT_EQ(commands.size(), 3u);
}

TEST_F(SlaveImagesTest, VersionFromTheFirstRecordWhenNoVersionLine) {
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"03", "47"}, {"05", "48"}, {"04", ""}};
    for (const auto& [kind, version] : kinds) {
        SlaveImages image;
        const std::vector<std::string> commands = Build(image, {RecordLine(kind)});
        EXPECT_EQ(image.GetVersion(), version) << kind;
        ASSERT_EQ(commands.size(), 1u) << "the first record is also a command";
        EXPECT_EQ(commands[0], CommandFor(RecordLine(kind), 's'));
    }
    SlaveImages oddMarker;
    Build(oddMarker, {"! VERSION 47_beta", RecordLine("01")});
    EXPECT_EQ(oddMarker.GetVersion(), "") << "neither the plain nor the upgrade form";
}

TEST_F(SlaveImagesTest, SuffixLetterFollowsTheRecordKind) {
    for (const char* kind : {"01", "06", "16", "F6"}) {
        SlaveImages image;
        EXPECT_EQ(Build(image, {RecordLine(kind)}).at(0).back(), 'l') << kind;
    }
    for (const char* kind : {"00", "02", "10", "61"}) {
        SlaveImages image;
        EXPECT_EQ(Build(image, {RecordLine(kind)}).at(0).back(), 's') << kind;
    }
}

TEST_F(SlaveImagesTest, LineOfBlanksEndsTheImageButAnEmptyLineDoesNot) {
    SlaveImages image;
    const std::vector<std::string> commands = Build(
        image, {"! VERSION 48", RecordLine("01"), "", RecordLine("02"), "   \t", RecordLine("03")});
    EXPECT_EQ(commands.size(), 2u);
    EXPECT_EQ(image.Lines().size(), 4u);

    SlaveImages startsWithBlanks;
    EXPECT_FALSE(startsWithBlanks.Load(WriteFile({"  ", RecordLine("01")}).c_str()));
    SlaveImages missing;
    EXPECT_FALSE(missing.Load(dir.filePath("none.vmx").toStdString().c_str()));
    EXPECT_FALSE(missing.ErrorText().empty());
}

TEST_F(SlaveImagesTest, MalformedRecordsAreSkipped) {
    SlaveImages image;
    const std::string lowerCase = "$01" + std::string(284, 'a');
    const std::vector<std::string> commands =
        Build(image, {"! VERSION 47", "$01" + std::string(282, '0'), "$01" + std::string(286, '0'),
                      lowerCase, RecordLine("01") + " ", "; comment", RecordLine("02")});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], CommandFor(RecordLine("02"), 's'));
}

TEST_F(SlaveImagesTest, BothBuildersAppendTheSameList) {
    SlaveImages image;
    ASSERT_TRUE(image.Load(
        WriteFile({"! VERSION 47", RecordLine("01"), "!delay", RecordLine("06")}).c_str()));
    std::vector<std::string> slow, fast;
    image.BuildCommands(&slow);
    image.BuildCommandsHighSpeed(&fast);
    EXPECT_EQ(slow, fast);
    image.BuildCommands(&slow);
    EXPECT_EQ(slow.size(), 6u) << "a second build appends";

    SlaveImages notLoaded;
    std::vector<std::string> none;
    EXPECT_TRUE(notLoaded.BuildCommands(&none));
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(notLoaded.GetVersion(), "");
}
