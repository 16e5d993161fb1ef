#include <gtest/gtest.h>

#include <QDir>
#include <map>

#include "LogCapture.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TempProgramDir.h"
#include "ThresholdTable.h"

namespace {

std::string Path(const TempProgramDir& dir, const char* name) {
    return dir.File(name).toStdString();
}

Settings Loaded(const TempProgramDir& dir, const char* name = "config.ini") {
    Settings settings;
    settings.Load(Path(dir, name).c_str());
    return settings;
}

}  // namespace

TEST(SettingsTest, MissingKeyReadsZeroSecondSetWinsAndNumbersReadTheirLeadingPart) {
    Settings settings;
    EXPECT_EQ(settings.GetValue("normal_xml_file"), "0");
    settings.SetParameter(ConfigParameter("a", "1"));
    settings.SetParameter(ConfigParameter("a", "2"));
    EXPECT_EQ(settings.GetValue("a"), "2");
    EXPECT_FALSE(settings.SetValue("b", "3"));
    settings.Load(Path(TempProgramDir(), "absent.ini").c_str());
    EXPECT_EQ(settings.GetParameters().size(), 1u);

    EXPECT_EQ(StringToInt("  42abc"), 42);
    EXPECT_EQ(StringToInt("99999999999999"), 0);
    EXPECT_DOUBLE_EQ(StringToDouble("-2.5x"), -2.5);
}

// Commas are part of a value, blanks after them included; lines the store
// does not change come back byte for byte.
TEST(SettingsTest, SaveRewritesOnlyChangedLinesAndKeepsEveryOtherByte) {
    TempProgramDir dir;
    const QByteArray original =
        "; station 4\r\n[General]\r\na=1\r\nlist=1, 2,3\r\nquoted=\"x, y\"\r\n"
        "odd = 7 ,  8\r\nmaster_hex_file=/old.hex\r\n\r\n[ModeSwitch]\r\ndebug_mode=true\r\n";
    dir.Write("config.ini", original);
    Settings settings = Loaded(dir);
    EXPECT_EQ(settings.GetValue("list"), "1, 2,3");
    EXPECT_EQ(settings.GetValue("quoted"), "x, y");
    EXPECT_EQ(settings.GetValue("odd"), "7 ,  8");
    EXPECT_EQ(settings.GetValue("ModeSwitch/debug_mode"), "true");

    ASSERT_TRUE(settings.Save(Path(dir, "config.ini").c_str()));
    EXPECT_EQ(dir.Read("config.ini"), original);

    // A store that never held "odd" or "list" leaves their lines alone.
    Settings other;
    for (const auto& [key, value] :
         std::map<std::string, std::string>{{"a", "2, 3"},
                                            {"master_hex_file", "/new.hex"},
                                            {"Master_version", "V1.2"},
                                            {"ModeSwitch/raster_mode", " padded "},
                                            {"new_key", "5"},
                                            {"Jitter/x", "\"q\""}}) {
        other.SetParameter(ConfigParameter(key, value));
    }
    ASSERT_TRUE(other.Save(Path(dir, "config.ini").c_str()));
    EXPECT_EQ(other.GetValue("master_hex_file"), "/new.hex");
    EXPECT_EQ(dir.Read("config.ini"),
              "; station 4\r\n[General]\r\na=2, 3\r\nlist=1, 2,3\r\nquoted=\"x, y\"\r\n"
              "odd = 7 ,  8\r\nmaster_hex_file=/old.hex\r\nnew_key=5\r\n\r\n[ModeSwitch]\r\n"
              "debug_mode=true\r\nraster_mode=\" padded \"\r\n\r\n[Jitter]\r\nx=\"\\\"q\\\"\"\r\n");
    Settings reloaded = Loaded(dir);
    for (const char* key : {"a", "ModeSwitch/raster_mode", "Jitter/x"}) {
        EXPECT_EQ(reloaded.GetValue(key), other.GetValue(key)) << key;
    }
}

