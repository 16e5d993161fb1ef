#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTimer>

#include "BridgePeer.h"
#include "MassProductionFixture.h"
#include "ZeltoMP.h"

namespace {

const QByteArray kConfig =
    "[General]\n"
    "MasterVersion=ABC BV5.3\n"
    "SlaveVersion=ZT-1.0\n"
    "Reset_time=1\n"
    "Attb_time=1\n"
    "Debug_time=1\n"
    "Jitter_time=1\n"
    "Raster_x_time=1\n"
    "Raster_y_time=1\n"
    "Button_rawdata_time=1\n"
    "rawdata_max=80\n"
    "rawdata_min=-60\n"
    "jitter_x_threshold=5.00\n"
    "jitter_y_threshold=5.00\n"
    "b_rawdata_max=1000\n"
    "b_rawdata_min=-1000\n"
    "[ModeSwitch]\n"
    "reset_mode=1\n"
    "attb_mode=1\n"
    "debug_mode=1\n"
    "jitter_mode=1\n"
    "raster_x_mode=1\n"
    "raster_y_mode=1\n"
    "b_debug_mode=1\n";

// Enough frames for the raw-data state to accept them and the debug scene to
// settle and judge.
std::string Frames(const std::string& x, const std::string& y, int count = 30) {
    std::string frames;
    for (int i = 0; i < count; ++i) {
        frames += "X" + x + "\rY" + y + "\r";
    }
    return frames;
}

const std::string kGoodFrames = Frames("10,12,11,9", "5,6,7");
const std::string kBootloaderInformation = "Bootloader information: 01 02 03 04 \r";

class AutomaticSequenceTest : public ::testing::Test {
protected:
    void TearDown() override { mp.Destroy(); }

    // Opens the port with the bridge answering the versions, and turns to the
    // automatic page.
    ZeltoMP& OpenOnAutomaticPage(const QByteArray& config = kConfig,
                                 const std::string& slaveVersion = "ZT-1.0") {
        mp.WriteConfig(config);
        ZeltoMP& window = mp.OpenWithVersions(peer, slaveVersion);
        window.Form().actionAutoTest_Mode->trigger();
        return window;
    }

    // Runs the automatic sequence and waits for the panel's verdict.
    QString RunAutomaticTest(ZeltoMP& window, int timeoutMs = 15000) {
        window.Form().autotest_pushButton->click();
        MassProductionFixture::WaitUntil(
            [&] { return !window.Form().result_label->text().isEmpty(); }, timeoutMs);
        return window.Form().result_label->text();
    }

    QStringList ResultFiles() const {
        return QDir(mp.Dir().File("Results"))
            .entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    }

    QByteArray ResultFile(int index) const {
        return mp.Dir().Read("Results/" + ResultFiles().value(index));
    }

