#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <functional>

#include "BridgeBench.h"
#include "DrovanelFixture.h"
#include "EventPump.h"
#include "FakeProgram.h"
#include "LogCapture.h"
#include "MorvexGenerator.h"
#include "SlaveDownloadProgress.h"

using morvex_gui::SlaveDownloadProgress;

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

// A tool chain in a temporary folder: its "bin/bash.exe" notes that it ran
// and its arguments, then runs the test's script body.
class FakeToolChain {
public:
    FakeToolChain() : _previous(qgetenv("MORVEX_TOOLCHAIN_ROOT")) {
        Use();
        QDir().mkpath(Path("xml"));
    }
    ~FakeToolChain() { qputenv("MORVEX_TOOLCHAIN_ROOT", _previous); }
    void Use() const { qputenv("MORVEX_TOOLCHAIN_ROOT", _root.path().toLocal8Bit()); }

    void InstallShell(const QString& body) {
        FakeProgram::Write(Path("bin/bash.exe"),
                           "root=$(cd \"$(dirname \"$0\")/..\" && pwd)\ntouch \"$root/started\"\n"
                           "printf '%s\\n' \"$@\" > \"$root/arguments.txt\"\n" +
                               body);
    }
    // The script makes `image` into the chain's result.
    void InstallConverter(const QByteArray& image) {
        Write("image.vmx", image);
        InstallShell(
            "echo 'building <eeprom> image'\nmkdir -p \"$root/eeprom_make\"\n"
            "cp \"$root/image.vmx\" \"$root/eeprom_make/eeprom.vmx\"\n");
    }
    void Write(const QString& name, const QByteArray& contents) const {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        QFile file(Path(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(contents);
    }
    bool Started() const { return QFile::exists(Path("started")); }
    QString Arguments() const {
        QFile file(Path("arguments.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : "";
    }
    QString Path(const QString& name) const { return _root.path() + "/" + name; }

private:
    QTemporaryDir _root;
    QByteArray _previous;
};

// Receives the generator's output as a text widget would, one call per paragraph.
class LogSink : public QObject {
    Q_OBJECT
public:
    QStringList paragraphs;
public slots:
    void append(const QString& text) { paragraphs << text; }
};

class MorvexGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        programDir.Write("pattern.xml", "<system_environment_configuration/>");
    }
    // Runs one generation to its end; false when it was not started.
    bool RunToEnd(const QString& xml) {
        return generator.Generate(xml, &log) &&
               PumpUntil([&] { return finished.count() + failed.count() > 0; }, 5000);
    }

    TempProgramDir programDir;
    FakeToolChain chain;
    LogSink log;
    MorvexGenerator generator{nullptr};
    QSignalSpy finished{&generator, &MorvexGenerator::Finish};
    QSignalSpy failed{&generator, &MorvexGenerator::Fail};
};

TEST_F(MorvexGeneratorTest, PlacesTheXmlRunsTheScriptAndShowsItsOutputEscaped) {
    chain.Write("xml/MORVEX_customer_pinmap.tmp", "older pattern");
    programDir.Write("vmx_file/eeprom.vmx", "older image");
    chain.InstallShell(
        "mkdir -p \"$root/eeprom_make\"\ncp \"$root/xml/MORVEX_customer_pinmap.tmp\" "
        "\"$root/eeprom_make/eeprom.vmx\"\necho 'pin <a> & b'\necho 'make: error 2'\n"
        "sleep 0.2\nprintf 'first\\nsecond\\n' >&2\nsleep 0.2\nprintf 'no line end'\nexit 1\n");
    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    PumpFor(50);
    EXPECT_EQ(finished.count(), 1) << "a failing script still ends the run normally";
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(chain.Arguments(), "-l\n-c\n'" + programDir.Path() + "/script_files/ScriptVmx.sh'\n");
    EXPECT_EQ(programDir.Read("vmx_file/eeprom.vmx"), "<system_environment_configuration/>");
    EXPECT_EQ(log.paragraphs,
              (QStringList{"pin &lt;a&gt; &amp; b", "<FONT COLOR=red>make: error 2</FONT>",
                           "<FONT COLOR=red>first\nsecond</FONT>", "no line end"}));
}

TEST_F(MorvexGeneratorTest, AHostileProgramFolderNameRunsOnlyTheScript) {
    chain.InstallShell("shift\nexec /bin/sh \"$@\"\n");  // the shell runs its -c text
    const QString folder = programDir.Path() + "/Tool's $(touch pwned); (x) \"q\"";
    FakeProgram::Write(folder + "/script_files/ScriptVmx.sh", "touch \"$(dirname \"$0\")/ran\"");
    qputenv("MORVEX_PROGRAM_DIR", folder.toLocal8Bit());
    ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(QFile::exists(folder + "/script_files/ran"));
    EXPECT_FALSE(QFile::exists("pwned"));
    EXPECT_FALSE(QFile::exists(chain.Path("pwned")));
}

TEST_F(MorvexGeneratorTest, EachRunHasExactlyOneOutcomeAndNoStaleImage) {
    const std::pair<const char*, bool> runs[] = {
        {"exit 1\n", true}, {"kill -SEGV $$\n", false}, {nullptr, false}};
    for (const auto& [script, finishes] : runs) {
        LogCapture operationLog;
        finished.clear();
        failed.clear();
        chain.Write("eeprom_make/eeprom.vmx", "image of an earlier run");
        programDir.Write("vmx_file/eeprom.vmx", "image of an earlier run");
        if (script != nullptr) {
            chain.InstallShell(script);
        } else {
            QFile::remove(chain.Path("bin/bash.exe"));
        }
        ASSERT_TRUE(RunToEnd(programDir.File("pattern.xml")));
        PumpFor(100);
        EXPECT_EQ(finished.count(), finishes ? 1 : 0) << (script ? script : "no shell");
        EXPECT_EQ(failed.count(), finishes ? 0 : 1) << (script ? script : "no shell");
        EXPECT_FALSE(QFile::exists(MorvexGenerator::ToolChainImage()));
        EXPECT_FALSE(QFile::exists(programDir.File("vmx_file/eeprom.vmx")) && finishes);
        // A run that left no image has nothing to copy beside the program, and says so.
        EXPECT_EQ(operationLog.Contains("vmx_file/eeprom.vmx was not replaced"), finishes);
    }
}

TEST_F(MorvexGeneratorTest, RefusesWhatItCannotRunAndRunsOneAtATime) {
    chain.InstallShell("sleep 0.3\n");
    programDir.Write("large.xml", QByteArray(2097153, 'x'));
    EXPECT_FALSE(generator.Generate(programDir.File("large.xml"), &log));
    EXPECT_FALSE(generator.Generate(programDir.File("absent.xml"), &log));
    EXPECT_FALSE(chain.Started());
    programDir.Write("large.xml", QByteArray(2097152, 'x'));
    ASSERT_TRUE(generator.Generate(programDir.File("large.xml"), &log));
    EXPECT_FALSE(generator.Generate(programDir.File("pattern.xml"), &log)) << "one run at a time";
    ASSERT_TRUE(PumpUntil([&] { return finished.count() == 1; }, 5000));
    EXPECT_EQ(QFileInfo(chain.Path("xml/MORVEX_customer_pinmap.tmp")).size(), 2097152);
}

// The engineering window as the dialog sees it: a parent with the removal signal.
class WindowStandIn : public QWidget {
    Q_OBJECT
signals:
    void SignalDeviceDisconnect();
};

std::string Record(const char* kind, char fill) {
    return std::string("$") + kind + std::string(284, fill);
}

std::string Command(const std::string& record, char suffix) {
    return "w" + record.substr(1) + suffix;
}

std::string Joined(const std::vector<std::string>& commands) {
    std::string all;
    for (const std::string& command : commands) {
        all += command;
    }
    return all;
}

class TuningDownloadTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override {
        const std::vector<std::string> fw = {Record("00", 'A'), Record("01", 'B'),
                                             Record("16", 'C')};
        firmwareCommands = {Command(fw[0], 's'), Command(fw[1], 'l'), "", Command(fw[2], 'l')};
        const std::vector<std::string> eep = {Record("10", 'E'), Record("02", 'F')};
        eepromCommands = {Command(eep[0], 's'), Command(eep[1], 's')};
        programDir.Write("tune_xml.tmp", "<system_environment_configuration/>\n");
        programDir.Write("vmx_file/normal.vmx",
                         QByteArray::fromStdString("! VERSION 47\n" + fw[0] + "\n" + fw[1] +
                                                   "\n!delay\n" + fw[2] + "\n"));
        chain.InstallConverter(
            QByteArray::fromStdString("! VERSION 47\n" + eep[0] + "\n" + eep[1] + "\n"));
        everything =
            kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader + Joined(eepromCommands);
        ASSERT_TRUE(OpenPastStartUp("460800"));
        sleeps.Clear();
    }

    void TearDown() override {
        trigger.stop();
        dialog.reset();
        device.close();
    }

    void Start(const QString& xml = QString()) {
        const QByteArray xmlPath =
            (xml.isEmpty() ? programDir.File("tune_xml.tmp") : xml).toLocal8Bit();
        const QByteArray firmware = programDir.File("vmx_file/normal.vmx").toLocal8Bit();
        dialog = std::make_unique<SlaveDownloadProgress>(&device, xmlPath.constData(),
                                                         firmware.constData(), &window);
        dialog->findChild<QCheckBox*>("checkAutoClose")->setChecked(true);
        finished = std::make_unique<QSignalSpy>(dialog.get(), &QDialog::finished);
        dialog->show();
    }

    // Runs to the end; the dialog's result, or -1.
    int Result() {
        PumpUntil([this] { return finished->count() > 0; }, 5000);
        PumpFor(100);
        return finished->count() > 0 ? finished->at(0).at(0).toInt() : -1;
    }
    bool WaitForWire(const std::string& text) {
        return PumpUntil([&] { return peer.Received().find(text) != std::string::npos; });
    }
    // What the peer holds once `expected` could have arrived: the dialog may
    // end before its last bytes have crossed the pseudo-terminal.
    std::string ReceivedOnceAsLongAs(const std::string& expected) {
        peer.WaitForBytes(expected.size(), 500);
        return peer.Received();
    }
    QString Log() const { return dialog->findChild<QTextBrowser*>("textBrowser")->toPlainText(); }
    QProgressBar* Progress() const { return dialog->findChild<QProgressBar*>("progressBar"); }
    // Runs `action` at the first event processing after the command of
    // index `index` went out (the send loop lets events run between commands).
    void WhenSent(int index, std::function<void()> action) {
        trigger.setInterval(0);
        QObject::disconnect(&trigger, nullptr, nullptr, nullptr);
        QObject::connect(&trigger, &QTimer::timeout, [this, index, action] {
            if (Progress()->value() >= index) {
                trigger.stop();
                action();
            }
        });
        trigger.start();
    }
    QStringList SessionLogs() const {
        return QDir(programDir.File("LogFiles")).entryList({"TuneDownload_*.log"}, QDir::Files);
    }

    FakeToolChain chain;
    MessageBoxCatcher boxes;
    WindowStandIn window;
    std::unique_ptr<SlaveDownloadProgress> dialog;
    std::unique_ptr<QSignalSpy> finished;
    QTimer trigger;
    std::vector<std::string> firmwareCommands;
    std::vector<std::string> eepromCommands;
    std::string everything;
};

}  // namespace

