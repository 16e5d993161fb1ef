#include <gtest/gtest.h>

#include <QThread>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <boost/make_shared.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BridgePeer.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "EventPump.h"
#include "RecordingWindowImp.h"
#include "SlaveDownloadProgress.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"

using morvex_gui::CloseState;
using morvex_gui::CoreDevice;
using morvex_gui::SlaveDownloadProgress;
using morvex_gui::State;

namespace {

const char kAnnouncement[] = "Slave Bootloader information: V2.1\r";
const std::string kEnterBootloader = "@m5Db";
const std::string kExitBootloader = "m5Ck";
const char kGenerationFailed[] =
    "<FONT COLOR=red>Generation of pattern vmx file failed, please select a correct xml file "
    "and check the existence of the correct c:/GCC_morvex environment and retry.</FONT>";
const char kEnvironmentMissing[] =
    "<FONT COLOR=red>Generate pattern vmx file fail, Please check if the full 'GCC_MORVEX' "
    "environment is installed.</FONT>";

void WriteFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(contents);
    }
}

// Answers every message box the dialog opens with exec(): records it and
// clicks `answer` when the box has that button, else its only/default one.
class BoxAnswerer {
public:
    struct Box {
        QString title;
        QString text;
    };

    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : _answer(answer) {
        QObject::connect(&_timer, &QTimer::timeout, [this] { Poll(); });
        _timer.start(10);
    }
    void SetAnswer(QMessageBox::StandardButton answer) { _answer = answer; }
    const std::vector<Box>& Boxes() const { return _boxes; }

private:
    void Poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible()) {
                continue;
            }
            _boxes.push_back(Box{box->windowTitle(), box->text()});
            QAbstractButton* button = box->button(_answer);
            if (button == nullptr) {
                button = box->buttons().value(0);
            }
            button->click();
        }
    }

    QTimer _timer;
    QMessageBox::StandardButton _answer;
    std::vector<Box> _boxes;
};

// The engineering window as the dialog sees it: a parent with the removal signal.
class WindowStandIn : public QWidget {
    Q_OBJECT
signals:
    void SignalDeviceDisconnect();
};

// The engineering device without its start-up sequence.
class QuietDevice : public CoreDevice {
public:
    using CoreDevice::CoreDevice;
    void EnterOpenState() override {}
};

std::string Record(const char* kind, char fill) {
    return std::string("$") + kind + std::string(284, fill);
}

std::string Command(const std::string& record, char suffix) {
    return "w" + record.substr(1) + suffix;
}

// A tool chain whose shell copies a prepared image to where the real chain
// leaves its result, after placing the XML as the real one expects it.
class FakeToolChain {
public:
    FakeToolChain() : _previous(qgetenv("MORVEX_TOOLCHAIN_ROOT")) {
        qputenv("MORVEX_TOOLCHAIN_ROOT", _root.path().toLocal8Bit());
        QDir().mkpath(Path("xml"));
    }
    ~FakeToolChain() {
        if (_previous.isEmpty()) {
            qunsetenv("MORVEX_TOOLCHAIN_ROOT");
        } else {
            qputenv("MORVEX_TOOLCHAIN_ROOT", _previous);
        }
    }
    void InstallShell(const QByteArray& body) {
        WriteFile(Path("bin/bash.exe"),
                  "#!/bin/sh\nroot=$(cd \"$(dirname \"$0\")/..\" && pwd)\n"
                  "touch \"$root/started\"\n" +
                      body);
        QFile::setPermissions(Path("bin/bash.exe"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
    }
    // The script makes `image` into the chain's result.
    void InstallConverter(const QByteArray& image) {
        WriteFile(Path("image.vmx"), image);
        InstallShell(
            "echo 'building eeprom image'\n"
            "mkdir -p \"$root/eeprom_make\"\n"
            "cp \"$root/image.vmx\" \"$root/eeprom_make/eeprom.vmx\"\n");
    }
    bool Started() const { return QFile::exists(Path("started")); }
    QString Path(const QString& name) const { return _root.path() + "/" + name; }

private:
    QTemporaryDir _root;
    QByteArray _previous;
};

class TuningDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        firmwareRecords = {Record("00", 'A'), Record("01", 'B'), Record("16", 'C')};
        firmwareCommands = {Command(firmwareRecords[0], 's'), Command(firmwareRecords[1], 'l'), "",
                            Command(firmwareRecords[2], 'l')};
        eepromRecords = {Record("10", 'E'), Record("02", 'F')};
        eepromCommands = {Command(eepromRecords[0], 's'), Command(eepromRecords[1], 's')};
        WriteFile(programDir.File("tune_xml.tmp"), "<system_environment_configuration/>\n");
        WriteFile(programDir.File("vmx_file/normal.vmx"),
                  QByteArray::fromStdString("! VERSION 47\n" + firmwareRecords[0] + "\n" +
                                            firmwareRecords[1] + "\n!delay\n" + firmwareRecords[2] +
                                            "\n"));
        chain.InstallConverter(QByteArray::fromStdString("! VERSION 47\n" + eepromRecords[0] +
                                                         "\n" + eepromRecords[1] + "\n"));
        ASSERT_TRUE(device.Open(peer.PortName(), "460800"));
        sleeps.Clear();
    }

