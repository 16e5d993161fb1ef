#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "DebugScene.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "FileSizeLimit.h"
#include "MasterDownloader.h"
#include "MultiFingerLiftScene.h"
#include "NormalFlagScene.h"
#include "NormalScene.h"
#include "PictureScene.h"
#include "QualificationSetup.h"
#include "QualifyLogDialog.h"
#include "RasterScene.h"
#include "RecordSetFileName.h"
#include "RecordView.h"
#include "SlaveDownloadProgress.h"
#include "SlaveDownloader.h"
#include "TempProgramDir.h"
#include "TunePathSettings.h"
#include "TuneRegisterTable.h"
#include "TuningStart.h"

namespace {

using namespace morvex_gui_qtlib;
using Step = DialogScript::Step;
const auto PickFile = DialogScript::PickFile;

const char* const kOverflowStyle = "background:red; color:yellow; border-style:flat";
const char* const kNormalStyle = "color:green; border-style:flat";
// "#", quit, "#", quit, power on ("@o#"), "#", master version request.
const char* const kStartUp = "##q##q@o##v";

QString Caption(const char* key, const QString& value) {
    return QString("<FONT COLOR=green>%1: </FONT><FONT COLOR=steelblue>%2</FONT>").arg(key, value);
}

class DrovanelWindowTest : public ::testing::Test {
protected:
    Drovanel& OpenWindow() {
        Drovanel& window = fixture.Create();
        EXPECT_TRUE(fixture.OpenChecked(peer));
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

    // The activity bar, which moves one step per line read.
    int Activity() { return fixture.Window().statusBar()->findChild<QProgressBar*>()->value(); }

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

    fixture.Action("actionStart_Zelto_Config")->trigger();
    ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() == 3; }));
    EXPECT_EQ(boxes.Boxes()[2].text,
              "Start ZeltoConifg.exe fail, make sure it's in the current folder!");
    ASSERT_TRUE(FakeProgram::WriteRecorder(fixture.Dir().File("KVR_Downloader.exe"),
                                           fixture.Dir().File("calls.txt")));
    fixture.Action("actionStart_KVR_download")->trigger();
    EXPECT_TRUE(PumpUntil([&] { return QFile::exists(fixture.Dir().File("calls.txt")); }));

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
    EXPECT_FALSE(fixture.ToolBarList(false)->isEnabled());
    // The master's version asks for the EEPROM information (twice, each
    // ending in "Z"); the matching structure version opens the user panel.
    ASSERT_TRUE(PumpUntil([&] { return fixture.Status("E-Ver") == Caption("E-Version", "v2.1"); }));
    EXPECT_NE(peer.Received().find("am@w3A010000sw3Asr0000#Zam@w3A010000sw3Asr0000#Z"),
              std::string::npos);
    EXPECT_EQ(fixture.Status("M-Ver"), Caption("M-Version", "ABC BV5.9"));

    // From bridge version 5.9 the normal mode reports flags: "Master_version"
    // keeps the number, which the modes compare with 5.9.
    EXPECT_EQ(Sent([&] { fixture.Action("actionNormal")->trigger(); }, "u3uBuC"), "nu3uBuC");
    peer.SendLine("( 1,0,1,1F00");
    EXPECT_TRUE(PumpUntil([&] { return fixture.Shows<NormalFlagScene>(); }));

    EXPECT_EQ(Sent([&] { fixture.Action("actionOpen")->trigger(); }, "#q"), "#q");
    EXPECT_EQ(fixture.Panel(), "commonPanel");
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
    const int before = Activity();
    peer.SendRaw("z\r\r");
    EXPECT_TRUE(PumpUntil([&] { return Activity() == (before + 2) % 100; }));
    // 4095 bytes in one read are parsed; 4096 are marked and dropped.
    auto* overflow = fixture.Window().statusBar()->findChild<QPushButton*>();
    fixture.SendAsOneRead(peer, std::string(4094, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    EXPECT_EQ(Activity(), (before + 3) % 100);
    fixture.SendAsOneRead(peer, "Slave version: LOST\r" + std::string(4075, 'q') + "\r");
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_EQ(Activity(), (before + 3) % 100);
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
        EXPECT_EQ(Sent([&] { fixture.Action(action)->trigger(); }, command + "u3uBuC"),
                  command + "u3uBuC");
        EXPECT_EQ(flags->isHidden() ? 0 : flags->count(), levels);
        EXPECT_FALSE((fixture.*shows)());  // until the first reply
        peer.Stream(replies);
        EXPECT_TRUE(PumpUntil([&] { return (fixture.*shows)(); }));
    }
    Sent([&] { fixture.Action("actionDebug")->trigger(); }, "d");
    EXPECT_EQ(Sent([&] { flags->setCurrentIndex(2); }, "sB"), "u3uBuCsB");
    EXPECT_EQ(Sent([&] { flags->setCurrentIndex(3); }, "sC"), "u3uBuCsC");
}

