// The mass-production window end to end against the bridge peer on a pseudo-terminal.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <functional>

#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "DialogScript.h"
#include "DisplayView.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "MasterDownloader.h"
#include "ModalCloser.h"
#include "ProgramFolderFixture.h"
#include "SettingDialog.h"
#include "SlaveDownloader.h"
#include "ThresholdSettingDialog.h"
#include "ZeltoMP.h"

using morvex_gui::CalibrateDialog;
using Script = DialogScript;

namespace {

const char* const kOverflowStyle = "background:red; color:yellow; border-style:flat";
const char* const kNormalStyle = "color:green; border-style:flat";
// Open port: "#", quit, "#", quit, power on, "#", master version request.
const std::string kStartUp = "##q##q@o##v";
// Back to the manual page: quit, "n", "#", quit, "#", quit, power on.
const std::string kManualMode = "#qn##q##q@o#";
const QString kWait = ": <FONT COLOR=DimGray>Wait...</FONT>";
const QString kOk = "<FONT COLOR=GREEN> OK </FONT>";
const QString kNgVerdict = "<font color=white>NG<font>";
const QString kPassVerdict = "<font color=white>Pass<font>";
// The reset state's reply to "k".
const std::string kResetReply = "Bootloader information: 01 02 03 04 \r";
const std::string kDuringLine = "Slave version: DURING\r";  // the window must never see it
// The rest of the panel's information after its slave version: 5 X and 4 Y channels.
const std::string kPanelCounts =
    "The CRC of the application of the slave: 0x 3A 5C \r"
    "Number of x electrodes: 0x05\rNumber of y electrodes: 0x04\r";
const QString kCrcShown = "<FONT COLOR=Blue SIZE=8>3A 5C </FONT>";
// A debug frame within limits on every channel of that panel.
const char* const kGoodFrame = "X10,12,11,9\rY5,6,7\r";
// The debug item's record of a run over that frame.
const QString kGoodDebugRecord = "Debug: ,Pass\r\nX,10,12,11,9\r\nY,5,6,7\r\n";

// A line of Reset and Debug, with `stored` settings among the general ones.
QByteArray ResetAndDebugLine(const QByteArray& stored = "") {
    return "[General]\nSlaveVersion=ZT-1.0\nReset_time=3\nDebug_time=1\nrawdata_max=80\n"
           "rawdata_min=-60\n" +
           stored + "[ModeSwitch]\nreset_mode=1\ndebug_mode=1\n";
}

QString Count(int seconds) {
    return QString("<FONT COLOR=BLUE>%1</FONT>").arg(seconds);
}

std::string Repeat(const char* text, int times) {
    return QByteArray(text).repeated(times).toStdString();
}

bool InOrder(const QString& text, const std::vector<const char*>& parts) {
    int from = 0;
    for (const char* part : parts) {
        if ((from = text.indexOf(QString::fromLatin1(part), from)) < 0) {
            ADD_FAILURE() << "missing or out of order: " << part << " in\n" << text.toStdString();
            return false;
        }
    }
    return true;
}

// Clicks `button` once it is enabled, later, so a nested box of the click
// does not run inside a dialog step.
bool ClickWhenEnabled(QDialog& dialog, const char* button) {
    if (!dialog.findChild<QPushButton*>(button)->isEnabled()) {
        return false;
    }
    QTimer::singleShot(0, dialog.findChild<QPushButton*>(button), &QPushButton::click);
    return true;
}

// The window in a scratch program folder, its widgets found by name.
class MassProductionTest : public ::testing::Test {
protected:
    void TearDown() override { window.reset(); }

    ZeltoMP& Create(const QByteArray& config = "") {
        folder.WriteConfig(config);
        window = std::make_unique<ZeltoMP>();
        return *window;
    }
    template <class T = QWidget>
    T* Get(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString Text(const char* label) const { return Get<QLabel>(label)->text(); }
    // What a rich-text label reads as.
    QString Shown(const char* label) const {
        QTextDocument text;
        text.setHtml(Text(label));
        return text.toPlainText();
    }
    void Trigger(const char* action) const { Get<QAction>(action)->trigger(); }
    void Click(const char* button) const { Get<QPushButton>(button)->click(); }
    bool Checked(const char* action) const { return Get<QAction>(action)->isChecked(); }
    // 0 the port combo, 1 the speed combo.
    QComboBox* Combo(int index) const { return window->findChildren<QComboBox*>().value(index); }
    QCheckBox* AutoBox(const QString& text) const {
        const auto boxes = Get("auto_listWidget")->findChildren<QCheckBox*>();
        auto box =
            std::find_if(boxes.begin(), boxes.end(), [&](auto* b) { return b->text() == text; });
        return box == boxes.end() ? nullptr : *box;
    }
    QString ConfigFile() const { return folder.Dir().Read("config.ini"); }
    bool ShowsPortClosed() const {
        return !Checked("actionOpen") && !Get<QAction>("actionCalibrate")->isEnabled() &&
               Get("stackedWidget")->isHidden() && Combo(0)->isEnabled();
    }

    ProgramFolderFixture folder;
    std::unique_ptr<ZeltoMP> window;
    ModalCloser closer;
};

// The window with the bridge peer listed.
class MassProductionWindowTest : public MassProductionTest {
protected:
    bool OpenPort(const QString& bitRate = "230400") {
        Combo(0)->setCurrentText(peer.PortName());
        Combo(1)->setCurrentText(bitRate);
        Trigger("actionOpen");
        return Sent("v");
    }
    // Opens with the versions answered (no slave firmware when `slave` is empty),
    // and waits until the information requests are through, so later traffic stands alone.
    ZeltoMP& Open(const QByteArray& config, const std::string& slave = "ZT-1.0",
                  const std::string& master = "ABC BV5.3") {
        Answer(slave, master);
        Create(config);
        EXPECT_TRUE(OpenPort());
        EXPECT_TRUE(PumpUntil([&] { return !Text("slave_label").isEmpty(); }, 5000));
        EXPECT_TRUE(InformationRequested());
        peer.WaitUntilSent();
        PumpFor(50);
        peer.ClearReceived();
        return *window;
    }
    // The master version to "v"; to "a" the slave version, its CRC and the counts.
    void Answer(const std::string& slave, const std::string& master = "ABC BV5.3") {
        peer.Expect("v", ProgramFolderFixture::MasterLine(master) + "\r");
        if (!slave.empty()) {
            peer.Expect("a", "Slave version: " + slave + "\r" + kPanelCounts);
        }
    }
    // Opens on a panel whose slave never answers; only the master reports.
    bool OpenWithSilentSlave() {
        peer.GoSilent();
        Answer("");
        return OpenPort();
    }
    bool NoFirmwareShown() const { return Text("slave_label").contains("No FW"); }
    // The status bar's electrode count of `axis` ("X" or "Y") as it reads.
    QString ChannelsShown(const char* axis) const {
        const QString caption = QString::fromLatin1(axis) + "-Ch.: ";
        for (const QLabel* label : window->statusBar()->findChildren<QLabel*>()) {
            QTextDocument text;
            text.setHtml(label->text());
            if (text.toPlainText().startsWith(caption)) {
                return text.toPlainText().mid(caption.size());
            }
        }
        return "none";
    }
    // Lets the window run until the peer has received `text`.
    bool Sent(const std::string& text) {
        return PumpUntil([&] { return peer.Received().find(text) != std::string::npos; });
    }
    // Lets the window run until both rounds of information requests, each
    // ending with "Z", have reached the peer.
    bool InformationRequested() {
        return PumpUntil([&] {
            const std::string received = peer.Received();
            return std::count(received.begin(), received.end(), 'Z') >= 2;
        });
    }
    // A new window on the automatic page; the peer is silent and its record
    // starts after the last window's port has closed.
    void CreateOnTheAutomaticPage(const QByteArray& config) {
        peer.GoSilent();
        if (window != nullptr) {
            ClearAfterClosing([&] { window.reset(); });
        }
        Create(config);
        Trigger("actionAutoTest_Mode");
    }
    int Progress() const { return window->statusBar()->findChild<QProgressBar*>()->value(); }
    // Sends lines and waits until the window's reader has counted them.
    bool WindowReads(const std::string& lines, int count) {
        const int before = Progress();
        peer.SendRaw(lines);
        return PumpUntil([&] { return Progress() == (before + count) % 100; });
    }
    // Runs `close`, which closes the open port, and starts the peer's record
    // after the port's last command ("#q") has reached it.
    void ClearAfterClosing(const std::function<void()>& close) {
        peer.ClearReceived();
        close();
        ASSERT_TRUE(peer.WaitForText("#q"));
        peer.ClearReceived();
    }
    // Lets every byte the peer has queued reach the port's input queue,
    // without the window reading any of it.
    void LetRepliesLand() {
        ASSERT_TRUE(peer.WaitUntilSent());
        QThread::msleep(300);
    }
    // Lets all bytes reach the port's input queue before the window reads.
    void SendAsOneRead(const std::string& bytes) {
        peer.SendRaw(bytes);
        LetRepliesLand();
        PumpFor(50);
    }
    QString RunAutomatic() {
        Click("autotest_pushButton");
        PumpUntil([&] { return !Text("result_label").isEmpty(); }, 15000);
        return Text("result_label");
    }
    QStringList ResultFiles() const {
        return QDir(folder.Dir().File("Results")).entryList(QDir::Files, QDir::Name);
    }
    QString ResultFile(int index) const {
        return folder.Dir().Read("Results/" + ResultFiles().value(index, "none"));
    }
    // The verdict that a scene reports.
    void Verdict(bool pass) {
        window->findChild<morvex_gui_qtlib::DisplayView*>()->sendTestResult(pass);
    }
    // A key pressed in the active window, as the operator presses it.
    void Press(Qt::Key key) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), key);
    }
    // A step that pulls the adapter while a dialog of class T is open.
    template <class T>
    Script::Step PullAdapter() {
        return Script::On<T>([this](T&) {
            peer.HangUp();
            peer.Unlist();
            window->DeviceRemoval();
            folder.Sleeps().Clear();
        });
    }

    BridgePeer peer;
};

}  // namespace

