#include <gtest/gtest.h>

#include <termios.h>

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreMasterVersion.h"
#include "DisplayView.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "OpenState.h"
#include "PictureScene.h"
#include "PictureView.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "TuneInitDevice.h"

namespace {

const char* const kOverflowStyle = "background:red; color:yellow; border-style:flat";
const char* const kNormalStyle = "color:green; border-style:flat";
// "#", quit, "#", quit, power on ("@o#"), "#", master version request.
const char* const kStartUp = "##q##q@o##v";
const char* const kMismatchText =
    "The version of firmware and eeprom not matched, Please download a correct vmx file.";

QStringList ButtonTexts(QTableWidget* table) {
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        auto* button = qobject_cast<QPushButton*>(table->cellWidget(row, 0));
        texts << (button != nullptr ? button->text() : QString());
    }
    return texts;
}

bool UserPanelShown(Drovanel& window) {
    return window.Form().controlPanel->currentWidget() == window.Form().userPanel;
}

class DrovanelWindowTest : public ::testing::Test {
protected:
    // Sends bytes and lets them all reach the port's input queue before the
    // window reads, so they come out of one read.
    void SendAsOneRead(Drovanel& window, const std::string& bytes) {
        const qint64 before = window.Device()->bytesAvailable();
        peer.SendRaw(bytes);
        ASSERT_TRUE(peer.WaitUntilSent());
        for (int i = 0; i < 300 && window.Device()->bytesAvailable() <
                                       before + static_cast<qint64>(bytes.size());
             ++i) {
            QThread::msleep(5);
        }
        DrovanelFixture::Spin(50);
    }

    DrovanelFixture fixture;
    BridgePeer peer;
};

TEST(DrovanelStartTest, WithoutPortsTheWindowStartsClosed) {
    DrovanelFixture fixture;
    fixture.WriteConfig("[General]\nDebug_time=7\nnormal_xml_file=old.xml\n");
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();

    EXPECT_EQ(window.windowTitle(), "Drovanel");
    EXPECT_EQ(window.PortCombo()->count(), 0);
    EXPECT_FALSE(ui.actionOpen->isEnabled());
    EXPECT_TRUE(ui.actionOpen->isCheckable());
    EXPECT_EQ(window.SpeedCombo()->currentText(), "230400");
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.commonPanel);
    EXPECT_EQ(ui.dockWidget->windowTitle(), "Contral Panel");
    EXPECT_TRUE(ui.modeToolBar->isHidden());
    EXPECT_TRUE(ui.userToolBar->isHidden());
    EXPECT_TRUE(ui.dockWidgetInformation->isHidden());
    EXPECT_TRUE(ui.comboFlags->isHidden());
    EXPECT_TRUE(ui.frame_backup->isHidden());
    EXPECT_TRUE(ui.labelChecking->isHidden());
    EXPECT_TRUE(ui.buttonEnter->isHidden());
    EXPECT_FALSE(ui.menuMode->menuAction()->isVisible());
    EXPECT_FALSE(ui.actionUserMode->isEnabled());
    EXPECT_FALSE(ui.action_Record->isEnabled());
    EXPECT_FALSE(ui.action_Stop->isChecked());
    EXPECT_FALSE(ui.action_Direct_Mode->isVisible());
    EXPECT_FALSE(window.CheckTimer()->isActive());
    EXPECT_EQ(window.CheckTimer()->interval(), 100);
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CloseState>(window.CurrentState()));
    EXPECT_EQ(window.SettingsStore()->GetValue("normal_xml_file"), "");

    // The status line: closed-port captions, the indicator green.
    EXPECT_EQ(window.ReadyLabel()->text(), "Ready");
    EXPECT_EQ(window.MasterVersionLabel()->text(),
              "<FONT COLOR=green>M-Version: </FONT><FONT COLOR=steelblue> </FONT>");
    EXPECT_EQ(window.XChannelsLabel()->text(),
              "<FONT COLOR=green>X-Ch.: </FONT><FONT COLOR=steelblue>");
    EXPECT_EQ(window.OverflowButton()->styleSheet(), kNormalStyle);
    EXPECT_EQ(window.OverflowButton()->shortcut(), QKeySequence("Ctrl+Alt+C"));

    EXPECT_EQ(
        ButtonTexts(ui.tableUserFunctions),
        (QStringList{"Read EEPRom", "Read Buttons", "Read Button Raw Data", "Check Master Version",
                     "Check Slave Customer Version", "Check Slave FW CRC / FW Version",
                     "Read EEPRom Structure Version From App."}));
    EXPECT_EQ(ButtonTexts(ui.tableI2cFunctions),
              (QStringList{"Reset Polarity", "Read RAW_CTRL Register", "Read Bootloader Info",
                           "Send Reset"}));

    QFile::remove(fixture.Dir().File("config.ini"));
    fixture.Destroy();
    const QString log = fixture.Log();
    EXPECT_TRUE(log.contains(" GUI start\n"));
    EXPECT_LT(log.indexOf("GUI exit"), log.indexOf(QString(43, '*') + "\n"));
    const QByteArray config = fixture.Dir().Read("config.ini");
    EXPECT_TRUE(config.contains("Debug_time=7"));
    EXPECT_FALSE(config.contains("normal_xml_file"));
}

