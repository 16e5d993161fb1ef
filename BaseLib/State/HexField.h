#pragma once

#include <boost/regex.hpp>

namespace morvex_gui {

// Value of the hexadecimal digits of a captured reply field, read up to the
// first character that is not a hex digit. `start` continues a number that an
// earlier field began, so two captured bytes read as one word. No allocation:
// it runs on reply lines.
int HexFieldValue(const char* first, const char* last, int start = 0);
int HexFieldValue(const boost::csub_match& field, int start = 0);

// The bridge's answer to a parameter query: one byte, optionally continued by
// a second.
constexpr const char* kParameterDataPattern =
    "the data\\s+=\\s\\S{2}\\s([0-9A-Fa-f]{2})\\s([0-9A-Fa-f]{2})?";
// Its value: the second byte continues the first, "01" "F4" reads 0x01F4.
int ParameterDataValue(const boost::match_results<const char*>& result);

}  // namespace morvex_gui
