#pragma once

#include <string>

// Reads a leading decimal number the way a stream extraction does: leading
// white space skipped, optional sign, stops at the first character that cannot
// continue the number. Text that does not begin with a number gives 0.
int StringToInt(const std::string& text);
double StringToDouble(const std::string& text);

// The value of a hexadecimal digit, either case; -1 for any other character.
int HexDigitValue(char c);
