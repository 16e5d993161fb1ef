#include <gtest/gtest.h>

#include <termios.h>

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>

#include <string>
#include <vector>

#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "DebugScene.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "MasterDownloader.h"
#include "MultiFingerLiftScene.h"
#include "NormalFlagScene.h"
#include "NormalScene.h"
#include "PictureScene.h"
#include "RasterScene.h"
#include "SlaveDownloader.h"

namespace {

using namespace morvex_gui_qtlib;
using Step = DialogScript::Step;

const char* const kOverflowStyle = "background:red; color:yellow; border-style:flat";
const char* const kNormalStyle = "color:green; border-style:flat";
// "#", quit, "#", quit, power on ("@o#"), "#", master version request.
const char* const kStartUp = "##q##q@o##v";

QString Caption(const char* key, const QString& value) {
    return QString("<FONT COLOR=green>%1: </FONT><FONT COLOR=steelblue>%2</FONT>").arg(key, value);
}

class DrovanelWindowTest : public ::testing::Test {
protected:
    Drovanel& OpenWindow(const std::string& master = "ABC BV5.3") {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer, master));
        return window;
    }

    std::string Sent(const std::function<void()>& act, const std::string& expected = "") {
        return fixture.Sent(peer, act, expected);
    }

    // Whether a reply reaches the window's own reader now.
    bool WindowReads(const std::string& version) {
        peer.SendLine("Slave version: " + version);
        return PumpUntil([&] { return fixture.Status("S-Ver").contains(version.c_str()); }, 300);
    }

    // Ends a dialog with `result`, noting whether the window still read the bridge meanwhile.
    template <class DialogT>
    Step End(int result) {
        return DialogScript::On<DialogT>([=](DialogT& dialog) {
            readDuring = WindowReads("DURING");
            dialog.done(result);
        });
    }

    DrovanelFixture fixture;
    BridgePeer peer;
    bool readDuring = false;
};

TEST(DrovanelStartTest, WithoutAPortTheWindowWarnsStartsItsToolsAndSavesItsSettings) {
    DrovanelFixture fixture;
    fixture.WriteConfig("[General]\nDebug_time=7\nnormal_xml_file=a.xml\nport_bit_rate=460800\n");
    fixture.Dir().Write("registry.ini",
                        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
                        "\\Device\\VCP0=/nonexistent/ttyPEER\n");
    MessageBoxCatcher boxes;
    fixture.Create().SwitchPortDirect(true);
    EXPECT_EQ(fixture.ToolBarList(true)->currentText(), "460800");
    fixture.Action("actionOpen")->trigger();
    EXPECT_EQ(boxes.Titles(), (QStringList{"Open Error", "Open Error"}));
    EXPECT_EQ(boxes.Boxes()[1].text, "Open SerialPort Fail!");
    EXPECT_FALSE(fixture.Action("actionOpen")->isChecked());

    // The tools beside the program start, or fail with a warning.
    fixture.Action("actionStart_Zelto_Config")->trigger();
    ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() == 3; }));
    EXPECT_EQ(boxes.Boxes()[2].text,
              "Start ZeltoConifg.exe fail, make sure it's in the current folder!");
    const QString calls = fixture.Dir().File("calls.txt");
    for (const char* tool : {"ZeltoConfig.exe", "KVR_Downloader.exe"}) {
        ASSERT_TRUE(FakeProgram::Write(fixture.Dir().File(tool),
                                       QString("echo %1 >> '%2'").arg(tool, calls)));
        fixture.Action(tool[0] == 'Z' ? "actionStart_Zelto_Config" : "actionStart_KVR_download")
            ->trigger();
    }
    EXPECT_TRUE(PumpUntil([&] { return fixture.Dir().Read("calls.txt").count('\n') == 2; }));

    QFile::remove(fixture.Dir().File("config.ini"));
    const QByteArray config = fixture.SavedConfig();
    EXPECT_TRUE(config.contains("Debug_time=7"));
    EXPECT_FALSE(config.contains("normal_xml_file"));
}