TEST_F(MassProductionTest, StartsClosedSavesItsSettingsOnExitAndReportsAFailedOpen) {
    for (const char* stored : {"460800", "9600", ""}) {
        Create(QByteArray("[General]\nDebug_time=7\nport_bit_rate=") + stored + "\n");
        EXPECT_EQ(Combo(1)->currentText(), stored[0] == '4' ? "460800" : "230400") << stored;
        EXPECT_TRUE(ShowsPortClosed() && !Get<QAction>("actionOpen")->isEnabled());
        QFile::remove(folder.Dir().File("config.ini"));
        window.reset();
        EXPECT_TRUE(InOrder(folder.Log(), {" GUI start\n", " GUI exit\n", " *******"}));
        EXPECT_TRUE(ConfigFile().contains("Debug_time=7"));
    }
    // A failed open tells the operator and stays closed.
    folder.Dir().Write("registry.ini",
                       "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n"
                       "\\Device\\VCP0=/nonexistent/ttyPEER\n");
    Create();
    Trigger("actionOpen");
    EXPECT_EQ(closer.Boxes().at(0).title + closer.Boxes()[0].text,
              "Open ErrorOpen SerialPort Fail!");
    EXPECT_TRUE(ShowsPortClosed());
    EXPECT_TRUE(folder.Log().contains("Serialport open failed"));
    window.reset();
    EXPECT_FALSE(ConfigFile().contains("port_bit_rate"));
}

TEST_F(MassProductionWindowTest, OpeningSendsTheStartUpAndClosingPowersOff) {
    Create();
    ASSERT_TRUE(OpenPort("460800"));
    EXPECT_EQ(peer.Received().substr(0, kStartUp.size()), kStartUp);
    EXPECT_EQ(peer.LatencyTimer(), "3");
    termios line{};
    ASSERT_TRUE(peer.LineSettings(&line));
    EXPECT_EQ(cfgetospeed(&line), B460800);
    EXPECT_TRUE(Checked("actionOpen") && Get<QAction>("actionCalibrate")->isEnabled());
    EXPECT_FALSE(Combo(0)->isEnabled() || Combo(1)->isEnabled() ||
                 Get("stackedWidget")->isHidden());
    EXPECT_TRUE(folder.Log().contains("Serialport open successfully"));

    peer.ClearReceived();
    Trigger("actionOpen");
    EXPECT_TRUE(Sent("@c##q"));
    EXPECT_TRUE(ShowsPortClosed());
    EXPECT_TRUE(folder.Log().contains("Serialport close"));
    // The speed of the successful open is what config.ini keeps.
    window.reset();
    EXPECT_TRUE(ConfigFile().contains("port_bit_rate=460800"));
}

