#include "MasterImages.h"

#include <boost/regex.hpp>
#include <string>

#include "StringConvert.h"

namespace morvex_gui {

namespace {

constexpr unsigned char kBlank = 0xFF;

const boost::regex& EndRecordPattern() {
    static const boost::regex pattern("^:[0-9a-fA-F]{6}01.+");
    return pattern;
}

const boost::regex& DataRecordPattern() {
    static const boost::regex pattern(
        "^:([0-9A-Fa-f]{2})([0-9A-Fa-f]{4})00(([0-9A-Fa-f]{2})+)[0-9A-Fa-f]{2}$");
    return pattern;
}

unsigned char HexByte(const std::string& line, size_t at) {
    return static_cast<unsigned char>(HexDigitValue(line[at]) * 16 + HexDigitValue(line[at + 1]));
}

// The image being assembled: every byte knows whether a record has set it, so
// records may come in any order but never overlap.
class ImageBuffer {
public:
    explicit ImageBuffer(int pageCount)
        : _bytes(pageCount > 0 ? static_cast<size_t>(pageCount) * kMasterPageSize : 0, kBlank),
          _set(_bytes.size(), false) {}

    // Why the record cannot be placed, or nullptr once it is.
    const char* Place(const std::string& line) {
        // ":" count(2) address(4) type(2) data checksum(2)
        const size_t dataLength = (line.size() - 11) / 2;
        const size_t count = HexByte(line, 1);
        if (count != dataLength) {
            return " has a byte count that does not match its data.";
        }
        unsigned sum = 0;
        for (size_t at = 1; at < line.size(); at += 2) {
            sum += HexByte(line, at);
        }
        if ((sum & 0xFF) != 0) {
            return " has a wrong checksum.";
        }
        const size_t address = HexByte(line, 3) * 256u + HexByte(line, 5);
        if (address + count > _bytes.size()) {
            return " lies outside the image.";
        }
        for (size_t i = 0; i < count; ++i) {
            if (_set[address + i]) {
                return " overlaps an earlier record.";
            }
        }
        for (size_t i = 0; i < count; ++i) {
            _bytes[address + i] = HexByte(line, 9 + 2 * i);
            _set[address + i] = true;
        }
        return nullptr;
    }

    void AppendPages(MasterPages& pages) const {
        for (size_t at = 0; at < _bytes.size(); at += kMasterPageSize) {
            pages.emplace_back(_bytes.begin() + static_cast<long>(at),
                               _bytes.begin() + static_cast<long>(at + kMasterPageSize));
        }
    }

private:
    std::vector<unsigned char> _bytes;
    std::vector<bool> _set;
};

}  // namespace

MasterImages::MasterImages(int pageCount) : _pageCount(pageCount) {}

bool MasterImages::IsEnd(const char* line) {
    return boost::regex_search(line, EndRecordPattern());
}

bool MasterImages::Parse(MasterPages& pages) {
    _error.clear();
    ImageBuffer image(_pageCount);
    for (size_t index = 0; index < _lines.size(); ++index) {
        const std::string& line = _lines[index];
        const char* refusal = boost::regex_match(line, DataRecordPattern())
                                  ? image.Place(line)
                                  : " is not a data record with a 16-bit address.";
        if (refusal != nullptr) {
            _error = "Line " + std::to_string(index + 1) + refusal;
            return false;
        }
    }
    image.AppendPages(pages);
    return true;
}

}  // namespace morvex_gui