TEST(DrovanelStartTest, SpeedStartsAtTheStoredSetting) {
    for (const auto& [stored, shown] :
         {std::pair<QByteArray, QString>{"460800", "460800"}, {"9600", "230400"}, {"", "230400"}}) {
        DrovanelFixture fixture;
        if (!stored.isEmpty()) {
            fixture.WriteConfig("[General]\nport_bit_rate=" + stored + "\n");
        }
        EXPECT_EQ(fixture.Create().SpeedCombo()->currentText(), shown) << stored.constData();
    }
}

TEST_F(DrovanelWindowTest, OpeningRunsTheStartUpAndPassesTheVersionCheck) {
    DrovanelFixture::AnswerStartUp(peer, "ABC BV5.9");
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();
    ASSERT_EQ(window.PortCombo()->findText(peer.PortName()), 0);
    EXPECT_TRUE(ui.actionOpen->isEnabled());

    ASSERT_TRUE(fixture.OpenPort(peer, "460800"));
    EXPECT_EQ(peer.Received().substr(0, std::strlen(kStartUp)), kStartUp);
    EXPECT_EQ(peer.LatencyTimer(), "3");
    termios line{};
    ASSERT_TRUE(peer.LineSettings(&line));
    EXPECT_EQ(cfgetospeed(&line), B460800);
    EXPECT_TRUE(ui.actionOpen->isChecked());
    EXPECT_FALSE(window.PortCombo()->isEnabled());
    EXPECT_FALSE(window.SpeedCombo()->isEnabled());
    EXPECT_TRUE(ui.action_Record->isEnabled());
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::OpenState>(window.CurrentState()));

    // The master's version asks for the EEPROM information (twice, each
    // ending in "Z"); the matching structure version opens the user panel.
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return UserPanelShown(window); }));
    EXPECT_TRUE(peer.WaitForText("Z"));
    const std::string received = peer.Received();
    const std::string eepromBlock = "am@w3A010000sw3Asr0000#Z";
    EXPECT_NE(received.find(eepromBlock + eepromBlock), std::string::npos) << received;
    EXPECT_TRUE(DrovanelFixture::WaitUntil([&] {
        return window.EepromVersionLabel()->text() ==
               "<FONT COLOR=green>E-Version: </FONT><FONT COLOR=steelblue>v2.1</FONT>";
    }));
    EXPECT_EQ(window.MasterVersionLabel()->text(),
              "<FONT COLOR=green>M-Version: </FONT><FONT COLOR=steelblue>ABC BV5.9</FONT>");
    EXPECT_EQ(window.SlaveVersionLabel()->text(),
              "<FONT COLOR=green>S-Version: </FONT><FONT COLOR=steelblue>ZT-1.0</FONT>");
    EXPECT_EQ(window.XChannelsLabel()->text(),
              "<FONT COLOR=green>X-Ch.: </FONT><FONT COLOR=steelblue>5</FONT>");
    EXPECT_EQ(window.YChannelsLabel()->text(),
              "<FONT COLOR=green>Y-Ch.: </FONT><FONT COLOR=steelblue>4</FONT>");
    // The number, not the whole text: the display modes compare it with 5.9.
    EXPECT_EQ(window.SettingsStore()->GetValue("Master_version"), "5.9");
    EXPECT_FALSE(window.CheckTimer()->isActive());
    EXPECT_TRUE(ui.labelChecking->isHidden());
    EXPECT_TRUE(ui.actionUserMode->isChecked());
    EXPECT_EQ(ui.dockWidget->windowTitle(), "User Panel");
    EXPECT_FALSE(ui.userToolBar->isHidden());
    EXPECT_FALSE(ui.modeToolBar->isHidden());
    EXPECT_TRUE(ui.menuControl->menuAction()->isVisible());
    EXPECT_TRUE(ui.actionNormal->isEnabled());
    EXPECT_TRUE(ui.actionCalibrate->isEnabled());
    EXPECT_EQ(ui.listTuneParameters->currentRow(), 0);

    // Closing: "#q", the closed layout, lists usable again.
    peer.ClearReceived();
    ui.actionOpen->trigger();
    EXPECT_TRUE(peer.WaitForText("#q"));
    EXPECT_FALSE(ui.actionOpen->isChecked());
    EXPECT_TRUE(window.PortCombo()->isEnabled());
    EXPECT_TRUE(window.SpeedCombo()->isEnabled());
    EXPECT_FALSE(ui.action_Record->isEnabled());
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.commonPanel);
    EXPECT_TRUE(ui.userToolBar->isHidden());
    EXPECT_EQ(window.MasterVersionLabel()->text(),
              "<FONT COLOR=green>M-Version: </FONT><FONT COLOR=steelblue> </FONT>");

    fixture.Destroy();
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Serialport open successfully"), log.indexOf("Enter user mode"));
    EXPECT_LT(log.indexOf("Enter user mode"), log.indexOf("Serialport close"));
    EXPECT_TRUE(fixture.Dir().Read("config.ini").contains("port_bit_rate=460800"));
}

