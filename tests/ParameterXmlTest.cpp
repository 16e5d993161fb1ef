#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QXmlStreamReader>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "ParseXml.h"
#include "Settings.h"
#include "TempProgramDir.h"

namespace {

using ParameterMap = std::map<std::string, ConfigParameter>;

std::map<std::string, std::string> Values(const ParameterMap& parameters) {
    std::map<std::string, std::string> values;
    for (const auto& entry : parameters) {
        EXPECT_EQ(entry.first, entry.second.GetName());
        values[entry.first] = entry.second.GetValue();
    }
    return values;
}

// An independent reader, so "well-formed" does not just mean "mxml accepts it".
std::string WellFormednessError(const QByteArray& text) {
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    return reader.hasError() ? reader.errorString().toStdString() : std::string();
}

Settings SampleStore() {
    Settings settings;
    settings.SetParameter(ConfigParameter("port_bit_rate", "230400"));
    settings.SetParameter(ConfigParameter("x_res", "800"));
    settings.SetParameter(ConfigParameter("ModeSwitch/debug_mode", "1"));
    settings.SetParameter(ConfigParameter("ModeSwitch/b_singleRaw_mode", "0"));
    settings.SetParameter(ConfigParameter("SlaveVersion", "  V1.2 build 7  "));
    settings.SetParameter(ConfigParameter("normal_xml_file", "C:/a b/<pattern>&\"x\".xml"));
    settings.SetParameter(ConfigParameter("empty_value", ""));
    settings.SetParameter(ConfigParameter("2nd key", "x"));
    // A key that is not UTF-8 text once made the next load reject the whole file.
    settings.SetParameter(ConfigParameter("bad\xFFkey", "1"));
    settings.SetParameter(ConfigParameter("tab\tkey\x01", "2"));
    return settings;
}

}  // namespace

TEST(ParameterXmlTest, StoreRoundTripsThroughAWellFormedDeviceFile) {
    TempProgramDir dir;
    const std::string file = dir.File("parameters.xml").toStdString();
    Settings original = SampleStore();
    ASSERT_TRUE(original.SaveXml(file));

    const QByteArray text = dir.Read("parameters.xml");
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\"")) << text.toStdString();
    EXPECT_EQ(WellFormednessError(text), "") << text.toStdString();
    // Plain keys are their own element names, in key order; the others carry the key.
    EXPECT_TRUE(text.contains("<port_bit_rate><value>230400</value></port_bit_rate>"));
    EXPECT_TRUE(text.contains("<x_res><value>800</value></x_res></Device>")) << text.toStdString();
    EXPECT_TRUE(text.contains("key=\"ModeSwitch/debug_mode\"><value>1</value>"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("<ModeSwitch/"));

    Settings reloaded;
    reloaded.SetParameter(ConfigParameter("stale", "gone after load"));
    ASSERT_TRUE(reloaded.LoadXml(file));
    EXPECT_EQ(Values(reloaded.GetParameters()), Values(original.GetParameters()));
    EXPECT_EQ(reloaded.GetValue("stale"), "0");
}

TEST(ParameterXmlTest, HandWrittenFilesFollowTheFirstAndLastRules) {
    TempProgramDir dir;
    dir.Write("hand.xml",
              "<?xml version=\"1.0\"?>\n<Config>\n  <Device>\n"
              "    <a><value>first</value></a>\n"
              "    <a><value>second</value></a>\n"
              "    <no_value/>\n"
              "    <two><value>old</value><other>x</other><value>new</value></two>\n"
              "    <renamed key=\"Mode/x\"><value>5</value></renamed>\n"
              "  </Device>\n</Config>\n");
    ParameterMap loaded;
    loaded.emplace("kept", ConfigParameter("kept", "yes"));
    ASSERT_TRUE(ParseXml::Load(dir.File("hand.xml").toStdString(), loaded));
    const std::map<std::string, std::string> expected{
        {"a", "first"}, {"no_value", ""}, {"two", "new"}, {"Mode/x", "5"}, {"kept", "yes"}};
    EXPECT_EQ(Values(loaded), expected);
}

