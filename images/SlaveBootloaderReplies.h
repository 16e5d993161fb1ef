#pragma once

#include <boost/regex.hpp>
#include <string>
#include <vector>

namespace morvex_gui {

// What the slave's bootloader reports through the bridge while an image goes
// out, shared by the downloads that send one.
class SlaveBootloaderReplies {
public:
    // The acknowledgement of one record; group 1 is the status byte.
    static const boost::regex& Acknowledge();
    // A failed download: error line (groups 1 and 2) and status byte (group 3).
    static const boost::regex& Fail();
    // One red operator line per set bit of a status byte (bits 0x40 and 0x80
    // have none).
    static std::vector<std::string> StatusFlagLines(int flags);
    static int HexNumber(const std::string& text);
};

}  // namespace morvex_gui
