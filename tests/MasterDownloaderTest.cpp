#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <algorithm>

#include "BridgeBench.h"
#include "Crc16.h"
#include "EventPump.h"
#include "IntelHex.h"
#include "MasterDownloader.h"
#include "ModalCloser.h"
#include "Settings.h"

using morvex_gui::MasterDownloader;

namespace {

constexpr size_t kPacket = 135;
constexpr int kPackets = 113;  // 112 pages and the end packet
const char* const kAck = "\x06\r";

// The lines of an image in the reverse of their address order: each record
// still lands at its own address.
QByteArray ReversedHexImage(unsigned count) {
    QStringList lines = QString::fromStdString(intel_hex::Image(count)).split("\r\n");
    lines.removeAll(QString());
    const QString end = lines.takeLast();
    std::reverse(lines.begin(), lines.end());
    return (lines.join("\r\n") + "\r\n" + end + "\r\n").toLatin1();
}

class MasterDownloaderTest : public ::testing::Test, protected BridgeBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenPastStartUp("230400"));
        programDir.Write("image.hex", ReversedHexImage(300));
        hexPath = programDir.File("image.hex");
        settings.SetParameter(ConfigParameter("master_hex_file", hexPath.toStdString()));
        settings.SetParameter(ConfigParameter("port_bit_rate", "230400"));
    }

    // Builds the dialog and waits until it has asked for the bootloader.
    void Open() {
        dialog = std::make_unique<MasterDownloader>(&settings, &device, nullptr);
        dialog->show();
        EXPECT_TRUE(PumpUntil([&] { return peer.Received() == "@G"; }));
        peer.ClearReceived();
    }

    template <class T = QPushButton>
    T* Widget(const char* name) const {
        return Child<T>(dialog.get(), name);
    }
    QString LogText() const { return Widget<QTextBrowser>("textBrowserLog")->toPlainText(); }
    QString Version() const { return Widget<QLineEdit>("lineVersion")->text(); }
    int Progress() const { return Widget<QProgressBar>("progressDownload")->value(); }

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

    QStringList SessionLogs() const {
        return QDir(programDir.File("LogFiles")).entryList(QDir::Files);
    }

    Settings settings;
    ModalCloser closer;
    QString hexPath;
    std::unique_ptr<MasterDownloader> dialog;
};

}  // namespace

TEST_F(MasterDownloaderTest, ShowsTheBootloaderVersionAndIgnoresAStraySuccess) {
    Open();
    EXPECT_EQ(Widget<QLineEdit>("lineHexPath")->text(), hexPath);
    ReplyAndSettle("Master_Bootloader_BV21 ready\r");
    EXPECT_EQ(Version(), "Master_Bootloader_BV21");
    EXPECT_FALSE(Widget("buttonDownload")->isDefault());
    // A "C" and the version line after it in one read: both count.
    ReplyAndSettle("C\rMaster_Bootloader_V3\rMaster_Bootloader_BVx\r");
    EXPECT_EQ(Version(), "Master_Bootloader_V3");
    EXPECT_EQ(LogText(), "C");

    // No application code: the dialog asks for the bootloader version.
    ReplyAndSettle("xxL70\r");
    EXPECT_TRUE(peer.WaitForText("V"));
    settings.SetParameter(ConfigParameter("master_hex_file", "kept.hex"));
    ReplyAndSettle("S\r\x06\r");
    EXPECT_EQ(Widget("buttonDownload")->text(), "Download");
    EXPECT_EQ(settings.GetValue("master_hex_file"), "kept.hex");
    EXPECT_EQ(peer.Received(), "V");
}

TEST_F(MasterDownloaderTest, ReorderedImageGoesOutPageByPageAndSuccessInTheLastReadIsStored) {
    Open();
    QPushButton* download = Widget("buttonDownload");
    download->click();  // before any version line
    EXPECT_TRUE(dialog->DownloadStarted());
    EXPECT_FALSE(download->isEnabled());
    EXPECT_FALSE(Widget("buttonRetry")->isEnabled());
    ASSERT_TRUE(AcknowledgeUntil(kPackets));
    EXPECT_EQ(Progress(), kPackets);

    const std::string wire = peer.Received();
    MasterPages pages(112, std::vector<unsigned char>(128, 0xFF));
    for (unsigned i = 0; i < 300; ++i) {
        pages[i / 128][i % 128] = static_cast<unsigned char>(i);
    }
    // Each record of the reversed file landed at its own address.
    EXPECT_EQ(wire.substr(5, 128), std::string(pages[0].begin(), pages[0].end()));
    EXPECT_EQ(wire.substr(2 * kPacket + 5, 128), std::string(pages[2].begin(), pages[2].end()));
    const std::uint16_t crc = Crc16Pages(pages);
    EXPECT_EQ(wire.substr(112 * kPacket + 3, 2),
              (std::string{static_cast<char>(crc & 0xFF), static_cast<char>(crc >> 8)}));

    // The end packet's ACK and the success arrive in one read.
    peer.ClearReceived();
    ReplyAndSettle("\x06\rS\r");
    EXPECT_EQ(download->text(), "OK");
    EXPECT_TRUE(download->isDefault());
    EXPECT_TRUE(Widget("buttonRetry")->isEnabled());
    EXPECT_TRUE(LogText().endsWith("Success")) << LogText().toStdString();
    EXPECT_TRUE(peer.WaitForText("n"));
    EXPECT_EQ(peer.Received(), "n") << "no packet after the end packet";
    EXPECT_EQ(settings.GetValue("master_hex_file"), hexPath.toStdString());
    EXPECT_TRUE(programDir.Read("config.ini").contains("port_bit_rate=230400"));

    peer.ClearReceived();
    download->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_TRUE(peer.WaitForText("n"));
    PumpFor(30);
    EXPECT_EQ(peer.Received(), "n") << "closing sends n once";
    ASSERT_EQ(SessionLogs().size(), 1);
    EXPECT_TRUE(SessionLogs()[0].startsWith("MasterDownload_"));
    EXPECT_TRUE(programDir.Read("LogFiles/" + SessionLogs()[0]).endsWith("Finish...\nSuccess"));
}

