#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTextBrowser>
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
        ASSERT_TRUE(OpenPastStartUp("230400"));
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
    void Open() {
        dialog = std::make_unique<SlaveDownloader>(&settings, &device, nullptr);
        dialog->show();
        EXPECT_FALSE(Widget("buttonDownload")->isEnabled());
        EXPECT_TRUE(PumpUntil([&] { return Widget("buttonDownload")->isEnabled(); }));
        EXPECT_EQ(peer.Received(), kEnter);
        peer.ClearReceived();
        sleeps.Clear();
    }

    // The bridge answers every record with `ack` from now on.
    void AcknowledgeWith(const std::string& ack) {
        peer.Expect("s", ack);
        peer.Expect("l", ack);
    }

    template <class T = QPushButton>
    T* Widget(const char* name) const {
        return Child<T>(dialog.get(), name);
    }
    QString LogText() const { return Widget<QTextBrowser>("textBrowserLog")->toPlainText(); }
    QString VersionField() const { return Widget<QLineEdit>("lineVersion")->text(); }
    bool Finished() const {
        return Widget("buttonDownload")->text() != "Download" &&
               Widget("buttonDownload")->isEnabled();
    }
    QString StoredFile() const {
        return QSettings(programDir.File("config.ini"), QSettings::IniFormat)
            .value("slave_download_file")
            .toString();
    }

    Settings settings;
    ModalCloser closer;
    QString vmxPath;
    std::unique_ptr<SlaveDownloader> dialog;
};

}  // namespace

TEST_F(SlaveDownloaderTest, HandshakeSendsEachRecordOnItsAcknowledgement) {
    Open();
    EXPECT_EQ(VersionField(), "0A 0B 0C 0D ");
    AcknowledgeWith(kAckOk);
    Widget("buttonDownload")->click();
    EXPECT_TRUE(dialog->DownloadStarted());
    EXPECT_FALSE(Widget("buttonRetry")->isEnabled()) << "no recheck between records";
    ASSERT_TRUE(PumpUntil([&] { return Finished(); }));
    EXPECT_TRUE(Widget("buttonRetry")->isEnabled());

    // The first record goes out as it is; a later record of kind 00 restarts
    // the bootloader first; the delay entry waits 300 ms.
    EXPECT_EQ(peer.Received(),
              CommandFor("00", 's') + kEnter + CommandFor("00", 's') + CommandFor("06", 'l'));
    const std::vector<unsigned> pauses = sleeps.Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 300u), 1);
    EXPECT_EQ(Widget("buttonDownload")->text(), "OK");
    EXPECT_EQ(Widget<QProgressBar>("progressDownload")->value(), 3);
    EXPECT_TRUE(LogText().contains("\n!delay\n"));
    EXPECT_TRUE(LogText().endsWith("01 02 00 05 \nThe slave download success!"));
    EXPECT_EQ(StoredFile(), vmxPath);

    peer.ClearReceived();
    Widget("buttonDownload")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_TRUE(peer.WaitForText(kExit));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), kExit) << "the exit sequence goes out once";
}

