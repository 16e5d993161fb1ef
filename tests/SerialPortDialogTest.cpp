#include <gtest/gtest.h>

#include <QDir>
#include <QTextEdit>
#include <QWidget>

#include "BridgeBench.h"
#include "EventPump.h"
#include "LogCapture.h"
#include "SerialPortDialog.h"

using morvex_gui::SerialPortDialog;
using Lines = std::vector<std::string>;

namespace {

// A main window as far as the dialogs see it: it reports the adapter's removal.
class AdapterWindow : public QWidget {
    Q_OBJECT
signals:
    void SignalDeviceDisconnect();
};

// Keeps every line the base's read step cut, and leaves the step's own
// lines where the step put them.
class ProbeDialog : public SerialPortDialog {
public:
    using SerialPortDialog::SerialPortDialog;
    Lines seen;
    const Lines& LastLines() const { return _lines; }
    int Pending() const { return _reader.PendingLength(); }

protected:
    void ReadSerialPort() override {
        SerialPortDialog::ReadSerialPort();
        if (_bytesAvailable >= 1) {
            seen.insert(seen.end(), _lines.begin(), _lines.end());
        }
    }
};

class SerialPortDialogTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override { ASSERT_TRUE(device.Open(peer.PortName(), "230400")); }
};

}  // namespace

// Every reply counts in a dialog: a large read is cut into lines like any other.
TEST_F(SerialPortDialogTest, RepliesArriveWholeHoweverTheyAreCut) {
    ProbeDialog dialog(&device, nullptr);
    peer.SendRaw("S");
    PumpFor(50);
    peer.SendRaw("\rC\rC\r");
    ASSERT_TRUE(PumpUntil([&] { return dialog.seen.size() == 3; }));
    EXPECT_EQ(dialog.seen, (Lines{"S", "C", "C"}));

    peer.SendRaw(std::string(5000, '.') + "\rOK\r");
    ASSERT_TRUE(PumpUntil([&] { return dialog.seen.size() == 5; }));
    EXPECT_EQ(dialog.seen.back(), "OK");
}

// A notice for bytes an earlier read already took (or a second connection)
// finds nothing waiting: the last step's lines and the half line stay.
TEST_F(SerialPortDialogTest, AReadWithNothingWaitingChangesNothing) {
    ProbeDialog dialog(&device, nullptr);
    peer.SendRaw("S\rC");
    ASSERT_TRUE(PumpUntil([&] { return dialog.seen == Lines{"S"} && dialog.Pending() == 1; }));
    // {"S"}, unless the pty happened to cut the bytes after the "\r".
    const Lines last = dialog.LastLines();
    emit device.readyRead();
    EXPECT_EQ(dialog.LastLines(), last);
    EXPECT_EQ(dialog.Pending(), 1);
    peer.SendRaw("\r");
    ASSERT_TRUE(PumpUntil([&] { return dialog.Pending() == 0; }));
    EXPECT_EQ(dialog.seen, (Lines{"S", "C"}));
}

TEST_F(SerialPortDialogTest, AdapterRemovalRejectsTheDialog) {
    AdapterWindow window;
    ProbeDialog dialog(&device, &window);
    dialog.show();
    emit window.SignalDeviceDisconnect();
    EXPECT_TRUE(dialog.DeviceDisconnected());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(SerialPortDialogTest, SessionLogHoldsThePlainTextOfTheLogWidget) {
    QTextEdit log;
    log.append("<FONT COLOR=red>Download fail</FONT>");
    log.append("Success");
    ASSERT_TRUE(SerialPortDialog::WriteSessionLog(&log, "MasterDownload"));
    const QStringList files = QDir(programDir.File("LogFiles")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith("MasterDownload_") && files[0].endsWith(".log"));
    EXPECT_EQ(programDir.Read("LogFiles/" + files[0]), "Download fail\nSuccess");
    // A folder that is not there cannot take the log; the operation log says so.
    LogCapture operationLog;
    EXPECT_FALSE(SerialPortDialog::WriteSessionLog(&log, "Elsewhere/x"));
    EXPECT_TRUE(operationLog.Contains("Session log not written: " +
                                      programDir.File("LogFiles/Elsewhere/x_").toStdString()));
    EXPECT_TRUE(operationLog.Contains("No such file or directory"));
}

#include "SerialPortDialogTest.moc"