TEST_F(MassProductionWindowTest, RepliesBecomeLinesOverflowsAreDroppedAndAPulledAdapterCloses) {
    BridgePeer other;
    Open("");
    // One progress step per line, empty lines included; 100 wraps to 0.
    EXPECT_TRUE(WindowReads(Repeat("z\r", 98) + "\r\r", 100));
    EXPECT_TRUE(WindowReads("z\rz\rz\r", 3));

    // 4095 bytes in one read are parsed; 4096 are marked and dropped.
    const std::string big = "\rSlave version: BIG\r";
    SendAsOneRead(std::string(4095 - big.size(), 'q') + big);
    auto* overflow = window->statusBar()->findChild<QPushButton*>();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    EXPECT_TRUE(Text("slave_label").contains("BIG"));
    const std::string lost = "\rSlave version: LOST\r";
    SendAsOneRead(std::string(4096 - lost.size(), 'q') + lost);
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    EXPECT_TRUE(Text("slave_label").contains("BIG"));
    overflow->click();
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // Text without a line end never runs past the pending buffer.
    SendAsOneRead(std::string(3000, 'y'));
    SendAsOneRead(std::string(3000, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);
    SendAsOneRead(std::string(3000, 'y'));
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    // Reading goes on from a clean line; Clear also clears the mark.
    peer.SendRaw("Slave version: AFTER\r");
    EXPECT_TRUE(PumpUntil([&] { return Text("slave_label").contains(">AFTER<"); }));
    Trigger("actionClear");
    EXPECT_EQ(overflow->styleSheet(), kNormalStyle);

    // A burst far beyond one read is dropped whole; the reply behind it is
    // read at once, not when the next bytes arrive.
    SendAsOneRead(Repeat("z\r", 32768));
    EXPECT_EQ(overflow->styleSheet(), kOverflowStyle);
    peer.SendRaw("Slave version: TAIL\r");
    EXPECT_TRUE(PumpUntil([&] { return Text("slave_label").contains(">TAIL<"); }, 200));

    // A NACK from the bridge powers the slave off.
    peer.ClearReceived();
    peer.SendLine("I2C_MTX_NACK_DATA");
    EXPECT_TRUE(Sent("@c#"));

    other.Unlist();

    peer.HangUp();
    peer.Unlist();
    ASSERT_TRUE(PumpUntil([&] { return !Checked("actionOpen"); }));
    EXPECT_TRUE(InOrder(
        Get<QTextBrowser>("textBrowser")->toHtml(),
        {"#ff0000", "The device maybe disconnect from the PC, please check it and retry."}));
    EXPECT_FALSE(Get<QAction>("actionOpen")->isEnabled());
    EXPECT_EQ(Text("master_label"), "");
    EXPECT_TRUE(InOrder(folder.Log(), {"Opened Device is Disconnected", "Serialport close"}));
    // Any arrival with a port enables opening again.
    other.List();
    EXPECT_TRUE(PumpUntil([&] { return Get<QAction>("actionOpen")->isEnabled(); }));
}

TEST_F(MassProductionTest, SwitchesFillTheRunAndLabelsFollowTheirBoxes) {
    Create("[ModeSwitch]\nreset_mode=1\ndebug_mode=1\nsingleRaw_mode=1\nb_singleRaw_mode=1\n")
        .show();
    // Slave check, reset, debug, "enter normal": the single raw-data items are never listed.
    EXPECT_EQ(Get<QListWidget>("auto_listWidget")->count(), 4);
    EXPECT_TRUE(Get("singleRaw_label")->isHidden() && Get("b_singleRaw_label")->isHidden());
    QLabel* label = Get<QLabel>("debug_label");
    QCheckBox* box = AutoBox("Debug Mode Test");
    label->setText("Debug: <FONT COLOR=GREEN>OK</FONT>");
    box->click();
    EXPECT_TRUE(label->isHidden());
    box->click();
    EXPECT_EQ(label->isHidden() ? "" : label->text(), "Debug" + kWait);
    // A press released outside the box changes neither the box nor its label.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_TRUE(box->isChecked() && !label->isHidden());
    box->click();
    // A rebuild ticks every box again; Run Test still starts one run.
    for (int i = 0; i < 3; ++i) {
        window->initButtonStatus();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(AutoBox("Debug Mode Test")->isChecked() && !label->isHidden());
    Click("autotest_pushButton");
    EXPECT_EQ(folder.Log().count("Start automatic test"), 1);
}

TEST_F(MassProductionWindowTest, ManualCountdownsEndByTimeOrVerdictAndOnlyForTheirItem) {
    ZeltoMP& mp =
        Open("[General]\nDebug_time=3\nJitter_time=2\n[ModeSwitch]\ndebug_mode=1\njitter_mode=1\n");
    // Debug passes when its time runs out; then a late verdict or tick belongs to nothing.
    mp.Debug();
    mp.startTimer(1);
    EXPECT_EQ(Text("countdown_label"), Count(3));
    mp.TimerTrigger();
    mp.TimerTrigger();
    EXPECT_EQ(Text("countdown_label"), Count(1));
    mp.TimerTrigger();
    Verdict(false);
    mp.TimerTrigger();
    EXPECT_EQ(Text("countdown_label"), kOk);
    // Jitter fails when its time runs out.
    mp.Jitter();
    mp.startTimer(0);
    mp.TimerTrigger();
    mp.TimerTrigger();
    EXPECT_EQ(Text("countdown_label"), "<FONT COLOR=RED> NG </FONT>");
    // Starting another item stops the countdown; the old scene judges nothing.
    mp.Debug();
    mp.startTimer(1);
    mp.Jitter();
    Verdict(false);
    EXPECT_EQ(Text("countdown_label"), "");
}

TEST_F(MassProductionWindowTest, AutomaticRunsGivePassOrNgAndOneResultFileEach) {
    peer.Expect("k", kResetReply);
    peer.Expect("d", Repeat(kGoodFrame, 30));
    peer.Expect("b", Repeat("The button rawdata: 1,2,3,4,5,6,7,8\r", 2));
    Open(
        "[General]\nMasterVersion=ABC BV5.3\nSlaveVersion=ZT-1.0\nReset_time=1\nAttb_time=1\n"
        "Debug_time=1\nJitter_time=1\nRaster_x_time=1\nRaster_y_time=1\nButton_rawdata_time=1\n"
        "rawdata_max=80\nrawdata_min=-60\njitter_x_threshold=5.00\njitter_y_threshold=5.00\n"
        "b_rawdata_max=1000\nb_rawdata_min=-1000\n[ModeSwitch]\nreset_mode=1\nattb_mode=1\n"
        "debug_mode=1\njitter_mode=1\nraster_x_mode=1\nraster_y_mode=1\nb_debug_mode=1\n");
    Trigger("actionAutoTest_Mode");
    EXPECT_EQ(RunAutomatic(), kPassVerdict);
    EXPECT_EQ(Get("result_label")->styleSheet(), "background-color: blue");
    EXPECT_TRUE(InOrder(ResultFile(0), {"Button Rawdata: ,Pass", "Attb: ,Pass\r\n", "Debug: ,Pass",
                                        "Jitter: ,", "Raster X: ,Pass\r\n", "Raster Y: ,Pass\r\n",
                                        "Reset: ,Pass\r\n", "Slave Version: ,ZT-1.0"}));
    EXPECT_TRUE(InOrder(
        folder.Log(),
        {"Start automatic test", "Save automatic test data and results", "Automatic test end"}));
    // The panel is left in normal touch mode.
    EXPECT_TRUE(PumpUntil([&] { return QString::fromStdString(peer.Received()).endsWith('n'); }));

    // Without a reset reply and with a bad debug value the next run is NG.
    for (const char* item : {"Attb Mode Test", "Jitter Mode Test", "Raster X Mode Test",
                             "Raster Y Mode Test", "Button Rawdata Mode Test"}) {
        AutoBox(item)->click();
    }
    peer.GoSilent();
    Answer("ZT-1.0");
    peer.Expect("d", Repeat("X10,12,200,9\rY5,6,7\r", 30));
    EXPECT_EQ(RunAutomatic(), kNgVerdict);
    EXPECT_EQ(Text("reset_label") + Text("debug_label"),
              "Reset: <FONT COLOR=RED>NG</FONT>Debug: <FONT COLOR=RED>NG</FONT>");
    EXPECT_TRUE(InOrder(ResultFile(1), {"Debug: ,Fail\r\n", "Reset: ,Fail\r\n", "Slave Version"}));
}

TEST_F(MassProductionWindowTest,
       AutomaticVerdictsFollowTheirItemAndTheNextItemComesLaterInItsOwnRun) {
    ZeltoMP& mp = Open(
        "[General]\nReset_time=4\nAttb_time=3\nDebug_time=2\n[ModeSwitch]\n"
        "reset_mode=1\nattb_mode=1\ndebug_mode=1\n");
    // A mode change sends its commands and resets the labels.
    Get<QLabel>("debug_label")->setText("Debug: <FONT COLOR=RED>NG</FONT>");
    Trigger("actionAutoTest_Mode");
    EXPECT_TRUE(Sent("#qn"));
    EXPECT_EQ(peer.Received(), "#qn");
    EXPECT_EQ(Text("debug_label"), "Debug" + kWait);
    AutoBox("SlaveVersion Check")->click();
    Click("autotest_pushButton");
    Verdict(true);
    // Run Test again before the old run's next step came round: that step is dropped.
    Click("autotest_pushButton");
    PumpFor(200);
    EXPECT_EQ(peer.Received().find('~'), std::string::npos) << peer.Received();
    EXPECT_EQ(Text("reset_label") + Text("countdown_label"), "Reset" + kWait + Count(4));
    mp.TimerTrigger();
    EXPECT_EQ(Text("reset_label"), "Reset: " + Count(3));
    // The reset verdict shows at once; recovery and the next item only after the reply.
    ASSERT_TRUE(Sent("kO"));
    peer.ClearReceived();
    Verdict(true);
    EXPECT_EQ(Text("reset_label") + Text("countdown_label"),
              "Reset: <FONT COLOR=GREEN>OK</FONT>" + kOk);
    EXPECT_EQ(peer.Received(), "");
    // Recovery: quit, "n", "#", quit, "@", power on, "#"; then the ATTB item.
    ASSERT_TRUE(Sent("#qn##q@@o##@o#~rx"));
    EXPECT_EQ(peer.Received().substr(0, 17), "#qn##q@@o##@o#~rx");
    // ATTB passes on its time-out; its count stays until the next item's.
    EXPECT_EQ(Text("countdown_label"), Count(3));
    peer.ClearReceived();
    for (int i = 0; i < 3; ++i) {
        mp.TimerTrigger();
    }
    EXPECT_EQ(Text("attb_label") + Text("countdown_label"),
              "Attb: <FONT COLOR=GREEN>OK</FONT>" + Count(3));
}

TEST_F(MassProductionWindowTest, VersionsAreComparedWholeAndADifferingSlaveFailsItsCheck) {
    ZeltoMP& mp = Open("[General]\nMasterVersion=ABC BV5.3\nSlaveVersion=ZT-1.0\n", "ZT-1.0b");
    EXPECT_EQ(Text("master_label"), "<FONT COLOR=Blue SIZE=8>ABC BV5.3</FONT>");
    EXPECT_EQ(Text("slave_label"), "<FONT COLOR=Red SIZE=8>ZT-1.0b</FONT>");
    EXPECT_EQ(Text("FwCrc_label"), kCrcShown);
    for (const auto& [reported, shown] : std::vector<std::pair<const char*, const char*>>{
             {"ZT-1.0", "<FONT COLOR=Blue SIZE=8>ZT-1.0</FONT>"},
             {"ABCDEFGHIJKLMNO", "<FONT COLOR=Red SIZE=8>ABCDEFGHIJKLMNO </FONT>"},
             {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012",
              "<FONT COLOR=Red SIZE=8>ABCDEFGHIJKLMNO PQRSTUVWXYZ012 </FONT>"},
             {"zt-1.0", "<FONT COLOR=Red SIZE=8>zt-1.0</FONT>"},
             {"ZT-1.0 ", "<FONT COLOR=Red SIZE=8>ZT-1.0 </FONT>"}}) {
        mp.DisplaySlaveVersion(reported);
        EXPECT_EQ(Text("slave_label"), shown);
    }
    // An unwritable result file is an error the operator sees, beside the verdict.
    folder.Dir().Write("Results", "in the way");
    Trigger("actionAutoTest_Mode");
    RunAutomatic();
    EXPECT_EQ(Shown("result_label"), "NG, not saved");
    EXPECT_EQ(Text("normal_label"), "Slave Check: <FONT COLOR=Red>NG</FONT>");
    EXPECT_EQ(Get("result_label")->styleSheet(), "background-color: red");
    EXPECT_TRUE(folder.Log().contains("Result file not saved, results kept: "));
    EXPECT_TRUE(folder.Log().contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    // Once the folder can be made, closing the window saves the file after all.
    // The master's number is kept for this session only.
    QFile::remove(folder.Dir().File("Results"));
    window.reset();
    EXPECT_EQ(ResultFiles().size(), 1);
    EXPECT_EQ(ResultFile(0), "Slave Version: ,ZT-1.0b");
    EXPECT_FALSE(ConfigFile().contains("Master_version"));
}

// A run whose file could not be written keeps its verdict in sight, and its
// records go into a file of their own, never into the next panel's.
TEST_F(MassProductionWindowTest, ARunNotSavedShowsItsVerdictAndKeepsItsRecordsToItself) {
    peer.Expect("k", kResetReply);
    Open("[General]\nReset_time=1\nAttb_time=1\n[ModeSwitch]\nreset_mode=1\nattb_mode=1\n");
    Trigger("actionAutoTest_Mode");
    AutoBox("SlaveVersion Check")->click();
    folder.Dir().Write("Results", "in the way");
    RunAutomatic();
    EXPECT_EQ(Shown("result_label"), "Pass, not saved");
    const QLabel* banner = Get<QLabel>("result_label");
    EXPECT_EQ(banner->styleSheet(), "background-color: red");
    EXPECT_LE(banner->minimumSizeHint().width(), banner->width());

    QFile::remove(folder.Dir().File("Results"));
    AutoBox("Reset Mode Test")->click();
    EXPECT_EQ(RunAutomatic(), kPassVerdict);
    window.reset();
    EXPECT_EQ(ResultFiles().size(), 2);
    EXPECT_EQ(ResultFile(0), "Attb: ,Pass\r\nReset: ,Pass\r\n");
    EXPECT_EQ(ResultFile(1), "Attb: ,Pass\r\n");
}

// Each start-up shows only what its own panel reported. On the automatic page
// the slave check's verdict outlives the list rebuild that the button count of
// the same information block brings.
TEST_F(MassProductionWindowTest, AReopenShowsOnlyWhatItsOwnPanelReported) {
    Open("[General]\nSlaveVersion=ZT-1.0\n");
    EXPECT_EQ(Text("FwCrc_label"), kCrcShown);
    Trigger("actionAutoTest_Mode");
    const auto reopen = [&](const std::string& slave) {
        Trigger("actionOpen");
        EXPECT_TRUE(ShowsPortClosed());
        EXPECT_EQ(Text("FwCrc_label"), "");
        peer.GoSilent();
        peer.ClearReceived();
        Answer(slave);
        if (!slave.empty()) {
            peer.Expect("#Z", "the button reference rawdata number: 0x04\r");
        }
        EXPECT_TRUE(OpenPort());
    };
    for (const auto& [slave, verdict] : {std::pair{"ZT-1.0", "<FONT COLOR=GREEN>OK</FONT>"},
                                         {"ZT-2.0", "<FONT COLOR=Red>NG</FONT>"}}) {
        reopen(slave);
        // Both rounds of information, each slave version followed by a button count.
        EXPECT_TRUE(InformationRequested());
        peer.WaitUntilSent();
        PumpFor(200);
        EXPECT_EQ(Text("normal_label"), QString("Slave Check: ") + verdict);
    }
    // A panel whose controller stays silent shows no CRC of the one before.
    reopen("");
    EXPECT_TRUE(PumpUntil([&] { return Text("slave_label").contains("No FW"); }, 5000));
    EXPECT_EQ(Text("FwCrc_label"), "");
}

TEST_F(MassProductionWindowTest, DialogsThatDoNotReadTheBridgeLeaveTheLinkWithTheWindow) {
    Open("");
    bool readWhileOpen = false;
    const auto answer = [](const QString& text, int result) {
        return Script::On<QInputDialog>([=](QInputDialog& prompt) {
            prompt.setTextValue(text);
            prompt.done(result);
        });
    };
    Script script({Script::On<ThresholdSettingDialog>([&](QDialog& dialog) {
                       readWhileOpen = WindowReads("z\rz\r", 2);
                       dialog.reject();
                   }),
                   answer("trevk", QDialog::Rejected), answer("Trevk", QDialog::Accepted),
                   answer("trevk", QDialog::Accepted),
                   Script::On<SettingDialog>([](QDialog& dialog) { dialog.reject(); }),
                   Script::On<SettingDialog>([](SettingDialog& dialog) { dialog.accept(); }),
                   Script::On<ThresholdSettingDialog>(
                       [](QDialog& dialog) { dialog.done(QDialog::Accepted); })});
    Trigger("actionThresholdSetting");
    EXPECT_TRUE(readWhileOpen);
    // The settings password is asked until it is given once.
    for (int i = 0; i < 3; ++i) {
        Trigger("actionDefault");
    }
    EXPECT_EQ(closer.Boxes().at(0).text, "Password Error!");
    EXPECT_EQ(peer.ReceivedCount(), 0u);
    // Accepted settings leave the bridge closed; accepted thresholds return to the test mode.
    Trigger("actionDefault");
    EXPECT_TRUE(InOrder(
        folder.Log(), {"settings start", "settings cancel", "settings start", "settings accept"}));
    EXPECT_TRUE(Sent("#q"));
    EXPECT_EQ(peer.Received(), "#q");
    peer.ClearReceived();
    Trigger("actionThresholdSetting");
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(Sent(kManualMode));
    EXPECT_EQ(peer.Received(), kManualMode);
}

TEST_F(MassProductionWindowTest, CalibrationAndSlaveDownloadOwnTheLinkUntilTheyClose) {
    Open("[General]\nDebug_time=60\n[ModeSwitch]\ndebug_mode=1\n").Debug();
    ASSERT_TRUE(Sent("@o#dO"));
    window->startTimer(1);
    peer.ClearReceived();
    // Only a line from "0s" to a final K ends the calibration.
    peer.Expect("#z", kDuringLine + "0s\r0s left K.\r3s left K\rx0s left K\r1s left K\r");
    peer.Expect("b", kDuringLine + "Bootloader information: 0A 0B 0C 0D \r");
    int progress = Progress();
    Script script({Script::Until<CalibrateDialog>([&](CalibrateDialog& dialog) {
                       if (dialog.findChild<QTextBrowser*>("textOffset")->toPlainText() != "1s") {
                           return false;
                       }
                       EXPECT_FALSE(dialog.findChild<QPushButton*>("pushButtonOK")->isEnabled());
                       EXPECT_EQ(Progress(), progress);
                       EXPECT_EQ(Text("countdown_label"), "");
                       peer.SendLine("0s left K");
                       return true;
                   }),
                   Script::Until<CalibrateDialog>([&](QDialog& dialog) {
                       folder.Sleeps().Clear();
                       return ClickWhenEnabled(dialog, "pushButtonOK");
                   }),
                   Script::Until<morvex_gui::SlaveDownloader>([&](QDialog& dialog) {
                       if (dialog.findChild<QLineEdit*>("lineVersion")->text().isEmpty()) {
                           return false;
                       }
                       EXPECT_EQ(Text("debug_label"), "Debug" + kWait);
                       EXPECT_EQ(Progress(), progress);
                       dialog.reject();
                       return true;
                   }),
                   PullAdapter<CalibrateDialog>()});
    Trigger("actionCalibrate");
    EXPECT_TRUE(InOrder(folder.Log(), {"Calibrate dialog start", "Calibrate dialog exit"}));
    // The calibration, its end, a moment for the bridge, then the selected page again.
    EXPECT_EQ(folder.Sleeps().Pauses().at(0), 50u);
    EXPECT_TRUE(Sent("###z#q" + kManualMode));
    EXPECT_EQ(peer.Received(), "###z#q" + kManualMode);
    EXPECT_TRUE(WindowReads("z\rz\r", 2));

    // A rejected slave download returns to the selected test mode.
    peer.ClearReceived();
    Get<QLabel>("debug_label")->setText("Debug: done");
    progress = Progress();
    Trigger("actionSlaveDownload");
    EXPECT_TRUE(
        InOrder(folder.Log(), {"Slave download dialog start", "Slave download dialog reject"}));
    EXPECT_FALSE(Text("slave_label").contains("DURING"));
    EXPECT_TRUE(Sent(kManualMode));
    const std::string received = peer.Received();
    EXPECT_EQ(received.substr(0, 9), "##q##q@o#");
    EXPECT_EQ(received.substr(received.size() - kManualMode.size()), kManualMode);
    EXPECT_TRUE(WindowReads("z\r", 1));

    // The adapter gone during a calibration: no pause and no mode switch on a gone port.
    Trigger("actionCalibrate");
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(InOrder(folder.Log(), {"Opened Device is Disconnected", "Calibrate dialog exit"}));
    EXPECT_FALSE(Checked("actionOpen"));
    EXPECT_TRUE(folder.Sleeps().Pauses().empty());
}

TEST_F(MassProductionWindowTest, OffsetSwitchAndOffsetReadForTheClipboardAndTheTool) {
    Open("");
    Trigger("actionWithOffset");
    Trigger("actionWithOffset");
    EXPECT_TRUE(Sent("oO"));
    EXPECT_TRUE(InOrder(folder.Log(), {"Offset enable", "Offset disable"}));
    peer.ClearReceived();
    // Around the table: lower-case digits, no bytes, the version that "v" provokes.
    // A line's match is kept, not the line; lines beyond the table show nothing more.
    const int more = CalibrateDialog::kOffsetLineCount - 1;
    const QString table = "0x1A,0x2B,0x3C" + QString("\n0x0A,0xFF,").repeated(more);
    peer.Expect("*", "0x1a,0x2b\rOffset\rrow 0: 0x1A,0x2B,0x3C\r3s left K\r" +
                         Repeat("0x0A,0xFF,\r", more) + "0x00,0x01\r");
    // The configuration tool still runs when the dialog closes: it ends quietly.
    FakeProgram::Write(folder.Dir().File("ZeltoConfig.exe"), "exec sleep 30\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.Dir().Path().toLocal8Bit() + ":" + path);
    QApplication::clipboard()->clear();
    qint64 pid = 0;
    Script script({Script::Until<CalibrateDialog>([&](CalibrateDialog& dialog) {
                       PumpFor(100);
                       if (dialog.findChild<QTextBrowser*>("textOffset")->toPlainText() != table) {
                           return false;
                       }
                       return ClickWhenEnabled(dialog, "buttonCopyStartZeltoConfig");
                   }),
                   Script::Until<CalibrateDialog>([&](CalibrateDialog& dialog) {
                       auto* tool = dialog.findChild<QProcess*>();
                       if (tool == nullptr || tool->state() != QProcess::Running) {
                           return false;
                       }
                       pid = tool->processId();
                       dialog.reject();
                       return true;
                   })});
    window->Calibrate(false);
    qputenv("PATH", path);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(peer.Received().substr(0, 3), "#v*");
    EXPECT_EQ(QApplication::clipboard()->text(), table);
    EXPECT_TRUE(InOrder(folder.Log(), {"Read offset data", "Copy offset data to clipboard"}));
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
    PumpFor(50);
    EXPECT_TRUE(closer.Boxes().empty());
}

TEST_F(MassProductionWindowTest, SlaveDownloadClosedAfterItBeganRestartsFromACleanLine) {
    const QByteArray record(284, '5');
    folder.Dir().Write("image.vmx", "! VERSION 47\r\n$00" + record + "\r\n$06" + record + "\r\n");
    // A bridge of 5.9 or later acknowledges each record; this one stays silent.
    Open("[General]\nslave_download_file=" + folder.Dir().File("image.vmx").toLocal8Bit() + "\n",
         "", "ABC BV5.9");
    // A half line the window read before the dialog is stale afterwards.
    peer.SendRaw("Slave version: STALE");
    PumpFor(100);
    peer.Expect("b", kDuringLine + "Bootloader information: 0A 0B 0C 0D \r");
    using morvex_gui::SlaveDownloader;
    Script script({Script::Until<SlaveDownloader>(
                       [](QDialog& dialog) { return ClickWhenEnabled(dialog, "buttonDownload"); }),
                   Script::Until<SlaveDownloader>([&](SlaveDownloader& dialog) {
                       if (!dialog.DownloadStarted()) {
                           return false;
                       }
                       peer.GoSilent();  // the restart's version request stays unanswered
                       dialog.reject();
                       return true;
                   })});
    Trigger("actionSlaveDownload");
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(closer.Boxes().empty());
    EXPECT_TRUE(
        InOrder(folder.Log(), {"Slave download dialog start", "Slave download dialog accept"}));
    EXPECT_EQ(Text("slave_label"), "");
    EXPECT_TRUE(Sent("m5Ck" + kStartUp));
    peer.SendRaw("Slave version: AFTER\r");
    ASSERT_TRUE(PumpUntil([&] { return Text("slave_label").contains("AFTER"); }));
    EXPECT_FALSE(Text("slave_label").contains("STALE"));
}

TEST_F(MassProductionWindowTest, WithoutFirmwareOnlyTheMasterDownloadRunsAndRestartsThePanel) {
    ZeltoMP& mp = Open("[General]\nDebug_time=1\n[ModeSwitch]\nnormal_mode=1\ndebug_mode=1\n", "");
    // Without slave firmware no item runs and there is nothing to calibrate.
    EXPECT_EQ(Text("slave_label"), "<FONT COLOR=Red SIZE=8>No FW</FONT>");
    for (ZeltoMP::ItemSlot item : {&ZeltoMP::Reset, &ZeltoMP::Debug, &ZeltoMP::Normal}) {
        (mp.*item)();
    }
    mp.Calibrate(true);
    PumpFor(100);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_FALSE(folder.Log().contains("Calibrate dialog"));

    peer.Expect("G", kDuringLine + "Master_Bootloader_BV12\r");
    peer.Expect("a", "Slave version: BACK\r");
    using morvex_gui::MasterDownloader;
    Script script({Script::Until<MasterDownloader>([&](QDialog& dialog) {
                       return !dialog.findChild<QLineEdit*>("lineVersion")->text().isEmpty() &&
                              (dialog.reject(), true);
                   }),
                   // A refused image file never counts as a download.
                   Script::Until<MasterDownloader>(
                       [](QDialog& dialog) { return ClickWhenEnabled(dialog, "buttonDownload"); }),
                   Script::Until<MasterDownloader>([](MasterDownloader& dialog) {
                       return !dialog.DownloadStarted() && (dialog.reject(), true);
                   }),
                   PullAdapter<MasterDownloader>()});
    Trigger("actionMasterDownload");
    EXPECT_TRUE(
        InOrder(folder.Log(), {"Master download dialog start", "Master download dialog reject"}));
    EXPECT_EQ(peer.Received().substr(0, 6), "##q@o#");
    // The panel's start-up runs again.
    EXPECT_TRUE(Sent(kStartUp));
    EXPECT_TRUE(PumpUntil([&] { return Text("slave_label").contains("BACK"); }));
    Trigger("actionMasterDownload");
    EXPECT_FALSE(folder.Log().contains("Master download dialog accept"));
    EXPECT_EQ(folder.Log().count("Master download dialog reject"), 2);
    Trigger("actionMasterDownload");
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(
        InOrder(folder.Log(), {"Opened Device is Disconnected", "Master download dialog reject"}));
    EXPECT_TRUE(folder.Sleeps().Pauses().empty());
    EXPECT_FALSE(Checked("actionOpen"));
}

// The item keys start single items on the manual page only: on the automatic
// page no key starts an item, and a run goes on to its own verdict and file.
TEST_F(MassProductionWindowTest, ItemKeysActOnTheManualPageOnlyAndARunGoesOnToItsOwnVerdict) {
    peer.Expect("k", kResetReply);
    peer.Expect("d", Repeat(kGoodFrame, 30));
    Open(
        "[General]\nSlaveVersion=ZT-1.0\nReset_time=3\nAttb_time=2\nDebug_time=1\n"
        "rawdata_max=80\nrawdata_min=-60\n[ModeSwitch]\nnormal_mode=1\nraster_mode=1\n"
        "reset_mode=1\nattb_mode=1\ndebug_mode=1\n");
    Trigger("actionAutoTest_Mode");
    ASSERT_TRUE(Sent("#qn"));
    peer.ClearReceived();
    for (Qt::Key key : {Qt::Key_D, Qt::Key_N, Qt::Key_R}) {
        Press(key);
    }
    PumpFor(200);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_EQ(Text("result_label"), "");

    for (Qt::Key key : {Qt::Key_R, Qt::Key_D, Qt::Key_N}) {
        Click("autotest_pushButton");
        ASSERT_TRUE(PumpUntil([&] { return Text("attb_label") == "Attb: " + Count(1); }, 5000));
        Press(key);
        EXPECT_TRUE(PumpUntil([&] { return !Text("result_label").isEmpty(); }, 5000));
        EXPECT_EQ(Text("result_label"), kPassVerdict) << key;
    }
    // Long enough for an item left running to end a run a second time.
    PumpFor(1500);
    ASSERT_EQ(ResultFiles().size(), 3);
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(ResultFile(run),
                  "Attb: ,Pass\r\n" + kGoodDebugRecord + "Reset: ,Pass\r\nSlave Version: ,ZT-1.0")
            << run;
    }

    Trigger("actionNormal_Mode");
    ASSERT_TRUE(Sent(kManualMode));
    peer.ClearReceived();
    for (Qt::Key key : {Qt::Key_N, Qt::Key_D, Qt::Key_R}) {
        Press(key);
    }
    EXPECT_TRUE(Sent("@o#n@o#dO@o#rO"));
}

// Each watch period of the version check counts its own two seconds, also
// when the period before it ended inside a download dialog.
TEST_F(MassProductionWindowTest, AVersionWatchAfterADownloadDialogCountsFromItsOwnStart) {
    folder.Dir().Write("image.vmx", "! VERSION 47\r\n$00" + QByteArray(284, '5') + "\r\n");
    ZeltoMP& mp =
        Create("[General]\nSlaveVersion=ZT-1.0\nslave_download_file=" +
               folder.Dir().File("image.vmx").toLocal8Bit() + "\n[ModeSwitch]\nnormal_mode=1\n");
    const auto openWithSilentSlave = [&] {
        ASSERT_TRUE(OpenWithSilentSlave());
        peer.Expect("b", "Bootloader information: 0A 0B 0C 0D \r");
    };
    // The restart's first tick comes before its replies are read.
    const auto restartedPanelRuns = [&] {
        mp.VersionCheck();
        ASSERT_TRUE(PumpUntil([&] { return Text("slave_label").contains("ZT-1.0"); }));
        EXPECT_EQ(Text("slave_label"), "<FONT COLOR=Blue SIZE=8>ZT-1.0</FONT>");
        peer.ClearReceived();
        mp.Normal();
        EXPECT_TRUE(Sent("@o#n"));
    };

    // From the dialog's close on, the slave answers.
    const auto closeWhen = [&](QDialog& dialog, bool ready) {
        if (ready) {
            Answer("ZT-1.0");
            dialog.reject();
        }
        return ready;
    };

    openWithSilentSlave();
    Script master({Script::Until<morvex_gui::MasterDownloader>(
        [&](QDialog& dialog) { return closeWhen(dialog, NoFirmwareShown()); })});
    Trigger("actionMasterDownload");
    ASSERT_TRUE(master.Done());
    restartedPanelRuns();

    Trigger("actionOpen");
    openWithSilentSlave();
    using morvex_gui::SlaveDownloader;
    Script slave({Script::Until<SlaveDownloader>([&](QDialog& dialog) {
                      return NoFirmwareShown() && ClickWhenEnabled(dialog, "buttonDownload");
                  }),
                  Script::Until<SlaveDownloader>([&](SlaveDownloader& dialog) {
                      return closeWhen(dialog, dialog.DownloadStarted());
                  })});
    Trigger("actionSlaveDownload");
    ASSERT_TRUE(slave.Done());
    EXPECT_TRUE(folder.Log().contains("Slave download dialog accept"));
    restartedPanelRuns();
}

// A port session judges only its own panel: a session closed inside its watch
// period leaves no mark that the next panel's check would take for a version.
TEST_F(MassProductionWindowTest, APanelWithoutSlaveFirmwareStaysBlockedWhateverTheLastSessionLeft) {
    Answer("ZT-1.0");
    ZeltoMP& mp = Create("[ModeSwitch]\nnormal_mode=1\nreset_mode=1\nattb_mode=1\ndebug_mode=1\n");
    Combo(0)->setCurrentText(peer.PortName());
    Trigger("actionOpen");
    Trigger("actionOpen");  // closed inside its watch period, before any reply is read
    // The closed window shows no mark of a check once the period is over.
    PumpFor(2500);
    EXPECT_EQ(Text("master_label") + Text("slave_label"), "");

    ASSERT_TRUE(OpenWithSilentSlave());
    ASSERT_TRUE(PumpUntil([&] { return NoFirmwareShown(); }, 5000));
    EXPECT_EQ(Text("slave_label"), "<FONT COLOR=Red SIZE=8>No FW</FONT>");
    peer.ClearReceived();
    for (ZeltoMP::ItemSlot item :
         {&ZeltoMP::Normal, &ZeltoMP::Reset, &ZeltoMP::Attb, &ZeltoMP::Debug}) {
        (mp.*item)();
    }
    PumpFor(100);
    EXPECT_EQ(peer.Received(), "");
}

// A result file is the record of one run on one panel: nothing that a manual
// item, an earlier port session or a run given up recorded reaches it.
TEST_F(MassProductionWindowTest, AResultFileHoldsOnlyTheRecordsOfItsOwnRun) {
    peer.Expect("k", kResetReply);
    peer.Expect("d", Repeat(kGoodFrame, 30));
    ZeltoMP& mp = Open(
        "[General]\nSlaveVersion=ZT-1.0\nReset_time=3\nAttb_time=3\nDebug_time=1\n"
        "rawdata_max=80\nrawdata_min=-60\n[ModeSwitch]\nreset_mode=1\nattb_mode=1\ndebug_mode=1\n");
    const auto tickAttbAndDebug = [&] {
        for (const char* item : {"Attb Mode Test", "Debug Mode Test"}) {
            AutoBox(item)->click();
        }
    };
    const QString ownRun = "Reset: ,Pass\r\nSlave Version: ,ZT-1.0";
    // The first panel's debug readings, taken by hand.
    mp.Debug();
    ASSERT_TRUE(PumpUntil([&] { return Text("countdown_label") == kOk; }, 5000));
    Trigger("actionAutoTest_Mode");
    tickAttbAndDebug();
    Trigger("actionOpen");

    // The next panel, opened on the automatic page, runs Reset alone; its
    // ATTB line never toggles and its debug item never answers.
    peer.GoSilent();
    Answer("ZT-1.0");
    peer.Expect("k", kResetReply);
    peer.Expect("rx", Repeat("ATTb not toggle\r", 20));
    ASSERT_TRUE(OpenPort());
    ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() == 1; }, 5000));
    EXPECT_EQ(Text("result_label"), kPassVerdict);
    EXPECT_EQ(ResultFile(0), ownRun);

    // A run given up while Debug waits, after its Attb item failed.
    tickAttbAndDebug();
    Click("autotest_pushButton");
    ASSERT_TRUE(
        PumpUntil([&] { return Text("attb_label") == "Attb: <FONT COLOR=RED>NG</FONT>"; }, 5000));
    Trigger("actionNormal_Mode");
    Trigger("actionAutoTest_Mode");
    tickAttbAndDebug();
    EXPECT_EQ(RunAutomatic(), kPassVerdict);
    ASSERT_EQ(ResultFiles().size(), 2);
    EXPECT_EQ(ResultFile(1), ownRun);
}

