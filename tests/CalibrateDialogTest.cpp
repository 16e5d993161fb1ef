#include <gtest/gtest.h>

#include <signal.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <boost/make_shared.hpp>
#include <cstdio>

#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "EventPump.h"
#include "ModalCloser.h"
#include "OperationLogSetup.h"
#include "RecordingWindowImp.h"
#include "SleepRecorder.h"
#include "TempProgramDir.h"

using morvex_gui::CalibrateDialog;
using morvex_gui::CoreDevice;
using morvex_gui::State;

namespace {

// A main window as far as the dialog sees it: it reports the adapter's removal.
class AdapterWindow : public QWidget {
    Q_OBJECT
signals:
    void SignalDeviceDisconnect();
};

// Offset lines of one read, each naming its read and its index.
std::vector<std::string> OffsetTable(int read, int count = CalibrateDialog::kOffsetLineCount) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "0x%02X,0x%02X,0x%02X,", read, i / 256, i % 256);
        lines.emplace_back(line);
    }
    return lines;
}

QStringList Paragraphs(const std::vector<std::string>& lines) {
    QStringList paragraphs;
    for (const std::string& line : lines) {
        paragraphs << QString::fromStdString(line);
    }
    return paragraphs;
}

// Puts `dir` in front of the search path while it lives.
class SearchPathFront {
public:
    explicit SearchPathFront(const QString& dir) : _previous(qgetenv("PATH")) {
        qputenv("PATH", dir.toLocal8Bit() + ":" + _previous);
    }
    ~SearchPathFront() { qputenv("PATH", _previous); }

private:
    QByteArray _previous;
};

class CalibrateDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        log = StartOperationLog();
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("@o##v"));
        PumpUntil([&] { return device.bytesAvailable() == 0; }, 500);
        peer.ClearReceived();
        startState = current;
    }
    void TearDown() override { StopOperationLog(log); }

    std::unique_ptr<CalibrateDialog> Show(bool calibrate, QWidget* parent = nullptr) {
        auto dialog = std::make_unique<CalibrateDialog>(calibrate, &device, parent);
        dialog->show();
        return dialog;
    }

    template <class T>
    static T* Widget(QDialog& dialog, const char* name) {
        T* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QPushButton* Button(QDialog& dialog, const char* name) {
        return Widget<QPushButton>(dialog, name);
    }
    static QString Shown(QDialog& dialog) {
        return Widget<QTextBrowser>(dialog, "textOffset")->toPlainText();
    }
    static QString Label(QDialog& dialog) { return Widget<QLabel>(dialog, "label")->text(); }
    static int Progress(QDialog& dialog) {
        return Widget<QProgressBar>(dialog, "progressBar")->value();
    }

    // Runs a complete offset read of `lines` and waits until the dialog counted them.
    void Read(CalibrateDialog& dialog, const std::vector<std::string>& lines) {
        ASSERT_TRUE(PumpUntil([&] { return peer.Received() == "v*"; }));
        peer.ClearReceived();
        peer.Stream(lines);
        ASSERT_TRUE(PumpUntil(
            [&] { return dialog.OffsetCount() == static_cast<int>(lines.size()); }, 5000));
    }

    QString Log() const {
        return QString::fromLocal8Bit(programDir.Read(QStringLiteral("User.log")));
    }

    TempProgramDir programDir;
    log4cplus::SharedAppenderPtr log;
    SleepRecorder sleeps;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<morvex_gui::CloseState>(&imp);
    boost::shared_ptr<State> startState;
    BridgePeer peer;
    CoreDevice device{&imp, &current};
    ModalCloser closer;
};

}  // namespace

