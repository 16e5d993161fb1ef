#include "CharacterReferenceKeeper.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "XmlMarkup.h"

namespace {

constexpr uint32_t kFirstPrivateUse = 0xE000;
constexpr uint32_t kLastPrivateUse = 0xF8FF;
constexpr uint32_t kByteOrderMark = 0xFEFF;
// Larger than any code point; a longer run of digits stays at it.
constexpr uint32_t kPastCodePoints = 0x110000;
const char kRawByteOrderMark[] = "\xEF\xBB\xBF";
const char kByteOrderMarkReference[] = "&#xFEFF;";

// What Mini-XML writes raw where a reader would make something else of it.
const std::set<uint32_t> kKeptInAttributes = {'\t', '\n', '\r', kByteOrderMark};
const std::set<uint32_t> kKeptInCharacterData = {'\r', kByteOrderMark};

// Where the first of `chars` stands in text[begin, end), `end` when none
// does: a search never runs past its part.
size_t FindAnyIn(const std::string& text, size_t begin, size_t end, std::string_view chars) {
    const size_t at = std::string_view(text).substr(begin, end - begin).find_first_of(chars);
    return at == std::string_view::npos ? end : begin + at;
}

bool IsRawByteOrderMark(const std::string& text, size_t at) {
    return text.compare(at, 3, kRawByteOrderMark) == 0;
}

bool IsDigit(char c, bool hex) {
    const auto byte = static_cast<unsigned char>(c);
    return hex ? std::isxdigit(byte) != 0 : std::isdigit(byte) != 0;
}

uint32_t DigitValue(char c) {
    const auto byte = static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    return byte <= '9' ? byte - '0' : byte - 'a' + 10;
}

// The length of the character reference ("&#13;", "&#x0D;") at `at`, 0 when
// none stands there, and its code point.
size_t ReferenceAt(const std::string& text, size_t at, uint32_t* code) {
    if (text.compare(at, 2, "&#") != 0) {
        return 0;
    }
    size_t next = at + 2;
    const bool hex = next < text.size() && text[next] == 'x';
    next += hex ? 1 : 0;
    const size_t digits = next;
    uint64_t value = 0;
    for (; next < text.size() && IsDigit(text[next], hex); ++next) {
        value =
            std::min<uint64_t>(value * (hex ? 16 : 10) + DigitValue(text[next]), kPastCodePoints);
    }
    if (next == digits || next == text.size() || text[next] != ';') {
        return 0;
    }
    *code = static_cast<uint32_t>(value);
    return next + 1 - at;
}

// A code point of the private-use area (three bytes of UTF-8).
std::string PrivateUseUtf8(uint32_t code) {
    return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
            static_cast<char>(0x80 | (code & 0x3F))};
}

// The code point of the three-byte UTF-8 sequence at `at`, which the caller
// has found to begin with a lead byte of the private-use area.
uint32_t PrivateUseAt(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    return ((lead & 0x0Fu) << 12) | ((second & 0x3Fu) << 6) | (third & 0x3Fu);
}

// Lead bytes of the three-byte sequences that private-use code points start with.
constexpr std::string_view kPrivateUseLeads = "\xEE\xEF";

// Every private-use code point that `text` holds raw or references.
std::set<uint32_t> PrivateUseTaken(const std::string& text) {
    std::set<uint32_t> taken;
    for (size_t at = 0; at + 2 < text.size(); ++at) {
        uint32_t code = 0;
        if (ReferenceAt(text, at, &code) > 0) {
            taken.insert(code);
        }
        if (kPrivateUseLeads.find(text[at]) != std::string_view::npos) {
            taken.insert(PrivateUseAt(text, at));
        }
    }
    return taken;
}

}  // namespace

