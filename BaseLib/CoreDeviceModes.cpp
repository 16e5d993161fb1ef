#include <QString>
#include <boost/make_shared.hpp>
#include <string>

#include "ButtonRawDataState.h"
#include "ButtonReferenceDataState.h"
#include "ButtonState.h"
#include "CoreAttb.h"
#include "CoreBorder.h"
#include "CoreButtonRawdata.h"
#include "CoreControlRegister.h"
#include "CoreDebug.h"
#include "CoreDevice.h"
#include "CoreInformation.h"
#include "CoreLinearity.h"
#include "CoreMasterVersion.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CorePenState.h"
#include "CorePrecise.h"
#include "CoreRaster.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "CoreReadSlave.h"
#include "CoreReset.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "ReferenceDataState.h"
#include "ShortMessage.h"
#include "TuneMultiFingerLift.h"
#include "WindowImp.h"

namespace morvex_gui {

namespace {

// Display modes announced before a mode's command leaves.
constexpr int kTouchMode = 0;
constexpr int kRawDataMode = 1;
constexpr int kMasterVersionMode = 3;
constexpr int kSlaveVersionMode = 4;
constexpr int kInformationMode = 5;
constexpr int kButtonRawDataMode = 6;
constexpr int kRasterXMode = 12;
constexpr int kRasterYMode = 13;

constexpr int kButtonCount = 8;

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

void CoreDevice::ReplaceWithShortMessage() {
    InstallState(Make<ShortMessage>());
}

void CoreDevice::NormalState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    InstallState(Make<CoreNormal>());
}

void CoreDevice::NormalFlagState() {
    SendWithMode("n", kTouchMode);
    InstallState(Make<CoreNormalFlag>());
}

void CoreDevice::LinearityState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    InstallState(Make<CoreLinearity>());
}

void CoreDevice::BorderState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    InstallState(Make<CoreBorder>());
}

void CoreDevice::PreciseState() {
    KeepCurrentState();
    SendWithMode("n", kTouchMode);
    InstallState(Make<CorePrecise>());
}

void CoreDevice::PictureViewState() {
    SendWithMode("n", kTouchMode);
    InstallState(Make<PictureView>());
}

void CoreDevice::PenState() {
    Send("n");
    InstallState(Make<CorePenState>());
}

void CoreDevice::DebugState() {
    KeepCurrentState();
    SendWithMode("d", kRawDataMode);
    InstallState(Make<CoreDebug>());
}

void CoreDevice::JitterState() {
    KeepCurrentState();
    SendWithMode("d", kRawDataMode);
    InstallState(Make<CoreDebug>());
}

void CoreDevice::RasterXState() {
    KeepCurrentState();
    SendWithMode("d", kRasterXMode);
    InstallState(Make<CoreRasterX>());
}

void CoreDevice::RasterYState() {
    KeepCurrentState();
    SendWithMode("d", kRasterYMode);
    InstallState(Make<CoreRasterY>());
}

void CoreDevice::EnterOpenShortState() {
    KeepCurrentState();
    Send("d");
    InstallState(Make<OpenShortState>());
}

void CoreDevice::ResetState() {
    KeepCurrentState();
    EnterSlaveBootloader();
    Sleep(50);
    ExitSlaveBootloader();
    if (_imp != nullptr) {
        _imp->StartTimer(0);
    }
    InstallState(Make<CoreReset>());
}

void CoreDevice::AttbState() {
    KeepCurrentState();
    Send("~");
    Sleep(80);
    SendWithMode("rx", kRawDataMode);
    if (_imp != nullptr) {
        _imp->StartTimer(1);
    }
    InstallState(Make<CoreAttb>());
}

// The lift rasters send first and only then keep the replaced state.
void CoreDevice::LiftRasterSwitch(const char* command, int mode) {
    SendWithMode(command, kRawDataMode);
    KeepCurrentState();
    if (_imp != nullptr) {
        _imp->StartTimer(1);
    }
    InstallState(Make<TuneMultiFingerLift>(mode));
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
    InstallState(Make<CoreRaster>(0));
}

void CoreDevice::SingleRawDataState() {
    KeepCurrentState();
    SendWithMode("r", kRawDataMode);
    InstallState(Make<ReferenceDataState>(CountSetting("reference_electrodes"), 0));
}

void CoreDevice::ButtonSingleRawDataState() {
    KeepCurrentState();
    SendWithMode("w", kRawDataMode);
    InstallState(Make<ButtonReferenceDataState>(CountSetting("button_reference_electrodes"), 0));
}

void CoreDevice::MasterVersionState() {
    SendWithMode("v", kMasterVersionMode);
    InstallState(Make<CoreMasterVersion>());
}

void CoreDevice::SlaveVersionState() {
    SendWithMode("a", kSlaveVersionMode);
    InstallState(Make<CoreSlaveVersion>());
}

void CoreDevice::InformationState() {
    SendWithMode("i", kInformationMode);
    InstallState(Make<CoreInformation>());
}

void CoreDevice::ButtonRawdataState() {
    KeepCurrentState();
    SendWithMode("b", kButtonRawDataMode);
    InstallState(Make<CoreButtonRawdata>());
}

void CoreDevice::UserReadButtons() {
    KeepCurrentState();
    Send("K");
    InstallState(Make<ButtonState>());
}

void CoreDevice::UserReadButtonRawData() {
    KeepCurrentState();
    Send("b");
    InstallState(Make<ButtonRawDataState>(kButtonCount, 0));
}

void CoreDevice::UserReadslaveCrc() {
    Send("m");
    InstallState(Make<CoreSlaveCrc>());
}

void CoreDevice::UserReadEeprom() {
    Send("e");
    InstallState(Make<EepromState>());
}

void CoreDevice::UserReadEepromStructVersion() {
    Send("&");
    ReplaceWithShortMessage();
}

void CoreDevice::ReadControlRegister() {
    Send("R");
    InstallState(Make<CoreControlRegister>());
}

void CoreDevice::ReadSlaveBootloaderInfo() {
    EnterSlaveBootloader();
    ExitSlaveBootloader();
    ReplaceWithShortMessage();
}

void CoreDevice::DeviceInfoState() {
    Send("$d");
    InstallState(Make<OpenState>());
}

void CoreDevice::UserSetRegister(const char* arg) {
    SendWithArgument("s", arg);
    Sleep(50);
    ReadControlRegister();
}

void CoreDevice::UserClearRegister(const char* arg) {
    SendWithArgument("u", arg);
    Sleep(50);
    ReadControlRegister();
}

void CoreDevice::UserSetIntMode(const char* arg) {
    SendWithArgument("M", arg);
    ReplaceWithShortMessage();
}

void CoreDevice::UserSetPowerMode(const char* arg) {
    SendWithArgument("P", arg);
    ReplaceWithShortMessage();
}

void CoreDevice::UserSetIntWidth(const char* arg) {
    SendWithArgument("W", arg);
    ReplaceWithShortMessage();
}

void CoreDevice::UserSetSleepFrequency(const char* arg) {
    SendWithArgument("f", arg);
    ReplaceWithShortMessage();
}

void CoreDevice::UserSetSleepDelay(const char* arg) {
    SendWithArgument("I", arg);
    ReplaceWithShortMessage();
}

void CoreDevice::I2cReadSlave(const char* arg) {
    SendWithArgument("r", arg);
    InstallState(Make<CoreReadSlave>());
}

void CoreDevice::I2cWriteSlave(const char* arg) {
    SendWithArgument("w", arg);
}

void CoreDevice::I2cSetTimeOut(const char* arg) {
    SendWithArgument("T", arg);
}

}  // namespace morvex_gui
