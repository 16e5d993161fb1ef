#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTextBrowser>
#include <cstdio>

#include "BridgeBench.h"
#include "Crc16.h"
#include "EventPump.h"
#include "MasterDownloader.h"
#include "ModalCloser.h"
#include "Settings.h"

using morvex_gui::MasterDownloader;

namespace {

constexpr size_t kPacket = 135;
constexpr int kPackets = 113;  // 112 pages and the end packet
const char* const kAck = "\x06\r";

// An Intel HEX image of `count` bytes from address 0, byte i = i & 0xFF.
QByteArray HexImage(unsigned count) {
    QByteArray text;
    for (unsigned done = 0; done < count; done += 16) {
        const unsigned n = std::min(16u, count - done);
        char line[64];
        int used = std::snprintf(line, sizeof line, ":%02X%04X00", n, done);
        for (unsigned i = 0; i < n; ++i) {
            used += std::snprintf(line + used, sizeof line - used, "%02X", (done + i) & 0xFF);
        }
        std::snprintf(line + used, sizeof line - used, "00\r\n");
        text += line;
    }
    return text + ":00000001FF\r\n";
}

class MasterDownloaderTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open(peer.PortName(), "230400"));
        ASSERT_TRUE(peer.WaitForText("@o##v"));
        peer.ClearReceived();
        programDir.Write("image.hex", HexImage(300));
        hexPath = programDir.File("image.hex");
        settings.SetParameter(ConfigParameter("master_hex_file", hexPath.toStdString()));
        settings.SetParameter(ConfigParameter("port_bit_rate", "230400"));
    }

    // Builds the dialog and waits until it has asked for the bootloader.
    std::unique_ptr<MasterDownloader> Open() {
        auto dialog = std::make_unique<MasterDownloader>(&settings, &device, nullptr);
        dialog->show();
        EXPECT_TRUE(PumpUntil([&] { return peer.Received() == "@G"; }));
        peer.ClearReceived();
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
    static QString LogText(QDialog& dialog) {
        return Widget<QTextBrowser>(dialog, "textBrowserLog")->toPlainText();
    }
    static int Progress(QDialog& dialog) {
        return Widget<QProgressBar>(dialog, "progressDownload")->value();
    }

    void Reply(const std::string& line) { peer.SendLine(line); }
    // Sends `line` and lets the dialog read it.
    void ReplyAndSettle(const std::string& line, int ms = 60) {
        Reply(line);
        // Once the bytes are out, give the dialog time to read them all.
        peer.WaitUntilSent();
        PumpFor(ms);
        PumpUntil([&] { return device.bytesAvailable() == 0; }, 1000);
    }

    // Acknowledges every packet until `packets` of them have arrived.
    bool AcknowledgeUntil(size_t packets) {
        for (size_t k = peer.ReceivedCount() / kPacket; k < packets; ++k) {
            if (!PumpUntil([&] { return peer.ReceivedCount() >= k * kPacket; })) {
                return false;
            }
            peer.SendRaw(kAck);
        }
        return PumpUntil([&] { return peer.ReceivedCount() >= packets * kPacket; }) &&
               peer.ReceivedCount() == packets * kPacket;
    }

    Settings settings;
    ModalCloser closer;
    QString hexPath;
};

}  // namespace

TEST_F(MasterDownloaderTest, FormShowsTheStoredPathAndWaitsForTheBootloader) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "MasterDownloader");
    EXPECT_EQ(Widget<QLineEdit>(*dialog, "lineHexPath")->text(), hexPath);
    EXPECT_TRUE(Widget<QLineEdit>(*dialog, "lineVersion")->text().isEmpty());
    EXPECT_TRUE(Button(*dialog, "buttonDownload")->isEnabled());
    EXPECT_FALSE(dialog->DownloadStarted());

    ReplyAndSettle("Master_Bootloader_BV21 ready");
    EXPECT_EQ(Widget<QLineEdit>(*dialog, "lineVersion")->text(), "Master_Bootloader_BV21");
    EXPECT_FALSE(Button(*dialog, "buttonDownload")->isDefault());
    ReplyAndSettle("Master_Bootloader_V3");
    EXPECT_EQ(Widget<QLineEdit>(*dialog, "lineVersion")->text(), "Master_Bootloader_V3");
    ReplyAndSettle("Master_Bootloader_BVx");
    EXPECT_EQ(Widget<QLineEdit>(*dialog, "lineVersion")->text(), "Master_Bootloader_V3");

    // No application code: the dialog asks for the bootloader version.
    ReplyAndSettle("xxL70");
    EXPECT_TRUE(peer.WaitForText("V"));
    EXPECT_EQ(peer.Received(), "V");
}