    void TearDown() override {
        trigger.stop();
        dialog.reset();
        device.close();
    }

    void Start(bool autoClose = true, const QString& xml = QString()) {
        const QByteArray xmlPath =
            (xml.isEmpty() ? programDir.File("tune_xml.tmp") : xml).toLocal8Bit();
        const QByteArray firmware = programDir.File("vmx_file/normal.vmx").toLocal8Bit();
        dialog = std::make_unique<SlaveDownloadProgress>(&device, xmlPath.constData(),
                                                         firmware.constData(), &window);
        dialog->findChild<QCheckBox*>("checkAutoClose")->setChecked(autoClose);
        finished = std::make_unique<QSignalSpy>(dialog.get(), &QDialog::finished);
        dialog->show();
    }

    bool WaitForEnd(int timeoutMs = 5000) {
        return PumpUntil([this] { return finished->count() > 0; }, timeoutMs);
    }
    bool WaitForWire(const std::string& text) {
        return PumpUntil([&] { return peer.Received().find(text) != std::string::npos; });
    }
    int Result() const { return finished->count() > 0 ? finished->at(0).at(0).toInt() : -1; }
    QString Log() const { return dialog->findChild<QTextBrowser*>("textBrowser")->toPlainText(); }
    // Runs `action` at the first event processing after the command of
    // index `index` went out (the send loop lets events run between commands).
    void WhenSent(int index, std::function<void()> action) {
        trigger.setInterval(0);
        QObject::connect(&trigger, &QTimer::timeout, [this, index, action] {
            if (Progress()->value() >= index) {
                trigger.stop();
                action();
            }
        });
        trigger.start();
    }
    // What the peer holds once at least `expected`'s length has arrived: the
    // dialog may end before its last bytes have crossed the pseudo-terminal.
    std::string ReceivedOnceAsLongAs(const std::string& expected) {
        peer.WaitForBytes(expected.size());
        return peer.Received();
    }
    QProgressBar* Progress() const { return dialog->findChild<QProgressBar*>("progressBar"); }
    QPushButton* OkButton() const { return dialog->findChild<QPushButton*>("buttonAccept"); }
    QStringList SessionLogs() const {
        return QDir(programDir.File("LogFiles")).entryList({"TuneDownload_*.log"}, QDir::Files);
    }

    static std::string Joined(const std::vector<std::string>& commands) {
        std::string all;
        for (const std::string& command : commands) {
            all += command;
        }
        return all;
    }

    TempProgramDir programDir;
    FakeToolChain chain;
    SleepRecorder sleeps;
    BridgePeer peer;
    BoxAnswerer boxes;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    QuietDevice device{&imp, &current};
    WindowStandIn window;
    std::unique_ptr<SlaveDownloadProgress> dialog;
    std::unique_ptr<QSignalSpy> finished;
    QTimer trigger;
    std::vector<std::string> firmwareRecords;
    std::vector<std::string> firmwareCommands;
    std::vector<std::string> eepromRecords;
    std::vector<std::string> eepromCommands;
};

}  // namespace