    MassProductionFixture mp;
    BridgePeer peer;
};

void ExpectInOrder(const QByteArray& text, const std::vector<const char*>& parts) {
    int last = -1;
    for (const char* part : parts) {
        const int at = text.indexOf(part);
        EXPECT_GT(at, last) << part << " in\n" << text.constData();
        last = at;
    }
}

TEST_F(AutomaticSequenceTest, EveryItemOkGivesPassAndOneResultFile) {
    peer.Expect("k", kBootloaderInformation);
    peer.Expect("d", kGoodFrames);
    peer.Expect("b",
                "The button rawdata: 1,2,3,4,5,6,7,8\r"
                "The button rawdata: 1,2,3,4,5,6,7,8\r");
    ZeltoMP& window = OpenOnAutomaticPage();
    Ui_ZeltoMP& ui = window.Form();
    EXPECT_EQ(ui.stackedWidget->currentWidget(), ui.auto_test_page);

    EXPECT_EQ(RunAutomaticTest(window), "<font color=white>Pass<font>");
    EXPECT_EQ(ui.result_label->styleSheet(), "background-color: blue");
    for (int id : {ZeltoMP::kSlaveCheck, ZeltoMP::kResetItem, ZeltoMP::kAttbItem,
                   ZeltoMP::kDebugItem, ZeltoMP::kJitterItem, ZeltoMP::kRasterXItem,
                   ZeltoMP::kRasterYItem, ZeltoMP::kButtonRawDataItem}) {
        EXPECT_TRUE(window.ResultLabel(id)->text().endsWith("<FONT COLOR=GREEN>OK</FONT>"))
            << window.ResultLabel(id)->text().toStdString();
    }
    EXPECT_TRUE(window.ResultLabel(ZeltoMP::kActiveItem)->isHidden());

    ASSERT_EQ(ResultFiles().size(), 1);
    ExpectInOrder(ResultFile(0), {"Button Rawdata: ,Pass", "Attb: ,Pass\r\n", "Debug: ,Pass",
                                  "Jitter: ,", "Raster X: ,Pass\r\n", "Raster Y: ,Pass\r\n",
                                  "Reset: ,Pass\r\n", "Slave Version: ,ZT-1.0"});
    EXPECT_TRUE(ResultFile(0).endsWith("Slave Version: ,ZT-1.0"));
    const QString log = mp.Log();
    ExpectInOrder(log.toUtf8(), {"Start automatic test", "Save automatic test data and results",
                                 "Automatic test end"});
    // The panel is left in normal touch mode.
    EXPECT_TRUE(MassProductionFixture::WaitUntil(
        [&] { return peer.Received().rfind('n') + 1 == peer.Received().size(); }));
}

TEST_F(AutomaticSequenceTest, ASecondRunWithoutResetReplyAndABadDebugValueIsNg) {
    peer.Expect("k", kBootloaderInformation);
    peer.Expect("d", kGoodFrames);
    ZeltoMP& window = OpenOnAutomaticPage();
    Ui_ZeltoMP& ui = window.Form();
    // The operator takes every item but reset and debug out of the run.
    for (int id : {ZeltoMP::kAttbItem, ZeltoMP::kJitterItem, ZeltoMP::kRasterXItem,
                   ZeltoMP::kRasterYItem, ZeltoMP::kButtonRawDataItem}) {
        window.ItemCheckBox(id)->click();
        EXPECT_TRUE(window.ResultLabel(id)->isHidden());
    }
    EXPECT_EQ(RunAutomaticTest(window), "<font color=white>Pass<font>");

    peer.GoSilent();
    MassProductionFixture::AnswerVersions(peer, "ABC BV5.3", "ZT-1.0");
    peer.Expect("d", Frames("10,12,200,9", "5,6,7"));
    EXPECT_EQ(RunAutomaticTest(window), "<font color=white>NG<font>");
    EXPECT_EQ(ui.result_label->styleSheet(), "background-color: red");
    EXPECT_EQ(ui.reset_label->text(), "Reset: <FONT COLOR=RED>NG</FONT>");
    EXPECT_EQ(ui.debug_label->text(), "Debug: <FONT COLOR=RED>NG</FONT>");
    EXPECT_EQ(ui.normal_label->text(), "Slave Check: <FONT COLOR=GREEN>OK</FONT>");
    EXPECT_FALSE(window.OverallPass());

    ASSERT_EQ(ResultFiles().size(), 2);
    const QByteArray second = ResultFile(1);
    ExpectInOrder(second, {"Debug: ,Fail\r\n", "Reset: ,Fail\r\n", "Slave Version: ,ZT-1.0"});
    EXPECT_FALSE(second.contains("Attb"));
    EXPECT_TRUE(ResultFile(0).contains("Reset: ,Pass"));
}

TEST_F(AutomaticSequenceTest, ADifferingSlaveVersionIsRedAndFailsTheSlaveCheck) {
    QByteArray config = kConfig;
    config.truncate(config.indexOf("[ModeSwitch]"));  // every item off
    ZeltoMP& window = OpenOnAutomaticPage(config, "ZT-1.0b");
    Ui_ZeltoMP& ui = window.Form();
    EXPECT_EQ(ui.slave_label->text(), "<FONT COLOR=Red SIZE=8>ZT-1.0b</FONT>");
    EXPECT_EQ(ui.master_label->text(), "<FONT COLOR=Blue SIZE=8>ABC BV5.3</FONT>");

    EXPECT_EQ(RunAutomaticTest(window), "<font color=white>NG<font>");
    EXPECT_EQ(ui.normal_label->text(), "Slave Check: <FONT COLOR=Red>NG</FONT>");
    ASSERT_EQ(ResultFiles().size(), 1);
    EXPECT_EQ(ResultFile(0), "Slave Version: ,ZT-1.0b");
}

TEST_F(AutomaticSequenceTest, ASlaveWithoutFirmwareShowsNoFwAndBlocksEveryItem) {
    mp.WriteConfig(kConfig);
    peer.Expect("v", MassProductionFixture::MasterLine("ABC BV5.3") + "\r");
    ZeltoMP& window = mp.Create();
    Ui_ZeltoMP& ui = window.Form();
    ASSERT_TRUE(mp.OpenPort(peer));
    ASSERT_TRUE(MassProductionFixture::WaitUntil([&] { return window.NoFirmware(); }, 4000));
    EXPECT_EQ(ui.slave_label->text(), "<FONT COLOR=Red SIZE=8>No FW</FONT>");
    EXPECT_EQ(ui.master_label->text(), "<FONT COLOR=Blue SIZE=8>ABC BV5.3</FONT>");
    EXPECT_FALSE(window.VersionTimer()->isActive());

    peer.ClearReceived();
    for (ZeltoMP::ItemSlot item :
         {&ZeltoMP::Reset, &ZeltoMP::Attb, &ZeltoMP::Debug, &ZeltoMP::Jitter, &ZeltoMP::RasterRX,
          &ZeltoMP::RasterRY, &ZeltoMP::ButtonRawData, &ZeltoMP::NormalBorder, &ZeltoMP::Normal}) {
        (window.*item)();
    }
    MassProductionFixture::Spin(100);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_EQ(ui.countdown_label->text(), "");
}

}  // namespace
