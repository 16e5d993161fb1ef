#pragma once

#include <map>
#include <string>

// Compares the EEPROM parameters of a pattern XML with the defines of the tool
// chain's EEPROM header ("xml2vmx/MORVEX_eeprom.c" in the program's
// directory). Missing files leave the maps empty; nothing is reported.
class EepParameterCollector {
public:
    // Adds the header's "#define EEP..." lines (indented) to _defines; a
    // name keeps its first value.
    void ReadHeaderDefines();
    // Adds the "name"/"value" pairs of a pattern XML, read as text lines.
    void ReadPatternParams(std::string file);
    // Runs both readers and sorts the pattern's parameters into the last three
    // maps; every sorted define leaves _defines.
    void Collect(std::string xmlFile);

    // Whether the defines still hold the marker that splits the known
    // parameters into two groups.
    bool MarkerPresent() const;

    std::map<std::string, std::string> _defines;
    std::map<std::string, std::string> _patternParams;
    std::map<std::string, std::string> _knownParams;
    std::map<std::string, std::string> _markedParams;
    std::map<std::string, std::string> _undefinedParams;
};
