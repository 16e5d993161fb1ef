#include "HexField.h"

#include "StringConvert.h"

namespace morvex_gui {

int HexFieldValue(const char* first, const char* last, int start) {
    int value = start;
    for (const char* p = first; p != last; ++p) {
        const int digit = HexDigitValue(*p);
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