TEST_F(MasterDownloaderTest, WholeImageGoesOutPacketByPacketAndSuccessIsStored) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    ReplyAndSettle("Master_Bootloader_BV21");
    Button(*dialog, "buttonDownload")->click();
    EXPECT_TRUE(dialog->DownloadStarted());
    EXPECT_FALSE(Button(*dialog, "buttonDownload")->isEnabled());
    EXPECT_FALSE(Button(*dialog, "buttonRetry")->isEnabled());
    EXPECT_EQ(Widget<QProgressBar>(*dialog, "progressDownload")->maximum(), kPackets);
    EXPECT_EQ(Progress(*dialog), 1);

    ASSERT_TRUE(AcknowledgeUntil(kPackets));
    EXPECT_EQ(Progress(*dialog), kPackets);
    // After the end packet an acknowledgement has nothing left to send.
    ReplyAndSettle("\x06");
    EXPECT_EQ(peer.ReceivedCount(), kPackets * kPacket);
    EXPECT_EQ(LogText(*dialog).count("One Segment Finish..."), kPackets - 1);

    const std::string wire = peer.Received();
    MasterPages pages(112, std::vector<unsigned char>(128, 0xFF));
    for (unsigned i = 0; i < 300; ++i) {
        pages[i / 128][i % 128] = static_cast<unsigned char>(i);
    }
    EXPECT_EQ(wire.substr(0, 5), std::string("\x01\x01\x00\x00\x00", 5));
    EXPECT_EQ(wire.substr(5, 128), std::string(pages[0].begin(), pages[0].end()));
    EXPECT_EQ(wire.substr(kPacket + 3, 2), std::string("\x80\x00", 2)) << "page 1 at 0x0080";
    const std::uint16_t crc = Crc16Pages(pages);
    const std::string end = wire.substr(112 * kPacket, 5);
    EXPECT_EQ(end, (std::string("\x01\x01\x01", 3) + static_cast<char>(crc & 0xFF) +
                    static_cast<char>(crc >> 8)));

    peer.ClearReceived();
    ReplyAndSettle("S");
    QPushButton* download = Button(*dialog, "buttonDownload");
    EXPECT_EQ(download->text(), "OK");
    EXPECT_TRUE(download->isEnabled());
    EXPECT_TRUE(download->isDefault());
    EXPECT_TRUE(Button(*dialog, "buttonRetry")->isEnabled());
    EXPECT_TRUE(LogText(*dialog).endsWith("Success")) << LogText(*dialog).toStdString();
    EXPECT_TRUE(peer.WaitForText("n"));
    EXPECT_EQ(peer.Received(), "n");
    EXPECT_EQ(settings.GetValue("master_hex_file"), hexPath.toStdString());
    EXPECT_EQ(QSettings(programDir.File("config.ini"), QSettings::IniFormat).value("port_bit_rate"),
              "230400");

    peer.ClearReceived();
    download->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(peer.WaitForText("n"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "n") << "closing sends n once";
    const QStringList logs = QDir(programDir.File("LogFiles")).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(logs[0].startsWith("MasterDownload_"));
    EXPECT_TRUE(programDir.Read("LogFiles/" + logs[0]).endsWith("One Segment Finish...\nSuccess"));
}

TEST_F(MasterDownloaderTest, OnlyTheFirstOneCharacterReplyOfAReadCounts) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    Button(*dialog, "buttonDownload")->click();  // before any version line
    ASSERT_TRUE(peer.WaitForBytes(kPacket));
    peer.SendRaw("\x06\rS\r");
    ASSERT_TRUE(PumpUntil([&] { return peer.ReceivedCount() >= 2 * kPacket; }));
    PumpFor(60);
    EXPECT_EQ(Button(*dialog, "buttonDownload")->text(), "Download") << "S was not looked at";
    EXPECT_EQ(Progress(*dialog), 2);

    ReplyAndSettle("C");
    ReplyAndSettle("\x18");
    EXPECT_TRUE(LogText(*dialog).endsWith("One Segment Finish...\nC\n0x18"));
    EXPECT_FALSE(Button(*dialog, "buttonRetry")->isEnabled());
}

TEST_F(MasterDownloaderTest, CrcErrorAndFailureEndTheTransferUntilRecheck) {
    for (const char* reply : {"\x15", "F"}) {
        std::unique_ptr<MasterDownloader> dialog = Open();
        Button(*dialog, "buttonDownload")->click();
        ASSERT_TRUE(peer.WaitForBytes(kPacket));
        ReplyAndSettle(reply);
        EXPECT_TRUE(Button(*dialog, "buttonRetry")->isEnabled());
        EXPECT_FALSE(Button(*dialog, "buttonDownload")->isEnabled());
        EXPECT_TRUE(LogText(*dialog).contains("please click the 'Recheck' button"));
        ReplyAndSettle("\x06");
        EXPECT_EQ(peer.ReceivedCount(), kPacket) << "no packet after the failure";

        // Recheck asks the bootloader again, 50 ms after "n".
        peer.ClearReceived();
        sleeps.Clear();
        Button(*dialog, "buttonRetry")->click();
        ASSERT_TRUE(peer.WaitForText("n@G"));
        EXPECT_EQ(sleeps.Pauses(), (std::vector<unsigned>{20, 50, 20, 20}));
        ReplyAndSettle("Master_Bootloader_BV21");
        EXPECT_TRUE(Button(*dialog, "buttonDownload")->isEnabled());
        peer.ClearReceived();
        dialog->close();
        peer.WaitForText("n");
        peer.ClearReceived();
    }
}

