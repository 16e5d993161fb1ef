#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include "BridgePeer.h"
#include "CoreDevice.h"
#include "DisplayView.h"
#include "MassProductionFixture.h"
#include "OpenState.h"
#include "ZeltoMP.h"

namespace {

const char* const kOverflowStyle = "background:red; color:yellow; border-style:flat";
const char* const kNormalStyle = "color:green; border-style:flat";

// The start-up sequence of an opened port: "#", quit, "#", quit, power on,
// "#", master version request.
const char* const kStartUp = "##q##q@o##v";

class MassProductionWindowTest : public ::testing::Test {
protected:
    void TearDown() override { mp.Destroy(); }

    // Sends bytes and lets them all reach the port's input queue before the
    // window reads, so they come out of one read.
    void SendAsOneRead(ZeltoMP& window, const std::string& bytes) {
        const qint64 before = window.Device()->bytesAvailable();
        peer.SendRaw(bytes);
        ASSERT_TRUE(peer.WaitUntilSent());
        for (int i = 0; i < 300 && window.Device()->bytesAvailable() <
                                       before + static_cast<qint64>(bytes.size());
             ++i) {
            QThread::msleep(5);
        }
        MassProductionFixture::Spin(50);
    }

    MassProductionFixture mp;
    BridgePeer peer;
};

TEST(MassProductionWindowStartTest, WithoutPortsTheWindowStartsClosedAndUsable) {
    MassProductionFixture mp;
    mp.WriteConfig("[General]\nDebug_time=7\n");
    ZeltoMP& window = mp.Create();
    QFile::remove(mp.Dir().File("config.ini"));
    Ui_ZeltoMP& ui = window.Form();
    EXPECT_EQ(window.windowTitle(), "Zelto C MP");
    EXPECT_EQ(window.PortCombo()->count(), 0);
    EXPECT_FALSE(ui.actionOpen->isEnabled());
    EXPECT_TRUE(ui.actionOpen->isCheckable());
    EXPECT_TRUE(ui.stackedWidget->isHidden());
    EXPECT_TRUE(ui.mode_toolBar->isHidden());
    EXPECT_FALSE(ui.menuMode->menuAction()->isVisible());
    EXPECT_FALSE(ui.menuControl->menuAction()->isVisible());
    EXPECT_FALSE(ui.actionSlaveDownload->isEnabled());
    EXPECT_FALSE(ui.actionCalibrate->isEnabled());
    EXPECT_TRUE(ui.dockWidget_2->isHidden());
    EXPECT_EQ(ui.stackedWidget->currentWidget(), ui.normal_page);
    EXPECT_TRUE(ui.actionNormal_Mode->isChecked());
    EXPECT_EQ(ui.countdown_label->text(), "");
    EXPECT_EQ(window.BitRateCombo()->currentText(), "230400");
    EXPECT_EQ(window.MasterVersionLabel()->text(),
              "<FONT COLOR=green>M-Ver.: </FONT><FONT COLOR=steelblue> </FONT>");
    EXPECT_EQ(window.OverflowButton()->styleSheet(), kNormalStyle);
    EXPECT_TRUE(window.CurrentState());

    // Still usable: items, the clear action and full screen do no harm.
    window.Normal();
    window.Debug();
    ui.actionClear->trigger();
    ui.actionFullScreen->setChecked(true);
    ui.actionDisplayFullScreen->setChecked(true);
    EXPECT_TRUE(window.View()->isWindow());
    window.DisableFullScreen();
    EXPECT_FALSE(ui.actionFullScreen->isChecked());
    EXPECT_FALSE(ui.actionDisplayFullScreen->isChecked());
    EXPECT_FALSE(window.View()->isWindow());
    EXPECT_LT(mp.Log().lastIndexOf("Full screen change"), mp.Log().indexOf("Normal display"));
    EXPECT_EQ(window.ModeFlag(), ZeltoMP::kDebugItem);

    mp.Destroy();
    const QString log = mp.Log();
    EXPECT_TRUE(log.contains(" GUI start\n"));
    EXPECT_TRUE(log.contains(" GUI exit\n"));
    EXPECT_TRUE(log.contains(" *******************************************\n"));
    EXPECT_LT(log.indexOf("GUI exit"), log.indexOf("*******"));
    EXPECT_TRUE(mp.Dir().Read("config.ini").contains("Debug_time=7"));
}

TEST(MassProductionWindowStartTest, BitRateStartsAtTheStoredSetting) {
    for (const auto& [stored, shown] :
         {std::pair<QByteArray, QString>{"460800", "460800"}, {"9600", "230400"}, {"", "230400"}}) {
        MassProductionFixture mp;
        if (!stored.isEmpty()) {
            mp.WriteConfig("[General]\nport_bit_rate=" + stored + "\n");
        }
        EXPECT_EQ(mp.Create().BitRateCombo()->currentText(), shown) << stored.constData();
    }
}

TEST_F(MassProductionWindowTest, OpeningSendsTheStartUpAndShowsTheOpenControls) {
    ZeltoMP& window = mp.Create();
    Ui_ZeltoMP& ui = window.Form();
    ASSERT_EQ(window.PortCombo()->findText(peer.PortName()), 0);
    EXPECT_TRUE(ui.actionOpen->isEnabled());

    ASSERT_TRUE(mp.OpenPort(peer, "460800"));
    EXPECT_EQ(peer.Received().substr(0, std::strlen(kStartUp)), kStartUp);
    EXPECT_EQ(peer.LatencyTimer(), "3");
    termios line{};
    ASSERT_TRUE(peer.LineSettings(&line));
    EXPECT_EQ(cfgetospeed(&line), B460800);
    EXPECT_TRUE(ui.actionOpen->isChecked());
    EXPECT_FALSE(window.PortCombo()->isEnabled());
    EXPECT_FALSE(window.BitRateCombo()->isEnabled());
    EXPECT_FALSE(ui.stackedWidget->isHidden());
    EXPECT_FALSE(ui.mode_toolBar->isHidden());
    EXPECT_TRUE(ui.menuMode->menuAction()->isVisible());
    EXPECT_TRUE(ui.actionMasterDownload->isEnabled());
    EXPECT_TRUE(ui.actionWithOffset->isEnabled());
    EXPECT_TRUE(window.VersionTimer()->isActive());
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::OpenState>(window.CurrentState()));
    EXPECT_TRUE(mp.Log().contains("Serialport open successfully"));