TEST_F(DrovanelWindowTest, AMatchWithTheTuneModeCheckedEntersTheTunePanel) {
    // The structure version comes when the test sends it.
    peer.Expect("v", DrovanelFixture::MasterLine("ABC BV5.3") + "\r");
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();
    ASSERT_TRUE(fixture.OpenPort(peer));
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return window.CheckTimer()->isActive(); }));
    ui.actionTuneMode->setChecked(true);

    peer.SendLine("Read register content: 15");
    peer.SendLine("The eeprom structure version: 0x15");
    ASSERT_TRUE(DrovanelFixture::WaitUntil(
        [&] { return ui.controlPanel->currentWidget() == ui.engineeringPanel; }));
    EXPECT_FALSE(window.TuningApplied());
    EXPECT_TRUE(ui.actionTuneMode->isChecked());
    EXPECT_TRUE(ui.actionTuning_Mode->isChecked());
    EXPECT_FALSE(ui.actionUserMode->isEnabled());
    EXPECT_FALSE(ui.actionI2CMode->isEnabled());
    EXPECT_EQ(ui.dockWidget->windowTitle(), "Tune Panel");
    EXPECT_FALSE(ui.tuneToolBar->isHidden());
    EXPECT_FALSE(ui.dockWidgetInformation->isHidden());
    EXPECT_TRUE(ui.userToolBar->isHidden());
    EXPECT_FALSE(window.CheckTimer()->isActive());
    EXPECT_TRUE(fixture.Log().contains("Enter tune mode"));
}

