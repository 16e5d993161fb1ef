#include "HexField.h"

namespace morvex_gui {

namespace {

int HexDigit(char c) {
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

}  // namespace

int HexFieldValue(const char* first, const char* last, int start) {
    int value = start;
    for (const char* p = first; p != last; ++p) {
        const int digit = HexDigit(*p);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

int HexFieldValue(const boost::csub_match& field, int start) {
    if (!field.matched) {
        return start;
    }
    return HexFieldValue(field.first, field.second, start);
}

int ParameterDataValue(const boost::match_results<const char*>& result) {
    return HexFieldValue(result[2], HexFieldValue(result[1]));
}

}  // namespace morvex_gui