TEST_F(DrovanelWindowTest, ThePanelsSendTheirCommands) {
    OpenWindow();
    peer.GoSilent();
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

// Names the record in its dialog; a null name closes the dialog.
DialogScript::Step NameRecord(const QString& name) {
    return DialogScript::On<RecordSetFileName>([=](RecordSetFileName& dialog) {
        if (name.isNull()) {
            dialog.reject();
        } else {
            DrovanelFixture::Do(dialog, "lineEdit=" + name);
            DrovanelFixture::Do(dialog, "pushButton");
        }
    });
}

class DrovanelRecordTest : public DrovanelWindowTest {
protected:
    void SetUp() override {
        OpenWindow();
        record = fixture.Action("action_Record");
    }

    QByteArray Recorded(const QString& name) {
        return fixture.Dir().Read("RecordFiles/" + name + ".log");
    }

    // Whether the window reads `lines` now.
    bool ReadsLines(const std::vector<std::string>& lines) {
        const int before = Activity();
        peer.Stream(lines);
        return PumpUntil(
            [&] { return Activity() == (before + static_cast<int>(lines.size())) % 100; });
    }

    // Names the record only after lines came while its name was asked.
    Step NameRecordAfterLines(const QString& name) {
        return DialogScript::On<RecordSetFileName>([this, name](RecordSetFileName& dialog) {
            EXPECT_TRUE(ReadsLines({"asked 1", "asked 2", "asked 3"}));
            DrovanelFixture::Do(dialog, "lineEdit=" + name);
            DrovanelFixture::Do(dialog, "pushButton");
        });
    }

    // Sends lines in batches that the window reads well below its overflow
    // size, each batch once the record holds the one before.
    void SendRecorded(const QString& name, const std::vector<std::string>& lines, int total) {
        for (size_t first = 0; first < lines.size(); first += 400) {
            std::string bytes;
            const size_t last = std::min(lines.size(), first + 400);
            for (size_t i = first; i < last; ++i) {
                bytes += lines[i] + "\r";
            }
            peer.SendRaw(bytes);
            const int target = std::min<int>(total, static_cast<int>(last));
            ASSERT_TRUE(PumpUntil([&] { return Recorded(name).count('\n') >= target; }, 5000));
        }
    }

    // Switches to the debug mode; its display starts once the frames' counts have held.
    std::vector<std::string> DebugFrames() {
        std::vector<std::string> frames;
        for (int i = 0; i < 8; ++i) {
            frames.push_back("X5,5,5,5," + std::to_string(i));
            frames.push_back("Y5,5,5," + std::to_string(i));
        }
        fixture.Action("actionDebug")->trigger();
        EXPECT_TRUE(peer.WaitForText("d"));
        return frames;
    }

    QAction* record = nullptr;
};

// Lines keep arriving while each record's name is asked: they are not
// recorded and end nothing, and the next record counts from its own start.
TEST_F(DrovanelRecordTest, ARecordNamedWhileLinesArriveKeepsTheRepliesUpToItsLimit) {
    std::vector<std::string> lines;
    std::string expected;
    for (int i = 0; i <= Drovanel::kRecordLineLimit; ++i) {
        lines.push_back("L" + std::to_string(i) + (i % 7 == 0 ? " \t;x" : ""));
        expected += i < Drovanel::kRecordLineLimit ? lines.back() + "\n" : "";
    }
    for (const QString name : {"bench run", "next run"}) {
        ASSERT_TRUE(fixture.Run("action_Record", {NameRecordAfterLines(name)}));
        ASSERT_TRUE(record->isChecked());
        EXPECT_EQ(record->text(), "Stop Record");
        SendRecorded(name, lines, Drovanel::kRecordLineLimit);
        // Line 10000 is the last one kept; the next one ended the record.
        ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));
        EXPECT_EQ(record->text(), "Record");
        EXPECT_EQ(Recorded(name).toStdString(), expected);
    }
    EXPECT_EQ(fixture.Log().count("Record stop"), 2);
}

TEST_F(DrovanelRecordTest, AModeChangeEndsTheRecordBeforeTheLineThatStartedIt) {
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("modes")}));
    SendRecorded("modes", {"plain line"}, 1);
    const std::vector<std::string> frames = DebugFrames();
    peer.Stream(frames);
    ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));
    PumpFor(50);
    // The frames up to the one whose Y line started the display; that line is not kept.
    const QStringList kept = QString::fromLatin1(Recorded("modes")).split('\n');
    ASSERT_GE(kept.size(), 4);
    ASSERT_LT(kept.size(), 2 + static_cast<int>(frames.size()));
    EXPECT_EQ(kept.first(), "plain line");
    EXPECT_TRUE(kept[kept.size() - 2].startsWith("X"));
    for (int i = 1; i < kept.size() - 1; ++i) {
        EXPECT_EQ(kept[i].toStdString(), frames[i - 1]);
    }
}

TEST_F(DrovanelRecordTest, TheNameDialogDecidesTheFile) {
    // Closing the dialog records nothing.
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord(QString())}));
    EXPECT_FALSE(record->isChecked());
    // An existing name is replaced.
    fixture.Dir().Write("RecordFiles/old.log", "previous content\n");
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("old")}));
    SendRecorded("old", {"new"}, 1);
    record->setChecked(false);
    record->setChecked(false);  // with no record open: no second stop
    EXPECT_EQ(Recorded("old"), "new\n");

    // A record that cannot be opened is reported and not started.
    QString failure;
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("no/such/folder/name"),
                                              DialogScript::Answer(QMessageBox::Ok, &failure)}));
    EXPECT_FALSE(record->isChecked());
    EXPECT_EQ(record->text(), "Record");
    EXPECT_TRUE(failure.startsWith("Record Error: "));
    EXPECT_TRUE(failure.contains("no/such/folder/name.log"));
    EXPECT_EQ(fixture.Log().count("Record start"), 1);
    EXPECT_EQ(fixture.Log().count("Record stop"), 1);
}

TEST_F(DrovanelRecordTest, ARecordThatCannotBeWrittenEndsAndTheEngineerIsTold) {
    ASSERT_TRUE(QDir().mkpath(fixture.Dir().File("RecordFiles")));
    ASSERT_TRUE(QFile::link("/dev/full", fixture.Dir().File("RecordFiles/full.log")));
    ASSERT_TRUE(fixture.Run("action_Record", {NameRecord("full")}));
    ASSERT_TRUE(record->isChecked());
    MessageBoxCatcher boxes;
    peer.SendRaw("first line\rsecond line\r");
    ASSERT_TRUE(PumpUntil([&] { return !record->isChecked(); }));
    EXPECT_EQ(record->text(), "Record");
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
    const QString told =
        "Record ended, its lines cannot be written: " + fixture.Dir().File("RecordFiles/full.log") +
        ": No space left on device";
    EXPECT_EQ(boxes.Titles(), QStringList{"Record Error"});
    EXPECT_EQ(boxes.Boxes()[0].text, told);
    EXPECT_EQ(fixture.Log().count(told), 1);
    EXPECT_FALSE(fixture.Log().contains("Record stop"));
}

