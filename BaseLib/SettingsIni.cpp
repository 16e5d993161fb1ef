#include "SettingsIni.h"

#include <QFile>
#include <QFileInfo>

#include "IniEscapes.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string Trimmed(const std::string& text) {
    const char* const blanks = " \t";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string FullKey(const std::string& section, const std::string& name) {
    return section.empty() ? name : section + '/' + name;
}

// The section a key belongs in and its name inside it.
std::pair<std::string, std::string> SplitKey(const std::string& key) {
    const size_t slash = key.find('/');
    if (slash == std::string::npos) {
        return {std::string(), key};
    }
    return {key.substr(0, slash), key.substr(slash + 1)};
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
    std::string text = bytes.toStdString();
    _byteOrderMark.clear();
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        _byteOrderMark = kByteOrderMark;
        text.erase(0, 3);
    }
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
    const ini::EntryBounds bounds = ini::ScanEntry(text);
    const std::string content = Trimmed(text.substr(0, bounds.end));
    if (content.empty() || content.front() == '#') {
        return line;
    }
    if (content.front() == '[') {
        const size_t close = content.find(']');
        line.section = ini::SectionOfHeader(Trimmed(content.substr(1, close - 1)));
        line.isHeader = true;
        return line;
    }
    if (bounds.equals == std::string::npos) {
        return line;
    }
    line.key = FullKey(section, ini::UnescapedKey(Trimmed(text.substr(0, bounds.equals))));
    line.value =
        ini::UnescapedValue(text.substr(bounds.equals + 1, bounds.end - bounds.equals - 1));
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
    header.text = '[' + ini::SectionHeader(section) + ']';
    if (section.empty()) {
        if (!_lines.empty()) {
            _lines.insert(_lines.begin(), Line());
        }
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
    return ini::EscapedKey(name) + '=' + ini::EscapedValue(value);
}

QByteArray SettingsIni::Text() const {
    std::string text = _byteOrderMark;
    for (const Line& line : _lines) {
        text += line.text;
        text += _lineEnd;
    }
    return QByteArray::fromStdString(text);
}
