#include "Settings.h"

#include "OperationLog.h"
#include "SettingsIni.h"
#include "StringConvert.h"
#include "ThresholdTable.h"
#include "WholeFileWriter.h"

namespace {

// Kept in memory but never written: they describe this session, not the station.
bool IsSessionOnlyKey(const std::string& key) {
    return key == "Master_version" || key == "normal_xml_file" || key == "master_hex_file";
}

// Counts that size tables, frames and grids. The bridge reports them in one
// byte, so a larger number in the file is a typing error, not a panel.
struct CountLimit {
    const char* key;
    int most;
};

constexpr CountLimit kCountLimits[] = {
    {"x_electrodes", 255},         {"y_electrodes", 255},
    {"reference_electrodes", 255}, {"button_reference_electrodes", 255},
    {"vertical_squares", 255},     {"horizontal_squares", 255},
    {"button_number", 8},
};

const CountLimit* FindCountLimit(const std::string& key) {
    for (const CountLimit& limit : kCountLimits) {
        if (key == limit.key) {
            return &limit;
        }
    }
    return nullptr;
}

// A count above what the bridge can report is cut to that. Every other text
// stays as it is: the readers take a negative or non-numeric count as none.
void ClampCount(ConfigParameter& parameter) {
    const CountLimit* limit = FindCountLimit(parameter.GetName());
    if (limit == nullptr || StringToInt(parameter.GetValue()) <= limit->most) {
        return;
    }
    LOG4CPLUS_WARN(OperationLogger(), "Setting " << parameter.GetName() << "="
                                                 << parameter.GetValue().substr(0, 40)
                                                 << " is out of range; " << limit->most << " used");
    parameter.SetValue(std::to_string(limit->most));
}

}  // namespace

bool Settings::SetParameter(ConfigParameter parameter) {
    ClampCount(parameter);
    const std::string name = parameter.GetName();
    _parameters.erase(name);
    _parameters.emplace(name, std::move(parameter));
    return true;
}

bool Settings::GetParameter(std::string name, ConfigParameter& out) const {
    const auto found = _parameters.find(name);
    if (found == _parameters.end()) {
        return false;
    }
    out = found->second;
    return true;
}

std::string Settings::GetValue(const char* name) const {
    const auto found = _parameters.find(name);
    return found == _parameters.end() ? std::string("0") : found->second.GetValue();
}

bool Settings::SetValue(std::string name, std::string value) {
    const auto found = _parameters.find(name);
    if (found == _parameters.end()) {
        return false;
    }
    found->second.SetValue(std::move(value));
    return true;
}

void Settings::Load(const char* file) {
    SettingsIni ini;
    if (!ini.Read(QString::fromLocal8Bit(file))) {
        LOG4CPLUS_WARN(OperationLogger(), "Settings file cannot be read: " << file);
        return;
    }
    for (const auto& entry : ini.Entries()) {
        SetParameter(ConfigParameter(entry.first, entry.second));
    }
}

bool Settings::Save(const char* file) {
    // Keys the store does not hold, and values it did not change, keep the
    // exact text the file gave them; a file that cannot be read is not
    // replaced, since its other keys would be lost.
    const QString path = QString::fromLocal8Bit(file);
    SettingsIni ini;
    if (!ini.Read(path)) {
        LOG4CPLUS_WARN(OperationLogger(), "Settings file cannot be read: " << file);
        return false;
    }
    for (const auto& entry : _parameters) {
        if (!IsSessionOnlyKey(entry.first)) {
            ini.Set(entry.first, entry.second.GetValue());
        }
    }
    QString error;
    if (!platform::WholeFileWriter::Save(path, ini.Text(), &error)) {
        LOG4CPLUS_WARN(OperationLogger(),
                       "Settings file cannot be written: " << error.toLocal8Bit().constData());
        return false;
    }
    return true;
}

std::vector<std::vector<int> > Settings::LoadThresholds() {
    _thresholds = ThresholdTable::Load(*this);
    return _thresholds;
}
