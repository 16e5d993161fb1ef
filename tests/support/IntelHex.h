#pragma once

#include <string>
#include <vector>

// Intel HEX text for the master image tests.
namespace intel_hex {

const char* const kEnd = ":00000001FF";

// One type-00 record with its correct checksum.
std::string Record(unsigned address, const std::vector<unsigned char>& data);

// `count` bytes from address 0 (byte i = i & 0xFF) in records of 16 bytes,
// each line ended by CR LF, then the end record.
std::string Image(unsigned count);

}  // namespace intel_hex
