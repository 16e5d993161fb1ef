#include "Utf8.h"

namespace {

unsigned Byte(const std::string& text, size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0x100;
}

bool IsContinuation(unsigned byte, unsigned lowest = 0x80, unsigned highest = 0xBF) {
    return byte >= lowest && byte <= highest;
}

}  // namespace

size_t Utf8At(const std::string& text, size_t at, char32_t* code) {
    const unsigned lead = Byte(text, at);
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    size_t length = 0;
    unsigned lowest = 0x80;
    unsigned highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = lead == 0xE0 ? 0xA0 : lowest;
        highest = lead == 0xED ? 0x9F : highest;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = lead == 0xF0 ? 0x90 : lowest;
        highest = lead == 0xF4 ? 0x8F : highest;
    } else {
        return 0;
    }
    if (!IsContinuation(Byte(text, at + 1), lowest, highest)) {
        return 0;
    }
    char32_t value = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        if (!IsContinuation(Byte(text, at + i))) {
            return 0;
        }
        value = (value << 6) | (Byte(text, at + i) & 0x3Fu);
    }
    *code = value;
    return length;
}

void AppendUtf8(char32_t code, std::string& text) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}
