#include "Crc16.h"

#include <algorithm>

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte) {
    std::uint32_t work = (static_cast<std::uint32_t>(crc) << 8) | byte;
    for (int bit = 0; bit < 8; ++bit) {
        work <<= 1;
        if ((work & 0x1000000u) != 0) {
            work ^= 0x800500u;
        }
    }
    return static_cast<std::uint16_t>((work >> 8) & 0xFFFFu);
}

std::uint16_t Crc16(const std::vector<unsigned char>& data, int length) {
    std::uint16_t crc = 0;
    const auto count = std::min<std::size_t>(length < 0 ? 0 : length, data.size());
    for (std::size_t i = 0; i < count; ++i) {
        crc = Crc16Update(crc, data[i]);
    }
    return crc;
}

std::uint16_t Crc16Pages(const MasterPages& pages) {
    std::uint16_t crc = 0;
    for (const auto& page : pages) {
        for (unsigned char byte : page) {
            crc = Crc16Update(crc, byte);
        }
    }
    return crc;
}
