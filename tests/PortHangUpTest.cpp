#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

#include "BridgePeer.h"
#include "MassProductionFixture.h"
#include "ModalCloser.h"
#include "ZeltoMP.h"

// The bridge's USB link drops while an automatic run waits for the first
// item's replies; the port's name stays listed.
TEST(PortHangUpTest, AHangUpEndsTheRunLikeARemovalAndThePortOpensAgain) {
    MassProductionFixture mp;
    BridgePeer peer;
    ModalCloser boxes;
    mp.WriteConfig(
        "[General]\nMasterVersion=ABC BV5.3\nSlaveVersion=ZT-1.0\nDebug_time=30\n"
        "[ModeSwitch]\ndebug_mode=1\n");
    ZeltoMP& window = mp.OpenWithVersions(peer);
    Ui_ZeltoMP& ui = window.Form();
    ui.actionAutoTest_Mode->trigger();
    ui.autotest_pushButton->click();
    ASSERT_TRUE(peer.WaitForText("n"));
    MassProductionFixture::Spin(50);

    peer.HangUp();
    ASSERT_TRUE(MassProductionFixture::WaitUntil([&] { return !ui.actionOpen->isChecked(); }));
    EXPECT_TRUE(ui.stackedWidget->isHidden());
    EXPECT_TRUE(ui.textBrowser->toPlainText().contains(
        "The device maybe disconnect from the PC, please check it and retry."));
    EXPECT_TRUE(mp.Log().contains("Opened Device is Disconnected"));
    EXPECT_TRUE(ui.actionOpen->isEnabled());

    peer.Reconnect();
    window.DeviceArrival();  // a new pseudo-terminal may have a new name
    EXPECT_TRUE(mp.OpenPort(peer));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(ui.actionOpen->isChecked());
    mp.Destroy();
}