TEST(SettingsTest, AFileThatCannotBeReplacedIsReportedAndKept) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("a", "1"));
    EXPECT_FALSE(settings.Save(Path(dir, "no/such/folder/config.ini").c_str()));
    QDir(dir.Path()).mkdir("config.ini");  // a folder where the file should be
    EXPECT_FALSE(settings.Save(Path(dir, "config.ini").c_str()));
    EXPECT_TRUE(QFileInfo(dir.File("config.ini")).isDir());
}

// Counts size tables and frames: a typing error must not allocate gigabytes.
TEST(SettingsTest, CountsAreHeldWithinWhatTheBridgeCanReport) {
    TempProgramDir dir;
    dir.Write("config.ini",
              "x_electrodes=100000000\ny_electrodes=-1\nbutton_number=99\n"
              "vertical_squares=99999999999\nhorizontal_squares=abc\nreference_electrodes=256x\n");
    LogCapture log;
    Settings settings = Loaded(dir);
    EXPECT_EQ(settings.GetValue("x_electrodes"), "255");
    EXPECT_EQ(settings.GetValue("button_number"), "8");
    EXPECT_EQ(settings.GetValue("reference_electrodes"), "255");
    // What every reader takes as no count stays as it was.
    EXPECT_EQ(settings.GetValue("y_electrodes"), "-1");
    EXPECT_EQ(settings.GetValue("vertical_squares"), "99999999999");
    EXPECT_EQ(settings.GetValue("horizontal_squares"), "abc");
    EXPECT_TRUE(log.Contains("x_electrodes=100000000 is out of range; 255 used"));

    settings.SetParameter(ConfigParameter("y_electrodes", "70000"));
    const auto table = settings.LoadThresholds();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].size(), 255u);
    EXPECT_EQ(table[2].size(), 255u);
}

class ThresholdTableTest : public ::testing::Test {
protected:
    ThresholdTableTest() {
        settings.SetParameter(ConfigParameter("x_electrodes", "3"));
        settings.SetParameter(ConfigParameter("y_electrodes", "2"));
    }
    TempProgramDir dir;
    Settings settings;
};

// Only whole files count; a broken one is logged and the defaults are used.
TEST_F(ThresholdTableTest, TheReaderTakesWholeFilesOnly) {
    const ThresholdTable::Table numbers{{1, 2, 3}, {4, 5, 6}, {7, 8}, {9, 10}};
    const ThresholdTable::Table defaults{{80, 80, 80}, {-60, -60, -60}, {80, 80}, {-60, -60}};
    const std::pair<const char*, bool> files[] = {
        {"1,2,3,\r\n4,5,6,\r\n7,8,\r\n9,10,\r\n", true},
        {"1,2,3,\n4,5,6,\n7,8,\n9,10,", true},
        {"1,2,3,44\r\n4,5,6,\r\n7,8,\r\n9,10,x", true},  // text after the last comma is dropped
        {"1,2,3,\r\n4,5,6,\r\n7,8,\r\n9,10,\r\n\r\n", false},
        {"1,2,3\r\n4,5,6,\r\n7,8,\r\n9,10,", false},
        {"1,2,\r\n4,5,6,\r\n7,8,\r\n9,10,", false},
        {"1,2,3,\r\n4,5,6,\r\n7,8,", false},
        {"1,2,3,\r\n1,2,3,\r\n1,2,3,\r\n1,1,\r\n1,1,\r\n1,1,", false},
        {"", false},
    };
    for (const auto& [text, accepted] : files) {
        dir.Write("X3Y2.txt", text);
        LogCapture log;
        EXPECT_EQ(settings.LoadThresholds(), accepted ? numbers : defaults) << text;
        EXPECT_EQ(log.Contains("X3Y2.txt"), !accepted) << text;
    }
    QFile::remove(dir.File("X3Y2.txt"));
    LogCapture log;
    EXPECT_EQ(settings.LoadThresholds(), defaults);
    EXPECT_EQ(log.Size(), 0u);
}