TEST_F(DrovanelRecordTest, ADisplayedFrameCompletesThePendingOffsetSaveAndSegmentRecord) {
    fixture.Dir().Write("segment.txt", "old segment that is longer");
    MessageBoxCatcher overwrite(QMessageBox::Yes);  // the save dialog asks before replacing
    ASSERT_TRUE(fixture.Run("actionSave_Offset", {PickFile(fixture.Dir().File("offsets.txt"))}));
    ASSERT_TRUE(fixture.Run("actionRecord_Segment", {PickFile(fixture.Dir().File("segment.txt"))}));
    // Each frame the debug display shows is a segment: the first completes both.
    peer.Stream(DebugFrames());
    ASSERT_TRUE(PumpUntil([&] { return !fixture.Action("actionRecord_Segment")->isChecked(); }));
    PumpFor(100);
    const QString segment = QString::fromLatin1(fixture.Dir().Read("segment.txt"));
    EXPECT_TRUE(QRegularExpression("^X5,5,5,5,\\d\r\nY5,5,5,\\d$").match(segment).hasMatch());
    EXPECT_EQ(QString::fromLatin1(fixture.Dir().Read("offsets.txt")), segment);
    EXPECT_FALSE(fixture.Action("actionSave_Offset")->isChecked());
    ASSERT_TRUE(fixture.Run("actionRecord_Segment", {PickFile(fixture.Dir().File("s.txt"))}));
    fixture.Action("actionOpen")->trigger();
    EXPECT_FALSE(fixture.Action("actionRecord_Segment")->isChecked());
}

// No room on the disk: the offset file keeps what it held, and a box tells the
// engineer once the line that brought the segment has been handled; the
// stream is still read while the box is up.
TEST_F(DrovanelRecordTest, AnOffsetFileWithoutRoomKeepsItsBytesAndTheEngineerIsTold) {
    fixture.Dir().Write("offsets.txt", "X1\nY2\n");
    {
        MessageBoxCatcher overwrite(QMessageBox::Yes);
        ASSERT_TRUE(
            fixture.Run("actionSave_Offset", {PickFile(fixture.Dir().File("offsets.txt"))}));
    }
    QString told;
    bool savePending = true;
    bool readDuring = false;
    DialogScript box({DialogScript::On<QMessageBox>([&](QMessageBox& warning) {
        told = warning.windowTitle() + ": " + warning.text();
        savePending = fixture.Action("actionSave_Offset")->isChecked();
        readDuring = ReadsLines({"X5,5,5,5,9", "Y5,5,5,9", "X5,5,5,5,9"});
        warning.button(QMessageBox::Ok)->click();
    })});
    {
        FileSizeLimit limit(8);
        peer.Stream(DebugFrames());
        ASSERT_TRUE(PumpUntil([&] { return !fixture.Action("actionSave_Offset")->isChecked(); }));
    }
    ASSERT_TRUE(PumpUntil([&] { return box.Done(); }));
    EXPECT_EQ(told, "Save Error: Segment not saved: " + fixture.Dir().File("offsets.txt") + ": " +
                        QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_FALSE(savePending);
    EXPECT_TRUE(readDuring);
    EXPECT_EQ(fixture.Dir().Read("offsets.txt"), "X1\nY2\n");
    EXPECT_EQ(QDir(fixture.Dir().Path()).entryList({"offsets.txt*"}).size(), 1);
}

TEST(DrovanelOffsetTest, AnOffsetFileNeedsItsXLineThenItsYLineOfNumbers) {
    DrovanelFixture fixture;
    fixture.Create();
    // Two that load, then the wrong order and a number too large: rejected,
    // the stored file kept.
    const char* const files[] = {"offsets X1,-2,30, tail 99\nnoise Y-4,5\nX7\n", "X8\r\nY9\r\n",
                                 "Y1,2\nX3,4\n", "X1,99999999999\nY2\n"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QString("offset%1.txt").arg(i);
        fixture.Dir().Write(name, files[i]);
        EXPECT_TRUE(fixture.Run("actionRead_Offset", {PickFile(fixture.Dir().File(name))}));
        EXPECT_EQ(fixture.Action("actionRead_Offset")->isChecked(), i < 2) << files[i];
        fixture.Action("actionRead_Offset")->setChecked(false);
    }
    EXPECT_TRUE(fixture.SavedConfig().contains("offset1.txt\n"));
}

TEST(RecordViewTest, ListsShowsWithoutEscapesAndRefusesBadFiles) {
    TempProgramDir dir;
    QDir().mkpath(dir.File("RecordFiles/folder.log"));
    static const char kMixed[] = "first\x1B[0m line\r\n\nthird\n\x1B\x1B\nlast\x1B\x1B";
    dir.Write("RecordFiles/b.log", QByteArray(kMixed, sizeof kMixed - 1));
    dir.Write("RecordFiles/c.txt", "not a record\n");
    // The largest file shown is one byte short of a mebibyte.
    const QByteArray largest = QByteArray(1023, 'x').append('\n').repeated(1024).chopped(1);
    dir.Write("RecordFiles/A.log", largest);
    dir.Write("RecordFiles/too large.log", largest + "y");
    dir.Write("RecordFiles/gone.log", "soon deleted\n");
    RecordView view(nullptr);
    auto* list = view.findChild<QListWidget*>("listWidget");
    auto* text = view.findChild<QTextBrowser*>("textBrowser");
    const auto show = [&](int row) {
        list->setCurrentRow(row);
        return text->toPlainText();
    };
    ASSERT_EQ(list->count(), 5);  // by name, case ignored: A, b, folder, gone, too large
    // The empty line stays, a line of escapes stays empty, escapes at the end leave nothing.
    EXPECT_EQ(show(1), "first[0m line\n\nthird\n\nlast");
    EXPECT_EQ(show(0).size(), largest.size());
    EXPECT_EQ(show(2), "Error: This file can't be read!");
    QFile::remove(dir.File("RecordFiles/gone.log"));
    EXPECT_EQ(show(3), "Error: This file is not exist!");
    EXPECT_EQ(show(4), "Error: This file's size is not support!");
    dir.Write("RecordFiles/0.log", "zero\n");
    DrovanelFixture::Do(view, "pushButton");

    // Picking another file from inside a long one's showing shows only the other.
    bool picked = false;
    QObject::connect(text, &QTextEdit::textChanged, [&] {
        if (!picked && text->document()->blockCount() > 10) {
            picked = true;
            QTimer::singleShot(0, [&] { list->setCurrentRow(2); });
        }
    });
    list->setCurrentRow(1);  // the largest, now after "0.log"
    EXPECT_TRUE(picked);
    EXPECT_EQ(text->toPlainText(), "first[0m line\n\nthird\n\nlast");
}

Step Answer(QMessageBox::StandardButton button, QString* seen = nullptr) {
    return DialogScript::Answer(button, seen);
}
const Step kYes = Answer(QMessageBox::Yes);

// Picks a file that exists in a save dialog, which asks before replacing it.
Step PickExistingFile(const QString& file) {
    return DialogScript::On<QFileDialog>([file](QFileDialog& dialog) {
        MessageBoxCatcher replace(QMessageBox::Yes);
        DialogScript::Choose(dialog, file);
    });
}

std::string Hex(int value) {
    return QString::asprintf("%02X", value).toStdString();
}

// Quit, tuning initialisation, one read of each row, row 0 again with its display.
std::string Scan() {
    std::string commands = "#q%";
    for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
        commands += "i" + Hex(morvex_gui::TuneRegisterTable[row]) + "00";
    }
    return commands + "i6100d";
}