TEST_F(TuningDownloadTest, GeneratesThenSendsFirmwareAndEepromImagesAtAFixedPace) {
    peer.Expect("b", kAnnouncement);
    Start();
    EXPECT_EQ(dialog->windowTitle(), "Generate Eeprom vmx file...");
    EXPECT_EQ(Result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(QFile(chain.Path("xml/MORVEX_customer_pinmap.tmp")).size(),
              QFileInfo(programDir.File("tune_xml.tmp")).size());
    EXPECT_EQ(ReceivedOnceAsLongAs(everything), everything);
    EXPECT_EQ(dialog->windowTitle(), "Downloading Eeprom vmx file...");
    EXPECT_EQ(Progress()->maximum(), 1);
    EXPECT_EQ(Progress()->value(), 1);
    EXPECT_TRUE(Log().startsWith("building <eeprom> image\n")) << Log().toStdString();
    EXPECT_TRUE(Log().endsWith(
        QString::fromStdString(firmwareCommands[1] + "\n!delay\n" + firmwareCommands[3] + "\n" +
                               eepromCommands[0] + "\n" + eepromCommands[1])));
    ASSERT_EQ(SessionLogs().size(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(programDir.Read("LogFiles/" + SessionLogs()[0])), Log());

    // Bootloader wake-up, then per command its 20-ms write pause and 100 ms,
    // 300 ms for a delay entry and between the images.
    const std::vector<unsigned> wake{20, 20, 200, 20, 100};
    std::vector<unsigned> expected = wake;
    expected.insert(expected.end(), {20, 100, 20, 100, 300, 100, 20, 100, 300});
    expected.insert(expected.end(), wake.begin(), wake.end());
    expected.insert(expected.end(), {20, 100, 20, 100});
    EXPECT_EQ(sleeps.Pauses(), expected);

    dialog.reset();
    EXPECT_TRUE(peer.WaitForText(everything + kExitBootloader)) << "deleting leaves the bootloader";
}

TEST_F(TuningDownloadTest, AGenerationThatFailsIsReportedAndNothingIsDownloaded) {
    peer.Expect("b", kAnnouncement);
    const struct {
        const char* name;
        std::function<void()> prepare;
        const char* xml;
        const char* title;
        const char* text;
    } cases[] = {
        {"missing xml", [] {}, "absent.xml", "Generate fail...", "Open xml file fail"},
        {"chain not installed",
         [this] { qputenv("MORVEX_TOOLCHAIN_ROOT", chain.Path("not/installed").toLocal8Bit()); },
         "tune_xml.tmp", "Generate Fail...", kGenerationFailed},
        {"missing shell", [this] { QFile::remove(chain.Path("bin/bash.exe")); }, "tune_xml.tmp",
         "Generate Fail...", kEnvironmentMissing},
        {"crashed shell", [this] { chain.InstallShell("kill -SEGV $$\n"); }, "tune_xml.tmp",
         "Generate Fail...", kEnvironmentMissing},
    };
    for (const auto& c : cases) {
        c.prepare();
        Start(programDir.File(c.xml));
        EXPECT_EQ(Result(), QDialog::Rejected) << c.name;
        ASSERT_EQ(boxes.Titles(), QStringList{c.title}) << c.name;
        EXPECT_EQ(boxes.Boxes()[0].text, c.text);
        EXPECT_EQ(peer.Received().find(kEnterBootloader), std::string::npos) << c.name;
        boxes.Clear();
        chain.Use();
    }
}

TEST_F(TuningDownloadTest, AFailedScriptNeverHandsOnTheImageOfAnEarlierRun) {
    peer.Expect("b", kAnnouncement);
    chain.Write("eeprom_make/eeprom.vmx",
                "! VERSION 47\n" + QByteArray::fromStdString(Record("10", 'D')));
    chain.InstallShell("echo 'make: Error 1' >&2\nexit 2\n");
    Start();
    EXPECT_EQ(Result(), QDialog::Rejected);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Download Fail");
    EXPECT_EQ(boxes.Boxes()[0].text, "Download Vmx file fail.");
    const std::string firmware = kEnterBootloader + Joined(firmwareCommands);
    EXPECT_EQ(ReceivedOnceAsLongAs(firmware + kEnterBootloader), firmware);
    EXPECT_TRUE(Log().startsWith("make: Error 1\n"));
}

TEST_F(TuningDownloadTest, ABootloaderErrorFlagAbortsTheSendVisibly) {
    const std::pair<std::string, const char*> replies[] = {
        {"01 02 02 00 \r", "I2C packet CRC error!"}, {"F00 03 08\r", "hardware error!"}};
    for (const auto& [reply, flagLine] : replies) {
        peer.GoSilent();
        peer.ClearReceived();
        peer.Expect("b", kAnnouncement);
        peer.Expect(firmwareCommands[0], reply);
        Start();
        // The pauses are not waited for here: the reply arrives during one.
        WhenSent(1, [this] { PumpUntil([this] { return finished->count() > 0; }); });
        EXPECT_EQ(Result(), QDialog::Rejected) << reply;
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].title, "Download Fail");
        EXPECT_TRUE(Log().contains(flagLine)) << Log().toStdString();
        EXPECT_TRUE(Log().endsWith("The slave download fail!"));
        const std::string wire = ReceivedOnceAsLongAs(everything);
        EXPECT_EQ(wire.find(firmwareCommands[3]), std::string::npos) << "the send stopped";
        boxes.Clear();
    }
}

