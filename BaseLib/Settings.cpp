#include "Settings.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include "ThresholdTable.h"

namespace {

// Qt's INI reader turns an unquoted value with commas into a list; the store
// keeps every value as the text the file held.
QString VariantToText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

// Kept in memory but never written: they describe this session, not the station.
bool IsSessionOnlyKey(const std::string& key) {
    return key == "Master_version" || key == "normal_xml_file" || key == "master_hex_file";
}

}  // namespace

bool Settings::SetParameter(ConfigParameter parameter) {
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
    QSettings ini(QString::fromLocal8Bit(file), QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    for (const QString& key : keys) {
        const std::string value = VariantToText(ini.value(key)).toLocal8Bit().toStdString();
        SetParameter(ConfigParameter(key.toLocal8Bit().toStdString(), value));
    }
}

void Settings::Save(const char* file) {
    QSettings ini(QString::fromLocal8Bit(file), QSettings::IniFormat);
    for (const auto& entry : _parameters) {
        if (IsSessionOnlyKey(entry.first)) {
            continue;
        }
        const QString key = QString::fromLocal8Bit(entry.first.c_str());
        const QString value = QString::fromLocal8Bit(entry.second.GetValue().c_str());
        // Only changed keys are written, so a key the store did not change keeps
        // the exact form the file gave it.
        if (ini.contains(key) && VariantToText(ini.value(key)) == value) {
            continue;
        }
        ini.setValue(key, value);
    }
    ini.sync();
}

std::vector<std::vector<int> > Settings::LoadThresholds() {
    _thresholds = ThresholdTable::Load(*this);
    return _thresholds;
}
