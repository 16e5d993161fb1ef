#include "XmlMarkup.h"

#include <algorithm>
#include <cstring>

namespace {

bool StartsAt(const std::string& text, size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

size_t PastTerminator(const std::string& text, size_t from, const char* terminator) {
    const size_t at = text.find(terminator, from);
    return at == std::string::npos ? text.size() : at + std::strlen(terminator);
}

size_t PastQuoted(const std::string& text, size_t openingQuote) {
    const size_t closing = text.find(text[openingQuote], openingQuote + 1);
    return closing == std::string::npos ? text.size() : closing + 1;
}

size_t PastConstruct(const std::string& text, size_t at, bool subsetAllowed);

// The declarations of an internal subset may hold "]" and ">" in their
// literals and comments; only the subset's own "]" ends it. Its declarations
// have no subsets of their own, which also bounds the recursion.
size_t PastSubset(const std::string& text, size_t at) {
    while (at < text.size() && text[at] != ']') {
        at = text[at] == '<' ? PastConstruct(text, at, false) : at + 1;
    }
    return std::min(at + 1, text.size());
}

// The ">" that closes a tag or a declaration, not one inside a quoted value
// or an internal subset.
size_t PastClosingAngle(const std::string& text, size_t at, bool subsetAllowed) {
    while (at < text.size() && text[at] != '>') {
        if (text[at] == '"' || text[at] == '\'') {
            at = PastQuoted(text, at);
        } else if (subsetAllowed && text[at] == '[') {
            at = PastSubset(text, at + 1);
        } else {
            ++at;
        }
    }
    return std::min(at + 1, text.size());
}

size_t PastConstruct(const std::string& text, size_t at, bool subsetAllowed) {
    if (StartsAt(text, at, "<!--")) {
        return PastTerminator(text, at + 4, "-->");
    }
    if (StartsAt(text, at, "<![CDATA[")) {
        return PastTerminator(text, at + 9, "]]>");
    }
    if (StartsAt(text, at, "<?")) {
        return PastTerminator(text, at + 2, "?>");
    }
    return PastClosingAngle(text, at + 1, subsetAllowed && StartsAt(text, at, "<!"));
}

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

size_t PastSpace(const std::string& text, size_t at, size_t end) {
    while (at < end && IsXmlSpace(text[at])) {
        ++at;
    }
    return at;
}

// One pseudo-attribute of the XML declaration (`name = "value"`) read from
// `at`; false when none stands there.
bool ReadPseudoAttribute(const std::string& text, size_t& at, size_t end, std::string& name,
                         std::string& value) {
    const size_t nameBegin = at;
    while (at < end && !IsXmlSpace(text[at]) && text[at] != '=') {
        ++at;
    }
    name = text.substr(nameBegin, at - nameBegin);
    at = PastSpace(text, at, end);
    if (name.empty() || at == end || text[at] != '=') {
        return false;
    }
    at = PastSpace(text, at + 1, end);
    if (at == end || (text[at] != '"' && text[at] != '\'')) {
        return false;
    }
    const size_t closing = text.find(text[at], at + 1);
    if (closing == std::string::npos || closing >= end) {
        return false;
    }
    value = text.substr(at + 1, closing - at - 1);
    at = closing + 1;
    return true;
}

XmlPart::Kind ConstructKind(const std::string& text, size_t at) {
    if (StartsAt(text, at, "<![CDATA[")) {
        return XmlPart::Kind::CData;
    }
    if (StartsAt(text, at, "<!") || StartsAt(text, at, "<?")) {
        return XmlPart::Kind::KeptRaw;
    }
    return XmlPart::Kind::Tag;
}

}  // namespace

std::vector<XmlPart> XmlParts(const std::string& text) {
    std::vector<XmlPart> parts;
    size_t from = 0;
    while (from < text.size()) {
        const size_t at = std::min(text.find('<', from), text.size());
        if (at > from) {
            parts.push_back({XmlPart::Kind::CharacterData, from, at});
        }
        if (at == text.size()) {
            break;
        }
        from = PastConstruct(text, at, true);
        parts.push_back({ConstructKind(text, at), at, from});
    }
    return parts;
}

std::vector<std::string> RawXmlMarkup(const std::string& text) {
    std::vector<std::string> markup;
    for (const XmlPart& part : XmlParts(text)) {
        if (part.kind == XmlPart::Kind::KeptRaw) {
            markup.push_back(text.substr(part.begin, part.end - part.begin));
        }
    }
    return markup;
}

bool IsEmptyXmlComment(const std::string& text, const XmlPart& part) {
    const char kEmptyComment[] = "<!---->";
    return part.kind == XmlPart::Kind::KeptRaw &&
           text.compare(part.begin, part.end - part.begin, kEmptyComment) == 0;
}

std::string XmlExcerpt(const std::string& part) {
    const size_t kLongest = 80;
    const size_t cut = std::min(part.find_first_of("\r\n"), kLongest);
    return cut < part.size() ? part.substr(0, cut) + "..." : part;
}

std::string DeclaredXmlEncoding(const std::string& text) {
    const size_t begin = StartsAt(text, 0, "\xEF\xBB\xBF") ? 3 : 0;
    const size_t opening = std::strlen("<?xml");
    if (!StartsAt(text, begin, "<?xml") || begin + opening >= text.size() ||
        !IsXmlSpace(text[begin + opening])) {
        return {};
    }
    const size_t end = text.find("?>", begin);
    if (end == std::string::npos) {
        return {};
    }
    std::string name;
    std::string value;
    for (size_t at = PastSpace(text, begin + opening, end); at < end;
         at = PastSpace(text, at, end)) {
        if (!ReadPseudoAttribute(text, at, end, name, value)) {
            return {};
        }
        if (name == "encoding") {
            return value;
        }
    }
    return {};
}
