#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QTimer>

#include "BridgePeer.h"
#include "DisplayView.h"
#include "MassProductionFixture.h"
#include "QtWindowImp.h"
#include "ZeltoMP.h"

namespace {

const QString kOk = "<FONT COLOR=GREEN> OK </FONT>";
const QString kNg = "<FONT COLOR=RED> NG </FONT>";

QString Count(int seconds) {
    return QString("<FONT COLOR=BLUE>%1</FONT>").arg(seconds);
}

// The countdowns and verdicts, driven by calling the timer slot and emitting
// the view's verdict directly, so no test waits for real seconds.
class CountdownVerdictTest : public ::testing::Test {
protected:
    ZeltoMP& Open(const QByteArray& config) {
        mp.WriteConfig("[General]\nSlaveVersion=ZT-1.0\n" + config);
        return mp.OpenWithVersions(peer);
    }
    void TearDown() override { mp.Destroy(); }

    MassProductionFixture mp;
    BridgePeer peer;
};

TEST_F(CountdownVerdictTest, ManualCountdownShowsTheSecondsAndTheOutcome) {
    ZeltoMP& window = Open(
        "Debug_time=3\nJitter_time=2\n[ModeSwitch]\ndebug_mode=1\n"
        "jitter_mode=1\n");
    QLabel* countdown = window.Form().countdown_label;

    // A pass-on-time-out countdown.
    window.Debug();
    EXPECT_EQ(window.ModeFlag(), ZeltoMP::kDebugItem);
    window.startTimer(1);
    EXPECT_EQ(countdown->text(), Count(3));
    EXPECT_TRUE(window.CountdownTimer(1)->isActive());
    EXPECT_EQ(window.CountdownTimer(1)->interval(), 1000);
    window.TimerTrigger();
    EXPECT_EQ(countdown->text(), Count(2));
    window.TimerTrigger();
    EXPECT_EQ(countdown->text(), Count(1));
    window.TimerTrigger();
    EXPECT_EQ(countdown->text(), kOk);
    EXPECT_FALSE(window.CountdownTimer(1)->isActive());
    // Once judged, a late verdict belongs to nothing.
    window.View()->sendTestResult(false);
    EXPECT_EQ(countdown->text(), kOk);

    // A fail-on-time-out countdown.
    window.Jitter();
    window.startTimer(0);
    window.TimerTrigger();
    window.TimerTrigger();
    EXPECT_EQ(countdown->text(), kNg);
    EXPECT_FALSE(window.CountdownTimer(0)->isActive());

    // A reported verdict ends the countdown at once.
    window.Debug();
    window.startTimer(1);
    window.View()->sendTestResult(false);
    EXPECT_EQ(countdown->text(), kNg);
    EXPECT_FALSE(window.CountdownTimer(1)->isActive());
}

TEST_F(CountdownVerdictTest, AnItemWithoutTimeGetsNoManualCountdown) {
    ZeltoMP& window = Open("[ModeSwitch]\ndebug_mode=1\n");
    window.Debug();
    window.startTimer(1);
    EXPECT_EQ(window.Form().countdown_label->text(), "");
    EXPECT_FALSE(window.CountdownTimer(1)->isActive());
    window.View()->sendTestResult(false);
    EXPECT_EQ(window.Form().countdown_label->text(), "");
}

TEST_F(CountdownVerdictTest, StartingAnItemStopsThePreviousCountdown) {
    ZeltoMP& window = Open(
        "Debug_time=5\nJitter_time=5\n[ModeSwitch]\ndebug_mode=1\n"
        "jitter_mode=1\n");
    window.Debug();
    window.startTimer(1);
    ASSERT_TRUE(window.CountdownTimer(1)->isActive());
    window.Jitter();
    EXPECT_FALSE(window.CountdownTimer(1)->isActive());
    EXPECT_EQ(window.Form().countdown_label->text(), "");
    // The old item's scene can no longer judge the new one.
    window.View()->sendTestResult(false);
    EXPECT_EQ(window.Form().countdown_label->text(), "");
}

TEST_F(CountdownVerdictTest, AutomaticVerdictsFollowTheirTableAndStartTheNextItemLater) {
    ZeltoMP& window = Open(
        "Reset_time=4\nAttb_time=3\nDebug_time=2\n[ModeSwitch]\n"
        "reset_mode=1\nattb_mode=1\ndebug_mode=1\n");
    Ui_ZeltoMP& ui = window.Form();
    ui.actionAutoTest_Mode->trigger();
    window.ItemCheckBox(ZeltoMP::kSlaveCheck)->click();
    ui.autotest_pushButton->click();
    EXPECT_EQ(window.ModeFlag(), ZeltoMP::kResetItem);
    EXPECT_EQ(ui.countdown_label->text(), Count(4));
    window.TimerTrigger();
    EXPECT_EQ(ui.reset_label->text(), "Reset: " + Count(3));

    // The reset reply's verdict: shown and recorded now, the recovery and
    // the next item only after the reply is done.
    ASSERT_TRUE(peer.WaitForText("kO"));
    peer.ClearReceived();
    window.View()->sendTestResult(true);
    EXPECT_EQ(ui.reset_label->text(), "Reset: <FONT COLOR=GREEN>OK</FONT>");
    EXPECT_EQ(ui.countdown_label->text(), kOk);
    EXPECT_EQ(window.Imp()->_results["reset"], "Reset: ,Pass\r\n");
    EXPECT_EQ(window.ModeFlag(), ZeltoMP::kResetItem);
    EXPECT_EQ(peer.Received(), "");
    ASSERT_TRUE(
        MassProductionFixture::WaitUntil([&] { return window.ModeFlag() == ZeltoMP::kAttbItem; }));
    // Recovery: quit, "n", "#", quit, "@", power on, "#"; then the ATTB item.
    EXPECT_TRUE(peer.WaitForText("#qn##q@@o##@o#~rx"));
    EXPECT_EQ(peer.Received().substr(0, 17), "#qn##q@@o##@o#~rx");

    // ATTB passes on its time-out; its own count stays until the next one.
    EXPECT_EQ(ui.countdown_label->text(), Count(3));
    window.TimerTrigger();
    window.TimerTrigger();
    window.TimerTrigger();
    EXPECT_EQ(ui.attb_label->text(), "Attb: <FONT COLOR=GREEN>OK</FONT>");
    EXPECT_EQ(window.Imp()->_results["attb"], "Attb: ,Pass\r\n");
    EXPECT_EQ(ui.countdown_label->text(), Count(3));
    ASSERT_TRUE(
        MassProductionFixture::WaitUntil([&] { return window.ModeFlag() == ZeltoMP::kDebugItem; }));

    // Debug fails by its report and the run ends NG with its file.
    window.startTimer(1);
    window.View()->sendTestResult(false);
    EXPECT_EQ(ui.debug_label->text(), "Debug: <FONT COLOR=RED>NG</FONT>");
    ASSERT_TRUE(
        MassProductionFixture::WaitUntil([&] { return !ui.result_label->text().isEmpty(); }));
    EXPECT_EQ(ui.result_label->text(), "<font color=white>NG<font>");
    EXPECT_EQ(QDir(mp.Dir().File("Results")).entryList(QDir::Files).size(), 1);
}

TEST_F(CountdownVerdictTest, ARestartedRunDropsWhatTheOldOneStillHadToDo) {
    ZeltoMP& window = Open(
        "Reset_time=4\nAttb_time=3\n[ModeSwitch]\nreset_mode=1\n"
        "attb_mode=1\n");
    Ui_ZeltoMP& ui = window.Form();
    ui.actionAutoTest_Mode->trigger();
    window.ItemCheckBox(ZeltoMP::kSlaveCheck)->click();
    ui.autotest_pushButton->click();
    ASSERT_EQ(window.ModeFlag(), ZeltoMP::kResetItem);
    window.View()->sendTestResult(true);
    // Run Test again before the old run's next step came round.
    peer.ClearReceived();
    ui.autotest_pushButton->click();
    MassProductionFixture::Spin(200);
    EXPECT_EQ(window.ModeFlag(), ZeltoMP::kResetItem);
    EXPECT_EQ(peer.Received().find('~'), std::string::npos) << peer.Received();
    EXPECT_EQ(ui.reset_label->text(), "Reset: <FONT COLOR=DimGray>Wait...</FONT>");
    EXPECT_EQ(ui.countdown_label->text(), Count(4));
    EXPECT_TRUE(window.CountdownTimer(0)->isActive());
}

TEST_F(CountdownVerdictTest, AResultFileThatCannotBeWrittenIsAVisibleError) {
    ZeltoMP& window = Open("");
    Ui_ZeltoMP& ui = window.Form();
    // A file where the results folder should be.
    mp.Dir().Write("Results", "in the way");
    ui.actionAutoTest_Mode->trigger();
    ui.autotest_pushButton->click();
    ASSERT_TRUE(
        MassProductionFixture::WaitUntil([&] { return !ui.result_label->text().isEmpty(); }));
    EXPECT_EQ(ui.normal_label->text(), "Slave Check: <FONT COLOR=GREEN>OK</FONT>");
    EXPECT_EQ(ui.result_label->text(), "<font color=white>Not saved<font>");
    EXPECT_EQ(ui.result_label->styleSheet(), "background-color: red");
    EXPECT_TRUE(mp.Log().contains("Result file not saved"));
    // The records are kept for another attempt.
    EXPECT_FALSE(window.Imp()->_results.empty());
}

}  // namespace
