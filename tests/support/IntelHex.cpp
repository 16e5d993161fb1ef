#include "IntelHex.h"

#include <algorithm>
#include <cstdio>

namespace intel_hex {

std::string Record(unsigned address, const std::vector<unsigned char>& data) {
    char pair[16];
    std::snprintf(pair, sizeof pair, ":%02X%04X00", static_cast<unsigned>(data.size()), address);
    std::string line = pair;
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF);
    for (unsigned char byte : data) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        line += pair;
        sum += byte;
    }
    std::snprintf(pair, sizeof pair, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + pair;
}

std::string Image(unsigned count) {
    std::string text;
    for (unsigned done = 0; done < count; done += 16) {
        std::vector<unsigned char> data;
        for (unsigned i = done; i < std::min(count, done + 16); ++i) {
            data.push_back(static_cast<unsigned char>(i & 0xFF));
        }
        text += Record(done, data) + "\r\n";
    }
    return text + kEnd + "\r\n";
}

}  // namespace intel_hex
