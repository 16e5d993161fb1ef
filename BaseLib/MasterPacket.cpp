#include "MasterPacket.h"

#include <algorithm>

#include "Crc16.h"

namespace {

constexpr std::size_t kCrcOffset = kMasterPacketSize - 2;

void PutWord(MasterPacket& packet, std::size_t offset, std::uint16_t value) {
    packet[offset] = static_cast<unsigned char>(value & 0xFF);
    packet[offset + 1] = static_cast<unsigned char>(value >> 8);
}

}  // namespace

const char* MasterImageFault(const MasterPages& pages) {
    if (pages.empty()) {
        return "the image has no pages";
    }
    if (pages.size() > kMaxMasterPages) {
        return "the image has more than 512 pages";
    }
    const bool allFull = std::all_of(pages.begin(), pages.end(), [](const auto& page) {
        return page.size() == kMasterPageSize;
    });
    return allFull ? "" : "a page is not 128 bytes";
}

MasterPacket BuildMasterPacket(const MasterPages& pages, std::size_t index,
                               std::uint16_t imageCrc) {
    MasterPacket packet{};
    packet[0] = 0x01;
    packet[1] = 0x01;
    if (index >= pages.size()) {
        packet[2] = 0x01;
        PutWord(packet, 3, imageCrc);
    } else {
        packet[2] = 0x00;
        PutWord(packet, 3, static_cast<std::uint16_t>(index * kMasterPageSize));
        const auto& page = pages[index];
        std::copy_n(page.begin(), std::min(page.size(), kMasterPageSize), packet.begin() + 5);
    }
    const std::vector<unsigned char> body(packet.begin(), packet.begin() + kCrcOffset);
    PutWord(packet, kCrcOffset, Crc16(body, static_cast<int>(kCrcOffset)));
    return packet;
}
