#include "IniEscapes.h"

#include <QString>

#include "StringConvert.h"

namespace ini {

namespace {

const char kGeneral[] = "General";
// A value holding a NUL travels in this wrapper, as QSettings writes it.
const char kStringWrapper[] = "@String(";

struct NamedEscape {
    char code;
    char character;
};

constexpr NamedEscape kNamedEscapes[] = {
    {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'},  {'t', '\t'},
    {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(const std::string& text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool EqualsIgnoringCase(const std::string& text, const char* other) {
    return QString::fromStdString(text).compare(QLatin1String(other), Qt::CaseInsensitive) == 0;
}

// A key's or a value's text as its escapes are decoded, in UTF-8. The UTF-16
// code units that escapes name are held until a plain byte follows, so that
// a high and a low surrogate named one after the other make one character,
// as in a QString; a lone surrogate becomes what QString makes of it.
class DecodedText {
public:
    void Append(char c) {
        WriteUnits();
        _text += c;
    }
    void AppendCodeUnit(unsigned value) {
        const auto unit = static_cast<char16_t>(value);
        if (unit < 0x80) {
            Append(static_cast<char>(unit));
        } else {
            _units.push_back(unit);
        }
    }
    // Held units are not counted; they are never blanks.
    size_t WrittenSize() const { return _text.size(); }
    std::string Take() {
        WriteUnits();
        return std::move(_text);
    }

private:
    void WriteUnits() {
        if (!_units.empty()) {
            // Not fromUtf16: it would take a leading U+FEFF for a byte-order mark.
            _text += QString(reinterpret_cast<const QChar*>(_units.data()),
                             static_cast<qsizetype>(_units.size()))
                         .toStdString();
            _units.clear();
        }
    }

    std::string _text;
    std::u16string _units;
};

// Reads the digits of a numeric escape from `at` on; returns where they end.
size_t AppendNumericEscape(const std::string& text, size_t at, int base, DecodedText* out) {
    unsigned value = 0;
    for (; at < text.size(); ++at) {
        const int digit = HexDigitValue(text[at]);
        if (digit < 0 || digit >= base) {
            break;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    out->AppendCodeUnit(value);
    return at;
}

// `at` is just past a backslash; returns where the escape ends. An escape
// that names nothing is dropped with its backslash.
size_t AppendEscape(const std::string& text, size_t at, DecodedText* out) {
    if (at >= text.size()) {
        return at;
    }
    const char code = text[at++];
    for (const NamedEscape& escape : kNamedEscapes) {
        if (code == escape.code) {
            out->Append(escape.character);
            return at;
        }
    }
    if (code == 'x') {
        return at < text.size() && HexDigitValue(text[at]) >= 0
                   ? AppendNumericEscape(text, at, 16, out)
                   : at;
    }
    if (code >= '0' && code <= '7') {
        return AppendNumericEscape(text, at - 1, 8, out);
    }
    return at;
}

void ChopBlanks(std::string* value, size_t limit) {
    while (value->size() > limit && IsBlank(value->back())) {
        value->pop_back();
    }
}

// A text value as QSettings keeps it: a leading "@" doubled, so that it is
// never taken for one of its typed forms.
std::string Wrapped(const std::string& value) {
    if (value.find('\0') != std::string::npos) {
        return kStringWrapper + value + ')';
    }
    return !value.empty() && value.front() == '@' ? '@' + value : value;
}

std::string Unwrapped(const std::string& value) {
    if (StartsWith(value, kStringWrapper) && value.back() == ')') {
        const size_t start = std::char_traits<char>::length(kStringWrapper);
        return value.substr(start, value.size() - start - 1);
    }
    return StartsWith(value, "@@") ? value.substr(1) : value;
}

void AppendHexEscape(unsigned char c, std::string* out) {
    static const char kDigits[] = "0123456789abcdef";
    *out += "\\x";
    if (c >= 16) {
        *out += kDigits[c >> 4];
    }
    *out += kDigits[c & 15];
}

// Returns true when a following hex digit must be escaped too, so that it is
// not read as part of this escape.
bool AppendEscaped(unsigned char c, std::string* out) {
    if (c == '\0') {
        *out += "\\0";
        return true;
    }
    if (c == '"' || c == '\\') {
        *out += '\\';
        *out += static_cast<char>(c);
        return false;
    }
    for (const NamedEscape& escape : kNamedEscapes) {
        if (c == static_cast<unsigned char>(escape.character) && c < ' ') {
            *out += '\\';
            *out += escape.code;
            return false;
        }
    }
    if (c < ' ') {
        AppendHexEscape(c, out);
        return true;
    }
    *out += static_cast<char>(c);
    return false;
}

}  // namespace

EntryBounds ScanEntry(const std::string& line) {
    EntryBounds bounds{line.size(), std::string::npos};
    bool inQuotes = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '=' && !inQuotes && bounds.equals == std::string::npos) {
            bounds.equals = i;
        } else if (c == ';' && !inQuotes) {
            bounds.end = i;
            break;
        }
    }
    return bounds;
}

std::string EscapedValue(const std::string& value) {
    std::string text;
    bool needsQuotes = false;
    bool escapeHexDigit = false;
    for (const char c : Wrapped(value)) {
        const auto byte = static_cast<unsigned char>(c);
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        if (escapeHexDigit && HexDigitValue(c) >= 0) {
            AppendHexEscape(byte, &text);
            continue;
        }
        escapeHexDigit = AppendEscaped(byte, &text);
    }
    if (needsQuotes || (!text.empty() && (text.front() == ' ' || text.back() == ' '))) {
        return '"' + text + '"';
    }
    return text;
}

std::string UnescapedValue(const std::string& text) {
    DecodedText decoded;
    size_t i = SkipBlanks(text, 0);
    // Blanks that an escape or a quote produced are never chopped.
    size_t chopLimit = 0;
    bool inQuotes = false;
    bool quoted = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            i = AppendEscape(text, i + 1, &decoded);
            chopLimit = decoded.WrittenSize();
        } else if (c == '"') {
            inQuotes = !inQuotes;
            quoted = true;
            i = inQuotes ? i + 1 : SkipBlanks(text, i + 1);
            chopLimit = decoded.WrittenSize();
        } else {
            // A comma starts a fresh part only for the trailing-blank rule.
            quoted = quoted && (c != ',' || inQuotes);
            decoded.Append(c);
            ++i;
        }
    }
    std::string value = decoded.Take();
    if (!quoted) {
        ChopBlanks(&value, chopLimit);
    }
    return Unwrapped(value);
}

std::string EscapedKey(const std::string& key) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const QChar qc : QString::fromStdString(key)) {
        const char16_t c = qc.unicode();
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (c == '/') {
            text += '\\';
        } else if (plain) {
            text += static_cast<char>(c);
        } else {
            text += c <= 0xFF ? "%" : "%U";
            for (int shift = c <= 0xFF ? 4 : 12; shift >= 0; shift -= 4) {
                text += kDigits[(c >> shift) & 15];
            }
        }
    }
    return text;
}

std::string UnescapedKey(const std::string& text) {
    DecodedText key;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\\') {
            key.Append('/');
            ++i;
            continue;
        }
        const bool wide = i + 1 < text.size() && text[i + 1] == 'U';
        const size_t first = i + (wide ? 2 : 1);
        const size_t digits = wide ? 4 : 2;
        unsigned value = 0;
        bool escape = text[i] == '%' && first + digits <= text.size();
        for (size_t d = 0; escape && d < digits; ++d) {
            const int digit = HexDigitValue(text[first + d]);
            escape = digit >= 0;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        if (escape) {
            key.AppendCodeUnit(value);
            i = first + digits;
        } else {
            key.Append(text[i++]);
        }
    }
    return key.Take();
}

std::string SectionHeader(const std::string& section) {
    if (section.empty()) {
        return kGeneral;
    }
    const std::string name = EscapedKey(section);
    return EqualsIgnoringCase(name, kGeneral) ? '%' + name : name;
}

std::string SectionOfHeader(const std::string& name) {
    if (EqualsIgnoringCase(name, kGeneral)) {
        return std::string();
    }
    if (name.size() > 1 && name.front() == '%' && EqualsIgnoringCase(name.substr(1), kGeneral)) {
        return name.substr(1);
    }
    return UnescapedKey(name);
}

}  // namespace ini