// The controller's reply to a read of a register: two bytes of value.
std::string ValueLine(int code, int value) {
    return "the data = " + Hex(code) + " " + Hex(value >> 8) + " " + Hex(value & 0xFF) + "\r";
}

QString ValueRow(const QString& name, int value) {
    return name + ":" + QString::number(value).rightJustified(29 - name.size(), ' ');
}

template <class DialogT>
Step Press(const QStringList& steps) {
    return DialogScript::On<DialogT>([=](DialogT& dialog) {
        for (const QString& step : steps) {
            DrovanelFixture::Do(dialog, step);
        }
    });
}

class DrovanelTuningTest : public DrovanelWindowTest {
protected:
    // The controller's values: row 13 holds 5, row 15 holds 20, others 10 + row.
    DrovanelTuningTest() {
        for (int row = 0; row < morvex_gui::kTuneParameterCount; ++row) {
            const int code = morvex_gui::TuneRegisterTable[row];
            peer.Expect("i" + Hex(code) + "00", ValueLine(code, row == 13   ? 5
                                                                : row == 15 ? 20
                                                                            : 10 + row));
        }
    }

    void OpenUserPanel() {
        OpenWindow();
        PumpFor(50);
        peer.ClearReceived();
    }

    std::string Exchange(const QString& step, const std::string& expected) {
        return Sent([&] { fixture.Do(step); }, expected);
    }

    QString ValueShown(int row) {
        return fixture.Find<QListWidget>("listTuneParametersInfo")->item(row)->text();
    }

    // The first question "Finish Tuning" asks, answered No.
    QString FinishQuestion() {
        QString question;
        EXPECT_TRUE(fixture.Run("buttonTuneFinish", {Answer(QMessageBox::No, &question)}));
        return question.section(':', 0, 0);
    }

    bool Shows(const QString& panel) {
        return PumpUntil([&] {
            return fixture.Panel() == panel &&
                   (panel == "userPanel" || fixture.Find("buttonRefreshParameters")->isEnabled());
        });
    }
};

TEST_F(DrovanelTuningTest, TheTunePanelReadsSelectsAndStepsTheParameters) {
    peer.Expect("e700A", ValueLine(0x70, 10));
    peer.Expect("i6E02", ValueLine(0x6E, 7));
    // The version check ends in the tune panel when the tune mode is chosen.
    peer.Expect("v", DrovanelFixture::MasterLine("ABC BV5.3") + "\r");
    fixture.Create();
    ASSERT_TRUE(fixture.OpenPort(peer));
    ASSERT_TRUE(PumpUntil([&] { return !fixture.Find("labelChecking")->isHidden(); }));
    fixture.Action("actionTuneMode")->setChecked(true);
    peer.SendRaw("Read register content: 15\rThe eeprom structure version: 0x15\r");
    ASSERT_TRUE(Shows("engineeringPanel"));
    ASSERT_TRUE(peer.WaitForText(Scan()));
    EXPECT_EQ(ValueShown(29), ValueRow("noiseY", 39));

    // A selection reads the row and sends its display command, a step writes
    // the new value; at the top of its range a step up only reads, a ladder
    // moves one rung whatever the step, and the ends stop the walk.
    const QStringList steps =
        QString(
            "listTuneParameters=15>i7000b buttonTuneIncrease>i7000b buttonTuneDecreaseMore>e700Ab "
            "listTuneParameters=13>i6E00a buttonTuneIncreaseMore>i6E02a "
            "listTuneParameters=0>i6100d "
            "buttonTunePrev> buttonTuneNext>i6200o listTuneParameters=29>i7600n buttonTuneNext> "
            "buttonTunePrev>i7500n")
            .split(' ');
    for (const QString& step : steps) {
        SCOPED_TRACE(step.toStdString());
        const std::string sent = step.section('>', 1).toStdString();
        EXPECT_EQ(Exchange(step.section('>', 0, 0), sent), sent);
    }
    EXPECT_EQ(ValueShown(15), ValueRow("BENDING_AVG", 10));
    EXPECT_EQ(ValueShown(13), ValueRow("DICHO_MEDIANE", 7));
    EXPECT_EQ(Exchange("buttonRefreshParameters", Scan()), Scan());
    EXPECT_EQ(fixture.Find<QListWidget>("listTuneParameters")->currentRow(), 0);
    EXPECT_TRUE(fixture.SavedConfig().contains("fingX_value=36"));
}

