#include <gtest/gtest.h>

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <string>

#include "AboutDialog.h"
#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "MasterDownloader.h"
#include "QtWindowImp.h"
#include "SettingDialog.h"
#include "SlaveDownloader.h"
#include "TuneInitDevice.h"

namespace {

using Step = DialogScript::Step;

class DrovanelToolsTest : public ::testing::Test {
protected:
    Drovanel& OpenWindow() {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
        peer.ClearReceived();
        return window;
    }

    // Whether a reply reaches the window's own reader now.
    bool WindowReads(const std::string& version) {
        peer.SendLine("Slave version: " + version);
        return PumpUntil(
            [&] {
                return fixture.Window().SlaveVersionLabel()->text().contains(
                    QString::fromStdString(version));
            },
            300);
    }

    // Ends a dialog of class DialogT with `result`, after noting whether the
    // window still read the bridge meanwhile.
    template <class DialogT>
    Step End(int result, bool* windowRead = nullptr) {
        return DialogScript::On<DialogT>([=](DialogT& dialog) {
            if (windowRead != nullptr) {
                *windowRead = WindowReads("DURING");
            }
            dialog.done(result);
        });
    }

    void Run(QAction* action, std::deque<Step> steps) {
        DialogScript script(std::move(steps));
        action->trigger();
        EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    }

    bool EndsWith(const std::string& tail) {
        const std::string received = peer.Received();
        return received.size() >= tail.size() &&
               received.compare(received.size() - tail.size(), tail.size(), tail) == 0;
    }

    // The last pauses: the settling after a calibration dialog, then the
    // command that restores the mode with its own.
    void ExpectSettledAndRestored() {
        EXPECT_TRUE(PumpUntil([&] { return EndsWith("#"); })) << peer.Received();
        const std::vector<unsigned> pauses = fixture.Sleeps().Pauses();
        ASSERT_GE(pauses.size(), 2u);
        EXPECT_EQ(pauses[pauses.size() - 2], 50u);
        EXPECT_EQ(pauses.back(), 20u);
    }

