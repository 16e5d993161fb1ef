#include "EepParameterCollector.h"

#include <boost/regex.hpp>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <vector>

#include "ProgramPaths.h"

namespace {

const char kHeaderFile[] = "xml2vmx/MORVEX_eeprom.c";

// Tried in this order; the first that matches decides. A decimal number must
// not be the "0" of a hexadecimal one, and each value group is a single run
// (a repeated group would capture the same text at a far higher cost).
const std::vector<boost::regex>& DefinePatterns() {
    static const std::vector<boost::regex> patterns = {
        boost::regex("\\s+#define\\s+(EEP\\w+)\\s+(\\d+)(?![\\dxX]).*"),
        boost::regex("\\s+#define\\s+(EEP\\w+)\\s+\"(\\S+).*\""),
        boost::regex("\\s+#define\\s+(EEP\\w+)\\s+(0x\\S+).*"),
        boost::regex("\\s+#define\\s+(EEP\\w+)\\s+(\\w+DISTO\\w*)"),
        boost::regex("\\s+#define\\s+(EEP\\w+)\\s(.+)"),
    };
    return patterns;
}

constexpr size_t kDecimalDefine = 0;

// A parameter's name line and the value line after it.
struct ParameterLines {
    boost::regex name{".*<name>(EEP\\S+)</name>+.*"};
    boost::regex value{"\\s+<value>(.*)</value>+.*"};
};

const ParameterLines& PatternFileLines() {
    static const ParameterLines lines;
    return lines;
}

// A line too complex for the matcher counts as not matching.
bool MatchWhole(const std::string& line, const boost::regex& pattern, boost::smatch& match) {
    try {
        return boost::regex_match(line, match, pattern);
    } catch (const std::runtime_error&) {
        return false;
    }
}

void ForEachLine(const std::string& file, const std::function<void(const std::string&)>& visit) {
    std::ifstream stream(file);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        visit(line);
    }
}

bool IsSkippedDecimal(const std::string& name) {
    return name == "EEP_FINGERS_N_REPORT" || name == "EEP_FINGERS_N_DETECT";
}

}  // namespace

void EepParameterCollector::ReadHeaderDefines() {
    const std::string header =
        platform::ProgramFilePath(QString::fromLatin1(kHeaderFile)).toLocal8Bit().toStdString();
    ForEachLine(header, [this](const std::string& line) {
        boost::smatch match;
        const std::vector<boost::regex>& patterns = DefinePatterns();
        for (size_t index = 0; index < patterns.size(); ++index) {
            if (!MatchWhole(line, patterns[index], match)) {
                continue;
            }
            if (index != kDecimalDefine || !IsSkippedDecimal(match[1])) {
                _defines.emplace(match[1], match[2]);
            }
            return;
        }
    });
}

void EepParameterCollector::ReadPatternParams(std::string file) {
    std::string currentName;
    ForEachLine(file, [this, &currentName](const std::string& line) {
        boost::smatch match;
        if (MatchWhole(line, PatternFileLines().name, match)) {
            currentName = match[1];
        }
        // A value with no name before it has nothing to belong to.
        if (!currentName.empty() && MatchWhole(line, PatternFileLines().value, match)) {
            _patternParams.emplace(currentName, match[1]);
        }
    });
}

bool EepParameterCollector::MarkerPresent() const {
    return _defines.count("BUTTON") != 0 || _defines.count("EEP_SPI_SPEED_ME0_B") != 0;
}

void EepParameterCollector::Collect(std::string xmlFile) {
    ReadHeaderDefines();
    ReadPatternParams(xmlFile);
    for (const auto& [name, value] : _patternParams) {
        if (_defines.count(name) == 0) {
            _undefinedParams.emplace(name, value);
            continue;
        }
        if (MarkerPresent()) {
            _markedParams.emplace(name, value);
        } else {
            _knownParams.emplace(name, value);
        }
        _defines.erase(name);
    }
}