TEST_F(MasterDownloaderTest, RecheckAfterSuccessTurnsOkBackIntoDownload) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    QPushButton* download = Button(*dialog, "buttonDownload");
    download->click();
    ASSERT_TRUE(AcknowledgeUntil(kPackets));
    ReplyAndSettle("S");
    ASSERT_EQ(download->text(), "OK");

    Button(*dialog, "buttonRetry")->click();
    EXPECT_EQ(download->text(), "Download");
    EXPECT_TRUE(Widget<QLineEdit>(*dialog, "lineVersion")->text().isEmpty());
    peer.ClearReceived();
    download->click();
    EXPECT_TRUE(dialog->isVisible()) << "the button downloads again instead of accepting";
    EXPECT_TRUE(peer.WaitForBytes(kPacket));
}

TEST_F(MasterDownloaderTest, UnusableFileWarnsSendsNothingButCountsAsStarted) {
    programDir.Write("broken.hex", ":020000040000FA\r\n:00000001FF\r\n");
    settings.SetParameter(
        ConfigParameter("master_hex_file", programDir.File("broken.hex").toStdString()));
    std::unique_ptr<MasterDownloader> dialog = Open();
    Button(*dialog, "buttonDownload")->click();
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_EQ(closer.Boxes()[0].title, "Warning");
    EXPECT_EQ(closer.Boxes()[0].text, "Please select a correct hex file to retry!");
    EXPECT_TRUE(closer.Boxes()[0].informative.contains("Line 1"));
    EXPECT_TRUE(dialog->DownloadStarted());
    EXPECT_TRUE(Button(*dialog, "buttonDownload")->isEnabled());
    PumpFor(30);
    EXPECT_EQ(peer.ReceivedCount(), 0u);

    Widget<QLineEdit>(*dialog, "lineHexPath")->setText(programDir.File("missing.hex"));
    Button(*dialog, "buttonDownload")->click();
    ASSERT_EQ(closer.Boxes().size(), 2u);
    EXPECT_EQ(closer.Boxes()[1].informative, "The file cannot be opened.");
}

TEST_F(MasterDownloaderTest, StraySuccessBeforeAnyPacketChangesNothing) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    settings.SetParameter(ConfigParameter("master_hex_file", "kept.hex"));
    ReplyAndSettle("S");
    EXPECT_EQ(Button(*dialog, "buttonDownload")->text(), "Download");
    EXPECT_EQ(settings.GetValue("master_hex_file"), "kept.hex");
    ReplyAndSettle("\x06");
    EXPECT_EQ(peer.ReceivedCount(), 0u);
}

TEST_F(MasterDownloaderTest, PortThatCannotTakeTheFirstPacketLeavesAWayBack) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    device.close();
    Button(*dialog, "buttonDownload")->click();
    EXPECT_FALSE(Button(*dialog, "buttonDownload")->isEnabled());
    EXPECT_TRUE(Button(*dialog, "buttonRetry")->isEnabled());
    EXPECT_EQ(Progress(*dialog), 0);
    EXPECT_TRUE(LogText(*dialog).contains("did not take the first packet"));
}

TEST_F(MasterDownloaderTest, WindowCloseButtonClosesOnceAndStopsReading) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ASSERT_TRUE(peer.WaitForText("n"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "n");
    EXPECT_EQ(QDir(programDir.File("LogFiles")).entryList(QDir::Files).size(), 1);

    // The dialog no longer reads the bridge.
    Reply("Master_Bootloader_BV21");
    peer.WaitUntilSent();
    PumpFor(60);
    EXPECT_TRUE(Widget<QLineEdit>(*dialog, "lineVersion")->text().isEmpty());
}

TEST_F(MasterDownloaderTest, BrowseTakesTheChosenFileAndCancelKeepsThePath) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    QLineEdit* path = Widget<QLineEdit>(*dialog, "lineHexPath");
    Button(*dialog, "buttonBrowseHex")->click();
    EXPECT_EQ(closer.FileDialogs(), 1);
    EXPECT_EQ(path->text(), hexPath);

    programDir.Write("other.hex", HexImage(16));
    closer.ChooseFile(programDir.File("other.hex"));
    Button(*dialog, "buttonBrowseHex")->click();
    EXPECT_EQ(closer.FileDialogs(), 2);
    EXPECT_EQ(path->text(), programDir.File("other.hex"));
}

TEST_F(MasterDownloaderTest, AdapterRemovalRejectsAndStillEndsTheSession) {
    std::unique_ptr<MasterDownloader> dialog = Open();
    ReplyAndSettle("Master_Bootloader_BV21");
    ASSERT_TRUE(QMetaObject::invokeMethod(dialog.get(), "DeviceDisconnect"));
    EXPECT_TRUE(dialog->DeviceDisconnected());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ASSERT_TRUE(peer.WaitForText("n"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "n");
    const QStringList logs = QDir(programDir.File("LogFiles")).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(programDir.Read("LogFiles/" + logs[0]).isEmpty());
}
