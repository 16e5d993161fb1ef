#include "CharacterReferenceKeeper.h"

#include <mxml.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "Utf8.h"
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

// Longer than any entity name that Mini-XML knows.
constexpr size_t kLongestEntityName = 32;

// The length of the entity reference ("&eacute;") at `at` whose name Mini-XML
// knows, 0 when none stands there, and the code point it reads it as.
size_t EntityReferenceAt(const std::string& text, size_t at, uint32_t* code) {
    if (text.compare(at, 1, "&") != 0) {
        return 0;
    }
    const size_t name = at + 1;
    size_t end = name;
    while (end < text.size() && end - name <= kLongestEntityName &&
           std::isalnum(static_cast<unsigned char>(text[end])) != 0) {
        ++end;
    }
    if (end == name || end == text.size() || text[end] != ';') {
        return 0;
    }
    const int value = mxmlEntityGetValue(text.substr(name, end - name).c_str());
    if (value < 0) {
        return 0;
    }
    *code = static_cast<uint32_t>(value);
    return end + 1 - at;
}

// The length of the character reference ("&#13;", "&#x0D;") at `at`, 0 when
// none stands there, and its code point.
size_t CharacterReferenceAt(const std::string& text, size_t at, uint32_t* code) {
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

std::string Utf8Of(uint32_t code) {
    std::string text;
    AppendUtf8(code, text);
    return text;
}

// A character past ASCII that XML lets a reference give.
bool IsPastAscii(uint32_t code) {
    const bool surrogate = code >= 0xD800 && code < 0xE000;
    return code >= 0x80 && code <= 0x10FFFF && !surrogate && code != 0xFFFE && code != 0xFFFF;
}

bool IsPrivateUse(uint32_t code) {
    return code >= kFirstPrivateUse && code <= kLastPrivateUse;
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
        if (CharacterReferenceAt(text, at, &code) > 0) {
            taken.insert(code);
        }
        if (kPrivateUseLeads.find(text[at]) != std::string_view::npos) {
            taken.insert(PrivateUseAt(text, at));
        }
    }
    return taken;
}

}  // namespace

CharacterReferenceKeeper::CharacterReferenceKeeper(const std::string& text,
                                                   bool pastAsciiAsReferences)
    : _pastAsciiAsReferences(pastAsciiAsReferences),
      _taken(PrivateUseTaken(text)),
      _nextStandIn(kFirstPrivateUse) {
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
                CopyGuarding(text, begin, part.end, Place::CharacterData);
                break;
            case XmlPart::Kind::Tag:
                GuardTag(text, begin, part.end);
                break;
            case XmlPart::Kind::CData:
                CopyMarkup(text, begin, part.end, "a CDATA section");
                break;
            case XmlPart::Kind::KeptRaw:
                CopyKeptRaw(text, begin, part.end);
                break;
        }
    }
}

std::string CharacterReferenceKeeper::GuardedValue(const std::string& value) {
    std::string guarded;
    const size_t invalid = EachUtf8(value, [&](char32_t code) {
        // A raw carriage return would read as a line feed.
        if ((_pastAsciiAsReferences && code >= 0x80) || code == '\r' ||
            _references.count(code) > 0) {
            guarded += StandInFor("&#" + std::to_string(code) + ";", Utf8Of(code));
            return;
        }
        if (IsPrivateUse(code)) {
            _taken.insert(code);  // no later stand-in may take it
        }
        AppendUtf8(code, guarded);
    });
    // Bytes that are no UTF-8 do not load back, and the save refuses them.
    return invalid == std::string::npos ? guarded : value;
}

std::string CharacterReferenceKeeper::Meaning(const std::string& guarded) const {
    return Replaced(guarded, &StandIn::meaning);
}

std::string CharacterReferenceKeeper::Restored(std::string written) const {
    return Replaced(std::move(written), &StandIn::written);
}

std::string CharacterReferenceKeeper::Replaced(std::string text, std::string StandIn::*part) const {
    if (_references.empty()) {
        return text;
    }
    std::string replaced;
    replaced.reserve(text.size() + text.size() / 2);
    size_t copied = 0;
    for (size_t at = text.find_first_of(kPrivateUseLeads);
         at != std::string::npos && at + 2 < text.size();
         at = text.find_first_of(kPrivateUseLeads, at + 1)) {
        const auto standIn = _references.find(PrivateUseAt(text, at));
        if (standIn == _references.end()) {
            continue;
        }
        replaced.append(text, copied, at - copied);
        replaced += standIn->second.*part;
        copied = at + 3;
    }
    replaced.append(text, copied, std::string::npos);
    return replaced;
}

