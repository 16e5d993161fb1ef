#include "SettingsIni.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char kGeneralSection[] = "General";

std::string Trimmed(const std::string& text) {
    const char* const blanks = " \t";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// A value in double quotes, as Qt writes one with leading blanks or a comma;
// the escapes are those of the quoting itself.
std::string Unquoted(const std::string& text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return text;
    }
    std::string value;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 2 < text.size()) {
            c = text[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        value += c;
    }
    return value;
}

// Plain text reads back as it is; only what the line form would change
// (blanks at either end, a leading quote, a line break) needs the quotes.
std::string Quoted(const std::string& value) {
    const bool plain = value == Trimmed(value) && (value.empty() || value.front() != '"') &&
                       value.find_first_of("\r\n") == std::string::npos;
    if (plain) {
        return value;
    }
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else {
            text += c;
        }
    }
    return text + '"';
}

std::string FullKey(const std::string& section, const std::string& name) {
    return section.empty() ? name : section + '/' + name;
}

// The section a key belongs in and its name inside it; Qt writes a further
// slash of a section key as a backslash.
std::pair<std::string, std::string> SplitKey(const std::string& key) {
    const size_t slash = key.find('/');
    if (slash == std::string::npos) {
        return {std::string(), key};
    }
    std::string name = key.substr(slash + 1);
    for (char& c : name) {
        c = c == '/' ? '\\' : c;
    }
    return {key.substr(0, slash), name};
}

}  // namespace

bool SettingsIni::Read(const QString& file) {
    _lines.clear();
    if (!QFileInfo::exists(file)) {
        return true;
    }
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError) {
        return false;
    }
    const std::string text = bytes.toStdString();
    _lineEnd = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        end = end == std::string::npos ? text.size() : end;
        if (end > start && text[end - 1] == '\r') {
            --end;
        }
        Line line = Parse(text.substr(start, end - start), section);
        section = line.section;
        _lines.push_back(std::move(line));
        start = next;
    }
    return true;
}

SettingsIni::Line SettingsIni::Parse(const std::string& text, const std::string& section) {
    Line line;
    line.text = text;
    line.section = section;
    const std::string content = Trimmed(text);
    if (content.empty() || content.front() == ';' || content.front() == '#') {
        return line;
    }
    if (content.front() == '[' && content.back() == ']') {
        const std::string name = content.substr(1, content.size() - 2);
        line.section = name == kGeneralSection ? std::string() : name;
        line.isHeader = true;
        return line;
    }
    const size_t equals = content.find('=');
    if (equals == std::string::npos) {
        return line;
    }
    std::string name = Trimmed(content.substr(0, equals));
    for (char& c : name) {
        c = c == '\\' ? '/' : c;
    }
    line.key = FullKey(section, name);
    line.value = Unquoted(Trimmed(content.substr(equals + 1)));
    return line;
}

std::vector<std::pair<std::string, std::string>> SettingsIni::Entries() const {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const Line& line : _lines) {
        if (!line.key.empty()) {
            entries.emplace_back(line.key, line.value);
        }
    }
    return entries;
}

void SettingsIni::Set(const std::string& key, const std::string& value) {
    const auto split = SplitKey(key);
    Line line;
    line.text = EntryText(split.second, value);
    line.section = split.first;
    line.key = key;
    line.value = value;
    for (auto it = _lines.rbegin(); it != _lines.rend(); ++it) {
        if (it->key == key) {
            if (it->value != value) {
                *it = std::move(line);
            }
            return;
        }
    }
    const size_t at = InsertionPoint(split.first);
    _lines.insert(_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

// After the last entry of the section; a missing section is started, the
// unnamed one at the top as Qt keeps it, any other at the end.
size_t SettingsIni::InsertionPoint(const std::string& section) {
    size_t point = _lines.size() + 1;
    for (size_t i = 0; i < _lines.size(); ++i) {
        const Line& line = _lines[i];
        if (line.section == section && (line.isHeader || !line.key.empty())) {
            point = i + 1;
        }
    }
    if (point <= _lines.size()) {
        return point;
    }
    Line header;
    header.section = section;
    header.isHeader = true;
    header.text = '[' + (section.empty() ? std::string(kGeneralSection) : section) + ']';
    if (section.empty()) {
        _lines.insert(_lines.begin(), header);
        return 1;
    }
    if (!_lines.empty() && !Trimmed(_lines.back().text).empty()) {
        Line blank;
        blank.section = _lines.back().section;
        _lines.push_back(blank);
    }
    _lines.push_back(header);
    return _lines.size();
}

std::string SettingsIni::EntryText(const std::string& name, const std::string& value) {
    return name + '=' + Quoted(value);
}

QByteArray SettingsIni::Text() const {
    std::string text;
    for (const Line& line : _lines) {
        text += line.text;
        text += _lineEnd;
    }
    return QByteArray::fromStdString(text);
}