TEST_F(CalibrateDialogTest, CalibrationStartsAfterItShowsAndEndsAtZeroSeconds) {
    auto dialog = Show(true);
    EXPECT_EQ(dialog->windowTitle(), "Calibrate");
    // Made small, though no smaller than the label needs.
    EXPECT_EQ(dialog->height(), 300);
    EXPECT_LT(dialog->width(), 700);
    EXPECT_EQ(Label(*dialog), "Calibrating...\nPlease don't touch the screen!");
    for (const char* hidden :
         {"pushButtonCheckOffset", "pushButtonCopy", "buttonCopyStartZeltoConfig"}) {
        EXPECT_TRUE(Button(*dialog, hidden)->isHidden()) << hidden;
    }
    EXPECT_TRUE(Widget<QProgressBar>(*dialog, "progressBar")->isHidden());
    EXPECT_TRUE(Widget<QTextBrowser>(*dialog, "textOffset")->isVisible());
    QPushButton* ok = Button(*dialog, "pushButtonOK");
    EXPECT_TRUE(ok->isVisible());
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(peer.ReceivedCount(), 0u);

    // "#", "#" and "#z" start the controller's calibration.
    ASSERT_TRUE(PumpUntil([&] { return peer.Received() == "###z"; }));
    peer.ClearReceived();

    // Only a line from "0s" to a final K ends it; the other counts are shown.
    peer.Stream({"0s", "0s left K.", "6s left K", "3s left K", "x0s left K", "1s left K"});
    ASSERT_TRUE(PumpUntil([&] { return Shown(*dialog) == "1s"; }));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(peer.ReceivedCount(), 0u);
    EXPECT_EQ(current, startState);

    peer.SendLine("0s left K");
    ASSERT_TRUE(PumpUntil([&] { return ok->isEnabled(); }));
    EXPECT_TRUE(peer.WaitForText("#q"));
    EXPECT_EQ(peer.Received(), "#q");
    EXPECT_NE(current, startState);
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CloseState>(current));
    EXPECT_EQ(Shown(*dialog), "Calibrate successfully!");
    EXPECT_EQ(Label(*dialog), "Calibrate successfully!");
    EXPECT_TRUE(Button(*dialog, "pushButtonCheckOffset")->isEnabled());
    EXPECT_TRUE(Button(*dialog, "pushButtonCheckOffset")->isHidden());
    EXPECT_TRUE(Button(*dialog, "pushButtonCopy")->isHidden());

    ok->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(closer.Boxes().empty());
}

