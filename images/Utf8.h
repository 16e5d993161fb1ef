#pragma once

#include <cstddef>
#include <string>

// The length of the well-formed UTF-8 sequence at `at` (no overlong form, no
// surrogate, nothing past U+10FFFF) and its code point; 0 when none stands
// there, the end of `text` included.
size_t Utf8At(const std::string& text, size_t at, char32_t* code);

// Appends `code` to `text` as UTF-8.
void AppendUtf8(char32_t code, std::string& text);

// Calls `visit` with each character of `text` up to the first byte that
// starts no well-formed UTF-8 sequence; that byte, or npos when none does.
template <typename Visit>
size_t EachUtf8(const std::string& text, Visit visit) {
    for (size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const size_t length = Utf8At(text, at, &code);
        if (length == 0) {
            return at;
        }
        visit(code);
        at += length;
    }
    return std::string::npos;
}
