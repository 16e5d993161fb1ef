// The parameter XML export and import of the settings store.
#include "ParseXml.h"
#include "Settings.h"

// Replaces the whole store with the file's settings. The file is read into a
// separate map first, so a file that cannot be read leaves the store as it was.
bool Settings::LoadXml(std::string file) {
    std::map<std::string, ConfigParameter> loaded;
    if (!ParseXml::Load(std::move(file), loaded)) {
        return false;
    }
    _parameters.swap(loaded);
    return true;
}

// An empty store writes nothing: there is nothing worth exporting.
bool Settings::SaveXml(std::string file) {
    if (_parameters.empty()) {
        return false;
    }
    return ParseXml::Save(std::move(file), _parameters);
}
