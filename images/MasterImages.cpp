#include "MasterImages.h"

#include <boost/regex.hpp>
#include <cstring>
#include <string>

#include "StringConvert.h"

namespace morvex_gui {

namespace {

constexpr unsigned char kBlank = 0xFF;
// ":" count(2) address(4) type(2) data(2 x 255) checksum(2): no record is
// longer, and a longer line never reaches the pattern, whose repeated group
// would need stack in proportion to it.
constexpr size_t kLongestRecord = 1 + 2 + 4 + 2 + 2 * 255 + 2;
// ":" count "00", any address, type "01", checksum: the whole end record.
constexpr size_t kEndRecordLength = 11;

const boost::regex& DataRecordPattern() {
    static const boost::regex pattern(
        "^:([0-9A-Fa-f]{2})([0-9A-Fa-f]{4})00(([0-9A-Fa-f]{2})+)[0-9A-Fa-f]{2}$");
    return pattern;
}

unsigned char HexByte(const char* line, size_t at) {
    return static_cast<unsigned char>(HexDigitValue(line[at]) * 16 + HexDigitValue(line[at + 1]));
}

unsigned char HexByte(const std::string& line, size_t at) {
    return HexByte(line.c_str(), at);
}

// The record's bytes after the colon sum to 0 modulo 256; every digit is hex.
bool SumsRight(const char* line, size_t length) {
    unsigned sum = 0;
    for (size_t at = 1; at + 1 < length; at += 2) {
        if (HexDigitValue(line[at]) < 0 || HexDigitValue(line[at + 1]) < 0) {
            return false;
        }
        sum += HexByte(line, at);
    }
    return (sum & 0xFF) == 0;
}

bool IsOfType01(const std::string& line) {
    return line.size() > 8 && line[0] == ':' && line[7] == '0' && line[8] == '1';
}

// Why the line cannot be a data record, or nullptr when it has the shape of one.
const char* DataRecordShapeRefusal(const std::string& line) {
    if (line.size() > kLongestRecord) {
        return " is longer than any record.";
    }
    if (boost::regex_match(line, DataRecordPattern())) {
        return nullptr;
    }
    return IsOfType01(line) ? " is not a valid end record."
                            : " is not a data record with a 16-bit address.";
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
        if (!SumsRight(line.c_str(), line.size())) {
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

// Only the whole end record ends the image: a damaged line taken for it would
// cut the image short and flash blanks where its data belongs.
bool MasterImages::IsEnd(const char* line) {
    const size_t length = strnlen(line, kEndRecordLength + 1);
    return length == kEndRecordLength && line[0] == ':' && SumsRight(line, length) &&
           HexByte(line, 1) == 0 && HexByte(line, 7) == 1;
}

bool MasterImages::Parse(MasterPages& pages) {
    _error.clear();
    ImageBuffer image(_pageCount);
    for (size_t index = 0; index < _lines.size(); ++index) {
        const std::string& line = _lines[index];
        const char* refusal = DataRecordShapeRefusal(line);
        if (refusal == nullptr) {
            refusal = image.Place(line);
        }
        if (refusal != nullptr) {
            _error = "Line " + std::to_string(index + 1) + refusal;
            return false;
        }
    }
    image.AppendPages(pages);
    return true;
}

}  // namespace morvex_gui
