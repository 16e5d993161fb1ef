#pragma once

#include <cstdint>
#include <vector>

#include "MasterPacket.h"

// CRC-16 with the polynomial 0x8005, most significant bit first, start 0, no
// reflection and no final XOR, each data byte shifted in below the register.
// (The usual table-driven CRC of some data equals this CRC of the same data
// followed by two zero bytes.)
std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte);
// CRC of data[0 .. length); 0 when length < 1.
std::uint16_t Crc16(const std::vector<unsigned char>& data, int length);
// CRC of every byte of every page, in order; 0 for no pages.
std::uint16_t Crc16Pages(const MasterPages& pages);