TEST_F(TuningDownloadTest, GeneratesThenSendsFirmwareAndEepromImagesAtAFixedPace) {
    peer.Expect("b", kAnnouncement);
    Start();
    EXPECT_EQ(dialog->windowTitle(), "Generate Eeprom vmx file...");
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(QFile(chain.Path("xml/MORVEX_customer_pinmap.tmp")).size(),
              QFileInfo(programDir.File("tune_xml.tmp")).size());

    EXPECT_EQ(
        ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader +
                             Joined(eepromCommands)),
        kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader + Joined(eepromCommands));
    EXPECT_EQ(dialog->windowTitle(), "Downloading Eeprom vmx file...");
    EXPECT_EQ(Progress()->maximum(), 1);
    EXPECT_EQ(Progress()->value(), 1);
    const QString log = Log();
    EXPECT_TRUE(log.startsWith("building eeprom image\n")) << log.toStdString();
    EXPECT_TRUE(log.endsWith(QString::fromStdString(firmwareCommands[1] + "\n!delay\n" +
                                                    firmwareCommands[3] + "\n" + eepromCommands[0] +
                                                    "\n" + eepromCommands[1])))
        << log.toStdString();
    ASSERT_EQ(SessionLogs().size(), 1);
    QFile session(programDir.File("LogFiles/" + SessionLogs()[0]));
    ASSERT_TRUE(session.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(session.readAll()), log);

    // Bootloader wake-up, then per command its 20-ms write pause and 100 ms,
    // 300 ms for a delay entry and between the images.
    const std::vector<unsigned> wake{20, 20, 200, 20, 100};
    std::vector<unsigned> expected = wake;
    for (unsigned pause : {20, 100, 20, 100, 300, 100, 20, 100, 300}) {
        expected.push_back(pause);
    }
    expected.insert(expected.end(), wake.begin(), wake.end());
    for (unsigned pause : {20, 100, 20, 100}) {
        expected.push_back(pause);
    }
    EXPECT_EQ(sleeps.Pauses(), expected);

    // Deleting the dialog leaves the bootloader.
    dialog.reset();
    EXPECT_TRUE(peer.WaitForText(kEnterBootloader + Joined(eepromCommands) + kExitBootloader));
}

TEST_F(TuningDownloadTest, WithoutAutoCloseTheDialogWaitsForOk) {
    peer.Expect("b", kAnnouncement);
    Start(false);
    ASSERT_TRUE(WaitForWire(eepromCommands.back()));
    PumpFor(100);
    EXPECT_EQ(finished->count(), 0);
    EXPECT_TRUE(OkButton()->isEnabled());
    OkButton()->click();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Accepted);
}

TEST_F(TuningDownloadTest, AMissingPatternXmlStartsNothing) {
    Start(true, programDir.File("absent.xml"));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Generate fail...");
    EXPECT_EQ(boxes.Boxes()[0].text, "Open xml file fail");
    EXPECT_FALSE(chain.Started());
    EXPECT_EQ(ReceivedOnceAsLongAs(""), "");
    EXPECT_EQ(SessionLogs().size(), 1);
}

TEST_F(TuningDownloadTest, AToolChainThatCannotTakeTheXmlIsReported) {
    qputenv("MORVEX_TOOLCHAIN_ROOT", chain.Path("not/installed").toLocal8Bit());
    Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    PumpUntil([this] { return !boxes.Boxes().empty(); }, 1000);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Generate Fail...");
    EXPECT_EQ(boxes.Boxes()[0].text, kGenerationFailed);
    EXPECT_EQ(ReceivedOnceAsLongAs(""), "");
}

TEST_F(TuningDownloadTest, AMissingShellIsReportedAndNothingIsDownloaded) {
    QFile::remove(chain.Path("bin/bash.exe"));
    Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    PumpUntil([this] { return !boxes.Boxes().empty(); }, 1000);
    PumpFor(100);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Generate Fail...");
    EXPECT_EQ(boxes.Boxes()[0].text, kEnvironmentMissing);
    EXPECT_EQ(ReceivedOnceAsLongAs(""), "");
}

TEST_F(TuningDownloadTest, ACrashedToolChainIsReportedAndNothingIsDownloaded) {
    peer.Expect("b", kAnnouncement);
    chain.InstallConverter("! VERSION 47\n");
    chain.InstallShell("kill -SEGV $$\n");
    Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    PumpFor(200);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kEnvironmentMissing);
    EXPECT_EQ(ReceivedOnceAsLongAs(""), "");
}

TEST_F(TuningDownloadTest, AFailedScriptStillSendsTheFirmwareThenReportsTheMissingImage) {
    peer.Expect("b", kAnnouncement);
    chain.InstallShell("echo 'make: Error 1' >&2\nexit 2\n");
    Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Download Fail");
    EXPECT_EQ(boxes.Boxes()[0].text, "Download Vmx file fail.");
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands)),
              kEnterBootloader + Joined(firmwareCommands));
    EXPECT_TRUE(Log().startsWith("make: Error 1\n"));
}

