#pragma once

#include <QtGlobal>
#include <map>
#include <string>
#include <vector>

#include "Settings.h"

namespace morvex_gui {

class Normal;
class CoreNormalFlag;
class CoreBorder;
class CoreLinearity;
class ButtonState;
class CorePrecise;
class SingleRawData;
class RawData;
class BendingRawData;
class PictureView;
class CoreRaster;
class TuneMultiFingerLift;
class TuneMultiFinger;
class TuneQualification;
class OpenShortState;

// The one door through which devices and response states reach the screen,
// the operator and the per-panel results. The core never touches a widget.
class WindowImp {
public:
    WindowImp() = default;
    virtual ~WindowImp() = default;

    Q_DISABLE_COPY(WindowImp)

    virtual void SetExtraDisplay(bool show) = 0;
    virtual void ClearAll() = 0;
    virtual void Clear() = 0;
    virtual void ClearLog() = 0;
    virtual void ClearScene() = 0;
    virtual void Log(const std::string& data) = 0;
    virtual void LogAppend(const std::string& data) = 0;
    virtual void UpdateScene() = 0;
    virtual void SetResult(std::string key, std::string value) = 0;
    virtual void StartCommon() = 0;
    virtual void StartNormal(Normal* state) = 0;
    virtual void StartNormalFlag(CoreNormalFlag* state) = 0;
    virtual void StartNormalBorder(CoreBorder* state) = 0;
    virtual void StartNormalLinearity(CoreLinearity* state) = 0;
    virtual void StartButtonNormal(ButtonState* state) = 0;
    virtual void StartNormalPrecise(CorePrecise* state) = 0;
    virtual void StartReferenceData(SingleRawData* state) = 0;
    virtual void StartButtonReferenceData(SingleRawData* state) = 0;
    virtual void FlushButtonStatus() = 0;
    virtual void StartTimer(int num) = 0;
    virtual void StartDebug(RawData* state) = 0;
    virtual void StartRasterX(RawData* state) = 0;
    virtual void StartRasterY(RawData* state) = 0;
    virtual void StartBendingDebug(BendingRawData* state) = 0;
    virtual void StartPicture(PictureView* state) = 0;
    virtual void StartRaster(CoreRaster* state) = 0;
    virtual void StartSingleDebug(SingleRawData* state) = 0;
    virtual void StartSingleDebugThreshold(SingleRawData* state) = 0;
    virtual void StartSingleDebugZero(SingleRawData* state) = 0;
    virtual void StartMultiFingerLift(TuneMultiFingerLift* state) = 0;
    virtual void StartMultiFingerLiftRX(TuneMultiFingerLift* state) = 0;
    virtual void StartMultiFingerLiftRY(TuneMultiFingerLift* state) = 0;
    virtual void StartMultiFingerLiftActive(TuneMultiFingerLift* state, int mode) = 0;
    virtual void StartMultiFinger(TuneMultiFinger* state) = 0;
    virtual void StartQualification(TuneQualification* state) = 0;
    virtual void StopRecord() = 0;
    virtual void RequestMasterDownload() = 0;
    virtual void ShowMasterVersion(const std::string& version) = 0;
    virtual void ScanParameters(int value) = 0;
    virtual void ParameterValue(int value) = 0;
    virtual void SetXCross(int value) = 0;
    virtual void SetYCross(int value) = 0;
    virtual void ReadMasterVersion(const char* version) = 0;
    virtual void DisplayMasterVersion(const char* version) = 0;
    virtual void DisplaySlaveVersion(const char* version) = 0;
    virtual void DisplaySlaveCrc(const char* crc) = 0;
    virtual void DisplayElectrodesX(const char* value) = 0;
    virtual void DisplayElectrodesY(const char* value) = 0;
    virtual void DisplayEepromStructVersion(std::string version, bool match) = 0;
    virtual void CheckInformationTimeOut() = 0;
    virtual void ResetParameter(int value) = 0;
    virtual void StartOpenShort(OpenShortState* state) = 0;
    virtual void ShowOpenShortData(std::vector<std::vector<int> >& open,
                                   std::vector<std::vector<int> >& shorts) = 0;
    virtual void DeviceOff() = 0;
    virtual void sendTestResult(bool pass) = 0;
    virtual void SetMode(int mode) = 0;
    virtual void SetOption(int option) = 0;
    virtual void RecordSegment(const std::string& segment) = 0;

    Settings _settings;
    std::vector<int> _xReference;
    std::vector<int> _yReference;
    // Offsets read back from the controller; kept apart from the references.
    std::vector<int> _xOffsets;
    std::vector<int> _yOffsets;
    std::map<std::string, std::string> _results;
};

}  // namespace morvex_gui
