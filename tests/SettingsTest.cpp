#include <gtest/gtest.h>

#include "LogCapture.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TempProgramDir.h"
#include "ThresholdTable.h"

namespace {

std::string Path(const TempProgramDir& dir, const char* name) {
    return dir.File(name).toStdString();
}

}  // namespace

TEST(SettingsTest, MissingKeyReadsZeroAndSecondSetWins) {
    Settings settings;
    EXPECT_EQ(settings.GetValue("normal_xml_file"), "0");
    ConfigParameter out("untouched", "x");
    EXPECT_FALSE(settings.GetParameter("nothing", out));
    EXPECT_EQ(out.GetValue(), "x");

    settings.SetParameter(ConfigParameter("a", "1"));
    settings.SetParameter(ConfigParameter("a", "2"));
    EXPECT_EQ(settings.GetValue("a"), "2");
    EXPECT_EQ(settings.GetParameters().size(), 1u);
    EXPECT_FALSE(settings.SetValue("b", "3"));
    EXPECT_EQ(settings.GetValue("b"), "0");
}

TEST(SettingsTest, IniRoundTripKeepsSectionsCommasAndUntouchedKeys) {
    TempProgramDir dir;
    dir.Write("config.ini",
              "[General]\r\na=1\r\nlist=3,4,5\r\nmaster_hex_file=/old.hex\r\n"
              "[ModeSwitch]\r\ndebug_mode=true\r\n");
    Settings settings;
    settings.Load(Path(dir, "config.ini").c_str());
    EXPECT_EQ(settings.GetValue("a"), "1");
    EXPECT_EQ(settings.GetValue("ModeSwitch/debug_mode"), "true");
    EXPECT_EQ(settings.GetValue("list"), "3,4,5");
    EXPECT_EQ(settings.GetValue("missing"), "0");

    settings.SetParameter(ConfigParameter("master_hex_file", "/new.hex"));
    settings.SetParameter(ConfigParameter("Master_version", "V1.2"));
    settings.SetParameter(ConfigParameter("ModeSwitch/raster_mode", "false"));
    settings.Save(Path(dir, "config.ini").c_str());

    // Session-only keys stay in memory but never reach the file.
    EXPECT_EQ(settings.GetValue("master_hex_file"), "/new.hex");
    EXPECT_EQ(settings.GetValue("Master_version"), "V1.2");

    const QByteArray text = dir.Read("config.ini");
    EXPECT_TRUE(text.contains("master_hex_file=/old.hex")) << text.toStdString();
    EXPECT_FALSE(text.contains("Master_version"));

    Settings reloaded;
    reloaded.Load(Path(dir, "config.ini").c_str());
    EXPECT_EQ(reloaded.GetValue("list"), "3,4,5");
    EXPECT_EQ(reloaded.GetValue("ModeSwitch/raster_mode"), "false");
    EXPECT_EQ(reloaded.GetValue("ModeSwitch/debug_mode"), "true");
    EXPECT_EQ(reloaded.GetValue("master_hex_file"), "/old.hex");
}

TEST(SettingsTest, CommaValueWrittenByTheStoreReadsBackAsText) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("jitter", "1, 2,3"));
    settings.Save(Path(dir, "config.ini").c_str());
    Settings reloaded;
    reloaded.Load(Path(dir, "config.ini").c_str());
    EXPECT_EQ(reloaded.GetValue("jitter"), "1, 2,3");
}

TEST(SettingsTest, MissingFileAddsNothing) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("kept", "yes"));
    settings.Load(Path(dir, "absent.ini").c_str());
    EXPECT_EQ(settings.GetParameters().size(), 1u);
}

TEST(StringConvertTest, LeadingNumbersAndGarbage) {
    EXPECT_EQ(StringToInt("  42abc"), 42);
    EXPECT_EQ(StringToInt("-7"), -7);
    EXPECT_EQ(StringToInt("abc"), 0);
    EXPECT_EQ(StringToInt(""), 0);
    EXPECT_EQ(StringToInt("99999999999999"), 0);
    EXPECT_DOUBLE_EQ(StringToDouble("2.5x"), 2.5);
    EXPECT_DOUBLE_EQ(StringToDouble("x"), 0.0);
}