TEST_F(DrovanelWindowTest, OpeningRunsTheStartUpAndPassesTheVersionCheck) {
    DrovanelFixture::AnswerStartUp(peer, "ABC BV5.9");
    fixture.Create();
    ASSERT_TRUE(fixture.OpenPort(peer, "460800"));
    EXPECT_EQ(peer.Received().substr(0, std::strlen(kStartUp)), kStartUp);
    EXPECT_EQ(peer.LatencyTimer(), "3");
    termios line{};
    ASSERT_TRUE(peer.LineSettings(&line));
    EXPECT_EQ(cfgetospeed(&line), B460800);
    EXPECT_FALSE(fixture.ToolBarList(false)->isEnabled());
    // The master's version asks for the EEPROM information (twice, each
    // ending in "Z"); the matching structure version opens the user panel.
    ASSERT_TRUE(PumpUntil([&] { return fixture.Status("E-Ver") == Caption("E-Version", "v2.1"); }));
    EXPECT_NE(peer.Received().find("am@w3A010000sw3Asr0000#Zam@w3A010000sw3Asr0000#Z"),
              std::string::npos);
    EXPECT_EQ(fixture.Status("M-Ver"), Caption("M-Version", "ABC BV5.9"));
    EXPECT_EQ(fixture.Status("Y-Ch."), Caption("Y-Ch.", "4"));

    // From bridge version 5.9 the normal mode reports flags: "Master_version"
    // keeps the number, which the modes compare with 5.9.
    EXPECT_EQ(Sent([&] { fixture.Action("actionNormal")->trigger(); }, "u3uBuC"), "nu3uBuC");
    peer.SendLine("( 1,0,1,1F00");
    EXPECT_TRUE(PumpUntil([&] { return fixture.Shows<NormalFlagScene>(); }));

    EXPECT_EQ(Sent([&] { fixture.Action("actionOpen")->trigger(); }, "#q"), "#q");
    EXPECT_EQ(fixture.Panel(), "commonPanel");
    EXPECT_EQ(fixture.Status("M-Ver"), Caption("M-Version", " "));
    EXPECT_TRUE(fixture.SavedConfig().contains("port_bit_rate=460800"));
}

TEST_F(DrovanelWindowTest, AMismatchWarnsAndTheCheckGivesUpOnItsHundredthTick) {
    DrovanelFixture::AnswerStartUp(peer, "ABC BV5.3", "14");
    MessageBoxCatcher boxes;
    Drovanel& window = fixture.Create();
    ASSERT_TRUE(fixture.OpenPort(peer));
    ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() == 2; }));
    EXPECT_EQ(boxes.Boxes()[0].text,
              "The version of firmware and eeprom not matched, Please "
              "download a correct vmx file.");
    EXPECT_EQ(fixture.Status("E-Ver"),
              "<FONT COLOR=green>E-Version: </FONT><FONT COLOR=red>error</FONT>");
    EXPECT_FALSE(fixture.Action("actionNormal")->isEnabled());

    // The checking bar counts the ticks; after 99 the next gives up.
    auto* checking = fixture.Find<QProgressBar>("progressChecking");
    for (int tick = checking->value(); tick < Drovanel::kCheckTicks; ++tick) {
        window.StartReadPort();
    }
    EXPECT_TRUE(fixture.Find("buttonEnter")->isHidden());
    window.StartReadPort();
    EXPECT_FALSE(fixture.Find("buttonEnter")->isHidden());
    const int given = checking->value();
    PumpFor(250);
    EXPECT_EQ(checking->value(), given);
    EXPECT_EQ(Sent([&] { fixture.Do("buttonEnter"); }, "#"), "#");
}