TEST_F(TuningDownloadTest, OnlyTheAnnouncementAnImageWaitsForStartsIt) {
    Start();
    ASSERT_TRUE(WaitForWire(kEnterBootloader));
    peer.SendRaw("Slave Bootloader infor");
    PumpFor(150);
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader), kEnterBootloader);
    // The rest of the split line and a second announcement in one read: the
    // second may not start the EEPROM image before its own wake-up is answered.
    const std::string rest = std::string("mation: V2.1\r") + kAnnouncement;
    peer.SendRaw(rest);
    QElapsedTimer waited;
    waited.start();
    while (device.bytesAvailable() < static_cast<qint64>(rest.size()) && waited.elapsed() < 3000) {
        QThread::msleep(1);
    }
    const std::string firmware = kEnterBootloader + Joined(firmwareCommands) + kEnterBootloader;
    ASSERT_TRUE(WaitForWire(firmware));
    PumpFor(150);
    EXPECT_EQ(ReceivedOnceAsLongAs(firmware), firmware);
    peer.SendRaw(kAnnouncement);
    EXPECT_EQ(Result(), QDialog::Accepted);
    EXPECT_EQ(ReceivedOnceAsLongAs(everything), everything);
}

TEST_F(TuningDownloadTest, OverlongReplyAndTimeOutReport) {
    peer.Expect("b", std::string(20000, 'x') + "\r" + std::string(9000, 'y') + "ACK\r" +
                         "I2C TIME_OUT\r" + kAnnouncement);
    Start();
    EXPECT_EQ(Result(), QDialog::Rejected);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "Enter Drawing Mode...");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "<FONT COLOR=red>Time out error!Please check the connection of slave and retry "
              "downloading.</FONT>");
    EXPECT_EQ(ReceivedOnceAsLongAs(kEnterBootloader + "w"), kEnterBootloader);
}

