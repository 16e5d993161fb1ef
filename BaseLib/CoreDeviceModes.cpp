#include <QString>
#include <string>

#include "ButtonRawDataState.h"
#include "ButtonReferenceDataState.h"
#include "ButtonState.h"
#include "CoreAttb.h"
#include "CoreBorder.h"
#include "CoreButtonRawdata.h"
#include "CoreDebug.h"
#include "CoreDevice.h"
#include "CoreLinearity.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePrecise.h"
#include "CoreRaster.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "CoreReset.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "ReferenceDataState.h"
#include "TuneMultiFingerLift.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

// Display modes of the raster X and Y scenes.
constexpr int kRasterXMode = 12;
constexpr int kRasterYMode = 13;

}  // namespace

boost::shared_ptr<State> CoreDevice::MakeOpenState() {
    return Make<OpenState>();
}

int CoreDevice::CountSetting(const char* key) const {
    ConfigParameter parameter;
    if (_imp == nullptr || !_imp->_settings.GetParameter(key, parameter)) {
        return 0;
    }
    bool ok = false;
    const int count = QString::fromStdString(parameter.GetValue()).toInt(&ok, 10);
    return ok ? count : 0;
}

void CoreDevice::NormalState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    Replace<CoreNormal>();
}

void CoreDevice::NormalFlagState() {
    SendWithMode("n", kTouchMode);
    Replace<CoreNormalFlag>();
}

void CoreDevice::LinearityState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    Replace<CoreLinearity>();
}

void CoreDevice::BorderState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    Replace<CoreBorder>();
}

void CoreDevice::PreciseState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    Replace<CorePrecise>();
}

void CoreDevice::DebugState() {
    KeepCurrentState();
    SendWithMode("d", kRawDataMode);
    Replace<CoreDebug>();
}

void CoreDevice::JitterState() {
    KeepCurrentState();
    SendWithMode("d", kRawDataMode);
    Replace<CoreDebug>();
}

void CoreDevice::RasterXState() {
    KeepCurrentState();
    SendWithMode("d", kRasterXMode);
    Replace<CoreRasterX>();
}

void CoreDevice::RasterYState() {
    KeepCurrentState();
    SendWithMode("d", kRasterYMode);
    Replace<CoreRasterY>();
}

void CoreDevice::EnterOpenShortState() {
    KeepCurrentState();
    Send("d");
    Replace<OpenShortState>();
}

void CoreDevice::ResetState() {
    KeepCurrentState();
    EnterSlaveBootloader();
    Sleep(50);
    ExitSlaveBootloader();
    if (_imp != nullptr) {
        _imp->StartTimer(0);
    }
    Replace<CoreReset>();
}

void CoreDevice::AttbState() {
    KeepCurrentState();
    Send("~");
    Sleep(80);
    SendWithMode("rx", kRawDataMode);
    if (_imp != nullptr) {
        _imp->StartTimer(1);
    }
    Replace<CoreAttb>();
}

// The lift rasters send first and only then keep the replaced state.
void CoreDevice::LiftRasterSwitch(const char* command, int mode) {
    SendWithMode(command, kRawDataMode);
    KeepCurrentState();
    if (_imp != nullptr) {
        _imp->StartTimer(1);
    }
    Replace<TuneMultiFingerLift>(mode);
}

void CoreDevice::RasterState() {
    LiftRasterSwitch("r", 0);
}

void CoreDevice::RasterRXState() {
    LiftRasterSwitch("rx", 1);
}

void CoreDevice::RasterRYState() {
    LiftRasterSwitch("rX", 2);
}

void CoreDevice::ActiveState(bool rxMode) {
    if (rxMode) {
        LiftRasterSwitch("rX", 4);
    } else {
        LiftRasterSwitch("rx", 3);
    }
}

void CoreDevice::RasterLiftYState() {
    KeepCurrentState();
    SendWithMode("rX", kRawDataMode);
    Replace<CoreRaster>(0);
}

void CoreDevice::SingleRawDataState() {
    KeepCurrentState();
    SendWithMode("r", kRawDataMode);
    Replace<ReferenceDataState>(CountSetting("reference_electrodes"), 0);
}

void CoreDevice::ButtonSingleRawDataState() {
    KeepCurrentState();
    SendWithMode("w", kRawDataMode);
    Replace<ButtonReferenceDataState>(CountSetting("button_reference_electrodes"), 0);
}

void CoreDevice::ButtonRawdataState() {
    KeepCurrentState();
    SendWithMode("b", kButtonRawDataMode);
    Replace<CoreButtonRawdata>();
}

void CoreDevice::UserReadButtons() {
    KeepCurrentState();
    Send("K");
    Replace<ButtonState>();
}

void CoreDevice::UserReadButtonRawData() {
    KeepCurrentState();
    Send("b");
    Replace<ButtonRawDataState>(kButtonCount, 0);
}

}  // namespace morvex_gui