TEST_F(DrovanelTuningTest, TheSetUpRoadEndsInTheTunePanelOnlyWhenTuningStarts) {
    OpenUserPanel();
    readDuring = true;
    fixture.Do("listTuneParameters=5");  // outside the tune panel: nothing sent
    for (const char* image : {"normal_90", "zeltotune_90", "normal", "zeltotune"}) {
        fixture.Dir().Write(QString("vmx_file/%1.vmx").arg(image), image);
    }
    fixture.Dir().Write("p.xml", "<pattern/>");
    QString warning;
    // A download needs the images of the chosen line; broken off, it restarts the bridge.
    const std::tuple<std::deque<Step>, const char*, bool> setups[] = {
        {{Press<TunePathSettings>({"buttonCancel"})}, "userPanel", false},
        {{Press<TunePathSettings>({"comboVersion=MP8.0", "buttonEnter"}),
          Press<TuningStart>({"buttonCancel"})},
         "userPanel",
         false},
        {{Press<TunePathSettings>({"comboVersion=MP8.2",
                                   "lineXmlPath=" + fixture.Dir().File("p.xml"), "buttonDownload"}),
          Answer(QMessageBox::Ok, &warning)},
         "userPanel",
         false},
        {{Press<TunePathSettings>({"comboVersion=MP9.0",
                                   "lineXmlPath=" + fixture.Dir().File("p.xml"), "buttonDownload"}),
          DialogScript::On<morvex_gui::SlaveDownloadProgress>([&](QDialog& dialog) {
              // The dialog owns the replies; it is broken off before it runs the tool chain.
              peer.SendLine("Slave version: DURING");
              PumpFor(50);
              readDuring = fixture.Status("S-Ver").contains("DURING");
              dialog.reject();
          })},
         "userPanel",
         true},
        {{Press<TunePathSettings>({"comboVersion=MP8.0", "buttonEnter"}),
          Press<TuningStart>({"checkReadyAll", "buttonStart"})},
         "engineeringPanel",
         true},
    };
    for (const auto& [setup, panel, restarts] : setups) {
        peer.ClearReceived();
        EXPECT_TRUE(fixture.Run("actionTuneMode", setup));
        EXPECT_TRUE(Shows(panel));
        EXPECT_EQ(peer.Received().find("##q##q@o##v") != std::string::npos, restarts);
        EXPECT_EQ(peer.Received().find('i') != std::string::npos, panel[0] == 'e');
    }
    EXPECT_EQ(warning, "Missing file!: Can't find the MP8.2 FW. files in the vmx_file folder.");
    EXPECT_FALSE(readDuring);
    EXPECT_EQ(fixture.Dir().Read("vmx_file/zeltotune.vmx"), "zeltotune_90");
    EXPECT_EQ(fixture.Log().count("Tuning start dialog reject"), 2);
    EXPECT_TRUE(fixture.SavedConfig().contains("mp_version=2"));
}

TEST_F(DrovanelTuningTest, ImagesThatCannotBeReplacedStopTheTuningStart) {
    OpenUserPanel();
    for (const char* image : {"normal_80", "zeltotune_80", "normal_82", "zeltotune_82"}) {
        fixture.Dir().Write(QString("vmx_file/%1.vmx").arg(image), image);
    }
    fixture.Dir().Write("p.xml", "<pattern/>");
    const auto setUp = [&](const char* line, Step last) {
        return fixture.Run("actionTuneMode",
                           {Press<TunePathSettings>({QString("comboVersion=") + line,
                                                     "lineXmlPath=" + fixture.Dir().File("p.xml"),
                                                     "buttonDownload"}),
                            last});
    };
    // The other line's pair, then a tuning image that no file can replace.
    QString warning;
    ASSERT_TRUE(setUp("MP8.2", DialogScript::On<morvex_gui::SlaveDownloadProgress>(
                                   [](QDialog& dialog) { dialog.reject(); })));
    ASSERT_TRUE(Shows("userPanel"));
    ASSERT_EQ(fixture.Dir().Read("vmx_file/normal.vmx"), "normal_82");
    QFile::remove(fixture.Dir().File("vmx_file/zeltotune.vmx"));
    ASSERT_TRUE(QDir().mkpath(fixture.Dir().File("vmx_file/zeltotune.vmx")));
    EXPECT_TRUE(setUp("MP8.0", Answer(QMessageBox::Ok, &warning)));
    EXPECT_TRUE(Shows("userPanel"));
    EXPECT_TRUE(warning.startsWith("Copy failed...: ")) << warning.toStdString();
    EXPECT_TRUE(warning.contains(fixture.Dir().File("vmx_file/zeltotune.vmx")));
    EXPECT_TRUE(warning.contains("Both images still hold the firmware line they held before."));
    // The normal image went back: nothing of the new line is in place, no
    // download came up, and the next set-up names the line the images hold.
    EXPECT_EQ(fixture.Dir().Read("vmx_file/normal.vmx"), "normal_82");
    EXPECT_EQ(QDir(fixture.Dir().File("vmx_file")).entryList(QDir::Files).size(), 5);
    QString named;
    EXPECT_TRUE(fixture.Run("actionTuneMode",
                            {DialogScript::On<TunePathSettings>([&](TunePathSettings& dialog) {
                                named = dialog.GetMpVersion();
                                dialog.reject();
                            })}));
    EXPECT_EQ(named, "MP8.2");
}