// The run that the restart after a download dialog begins is judged from Pass,
// whatever the run before it gave.
TEST_F(MassProductionWindowTest, ARunThatADownloadRestartBeginsStartsFromPass) {
    Open("[General]\nSlaveVersion=ZT-1.0\nReset_time=3\n[ModeSwitch]\nreset_mode=1\n", "ZT-0.9");
    Trigger("actionAutoTest_Mode");
    ASSERT_EQ(RunAutomatic(), kNgVerdict);

    // A good panel; the master download dialog closes without a download.
    peer.GoSilent();
    Answer("ZT-1.0");
    peer.Expect("k", kResetReply);
    Script script(
        {Script::On<morvex_gui::MasterDownloader>([](QDialog& dialog) { dialog.reject(); })});
    Trigger("actionMasterDownload");
    ASSERT_TRUE(script.Done());
    ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() == 2; }, 5000));
    EXPECT_EQ(Text("reset_label"), "Reset: <FONT COLOR=GREEN>OK</FONT>");
    EXPECT_EQ(Text("result_label"), kPassVerdict);
    EXPECT_EQ(ResultFile(1), "Reset: ,Pass\r\nSlave Version: ,ZT-1.0");
}

// A slave that reports its version has firmware, also after the watch marked
// it "No FW": its information is read before its items run, so its run passes
// on its own channel counts, and its manual items run.
TEST_F(MassProductionWindowTest, ASlaveThatReportsAfterNoFirmwareRunsItsItems) {
    // No channel counts stored: Debug passes only with the panel's own.
    const auto openWithSilentSlave = [&] {
        window.reset();
        Create(
            "[General]\nSlaveVersion=ZT-1.0\nReset_time=3\nDebug_time=1\nrawdata_max=80\n"
            "rawdata_min=-60\n[ModeSwitch]\nnormal_mode=1\nreset_mode=1\ndebug_mode=1\n");
        Trigger("actionAutoTest_Mode");
        ASSERT_TRUE(OpenWithSilentSlave());
    };
    // From now on the slave answers.
    const auto runPassesAndNormalRuns = [&](int file) {
        Answer("ZT-1.0");
        peer.Expect("k", kResetReply);
        peer.Expect("d", Repeat(kGoodFrame, 30));
        EXPECT_EQ(RunAutomatic(), kPassVerdict);
        EXPECT_EQ(Text("normal_label"), "Slave Check: <FONT COLOR=GREEN>OK</FONT>");
        EXPECT_EQ(Text("FwCrc_label"), kCrcShown);
        EXPECT_EQ(ResultFile(file), kGoodDebugRecord + "Reset: ,Pass\r\nSlave Version: ,ZT-1.0");
        Trigger("actionNormal_Mode");
        ASSERT_TRUE(Sent(kManualMode));
        peer.ClearReceived();
        window->Normal();
        EXPECT_TRUE(Sent("@o#n"));
    };

    // A slow controller: it answers only after the watch.
    openWithSilentSlave();
    ASSERT_TRUE(PumpUntil([&] { return NoFirmwareShown(); }, 5000));
    runPassesAndNormalRuns(0);

    // A slave download dialog took the replies, and closed without a download.
    openWithSilentSlave();
    Script script({Script::Until<morvex_gui::SlaveDownloader>(
        [&](QDialog& dialog) { return NoFirmwareShown() && (dialog.reject(), true); })});
    Trigger("actionSlaveDownload");
    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(folder.Log().contains("Slave download dialog reject"));
    runPassesAndNormalRuns(1);
    EXPECT_EQ(ResultFiles().size(), 2);
}

