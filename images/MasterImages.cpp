#include "MasterImages.h"

#include <boost/regex.hpp>
#include <cstdlib>
#include <string>

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

const char* At(const std::string& text, std::string::const_iterator position) {
    return text.data() + (position - text.begin());
}

long HexValue(const char* first, const char* last) {
    long value = 0;
    for (const char* c = first; c != last; ++c) {
        const int digit = (*c <= '9') ? *c - '0' : (*c | 0x20) - 'a' + 10;
        value = value * 16 + digit;
    }
    return value;
}

// Fills pages byte by byte; a page is stored once the byte after it arrives,
// so an image ending on a page boundary leaves that page current.
class PageFiller {
public:
    PageFiller(MasterPages& pages, int pageCount)
        : _pages(pages), _first(pages.size()), _pageCount(pageCount) {
        _page.reserve(kMasterPageSize);
    }

    // False once the image has outgrown the page count.
    bool Add(unsigned char byte) {
        if (_page.size() == kMasterPageSize) {
            _pages.push_back(_page);
            _page.clear();
        }
        _page.push_back(byte);
        return !Overflowed();
    }

    bool Overflowed() const { return Stored() >= static_cast<long>(_pageCount); }

    void Finish() {
        _page.resize(kMasterPageSize, kBlank);
        _pages.push_back(_page);
        const std::vector<unsigned char> blankPage(kMasterPageSize, kBlank);
        while (Stored() < static_cast<long>(_pageCount)) {
            _pages.push_back(blankPage);
        }
    }

    void Discard() { _pages.resize(_first); }

private:
    long Stored() const { return static_cast<long>(_pages.size() - _first); }

    MasterPages& _pages;
    const size_t _first;
    const int _pageCount;
    std::vector<unsigned char> _page;
};

}  // namespace

MasterImages::MasterImages(int pageCount) : _pageCount(pageCount) {}

bool MasterImages::IsEnd(const char* line) {
    return boost::regex_search(line, EndRecordPattern());
}

bool MasterImages::Parse(MasterPages& pages) {
    _error.clear();
    PageFiller filler(pages, _pageCount);
    long runningAddress = 0;
    boost::smatch record;
    for (size_t index = 0; index < _lines.size(); ++index) {
        const std::string& line = _lines[index];
        if (!boost::regex_match(line, record, DataRecordPattern())) {
            _error = "Line " + std::to_string(index + 1) +
                     " is not a data record with a 16-bit address.";
            filler.Discard();
            return false;
        }
        const long address = HexValue(At(line, record[2].first), At(line, record[2].second));
        // The fill bytes take the image up to the record's address.
        for (; runningAddress < address; ++runningAddress) {
            if (!filler.Add(kBlank)) {
                break;
            }
        }
        const char* data = At(line, record[3].first);
        const char* dataEnd = At(line, record[3].second);
        for (; data != dataEnd && !filler.Overflowed(); data += 2) {
            filler.Add(static_cast<unsigned char>(HexValue(data, data + 2)));
        }
        if (filler.Overflowed()) {
            break;
        }
        runningAddress += HexValue(At(line, record[1].first), At(line, record[1].second));
    }
    if (filler.Overflowed()) {
        _error =
            "The image does not fit into " + std::to_string(_pageCount) + " pages of 128 bytes.";
        filler.Discard();
        return false;
    }
    filler.Finish();
    return true;
}

}  // namespace morvex_gui