TEST_F(DrovanelWindowTest, AMismatchWarnsAndTheCheckGivesUpOnItsHundredthTick) {
    DrovanelFixture::AnswerStartUp(peer, "ABC BV5.3", "14");
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();
    ASSERT_TRUE(fixture.OpenPort(peer));
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return boxes.Boxes().size() == 2; }));
    EXPECT_EQ(boxes.Boxes()[0].title, "Error...");
    EXPECT_EQ(boxes.Boxes()[0].text, kMismatchText);
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(boxes.Boxes()[0].hasParent);
    EXPECT_EQ(window.EepromVersionLabel()->text(),
              "<FONT COLOR=green>E-Version: </FONT><FONT COLOR=red>error</FONT>");
    EXPECT_FALSE(ui.actionNormal->isEnabled());
    EXPECT_FALSE(ui.action_Picture_View->isEnabled());
    EXPECT_TRUE(fixture.Log().contains("Eeprom version checking exit"));
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.commonPanel);

    // The check goes on until it has counted 99 ticks; the next one gives up.
    ASSERT_TRUE(window.CheckTimer()->isActive());
    while (window.CheckTicks() < Drovanel::kCheckTicks) {
        EXPECT_TRUE(ui.buttonEnter->isHidden());
        window.StartReadPort();
    }
    EXPECT_TRUE(window.CheckTimer()->isActive());
    window.StartReadPort();
    EXPECT_FALSE(window.CheckTimer()->isActive());
    EXPECT_FALSE(ui.buttonEnter->isHidden());
    EXPECT_FALSE(ui.labelEnter->isHidden());
    EXPECT_FALSE(ui.buttonMasterDownload->isHidden());
    EXPECT_FALSE(ui.buttonSlaveDownload->isHidden());

    // The engineer goes on without the check.
    peer.ClearReceived();
    ui.buttonEnter->click();
    EXPECT_TRUE(UserPanelShown(window));
    EXPECT_TRUE(ui.labelChecking->isHidden());
    EXPECT_TRUE(peer.WaitForText("#"));
}

TEST_F(DrovanelWindowTest, MissingEepromInformationWarns) {
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    window.Imp()->CheckInformationTimeOut();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Error...");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Can't read EEPROM information, please check the connection of slave and download "
              "the correct vmx file.");
}

TEST_F(DrovanelWindowTest, RepliesReachTheStateThatIsCurrentLineByLine) {
    Drovanel& window = fixture.Create();
    ASSERT_TRUE(fixture.OpenChecked(peer));

    // A line cut across reads is parsed once it is complete (the information
    // state is still current and shows every slave version line).
    peer.SendRaw("Slave ver");
    DrovanelFixture::Spin(50);
    EXPECT_EQ(window.PendingLength(), 9);
    peer.SendRaw("sion: NEXT-2\r");
    ASSERT_TRUE(DrovanelFixture::WaitUntil(
        [&] { return window.SlaveVersionLabel()->text().contains("NEXT-2"); }));
    EXPECT_EQ(window.PendingLength(), 0);

    // The activity bar moves one step per line, empty lines included, and wraps at 100.
    const int before = window.LineProgress()->value();
    std::string lines;
    for (int i = 0; i < 98; ++i) {
        lines += "z\r";
    }
    lines += "\r\r";
    peer.SendRaw(lines);
    DrovanelFixture::Spin(200);
    EXPECT_EQ(window.LineProgress()->value(), before);
    peer.SendRaw("z\rz\rz\r");
    ASSERT_TRUE(DrovanelFixture::WaitUntil(
        [&] { return window.LineProgress()->value() == (before + 3) % 100; }));

    // A readyRead with nothing to read moves nothing.
    window.ReadSerialPort();
    EXPECT_EQ(window.LineProgress()->value(), (before + 3) % 100);

    // The user's version check makes the master version state current; its
    // reply goes there and reaches the status line; the setting keeps the number.
    peer.ClearReceived();
    window.UserCheckMasterVersion();
    EXPECT_TRUE(peer.WaitForText("v"));
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CoreMasterVersion>(window.CurrentState()));
    EXPECT_TRUE(DrovanelFixture::WaitUntil([&] {
        return window.MasterVersionLabel()->text() ==
               "<FONT COLOR=green>M-Version: </FONT><FONT COLOR=steelblue>BV5.3</FONT>";
    }));
    EXPECT_EQ(window.SettingsStore()->GetValue("Master_version"), "5.3");

    // The caption rate shows the lines since its last call.
    window.Rate();
    window.Rate();
    EXPECT_EQ(window.LineCount(), 0);
    EXPECT_EQ(window.View()->TextItem()->toPlainText(), "0");
}