    // Closing by the operator: power off, quit, closed controls.
    peer.ClearReceived();
    ui.actionOpen->trigger();
    EXPECT_TRUE(peer.WaitForText("@c##q"));
    EXPECT_FALSE(ui.actionOpen->isChecked());
    EXPECT_TRUE(window.PortCombo()->isEnabled());
    EXPECT_TRUE(ui.stackedWidget->isHidden());
    EXPECT_FALSE(ui.actionCalibrate->isEnabled());
    EXPECT_TRUE(mp.Log().contains("Serialport close"));

    // The speed chosen at the successful open is what config.ini keeps.
    mp.Destroy();
    EXPECT_TRUE(mp.Dir().Read("config.ini").contains("port_bit_rate=460800"));
    EXPECT_TRUE(mp.Log().contains("GUI exit"));
}

TEST_F(MassProductionWindowTest, RepliesReachTheCurrentStateLineByLine) {
    ZeltoMP& window = mp.OpenWithVersions(peer);
    Ui_ZeltoMP& ui = window.Form();
    EXPECT_EQ(ui.master_label->text(), "<FONT COLOR=Red SIZE=8>ABC BV5.3</FONT>");

    // A line cut across reads is parsed once it is complete.
    peer.SendRaw("Slave ver");
    MassProductionFixture::Spin(50);
    EXPECT_EQ(window.PendingLength(), 9);
    peer.SendRaw("sion: NEXT-2\r");
    ASSERT_TRUE(MassProductionFixture::WaitUntil(
        [&] { return ui.slave_label->text().contains("NEXT-2"); }));
    EXPECT_EQ(window.PendingLength(), 0);

    // One step of the progress bar per line, empty lines included; 100 wraps to 0.
    const int before = window.ProgressBar()->value();
    std::string lines;
    for (int i = 0; i < 98; ++i) {
        lines += "z\r";
    }
    lines += "\r\r";
    peer.SendRaw(lines);
    MassProductionFixture::Spin(200);
    EXPECT_EQ(window.ProgressBar()->value(), before);
    peer.SendRaw("z\rz\rz\r");
    ASSERT_TRUE(MassProductionFixture::WaitUntil(
        [&] { return window.ProgressBar()->value() == (before + 3) % 100; }));
}