// Outside its quoted values a tag holds only names, where no reference can stand.
void CharacterReferenceKeeper::GuardTag(const std::string& text, size_t begin, size_t end) {
    size_t at = begin;
    while (at < end) {
        const size_t open = FindAnyIn(text, at, end, "\"'");
        CopyMarkup(text, at, open, "a tag, outside its attribute values");
        if (open == end) {
            return;
        }
        const size_t close = FindAnyIn(text, open + 1, end, std::string_view(&text[open], 1));
        _guarded += text[open];
        CopyGuarding(text, open + 1, close, Place::AttributeValue);
        if (close == end) {
            return;
        }
        _guarded += text[close];
        at = close + 1;
    }
}

void CharacterReferenceKeeper::CopyGuarding(const std::string& text, size_t begin, size_t end,
                                            Place place) {
    size_t at = begin;
    while (at < end) {
        const size_t next = FindAnyIn(text, at, end, "&\xEF");
        _guarded.append(text, at, next - at);
        if (next == end) {
            return;
        }
        const size_t taken = GuardAt(text, next, place);
        if (taken == 0) {
            _guarded += text[next];
        }
        at = next + std::max<size_t>(taken, 1);
    }
}

size_t CharacterReferenceKeeper::GuardAt(const std::string& text, size_t at, Place place) {
    if (IsRawByteOrderMark(text, at)) {
        const char* written = _pastAsciiAsReferences ? kRawByteOrderMark : kByteOrderMarkReference;
        _guarded += StandInFor(written, Utf8Of(kByteOrderMark));
        return 3;
    }
    uint32_t code = 0;
    size_t length = CharacterReferenceAt(text, at, &code);
    if (length == 0 && _pastAsciiAsReferences) {
        // Only there can an entity give a character that has to be kept.
        length = EntityReferenceAt(text, at, &code);
    }
    const bool afterRawCarriageReturn = at > 0 && text[at - 1] == '\r';
    if (length == 0 || !Keeps(code, place, afterRawCarriageReturn)) {
        return 0;
    }
    _guarded += StandInFor(std::string_view(text).substr(at, length), Utf8Of(code));
    return length;
}

bool CharacterReferenceKeeper::Keeps(uint32_t code, Place place,
                                     bool afterRawCarriageReturn) const {
    if (place == Place::Markup) {
        return false;
    }
    const std::set<uint32_t>& always =
        place == Place::CharacterData ? kKeptInCharacterData : kKeptInAttributes;
    // Written raw, a line feed after a raw carriage return would join it into
    // one line end.
    const bool joinsLineEnd = code == '\n' && afterRawCarriageReturn;
    return always.count(code) > 0 || joinsLineEnd || (_pastAsciiAsReferences && IsPastAscii(code));
}

void CharacterReferenceKeeper::CopyKeptRaw(const std::string& text, size_t begin, size_t end) {
    if (IsEmptyXmlComment(text, {XmlPart::Kind::KeptRaw, begin, end})) {
        _guarded += "<!--";
        _guarded += StandInFor("", "");
        _guarded += "-->";
        return;
    }
    _guarded.append(text, begin, end - begin);
}

void CharacterReferenceKeeper::CopyMarkup(const std::string& text, size_t begin, size_t end,
                                          const char* where) {
    if (_pastAsciiAsReferences) {
        CopyGuarding(text, begin, end, Place::Markup);
        return;
    }
    const std::string_view part = std::string_view(text).substr(begin, end - begin);
    if (_unkept.empty() && part.find(kRawByteOrderMark) != std::string_view::npos) {
        _unkept = std::string("U+FEFF in ") + where;
    }
    _guarded.append(text, begin, end - begin);
}

std::string_view CharacterReferenceKeeper::StandInFor(std::string_view written,
                                                      std::string_view meaning) {
    const auto known = _standIns.find(written);
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
        return written;
    }
    _references.emplace(_nextStandIn, StandIn{std::string(written), std::string(meaning)});
    return _standIns.emplace(written, Utf8Of(_nextStandIn++)).first->second;
}