const QByteArray kPattern =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<system_environment_configuration>\n"
    "\t<eprom_param>\n"
    "\t\t<option>\n\t\t\t<name>EEP_BEND_THR_X</name>\n\t\t\t<value>77</value>\n\t\t</option>\n"
    "\t\t<option>\n\t\t\t<name>EEP_SPI_SPEED_ME0_X</name>\n\t\t\t<value>1</value>\n\t\t</option>\n"
    "\t</eprom_param>\n</system_environment_configuration>\n";

// Value rows as a scan leaves them, BEND_THR_X (row 16) never read; no pattern yet.
TEST_F(DrovanelTuningTest, SavingWritesTheReadValuesIntoThePatternOrOffersTheOriginal) {
    fixture.WriteConfig("[General]\ntune_xml_file=/missing.xml\n");
    fixture.Create();
    auto* values = fixture.Find<QListWidget>("listTuneParametersInfo");
    for (int row = 0; row < values->count(); ++row) {
        const QString name = values->item(row)->text().section(':', 0, 0);
        values->item(row)->setText(row == 16 ? name + ":" : ValueRow(name, 100 + row));
    }
    const QString out = fixture.Dir().File("out.xml");
    const QString original = fixture.Dir().File("original.xml");
    fixture.Dir().Write("original.xml", kPattern);
    // Without a pattern the save fails. Cancelling the choice of the original
    // changes nothing; "No" keeps the failed destination, so no working copy.
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(QString())}));
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), kYes, PickFile(QString())}));
    QString copyWarning;
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), Answer(QMessageBox::No),
                                                Answer(QMessageBox::Ok, &copyWarning)}));
    EXPECT_TRUE(copyWarning.startsWith("Copy failed...: ")) << copyWarning.toStdString();
    EXPECT_TRUE(copyWarning.contains(out));
    EXPECT_FALSE(QFile::exists(fixture.Dir().File("tune_xml.tmp")));
    // Choosing the original makes it the pattern and the working copy.
    QString warning;
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(out), Answer(QMessageBox::Yes, &warning),
                                                PickFile(original)}));
    EXPECT_EQ(warning,
              "Apply failed...: Apply failed, do you want reset original xml file? and then you "
              "can retry to apply");
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(FinishQuestion(), "Apply");

    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(fixture.Dir().File("tuned.xml"))}));
    EXPECT_EQ(FinishQuestion(), "Finish Tuning?");
    const QByteArray tuned = fixture.Dir().Read("tuned.xml");
    EXPECT_TRUE(tuned.contains("<name>EEP_SPI_SPEED_ME0_X</name>\n\t\t\t<value>100</value>"));
    EXPECT_TRUE(tuned.contains("EEP_WATER_THR_Y"));
    // The unread row keeps the pattern's value; the positions stay out.
    EXPECT_TRUE(tuned.contains("<name>EEP_BEND_THR_X</name>\n\t\t\t<value>77</value>"));
    EXPECT_FALSE(tuned.contains("fingX"));
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), tuned);
    EXPECT_EQ(fixture.Dir().Read("original.xml"), kPattern);

    // A working copy that cannot take the new file: told, and not applied.
    QFile::remove(fixture.Dir().File("tune_xml.tmp"));
    ASSERT_TRUE(QDir().mkpath(fixture.Dir().File("tune_xml.tmp")));
    copyWarning.clear();
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(fixture.Dir().File("again.xml")),
                                                Answer(QMessageBox::Ok, &copyWarning)}));
    EXPECT_TRUE(copyWarning.startsWith("Copy failed...: ")) << copyWarning.toStdString();
    EXPECT_EQ(FinishQuestion(), "Apply");
    EXPECT_TRUE(fixture.SavedConfig().contains("again.xml"));
}

// With no room on the disk, saving over the pattern itself keeps it and its
// working copy, and nothing counts as applied.
TEST_F(DrovanelTuningTest, ApplyingWithoutRoomKeepsThePatternAndAppliesNothing) {
    const QString pattern = fixture.Dir().File("p.xml");
    fixture.Dir().Write("p.xml", kPattern);
    fixture.Dir().Write("tune_xml.tmp", kPattern);
    fixture.WriteConfig("[General]\ntune_xml_file=" + pattern.toUtf8() + "\n");
    fixture.Create();
    QString failed;
    QString copyFailed;
    {
        FileSizeLimit limit(kPattern.size() / 2);
        EXPECT_TRUE(fixture.Run("buttonTuneApply",
                                {PickExistingFile(pattern), Answer(QMessageBox::No, &failed),
                                 Answer(QMessageBox::Ok, &copyFailed)}));
    }
    EXPECT_TRUE(failed.startsWith("Apply failed...: ")) << failed.toStdString();
    EXPECT_TRUE(copyFailed.startsWith("Copy failed...: ")) << copyFailed.toStdString();
    EXPECT_EQ(fixture.Dir().Read("p.xml"), kPattern);
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(FinishQuestion(), "Apply");
}