    bool BackInUserPanel() {
        Ui::DrovanelClass& ui = fixture.Window().Form();
        return PumpUntil([&] {
            return ui.actionUserMode->isChecked() &&
                   ui.controlPanel->currentWidget() == ui.userPanel;
        });
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

TEST_F(DrovanelToolsTest, ACancelledMasterDownloadPutsTheBridgeBackInItsMode) {
    Drovanel& window = OpenWindow();
    bool readDuring = true;
    Run(window.Form().actionMasterDownload,
        {End<morvex_gui::MasterDownloader>(QDialog::Rejected, &readDuring)});
    EXPECT_FALSE(readDuring);
    // After whatever the downloader sent, user mode again.
    EXPECT_TRUE(PumpUntil([&] { return EndsWith("#"); })) << peer.Received();
    EXPECT_EQ(peer.LatencyTimer(), "3");
    EXPECT_TRUE(WindowReads("AFTER"));
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Master download dialog start"),
              log.indexOf("Master download dialog reject"));

    // In the tune mode the tuning firmware is initialised and the docks come back.
    Ui::DrovanelClass& ui = window.Form();
    ui.actionTuneMode->setChecked(true);
    ui.dockWidget->hide();
    ui.dockWidgetInformation->hide();
    peer.ClearReceived();
    Run(ui.actionMasterDownload, {End<morvex_gui::MasterDownloader>(QDialog::Rejected)});
    EXPECT_TRUE(peer.WaitForText("%"));
    EXPECT_FALSE(ui.dockWidget->isHidden());
    EXPECT_FALSE(ui.dockWidgetInformation->isHidden());
}

TEST_F(DrovanelToolsTest, AFinishedDownloadStartsTheBridgeAgain) {
    Drovanel& window = OpenWindow();
    Run(window.Form().actionSlaveDownload, {End<morvex_gui::SlaveDownloader>(QDialog::Accepted)});
    EXPECT_TRUE(peer.WaitForText("##q##q@o##v"));
    EXPECT_TRUE(BackInUserPanel());
    EXPECT_TRUE(fixture.Log().contains("Slave download dialog accept"));

    peer.ClearReceived();
    Run(window.Form().actionSlaveDownload, {End<morvex_gui::SlaveDownloader>(QDialog::Rejected)});
    EXPECT_TRUE(peer.WaitForText("#"));
    EXPECT_TRUE(fixture.Log().contains("Slave download dialog reject"));
}

TEST_F(DrovanelToolsTest, AnEmptyMasterNotFlashedClosesThePort) {
    Drovanel& window = OpenWindow();
    QString question;
    DialogScript no({DialogScript::Answer(QMessageBox::No, &question)});
    emit window.Imp()->SignalRequestMasterDownload();
    EXPECT_TRUE(PumpUntil([&] { return no.Done(); }));
    EXPECT_EQ(question,
              "Download Master File?: The master is empty, do you want to download the master hex "
              "file?");
    EXPECT_FALSE(window.Form().actionOpen->isChecked());
    EXPECT_FALSE(window.Device()->isOpen());
    EXPECT_TRUE(fixture.Log().contains("Master empty download dialog cancel"));

    // Asked again with the port closed, No still switches it off, harmlessly.
    DialogScript again({DialogScript::Answer(QMessageBox::No)});
    emit window.Imp()->SignalRequestMasterDownload();
    EXPECT_TRUE(PumpUntil([&] { return again.Done(); }));
    EXPECT_EQ(fixture.Log().count("Serialport close"), 2);
}

TEST_F(DrovanelToolsTest, AnEmptyMasterDownloadBrokenOffClosesThePort) {
    Drovanel& window = OpenWindow();
    DialogScript script({DialogScript::Answer(QMessageBox::Yes),
                         End<morvex_gui::MasterDownloader>(QDialog::Rejected)});
    emit window.Imp()->SignalRequestMasterDownload();
    EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_FALSE(window.Form().actionOpen->isChecked());
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Master empty download dialog start"),
              log.indexOf("Master empty download dialog reject"));
}

TEST_F(DrovanelToolsTest, CalibrationAndOffsetReadingHandTheLinkOver) {
    Drovanel& window = OpenWindow();
    std::string sentBeforeDialog = "-";
    bool readDuring = true;
    Run(window.Form().actionReadOffset,
        {DialogScript::On<morvex_gui::CalibrateDialog>([&](morvex_gui::CalibrateDialog& dialog) {
            peer.WaitForText("#");
            sentBeforeDialog = peer.Received();
            EXPECT_FALSE(dialog.Calibrating());
            readDuring = WindowReads("DURING");
            dialog.reject();
        })});
    // Offsets are read in user mode; afterwards the bridge settles and gets its mode back.
    EXPECT_EQ(sentBeforeDialog, "#");
    EXPECT_FALSE(readDuring);
    ExpectSettledAndRestored();
    EXPECT_TRUE(WindowReads("AFTER"));

    fixture.Sleeps().Clear();
    peer.ClearReceived();
    Run(window.Form().actionCalibrate,
        {DialogScript::On<morvex_gui::CalibrateDialog>([&](morvex_gui::CalibrateDialog& dialog) {
            EXPECT_TRUE(dialog.Calibrating());
            dialog.reject();
        })});
    ExpectSettledAndRestored();
    const QString log = fixture.Log();
    EXPECT_EQ(log.count("Calibrate dialog start"), 2);
    EXPECT_EQ(log.count("Calibrate dialog exit"), 2);
}

TEST_F(DrovanelToolsTest, AboutAndSettingsLeaveTheLinkAlone) {
    Drovanel& window = OpenWindow();
    bool readDuring = false;
    Run(window.Form().action_About, {DialogScript::On<AboutDialog>([&](AboutDialog& dialog) {
            readDuring = WindowReads("ABOUT");
            dialog.reject();
        })});
    EXPECT_TRUE(readDuring);
    EXPECT_LT(fixture.Log().indexOf("About dialog start"),
              fixture.Log().indexOf("About dialog exit"));

    Run(window.Form().actionDefault_Settings,
        {DialogScript::On<SettingDialog>([](SettingDialog& dialog) { dialog.reject(); })});
    EXPECT_TRUE(fixture.Log().contains("Default settings cancel"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "");

    // Accepted on the user panel: the normal display starts again.
    Run(window.Form().actionDefault_Settings,
        {DialogScript::On<SettingDialog>([](SettingDialog& dialog) { dialog.accept(); })});
    EXPECT_TRUE(fixture.Log().contains("Default settings accept"));
    EXPECT_TRUE(peer.WaitForText("n"));
    EXPECT_TRUE(fixture.Log().contains("Normal display"));
}

TEST(DrovanelExternalToolsTest, ToolsBesideTheProgramStartOrFailWithAWarning) {
    DrovanelFixture fixture;
    Drovanel& window = fixture.Create();
    QString configFailure;
    QString downloadFailure;
    {
        DialogScript script({DialogScript::Answer(QMessageBox::Ok, &configFailure)});
        window.Form().actionStart_Zelto_Config->trigger();
        EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    }
    {
        DialogScript script({DialogScript::Answer(QMessageBox::Ok, &downloadFailure)});
        window.Form().actionStart_KVR_download->trigger();
        EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    }
    EXPECT_EQ(configFailure,
              "Start ZeltoConifg.exe Fail...: Start ZeltoConifg.exe fail, make sure it's in the "
              "current folder!");
    EXPECT_EQ(downloadFailure,
              "Start KVR_Downloader.exe Fail...: Start KVR_Downloader.exe fail, make sure it's in "
              "the current folder!");

    const QString calls = fixture.Dir().File("calls.txt");
    ASSERT_TRUE(FakeProgram::Write(fixture.Dir().File("ZeltoConfig.exe"),
                                   "echo config >> '" + calls + "'"));
    ASSERT_TRUE(FakeProgram::Write(fixture.Dir().File("KVR_Downloader.exe"),
                                   "echo download >> '" + calls + "'"));
    window.Form().actionStart_Zelto_Config->trigger();
    window.Form().actionStart_Zelto_Config->trigger();
    window.Form().actionStart_KVR_download->trigger();
    EXPECT_TRUE(PumpUntil([&] {
        const QByteArray made = fixture.Dir().Read("calls.txt");
        return made.count("config") == 2 && made.count("download") == 1;
    }));
}

}  // namespace
