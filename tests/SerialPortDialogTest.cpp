#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextEdit>
#include <QWidget>

#include "BridgeBench.h"
#include "EventPump.h"
#include "ModalCloser.h"
#include "SerialPortDialog.h"
#include "TempProgramDir.h"

using morvex_gui::SerialPortDialog;

namespace {

// A main window as far as the dialogs see it: it reports the adapter's removal.
class AdapterWindow : public QWidget {
    Q_OBJECT
signals:
    void SignalDeviceDisconnect();
};

// Counts the read steps and shows what the base left behind.
class ProbeDialog : public SerialPortDialog {
public:
    using SerialPortDialog::SerialPortDialog;

    const std::vector<std::string>& Lines() const { return _lines; }
    int Pending() const { return _pendingLength; }
    int steps = 0;

protected:
    void ReadSerialPort() override {
        SerialPortDialog::ReadSerialPort();
        ++steps;
    }
};

class SerialPortDialogTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override { ASSERT_TRUE(device.Open(peer.PortName(), "230400")); }

    using Lines = std::vector<std::string>;
};

QStringList SessionLogs(const TempProgramDir& dir) {
    return QDir(dir.File("LogFiles")).entryList(QDir::Files);
}

}  // namespace

TEST_F(SerialPortDialogTest, ReplySplitOverTwoReadsArrivesOnceComplete) {
    ProbeDialog dialog(&device, nullptr);
    peer.SendRaw("S");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Pending() == 1; }));
    EXPECT_TRUE(dialog.Lines().empty());
    peer.SendRaw("\r");
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Lines().empty(); }));
    EXPECT_EQ(dialog.Lines(), Lines{"S"});
    EXPECT_EQ(dialog.Pending(), 0);

    peer.SendRaw("C\rC\r");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Lines().size() == 2; }));
    EXPECT_EQ(dialog.Lines(), (Lines{"C", "C"}));
}

TEST_F(SerialPortDialogTest, ReadWithNothingWaitingKeepsTheLastLines) {
    ProbeDialog dialog(&device, nullptr);
    peer.SendRaw("\x06\r");
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Lines().empty(); }));
    const int steps = dialog.steps;
    emit device.readyRead();
    PumpUntil([&] { return dialog.steps > steps; });
    EXPECT_EQ(dialog.Lines(), Lines{"\x06"});
}

TEST_F(SerialPortDialogTest, OverlongUnfinishedReplyNeverOverrunsTheBuffer) {
    ProbeDialog dialog(&device, nullptr);
    peer.SendRaw(std::string(6000, 'x'));
    ASSERT_TRUE(PumpUntil([&] { return dialog.Pending() == 6000; }));
    peer.SendRaw(std::string(3000, 'y'));
    ASSERT_TRUE(PumpUntil([&] { return dialog.Pending() != 6000; }));
    peer.SendRaw("OK\rnext\r");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Lines().size() == 2; }));
    EXPECT_LE(dialog.Lines()[0].size(), static_cast<size_t>(SerialPortDialog::kBufferSize));
    EXPECT_EQ(dialog.Lines()[0].substr(dialog.Lines()[0].size() - 3), "yOK");
    EXPECT_EQ(dialog.Lines()[1], "next");
}

TEST_F(SerialPortDialogTest, AdapterRemovalRejectsTheDialog) {
    AdapterWindow window;
    ProbeDialog dialog(&device, &window);
    dialog.show();
    EXPECT_FALSE(dialog.DeviceDisconnected());
    emit window.SignalDeviceDisconnect();
    EXPECT_TRUE(dialog.DeviceDisconnected());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    // A parent without the signal is fine too.
    QWidget plain;
    ProbeDialog other(&device, &plain);
    EXPECT_FALSE(other.DeviceDisconnected());
}

TEST_F(SerialPortDialogTest, SessionLogHoldsThePlainTextOfTheLogWidget) {
    QTextEdit log;
    log.append("<FONT COLOR=red>Download fail</FONT>");
    log.append("One Segment Finish...");
    log.append("<FONT COLOR=green>Success</FONT>");
    ASSERT_TRUE(SerialPortDialog::WriteSessionLog(&log, "MasterDownload"));
    const QStringList files = SessionLogs(programDir);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(
        QRegularExpression("^MasterDownload_\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.log$")
            .match(files[0])
            .hasMatch())
        << files[0].toStdString();
    EXPECT_EQ(programDir.Read("LogFiles/" + files[0]),
              "Download fail\nOne Segment Finish...\nSuccess");
}

TEST_F(SerialPortDialogTest, UnwritableLogFolderReportsFailure) {
    programDir.Write("LogFiles", "a file, not a folder");
    QTextEdit log;
    log.setPlainText("text");
    EXPECT_FALSE(SerialPortDialog::WriteSessionLog(&log, "MasterDownload"));
}

#include "SerialPortDialogTest.moc"