// A good apply, then one whose pattern finds no room: answered No, the
// working copy takes the older pattern, and nothing counts as applied.
TEST_F(DrovanelTuningTest, AFailedApplyAfterAGoodOneLeavesNothingApplied) {
    fixture.Dir().Write("p.xml", kPattern);
    fixture.Dir().Write("b.xml", "<older/>");
    fixture.WriteConfig("[General]\ntune_xml_file=" + fixture.Dir().File("p.xml").toUtf8() + "\n");
    fixture.Create();
    EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickFile(fixture.Dir().File("a.xml"))}));
    EXPECT_EQ(FinishQuestion(), "Finish Tuning?");
    {
        FileSizeLimit limit(kPattern.size() / 2);
        EXPECT_TRUE(fixture.Run("buttonTuneApply", {PickExistingFile(fixture.Dir().File("b.xml")),
                                                    Answer(QMessageBox::No)}));
    }
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), "<older/>");
    EXPECT_EQ(FinishQuestion(), "Apply");
}

TEST_F(DrovanelTuningTest, FinishingNeedsTheImagesAndDownloadsThePattern) {
    OpenUserPanel();
    QString warning;
    EXPECT_TRUE(fixture.Run("buttonTuneFinish", {kYes, kYes, Answer(QMessageBox::Ok, &warning)}));
    EXPECT_TRUE(warning.startsWith("Warning...: Can't find the normal.vmx file in the GUI folder"));
    fixture.Dir().Write("vmx_file/normal.vmx", "image");
    EXPECT_TRUE(fixture.Run("buttonTuneFinish", {kYes, kYes, Answer(QMessageBox::No, &warning)}));
    EXPECT_TRUE(warning.startsWith("Warning...: Can'f find the pattern xml file"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "");

    fixture.Dir().Write("picked.xml", kPattern);
    std::string sentDuringDownload = "-";
    EXPECT_TRUE(
        fixture.Run("buttonTuneFinish",
                    {kYes, kYes, kYes, PickFile(fixture.Dir().File("picked.xml")),
                     DialogScript::On<morvex_gui::SlaveDownloadProgress>([&](QDialog& dialog) {
                         sentDuringDownload = peer.Received();
                         dialog.reject();
                     })}));
    EXPECT_EQ(fixture.Dir().Read("tune_xml.tmp"), kPattern);
    EXPECT_EQ(sentDuringDownload, "");
    // Leaving the bootloader, the start-up, quit (the user panel was shown already).
    EXPECT_TRUE(peer.WaitForText("m5Ck##q##q@o##v#q")) << peer.Received();
    EXPECT_TRUE(fixture.Log().contains("Finish Tune"));
}

// A qualification reply: "Q:" and twelve fields starting at `first`; with
// `labelled`, each field after its label, as the log keeps it.
std::string QLine(int first, bool labelled = false) {
    static const char* const kLabels[] = {"spiME1x",  "spiME1y",  "M1_fingY", "M1_fingX",
                                          "M1_noisY", "M1_noisX", "spiME0x",  "spiME0y",
                                          "M0_fingY", "M0_fingX", "M0_noisY", "M0_noisX"};
    std::string line = labelled ? "" : "Q:";
    for (int i = 0; i < 12; ++i) {
        char field[16];
        std::snprintf(field, sizeof field, "%c%05d %s", i % 2 == 0 ? '+' : '-', first + i,
                      i < 11 ? "," : "");
        line += (labelled ? std::string(kLabels[i]) + "," : "") + field;
    }
    return line;
}

class DrovanelQualifyTest : public DrovanelTuningTest {
protected:
    DrovanelQualifyTest() { qputenv("MORVEX_TOOLCHAIN_ROOT", toolChain.path().toLocal8Bit()); }
    ~DrovanelQualifyTest() override { qunsetenv("MORVEX_TOOLCHAIN_ROOT"); }

    void OpenWindow(const std::string& replies) {
        peer.Expect("N", replies);
        QDir().mkpath(fixture.Dir().File("script_files"));
        fixture.WriteConfig("[General]\nSPI_SPEED_ME0_X=10\nSPI_SPEED_ME1_LX=300\n");
        OpenUserPanel();
    }

    static std::deque<Step> Start(const QString& logFile, int lines) {
        return {PickFile(logFile),
                Press<QualificationSetup>({QString("spinBox=%1").arg(lines), "buttonEnter"})};
    }

    QString Shell() const { return toolChain.path() + "/bin/bash.exe"; }
    QString Calls() const { return toolChain.path() + "/calls.txt"; }
    // What the fake shell has written so far: a line may be only partly there.
    QString CallsMade() const {
        QFile calls(Calls());
        return calls.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(calls.readAll()) : "";
    }

    QTemporaryDir toolChain;
};

TEST_F(DrovanelQualifyTest, LogsTheLinesRunsTheAnalysisAndRestoresTheController) {
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    // Only whole Q lines are logged, whatever comes before "Q:".
    OpenWindow("noise\r" + QLine(0) + "\rQ:+1 ,\r" + QLine(1).substr(0, 80) + "\rx " + QLine(100) +
               "\r" + QLine(200) + "\r" + QLine(300) + "\r");
    const QString logFile = fixture.Dir().File("q logs/run 1.log");
    QDir().mkpath(fixture.Dir().File("q logs"));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", Start(logFile, 3)));
    EXPECT_EQ(fixture.Dir().Read("q logs/run 1.log").toStdString(),
              QLine(0, true) + "\n" + QLine(100, true) + "\n" + QLine(200, true) + "\n");
    // The script names the analysis and the log as words of the shell.
    const QString program = fixture.Dir().Path();
    QString analysis = program + "/qualification/finger_vs_noise.pl";
    EXPECT_EQ(
        QString::fromLocal8Bit(fixture.Dir().Read("script_files/ScriptLog.sh")),
        "perl.exe " + analysis.replace(".", "\\.") + " " + QString(logFile).replace(" ", "\\ "));
    const QString call = "-l|-c|" + program + "/script_files/ScriptLog.sh\n";
    EXPECT_TRUE(PumpUntil([&] { return CallsMade() == call; })) << CallsMade().toStdString();
    // Logging mode, normal mode, I2C mode, the four SPI speeds, tuning
    // initialisation, then the parameters are read again.
    EXPECT_TRUE(peer.WaitForText("Nn@w610Asw6300sw6912Csw6B00s%#q%i6100")) << peer.Received();
    EXPECT_LT(fixture.Log().indexOf("Start Qualification"),
              fixture.Log().indexOf("Exit Qualification"));
    auto* shell = fixture.Window().findChild<QProcess*>();
    EXPECT_TRUE(PumpUntil([&] { return shell->state() == QProcess::NotRunning; }));
    const QByteArray config = fixture.SavedConfig();
    EXPECT_TRUE(config.contains("qualification_lines=3"));
    EXPECT_TRUE(config.contains("qualify_log_file=" + logFile.toUtf8()));
}

TEST_F(DrovanelQualifyTest, ClosingTheWindowEndsARunningAnalysisQuietly) {
    ASSERT_TRUE(FakeProgram::Write(Shell(), "sleep 30\n"));
    OpenWindow(QLine(0) + "\r");
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", Start(fixture.Dir().File("q.log"), 1)));
    auto* shell = fixture.Window().findChild<QProcess*>();
    ASSERT_TRUE(PumpUntil([&] { return shell->state() == QProcess::Running; }));
    // The analysis's end must reach no slot of the window being destroyed.
    fixture.Destroy();
    EXPECT_FALSE(fixture.Log().contains("Qualification error"));
}

TEST_F(DrovanelQualifyTest, EveryFailureIsReportedAndTheControllerRestoredAllTheSame) {
    OpenWindow(QLine(1) + "\r");
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", {PickFile(QString())}));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", {PickFile(fixture.Dir().File("q.log")),
                                                  Press<QualificationSetup>({"buttonCancel"})}));
    EXPECT_EQ(fixture.Find<QListWidget>("listTuneParameters")->currentRow(), 26);  // fingX
    PumpFor(50);
    EXPECT_EQ(peer.Received(), "");

    // No shell in the tool chain, and the log's folder goes between the choice and the logging.
    QDir().mkpath(fixture.Dir().File("sub"));
    QString logFailure;
    QString failure;
    EXPECT_TRUE(
        fixture.Run("buttonTuneQualify",
                    {PickFile(fixture.Dir().File("sub/q.log")),
                     DialogScript::On<QualificationSetup>([&](QualificationSetup& setup) {
                         QDir(fixture.Dir().File("sub")).removeRecursively();
                         DrovanelFixture::Do(setup, "buttonEnter");
                     }),
                     Answer(QMessageBox::Ok, &logFailure), Answer(QMessageBox::Ok, &failure)}));
    EXPECT_EQ(logFailure, "Logging fail!: Open logging file error!");
    EXPECT_EQ(failure, "Qualification error!: Run script file fail!");
    EXPECT_TRUE(peer.WaitForText("@w610Asw6300sw6912Csw6B00s%")) << peer.Received();
    EXPECT_EQ(peer.Received().find('N'), std::string::npos);

    // A script that cannot be written is not run; a limit of one logs one line.
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    QDir(fixture.Dir().File("script_files")).removeRecursively();
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 1);
    steps.push_back(Answer(QMessageBox::Ok, &failure));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", steps));
    EXPECT_EQ(fixture.Dir().Read("q.log").toStdString(), QLine(1, true) + "\n");
    EXPECT_EQ(failure, "Qualification error!: Can't write the script file " +
                           fixture.Dir().File("script_files/ScriptLog.sh") + "!");
    PumpFor(100);
    EXPECT_FALSE(QFile::exists(Calls()));
}

