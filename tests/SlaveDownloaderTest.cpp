#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>

#include "BridgeBench.h"
#include "EventPump.h"
#include "ModalCloser.h"
#include "Settings.h"
#include "SlaveDownloader.h"

using morvex_gui::SlaveDownloader;

namespace {

const std::string kBootloaderInfo = "Bootloader information: 0A 0B 0C 0D \r";
const std::string kAckOk = "01 02 00 05 \r";
const std::string kEnter = "@m5Db";
const std::string kExit = "m5Ck";

std::string RecordLine(const std::string& kind) {
    return "$" + kind + std::string(284, '5');
}
std::string CommandFor(const std::string& kind, char suffix) {
    return "w" + RecordLine(kind).substr(1) + suffix;
}

class SlaveDownloaderTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("@o##v"));
        peer.ClearReceived();
        settings.SetParameter(ConfigParameter("port_bit_rate", "230400"));
        settings.SetParameter(ConfigParameter("Master_version", "5.9"));
        vmxPath = WriteImage("image.vmx", {"! VERSION 47", RecordLine("00"), "!delay",
                                           RecordLine("00"), RecordLine("06")});
        settings.SetParameter(ConfigParameter("slave_download_file", vmxPath.toStdString()));
        peer.Expect("b", kBootloaderInfo);
    }

    QString WriteImage(const QString& name, const std::vector<std::string>& lines) {
        QByteArray text;
        for (const std::string& line : lines) {
            text += QByteArray::fromStdString(line) + "\r\n";
        }
        programDir.Write(name, text);
        return programDir.File(name);
    }

    // Builds the dialog and waits for the bootloader information.
    std::unique_ptr<SlaveDownloader> Open() {
        auto dialog = std::make_unique<SlaveDownloader>(&settings, &device, nullptr);
        dialog->show();
        EXPECT_FALSE(Download(*dialog)->isEnabled());
        EXPECT_TRUE(PumpUntil([&] { return Download(*dialog)->isEnabled(); }));
        EXPECT_EQ(peer.Received(), kEnter);
        peer.ClearReceived();
        sleeps.Clear();
        return dialog;
    }

    // Acknowledges every record with `ack` from now on.
    void AcknowledgeWith(const std::string& ack) {
        peer.Expect("s", ack);
        peer.Expect("l", ack);
    }

    template <class T>
    static T* Widget(QDialog& dialog, const char* name) {
        T* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QPushButton* Download(QDialog& dialog) {
        return Widget<QPushButton>(dialog, "buttonDownload");
    }
    static QString LogText(QDialog& dialog) {
        return Widget<QTextBrowser>(dialog, "textBrowserLog")->toPlainText();
    }
    static QString VersionField(QDialog& dialog) {
        return Widget<QLineEdit>(dialog, "lineVersion")->text();
    }
    static bool Finished(QDialog& dialog) {
        return Download(dialog)->text() != "Download" && Download(dialog)->isEnabled();
    }
    void ReplyAndSettle(const std::string& bytes, int ms = 60) {
        peer.SendRaw(bytes);
        // Once the bytes are out, give the dialog time to read them all.
        peer.WaitUntilSent();
        PumpFor(ms);
        PumpUntil([&] { return device.bytesAvailable() == 0; }, 1000);
    }
    std::string StoredFile() const {
        return QSettings(programDir.File("config.ini"), QSettings::IniFormat)
            .value("slave_download_file")
            .toString()
            .toStdString();
    }

    Settings settings;
    ModalCloser closer;
    QString vmxPath;
};

}  // namespace

TEST_F(SlaveDownloaderTest, MasterVersionChoosesHandshakeFromFivePointNine) {
    const std::vector<std::pair<const char*, bool>> versions = {
        {"5.9", false}, {"6.1", false}, {"5.89", true}, {"abc", true}};
    for (const auto& [version, timed] : versions) {
        settings.SetParameter(ConfigParameter("Master_version", version));
        SlaveDownloader dialog(&settings, &device, nullptr);
        EXPECT_EQ(dialog.TimedMode(), timed) << version;
    }
    Settings empty;
    SlaveDownloader missing(&empty, &device, nullptr);
    EXPECT_TRUE(missing.TimedMode());
}