TEST_F(MasterDownloaderTest, FailureRepliesEndTheTransferEvenInTheReadOfAnAck) {
    const std::pair<const char*, const char*> replies[] = {
        {"\x15", "Crc check error"}, {"F", "Download fail"}, {"\x18", "cancelled the download"}};
    for (const auto& [reply, message] : replies) {
        Open();
        Widget("buttonDownload")->click();
        ASSERT_TRUE(peer.WaitForBytes(kPacket));
        ReplyAndSettle(kAck + std::string(reply) + "\r");
        ASSERT_TRUE(peer.WaitForBytes(2 * kPacket)) << "the ACK before it was handled";
        EXPECT_TRUE(Widget("buttonRetry")->isEnabled()) << message;
        EXPECT_FALSE(Widget("buttonDownload")->isEnabled());
        EXPECT_TRUE(LogText().contains(message)) << LogText().toStdString();
        EXPECT_TRUE(LogText().contains("please click the 'Recheck' button"));
        ReplyAndSettle(kAck);
        EXPECT_EQ(peer.ReceivedCount(), 2 * kPacket) << "no packet after the failure";

        // Recheck asks the bootloader again, 50 ms after "n".
        peer.ClearReceived();
        sleeps.Clear();
        Widget("buttonRetry")->click();
        ASSERT_TRUE(peer.WaitForText("n@G"));
        EXPECT_EQ(sleeps.Pauses(), (std::vector<unsigned>{20, 50, 20, 20}));
        ReplyAndSettle("Master_Bootloader_BV21\r");
        EXPECT_TRUE(Widget("buttonDownload")->isEnabled());
        peer.ClearReceived();
        dialog->close();
        peer.WaitForText("n");
        peer.ClearReceived();
    }
}

TEST_F(MasterDownloaderTest, RefusedFileWarnsNamingTheLineAndDoesNotCountAsStarted) {
    std::string badChecksum = intel_hex::Record(0x10, {1, 2});
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    programDir.Write("broken.hex", QByteArray::fromStdString(intel_hex::Record(0, {1}) + "\r\n" +
                                                             badChecksum + "\r\n:00000001FF\r\n"));
    Open();
    const std::pair<QString, QString> files[] = {
        {programDir.File("broken.hex"), "Line 2 has a wrong checksum."},
        {programDir.File("missing.hex"), "The file cannot be opened."}};
    for (const auto& [file, reason] : files) {
        closer.Clear();
        Widget<QLineEdit>("lineHexPath")->setText(file);
        Widget("buttonDownload")->click();
        ASSERT_EQ(closer.Boxes().size(), 1u);
        EXPECT_EQ(closer.Boxes()[0].title, "Warning");
        EXPECT_EQ(closer.Boxes()[0].text, "Please select a correct hex file to retry!");
        EXPECT_EQ(closer.Boxes()[0].informative, reason);
        EXPECT_TRUE(Widget("buttonDownload")->isEnabled());
    }
    EXPECT_FALSE(dialog->DownloadStarted());
    PumpFor(30);
    EXPECT_EQ(peer.ReceivedCount(), 0u);

    // A port that cannot take the first packet leaves a way back, and no download.
    device.close();
    Widget<QLineEdit>("lineHexPath")->setText(hexPath);
    Widget("buttonDownload")->click();
    EXPECT_FALSE(dialog->DownloadStarted());
    EXPECT_TRUE(Widget("buttonRetry")->isEnabled());
    EXPECT_EQ(Progress(), 0);
    EXPECT_TRUE(LogText().contains("did not take the first packet"));
}

TEST_F(MasterDownloaderTest, EveryWayOutEndsTheSessionOnceAndStopsReading) {
    for (bool removal : {false, true}) {
        Open();
        if (removal) {
            ASSERT_TRUE(QMetaObject::invokeMethod(dialog.get(), "DeviceDisconnect"));
        } else {
            dialog->close();
        }
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        ASSERT_TRUE(peer.WaitForText("n"));
        PumpFor(30);
        EXPECT_EQ(peer.Received(), "n");
        ReplyAndSettle("Master_Bootloader_BV21\r");
        EXPECT_TRUE(Version().isEmpty()) << "the dialog no longer reads the bridge";
        EXPECT_FALSE(SessionLogs().isEmpty());
        peer.ClearReceived();
    }
}
