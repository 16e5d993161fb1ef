#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

#include "BridgePeer.h"
#include "EventPump.h"
#include "ModalCloser.h"
#include "ProgramFolderFixture.h"
#include "ZeltoMP.h"

// The bridge's USB link drops while an automatic run waits for the first
// item's replies; the port's name stays listed.
TEST(PortHangUpTest, AHangUpEndsTheRunLikeARemovalAndThePortOpensAgain) {
    ProgramFolderFixture folder;
    ModalCloser boxes;
    BridgePeer peer;
    peer.Expect("v", ProgramFolderFixture::MasterLine("ABC BV5.3") + "\r");
    peer.Expect("a", "Slave version: ZT-1.0\rNumber of x electrodes: 0x05\r");
    folder.WriteConfig("[General]\nMasterVersion=ABC BV5.3\nSlaveVersion=ZT-1.0\n");
    ZeltoMP window;
    const auto open = [&] {
        window.findChild<QComboBox*>("portCombo")->setCurrentText(peer.PortName());
        window.findChild<QAction*>("actionOpen")->trigger();
        return PumpUntil(
            [&] { return !window.findChild<QLabel*>("slave_label")->text().isEmpty(); });
    };
    ASSERT_TRUE(open());
    window.findChild<QAction*>("actionAutoTest_Mode")->trigger();
    window.findChild<QPushButton*>("autotest_pushButton")->click();
    ASSERT_TRUE(peer.WaitForText("n"));
    PumpFor(50);

    peer.HangUp();
    QAction* openAction = window.findChild<QAction*>("actionOpen");
    ASSERT_TRUE(PumpUntil([&] { return !openAction->isChecked(); }));
    EXPECT_TRUE(window.findChild<QStackedWidget*>("stackedWidget")->isHidden());
    EXPECT_TRUE(
        window.findChild<QTextBrowser*>("textBrowser")
            ->toPlainText()
            .contains("The device maybe disconnect from the PC, please check it and retry."));
    EXPECT_TRUE(folder.Log().contains("Opened Device is Disconnected"));
    EXPECT_TRUE(openAction->isEnabled());

    peer.Reconnect();
    window.DeviceArrival();  // a new pseudo-terminal may have a new name
    EXPECT_TRUE(open());
    EXPECT_TRUE(openAction->isChecked());
    EXPECT_TRUE(boxes.Boxes().empty());
}