TEST_F(TuningDownloadTest, AnAnnouncementSplitOverTwoReadsStartsTheSendOnce) {
    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader));
    peer.SendRaw("Slave Bootloader infor");
    PumpFor(150);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader), kEnterBootloader);
    peer.SendRaw("mation: V2.1\r");
    ASSERT_TRUE(WaitForWire(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader));
    // A repeated announcement while the EEPROM image waits starts it once too.
    peer.SendRaw(std::string(kAnnouncement) + kAnnouncement);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Accepted);
    PumpFor(100);
    EXPECT_EQ(
        ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader +
                             Joined(eepromCommands)),
        kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader + Joined(eepromCommands));
}

TEST_F(TuningDownloadTest, OnlyTheAnnouncementAnImageWaitsForStartsIt) {
    // Two announcements in one read: the second may not start the EEPROM image
    // before its own wake-up is answered. Both are in the port's buffer before
    // the dialog reads, so they arrive in one read whatever the machine's load.
    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader));
    const std::string twice = std::string(kAnnouncement) + kAnnouncement;
    peer.SendRaw(twice);
    QElapsedTimer waited;
    waited.start();
    while (device.bytesAvailable() < static_cast<qint64>(twice.size()) && waited.elapsed() < 3000) {
        QThread::msleep(1);
    }
    ASSERT_TRUE(WaitForWire(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader));
    PumpFor(150);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader),
              kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader);
    peer.SendRaw(kAnnouncement);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Accepted);
    EXPECT_EQ(
        ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader +
                             Joined(eepromCommands)),
        kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader + Joined(eepromCommands));
}

TEST_F(TuningDownloadTest, AnOverlongReplyCannotOverrunTheBuffer) {
    peer.Expect("b", std::string(20000, 'x') + "\r" + std::string(9000, 'y') + kAnnouncement);
    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader));
}

TEST_F(TuningDownloadTest, ATimeOutReportStopsAndIgnoresTheRestOfItsRead) {
    peer.Expect("b", std::string("ACK\rI2C TIME_OUT\r") + kAnnouncement);
    Start();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    PumpUntil([this] { return !boxes.Boxes().empty(); }, 1000);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Enter Drawing Mode...");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "<FONT COLOR=red>Time out error!Please check the connection of slave and retry "
              "downloading.</FONT>");
    PumpFor(100);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader), kEnterBootloader);
}

TEST_F(TuningDownloadTest, ClosingBeforeTheSendNeedsNoConfirmation) {
    chain.InstallShell("sleep 0.3\n");
    Start();
    PumpUntil([this] { return chain.Started(); });
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());

    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader));
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    PumpFor(100);
    EXPECT_TRUE(boxes.Boxes().empty());
    // An allowed close by the close box writes no session log.
    EXPECT_TRUE(SessionLogs().isEmpty());
}

TEST_F(TuningDownloadTest, ClosingDuringTheSendAsksAndADeclineGoesOn) {
    peer.Expect("b", kAnnouncement);
    boxes.SetAnswer(QMessageBox::No);
    Start();
    WhenSent(1, [this] { dialog->close(); });
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Accepted);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Warning...");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Downloading is not finished yet, are you sure quit downloading now?");
    EXPECT_EQ(
        ReceivedOnceAsLongAs(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader +
                             Joined(eepromCommands)),
        kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader + Joined(eepromCommands));
}

TEST_F(TuningDownloadTest, AConfirmedCloseStopsBeforeTheNextCommand) {
    peer.Expect("b", kAnnouncement);
    boxes.SetAnswer(QMessageBox::Yes);
    Start();
    WhenSent(1, [this] { dialog->close(); });
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    PumpFor(100);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader + firmwareCommands[0] + firmwareCommands[1]),
              kEnterBootloader + firmwareCommands[0] + firmwareCommands[1]);
    EXPECT_EQ(SessionLogs().size(), 1);
}

TEST_F(TuningDownloadTest, ClosingWhileTheEepromImageWaitsForTheBootloaderAsks) {
    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader));
    peer.SendRaw(kAnnouncement);
    ASSERT_TRUE(WaitForWire(kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader));
    boxes.SetAnswer(QMessageBox::No);
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Warning...");
}

TEST_F(TuningDownloadTest, RemovingTheAdapterStopsTheSend) {
    peer.Expect("b", kAnnouncement);
    Start();
    WhenSent(1, [this] { emit window.SignalDeviceDisconnect(); });
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Result(), QDialog::Rejected);
    EXPECT_TRUE(boxes.Boxes().empty());
    PumpFor(100);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader + firmwareCommands[0] + firmwareCommands[1]),
              kEnterBootloader + firmwareCommands[0] + firmwareCommands[1]);
}

#include "TuningDownloadTest.moc"