TEST(ThresholdTableTest, DefaultsComeFromTheRawDataLimits) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("x_electrodes", "3"));
    settings.SetParameter(ConfigParameter("y_electrodes", "2"));
    auto table = settings.LoadThresholds();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0], std::vector<int>({80, 80, 80}));
    EXPECT_EQ(table[1], std::vector<int>({-60, -60, -60}));
    EXPECT_EQ(table[3], std::vector<int>({-60, -60}));

    settings.SetParameter(ConfigParameter("rawdata_max", "100"));
    settings.SetParameter(ConfigParameter("rawdata_min", "-5"));
    table = settings.LoadThresholds();
    EXPECT_EQ(table[2], std::vector<int>({100, 100}));
    EXPECT_EQ(table[1], std::vector<int>({-5, -5, -5}));
}

TEST(ThresholdTableTest, FileWinsWhenValidAndRoundTrips) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("x_electrodes", "3"));
    settings.SetParameter(ConfigParameter("y_electrodes", "2"));
    const ThresholdTable::Table written{{80, 80, 80}, {-60, -60, -60}, {80, 80}, {-60, -60}};
    ASSERT_TRUE(ThresholdTable::WriteFile(ThresholdTable::FileName(3, 2), written));
    EXPECT_EQ(dir.Read("X3Y2.txt").size(), 41);

    dir.Write("X3Y2.txt", "1,2,3,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,");
    const auto table = settings.LoadThresholds();
    EXPECT_EQ(table[0], std::vector<int>({1, 2, 3}));
    EXPECT_EQ(table[3], std::vector<int>({-9, -8}));
}

TEST(ThresholdTableTest, BrokenFilesFallBackToDefaults) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("x_electrodes", "3"));
    settings.SetParameter(ConfigParameter("y_electrodes", "2"));
    for (const char* broken : {"1,2,3,\r\n-1,-2,-3,\r\n9,8,",          // three lines
                               "1,2,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,",  // short row
                               ""}) {
        dir.Write("X3Y2.txt", broken);
        const auto table = settings.LoadThresholds();
        EXPECT_EQ(table[0], std::vector<int>({80, 80, 80})) << broken;
    }
}

TEST(ThresholdTableTest, NegativeCountsReadAsZero) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("x_electrodes", "-1"));
    const auto table = settings.LoadThresholds();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_TRUE(table[0].empty());
}

TEST(ThresholdTableTest, AnyRowCountWithTheSameLineFormat) {
    TempProgramDir dir;
    const QString file = dir.File("panel.txt");
    const ThresholdTable::Table six{{0, 0}, {30, 30}, {30, 30}, {1}, {-2}, {3}};
    ASSERT_TRUE(ThresholdTable::WriteFile(file, six));
    EXPECT_EQ(dir.Read("panel.txt"), "0,0,\r\n30,30,\r\n30,30,\r\n1,\r\n-2,\r\n3,");
    ThresholdTable::Table table;
    ASSERT_TRUE(ThresholdTable::ReadRows(file, {2, 2, 2, 1, 1, 1}, table));
    EXPECT_EQ(table, six);
    EXPECT_FALSE(ThresholdTable::ReadFile(file, 2, 1, table));  // six lines are no max/min table
    EXPECT_EQ(table, six);

    // Writing replaces a longer file completely.
    ASSERT_TRUE(ThresholdTable::WriteFile(file, {{7}}));
    EXPECT_EQ(dir.Read("panel.txt"), "7,");
}

TEST(ThresholdTableTest, UnusableFileIsLoggedMissingFileIsNot) {
    TempProgramDir dir;
    Settings settings;
    settings.SetParameter(ConfigParameter("x_electrodes", "3"));
    settings.SetParameter(ConfigParameter("y_electrodes", "2"));
    LogCapture log;
    settings.LoadThresholds();
    EXPECT_TRUE(log.Lines().empty());

    dir.Write("X3Y2.txt", "1,2,\r\n-1,-2,-3,\r\n9,8,\r\n-9,-8,");
    const auto table = settings.LoadThresholds();
    EXPECT_EQ(table[0], std::vector<int>({80, 80, 80}));
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("X3Y2.txt"), std::string::npos) << log.Lines()[0];
}
