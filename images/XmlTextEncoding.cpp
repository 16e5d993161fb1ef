#include "XmlTextEncoding.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "Utf8.h"
#include "XmlMarkup.h"

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

std::string At(size_t byte) {
    return " at byte " + std::to_string(byte);
}

bool IsNamed(const std::string& name, const char* expected) {
    return std::equal(
        name.begin(), name.end(), expected, expected + std::strlen(expected),
        [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

// The name upper-cased, without the dashes, underscores, dots and blanks in
// which its spellings differ ("utf_7", "UTF-7").
std::string Normalised(const std::string& name) {
    std::string normal;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0) {
            normal += static_cast<char>(std::toupper(byte));
        }
    }
    return normal;
}

// An IBM or Microsoft code page number behind one of its prefixes ("IBM037",
// "cp1047", "csIBM500", "x-IBM930", "CCSID 1140") that is an EBCDIC page.
bool IsEbcdicCodePage(const std::string& normal) {
    static const std::set<unsigned long> kEbcdicPages = {
        37,    273,   277,   278,   280,   284,   285,   290,   297,   420,   423,   424,
        500,   833,   834,   835,   836,   837,   838,   870,   871,   875,   880,   905,
        918,   924,   930,   931,   933,   935,   937,   939,   1025,  1026,  1027,  1047,
        1097,  1112,  1122,  1123,  1130,  1132,  1137,  1140,  1141,  1142,  1143,  1144,
        1145,  1146,  1147,  1148,  1149,  1153,  1154,  1155,  1156,  1157,  1158,  1159,
        1160,  1164,  1165,  1166,  1364,  1371,  1388,  1390,  1399,  4971,  5026,  5035,
        16684, 20273, 20277, 20278, 20280, 20284, 20285, 20290, 20297, 20420, 20423, 20424,
        20833, 20838, 20871, 20880, 20905, 20924, 21025, 21027};
    if (normal == "IBMTHAI") {
        return true;
    }
    for (const std::string prefix : {"CSIBM", "XIBM", "IBM", "CP", "CCSID"}) {
        const std::string number = normal.substr(std::min(prefix.size(), normal.size()));
        if (normal.compare(0, prefix.size(), prefix) == 0 && !number.empty() &&
            number.size() <= 6 && std::all_of(number.begin(), number.end(), [](char c) {
                return c >= '0' && c <= '9';
            })) {
            return kEbcdicPages.count(std::stoul(number)) > 0;
        }
    }
    return false;
}

// Whether every byte below 0x80 is the ASCII character it would be in UTF-8.
// Not so in the seven-bit and shifting forms (UTF-7, the ISO-2022 family, HZ),
// the wide forms (UTF-16 and UTF-32 without their mark) and EBCDIC.
bool KeepsAsciiBytes(const std::string& name) {
    const std::string normal = Normalised(name);
    for (const char* family : {"UTF7", "2022", "JISENCODING", "EBCDIC", "UTF16", "UTF32", "UCS2",
                               "UCS4", "UNICODE", "SCSU", "BOCU"}) {
        if (normal.find(family) != std::string::npos) {
            return false;
        }
    }
    const bool shifting = normal.compare(0, 2, "HZ") == 0 || normal.compare(0, 6, "CP5022") == 0;
    return normal != "UTF1" && !shifting && !IsEbcdicCodePage(normal);
}

// Half of the first few bytes NUL, alternately: the characters of a UTF-16
// file below U+0100 without the mark that tells the XML library so. The byte
// order, or empty.
std::string Utf16WithoutMark(const std::string& bytes) {
    const size_t checked = std::min<size_t>(bytes.size() & ~size_t{1}, 8);
    if (checked < 4) {
        return {};
    }
    bool lowFirst = true;
    bool highFirst = true;
    for (size_t at = 0; at < checked; at += 2) {
        const bool firstNul = bytes[at] == '\0';
        const bool secondNul = bytes[at + 1] == '\0';
        lowFirst = lowFirst && !firstNul && secondNul;
        highFirst = highFirst && firstNul && !secondNul;
    }
    return lowFirst ? "UTF-16LE" : highFirst ? "UTF-16BE" : "";
}

}  // namespace

bool XmlTextEncoding::Decode(const std::string& bytes, std::string& text, std::string& reason) {
    _byteOrderMark = false;
    _otherDeclared.clear();
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
    const std::string utf16 = Utf16WithoutMark(bytes);
    if (!utf16.empty()) {
        reason = "it looks like " + utf16 +
                 " without a byte order mark, which a UTF-16 file must begin with";
        return false;
    }
    _byteOrderMark = StartsWith(bytes, kUtf8ByteOrderMark, 3);
    if (!ReadDeclaration(bytes, reason)) {
        return false;
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

bool XmlTextEncoding::ReadDeclaration(const std::string& bytes, std::string& reason) {
    const std::string declared = DeclaredXmlEncoding(bytes);
    if (declared.empty() || IsNamed(declared, "UTF-8") || IsNamed(declared, "UTF-16")) {
        return true;
    }
    if (!KeepsAsciiBytes(declared)) {
        reason = "it declares the encoding \"" + declared +
                 "\", in which ASCII bytes need not be ASCII characters";
        return false;
    }
    _otherDeclared = declared;
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
        const bool markLost = _byteOrderMark && !StartsWith(text, kUtf8ByteOrderMark, 3);
        bytes = markLost ? kUtf8ByteOrderMark + text : text;
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
