#pragma once

#include <string>

namespace platform {

// UTF-8 text (as XML files carry it) in the local 8-bit code page that the
// settings store and the file APIs use. Characters the local code page cannot
// represent come out as Qt's replacement.
std::string Utf8ToLocal8Bit(const std::string& utf8);

}  // namespace platform