TEST_F(SlaveDownloaderTest, FormShowsTheStoredFileAndTheBootloaderInformation) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Slave Download");
    EXPECT_EQ(Widget<QLineEdit>(*dialog, "lineFilePath")->text(), vmxPath);
    EXPECT_EQ(VersionField(*dialog), "0A 0B 0C 0D ");
    EXPECT_FALSE(dialog->DownloadStarted());
}

TEST_F(SlaveDownloaderTest, HandshakeSendsEachRecordOnItsAcknowledgement) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    AcknowledgeWith(kAckOk);
    Download(*dialog)->click();
    EXPECT_TRUE(dialog->DownloadStarted());
    ASSERT_TRUE(PumpUntil([&] { return Finished(*dialog); }));

    // The first record goes out as it is; a later record of kind 00 restarts
    // the bootloader first; the delay entry waits 300 ms.
    EXPECT_EQ(peer.Received(),
              CommandFor("00", 's') + kEnter + CommandFor("00", 's') + CommandFor("06", 'l'));
    const std::vector<unsigned> pauses = sleeps.Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 300u), 1);
    EXPECT_EQ(Download(*dialog)->text(), "OK");
    EXPECT_EQ(Widget<QProgressBar>(*dialog, "progressDownload")->maximum(), 3);
    EXPECT_EQ(Widget<QProgressBar>(*dialog, "progressDownload")->value(), 3);
    const QString log = LogText(*dialog);
    EXPECT_TRUE(log.contains("\n!delay\n"));
    EXPECT_TRUE(log.endsWith("01 02 00 05 \nThe slave download success!")) << log.toStdString();
    EXPECT_EQ(settings.GetValue("slave_download_file"), vmxPath.toStdString());
    EXPECT_EQ(StoredFile(), vmxPath.toStdString());

    peer.ClearReceived();
    Download(*dialog)->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(peer.WaitForText(kExit));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), kExit) << "the exit sequence goes out once";
}

TEST_F(SlaveDownloaderTest, StatusFlagsOfAnAcknowledgementFailTheDownload) {
    const std::vector<std::pair<std::string, int>> cases = {{"05", 2}, {"40", 0}, {"80", 0}};
    for (const auto& [flags, lines] : cases) {
        std::unique_ptr<SlaveDownloader> dialog = Open();
        AcknowledgeWith("01 02 " + flags + " 00 \r");
        Download(*dialog)->click();
        ASSERT_TRUE(PumpUntil([&] { return Finished(*dialog); })) << flags;
        EXPECT_EQ(Download(*dialog)->text(), "Fail");
        const QString log = LogText(*dialog);
        EXPECT_EQ(log.count("Time out error!") + log.count("APP lock flag error!"), lines) << flags;
        EXPECT_TRUE(log.endsWith("click the 'Recheck' button to download again."));
        EXPECT_EQ(peer.Received(), CommandFor("00", 's')) << "nothing more is sent";
        EXPECT_FALSE(QFile::exists(programDir.File("config.ini")));
        peer.GoSilent();
        peer.Expect("b", kBootloaderInfo);
        peer.ClearReceived();
        dialog->close();
        ASSERT_TRUE(peer.WaitForText(kExit));
        peer.ClearReceived();
    }
}