TEST_F(TuningDownloadTest, ClosingAsksOnlyDuringTheSendAndAConfirmedCloseStopsIt) {
    chain.InstallShell("sleep 0.3\n");
    Start();
    PumpUntil([this] { return chain.Started(); });
    dialog->close();
    EXPECT_FALSE(dialog->isVisible()) << "no confirmation while generating";
    EXPECT_TRUE(SessionLogs().isEmpty()) << "an allowed close writes no session log";

    chain.InstallConverter("! VERSION 47\n");
    peer.Expect("b", kAnnouncement);
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        peer.ClearReceived();
        boxes.SetAnswer(answer);
        Start();
        WhenSent(1, [this] { dialog->close(); });
        EXPECT_EQ(Result(), answer == QMessageBox::No ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(boxes.Titles().last(), "Warning...");
        const std::string wire = ReceivedOnceAsLongAs(kEnterBootloader + firmwareCommands[0]);
        EXPECT_EQ(wire.find(firmwareCommands[3]) != std::string::npos, answer == QMessageBox::No);
    }
}

TEST_F(TuningDownloadTest, RemovingTheAdapterStopsTheSend) {
    peer.Expect("b", kAnnouncement);
    Start();
    WhenSent(1, [this] { emit window.SignalDeviceDisconnect(); });
    EXPECT_EQ(Result(), QDialog::Rejected);
    EXPECT_TRUE(boxes.Boxes().empty());
    const std::string twoCommands = kEnterBootloader + firmwareCommands[0] + firmwareCommands[1];
    EXPECT_EQ(ReceivedOnceAsLongAs(twoCommands + "w"), twoCommands);
}

#include "TuningDownloadTest.moc"
