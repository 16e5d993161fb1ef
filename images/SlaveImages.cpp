#include "SlaveImages.h"

#include <boost/regex.hpp>

namespace morvex_gui {

namespace {

constexpr size_t kRecordLength = 286;

struct SlavePatterns {
    boost::regex end{"\\s+"};
    boost::regex plainVersion{"! VERSION (\\d{2})[^_]*"};
    boost::regex upgradeVersion{"! VERSION (\\d{2})_to_(\\d{2})"};
    boost::regex record{"^\\$([0-9A-F]{286})$"};
    boost::regex recordKind{"^\\$([A-Z0-9]{2})[A-Z0-9]{284}"};
};

const SlavePatterns& Patterns() {
    static const SlavePatterns patterns;
    return patterns;
}

// Records of kind x1 with x = 0, and of every kind x6, are written with "l".
char SuffixFor(char c0, char c1) {
    return ((c0 == '0' && c1 == '1') || c1 == '6') ? 'l' : 's';
}

}  // namespace

SlaveImages::SlaveImages() : _upgrade(false), _versionIndex(0) {}

SlaveImages::~SlaveImages() = default;

bool SlaveImages::IsEnd(const char* line) {
    return boost::regex_match(line, Patterns().end);
}

bool SlaveImages::BuildCommands(std::vector<std::string>* commands) {
    _error.clear();
    if (_lines.empty()) {
        return true;
    }
    if (!CheckRecords()) {
        return false;
    }
    ReadVersion(_lines.front());
    for (const std::string& line : _lines) {
        AddCommand(line, commands);
    }
    return true;
}

// A damaged record must not vanish from the image unnoticed, nor may records
// hide behind the end line.
bool SlaveImages::CheckRecords() {
    for (size_t index = 0; index < _lines.size(); ++index) {
        const std::string& line = _lines[index];
        if (!line.empty() && line[0] == '$' && !boost::regex_match(line, Patterns().record)) {
            _error = "Line " + std::to_string(index + 1) +
                     " is not a record of 286 upper-case hex digits.";
            return false;
        }
    }
    for (size_t index = 0; index < _afterEnd.size(); ++index) {
        const std::string& line = _afterEnd[index];
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '$') {
            _error = "Line " + std::to_string(_lines.size() + 2 + index) +
                     " holds a record after the end of the image.";
            return false;
        }
    }
    return true;
}

bool SlaveImages::BuildCommandsHighSpeed(std::vector<std::string>* commands) {
    return BuildCommands(commands);
}

void SlaveImages::ReadVersion(const std::string& firstLine) {
    const SlavePatterns& patterns = Patterns();
    boost::smatch match;
    if (boost::regex_match(firstLine, match, patterns.plainVersion)) {
        _version = match[1];
    } else if (boost::regex_match(firstLine, match, patterns.upgradeVersion)) {
        _version = match[1];
        _targetVersion = match[2];
        _upgrade = true;
    } else if (boost::regex_match(firstLine, match, patterns.recordKind)) {
        // Images without a version line are known by their first record.
        if (match[1] == "03") {
            _version = "47";
        } else if (match[1] == "05") {
            _version = "48";
        }
    }
}

void SlaveImages::AddCommand(const std::string& line, std::vector<std::string>* commands) {
    const SlavePatterns& patterns = Patterns();
    if (boost::regex_match(line, patterns.record)) {
        std::string command;
        command.reserve(kRecordLength + 2);
        command += 'w';
        command.append(line, 1, kRecordLength);
        command += SuffixFor(line[1], line[2]);
        commands->push_back(std::move(command));
    } else if (line.find("!delay") != std::string::npos) {
        commands->emplace_back();
    } else if (boost::regex_search(line, patterns.plainVersion)) {
        _versionIndex = static_cast<int>(commands->size());
    }
}

}  // namespace morvex_gui
