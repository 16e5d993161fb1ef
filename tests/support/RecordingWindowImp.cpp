#include "RecordingWindowImp.h"

#include <cstdio>

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

std::string RecordingWindowImp::Pointer(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

int RecordingWindowImp::Count(const std::string& name) const {
    int n = 0;
    for (const auto& call : calls) {
        if (call == name || call.rfind(name + "(", 0) == 0) {
            ++n;
        }
    }
    return n;
}

bool RecordingWindowImp::Has(const std::string& call) const {
    for (const auto& c : calls) {
        if (c == call) return true;
    }
    return false;
}

std::vector<std::string> RecordingWindowImp::Names() const {
    std::vector<std::string> names;
    for (const auto& call : calls) {
        names.push_back(call.substr(0, call.find('(')));
    }
    return names;
}

void RecordingWindowImp::SetExtraDisplay(bool show) {
    Record("SetExtraDisplay", {std::string(show ? "true" : "false")});
}

void RecordingWindowImp::ClearAll() {
    Record("ClearAll");
}

void RecordingWindowImp::Clear() {
    Record("Clear");
}

void RecordingWindowImp::ClearLog() {
    Record("ClearLog");
}

void RecordingWindowImp::ClearScene() {
    Record("ClearScene");
}

void RecordingWindowImp::Log(const std::string& data) {
    Record("Log", {data});
}

void RecordingWindowImp::LogAppend(const std::string& data) {
    Record("LogAppend", {data});
}

void RecordingWindowImp::UpdateScene() {
    Record("UpdateScene");
}

void RecordingWindowImp::SetResult(std::string key, std::string value) {
    Record("SetResult", {key, value});
    _results[key] = value;
}

void RecordingWindowImp::StartCommon() {
    Record("StartCommon");
}

void RecordingWindowImp::StartNormal(morvex_gui::Normal* state) {
    Record("StartNormal", {Pointer(state)});
}

void RecordingWindowImp::StartNormalFlag(morvex_gui::CoreNormalFlag* state) {
    Record("StartNormalFlag", {Pointer(state)});
}

void RecordingWindowImp::StartNormalBorder(morvex_gui::CoreBorder* state) {
    Record("StartNormalBorder", {Pointer(state)});
}

void RecordingWindowImp::StartNormalLinearity(morvex_gui::CoreLinearity* state) {
    Record("StartNormalLinearity", {Pointer(state)});
}

void RecordingWindowImp::StartButtonNormal(morvex_gui::ButtonState* state) {
    Record("StartButtonNormal", {Pointer(state)});
}

void RecordingWindowImp::StartNormalPrecise(morvex_gui::CorePrecise* state) {
    Record("StartNormalPrecise", {Pointer(state)});
}

void RecordingWindowImp::StartReferenceData(morvex_gui::SingleRawData* state) {
    Record("StartReferenceData", {Pointer(state)});
}

void RecordingWindowImp::StartButtonReferenceData(morvex_gui::SingleRawData* state) {
    Record("StartButtonReferenceData", {Pointer(state)});
}

void RecordingWindowImp::FlushButtonStatus() {
    Record("FlushButtonStatus");
}

void RecordingWindowImp::StartTimer(int num) {
    Record("StartTimer", {std::to_string(num)});
}

void RecordingWindowImp::StartDebug(morvex_gui::RawData* state) {
    Record("StartDebug", {Pointer(state)});
}

void RecordingWindowImp::StartRasterX(morvex_gui::RawData* state) {
    Record("StartRasterX", {Pointer(state)});
}

void RecordingWindowImp::StartRasterY(morvex_gui::RawData* state) {
    Record("StartRasterY", {Pointer(state)});
}

void RecordingWindowImp::StartBendingDebug(morvex_gui::BendingRawData* state) {
    Record("StartBendingDebug", {Pointer(state)});
}

void RecordingWindowImp::StartPicture(morvex_gui::PictureView* state) {
    Record("StartPicture", {Pointer(state)});
}

void RecordingWindowImp::StartRaster(morvex_gui::CoreRaster* state) {
    Record("StartRaster", {Pointer(state)});
}

void RecordingWindowImp::StartSingleDebug(morvex_gui::SingleRawData* state) {
    Record("StartSingleDebug", {Pointer(state)});
}

void RecordingWindowImp::StartSingleDebugThreshold(morvex_gui::SingleRawData* state) {
    Record("StartSingleDebugThreshold", {Pointer(state)});
}

void RecordingWindowImp::StartSingleDebugZero(morvex_gui::SingleRawData* state) {
    Record("StartSingleDebugZero", {Pointer(state)});
}

void RecordingWindowImp::StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* state) {
    Record("StartMultiFingerLift", {Pointer(state)});
}

