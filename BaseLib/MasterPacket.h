#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The master image as 128-byte pages in address order.
using MasterPages = std::vector<std::vector<unsigned char>>;

constexpr std::size_t kMasterPageSize = 128;
constexpr std::size_t kMasterPacketSize = 135;
// The page address is 16 bits wide.
constexpr std::size_t kMaxMasterPages = 512;

using MasterPacket = std::array<unsigned char, kMasterPacketSize>;

// Why the pages cannot be sent; empty when they can.
const char* MasterImageFault(const MasterPages& pages);

// Packet `index` of a transfer: the data packet of that page, or the end
// packet carrying `imageCrc` when index equals the page count. Both end in
// the CRC-16 of their first 133 bytes, low byte first.
MasterPacket BuildMasterPacket(const MasterPages& pages, std::size_t index, std::uint16_t imageCrc);
