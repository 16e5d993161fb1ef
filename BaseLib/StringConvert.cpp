#include "StringConvert.h"

#include <sstream>

namespace {

template <typename Number>
Number ReadLeading(const std::string& text) {
    std::istringstream stream(text);
    Number value{};
    if (!(stream >> value)) {
        // A failed extraction may still have stored a clamped value; the caller
        // was promised 0 for anything that is not a number in range.
        return Number{};
    }
    return value;
}

}  // namespace

int StringToInt(const std::string& text) {
    return ReadLeading<int>(text);
}

double StringToDouble(const std::string& text) {
    return ReadLeading<double>(text);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