// A page switch inside the start-up's watch cuts off the panel's replies: the
// panel is asked again, so a good panel is never taken for one without
// firmware nor judged without its channel counts, and a silent one still is.
TEST_F(MassProductionWindowTest, ASwitchDuringTheStartUpAsksThePanelAgain) {
    peer.Expect("d", Repeat(kGoodFrame, 30));
    Answer("ZT-1.0");
    ZeltoMP& mp = Create(
        "[General]\nSlaveVersion=ZT-1.0\nDebug_time=1\nrawdata_max=80\nrawdata_min=-60\n"
        "[ModeSwitch]\nnormal_mode=1\ndebug_mode=1\n");
    // On the automatic page the panel's own slave report begins a run; no
    // channel counts are stored yet, so Debug passes only with the panel's.
    ASSERT_TRUE(OpenPort());
    Trigger("actionAutoTest_Mode");
    ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() == 1; }, 8000));
    EXPECT_EQ(Text("result_label"), kPassVerdict);
    const QString panelRun = kGoodDebugRecord + "Slave Version: ,ZT-1.0";
    EXPECT_EQ(ResultFile(0), panelRun);
    EXPECT_EQ(RunAutomatic(), kPassVerdict);
    EXPECT_EQ(ResultFile(1), panelRun);

    // The master's reply is in before the switch, which the window handles
    // first; the panel is asked again once, not once for each reply.
    peer.GoSilent();
    ClearAfterClosing([&] { Trigger("actionOpen"); });
    Answer("ZT-1.0");
    ASSERT_TRUE(OpenPort());
    LetRepliesLand();
    Trigger("actionNormal_Mode");
    const std::string restarted = kStartUp + kManualMode + kStartUp;
    ASSERT_TRUE(Sent(restarted));
    EXPECT_EQ(peer.Received().substr(0, restarted.size()), restarted);
    ASSERT_TRUE(PumpUntil([&] { return !Text("slave_label").isEmpty(); }, 5000));
    PumpFor(100);
    const std::string received = peer.Received();
    EXPECT_EQ(std::count(received.begin(), received.end(), 'Z'), 2) << received;
    EXPECT_EQ(Text("slave_label") + Text("FwCrc_label"),
              "<FONT COLOR=Blue SIZE=8>ZT-1.0</FONT>" + kCrcShown);
    peer.ClearReceived();
    mp.Normal();
    EXPECT_TRUE(Sent("@o#n"));

    // A silent slave, whatever switches come in its watch.
    Trigger("actionOpen");
    ASSERT_TRUE(OpenWithSilentSlave());
    Trigger("actionAutoTest_Mode");
    Trigger("actionNormal_Mode");
    ASSERT_TRUE(PumpUntil([&] { return NoFirmwareShown(); }, 8000));
    peer.ClearReceived();
    mp.Normal();
    PumpFor(100);
    EXPECT_EQ(peer.Received(), "");
}