TEST_F(SlaveDownloaderTest, FailReplyNamesTheErrorLineAndTheFlags) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    Download(*dialog)->click();
    ReplyAndSettle("F01 2C 02\r");
    EXPECT_EQ(Download(*dialog)->text(), "Fail");
    EXPECT_TRUE(Download(*dialog)->isEnabled());
    const QString log = LogText(*dialog);
    EXPECT_TRUE(
        log.contains("F01 2C 02\nThe slave download fail!\nThe number of error line is 300\n"
                     "I2C packet CRC error!\nYou can select"))
        << log.toStdString();

    // Recheck makes it the Download button again, which starts a new download.
    peer.ClearReceived();
    Widget<QPushButton>(*dialog, "buttonRetry")->click();
    EXPECT_EQ(Download(*dialog)->text(), "Download");
    EXPECT_TRUE(VersionField(*dialog).isEmpty());
    ASSERT_TRUE(PumpUntil([&] { return !VersionField(*dialog).isEmpty(); }));
    EXPECT_EQ(peer.Received(), kExit + kEnter);
    peer.ClearReceived();
    Download(*dialog)->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(peer.WaitForBytes(288));
    EXPECT_EQ(peer.Received(), CommandFor("00", 's'));
}

TEST_F(SlaveDownloaderTest, RepliesOutsideADownloadAreIgnored) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    settings.SetParameter(ConfigParameter("slave_download_file", "kept.vmx"));
    ReplyAndSettle(kAckOk + "S00 00 00\rF00 01 02\rAB CD \r");
    EXPECT_EQ(Download(*dialog)->text(), "Download");
    EXPECT_EQ(settings.GetValue("slave_download_file"), "kept.vmx");
    EXPECT_TRUE(LogText(*dialog).isEmpty());
    EXPECT_TRUE(peer.Received().empty());
}

TEST_F(SlaveDownloaderTest, TimedModeSendsEveryRecordAtAFixedPaceThenQ) {
    settings.SetParameter(ConfigParameter("Master_version", "5.8"));
    std::unique_ptr<SlaveDownloader> dialog = Open();
    AcknowledgeWith("01 02 01 00 \r");  // ignored in this mode
    Download(*dialog)->click();
    EXPECT_EQ(Download(*dialog)->text(), "OK");
    EXPECT_TRUE(Download(*dialog)->isEnabled());
    ASSERT_TRUE(peer.WaitForText(CommandFor("06", 'l') + "Q"));
    EXPECT_EQ(peer.Received().substr(0, 288), CommandFor("00", 's'));
    EXPECT_EQ(sleeps.Pauses(),
              (std::vector<unsigned>{20, 100, 300, 100, 20, 100, 20, 100, 100, 20, 100}));
    EXPECT_TRUE(LogText(*dialog).endsWith(
        "!delay\n" + QString::fromStdString(CommandFor("00", 's')) + "\n" +
        QString::fromStdString(CommandFor("06", 'l')) + "\nThe slave download success!"));
    EXPECT_EQ(StoredFile(), vmxPath.toStdString());
    PumpFor(60);
    EXPECT_EQ(Download(*dialog)->text(), "OK") << "acknowledgements are ignored";
}

TEST_F(SlaveDownloaderTest, ClosingDuringATimedDownloadStopsBeforeTheNextRecord) {
    settings.SetParameter(ConfigParameter("Master_version", "0"));
    std::unique_ptr<SlaveDownloader> dialog = Open();
    QTimer::singleShot(0, dialog.get(), &QWidget::close);
    Download(*dialog)->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(peer.WaitForText(kExit));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), CommandFor("00", 's') + kExit);
    EXPECT_FALSE(QFile::exists(programDir.File("config.ini")));
}

TEST_F(SlaveDownloaderTest, LostSlaveShowsOneMessageAndStopsReading) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    Download(*dialog)->click();
    ReplyAndSettle("I2C_TIME_OUT\rI2C_MRX_NACK_ADDRESS\r");
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_EQ(closer.Boxes()[0].title, "Enter Drawing Mode...");
    EXPECT_TRUE(closer.Boxes()[0].text.contains("Please check the connection of slave"));
    peer.SendRaw(kAckOk);
    peer.WaitUntilSent();
    PumpFor(60);
    EXPECT_EQ(device.bytesAvailable(), static_cast<qint64>(kAckOk.size()))
        << "the dialog no longer reads";
    EXPECT_EQ(peer.Received(), CommandFor("00", 's'));
}

