#include "DeviceImages.h"

#include <fstream>
#include <locale>

namespace morvex_gui {

DeviceImages::DeviceImages() = default;

DeviceImages::~DeviceImages() = default;

bool DeviceImages::IsEnd(const char*) {
    return false;
}

bool DeviceImages::Load(const char* file) {
    _error.clear();
    // The name goes to the file system as the bytes the caller gave; the
    // contents are read byte for byte, whatever the process locale is.
    std::ifstream stream(file != nullptr ? file : "", std::ios::in | std::ios::binary);
    if (!stream.is_open()) {
        _error = "The file cannot be opened.";
        return false;
    }
    stream.imbue(std::locale::classic());
    std::string line;
    bool ended = false;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (ended) {
            _afterEnd.push_back(line);
        } else if (line.find('\0') == std::string::npos && IsEnd(line.c_str())) {
            ended = true;
        } else {
            _lines.push_back(line);
        }
    }
    if (_lines.empty()) {
        _error = "The file holds no image lines.";
        return false;
    }
    return true;
}

}  // namespace morvex_gui