TEST_F(DrovanelWindowTest, AModeSwitchInsideAReplyKeepsTheRunningStateAlive) {
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    // The information state's first line is a structure version that does not
    // match: its box opens while the state is still starting. There the
    // engineer picks the picture view, so the window no longer holds the
    // information state, and new lines are read by the box's event loop.
    bool switched = false;
    boxes.SetOnShown([&] {
        if (switched) {
            return;
        }
        switched = true;
        window.PictureView();
        peer.SendLine("( 1,2,3");
        DrovanelFixture::WaitUntil([&] {
            return boost::dynamic_pointer_cast<morvex_gui_qtlib::PictureScene>(
                       window.View()->GetScene()) != nullptr;
        });
    });
    ASSERT_TRUE(fixture.OpenPort(peer));
    peer.SendRaw("The eeprom structure version: 0x15\r( 4,5,6\r");
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return switched; }));
    DrovanelFixture::Spin(100);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kMismatchText);
    // The line after the one that switched went to the new state.
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::PictureView>(window.CurrentState()));
    peer.SendLine("( 7,8,9");
    DrovanelFixture::Spin(50);
}

TEST_F(DrovanelWindowTest, LargeReadsAndEndlessLinesAreOverflowsNotOverruns) {
    Drovanel& window = fixture.Create();
    ASSERT_TRUE(fixture.OpenChecked(peer));
    QPushButton* overflow = window.OverflowButton();

    // 4095 bytes in one read are parsed.
    SendAsOneRead(window, std::string(4094, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // 4096 bytes in one read: marked, dropped, nothing parsed from them.
    const int progress = window.LineProgress()->value();
    SendAsOneRead(window, std::string(4095, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(window.PendingLength(), 0);
    EXPECT_EQ(window.LineProgress()->value(), progress);
    overflow->click();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // Text without a line end never runs past the pending buffer.
    for (int i = 0; i < 2; ++i) {
        SendAsOneRead(window, std::string(4000, 'y'));
        EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    }
    EXPECT_EQ(window.PendingLength(), 8000);
    SendAsOneRead(window, std::string(193, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(window.PendingLength(), 0);

    // Reading goes on afterwards; the Clear action also clears the mark.
    peer.SendLine("Slave version: AFTER");
    EXPECT_TRUE(DrovanelFixture::WaitUntil(
        [&] { return window.SlaveVersionLabel()->text().contains("AFTER"); }));
    window.Form().actionClear->trigger();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    EXPECT_TRUE(fixture.Log().contains("Display clear"));
}

TEST_F(DrovanelWindowTest, PullingTheOpenAdapterClosesThePortAndWarns) {
    BridgePeer other;
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();
    ASSERT_TRUE(fixture.OpenChecked(peer));
    ASSERT_EQ(window.PortCombo()->count(), 2);
    std::vector<bool> openWhenSignalled;
    QObject::connect(&window, &Drovanel::SignalDeviceDisconnect,
                     [&] { openWhenSignalled.push_back(window.Device()->isOpen()); });

    // Another adapter going away only refreshes the list.
    other.Unlist();
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return window.PortCombo()->count() == 1; }));
    EXPECT_TRUE(ui.actionOpen->isChecked());
    EXPECT_TRUE(openWhenSignalled.empty());
    EXPECT_TRUE(boxes.Boxes().empty());

    // The open one: the signal first (the port still open), then the close, then the box.
    peer.HangUp();
    peer.Unlist();
    ASSERT_TRUE(DrovanelFixture::WaitUntil([&] { return boxes.Boxes().size() == 1; }));
    EXPECT_EQ(openWhenSignalled, std::vector<bool>{true});
    EXPECT_FALSE(ui.actionOpen->isChecked());
    EXPECT_FALSE(ui.actionOpen->isEnabled());
    EXPECT_EQ(window.PortCombo()->count(), 0);
    EXPECT_EQ(boxes.Boxes()[0].title, "Missing Connection...");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "The device maybe disconnect from the PC, please check it and retry.");
    EXPECT_TRUE(boxes.Boxes()[0].hasParent);
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.commonPanel);
    const QString log = fixture.Log();
    EXPECT_LT(log.indexOf("Opened Device is Disconnected"), log.indexOf("Serialport close"));

    // An arrival enables opening again.
    other.List();
    EXPECT_TRUE(DrovanelFixture::WaitUntil([&] { return ui.actionOpen->isEnabled(); }));
    EXPECT_EQ(window.PortCombo()->count(), 1);
}

TEST(DrovanelOpenTest, AFailedOpenTellsTheEngineerAndStaysClosed) {
    DrovanelFixture fixture;
    fixture.Dir().Write("registry.ini",
                        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
                        "\\Device\\VCP0=/nonexistent/ttyPEER\n");
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    ASSERT_EQ(window.PortCombo()->currentText(), "/nonexistent/ttyPEER");
    window.Form().actionOpen->trigger();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Open Error");
    EXPECT_EQ(boxes.Boxes()[0].text, "Open SerialPort Fail!");
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(window.Form().actionOpen->isChecked());
    EXPECT_FALSE(window.Form().action_Record->isEnabled());
    EXPECT_TRUE(window.PortCombo()->isEnabled());
    EXPECT_TRUE(fixture.Log().contains("Serialport open failed"));

    // The direct switch fails the same way.
    window.SwitchPortDirect(true);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Open SerialPort Fail!");
    fixture.Destroy();
    EXPECT_FALSE(fixture.Dir().Read("config.ini").contains("port_bit_rate"));
}

TEST_F(DrovanelWindowTest, TheDirectSwitchOpensWithoutAnyCheck) {
    Drovanel& window = fixture.Create();
    Ui::DrovanelClass& ui = window.Form();
    window.PortCombo()->setCurrentText(peer.PortName());
    window.SpeedCombo()->setCurrentText("460800");

    window.SwitchPortDirect(true);
    EXPECT_TRUE(window.Device()->isOpen());
    EXPECT_TRUE(ui.actionOpen->isChecked());
    EXPECT_TRUE(UserPanelShown(window));
    EXPECT_TRUE(window.SpeedCombo()->isEnabled());
    EXPECT_TRUE(window.PortCombo()->isEnabled());
    // No start-up sequence: only the user panel's "#".
    EXPECT_TRUE(peer.WaitForText("#"));
    DrovanelFixture::Spin(50);
    EXPECT_EQ(peer.Received(), "#");
    termios line{};
    ASSERT_TRUE(peer.LineSettings(&line));
    EXPECT_EQ(cfgetospeed(&line), B460800);

    // Lines before any mode reach the idle state harmlessly; a mode then works.
    peer.SendLine("stray text");
    DrovanelFixture::Spin(50);
    peer.ClearReceived();
    ui.actionDebug->trigger();
    EXPECT_TRUE(peer.WaitForText("d"));

    window.SwitchPortDirect(false);
    EXPECT_TRUE(peer.WaitForText("#q"));
    EXPECT_FALSE(window.Device()->isOpen());
    EXPECT_FALSE(ui.actionOpen->isChecked());
    EXPECT_EQ(ui.controlPanel->currentWidget(), ui.commonPanel);
    fixture.Destroy();
    EXPECT_FALSE(fixture.Dir().Read("config.ini").contains("port_bit_rate"));
    EXPECT_TRUE(fixture.Log().contains("Serialport open successfully"));
}

}  // namespace
