#pragma once

#include <boost/regex.hpp>

namespace morvex_gui {

// Value of the hexadecimal digits of a captured reply field, read up to the
// first character that is not a hex digit. `start` continues a number that an
// earlier field began, so two captured bytes read as one word. No allocation:
// it runs on reply lines.
int HexFieldValue(const char* first, const char* last, int start = 0);
int HexFieldValue(const boost::csub_match& field, int start = 0);

}  // namespace morvex_gui