TEST_F(DrovanelWindowTest, RepliesAreReadLineByLineAndOverflowsAreDropped) {
    OpenWindow();
    // A line cut across reads is parsed once it is complete.
    peer.SendRaw("Slave ver");
    PumpFor(50);
    peer.SendRaw("sion: NEXT-2\r");
    EXPECT_TRUE(PumpUntil([&] { return fixture.Status("S-Ver").contains("NEXT-2"); }));
    // The activity bar moves one step per line, empty lines included.
    auto* progress = fixture.Window().statusBar()->findChild<QProgressBar*>();
    const int before = progress->value();
    peer.SendRaw("z\r\r");
    EXPECT_TRUE(PumpUntil([&] { return progress->value() == (before + 2) % 100; }));
    // 4095 bytes in one read are parsed; 4096 are marked and dropped.
    auto* overflow = fixture.Window().statusBar()->findChild<QPushButton*>();
    fixture.SendAsOneRead(peer, std::string(4094, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    EXPECT_EQ(progress->value(), (before + 3) % 100);
    fixture.SendAsOneRead(peer, "Slave version: LOST\r" + std::string(4075, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(progress->value(), (before + 3) % 100);
    overflow->click();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // Text without a line end never runs past the pending buffer: what would
    // pass 8192 bytes is an overflow, and the pending text goes with it.
    fixture.SendAsOneRead(peer, std::string(4000, 'y'));
    fixture.SendAsOneRead(peer, std::string(4000, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    fixture.SendAsOneRead(peer, std::string(193, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    peer.SendLine("Slave version: AFTER");
    EXPECT_TRUE(
        PumpUntil([&] { return fixture.Status("S-Ver") == Caption("S-Version", "AFTER"); }));
    fixture.Action("actionClear")->trigger();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
}

TEST_F(DrovanelWindowTest, AModeSwitchInsideAReplyKeepsTheRunningStateAlive) {
    Drovanel& window = fixture.Create();
    // The mismatch box opens while the information state handles its line;
    // there the engineer picks the picture view, whose first reply the box's
    // event loop reads. The information state must outlive its own line.
    bool switched = false;
    DialogScript box({DialogScript::On<QMessageBox>([&](QMessageBox& shown) {
        window.PictureView();
        peer.SendLine("( 1,2,3");
        switched = PumpUntil([&] { return fixture.Shows<PictureScene>(); });
        shown.accept();
    })});
    ASSERT_TRUE(fixture.OpenPort(peer));
    peer.SendRaw("The eeprom structure version: 0x15\r( 4,5,6\r");
    ASSERT_TRUE(PumpUntil([&] { return box.Done(); }));
    peer.SendLine("( 7,8,9");
    PumpFor(100);
    EXPECT_TRUE(switched);
}

TEST_F(DrovanelWindowTest, PullingTheOpenAdapterClosesThePortAndWarns) {
    BridgePeer other;
    MessageBoxCatcher boxes;
    Drovanel& window = OpenWindow();
    int signalled = 0;
    QObject::connect(&window, &Drovanel::SignalDeviceDisconnect, [&] { ++signalled; });
    // Another adapter going away only refreshes the list.
    other.Unlist();
    ASSERT_TRUE(PumpUntil([&] { return fixture.ToolBarList(false)->count() == 1; }));
    EXPECT_TRUE(fixture.Action("actionOpen")->isChecked());
    EXPECT_EQ(signalled, 0);

    peer.HangUp();
    peer.Unlist();
    ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() == 1; }));
    EXPECT_EQ(signalled, 1);
    EXPECT_FALSE(fixture.Action("actionOpen")->isEnabled());
    EXPECT_EQ(boxes.Titles(), QStringList{"Missing Connection..."});
    EXPECT_EQ(fixture.Panel(), "commonPanel");
    EXPECT_TRUE(fixture.Log().contains("Opened Device is Disconnected"));
    other.List();
    EXPECT_TRUE(PumpUntil([&] { return fixture.Action("actionOpen")->isEnabled(); }));
}

TEST_F(DrovanelWindowTest, TheDirectSwitchOpensWithoutAnyCheck) {
    Drovanel& window = fixture.Create();
    fixture.ToolBarList(false)->setCurrentText(peer.PortName());
    // No start-up sequence: only the user panel's "#".
    EXPECT_EQ(Sent([&] { window.SwitchPortDirect(true); }, "#"), "#");
    EXPECT_EQ(fixture.Panel(), "userPanel");
    EXPECT_TRUE(fixture.ToolBarList(true)->isEnabled());
    // Lines before any mode reach the idle state harmlessly; a mode then works.
    peer.SendLine("stray text");
    EXPECT_EQ(Sent([&] { fixture.Action("actionDebug")->trigger(); }, "u3uBuC"), "du3uBuC");
    EXPECT_EQ(Sent([&] { window.SwitchPortDirect(false); }, "#q"), "#q");
    EXPECT_EQ(fixture.Panel(), "commonPanel");
    EXPECT_FALSE(fixture.SavedConfig().contains("port_bit_rate"));
}

TEST_F(DrovanelWindowTest, EachModeSendsItsCommandAndShowsItsScene) {
    std::vector<std::string> debug;
    for (int i = 0; i < 6; ++i) {
        debug.insert(debug.end(), {"X5,5,5,5,5", "Y5,5,5,5"});
    }
    // One raster frame for the counts of the check (5 X and 4 Y electrodes).
    std::vector<std::string> raster{"S1,1,1,1,1,1,"};
    raster.insert(raster.end(), 4, "R2,2,2,2,2,2,");
    using F = DrovanelFixture;
    const std::tuple<const char*, std::string, std::vector<std::string>, bool (F::*)() const, int>
        modes[] = {
            {"actionNormal", "n", {"( 1,3,99,99"}, &F::Shows<NormalScene>, 0},
            {"actionDebug", "d", debug, &F::Shows<DebugScene>, 4},
            {"actionRaster", "r", raster, &F::Shows<MultiFingerLiftScene>, 2},
            {"actionRaster_LiftY", "rX", raster, &F::Shows<RasterScene>, 2},
            {"action_Picture_View", "n", {"( 1,2,3"}, &F::Shows<PictureScene>, 0},
        };
    OpenWindow();
    auto* flags = fixture.Find<QComboBox>("comboFlags");
    for (const auto& [action, command, replies, shows, levels] : modes) {
        SCOPED_TRACE(action);
        // The first correction level clears all three flags.
        EXPECT_EQ(Sent([&] { fixture.Action(action)->trigger(); }, command + "u3uBuC"),
                  command + "u3uBuC");
        EXPECT_EQ(flags->isHidden() ? 0 : flags->count(), levels);
        EXPECT_FALSE((fixture.*shows)());  // until the first reply
        peer.Stream(replies);
        EXPECT_TRUE(PumpUntil([&] { return (fixture.*shows)(); }));
    }
    // A correction level sends its flags.
    Sent([&] { fixture.Action("actionDebug")->trigger(); }, "d");
    EXPECT_EQ(Sent([&] { flags->setCurrentIndex(2); }, "sB"), "u3uBuCsB");
    EXPECT_EQ(Sent([&] { flags->setCurrentIndex(3); }, "sC"), "u3uBuCsC");
}

TEST_F(DrovanelWindowTest, ThePanelsSendTheirCommands) {
    OpenWindow();
    peer.GoSilent();
    // The engineer's steps (see DrovanelFixture::Do), then ">" and what the bridge receives.
    const char* const steps[] = {
        "tableUserFunctions#0>e", "tableUserFunctions#1>K", "tableUserFunctions#2>b",
        "tableUserFunctions#3>v", "tableUserFunctions#4>a", "tableUserFunctions#5>m",
        "tableUserFunctions#6>&", "buttonReadRegister>R",
        // The register bit goes as one hexadecimal digit without padding.
        "spinRegister=11 buttonSetRegister>sBR", "spinRegister=0 buttonClearRegister>u0R",
        "buttonSetIntMode>M08", "comboPowerMode=07 buttonSetPowerMode>P07",
        // High digit first, each list one digit.
        "comboIntWidthHigh=0 comboIntWidthLow=A buttonIntWidthSet>W0A",
        "comboSleepFrequencyHigh=3 comboSleepFrequencyLow=F buttonSleepFrequency>f3F",
        "comboSleepDelayHigh=F comboSleepDelayLow=0 buttonSleepDelay>IF0",
        // The check-box slots send for checked and unchecked, not for the partial state.
        "UserWithOffset(2)>o", "UserWithOffset(0)>O", "UserWithOffset(1)>", "UserCoordinates(2)>y",
        "UserSynchronize(0)>L", "UserHighLow(2)>h", "UserAlgorithm(0)>G", "UserSensitivity(2)>j",
        "actionI2CMode>@", "spinWriteSlaveAddress=58 spinWriteSlaveValue=1 buttonWriteSlave>w3A01",
        "spinWriteSlaveAddress=255 spinWriteSlaveValue=171 buttonWriteSlave>wFFAB",
        "spinTimeOutSetting=7 buttonSetTime>T07", "tableI2cFunctions#0>p", "tableI2cFunctions#1>R",
        "tableI2cFunctions#2>@m5Dbm5Ck", "tableI2cFunctions#3>s",
        "spinReadSlaveAddress=0 spinReadSlaveLength=16 buttonReadSlave>r0010"};
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        const QString text = QString::fromLatin1(step);
        const std::string sent = text.section('>', 1).toStdString();
        const auto act = [&] {
            for (const QString& click : text.section('>', 0, 0).split(' ')) {
                fixture.Do(click);
            }
        };
        EXPECT_EQ(Sent(act, sent), sent);
    }
    // The read's reply reaches the log box through the read state.
    peer.SendLine("Read register content: 0A 0B ");
    EXPECT_TRUE(PumpUntil([&] {
        return fixture.Find<QTextBrowser>("textBrowser")->toPlainText().contains("0A 0B");
    }));
    EXPECT_EQ(Sent([&] { fixture.Do("actionUserMode"); }, "#"), "#");
    EXPECT_EQ(fixture.Panel(), "userPanel");
    EXPECT_TRUE(fixture.Log().contains("Enter i2C mode"));
}

// While a dialog owns the link the window reads nothing; afterwards the
// bridge gets back the mode the panel shows, or starts up after new firmware.
TEST_F(DrovanelWindowTest, DialogsTakeTheLinkAndGiveItBack) {
    using morvex_gui::CalibrateDialog;
    OpenWindow();
    std::string sentBefore;
    const auto calibrate = DialogScript::On<CalibrateDialog>([&](CalibrateDialog& dialog) {
        peer.WaitForText("#", 200);  // offsets are read in user mode
        sentBefore = peer.Received();
        readDuring = WindowReads("DURING");
        dialog.reject();
    });
    // Action, dialog, sent before it, the end of what is sent after it, whether the bridge settles.
    const std::tuple<const char*, Step, const char*, const char*, bool> rows[] = {
        {"actionMasterDownload", End<morvex_gui::MasterDownloader>(QDialog::Rejected), "", "#",
         false},
        {"actionCalibrate", calibrate, "", "#", true},
        {"actionReadOffset", calibrate, "#", "#", true},
        // New firmware: the version check again, whose last answer ends in "Z".
        {"actionSlaveDownload", End<morvex_gui::SlaveDownloader>(QDialog::Accepted), "", "Z",
         false},
    };
    for (const auto& [action, dialog, before, after, settles] : rows) {
        SCOPED_TRACE(action);
        fixture.Sleeps().Clear();
        PumpFor(20);
        peer.ClearReceived();
        sentBefore = before;
        readDuring = true;
        EXPECT_TRUE(fixture.Run(action, {dialog}));
        EXPECT_EQ(sentBefore, before);
        EXPECT_FALSE(readDuring);
        EXPECT_TRUE(PumpUntil([&] {
            return QByteArray::fromStdString(peer.Received()).endsWith(after);
        })) << peer.Received();
        EXPECT_TRUE(PumpUntil([&] { return fixture.Panel() == "userPanel"; }));
        EXPECT_TRUE(WindowReads("AFTER"));
        const std::vector<unsigned> pauses = fixture.Sleeps().Pauses();
        EXPECT_EQ(settles, pauses.size() >= 2 && pauses[pauses.size() - 2] == 50u);
    }
}

TEST(DrovanelBootloaderTest, ABridgeInItsBootloaderOffersTheMasterDownload) {
    for (const bool download : {false, true}) {
        SCOPED_TRACE(download);
        DrovanelFixture fixture;
        BridgePeer peer;
        // Without the download twice: the second question comes with the port closed.
        peer.Expect("v", download ? "Master_Bootloader_BV1\r"
                                  : "Master_Bootloader_BV1\rMaster_Bootloader_BV1\r");
        fixture.Create();
        const Step no = DialogScript::Answer(QMessageBox::No);
        DialogScript script(download
                                ? std::deque<Step>{DialogScript::Answer(QMessageBox::Yes),
                                                   DialogScript::On<morvex_gui::MasterDownloader>(
                                                       [](QDialog& dialog) { dialog.reject(); })}
                                : std::deque<Step>{no, no});
        ASSERT_TRUE(fixture.OpenPort(peer));
        EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
        // Not flashed: the port closes either way, and harmlessly once more.
        EXPECT_FALSE(fixture.Action("actionOpen")->isChecked());
        PumpFor(50);
        const QString log = fixture.Log();
        EXPECT_EQ(log.count("Master empty download dialog cancel"), download ? 0 : 2);
        EXPECT_EQ(log.count("Master empty download dialog reject"), download ? 1 : 0);
        EXPECT_EQ(log.count("Serialport close"), download ? 1 : 2);
    }
}

}  // namespace
