#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "BridgePeer.h"
#include "CloseState.h"
#include "MassProductionFixture.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "TestGlobals.h"
#include "ZeltoMP.h"

namespace {

const char* const kWait = ": <FONT COLOR=DimGray>Wait...</FONT>";

QStringList ManualButtons(ZeltoMP& window) {
    QListWidget* list = window.Form().mode_listWidget;
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << qobject_cast<QPushButton*>(list->itemWidget(list->item(row)))->text();
    }
    return texts;
}

QStringList AutoBoxes(ZeltoMP& window) {
    QListWidget* list = window.Form().auto_listWidget;
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        auto* box = qobject_cast<QCheckBox*>(list->itemWidget(list->item(row)));
        texts << box->text() + (box->isChecked() ? "+" : "-");
    }
    return texts;
}

QStringList VisibleLabels(ZeltoMP& window) {
    QStringList texts;
    for (int id = 1; id < ZeltoMP::kItemCount; ++id) {
        QLabel* label = window.ResultLabel(id);
        if (label != nullptr && !label->isHidden()) {
            texts << label->text();
        }
    }
    return texts;
}

TEST(MassProductionPanelsTest, WithEverySwitchOffOnlyTheSlaveCheckIsListed) {
    MassProductionFixture mp;
    mp.WriteConfig("[ModeSwitch]\nraster_mode=1\n");
    ZeltoMP& window = mp.Create();
    EXPECT_TRUE(window.Form().frame->isHidden());
    EXPECT_EQ(ManualButtons(window), QStringList());
    EXPECT_EQ(AutoBoxes(window),
              QStringList({"SlaveVersion Check+", "Enter normal after auto_test+"}));
    EXPECT_EQ(VisibleLabels(window), QStringList({QString("Slave Check") + kWait}));
    EXPECT_EQ(window.Form().result_label->text(), "");
    EXPECT_EQ(window.Form().result_label->styleSheet(), "background-color: rgb(240,240,240)");
}

TEST(MassProductionPanelsTest, SwitchesFillBothListsInTheirOrder) {
    MassProductionFixture mp;
    mp.WriteConfig(
        "[General]\n"
        "disconnect_test_period=7\n"
        "jitter_x_threshold=1.25\n"
        "jitter_y_threshold=2.50\n"
        "[ModeSwitch]\n"
        "normal_mode=1\nreset_mode=1\nattb_mode=2\ndebug_mode=1\nborder_mode=1\n"
        "linearity_mode=1\nprecise_mode=1\njitter_mode=1\nb_normal_mode=1\n"
        "raster_x_mode=1\nraster_y_mode=1\nactive_mode=1\nb_debug_mode=1\n"
        "singleRaw_mode=1\nb_singleRaw_mode=1\ndisconnection_test=1\n");
    ZeltoMP& window = mp.Create();
    EXPECT_EQ(
        ManualButtons(window),
        QStringList({"Normal", "Reset", "Attb", "Debug", "Border", "Linearity", "Precise", "Jitter",
                     "Button Normal", "Raster x", "Raster y", "Active", "Button RawData"}));
    EXPECT_EQ(window.Form().mode_listWidget->item(0)->sizeHint(), QSize(-1, 28));
    EXPECT_EQ(AutoBoxes(window),
              QStringList({"SlaveVersion Check+", "Reset Mode Test+", "Attb Mode Test+",
                           "Debug Mode Test+", "Linearity Mode Test+", "Border Mode Test+",
                           "Precise Mode Test+", "Jitter Mode Test+", "Raster X Mode Test+",
                           "Raster Y Mode Test+", "Active Mode Test+", "Button Normal Mode Test+",
                           "Button Rawdata Mode Test+", "Enter normal after auto_test+"}));
    // The single raw-data items are never listed, whatever their keys say.
    EXPECT_TRUE(window.Form().singleRaw_label->isHidden());
    EXPECT_TRUE(window.Form().b_singleRaw_label->isHidden());
    EXPECT_FALSE(window.ItemCheckBox(ZeltoMP::kSingleRawItem)->isChecked());
    EXPECT_EQ(VisibleLabels(window).size(), 13);
    EXPECT_EQ(window.Form().jitter_label->text(), QString("Jitter") + kWait);
    EXPECT_EQ(g_disconnectTestPeriod, 7);
    EXPECT_EQ(g_disconnectionTest, 1);
    EXPECT_DOUBLE_EQ(g_jitterXThreshold, 1.25);
    EXPECT_DOUBLE_EQ(g_jitterYThreshold, 2.5);
}

TEST(MassProductionPanelsTest, AResultLabelAlwaysFollowsItsCheckBox) {
    MassProductionFixture mp;
    mp.WriteConfig("[ModeSwitch]\ndebug_mode=1\nreset_mode=1\n");
    ZeltoMP& window = mp.Create();
    window.show();
    QLabel* label = window.Form().debug_label;
    QCheckBox* box = window.ItemCheckBox(ZeltoMP::kDebugItem);
    label->setText("Debug: <FONT COLOR=GREEN>OK</FONT>");

    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(label->isHidden());
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(), QString("Debug") + kWait);

    // A press released outside the box changes neither the box nor its label.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(label->isHidden());
    // Keyboard toggling is followed too.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(label->isHidden());

    // A rebuild ticks every placed box again and shows their labels.
    window.initButtonStatus();
    EXPECT_TRUE(window.ItemCheckBox(ZeltoMP::kDebugItem)->isChecked());
    EXPECT_FALSE(label->isHidden());
}

