#include "XmlTextEncoding.h"

namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;
const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kPastSurrogates = 0xE000;

bool StartsWith(const std::string& bytes, const char* prefix, size_t length) {
    return bytes.compare(0, length, prefix, length) == 0;
}

unsigned Byte(const std::string& text, size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0x100;
}

bool IsContinuation(unsigned byte, unsigned lowest = 0x80, unsigned highest = 0xBF) {
    return byte >= lowest && byte <= highest;
}

// The length of the well-formed UTF-8 sequence at `at` (no overlong form, no
// surrogate, nothing past U+10FFFF) and its code point; 0 when none stands there.
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

std::string At(size_t byte) {
    return " at byte " + std::to_string(byte);
}

}  // namespace

bool XmlTextEncoding::Decode(const std::string& bytes, std::string& text, std::string& reason) {
    if (StartsWith(bytes, "\x00\x00\xFE\xFF", 4) || StartsWith(bytes, "\xFF\xFE\x00\x00", 4)) {
        reason = "it is UTF-32, which the XML library does not read";
        return false;
    }
    _form = StartsWith(bytes, "\xFF\xFE", 2)   ? Form::Utf16LittleEndian
            : StartsWith(bytes, "\xFE\xFF", 2) ? Form::Utf16BigEndian
                                               : Form::Utf8;
    if (_form != Form::Utf8) {
        return DecodeUtf16(bytes, text, reason);
    }
    const size_t invalid = EachUtf8(bytes, [](char32_t) {});
    if (invalid != std::string::npos) {
        reason = "it is not valid UTF-8" + At(invalid);
        return false;
    }
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        reason = "it holds a NUL character" + At(nul);
        return false;
    }
    text = bytes;
    return true;
}

bool XmlTextEncoding::DecodeUtf16(const std::string& bytes, std::string& text,
                                  std::string& reason) const {
    const bool bigEndian = _form == Form::Utf16BigEndian;
    const auto unitAt = [&](size_t at) -> char32_t {
        const unsigned first = Byte(bytes, at);
        const unsigned second = Byte(bytes, at + 1);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    if (bytes.size() % 2 != 0) {
        reason = "its UTF-16 ends in half a character";
        return false;
    }
    text.clear();
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size(); at += 2) {
        char32_t code = unitAt(at);
        if (code >= kFirstSurrogate && code < kPastSurrogates) {
            const char32_t low = at + 2 < bytes.size() ? unitAt(at + 2) : 0;
            if (code >= kFirstLowSurrogate || low < kFirstLowSurrogate || low >= kPastSurrogates) {
                reason = "it is not valid UTF-16" + At(at);
                return false;
            }
            code = 0x10000 + ((code - kFirstSurrogate) << 10) + (low - kFirstLowSurrogate);
            at += 2;
        }
        if (code == 0) {
            reason = "it holds a NUL character" + At(at);
            return false;
        }
        AppendUtf8(code, text);
    }
    return true;
}

bool XmlTextEncoding::Encode(const std::string& text, std::string& bytes,
                             std::string& reason) const {
    if (_form == Form::Utf8) {
        bytes = text;
        return true;
    }
    bytes.clear();
    bytes.reserve(text.size() * 2 + 2);
    if (!StartsWith(text, kUtf8ByteOrderMark, 3)) {
        AppendUtf16(kByteOrderMark, bytes);
    }
    const size_t invalid = EachUtf8(text, [&](char32_t code) { AppendUtf16(code, bytes); });
    if (invalid != std::string::npos) {
        reason = "its text is not valid UTF-8" + At(invalid);
        return false;
    }
    return true;
}

void XmlTextEncoding::AppendUtf16(char32_t code, std::string& bytes) const {
    const auto append = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += _form == Form::Utf16BigEndian ? high : low;
        bytes += _form == Form::Utf16BigEndian ? low : high;
    };
    if (code < 0x10000) {
        append(code);
        return;
    }
    code -= 0x10000;
    append(kFirstSurrogate + (code >> 10));
    append(kFirstLowSurrogate + (code & 0x3FF));
}