TEST_F(MassProductionWindowTest, LargeReadsAndEndlessLinesAreOverflowsNotOverruns) {
    ZeltoMP& window = mp.OpenWithVersions(peer);
    QPushButton* overflow = window.OverflowButton();

    // 4095 bytes in one read are parsed.
    SendAsOneRead(window, std::string(4094, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // 4096 bytes in one read: marked, dropped, nothing parsed from them.
    SendAsOneRead(window, std::string(4095, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(window.PendingLength(), 0);
    overflow->click();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // Text without a line end never runs past the pending buffer.
    for (int i = 0; i < 2; ++i) {
        SendAsOneRead(window, std::string(3000, 'y'));
        EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    }
    EXPECT_EQ(window.PendingLength(), 6000);
    SendAsOneRead(window, std::string(3000, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(window.PendingLength(), 0);

    // Reading goes on afterwards; the Clear action also clears the mark.
    peer.SendRaw("Slave version: AFTER\r");
    EXPECT_TRUE(MassProductionFixture::WaitUntil(
        [&] { return window.Form().slave_label->text().contains("AFTER"); }));
    window.Form().actionClear->trigger();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    EXPECT_TRUE(mp.Log().contains("Display clear"));
}

TEST_F(MassProductionWindowTest, NackFromTheBridgePowersTheSlaveOff) {
    ZeltoMP& window = mp.OpenWithVersions(peer);
    (void)window;
    peer.ClearReceived();
    peer.SendLine("I2C_MTX_NACK_DATA");
    EXPECT_TRUE(MassProductionFixture::WaitUntil(
        [&] { return peer.Received().find("@c#") != std::string::npos; }));
}

TEST_F(MassProductionWindowTest, PullingTheAdapterClosesThePortWithTheRedMessage) {
    BridgePeer other;
    ZeltoMP& window = mp.OpenWithVersions(peer);
    Ui_ZeltoMP& ui = window.Form();
    QSignalSpy disconnected(&window, &ZeltoMP::SignalDeviceDisconnect);
    ASSERT_EQ(window.PortCombo()->count(), 2);

    // Another adapter going away only refreshes the list.
    other.Unlist();
    ASSERT_TRUE(MassProductionFixture::WaitUntil([&] { return window.PortCombo()->count() == 1; }));
    EXPECT_TRUE(ui.actionOpen->isChecked());
    EXPECT_EQ(disconnected.count(), 0);

    // The open one: hang-up and removal, noticed by the device watcher.
    peer.HangUp();
    peer.Unlist();
    ASSERT_TRUE(MassProductionFixture::WaitUntil([&] { return !ui.actionOpen->isChecked(); }));
    EXPECT_EQ(disconnected.count(), 1);
    EXPECT_TRUE(ui.textBrowser->toPlainText().contains(
        "The device maybe disconnect from the PC, please check it and retry."));
    EXPECT_TRUE(ui.textBrowser->toHtml().contains("#ff0000"));
    EXPECT_EQ(window.PortCombo()->count(), 0);
    EXPECT_FALSE(ui.actionOpen->isEnabled());
    EXPECT_TRUE(ui.stackedWidget->isHidden());
    EXPECT_EQ(ui.master_label->text(), "");
    const QString log = mp.Log();
    EXPECT_LT(log.indexOf("Opened Device is Disconnected"), log.indexOf("Serialport close"));

    // Any arrival with a port enables opening again.
    other.List();
    EXPECT_TRUE(MassProductionFixture::WaitUntil([&] { return ui.actionOpen->isEnabled(); }));
    EXPECT_EQ(window.PortCombo()->count(), 1);
}

TEST(MassProductionWindowOpenTest, AFailedOpenTellsTheOperatorAndStaysClosed) {
    MassProductionFixture mp;
    mp.Dir().Write("registry.ini",
                   "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
                   "\\Device\\VCP0=/nonexistent/ttyPEER\n");
    ZeltoMP& window = mp.Create();
    ASSERT_EQ(window.PortCombo()->currentText(), "/nonexistent/ttyPEER");
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    window.Form().actionOpen->trigger();
    EXPECT_EQ(title, "Open Error");
    EXPECT_EQ(text, "Open SerialPort Fail!");
    EXPECT_FALSE(window.Form().actionOpen->isChecked());
    EXPECT_TRUE(window.Form().stackedWidget->isHidden());
    EXPECT_TRUE(window.PortCombo()->isEnabled());
    EXPECT_TRUE(mp.Log().contains("Serialport open failed"));
    mp.Destroy();
    EXPECT_FALSE(mp.Dir().Read("config.ini").contains("port_bit_rate"));
}

}  // namespace