// Run Test pressed inside the start-up waits for the panel's information: the
// panel is judged on its own channel counts, never on none or on those of the
// panel type tested before, in one run and one file.
TEST_F(MassProductionWindowTest, RunTestInsideTheStartUpWaitsForThePanelsOwnCounts) {
    // A new window on the automatic page, Run Test pressed as the port opens.
    const auto pressAtOnce = [&](const QByteArray& stored, const char* frame,
                                 const std::string& slave) {
        CreateOnTheAutomaticPage(ResetAndDebugLine(stored));
        Answer(slave);
        peer.Expect("k", kResetReply);
        peer.Expect("d", Repeat(frame, 30));
        EXPECT_TRUE(OpenPort());
        Click("autotest_pushButton");
    };
    struct Road {
        QByteArray stored;
        const char* frame;
        QString verdict;
        QString debugRecord;
    };
    const QByteArray smallerType = "x_electrodes=2\ny_electrodes=1\n";
    const Road roads[] = {
        {"", kGoodFrame, kPassVerdict, kGoodDebugRecord},
        {smallerType, kGoodFrame, kPassVerdict, kGoodDebugRecord},
        {smallerType, "X10,12,11,200\rY5,6,7\r", kNgVerdict,
         "Debug: ,Fail\r\nX,10,12,11,200\r\nY,5,6,7\r\n"},
    };
    for (const Road& road : roads) {
        const int before = ResultFiles().size();
        pressAtOnce(road.stored, road.frame, "ZT-1.0");
        ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() > before; }, 10000));
        PumpFor(1500);  // long enough for a second run to end
        EXPECT_EQ(ResultFiles().size(), before + 1);
        EXPECT_EQ(ResultFile(before), road.debugRecord + "Reset: ,Pass\r\nSlave Version: ,ZT-1.0");
        EXPECT_EQ(Text("result_label"), road.verdict);
        EXPECT_EQ(Text("FwCrc_label"), kCrcShown);
    }
}