TEST_F(CalibrateDialogTest, OffsetReadCollectsTheTableAndShowsItWhenComplete) {
    auto dialog = Show(false);
    QPushButton* copy = Button(*dialog, "pushButtonCopy");
    QPushButton* copyAndStart = Button(*dialog, "buttonCopyStartZeltoConfig");
    ASSERT_TRUE(PumpUntil([&] { return peer.Received() == "v*"; }));
    EXPECT_EQ(peer.Received(), "v*");
    EXPECT_EQ(Label(*dialog), "Reading Offset...!");
    EXPECT_TRUE(Button(*dialog, "pushButtonCheckOffset")->isEnabled());
    EXPECT_TRUE(Button(*dialog, "pushButtonOK")->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(copyAndStart->isEnabled());

    // Replies around the table are no offset lines: lower-case digits, no
    // bytes, the version the "v" provokes. A line's match is kept, not the line.
    peer.Stream({"0x1a,0x2b", "Offset", "Master version: I2C master for Q71 Morvex ABC BV5.3",
                 "row 0: 0x1A,0x2B,0x3C", "3s left K"});
    std::vector<std::string> table = OffsetTable(1, CalibrateDialog::kOffsetLineCount - 2);
    peer.Stream(table);
    const int beforeLast = CalibrateDialog::kOffsetLineCount - 1;
    ASSERT_TRUE(PumpUntil([&] { return dialog->OffsetCount() == beforeLast; }, 5000));
    EXPECT_EQ(dialog->OffsetLines().front(), "0x1A,0x2B,0x3C");
    EXPECT_EQ(Progress(*dialog), beforeLast);
    EXPECT_EQ(Shown(*dialog), "");
    EXPECT_FALSE(copy->isEnabled());

    table.insert(table.begin(), "0x1A,0x2B,0x3C");
    table.push_back("0xFF,0xFE");
    peer.SendLine(table.back());
    ASSERT_TRUE(PumpUntil([&] { return copy->isEnabled(); }));
    EXPECT_TRUE(copyAndStart->isEnabled());
    EXPECT_EQ(dialog->OffsetLines(), table);
    EXPECT_EQ(Shown(*dialog), Paragraphs(table).join('\n'));
    EXPECT_EQ(Progress(*dialog), CalibrateDialog::kOffsetLineCount);

    // Lines beyond the table count but show nothing more.
    peer.SendLine("0x00,0x01");
    ASSERT_TRUE(
        PumpUntil([&] { return dialog->OffsetCount() == CalibrateDialog::kOffsetLineCount + 1; }));
    EXPECT_EQ(Shown(*dialog), Paragraphs(table).join('\n'));
    EXPECT_EQ(Progress(*dialog), CalibrateDialog::kOffsetLineCount);
    EXPECT_EQ(peer.Received(), "v*");
}

TEST_F(CalibrateDialogTest, CheckOffsetStartsAnEmptyReadAndShowsOnlyTheNewTable) {
    auto dialog = Show(false);
    Read(*dialog, OffsetTable(1));
    QPushButton* copy = Button(*dialog, "pushButtonCopy");
    ASSERT_TRUE(copy->isEnabled());

    Button(*dialog, "pushButtonCheckOffset")->click();
    EXPECT_EQ(dialog->OffsetCount(), 0);
    EXPECT_TRUE(dialog->OffsetLines().empty());
    EXPECT_EQ(Progress(*dialog), 0);
    EXPECT_EQ(Shown(*dialog), "");
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(Button(*dialog, "buttonCopyStartZeltoConfig")->isEnabled());
    EXPECT_EQ(Label(*dialog), "Reading Offset...!");

    Read(*dialog, OffsetTable(2));
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_EQ(Shown(*dialog), Paragraphs(OffsetTable(2)).join('\n'));
    EXPECT_EQ(Log().count("Read offset data"), 2);
}

TEST_F(CalibrateDialogTest, CopyPutsTheTableOnTheClipboard) {
    auto dialog = Show(false);
    Read(*dialog, OffsetTable(3));
    QApplication::clipboard()->clear();
    Button(*dialog, "pushButtonCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(), Paragraphs(OffsetTable(3)).join('\n'));
    EXPECT_TRUE(Log().contains("Copy offset data to clipboard"));
}

TEST_F(CalibrateDialogTest, MissingConfigurationToolIsReported) {
    auto dialog = Show(false);
    Read(*dialog, OffsetTable(4));
    QApplication::clipboard()->clear();

    Button(*dialog, "buttonCopyStartZeltoConfig")->click();
    ASSERT_TRUE(PumpUntil([&] { return !closer.Boxes().empty(); }));
    EXPECT_EQ(closer.Boxes()[0].title, "Start ZeltoConfig Fail...");
    EXPECT_EQ(closer.Boxes()[0].text,
              "Start ZeltoConfig.exe fail, make sure it's in the current folder!");
    // The table was copied all the same.
    EXPECT_EQ(QApplication::clipboard()->text(), Paragraphs(OffsetTable(4)).join('\n'));
}

TEST_F(CalibrateDialogTest, RunningConfigurationToolEndsQuietlyWithTheDialog) {
    TempProgramDir toolDir;
    toolDir.Write(QStringLiteral("ZeltoConfig.exe"), "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(toolDir.File(QStringLiteral("ZeltoConfig.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SearchPathFront path(toolDir.Path());
    auto dialog = Show(false);
    Read(*dialog, OffsetTable(5));

    Button(*dialog, "buttonCopyStartZeltoConfig")->click();
    QProcess* tool = dialog->findChild<QProcess*>();
    ASSERT_NE(tool, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return tool->state() == QProcess::Running; }));
    const qint64 pid = tool->processId();
    PumpFor(50);
    EXPECT_TRUE(closer.Boxes().empty());

    QElapsedTimer clock;
    clock.start();
    dialog.reset();
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
    PumpFor(50);
    EXPECT_TRUE(closer.Boxes().empty());
}

TEST_F(CalibrateDialogTest, RemovedAdapterClosesTheDialog) {
    AdapterWindow window;
    auto dialog = Show(true, &window);
    ASSERT_TRUE(dialog->isVisible());
    emit window.SignalDeviceDisconnect();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->DeviceDisconnected());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

#include "CalibrateDialogTest.moc"
