#include "ZeltoR_Device.h"

#include <string>

#include "ButtonRawDataState.h"
#include "ButtonState.h"
#include "CoreButtonRawdata.h"
#include "CoreControlRegister.h"
#include "CoreDebug.h"
#include "CoreInformation.h"
#include "CoreMasterVersion.h"
#include "CoreNormal.h"
#include "CorePenState.h"
#include "CoreRaster.h"
#include "CoreReadSlave.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "ShortMessage.h"

namespace morvex_gui {

ZeltoR_Device::ZeltoR_Device(WindowImp* imp, boost::shared_ptr<State>* current)
    : Device(imp, current) {}

void ZeltoR_Device::UserMode() {
    Send("#");
    Send("#");
}

void ZeltoR_Device::I2cMode() {
    Send("@");
}

void ZeltoR_Device::SendHashZ() {
    Send("#z");
}

void ZeltoR_Device::EnterMasterBootloader() {
    Send("@");
    Send("G");
}

void ZeltoR_Device::EnterSlaveBootloader() {
    Send("@");
    Send("m5D");
    Sleep(200);
    Send("b");
    Sleep(100);
}

void ZeltoR_Device::ExitSlaveBootloader() {
    Send("m5C");
    Sleep(200);
    Send("k");
    Sleep(100);
}

// After a quit the replies are read as device information again.
void ZeltoR_Device::Quit() {
    Send("#q");
    Replace<OpenState>();
}

void ZeltoR_Device::EnterOpenState() {
    for (const char* command : {"V", "#", "#", "v", "v", "Z"}) {
        Send(command);
    }
    Replace<OpenState>();
}

void ZeltoR_Device::NormalState() {
    SendWithMode("n", kTouchMode);
    Replace<CoreNormal>();
}

void ZeltoR_Device::PictureViewState() {
    SendWithMode("n", kTouchMode);
    Replace<PictureView>();
}

void ZeltoR_Device::PenState() {
    Send("n");
    Replace<CorePenState>();
}

void ZeltoR_Device::DebugState() {
    SendWithMode("d", kRawDataMode);
    Replace<CoreDebug>();
}

void ZeltoR_Device::RasterState() {
    SendWithMode("r", kRawDataMode);
    Replace<CoreRaster>(0);
}

void ZeltoR_Device::MasterVersionState() {
    SendWithMode("v", kMasterVersionMode);
    Replace<CoreMasterVersion>();
}

void ZeltoR_Device::SlaveVersionState() {
    SendWithMode("a", kSlaveVersionMode);
    Replace<CoreSlaveVersion>();
}

void ZeltoR_Device::InformationState() {
    SendWithMode("i", kInformationMode);
    Replace<CoreInformation>();
}

void ZeltoR_Device::ButtonRawdataState() {
    SendWithMode("b", kButtonRawDataMode);
    Replace<CoreButtonRawdata>();
}

void ZeltoR_Device::ReadSlaveBootloaderInfo() {
    EnterSlaveBootloader();
    ExitSlaveBootloader();
    Replace<ShortMessage>();
}

void ZeltoR_Device::DeviceInfoState() {
    Send("$d");
    Replace<OpenState>();
}

void ZeltoR_Device::ReadControlRegister() {
    Send("R");
    Replace<CoreControlRegister>();
}

void ZeltoR_Device::UserReadEeprom() {
    Send("e");
    Replace<EepromState>();
}

void ZeltoR_Device::UserReadButtons() {
    Send("K");
    Replace<ButtonState>();
}

void ZeltoR_Device::UserReadButtonRawData() {
    Send("b");
    Replace<ButtonRawDataState>(kButtonCount, 0);
}

void ZeltoR_Device::UserReadslaveCrc() {
    Send("m");
    Replace<CoreSlaveCrc>();
}

void ZeltoR_Device::UserReadEepromStructVersion() {
    Send("&");
    Replace<ShortMessage>();
}

void ZeltoR_Device::EnterOpenShortState() {
    Send("d");
    Replace<OpenShortState>();
}

void ZeltoR_Device::UserSetRegister(const char* arg) {
    SendWithArgument("s", arg);
    Sleep(50);
    ReadControlRegister();
}

void ZeltoR_Device::UserClearRegister(const char* arg) {
    SendWithArgument("u", arg);
    Sleep(50);
    ReadControlRegister();
}

void ZeltoR_Device::UserSetIntMode(const char* arg) {
    SendWithArgument("M", arg);
    Replace<ShortMessage>();
}

void ZeltoR_Device::UserSetPowerMode(const char* arg) {
    SendWithArgument("P", arg);
    Replace<ShortMessage>();
}

void ZeltoR_Device::UserSetIntWidth(const char* arg) {
    SendWithArgument("W", arg);
    Replace<ShortMessage>();
}

void ZeltoR_Device::UserSetSleepFrequency(const char* arg) {
    SendWithArgument("f", arg);
    Replace<ShortMessage>();
}

void ZeltoR_Device::UserSetSleepDelay(const char* arg) {
    SendWithArgument("I", arg);
    Replace<ShortMessage>();
}

void ZeltoR_Device::I2cReadSlave(const char* arg) {
    SendWithArgument("r", arg);
    Replace<CoreReadSlave>();
}

void ZeltoR_Device::I2cWriteSlave(const char* arg) {
    SendWithArgument("w", arg);
}

void ZeltoR_Device::I2cSetTimeOut(const char* arg) {
    SendWithArgument("T", arg);
}

}  // namespace morvex_gui
