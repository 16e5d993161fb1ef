#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "State.h"
#include "WindowImp.h"

// Hands each reply line to the state, as the window's read loop does.
inline void ParseEach(morvex_gui::State& state, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
        state.Parse(line.c_str());
    }
}

// A WindowImp that records every call as text ("Name(arg1, arg2)") so state and
// device tests can check what reached the GUI, and in which order. Scene starts
// record their name only. SetResult also fills the result map, as the real one does.
class RecordingWindowImp : public morvex_gui::WindowImp {
public:
    using RawData = morvex_gui::RawData;
    using SingleRawData = morvex_gui::SingleRawData;
    using Lift = morvex_gui::TuneMultiFingerLift;

    void SetExtraDisplay(bool show) override { Record("SetExtraDisplay", {Text(show)}); }
    void ClearAll() override { Record("ClearAll"); }
    void Clear() override { Record("Clear"); }
    void ClearLog() override { Record("ClearLog"); }
    void ClearScene() override { Record("ClearScene"); }
    void Log(const std::string& data) override { Record("Log", {data}); }
    void LogAppend(const std::string& data) override { Record("LogAppend", {data}); }
    void UpdateScene() override { Record("UpdateScene"); }
    void SetResult(std::string key, std::string value) override;
    void StartCommon() override { Record("StartCommon"); }
    void StartNormal(morvex_gui::Normal*) override { Record("StartNormal"); }
    void StartNormalFlag(morvex_gui::CoreNormalFlag*) override { Record("StartNormalFlag"); }
    void StartNormalBorder(morvex_gui::CoreBorder*) override { Record("StartNormalBorder"); }
    void StartNormalLinearity(morvex_gui::CoreLinearity*) override {
        Record("StartNormalLinearity");
    }
    void StartButtonNormal(morvex_gui::ButtonState*) override { Record("StartButtonNormal"); }
    void StartNormalPrecise(morvex_gui::CorePrecise*) override { Record("StartNormalPrecise"); }
    void StartReferenceData(SingleRawData*) override { Record("StartReferenceData"); }
    void StartButtonReferenceData(SingleRawData*) override { Record("StartButtonReferenceData"); }
    void FlushButtonStatus() override { Record("FlushButtonStatus"); }
    void StartTimer(int num) override { Record("StartTimer", {Text(num)}); }
    void StartDebug(RawData*) override { Record("StartDebug"); }
    void StartRasterX(RawData*) override { Record("StartRasterX"); }
    void StartRasterY(RawData*) override { Record("StartRasterY"); }
    void StartBendingDebug(morvex_gui::BendingRawData*) override { Record("StartBendingDebug"); }
    void StartPicture(morvex_gui::PictureView*) override { Record("StartPicture"); }
    void StartRaster(morvex_gui::CoreRaster*) override { Record("StartRaster"); }
    void StartSingleDebug(SingleRawData*) override { Record("StartSingleDebug"); }
    void StartSingleDebugThreshold(SingleRawData*) override { Record("StartSingleDebugThreshold"); }
    void StartSingleDebugZero(SingleRawData*) override { Record("StartSingleDebugZero"); }
    void StartMultiFingerLift(Lift*) override { Record("StartMultiFingerLift"); }
    void StartMultiFingerLiftRX(Lift*) override { Record("StartMultiFingerLiftRX"); }
    void StartMultiFingerLiftRY(Lift*) override { Record("StartMultiFingerLiftRY"); }
    void StartMultiFingerLiftActive(Lift*, int mode) override {
        Record("StartMultiFingerLiftActive", {Text(mode)});
    }
    void StartMultiFinger(morvex_gui::TuneMultiFinger*) override { Record("StartMultiFinger"); }
    void StartQualification(morvex_gui::TuneQualification*) override {
        Record("StartQualification");
    }
    void StopRecord() override { Record("StopRecord"); }
    void RequestMasterDownload() override { Record("RequestMasterDownload"); }
    void ShowMasterVersion(const std::string& version) override {
        Record("ShowMasterVersion", {version});
    }
    void ScanParameters(int value) override { Record("ScanParameters", {Text(value)}); }
    void ParameterValue(int value) override { Record("ParameterValue", {Text(value)}); }
    void SetXCross(int value) override { Record("SetXCross", {Text(value)}); }
    void SetYCross(int value) override { Record("SetYCross", {Text(value)}); }
    void ReadMasterVersion(const char* v) override { Record("ReadMasterVersion", {Text(v)}); }
    void DisplayMasterVersion(const char* v) override { Record("DisplayMasterVersion", {Text(v)}); }
    void DisplaySlaveVersion(const char* v) override { Record("DisplaySlaveVersion", {Text(v)}); }
    void DisplaySlaveCrc(const char* crc) override { Record("DisplaySlaveCrc", {Text(crc)}); }
    void DisplayElectrodesX(const char* v) override { Record("DisplayElectrodesX", {Text(v)}); }
    void DisplayElectrodesY(const char* v) override { Record("DisplayElectrodesY", {Text(v)}); }
    void DisplayEepromStructVersion(std::string version, bool match) override {
        Record("DisplayEepromStructVersion", {version, Text(match)});
    }
    void CheckInformationTimeOut() override { Record("CheckInformationTimeOut"); }
    void ResetParameter(int value) override { Record("ResetParameter", {Text(value)}); }
    void StartOpenShort(morvex_gui::OpenShortState*) override { Record("StartOpenShort"); }
    void ShowOpenShortData(std::vector<std::vector<int> >& open,
                           std::vector<std::vector<int> >& shorts) override {
        Record("ShowOpenShortData", {Text(int(open.size())), Text(int(shorts.size()))});
    }
    void DeviceOff() override { Record("DeviceOff"); }
    void sendTestResult(bool pass) override { Record("sendTestResult", {Text(pass)}); }
    void SetMode(int mode) override;
    void SetOption(int option) override { Record("SetOption", {Text(option)}); }
    void RecordSegment(const std::string& segment) override { Record("RecordSegment", {segment}); }

    // Calls whose text starts with `name` (the bare name or "name(").
    int Count(const std::string& name) const;
    bool Has(const std::string& call) const;
    // Calls in order, names only.
    std::vector<std::string> Names() const;
    void Reset() { calls.clear(); }
    void Set(std::initializer_list<std::pair<const char*, std::string> > settings);

    std::vector<std::string> calls;
    int lastMode = -1;

private:
    void Record(const std::string& name, const std::vector<std::string>& args = {});
    static std::string Text(int value) { return std::to_string(value); }
    static std::string Text(bool value) { return value ? "true" : "false"; }
    static std::string Text(const char* text) { return text ? text : ""; }
};