TEST(ParameterXmlTest, UnreadableFilesFailClearlyAndLoseNothing) {
    TempProgramDir dir;
    const std::tuple<const char*, const char*, bool> files[] = {
        {"mismatched.xml", "<?xml version=\"1.0\"?><Device><a><value>1</value></b></Device>", true},
        {"truncated.xml", "<?xml version=\"1.0\"?><Device><a><value>1</value>", true},
        {"raw_slash.xml",
         "<?xml version=\"1.0\"?><Device><ModeSwitch/debug_mode><value>1</value>"
         "</ModeSwitch/debug_mode></Device>",
         true},
        {"garbage.xml", "port_bit_rate=230400\r\n", true},
        {"other_root.xml", "<?xml version=\"1.0\"?><Panel><a><value>1</value></a></Panel>", false},
        {"empty.xml", "", true},
        {"absent.xml", nullptr, false},
    };
    for (const auto& [name, text, malformed] : files) {
        if (text != nullptr) {
            dir.Write(name, text);
        }
        Settings settings = SampleStore();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(settings.LoadXml(dir.File(name).toStdString())) << name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), malformed ? "error\n" : "") << name;
        EXPECT_EQ(Values(settings.GetParameters()), Values(SampleStore().GetParameters())) << name;
    }
}

TEST(ParameterXmlTest, AnEmptyStoreOrAnUnwritablePlaceSavesNothing) {
    TempProgramDir dir;
    EXPECT_FALSE(Settings().SaveXml(dir.File("none.xml").toStdString()));
    EXPECT_FALSE(QFile::exists(dir.File("none.xml")));
    EXPECT_FALSE(SampleStore().SaveXml(dir.File("no/such/folder/p.xml").toStdString()));
    EXPECT_FALSE(SampleStore().SaveXml(dir.Path().toStdString()));  // a folder, not a file
}

TEST(ParameterXmlTest, ASaveThatWouldNotLoadKeepsTheOldFile) {
    TempProgramDir dir;
    const std::string file = dir.File("parameters.xml").toStdString();
    Settings settings = SampleStore();
    ASSERT_TRUE(settings.SaveXml(file));
    const QByteArray saved = dir.Read("parameters.xml");
    settings.SetParameter(ConfigParameter("x_res", "bad\xFFvalue"));
    EXPECT_FALSE(settings.SaveXml(file));
    EXPECT_EQ(dir.Read("parameters.xml"), saved);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"parameters.xml"});
}

// Run by the next test in a child with leak detection on.
TEST(ParameterXmlTest, DISABLED_TruncatedDocumentsFailToLoad) {
    TempProgramDir dir;
    for (const char* text : {"<", "<\n", "<a b", "<Device><a>"}) {
        dir.Write("bad.xml", text);
        ParameterMap loaded;
        EXPECT_FALSE(ParseXml::Load(dir.File("bad.xml").toStdString(), loaded)) << text;
    }
}

TEST(ParameterXmlTest, TruncatedDocumentsFailWithoutLeaking) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", "detect_leaks=1");
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=ParameterXmlTest.DISABLED_TruncatedDocumentsFailToLoad"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
}

TEST(ParameterXmlTest, Utf8ToLocalGivesAnOwnedLocalCopy) {
    const char* text =
        "Gr\xC3\xBC\xC3\x9F"
        "e 230400";
    std::unique_ptr<char[]> local(Utf8ToLocal(text));
    EXPECT_EQ(std::string(local.get()), QString::fromUtf8(text).toLocal8Bit().toStdString());
    std::unique_ptr<char[]> empty(Utf8ToLocal(nullptr));
    EXPECT_STREQ(empty.get(), "");
}