void RecordingWindowImp::StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* state) {
    Record("StartMultiFingerLiftRX", {Pointer(state)});
}

void RecordingWindowImp::StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* state) {
    Record("StartMultiFingerLiftRY", {Pointer(state)});
}

void RecordingWindowImp::StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) {
    Record("StartMultiFingerLiftActive", {Pointer(state), std::to_string(mode)});
}

void RecordingWindowImp::StartMultiFinger(morvex_gui::TuneMultiFinger* state) {
    Record("StartMultiFinger", {Pointer(state)});
}

void RecordingWindowImp::StartQualification(morvex_gui::TuneQualification* state) {
    Record("StartQualification", {Pointer(state)});
}

void RecordingWindowImp::StopRecord() {
    Record("StopRecord");
}

void RecordingWindowImp::RequestMasterDownload() {
    Record("RequestMasterDownload");
}

void RecordingWindowImp::ShowMasterVersion(const std::string& version) {
    Record("ShowMasterVersion", {version});
}

void RecordingWindowImp::ScanParameters(int value) {
    Record("ScanParameters", {std::to_string(value)});
}

void RecordingWindowImp::ParameterValue(int value) {
    Record("ParameterValue", {std::to_string(value)});
}

void RecordingWindowImp::SetXCross(int value) {
    Record("SetXCross", {std::to_string(value)});
}

void RecordingWindowImp::SetYCross(int value) {
    Record("SetYCross", {std::to_string(value)});
}

void RecordingWindowImp::ReadMasterVersion(const char* version) {
    Record("ReadMasterVersion", {std::string(version ? version : "")});
}

void RecordingWindowImp::DisplayMasterVersion(const char* version) {
    Record("DisplayMasterVersion", {std::string(version ? version : "")});
}

void RecordingWindowImp::DisplaySlaveVersion(const char* version) {
    Record("DisplaySlaveVersion", {std::string(version ? version : "")});
}

void RecordingWindowImp::DisplaySlaveCrc(const char* crc) {
    Record("DisplaySlaveCrc", {std::string(crc ? crc : "")});
}

void RecordingWindowImp::DisplayElectrodesX(const char* value) {
    Record("DisplayElectrodesX", {std::string(value ? value : "")});
}

void RecordingWindowImp::DisplayElectrodesY(const char* value) {
    Record("DisplayElectrodesY", {std::string(value ? value : "")});
}

void RecordingWindowImp::DisplayEepromStructVersion(std::string version, bool match) {
    Record("DisplayEepromStructVersion", {version, std::string(match ? "true" : "false")});
}

void RecordingWindowImp::CheckInformationTimeOut() {
    Record("CheckInformationTimeOut");
}

void RecordingWindowImp::ResetParameter(int value) {
    Record("ResetParameter", {std::to_string(value)});
}

void RecordingWindowImp::StartOpenShort(morvex_gui::OpenShortState* state) {
    Record("StartOpenShort", {Pointer(state)});
}

void RecordingWindowImp::ShowOpenShortData(std::vector<std::vector<int> >& open, std::vector<std::vector<int> >& shorts) {
    Record("ShowOpenShortData", {std::to_string(open.size()), std::to_string(shorts.size())});
}

void RecordingWindowImp::DeviceOff() {
    Record("DeviceOff");
}

void RecordingWindowImp::sendTestResult(bool pass) {
    Record("sendTestResult", {std::string(pass ? "true" : "false")});
}

void RecordingWindowImp::SetMode(int mode) {
    Record("SetMode", {std::to_string(mode)});
    lastMode = mode;
}

void RecordingWindowImp::SetOption(int option) {
    Record("SetOption", {std::to_string(option)});
}

void RecordingWindowImp::RecordSegment(const std::string& segment) {
    Record("RecordSegment", {segment});
}