CharacterReferenceKeeper::CharacterReferenceKeeper(const std::string& text)
    : _taken(PrivateUseTaken(text)), _nextStandIn(kFirstPrivateUse) {
    _guarded.reserve(text.size());
    size_t start = 0;
    if (IsRawByteOrderMark(text, 0)) {
        _guarded += kRawByteOrderMark;
        start = 3;
    }
    for (const XmlPart& part : XmlParts(text)) {
        const size_t begin = std::max(part.begin, start);
        if (begin >= part.end) {
            continue;
        }
        switch (part.kind) {
            case XmlPart::Kind::CharacterData:
                CopyGuarding(text, begin, part.end, kKeptInCharacterData);
                break;
            case XmlPart::Kind::Tag:
                GuardTag(text, begin, part.end);
                break;
            case XmlPart::Kind::CData:
                CopyUnguarded(text, begin, part.end, "a CDATA section");
                break;
            case XmlPart::Kind::KeptRaw:
                // Written byte for byte as read, or not at all.
                _guarded.append(text, begin, part.end - begin);
                break;
        }
    }
}

std::string CharacterReferenceKeeper::Restored(std::string written) const {
    if (_references.empty()) {
        return written;
    }
    std::string restored;
    restored.reserve(written.size() + written.size() / 2);
    size_t copied = 0;
    for (size_t at = written.find_first_of(kPrivateUseLeads);
         at != std::string::npos && at + 2 < written.size();
         at = written.find_first_of(kPrivateUseLeads, at + 1)) {
        const auto reference = _references.find(PrivateUseAt(written, at));
        if (reference == _references.end()) {
            continue;
        }
        restored.append(written, copied, at - copied);
        restored += reference->second;
        copied = at + 3;
    }
    restored.append(written, copied, std::string::npos);
    return restored;
}

// Outside its quoted values a tag holds only names, where no reference can stand.
void CharacterReferenceKeeper::GuardTag(const std::string& text, size_t begin, size_t end) {
    size_t at = begin;
    while (at < end) {
        const size_t open = FindAnyIn(text, at, end, "\"'");
        CopyUnguarded(text, at, open, "a tag, outside its attribute values");
        if (open == end) {
            return;
        }
        const size_t close = FindAnyIn(text, open + 1, end, std::string_view(&text[open], 1));
        _guarded += text[open];
        CopyGuarding(text, open + 1, close, kKeptInAttributes);
        if (close == end) {
            return;
        }
        _guarded += text[close];
        at = close + 1;
    }
}

void CharacterReferenceKeeper::CopyGuarding(const std::string& text, size_t begin, size_t end,
                                            const std::set<uint32_t>& kept) {
    size_t at = begin;
    while (at < end) {
        const size_t next = FindAnyIn(text, at, end, "&\xEF");
        _guarded.append(text, at, next - at);
        if (next == end) {
            return;
        }
        const size_t taken = GuardAt(text, next, kept);
        if (taken == 0) {
            _guarded += text[next];
        }
        at = next + std::max<size_t>(taken, 1);
    }
}

size_t CharacterReferenceKeeper::GuardAt(const std::string& text, size_t at,
                                         const std::set<uint32_t>& kept) {
    if (IsRawByteOrderMark(text, at)) {
        _guarded += StandInFor(kByteOrderMarkReference);
        return 3;
    }
    uint32_t code = 0;
    const size_t length = ReferenceAt(text, at, &code);
    if (length == 0 || kept.count(code) == 0) {
        return 0;
    }
    _guarded += StandInFor(std::string_view(text).substr(at, length));
    return length;
}

void CharacterReferenceKeeper::CopyUnguarded(const std::string& text, size_t begin, size_t end,
                                             const char* where) {
    const std::string_view part = std::string_view(text).substr(begin, end - begin);
    if (_unkept.empty() && part.find(kRawByteOrderMark) != std::string_view::npos) {
        _unkept = std::string("U+FEFF in ") + where;
    }
    _guarded.append(text, begin, end - begin);
}

std::string_view CharacterReferenceKeeper::StandInFor(std::string_view reference) {
    const auto known = _standIns.find(reference);
    if (known != _standIns.end()) {
        return known->second;
    }
    while (_nextStandIn <= kLastPrivateUse && _taken.count(_nextStandIn) > 0) {
        ++_nextStandIn;
    }
    if (_nextStandIn > kLastPrivateUse) {
        if (_unkept.empty()) {
            _unkept = "more kinds of character reference than stand-ins for them";
        }
        return reference;
    }
    _references.emplace(_nextStandIn, reference);
    return _standIns.emplace(reference, PrivateUseUtf8(_nextStandIn++)).first->second;
}