// A Run Test held for a start-up that found no slave is not lost: it goes on
// as Run Test pressed at "No FW", so a panel that answers by then is read and
// judged on its own information, in one run and one file, and a slave that
// never answers gets no item.
TEST_F(MassProductionWindowTest, RunTestHeldThroughNoFirmwareAsksTheAttachedPanel) {
    // Run Test pressed as the port opens on the automatic page; each road
    // waits until the start-up has asked what it asks.
    const auto pressAtOnce = [&](bool masterAnswers) {
        CreateOnTheAutomaticPage(ResetAndDebugLine());
        if (masterAnswers) {
            Answer("");
        }
        ASSERT_TRUE(OpenPort());
        Click("autotest_pushButton");
        if (masterAnswers) {
            ASSERT_TRUE(InformationRequested());
        } else {
            ASSERT_TRUE(Sent(kStartUp));
        }
        EXPECT_FALSE(NoFirmwareShown());
    };
    for (const bool masterAnswers : {true, false}) {
        const int before = ResultFiles().size();
        pressAtOnce(masterAnswers);
        // The panel answers from now on.
        Answer("ZT-1.0");
        peer.Expect("k", kResetReply);
        peer.Expect("d", Repeat(kGoodFrame, 30));
        ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() > before; }, 10000))
            << masterAnswers;
        PumpFor(1500);  // long enough for a second run to end
        EXPECT_EQ(ResultFiles().size(), before + 1);
        const QString file = ResultFile(before);
        EXPECT_TRUE(file.startsWith("Debug: ,Pass")) << file.toStdString();
        EXPECT_FALSE(file.contains("Fail")) << file.toStdString();
        EXPECT_EQ(Text("result_label"), kPassVerdict);
        EXPECT_EQ(Text("FwCrc_label"), kCrcShown);
    }

    const int before = ResultFiles().size();
    pressAtOnce(true);
    ASSERT_TRUE(PumpUntil([&] { return NoFirmwareShown(); }, 5000));
    PumpFor(300);
    // The start-up, its two rounds of information requests and the run's
    // slave check, which nothing answers.
    const std::string information = "am@w3A010000sw3Asr0000#Z";
    EXPECT_EQ(peer.Received(), kStartUp + information + information + "na");
    peer.ClearReceived();
    for (ZeltoMP::ItemSlot item : {&ZeltoMP::Reset, &ZeltoMP::Debug}) {
        (window.get()->*item)();
    }
    PumpFor(300);
    EXPECT_EQ(peer.Received(), "");
    EXPECT_EQ(Text("result_label"), "");
    EXPECT_EQ(ResultFiles().size(), before);
}

