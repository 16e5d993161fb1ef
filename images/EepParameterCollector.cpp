#include "EepParameterCollector.h"

#include <boost/regex.hpp>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "ProgramPaths.h"

namespace {

const char kHeaderFile[] = "xml2vmx/MORVEX_eeprom.c";

// Tried in this order; the first that matches decides. A decimal number must
// not be the "0" of a hexadecimal one, and each value group is a single run
// (a repeated group would capture the same text at a far higher cost).
const boost::regex& DecimalDefine() {
    static const boost::regex pattern("\\s+#define\\s+(EEP\\w+)\\s+(\\d+)(?![\\dxX]).*");
    return pattern;
}

const boost::regex& QuotedDefine() {
    static const boost::regex pattern("\\s+#define\\s+(EEP\\w+)\\s+\"(\\S+).*\"");
    return pattern;
}

const boost::regex& HexDefine() {
    static const boost::regex pattern("\\s+#define\\s+(EEP\\w+)\\s+(0x\\S+).*");
    return pattern;
}

const boost::regex& DistortionDefine() {
    static const boost::regex pattern("\\s+#define\\s+(EEP\\w+)\\s+(\\w+DISTO\\w*)");
    return pattern;
}

const boost::regex& OtherDefine() {
    static const boost::regex pattern("\\s+#define\\s+(EEP\\w+)\\s(.+)");
    return pattern;
}

const boost::regex& NameLine() {
    static const boost::regex pattern(".*<name>(EEP\\S+)</name>+.*");
    return pattern;
}

const boost::regex& ValueLine() {
    static const boost::regex pattern("\\s+<value>(.*)</value>+.*");
    return pattern;
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
        if (MatchWhole(line, DecimalDefine(), match)) {
            if (!IsSkippedDecimal(match[1])) {
                _defines.emplace(match[1], match[2]);
            }
            return;
        }
        for (const boost::regex* pattern :
             {&QuotedDefine(), &HexDefine(), &DistortionDefine(), &OtherDefine()}) {
            if (MatchWhole(line, *pattern, match)) {
                _defines.emplace(match[1], match[2]);
                return;
            }
        }
    });
}

void EepParameterCollector::ReadPatternParams(std::string file) {
    std::string currentName;
    ForEachLine(file, [this, &currentName](const std::string& line) {
        boost::smatch match;
        if (MatchWhole(line, NameLine(), match)) {
            currentName = match[1];
        }
        // A value with no name before it has nothing to belong to.
        if (!currentName.empty() && MatchWhole(line, ValueLine(), match)) {
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
