#pragma once

#include <string>
#include <vector>

#include "WindowImp.h"

// A WindowImp that records every call as text ("Name(arg1, arg2)") so state and
// device tests can check what reached the GUI, and in which order. SetResult
// also fills the result map, as the real one does.
class RecordingWindowImp : public morvex_gui::WindowImp {
public:
    void SetExtraDisplay(bool show) override;
    void ClearAll() override;
    void Clear() override;
    void ClearLog() override;
    void ClearScene() override;
    void Log(const std::string& data) override;
    void LogAppend(const std::string& data) override;
    void UpdateScene() override;
    void SetResult(std::string key, std::string value) override;
    void StartCommon() override;
    void StartNormal(morvex_gui::Normal* state) override;
    void StartNormalFlag(morvex_gui::CoreNormalFlag* state) override;
    void StartNormalBorder(morvex_gui::CoreBorder* state) override;
    void StartNormalLinearity(morvex_gui::CoreLinearity* state) override;
    void StartButtonNormal(morvex_gui::ButtonState* state) override;
    void StartNormalPrecise(morvex_gui::CorePrecise* state) override;
    void StartReferenceData(morvex_gui::SingleRawData* state) override;
    void StartButtonReferenceData(morvex_gui::SingleRawData* state) override;
    void FlushButtonStatus() override;
    void StartTimer(int num) override;
    void StartDebug(morvex_gui::RawData* state) override;
    void StartRasterX(morvex_gui::RawData* state) override;
    void StartRasterY(morvex_gui::RawData* state) override;
    void StartBendingDebug(morvex_gui::BendingRawData* state) override;
    void StartPicture(morvex_gui::PictureView* state) override;
    void StartRaster(morvex_gui::CoreRaster* state) override;
    void StartSingleDebug(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugThreshold(morvex_gui::SingleRawData* state) override;
    void StartSingleDebugZero(morvex_gui::SingleRawData* state) override;
    void StartMultiFingerLift(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRX(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftRY(morvex_gui::TuneMultiFingerLift* state) override;
    void StartMultiFingerLiftActive(morvex_gui::TuneMultiFingerLift* state, int mode) override;
    void StartMultiFinger(morvex_gui::TuneMultiFinger* state) override;
    void StartQualification(morvex_gui::TuneQualification* state) override;
    void StopRecord() override;
    void RequestMasterDownload() override;
    void ShowMasterVersion(const std::string& version) override;
    void ScanParameters(int value) override;
    void ParameterValue(int value) override;
    void SetXCross(int value) override;
    void SetYCross(int value) override;
    void ReadMasterVersion(const char* version) override;
    void DisplayMasterVersion(const char* version) override;
    void DisplaySlaveVersion(const char* version) override;
    void DisplaySlaveCrc(const char* crc) override;
    void DisplayElectrodesX(const char* value) override;
    void DisplayElectrodesY(const char* value) override;
    void DisplayEepromStructVersion(std::string version, bool match) override;
    void CheckInformationTimeOut() override;
    void ResetParameter(int value) override;
    void StartOpenShort(morvex_gui::OpenShortState* state) override;
    void ShowOpenShortData(std::vector<std::vector<int> >& open, std::vector<std::vector<int> >& shorts) override;
    void DeviceOff() override;
    void sendTestResult(bool pass) override;
    void SetMode(int mode) override;
    void SetOption(int option) override;
    void RecordSegment(const std::string& segment) override;

    // Calls whose text starts with `name` (the bare name or "name(").
    int Count(const std::string& name) const;
    bool Has(const std::string& call) const;
    // Calls in order, names only.
    std::vector<std::string> Names() const;
    void Reset() { calls.clear(); }

    std::vector<std::string> calls;
    int lastMode = -1;

private:
    void Record(const std::string& name, const std::vector<std::string>& args = {});
    static std::string Pointer(const void* p);
};