TEST_F(SlaveDownloaderTest, StatusFlagsOfAnAcknowledgementFailTheDownload) {
    const std::pair<std::string, int> cases[] = {{"05", 2}, {"40", 0}, {"80", 0}};
    for (const auto& [flags, lines] : cases) {
        Open();
        AcknowledgeWith("01 02 " + flags + " 00 \r");
        Widget("buttonDownload")->click();
        ASSERT_TRUE(PumpUntil([&] { return Finished(); })) << flags;
        EXPECT_EQ(Widget("buttonDownload")->text(), "Fail");
        EXPECT_EQ(LogText().count("Time out error!") + LogText().count("APP lock flag error!"),
                  lines)
            << flags;
        EXPECT_TRUE(LogText().endsWith("click the 'Recheck' button to download again."));
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

TEST_F(SlaveDownloaderTest, FailReplyNamesTheErrorLineAndRecheckStartsAgain) {
    Open();
    settings.SetParameter(ConfigParameter("slave_download_file", "kept.vmx"));
    ReplyAndSettle(kAckOk + "S00 00 00\rF00 01 02\rAB CD \r");
    EXPECT_EQ(Widget("buttonDownload")->text(), "Download") << "no download is running";
    EXPECT_TRUE(LogText().isEmpty());

    Widget("buttonDownload")->click();
    ReplyAndSettle("F01 2C 02\r");
    EXPECT_EQ(Widget("buttonDownload")->text(), "Fail");
    EXPECT_TRUE(
        LogText().contains("F01 2C 02\nThe slave download fail!\nThe number of error line is 300\n"
                           "I2C packet CRC error!\nYou can select"))
        << LogText().toStdString();

    peer.ClearReceived();
    Widget("buttonRetry")->click();
    EXPECT_EQ(Widget("buttonDownload")->text(), "Download");
    ASSERT_TRUE(PumpUntil([&] { return !VersionField().isEmpty(); }));
    EXPECT_EQ(peer.Received(), kExit + kEnter);
    peer.ClearReceived();
    Widget("buttonDownload")->click();
    ASSERT_TRUE(peer.WaitForBytes(288));
    EXPECT_EQ(peer.Received(), CommandFor("00", 's'));
    EXPECT_EQ(settings.GetValue("slave_download_file"), "kept.vmx");
}

TEST_F(SlaveDownloaderTest, TimedModeSendsEveryRecordAtAFixedPaceThenQ) {
    settings.SetParameter(ConfigParameter("Master_version", "5.89"));  // below 5.9
    Open();
    AcknowledgeWith("01 02 01 00 \r");  // ignored in this mode
    Widget("buttonDownload")->click();
    EXPECT_EQ(Widget("buttonDownload")->text(), "OK");
    ASSERT_TRUE(peer.WaitForText(CommandFor("06", 'l') + "Q"));
    EXPECT_EQ(peer.Received().substr(0, 288), CommandFor("00", 's'));
    EXPECT_EQ(sleeps.Pauses(),
              (std::vector<unsigned>{20, 100, 300, 100, 20, 100, 20, 100, 100, 20, 100}));
    EXPECT_TRUE(LogText().endsWith(QString::fromStdString(CommandFor("06", 'l')) +
                                   "\nThe slave download success!"));
    EXPECT_EQ(StoredFile(), vmxPath);
}

TEST_F(SlaveDownloaderTest, TimedModeStopsOnFailureAndEndsRejectedStoringNothing) {
    settings.SetParameter(ConfigParameter("Master_version", "0"));
    const char* stops[] = {"F reply", "I2C error", "close", "hang-up"};
    for (const std::string stop : stops) {
        Open();
        if (stop == "F reply" || stop == "I2C error") {
            peer.Expect("s",
                        stop == "F reply" ? "F00 02 01\r" : "I2C_TIME_OUT\rI2C_MRX_NACK_ADDRESS\r");
            // The pauses are not waited for here: the reply arrives during one.
            QTimer::singleShot(0, dialog.get(), [this] {
                PumpUntil(
                    [this] { return LogText().contains("fail!") || !closer.Boxes().empty(); });
            });
        } else {
            QTimer::singleShot(0, dialog.get(), [this, stop] {
                stop == "close" ? static_cast<void>(dialog->close()) : peer.HangUp();
            });
        }
        Widget("buttonDownload")->click();
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << stop;
        EXPECT_FALSE(dialog->isVisible()) << stop;
        EXPECT_FALSE(LogText().contains("success")) << stop;
        EXPECT_TRUE(LogText().contains("The slave download fail!")) << stop;
        EXPECT_FALSE(QFile::exists(programDir.File("config.ini"))) << stop;
        if (stop != "hang-up") {
            ASSERT_TRUE(peer.WaitForText(kExit)) << stop;
            EXPECT_EQ(peer.Received().find(CommandFor("06", 'l')), std::string::npos) << stop;
        }
        peer.GoSilent();
        peer.Expect("b", kBootloaderInfo);
        peer.ClearReceived();
    }
    ASSERT_EQ(closer.Boxes().size(), 1u) << "one message for the lost slave";
    EXPECT_EQ(closer.Boxes()[0].title, "Enter Drawing Mode...");
    EXPECT_TRUE(closer.Boxes()[0].text.contains("Please check the connection of slave"));
}

TEST_F(SlaveDownloaderTest, UnusableImagesAndMissingBootloaderAreRefused) {
    Open();
    struct Case {
        QString file;
        const char* text;
        const char* reason;
    };
    const std::string badRecord = "$01" + std::string(283, '5') + "g";
    const Case cases[] = {
        {programDir.File("missing.vmx"), "Please select a correct vmx file for slave.",
         "The file cannot be opened."},
        {WriteImage("noversion.vmx", {RecordLine("04")}),
         "Read vmx file version fail, Please select a correct vmx file for slave.", ""},
        {WriteImage("norecords.vmx", {"! VERSION 48", "!delay"}),
         "Please select a correct vmx file for slave.", "The image holds no records."},
        {WriteImage("damaged.vmx", {"! VERSION 48", RecordLine("01"), badRecord}),
         "Please select a correct vmx file for slave.",
         "Line 3 is not a record of 286 upper-case hex digits."},
    };
    for (const Case& c : cases) {
        closer.Clear();
        Widget<QLineEdit>("lineFilePath")->setText(c.file);
        Widget("buttonDownload")->click();
        ASSERT_EQ(closer.Boxes().size(), 1u) << c.text;
        EXPECT_EQ(closer.Boxes()[0].title, "Load vmx file fail");
        EXPECT_EQ(closer.Boxes()[0].text, c.text);
        EXPECT_EQ(closer.Boxes()[0].informative, c.reason);
    }
    // Recheck forgets the bootloader; Download before its answer is refused.
    Widget<QLineEdit>("lineFilePath")->setText(vmxPath);
    peer.GoSilent();
    Widget("buttonRetry")->click();
    closer.Clear();
    Widget("buttonDownload")->click();
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_EQ(closer.Boxes()[0].title, "Read bootloader version fail");
    EXPECT_FALSE(dialog->DownloadStarted());
    ASSERT_TRUE(peer.WaitForText(kExit + kEnter));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), kExit + kEnter) << "no record was sent";
}