// Settings accepted before the panel answered leave it asked again, not taken
// for one without firmware. Each port session reads its own panel: pressed
// after the slave version but before the channel counts, a manual item starts
// once they are in and is judged on them; a press given up by a mode change
// never starts, and one after normal mode took the replies asks the panel again.
TEST_F(MassProductionWindowTest, AnItemOrSettingsInsideTheStartUpLeaveThePanelRead) {
    ZeltoMP& mp = Create(
        "[General]\nSlaveVersion=ZT-1.0\nDebug_time=1\nrawdata_max=80\nrawdata_min=-60\n"
        "[ModeSwitch]\nnormal_mode=1\ndebug_mode=1\n");
    // A panel type with fewer channels; it answers once the settings are in.
    ASSERT_TRUE(OpenPort());
    Answer("");
    peer.Expect("a",
                "Slave version: ZT-1.0\rThe CRC of the application of the slave: 0x 3A 5C \r"
                "Number of x electrodes: 0x03\rNumber of y electrodes: 0x02\r");
    Script script({Script::On<QInputDialog>([](QInputDialog& prompt) {
                       prompt.setTextValue("trevk");
                       prompt.accept();
                   }),
                   Script::On<SettingDialog>([](QDialog& dialog) { dialog.accept(); })});
    Trigger("actionDefault");
    ASSERT_TRUE(script.Done());
    ASSERT_TRUE(PumpUntil([&] { return !Text("FwCrc_label").isEmpty(); }, 5000));
    EXPECT_EQ(peer.Received().substr(0, 2 * kStartUp.size() + 2), kStartUp + "#q" + kStartUp);
    EXPECT_EQ(Text("slave_label") + Text("FwCrc_label"),
              "<FONT COLOR=Blue SIZE=8>ZT-1.0</FONT>" + kCrcShown);
    PumpFor(2500);
    EXPECT_FALSE(NoFirmwareShown());

    // The bigger panel's slave version comes before its counts.
    const auto reopenUntilTheSlaveReports = [&] {
        peer.GoSilent();
        ClearAfterClosing([&] { Trigger("actionOpen"); });
        Answer("");
        peer.Expect("a", "Slave version: ZT-1.0\r");
        peer.Expect("d", Repeat(kGoodFrame, 30));
        ASSERT_TRUE(OpenPort());
        ASSERT_TRUE(PumpUntil([&] { return !Text("slave_label").isEmpty(); }));
    };
    const auto debugSent = [&] { return peer.Received().find('d') != std::string::npos; };
    const auto debugRunsOnTheCounts = [&] {
        EXPECT_FALSE(debugSent()) << peer.Received();
        peer.SendRaw(kPanelCounts);
        EXPECT_TRUE(PumpUntil([&] { return Text("countdown_label") == kOk; }, 5000));
        EXPECT_TRUE(Sent("@o#dO"));
        EXPECT_EQ(ChannelsShown("X") + ChannelsShown("Y"), "54");
    };
    reopenUntilTheSlaveReports();
    mp.Debug();
    PumpFor(100);
    debugRunsOnTheCounts();

    reopenUntilTheSlaveReports();
    mp.Normal();
    mp.Debug();
    ASSERT_TRUE(Sent("@o#n" + kStartUp));
    ASSERT_TRUE(PumpUntil([&] { return !Text("slave_label").isEmpty(); }));
    debugRunsOnTheCounts();

    reopenUntilTheSlaveReports();
    mp.Debug();
    Trigger("actionNormal_Mode");
    ASSERT_TRUE(Sent(kManualMode + kStartUp));
    ASSERT_TRUE(PumpUntil([&] { return !Text("slave_label").isEmpty(); }));
    peer.SendRaw(kPanelCounts);
    ASSERT_TRUE(PumpUntil([&] { return ChannelsShown("Y") == "4"; }));
    PumpFor(300);
    EXPECT_FALSE(debugSent()) << peer.Received();
}

// The starter config.ini that a new data folder gets is a working line: with
// only the expected versions entered in the test settings, a good panel
// passes on the automatic page and a bad one fails.
TEST_F(MassProductionWindowTest, TheStarterConfigurationPassesAGoodPanelOnceTheVersionsAreEntered) {
    QFile starterFile(QStringLiteral(MORVEX_STARTER_CONFIG));
    ASSERT_TRUE(starterFile.open(QIODevice::ReadOnly));
    const QByteArray starter = starterFile.readAll();
    Create(starter);
    Script script({Script::On<QInputDialog>([](QInputDialog& prompt) {
                       prompt.setTextValue("trevk");
                       prompt.accept();
                   }),
                   Script::On<SettingDialog>([](QDialog& dialog) {
                       dialog.findChild<QLineEdit*>("master_lineEdit")->setText("ABC BV5.3");
                       dialog.findChild<QLineEdit*>("slave_lineEdit")->setText("ZT-1.0");
                       dialog.accept();
                   })});
    Trigger("actionDefault");
    ASSERT_TRUE(script.Done());
    // Saving changed nothing but the versions.
    EXPECT_EQ(ConfigFile(), QString::fromLatin1(starter)
                                .replace("MasterVersion=\n", "MasterVersion=ABC BV5.3\n")
                                .replace("SlaveVersion=\n", "SlaveVersion=ZT-1.0\n"));
    Trigger("actionAutoTest_Mode");

    // Each panel is opened on the automatic page: its slave report begins its run.
    const std::pair<const char*, QString> panels[] = {
        {kGoodFrame, kPassVerdict},
        {"X10,12,11,200\rY5,6,7\r", kNgVerdict},
    };
    for (const auto& [frame, verdict] : panels) {
        const int before = ResultFiles().size();
        peer.GoSilent();
        if (Checked("actionOpen")) {
            ClearAfterClosing([&] { Trigger("actionOpen"); });
        }
        Answer("ZT-1.0");
        peer.Expect("k", kResetReply);
        peer.Expect("d", Repeat(frame, 40));
        ASSERT_TRUE(OpenPort());
        ASSERT_TRUE(PumpUntil([&] { return ResultFiles().size() > before; }, 15000)) << frame;
        EXPECT_EQ(Text("result_label"), verdict);
        EXPECT_EQ(Text("master_label") + Text("normal_label"),
                  "<FONT COLOR=Blue SIZE=8>ABC BV5.3</FONT>"
                  "Slave Check: <FONT COLOR=GREEN>OK</FONT>");
        EXPECT_EQ(ResultFile(before).startsWith("Debug: ,Pass"), verdict == kPassVerdict);
    }
    EXPECT_EQ(ResultFiles().size(), 2);
}