TEST_F(DrovanelQualifyTest, ALogThatLosesALineEndsShortAndTheAnalysisStillRuns) {
    ASSERT_TRUE(FakeProgram::WriteRecorder(Shell(), Calls()));
    OpenWindow(QLine(1) + "\r" + QLine(2) + "\r");
    const QString logFile = fixture.Dir().File("q.log");
    ASSERT_TRUE(QFile::link("/dev/full", logFile));
    QString failure;
    std::deque<Step> steps = Start(logFile, 5);
    steps.front() = PickExistingFile(logFile);
    steps.push_back(Answer(QMessageBox::Ok, &failure));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", steps));
    EXPECT_EQ(failure, "Logging fail!: The log file " + logFile +
                           " cannot be written (No space left on device): the log is short.");
    EXPECT_TRUE(peer.WaitForText("n@w610Asw6300sw6912Csw6B00s%")) << peer.Received();
    EXPECT_TRUE(PumpUntil([&] { return CallsMade().endsWith('\n'); }));
}

TEST_F(DrovanelQualifyTest, AnAdapterPulledDuringTheLogLeavesNothingToRestore) {
    OpenWindow(QLine(1) + "\r");
    MessageBoxCatcher boxes;
    std::deque<Step> steps = Start(fixture.Dir().File("q.log"), 5);
    steps.push_back(DialogScript::On<morvex_gui::QualifyLogDialog>([&](QDialog& logger) {
        peer.HangUp();
        peer.Unlist();
        EXPECT_TRUE(PumpUntil([&] { return !logger.isVisible(); }));  // the logger closes
    }));
    EXPECT_TRUE(fixture.Run("buttonTuneQualify", steps));
    ASSERT_TRUE(PumpUntil([&] { return fixture.Log().contains("Exit Qualification"); }));
    PumpFor(50);
    const QString log = fixture.Log();
    EXPECT_FALSE(log.mid(log.indexOf("Exit Qualification")).contains("Refresh all parameters"));
    EXPECT_TRUE(boxes.Titles().contains("Missing Connection..."));
}

}  // namespace