TEST_F(SlaveDownloaderTest, UnusableImagesAndMissingBootloaderAreRefused) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    QLineEdit* path = Widget<QLineEdit>(*dialog, "lineFilePath");
    struct Case {
        QString file;
        const char* title;
        const char* text;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {programDir.File("missing.vmx"), "Load vmx file fail",
         "Please select a correct vmx file for slave.", "The file cannot be opened."},
        {WriteImage("noversion.vmx", {RecordLine("04")}), "Load vmx file fail",
         "Read vmx file version fail, Please select a correct vmx file for slave.", ""},
        {WriteImage("norecords.vmx", {"! VERSION 48", "!delay"}), "Load vmx file fail",
         "Please select a correct vmx file for slave.", "The image holds no records."},
    };
    for (const Case& c : cases) {
        closer.Clear();
        path->setText(c.file);
        Download(*dialog)->click();
        ASSERT_EQ(closer.Boxes().size(), 1u) << c.text;
        EXPECT_EQ(closer.Boxes()[0].title, c.title);
        EXPECT_EQ(closer.Boxes()[0].text, c.text);
        EXPECT_EQ(closer.Boxes()[0].informative, c.reason);
    }
    closer.Clear();
    path->setText(vmxPath);
    settings.SetParameter(ConfigParameter("port_bit_rate", "115200"));
    Download(*dialog)->click();
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_TRUE(closer.Boxes()[0].informative.contains("port_bit_rate"));

    // Recheck forgets the bootloader; Download before its answer is refused.
    settings.SetParameter(ConfigParameter("port_bit_rate", "460800"));
    peer.GoSilent();
    Widget<QPushButton>(*dialog, "buttonRetry")->click();
    EXPECT_TRUE(Download(*dialog)->isEnabled());
    closer.Clear();
    Download(*dialog)->click();
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_EQ(closer.Boxes()[0].title, "Read bootloader version fail");
    EXPECT_TRUE(Download(*dialog)->isEnabled());
    EXPECT_FALSE(dialog->DownloadStarted());
    ASSERT_TRUE(peer.WaitForText(kExit + kEnter));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), kExit + kEnter) << "no record was sent";
}

TEST_F(SlaveDownloaderTest, OverlongReadIsDroppedWithItsPendingText) {
    std::unique_ptr<SlaveDownloader> dialog = Open();
    Widget<QLineEdit>(*dialog, "lineVersion")->clear();
    peer.SendRaw("Bootloader information: 01 ");
    PumpFor(40);
    peer.SendRaw("02 03 04 \r" + std::string(5000, 'x') + "\r");
    ASSERT_TRUE(peer.WaitUntilSent());
    QThread::msleep(50);  // the whole burst waits in the port
    PumpFor(60);
    EXPECT_TRUE(VersionField(*dialog).isEmpty());
    ReplyAndSettle("Bootloader information: 11 12 13 14 \r");
    EXPECT_EQ(VersionField(*dialog), "11 12 13 14 ");
}

TEST_F(SlaveDownloaderTest, DelaysAtTheEndOfTheImageFinishAsSuccess) {
    const QString path = WriteImage("tail.vmx", {"! VERSION 48", RecordLine("01"), "!delay"});
    std::unique_ptr<SlaveDownloader> dialog = Open();
    Widget<QLineEdit>(*dialog, "lineFilePath")->setText(path);
    AcknowledgeWith(kAckOk);
    Download(*dialog)->click();
    ASSERT_TRUE(PumpUntil([&] { return Finished(*dialog); }));
    EXPECT_EQ(Download(*dialog)->text(), "OK");
    EXPECT_TRUE(LogText(*dialog).endsWith("!delay\n01 02 00 05 \nThe slave download success!"));
    EXPECT_EQ(StoredFile(), path.toStdString());
}
