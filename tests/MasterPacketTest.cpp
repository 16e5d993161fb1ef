#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "BenchDevice.h"
#include "BridgePeer.h"
#include "CloseState.h"
#include "Crc16.h"
#include "Device.h"
#include "RecordingWindowImp.h"
#include "SleepRecorder.h"

using morvex_gui::CloseState;
using morvex_gui::Device;
using morvex_gui::State;

namespace {

using PlainDevice = BenchDevice<Device>;

MasterPages Image(size_t pageCount) {
    MasterPages pages(pageCount, std::vector<unsigned char>(128));
    for (size_t p = 0; p < pageCount; ++p) {
        for (size_t i = 0; i < 128; ++i) {
            pages[p][i] = static_cast<unsigned char>((p * 131 + i * 17) & 0xFF);
        }
    }
    return pages;
}

unsigned Word(const std::string& bytes, size_t offset) {
    return static_cast<unsigned char>(bytes[offset]) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[offset + 1])) << 8;
}

class MasterPacketTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device.Open(peer.PortName(), "230400")); }

    BridgePeer peer;
    RecordingWindowImp imp;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    SleepRecorder sleeps;
    PlainDevice device{&imp, &current};
};

}  // namespace

TEST_F(MasterPacketTest, ImageOf112PagesGoesOutAs113PacketsEndingWithTheImageCrc) {
    const MasterPages pages = Image(112);
    sleeps.Clear();
    ASSERT_TRUE(device.StartMasterDownload(pages));
    for (int i = 1; i <= 112; ++i) {
        ASSERT_TRUE(device.SendMasterPacket(pages, 0));
    }
    EXPECT_FALSE(device.SendMasterPacket(pages, 0)) << "nothing after the end packet";
    EXPECT_EQ(device._packetIndex, 113);
    EXPECT_EQ(device._imageCrc, Crc16Pages(pages));
    EXPECT_EQ(sleeps.Pauses(), std::vector<unsigned>(113, 20));

    ASSERT_TRUE(peer.WaitForBytes(113 * 135));
    EXPECT_FALSE(peer.WaitForBytes(113 * 135 + 1, 100));
    const std::string wire = peer.Received();
    for (size_t n = 0; n < 113; ++n) {
        const std::string packet = wire.substr(n * 135, 135);
        const std::vector<unsigned char> body(packet.begin(), packet.begin() + 133);
        EXPECT_EQ(Word(packet, 133), Crc16(body, 133)) << "packet " << n;
        EXPECT_EQ(packet.substr(0, 2), std::string("\x01\x01", 2));
        if (n < 112) {
            EXPECT_EQ(packet[2], '\x00');
            EXPECT_EQ(Word(packet, 3), n * 128);
            EXPECT_EQ(std::string(pages[n].begin(), pages[n].end()), packet.substr(5, 128));
        }
    }
    const std::string page3 = wire.substr(3 * 135, 135);
    EXPECT_EQ(static_cast<unsigned char>(page3[3]), 0x80);
    EXPECT_EQ(static_cast<unsigned char>(page3[4]), 0x01);

    const std::string end = wire.substr(112 * 135, 135);
    EXPECT_EQ(end[2], '\x01');
    EXPECT_EQ(Word(end, 3), Crc16Pages(pages));
    EXPECT_EQ(end.substr(5, 128), std::string(128, '\0'));
}

TEST_F(MasterPacketTest, BadImagesAreRefusedBeforeAnythingIsSentAndANewTransferStartsOver) {
    MasterPages shortPage = Image(4);
    shortPage[2].pop_back();
    MasterPages longPage = Image(4);
    longPage[3].push_back(0xFF);
    sleeps.Clear();
    for (const MasterPages& bad : {shortPage, longPage, Image(513), MasterPages{}}) {
        EXPECT_FALSE(device.StartMasterDownload(bad));
    }
    EXPECT_FALSE(device.SendMasterPacket(Image(4), 1)) << "only mode 0 exists";
    EXPECT_TRUE(sleeps.Pauses().empty());
    EXPECT_FALSE(peer.WaitForBytes(1, 100));

    const MasterPages pages = Image(1);
    ASSERT_TRUE(device.StartMasterDownload(pages));
    ASSERT_TRUE(device.SendMasterPacket(pages, 0));
    ASSERT_TRUE(peer.WaitForBytes(270));
    peer.ClearReceived();
    ASSERT_TRUE(device.StartMasterDownload(pages));
    ASSERT_TRUE(peer.WaitForBytes(135));
    EXPECT_EQ(Word(peer.Received(), 3), 0u) << "page 0 again";
    EXPECT_TRUE(device.StartMasterDownload(Image(512))) << "512 pages still fit the address";
}

TEST(MasterPacketClosedTest, ClosedPortReportsTheFailedWrite) {
    RecordingWindowImp imp;
    SleepRecorder sleeps;
    boost::shared_ptr<State> current = boost::make_shared<CloseState>(&imp);
    PlainDevice device(&imp, &current);
    EXPECT_FALSE(device.StartMasterDownload(Image(2)));
    EXPECT_EQ(device._packetIndex, 1);
}

TEST(Crc16Test, BitByBitCrcOfPolynomial8005) {
    const std::string abc = "abcdef";
    const std::vector<unsigned char> bytes(abc.begin(), abc.end());
    EXPECT_EQ(Crc16(bytes, 3), 0xE326) << "only the first length bytes count";
    EXPECT_EQ(Crc16({0x01}, 1), 0x0001);
    EXPECT_EQ(Crc16(bytes, 0), 0);
    EXPECT_EQ(Crc16(bytes, -4), 0);
    EXPECT_EQ(Crc16Update(0, 0x01), 0x0001);

    MasterPages pages = Image(3);
    std::vector<unsigned char> all;
    for (const auto& page : pages) {
        all.insert(all.end(), page.begin(), page.end());
    }
    EXPECT_EQ(Crc16Pages(pages), Crc16(all, static_cast<int>(all.size())));
    EXPECT_EQ(Crc16Pages({}), 0);
    std::swap(pages[0], pages[2]);
    EXPECT_NE(Crc16Pages(pages), Crc16(all, static_cast<int>(all.size())));
}
