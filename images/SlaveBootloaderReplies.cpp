#include "SlaveBootloaderReplies.h"

#include <cstdlib>

namespace morvex_gui {

namespace {

struct StatusFlag {
    int bit;
    const char* line;
};

constexpr StatusFlag kStatusFlags[] = {
    {0x01, "<FONT COLOR=red>Time out error!</FONT>"},
    {0x02, "<FONT COLOR=red>I2C packet CRC error!</FONT>"},
    {0x04, "<FONT COLOR=red>APP lock flag error!"},
    {0x08, "<FONT COLOR=red>Flash programmation hardware error!</FONT>"},
    {0x10, "<FONT COLOR=red>Flash programmation CRC error!</FONT>"},
    {0x20, "<FONT COLOR=red>Flash eeprom hardware error!</FONT>"},
};

}  // namespace

const boost::regex& SlaveBootloaderReplies::Acknowledge() {
    static const boost::regex pattern(
        "[0-9A-F]{2}\\s[0-9A-F]{2}\\s([0-9A-F]{2})\\s([0-9A-F]{2})\\s");
    return pattern;
}

const boost::regex& SlaveBootloaderReplies::Fail() {
    static const boost::regex pattern("F([0-9A-F]{2})\\s([0-9A-F]{2})\\s([0-9A-F]{2})");
    return pattern;
}

std::vector<std::string> SlaveBootloaderReplies::StatusFlagLines(int flags) {
    std::vector<std::string> lines;
    for (const StatusFlag& flag : kStatusFlags) {
        if ((flags & flag.bit) != 0) {
            lines.emplace_back(flag.line);
        }
    }
    return lines;
}

int SlaveBootloaderReplies::HexNumber(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 16));
}

}  // namespace morvex_gui
