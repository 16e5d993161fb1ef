#include "RecordingWindowImp.h"

#include <algorithm>

#include "ConfigParameter.h"

void RecordingWindowImp::Record(const std::string& name, const std::vector<std::string>& args) {
    std::string text = name;
    if (!args.empty()) {
        text += "(";
        for (size_t i = 0; i < args.size(); ++i) {
            text += (i ? ", " : "") + args[i];
        }
        text += ")";
    }
    calls.push_back(text);
}

int RecordingWindowImp::Count(const std::string& name) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
        return c == name || c.rfind(name + "(", 0) == 0;
    }));
}

bool RecordingWindowImp::Has(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

std::vector<std::string> RecordingWindowImp::Names() const {
    std::vector<std::string> names;
    for (const auto& call : calls) {
        names.push_back(call.substr(0, call.find('(')));
    }
    return names;
}

void RecordingWindowImp::SetResult(std::string key, std::string value) {
    Record("SetResult", {key, value});
    _results[key] = value;
}

void RecordingWindowImp::Set(std::initializer_list<std::pair<const char*, std::string> > settings) {
    for (const auto& [key, value] : settings) {
        _settings.SetParameter(ConfigParameter(key, value));
    }
}

void RecordingWindowImp::SetMode(int mode) {
    Record("SetMode", {Text(mode)});
    lastMode = mode;
}