TEST(MassProductionPanelsTest, RunTestStartsOneRunHoweverOftenTheListsAreRebuilt) {
    MassProductionFixture mp;
    ZeltoMP& window = mp.Create();
    for (int i = 0; i < 3; ++i) {
        window.initButtonStatus();
    }
    window.Form().autotest_pushButton->click();
    EXPECT_EQ(mp.Log().count("Start automatic test"), 1);
}

class PanelsWithPortTest : public ::testing::Test {
protected:
    ZeltoMP& Open(const QByteArray& config) {
        mp.WriteConfig(config);
        return mp.OpenWithVersions(peer);
    }
    void TearDown() override { mp.Destroy(); }

    MassProductionFixture mp;
    BridgePeer peer;
};

TEST_F(PanelsWithPortTest, ModeChangeSendsItsCommandsAndResetsTheLabels) {
    ZeltoMP& window = Open("[ModeSwitch]\ndebug_mode=1\n");
    Ui_ZeltoMP& ui = window.Form();
    ui.debug_label->setText("Debug: <FONT COLOR=RED>NG</FONT>");
    ui.dockWidget_2->show();

    peer.ClearReceived();
    ui.actionAutoTest_Mode->trigger();
    EXPECT_EQ(ui.stackedWidget->currentWidget(), ui.auto_test_page);
    EXPECT_TRUE(peer.WaitForText("#qn"));
    EXPECT_EQ(peer.Received(), "#qn");
    EXPECT_EQ(ui.debug_label->text(), QString("Debug") + kWait);
    EXPECT_TRUE(ui.dockWidget_2->isHidden());
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CloseState>(window.CurrentState()));

    peer.ClearReceived();
    mp.Sleeps().Clear();
    ui.actionNormal_Mode->trigger();
    EXPECT_EQ(ui.stackedWidget->currentWidget(), ui.normal_page);
    EXPECT_TRUE(peer.WaitForText("#qn##q##q@o#"));
    EXPECT_EQ(peer.Received(), "#qn##q##q@o#");
    const std::vector<unsigned> pauses = mp.Sleeps().Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 200u), 2);
}

TEST_F(PanelsWithPortTest, VersionsAreComparedWholeAndShownWrapped) {
    ZeltoMP& window = Open("[General]\nMasterVersion=ABC BV5.3\nSlaveVersion=ZT-1.0\n");
    Ui_ZeltoMP& ui = window.Form();
    EXPECT_EQ(ui.master_label->text(), "<FONT COLOR=Blue SIZE=8>ABC BV5.3</FONT>");
    EXPECT_EQ(ui.slave_label->text(), "<FONT COLOR=Blue SIZE=8>ZT-1.0</FONT>");
    EXPECT_EQ(ui.FwCrc_label->text(), "<FONT COLOR=Blue SIZE=8>3A 5C </FONT>");
    EXPECT_EQ(window.MasterVersionLabel()->text(),
              "<FONT COLOR=green>M-Version: </FONT><FONT COLOR=SlateBlue SIZE=4>ABC "
              "BV5.3</FONT>");
    EXPECT_EQ(window.XChannelsLabel()->text(),
              "<FONT COLOR=green>X-Ch.: </FONT><FONT COLOR=SlateBlue SIZE=4>5</FONT>");
    // The Y count ends the watch before its check.
    EXPECT_FALSE(window.VersionTimer()->isActive());
    EXPECT_FALSE(window.NoFirmware());
    // The master's number is kept for this session only.
    EXPECT_EQ(window.Imp()->_settings.GetValue("Master_version"), "5.3");

    const auto shown = [&](const char* version) {
        window.DisplaySlaveVersion(version);
        return ui.slave_label->text();
    };
    EXPECT_EQ(shown("ABCDEFGHIJKLMN"), "<FONT COLOR=Red SIZE=8>ABCDEFGHIJKLMN</FONT>");
    EXPECT_EQ(shown("ABCDEFGHIJKLMNO"), "<FONT COLOR=Red SIZE=8>ABCDEFGHIJKLMNO </FONT>");
    EXPECT_EQ(shown("ABCDEFGHIJKLMNOPQRSTUVWXYZ012"),
              "<FONT COLOR=Red SIZE=8>ABCDEFGHIJKLMNO PQRSTUVWXYZ012 </FONT>");
    EXPECT_EQ(shown("zt-1.0"), "<FONT COLOR=Red SIZE=8>zt-1.0</FONT>");
    EXPECT_EQ(shown("ZT-1.0 "), "<FONT COLOR=Red SIZE=8>ZT-1.0 </FONT>");
    // On the manual page a report changes only the labels.
    EXPECT_TRUE(window.Imp()->_results.empty());

    mp.Destroy();
    EXPECT_FALSE(mp.Dir().Read("config.ini").contains("Master_version"));
}

TEST_F(PanelsWithPortTest, NormalModeNeedsItsSwitchAndTheSlaveVersion) {
    ZeltoMP& window = Open("[ModeSwitch]\nnormal_mode=1\n");
    window.Form().dockWidget_2->show();
    peer.ClearReceived();
    QTest::keyClick(&window, Qt::Key_N);
    EXPECT_TRUE(window.Form().dockWidget_2->isHidden());
    EXPECT_TRUE(peer.WaitForText("@o#n"));
    EXPECT_EQ(peer.Received(), "@o#n");

    peer.ClearReceived();
    window.Form().slave_label->clear();
    window.Normal();
    window.Imp()->_settings.SetParameter(ConfigParameter("ModeSwitch/normal_mode", "0"));
    window.Form().slave_label->setText("ZT-1.0");
    window.Normal();
    MassProductionFixture::Spin(50);
    EXPECT_EQ(peer.Received(), "");
}

}  // namespace
