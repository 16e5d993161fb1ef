#pragma once

#include <map>
#include <string>
#include <vector>

#include "ConfigParameter.h"

// The settings store: key -> setting, every value text. A missing key reads "0".
// The counts that size tables ("x_electrodes", "button_number", ...) are held
// within what the bridge can report whatever text they are given.
class Settings {
public:
    Settings() = default;
    virtual ~Settings() = default;

    bool SetParameter(ConfigParameter parameter);
    bool GetParameter(std::string name, ConfigParameter& out) const;
    std::string GetValue(const char* name) const;
    bool SetValue(std::string name, std::string value);
    std::map<std::string, ConfigParameter> GetParameters() const { return _parameters; }

    void Load(const char* file);
    // False, with the file as it was, when it cannot be read or written.
    bool Save(const char* file);
    bool LoadXml(std::string file);
    bool SaveXml(std::string file);

    // Obtains the per-channel limits (rows: X max, X min, Y max, Y min) from the
    // threshold file of the current electrode counts, or from the raw-data limits.
    std::vector<std::vector<int> > LoadThresholds();

private:
    std::map<std::string, ConfigParameter> _parameters;
    std::vector<std::vector<int> > _thresholds;
};
